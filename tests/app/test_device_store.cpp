// The device store: vendor filter, merge rules, goodbyes, and reports racing the main thread.

#include "app/device_store.h"

#include "discovery/engine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

struct RecordSpec {
    const char* pszId;
    const char* pszIp;
    const char* pszHost;
    const char* pszVendor;
    int nType;
    int64_t nReservedValue;
};

DeviceRecord MakeRecord(const RecordSpec& row) {
    DeviceRecord record;
    std::memset(&record, 0, sizeof(record));
    std::strncpy(record.id, row.pszId, sizeof(record.id) - 1);
    std::strncpy(record.ip, row.pszIp, sizeof(record.ip) - 1);
    std::strncpy(record.host, row.pszHost, sizeof(record.host) - 1);
    std::strncpy(record.product, "RD-300", sizeof(record.product) - 1);
    std::strncpy(record.extra, "storage", sizeof(record.extra) - 1);
    std::strncpy(record.version, "2.1.7", sizeof(record.version) - 1);
    std::strncpy(record.vendor, row.pszVendor, sizeof(record.vendor) - 1);
    record.type = row.nType;
    record.reservedValue = row.nReservedValue;
    return record;
}

std::string Text(const char (&szField)[32]) {
    return std::string(szField, strnlen(szField, sizeof(szField)));
}

/// One line per record so that a failing comparison shows the whole list.
std::string Describe(const std::vector<DeviceRecord>& records) {
    std::string strOut;
    for (const DeviceRecord& r : records) {
        strOut += Text(r.id) + " " + Text(r.ip) + " " + Text(r.host) + " " + Text(r.vendor) +
                  " type=" + std::to_string(r.type) + " rv=" + std::to_string(r.reservedValue) + "\n";
    }
    return strOut;
}

// ---------------------------------------------------------------------------------------------
// Vendor filter

struct VendorCase {
    const char* pszName;
    std::string strVendor; // may hold all 32 bytes with no terminator
    bool bAccepted;
};

class VendorFilterTest : public testing::TestWithParam<VendorCase> {};

TEST_P(VendorFilterTest, AcceptsOnlyTheThreeNamesInAnyCase) {
    DeviceRecord record = MakeRecord({"id-1", "10.0.0.5", "pocket", "", 1, 60});
    std::memcpy(record.vendor, GetParam().strVendor.data(),
                std::min(GetParam().strVendor.size(), sizeof(record.vendor)));
    DeviceStore store;
    AddOrUpdateDevice(store, record);
    EXPECT_EQ(CopyDevices(store).size(), GetParam().bAccepted ? 1u : 0u);
}

const VendorCase kVendorCases[] = {
    {"Orbit5Upper", "ORBIT5", true},
    {"Orbit5Mixed", "Orbit5", true},
    {"VantroUpper", "VANTRO", true},
    {"VantroLower", "vantro", true},
    {"NexlaUpper", "NEXLA", true},
    {"NexlaMixed", "nExLa", true},
    {"FirstFiveLettersOfOrbit5", "ORBIT", false},
    {"TrailingBlank", "VANTRO ", false},
    {"LeadingBlank", " VANTRO", false},
    {"ExtraCharacter", "NEXLAX", false},
    {"Empty", "", false},
    {"OtherVendor", "ACME", false},
    {"NonAsciiLetterNotFolded", "vAntr\xC3\xB6", false},
    {"FullFieldWithoutTerminator", "VANTRO" + std::string(26, 'X'), false},
};

INSTANTIATE_TEST_SUITE_P(Vendors, VendorFilterTest, testing::ValuesIn(kVendorCases),
                         [](const testing::TestParamInfo<VendorCase>& info) { return info.param.pszName; });

// ---------------------------------------------------------------------------------------------
// Merge rules, through the engine callback into the process-wide store

struct Step {
    bool bClear; // ClearDevices instead of a report
    RecordSpec report;
};

struct MergeCase {
    const char* pszName;
    std::vector<Step> steps;
    std::vector<RecordSpec> expected;
};

Step Report(const RecordSpec& row) {
    return {false, row};
}
Step Clear() {
    return {true, {}};
}

class StoreMergeTest : public testing::TestWithParam<MergeCase> {
protected:
    void SetUp() override { ClearDevices(GetDeviceStore()); }
    void TearDown() override { ClearDevices(GetDeviceStore()); }
};

TEST_P(StoreMergeTest, ListMatchesAfterReports) {
    for (const Step& step : GetParam().steps) {
        if (step.bClear) {
            ClearDevices(GetDeviceStore());
        } else {
            const DeviceRecord record = MakeRecord(step.report);
            EXPECT_EQ(OnStoreFindDevice(&record, 1900), 0);
        }
    }
    std::vector<DeviceRecord> expected;
    for (const RecordSpec& row : GetParam().expected) {
        expected.push_back(MakeRecord(row));
    }
    const std::vector<DeviceRecord> actual = CopyDevices(GetDeviceStore());
    EXPECT_EQ(Describe(actual), Describe(expected));
    // Whole fields, not just their text: zero fill behind the terminator and the flag count too.
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
        const DeviceRecord& a = actual[i];
        const DeviceRecord& e = expected[i];
        for (auto pField : {&DeviceRecord::id, &DeviceRecord::ip, &DeviceRecord::host, &DeviceRecord::product,
                            &DeviceRecord::extra, &DeviceRecord::version, &DeviceRecord::vendor}) {
            EXPECT_EQ(std::memcmp(a.*pField, e.*pField, sizeof(a.*pField)), 0) << "record " << i;
        }
        EXPECT_EQ(a.reservedFlag, e.reservedFlag) << "record " << i;
    }
}

const RecordSpec A = {"dev-a", "192.168.8.10", "alpha", "VANTRO", 1, 60};
const RecordSpec B = {"dev-b", "192.168.8.11", "bravo", "nexla", 2, 60};
const RecordSpec C = {"dev-c", "192.168.8.12", "charlie", "Orbit5", 1, 60};

RecordSpec With(RecordSpec row, const char* pszHost, int nType, int64_t nReservedValue) {
    row.pszHost = pszHost;
    row.nType = nType;
    row.nReservedValue = nReservedValue;
    return row;
}
RecordSpec Bye(const char* pszId, const char* pszVendor = "VANTRO") {
    return {pszId, "192.168.8.99", "gone", pszVendor, 4, 60};
}

const MergeCase kMergeCases[] = {
    {"AnswersAndAlivesAppendInOrder", {Report(A), Report(B), Report(C)}, {A, B, C}},
    {"IdenticalReportOnlyTakesReservedValue",
     {Report(A), Report(B), Report(With(A, "alpha", 2, 99))},
     {With(A, "alpha", 1, 99), B}},
    {"SameIpNewHostReplacedInPlace",
     {Report(A), Report(B), Report(C), Report(With(B, "renamed", 1, 7))},
     {A, With(B, "renamed", 1, 7), C}},
    {"NewIpKnownIdAppended",
     {Report(A), Report(B), Report({"dev-a", "192.168.8.20", "alpha", "VANTRO", 1, 60})},
     {A, B, {"dev-a", "192.168.8.20", "alpha", "VANTRO", 1, 60}}},
    {"ByeByeRemovesOnlyFirstWithId",
     {Report(A), Report(B), Report({"dev-a", "192.168.8.20", "alpha2", "VANTRO", 1, 60}),
      Report(Bye("dev-a"))},
     {B, {"dev-a", "192.168.8.20", "alpha2", "VANTRO", 1, 60}}},
    {"ByeByeOfUnknownIdChangesNothing", {Report(A), Report(B), Report(Bye("dev-z"))}, {A, B}},
    {"ByeByeIdIsExactAndCaseSensitive",
     {Report(A), Report(Bye("DEV-A")), Report(Bye("dev-")), Report(Bye("dev-a "))},
     {A}},
    {"ByeByeNeedsNoAcceptedVendor", {Report(A), Report(B), Report(Bye("dev-b", "ACME"))}, {A}},
    {"Type0And3ChangeNothing",
     {Report(A), Report(With(A, "changed", 0, 5)), Report(With(A, "changed", 3, 5)),
      Report(With(C, "c", 0, 60)), Report(With(C, "c", 3, 60))},
     {A}},
    {"OtherBroadcastTypeBytesChangeNothing",
     {Report(A), Report(With(B, "b", 5, 60)), Report(With(B, "b", 255, 60)), Report(With(A, "x", -1, 60))},
     {A}},
    {"RejectedVendorDoesNotReplaceKnownIp",
     {Report(A), Report({"dev-a", "192.168.8.10", "intruder", "ACME", 1, 60})},
     {A}},
    {"AfterClearNextReportIsFirst", {Report(A), Report(B), Clear(), Report(C), Report(A)}, {C, A}},
    {"ReportAfterByeByeAppendsAtEnd", {Report(A), Report(B), Report(Bye("dev-a")), Report(A)}, {B, A}},
};

INSTANTIATE_TEST_SUITE_P(Reports, StoreMergeTest, testing::ValuesIn(kMergeCases),
                         [](const testing::TestParamInfo<MergeCase>& info) { return info.param.pszName; });

// ---------------------------------------------------------------------------------------------
// Worker threads reporting through the engine dispatch while the main thread clears and copies

class StoreConcurrencyTest : public testing::Test {
protected:
    void SetUp() override {
        m_pfnSaved = g_pfnFindDevice;
        g_pfnFindDevice = OnStoreFindDevice;
        ClearDevices(GetDeviceStore());
    }
    void TearDown() override {
        g_pfnFindDevice = m_pfnSaved;
        ClearDevices(GetDeviceStore());
    }

    static constexpr int kWorkers = 6;
    static constexpr int kDevicesPerWorker = 20;

    /// Worker w's device d: id, host and ip all derive from (w, d) so a torn record shows.
    static DeviceRecord WorkerDevice(int nWorker, int nDevice, int nType) {
        const std::string strIp = "10.1." + std::to_string(nWorker) + "." + std::to_string(nDevice + 1);
        const std::string strId = "w" + std::to_string(nWorker) + "d" + std::to_string(nDevice);
        return MakeRecord({strId.c_str(), strIp.c_str(), strId.c_str(), "vantro", nType, 60});
    }

    static void ExpectConsistent(const std::vector<DeviceRecord>& records) {
        std::set<std::string> ips;
        for (const DeviceRecord& r : records) {
            EXPECT_TRUE(ips.insert(Text(r.ip)).second) << "duplicate ip " << Text(r.ip);
            EXPECT_EQ(Text(r.id), Text(r.host));
            EXPECT_EQ(Text(r.vendor), "vantro");
        }
    }

private:
    FindDeviceCallback m_pfnSaved = nullptr;
};

TEST_F(StoreConcurrencyTest, ReportsRaceClearAndCopyWithoutLosingTheLastRound) {
    std::atomic<bool> bMainDone{false};
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w) {
        workers.emplace_back([w, &bMainDone] {
            const int nPort = 1530 + 20 * w;
            // Until the main thread has finished clearing: alives, answers and goodbyes mixed.
            for (int nRound = 0; !bMainDone.load(); ++nRound) {
                for (int d = 0; d < kDevicesPerWorker; ++d) {
                    const int nType = (nRound + d) % 5 == 0 ? 4 : 1 + (nRound + d) % 2;
                    const DeviceRecord record = WorkerDevice(w, d, nType);
                    OnFindDevice(&record, nPort);
                }
            }
            // The last round, after the last clear: every device of it must be in the list.
            for (int d = 0; d < kDevicesPerWorker; ++d) {
                const DeviceRecord record = WorkerDevice(w, d, 2);
                OnFindDevice(&record, nPort);
            }
        });
    }
    for (int i = 0; i < 300; ++i) {
        ExpectConsistent(CopyDevices(GetDeviceStore()));
        if (i % 3 == 0) {
            ClearDevices(GetDeviceStore());
        }
    }
    bMainDone = true;
    for (std::thread& worker : workers) {
        worker.join();
    }

    const std::vector<DeviceRecord> records = CopyDevices(GetDeviceStore());
    ExpectConsistent(records);
    std::set<std::string> ips;
    for (const DeviceRecord& r : records) {
        ips.insert(Text(r.ip));
    }
    for (int w = 0; w < kWorkers; ++w) {
        for (int d = 0; d < kDevicesPerWorker; ++d) {
            EXPECT_EQ(ips.count(Text(WorkerDevice(w, d, 2).ip)), 1u) << "worker " << w << " device " << d;
        }
    }
    EXPECT_EQ(records.size(), static_cast<size_t>(kWorkers * kDevicesPerWorker));
}

} // namespace
