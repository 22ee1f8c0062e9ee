// The engine's start, search and shut-down as the application drives them, on a private network
// where the host has an address on each of two links and a simulated device sits behind each.

#include "discovery/engine.h"
#include "discovery/search_thread.h"
#include "tests/discovery/engine_test_util.h"
#include "tests/support/netns.h"

#include <boost/asio/ip/udp.hpp>

#include <dirent.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <memory>
#include <set>

namespace {

std::string BroadcastCommand() {
    std::string strBytes(148, '\0');
    strBytes[0] = 11;
    strBytes[1] = 1;
    strBytes[4] = strBytes[5] = strBytes[6] = strBytes[7] = static_cast<char>(255);
    return strBytes;
}

/// The simulator's record line of one search datagram from `strFrom`:`nPort`.
std::string RecordLine(const char* pszSide, const std::string& strFrom, int nPort,
                       const std::string& strBytes) {
    return std::string(pszSide) + " " + strFrom + " " + std::to_string(nPort) + " " +
           std::to_string(strBytes.size()) + " " + Hex(strBytes) + "\n";
}

int ThreadCount() {
    int nCount = 0;
    if (DIR* pDir = opendir("/proc/self/task")) {
        while (dirent* pEntry = readdir(pDir)) {
            nCount += pEntry->d_name[0] != '.' ? 1 : 0;
        }
        closedir(pDir);
    }
    return nCount;
}

/// The engine's registry as "<strIP>:<port>" per entry.
std::vector<std::string> Registry() {
    std::vector<std::string> entries;
    for (const SearchThreadEntry& entry : g_searchThreads) {
        entries.push_back(entry.strIP + ":" + std::to_string(entry.pThread->Port()));
    }
    return entries;
}

/// Stops the engine and puts its process-wide state back, so the next test starts afresh.
void ResetEngine() {
    ExitSearchDevice();
    for (const SearchThreadEntry& entry : g_searchThreads) {
        delete entry.pThread;
    }
    g_searchThreads.clear();
    g_nCommandPort = 1530;
    g_bRefreshInterfaces = false;
}

class EngineControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!NetnsAvailable(why)) {
            GTEST_SKIP() << why;
        }
        m_pNet = std::make_unique<CTestNetwork>("ctl");
        ASSERT_EQ(m_pNet->AddLink("10.0.0.5/24"), 0) << m_pNet->Error();
        ASSERT_EQ(m_pNet->AddLink("192.168.1.20/24"), 1) << m_pNet->Error();
        m_strDeviceA = m_pNet->AddDevice(0, "10.0.0.10/24");
        m_strDeviceB = m_pNet->AddDevice(1, "192.168.1.30/24");
        ASSERT_TRUE(m_pNet->Ok()) << m_pNet->Error();
        m_strRecordA = WriteFile("a.record", "");
        m_strRecordB = WriteFile("b.record", "");
        m_simA = StartSim(m_strDeviceA, "id=A1 host=box vendor=VANTRO product=P\n", m_strRecordA);
        m_simB = StartSim(m_strDeviceB, "id=B2 host=nas vendor=VANTRO product=Q\n", m_strRecordB);
    }
    void TearDown() override { ResetEngine(); }

    CNetnsProcess StartSim(const std::string& strNamespace, const std::string& strDevices,
                           const std::string& strRecord) {
        CNetnsProcess sim = m_pNet->Start(strNamespace, {ROAMDOCK_DEVSIM, "--devices",
                                                         WriteFile(strNamespace + ".devices", strDevices),
                                                         "--max-delay-ms", "0", "--record", strRecord});
        EXPECT_TRUE(sim.WaitForLine("ready", std::chrono::seconds(10))) << sim.Output();
        return sim;
    }

    /// "<id>@<port>" of every report so far.
    static std::set<std::string> Reports(CFoundDevices& found) {
        std::set<std::string> reports;
        const std::vector<DeviceRecord> records = found.Records();
        const std::vector<int> ports = found.Ports();
        for (std::size_t i = 0; i < records.size(); ++i) {
            reports.insert(std::string(records[i].id) + "@" + std::to_string(ports[i]));
        }
        return reports;
    }

    static bool WaitForReports(CFoundDevices& found, const std::set<std::string>& wanted) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (;;) {
            const std::set<std::string> reports = Reports(found);
            if (std::includes(reports.begin(), reports.end(), wanted.begin(), wanted.end())) {
                return true;
            }
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    // Members, not locals of a test: they must outlive the engine, which TearDown stops.
    CLogFile m_log;
    CFoundDevices m_found;
    std::unique_ptr<CTestNetwork> m_pNet;
    std::string m_strDeviceA, m_strDeviceB, m_strRecordA, m_strRecordB;
    CNetnsProcess m_simA, m_simB;
};

TEST_F(EngineControlTest, StartSearchAddAddressAndExit) {
    CLogFile& log = m_log;
    CFoundDevices& found = m_found;
    ASSERT_TRUE(m_pNet->EnterHost()) << m_pNet->Error();
    // A sanitizer runtime may start a helper thread with the first thread of the process.
    std::thread([] {}).join();
    const int nThreadsBefore = ThreadCount();

    g_bRefreshInterfaces = true;
    StartSearchDevice();
    EXPECT_EQ(Registry(), (std::vector<std::string>{":67", ":1900", "10.0.0.5:1530", "192.168.1.20:1550"}));
    EXPECT_EQ(g_nCommandPort, 1570);

    SendMessage();
    // Each device is reported by every worker that can hear it, and only by those: the broadcast
    // and the group search leave through the first link, each per-interface search through its own.
    ASSERT_TRUE(WaitForReports(found, {"A1@67", "A1@1900", "A1@1530", "B2@1550"})) << log.Text();
    EXPECT_TRUE(WaitForRecord(m_strRecordA, RecordLine("broadcast", "10.0.0.5", 67, BroadcastCommand())))
        << ReadFile(m_strRecordA);
    EXPECT_TRUE(WaitForRecord(m_strRecordA, RecordLine("multicast", "10.0.0.5", 1900, kSearchRequest)))
        << ReadFile(m_strRecordA);
    EXPECT_TRUE(WaitForRecord(m_strRecordA, RecordLine("multicast", "10.0.0.5", 1530, kSearchRequest)))
        << ReadFile(m_strRecordA);
    EXPECT_TRUE(WaitForRecord(m_strRecordB, RecordLine("multicast", "192.168.1.20", 1550, kSearchRequest)))
        << ReadFile(m_strRecordB);

    // A third address appears: the next search gives it the next worker, port 1570, and uses it.
    ASSERT_TRUE(m_pNet->AddHostAddress(1, "192.168.1.21/24")) << m_pNet->Error();
    SendMessage();
    EXPECT_EQ(Registry(), (std::vector<std::string>{":67", ":1900", "10.0.0.5:1530", "192.168.1.20:1550",
                                                    "192.168.1.21:1570"}));
    EXPECT_EQ(g_nCommandPort, 1590);
    EXPECT_TRUE(WaitForRecord(m_strRecordB, RecordLine("multicast", "192.168.1.21", 1570, kSearchRequest)))
        << ReadFile(m_strRecordB);
    EXPECT_TRUE(WaitForReports(found, {"B2@1570"})) << log.Text();

    const std::set<std::string> reports = Reports(found);
    EXPECT_EQ(reports.count("B2@1530"), 0u);
    EXPECT_EQ(reports.count("A1@1550"), 0u);
    EXPECT_EQ(reports.count("A1@1570"), 0u);

    ExitSearchDevice();
    // Every discovery thread is gone when ExitSearchDevice returns (the kernel may need a moment
    // to reap the last one after it signalled its end).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (ThreadCount() > nThreadsBefore && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(ThreadCount(), nThreadsBefore);
    for (const SearchThreadEntry& entry : g_searchThreads) {
        EXPECT_TRUE(entry.pThread->WaitForThreadExit(std::chrono::milliseconds(0))) << entry.strIP;
    }
    EXPECT_EQ(log.Text().substr(log.Text().size() - 30), "------Exit Log System-------\r\n");
}

std::atomic<bool> g_bInCallback{false};
std::atomic<int> g_nSlowCalls{0};

int SlowCallback(const DeviceRecord*, int) {
    g_bInCallback = true;
    ++g_nSlowCalls;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    g_bInCallback = false;
    return 0;
}

TEST_F(EngineControlTest, ExitWaitsForACallbackInProgress) {
    ASSERT_TRUE(m_pNet->EnterHost()) << m_pNet->Error();
    g_pfnFindDevice = SlowCallback;
    StartSearchDevice();
    SendMessage();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!g_bInCallback && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    ASSERT_TRUE(g_bInCallback);
    ExitSearchDevice();
    // Several reports were queued behind the first; none may start or still run after the exit.
    const int nCallsAtExit = g_nSlowCalls;
    EXPECT_FALSE(g_bInCallback);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(g_nSlowCalls, nCallsAtExit);
}

struct BusyCase {
    const char* name;
    int nBusy;        // ports taken on 10.0.0.5 from 1530 upwards
    int nFirstPort;   // where the first worker ends up
    bool bFirstBound; // whether it ended up with a socket at all
};

const BusyCase kBusyCases[] = {
    {"NoneBusy", 0, 1530, true},
    {"FirstBusyMovesUpOne", 1, 1531, true},
    {"TwentyBusyLastRetryBinds", 20, 1550, true},
    {"TwentyOneBusyExhaustTheRetries", 21, 1550, false},
};

class BusyPortTable : public EngineControlTest, public ::testing::WithParamInterface<BusyCase> {};

TEST_P(BusyPortTable, PerInterfaceWorkersClimbPorts) {
    const BusyCase& c = GetParam();
    CLogFile& log = m_log;
    CFoundDevices& found = m_found;
    ASSERT_TRUE(m_pNet->EnterHost()) << m_pNet->Error();
    boost::asio::io_context io;
    std::vector<std::unique_ptr<boost::asio::ip::udp::socket>> busy;
    for (int i = 0; i < c.nBusy; ++i) {
        busy.push_back(std::make_unique<boost::asio::ip::udp::socket>(
            io, boost::asio::ip::udp::endpoint(boost::asio::ip::make_address("10.0.0.5"),
                                               static_cast<unsigned short>(1530 + i))));
    }

    CreateCommandThreads();
    // The engine's port plan does not follow a worker's retries.
    EXPECT_EQ(Registry(),
              (std::vector<std::string>{"10.0.0.5:" + std::to_string(c.nFirstPort), "192.168.1.20:1550"}));
    EXPECT_EQ(g_nCommandPort, 1570);
    EXPECT_EQ(log.Count("Handle Create Search Device Work Thread Error  *["), c.nBusy) << log.Text();
    EXPECT_EQ(log.Count("Create Search Device Work Thread Error : bind: Address already in use   *["),
              c.nBusy);
    if (c.nBusy >= 1) {
        EXPECT_EQ(
            log.Count(
                "SendThread 1531 : Test Create Search Device Work Thread, testCount = 1, port = 1531  *["),
            1)
            << log.Text();
    }
    EXPECT_EQ(log.Count("testCount = 21"), 0);

    SendMessage();
    EXPECT_TRUE(WaitForReports(found, {"B2@1550"})) << log.Text();
    CSearchDeviceThread* pFirst = g_searchThreads[0].pThread;
    if (c.bFirstBound) {
        EXPECT_TRUE(
            WaitForRecord(m_strRecordA, RecordLine("multicast", "10.0.0.5", c.nFirstPort, kSearchRequest)))
            << ReadFile(m_strRecordA);
        EXPECT_TRUE(WaitForReports(found, {"A1@" + std::to_string(c.nFirstPort)})) << log.Text();
        EXPECT_FALSE(pFirst->WaitForThreadExit(std::chrono::milliseconds(0)));
    } else {
        EXPECT_TRUE(log.WaitFor("SendThread 1550 : Send Search Device Error : send_to: ")) << log.Text();
        EXPECT_TRUE(pFirst->WaitForThreadExit(std::chrono::milliseconds(0)));
    }
}

INSTANTIATE_TEST_SUITE_P(Ports, BusyPortTable, ::testing::ValuesIn(kBusyCases),
                         [](const ::testing::TestParamInfo<BusyCase>& info) { return info.param.name; });

/// The parts of the control that need no network: an empty registry and the exit line.
class EngineControlOffline : public ::testing::Test {
protected:
    void TearDown() override { ResetEngine(); }
};

TEST_F(EngineControlOffline, SearchWithEmptyRegistryOnlyLogs) {
    CLogFile log;
    g_bRefreshInterfaces = false;
    SendMessage();
    EXPECT_TRUE(g_searchThreads.empty());
    EXPECT_EQ(log.Count("SendMessage : pdhcp is NULL *["), 1) << log.Text();
    EXPECT_EQ(log.Count("SendThread"), 0) << log.Text();
}

struct ExitLogCase {
    const char* name;
    bool bEnable;
    bool bPath;
    bool bWritten;
};

const ExitLogCase kExitLogCases[] = {
    {"LogOn", true, true, true},
    {"LogOff", false, true, false},
    {"OnWithoutPath", true, false, false},
};

class ExitLogTable : public EngineControlOffline, public ::testing::WithParamInterface<ExitLogCase> {};

TEST_P(ExitLogTable, ExitLine) {
    const ExitLogCase& c = GetParam();
    const std::string strPath = ::testing::TempDir() + "ctl-exit-" + std::to_string(getpid()) + ".log";
    std::remove(strPath.c_str());
    std::snprintf(g_szLogPath, sizeof(g_szLogPath), "%s", c.bPath ? strPath.c_str() : "");
    g_bLogEnable = c.bEnable;
    ExitSearchDevice();
    g_bLogEnable = false;
    g_szLogPath[0] = '\0';
    std::ifstream file(strPath, std::ios::binary);
    EXPECT_EQ(file.is_open(), c.bWritten);
    if (c.bWritten) {
        EXPECT_EQ(ReadFile(strPath), "------Exit Log System-------\r\n");
    }
    std::remove(strPath.c_str());
}

INSTANTIATE_TEST_SUITE_P(Switch, ExitLogTable, ::testing::ValuesIn(kExitLogCases),
                         [](const ::testing::TestParamInfo<ExitLogCase>& info) { return info.param.name; });

} // namespace
