// The record operations every worker and the device store rely on, and the search command bytes.

#include "discovery/device_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

DeviceRecord SampleDevice() {
    DeviceRecord record;
    InitDevice(&record);
    std::strcpy(record.id, "A1");
    std::strcpy(record.ip, "10.0.0.10");
    std::strcpy(record.host, "box");
    std::strcpy(record.product, "P");
    std::strcpy(record.extra, "X");
    std::strcpy(record.version, "1.0");
    std::strcpy(record.vendor, "VANTRO");
    record.type = 1;
    return record;
}

bool FieldIsZeroFilled(const char (&field)[32]) {
    for (char c : field) {
        if (c != '\0') {
            return false;
        }
    }
    return true;
}

TEST(DeviceRecordTest, InitDeviceClearsEveryFieldAndSetsReservedValue) {
    DeviceRecord record;
    std::memset(&record, 0xAB, sizeof(record));
    InitDevice(&record);
    for (const auto* pField : {&record.id, &record.ip, &record.host, &record.product, &record.extra,
                               &record.version, &record.vendor}) {
        EXPECT_TRUE(FieldIsZeroFilled(*pField));
    }
    EXPECT_EQ(record.reservedFlag, 0);
    EXPECT_EQ(record.type, 0);
    EXPECT_EQ(record.reservedValue, 60);
}

TEST(DeviceRecordTest, AssignDeviceCopiesEveryFieldAndZeroPadsTexts) {
    DeviceRecord source = SampleDevice();
    source.reservedFlag = 3;
    source.type = 200;
    source.reservedValue = -7;
    // Bytes behind the terminator are not part of the text and must not be carried over.
    source.host[10] = 'z';
    DeviceRecord target;
    std::memset(&target, 0xCD, sizeof(target));
    AssignDevice(&target, &source);

    EXPECT_STREQ(target.id, "A1");
    EXPECT_STREQ(target.ip, "10.0.0.10");
    EXPECT_STREQ(target.host, "box");
    EXPECT_STREQ(target.product, "P");
    EXPECT_STREQ(target.extra, "X");
    EXPECT_STREQ(target.version, "1.0");
    EXPECT_STREQ(target.vendor, "VANTRO");
    EXPECT_EQ(target.reservedFlag, 3);
    EXPECT_EQ(target.type, 200);
    EXPECT_EQ(target.reservedValue, -7);
    for (std::size_t i = std::strlen(target.host); i < sizeof(target.host); ++i) {
        EXPECT_EQ(target.host[i], '\0') << "byte " << i;
    }
}

TEST(DeviceRecordTest, AssignDeviceTerminatesAnUnterminatedText) {
    DeviceRecord source = SampleDevice();
    std::memset(source.vendor, 'v', sizeof(source.vendor));
    DeviceRecord target;
    AssignDevice(&target, &source);
    EXPECT_EQ(std::string(target.vendor), std::string(31, 'v'));
}

struct SameDeviceCase {
    const char* name;
    std::function<void(DeviceRecord&)> change;
    bool bSame;
};

class IsSameDeviceTable : public ::testing::TestWithParam<SameDeviceCase> {};

TEST_P(IsSameDeviceTable, ComparesTheSevenTextsOnly) {
    const DeviceRecord left = SampleDevice();
    DeviceRecord right = SampleDevice();
    GetParam().change(right);
    EXPECT_EQ(IsSameDevice(&left, &right), GetParam().bSame);
    EXPECT_EQ(IsSameDevice(&right, &left), GetParam().bSame);
}

const SameDeviceCase kSameDeviceCases[] = {
    {"Identical", [](DeviceRecord&) {}, true},
    {"TypeDiffers", [](DeviceRecord& r) { r.type = 4; }, true},
    {"ReservedFieldsDiffer",
     [](DeviceRecord& r) {
         r.reservedFlag = 1;
         r.reservedValue = 0;
     },
     true},
    {"IdDiffers", [](DeviceRecord& r) { std::strcpy(r.id, "A2"); }, false},
    {"IpDiffers", [](DeviceRecord& r) { std::strcpy(r.ip, "10.0.0.11"); }, false},
    {"HostDiffers", [](DeviceRecord& r) { std::strcpy(r.host, "Box"); }, false},
    {"ProductDiffers", [](DeviceRecord& r) { std::strcpy(r.product, ""); }, false},
    {"ExtraDiffers", [](DeviceRecord& r) { std::strcpy(r.extra, "Y"); }, false},
    {"VersionDiffers", [](DeviceRecord& r) { std::strcpy(r.version, "1.0 "); }, false},
    {"VendorDiffers", [](DeviceRecord& r) { std::strcpy(r.vendor, "VANTR"); }, false},
    {"BytesBehindTerminatorDiffer", [](DeviceRecord& r) { r.id[20] = 'q'; }, true},
};

INSTANTIATE_TEST_SUITE_P(Fields, IsSameDeviceTable, ::testing::ValuesIn(kSameDeviceCases),
                         [](const ::testing::TestParamInfo<SameDeviceCase>& info) {
                             return info.param.name;
                         });

TEST(DhcpPacketTest, SearchCommandBytes) {
    DhcpPacket packet;
    std::memset(&packet, 0x5A, sizeof(packet));
    InitSearchCommand(&packet);
    unsigned char expected[148] = {11, 1, 0, 0, 255, 255, 255, 255};
    EXPECT_EQ(std::memcmp(&packet, expected, sizeof(expected)), 0);
    EXPECT_EQ(offsetof(DhcpPacket, text), 20u);
}

} // namespace
