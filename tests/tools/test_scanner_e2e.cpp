// roamdock-scan end to end in a private network: simulated devices answer its search.

#include "tests/support/netns.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string WriteFile(const std::string& strName, const std::string& strText) {
    const std::string strPath = testing::TempDir() + "scan-" + std::to_string(getpid()) + "-" + strName;
    std::ofstream(strPath, std::ios::binary) << strText;
    return strPath;
}

std::vector<nlohmann::json> JsonLines(const std::string& strText) {
    std::vector<nlohmann::json> lines;
    std::istringstream stream(strText);
    for (std::string strLine; std::getline(stream, strLine);) {
        lines.push_back(nlohmann::json::parse(strLine)); // throws, and fails the test, on a bad line
    }
    return lines;
}

struct ScanRun {
    int nStatus = -1; // wait status
    std::string strOutput;
};

class ScanNetworkTest : public testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!NetnsAvailable(why)) {
            GTEST_SKIP() << why;
        }
        m_pNet = std::make_unique<CTestNetwork>("scan");
        ASSERT_EQ(m_pNet->AddLink("10.0.0.5/24"), 0) << m_pNet->Error();
    }

    /// A device namespace at `strCidr` with a simulator playing `strDevices` (device-file lines).
    CNetnsProcess StartDevice(const std::string& strCidr, const std::string& strDevices,
                              std::vector<std::string> extraArgs = {}) {
        const std::string strNamespace = m_pNet->AddDevice(0, strCidr);
        EXPECT_FALSE(strNamespace.empty()) << m_pNet->Error();
        std::vector<std::string> args = {ROAMDOCK_DEVSIM, "--devices",
                                         WriteFile(strNamespace + ".devices", strDevices)};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        CNetnsProcess sim = m_pNet->Start(strNamespace, args);
        EXPECT_TRUE(sim.WaitForLine("ready", std::chrono::seconds(10))) << sim.Output();
        return sim;
    }

    CNetnsProcess StartScan(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {ROAMDOCK_SCAN_BIN};
        argv.insert(argv.end(), args.begin(), args.end());
        return m_pNet->Start(m_pNet->HostNamespace(), argv);
    }

    /// Reads the scanner's output until it ends, then collects its status.
    static ScanRun Finish(CNetnsProcess& scan) {
        ScanRun run;
        scan.WaitForLine("\x01 no such line", std::chrono::seconds(60)); // returns at end of output
        run.strOutput = scan.Output();
        run.nStatus = scan.Stop(std::chrono::seconds(10));
        return run;
    }

    ScanRun RunScan(const std::vector<std::string>& args) {
        CNetnsProcess scan = StartScan(args);
        return Finish(scan);
    }

    std::unique_ptr<CTestNetwork> m_pNet;
};

void ExpectCleanExit(const ScanRun& run) {
    EXPECT_TRUE(WIFEXITED(run.nStatus) && WEXITSTATUS(run.nStatus) == 0)
        << "wait status " << run.nStatus << ", output:\n"
        << run.strOutput;
}

/// The JSON lines keyed by ip.
std::map<std::string, nlohmann::json> ByIp(const std::vector<nlohmann::json>& lines) {
    std::map<std::string, nlohmann::json> devices;
    for (const nlohmann::json& line : lines) {
        devices[line.at("ip").get<std::string>()] = line;
    }
    return devices;
}

// A simulator that answers only the broadcast search, or only the multicast one (its broadcast
// side listens on a port nobody queries), so that every expected field is known.
const std::vector<std::string> kBroadcastOnly = {"--no-multicast"};
const std::vector<std::string> kMulticastOnly = {"--broadcast-port", "6868", "--max-delay-ms", "200",
                                                 "--firmware",       "2.4.1"};

std::string ReadFile(const std::string& strPath) {
    std::ifstream file(strPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

/// The worker ports whose dispatch of `strId` the engine log shows.
std::set<int> DispatchPorts(const std::string& strLog, const std::string& strId) {
    std::set<int> ports;
    const std::string strNeedle = " Thread Find Device ID : " + strId + ",";
    for (size_t nPos = strLog.find(strNeedle); nPos != std::string::npos;
         nPos = strLog.find(strNeedle, nPos + 1)) {
        const size_t nLine = strLog.rfind('\n', nPos);
        const std::string strLine = strLog.substr(nLine == std::string::npos ? 0 : nLine + 1);
        int nPort = 0;
        if (std::sscanf(strLine.c_str(), "Handle %d :", &nPort) == 1) {
            ports.insert(nPort);
        }
    }
    return ports;
}

TEST_F(ScanNetworkTest, JsonListsEachAcceptedDeviceOnceWithEveryField) {
    // Two host addresses: the multicast worker and two per-interface workers all hear A's answers.
    ASSERT_TRUE(m_pNet->AddHostAddress(0, "10.0.0.6/24")) << m_pNet->Error();
    CNetnsProcess simA =
        StartDevice("10.0.0.10/24", "id=A1 host=alpha vendor=VANTRO product=RD-300\n", kMulticastOnly);
    CNetnsProcess simB = StartDevice("10.0.0.11/24",
                                     "id=B2 host=bravo vendor=nExLa product=RD-10 type=2\n"
                                     "id=X9 host=other vendor=ACME product=Z type=1\n",
                                     kBroadcastOnly);
    CNetnsProcess simC = StartDevice("10.0.0.12/24",
                                     "id=C3 host=charlie vendor=ORBIT product=Q type=1\n"
                                     "id=T3 host=tango vendor=VANTRO product=Q type=3\n",
                                     kBroadcastOnly);
    CNetnsProcess simD =
        StartDevice("10.0.0.13/24", "id=D4 host=delta vendor=Acme product=RD-300\n", kMulticastOnly);
    ASSERT_TRUE(m_pNet->Ok()) << m_pNet->Error();
    const std::string strLog = testing::TempDir() + "scan-" + std::to_string(getpid()) + ".log";
    std::remove(strLog.c_str());

    const ScanRun run = RunScan({"--json", "--seconds", "3", "--log", strLog});
    ExpectCleanExit(run);
    const std::vector<nlohmann::json> lines = JsonLines(run.strOutput);
    ASSERT_EQ(lines.size(), 2u) << run.strOutput;
    const std::map<std::string, nlohmann::json> devices = ByIp(lines);
    ASSERT_EQ(devices.count("10.0.0.10"), 1u) << run.strOutput;
    ASSERT_EQ(devices.count("10.0.0.11"), 1u) << run.strOutput;
    const nlohmann::json expectedA = {{"id", "A1"},          {"ip", "10.0.0.10"}, {"host", "alpha"},
                                      {"product", "RD-300"}, {"extra", "sim"},    {"version", "2.4.1"},
                                      {"vendor", "VANTRO"},  {"type", 1}};
    const nlohmann::json expectedB = {{"id", "B2"},         {"ip", "10.0.0.11"}, {"host", "bravo"},
                                      {"product", "RD-10"}, {"extra", ""},       {"version", ""},
                                      {"vendor", "nExLa"},  {"type", 2}};
    EXPECT_EQ(devices.at("10.0.0.10"), expectedA);
    EXPECT_EQ(devices.at("10.0.0.11"), expectedB);

    // The log went to the file (standard output above held nothing but JSON), and shows that A was
    // dispatched by several workers although it is listed once.
    const std::string strLogText = ReadFile(strLog);
    EXPECT_GE(DispatchPorts(strLogText, "A1").size(), 2u) << strLogText;
    EXPECT_NE(strLogText.find("------Exit Log System-------\r\n"), std::string::npos);
    std::remove(strLog.c_str());
}

TEST_F(ScanNetworkTest, ReportsShowFilteredVendorsWithTheWorkerPort) {
    CNetnsProcess simA =
        StartDevice("10.0.0.10/24", "id=A1 host=alpha vendor=VANTRO product=RD-300\n", kMulticastOnly);
    CNetnsProcess simB = StartDevice("10.0.0.11/24",
                                     "id=X9 host=other vendor=ACME product=Z type=1\n"
                                     "id=T3 host=tango vendor=VANTRO product=Q type=3\n",
                                     kBroadcastOnly);
    CNetnsProcess simD =
        StartDevice("10.0.0.13/24", "id=D4 host=delta vendor=Acme product=RD-300\n", kMulticastOnly);
    ASSERT_TRUE(m_pNet->Ok()) << m_pNet->Error();

    const ScanRun run = RunScan({"--reports", "--seconds", "3"});
    ExpectCleanExit(run);
    std::map<std::string, std::vector<nlohmann::json>> reports;
    for (const nlohmann::json& line : JsonLines(run.strOutput)) {
        ASSERT_TRUE(line.contains("port")) << line;
        reports[line.at("id").get<std::string>()].push_back(line);
    }
    for (const char* pszId : {"A1", "X9", "T3", "D4"}) {
        ASSERT_EQ(reports.count(pszId), 1u) << pszId << " missing in:\n" << run.strOutput;
    }
    EXPECT_EQ(reports.at("X9")[0].at("vendor"), "ACME");
    EXPECT_EQ(reports.at("X9")[0].at("ip"), "10.0.0.11");
    EXPECT_EQ(reports.at("X9")[0].at("port"), 67) << "a broadcast reply reaches the broadcast worker";
    EXPECT_EQ(reports.at("T3")[0].at("type"), 3);
    EXPECT_EQ(reports.at("D4")[0].at("vendor"), "Acme");
    std::set<int> portsA;
    for (const nlohmann::json& line : reports.at("A1")) {
        portsA.insert(line.at("port").get<int>());
    }
    EXPECT_GE(portsA.size(), 2u) << "the multicast and the per-interface worker both report A:\n"
                                 << run.strOutput;
}

TEST_F(ScanNetworkTest, ByeByeDuringTheWaitRemovesTheDevice) {
    std::vector<std::string> notifying = kMulticastOnly;
    notifying.push_back("--notify");
    CNetnsProcess simE =
        StartDevice("10.0.0.14/24", "id=E5 host=echo vendor=NEXLA product=RD-300\n", notifying);
    CNetnsProcess simF =
        StartDevice("10.0.0.15/24", "id=F6 host=foxtrot vendor=VANTRO product=RD-300\n", kMulticastOnly);
    ASSERT_TRUE(m_pNet->Ok()) << m_pNet->Error();
    const std::string strLog = testing::TempDir() + "scan-bye-" + std::to_string(getpid()) + ".log";
    std::remove(strLog.c_str());

    CNetnsProcess scan = StartScan({"--json", "--seconds", "8", "--log", strLog});
    // Wait until E has answered, give every worker's answer time to arrive, then let E say goodbye.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(6);
    while (DispatchPorts(ReadFile(strLog), "E5").empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_FALSE(DispatchPorts(ReadFile(strLog), "E5").empty()) << "E never answered";
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    simE.Stop(); // ssdp:byebye on the way out

    const ScanRun run = Finish(scan);
    ExpectCleanExit(run);
    const std::map<std::string, nlohmann::json> devices = ByIp(JsonLines(run.strOutput));
    EXPECT_EQ(devices.count("10.0.0.14"), 0u) << "E said goodbye but is listed:\n" << run.strOutput;
    EXPECT_EQ(devices.count("10.0.0.15"), 1u) << run.strOutput;
    std::remove(strLog.c_str());
}

TEST_F(ScanNetworkTest, TableListsTheAcceptedDevice) {
    CNetnsProcess simA =
        StartDevice("10.0.0.10/24", "id=A1 host=alpha vendor=Orbit5 product=RD-300 type=1\n", kBroadcastOnly);
    ASSERT_TRUE(m_pNet->Ok()) << m_pNet->Error();

    const ScanRun run = RunScan({"--seconds", "3"});
    ExpectCleanExit(run);
    std::istringstream stream(run.strOutput);
    std::vector<std::string> lines;
    for (std::string strLine; std::getline(stream, strLine);) {
        lines.push_back(strLine);
    }
    ASSERT_EQ(lines.size(), 2u) << run.strOutput;
    EXPECT_EQ(lines[0].rfind("Host Name", 0), 0u) << lines[0];
    std::istringstream row(lines[1]);
    std::string strHost, strIp, strType;
    row >> strHost >> strIp >> strType;
    EXPECT_EQ(strHost, "alpha");
    EXPECT_EQ(strIp, "10.0.0.10");
    EXPECT_EQ(strType, "RD-300");
}

} // namespace
