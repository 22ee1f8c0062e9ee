// roamdock-scan --watch: after its list it keeps listening, prints a line when a device appears or
// says goodbye, and ends cleanly on SIGINT or SIGTERM. In a private network with simulated devices.

#include "tools/scan/scanner.h"

#include "tests/support/netns.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace std::chrono_literals;

namespace {

DeviceRecord MakeRecord(const char* pszHost, const char* pszIP, const char* pszProduct) {
    DeviceRecord record;
    std::memset(&record, 0, sizeof(record));
    std::snprintf(record.id, sizeof(record.id), "ID-%s", pszHost);
    std::snprintf(record.ip, sizeof(record.ip), "%s", pszIP);
    std::snprintf(record.host, sizeof(record.host), "%s", pszHost);
    std::snprintf(record.product, sizeof(record.product), "%s", pszProduct);
    std::snprintf(record.vendor, sizeof(record.vendor), "VANTRO");
    record.type = 2;
    return record;
}

TEST(ScannerWatchLine, JsonHasTheEventFirstThenTheDevice) {
    const nlohmann::json line =
        nlohmann::json::parse(FormatWatchEvent("goodbye", MakeRecord("alpha", "10.0.0.10", "RD-1"), true));
    ASSERT_TRUE(line.is_object());
    EXPECT_EQ(line.begin().key(), "event");
    EXPECT_EQ(line.at("event"), "goodbye");
    EXPECT_EQ(line.at("ip"), "10.0.0.10");
    EXPECT_EQ(line.at("host"), "alpha");
    EXPECT_EQ(line.at("id"), "ID-alpha");
    EXPECT_EQ(line.at("type"), 2);
}

TEST(ScannerWatchLine, TextIsOneLineOfColumnsSafeForATerminal) {
    const std::string strLine =
        FormatWatchEvent("appeared", MakeRecord("a\x1b[2Jb", "10.0.0.10", "RD\n1"), false);
    ASSERT_FALSE(strLine.empty());
    EXPECT_EQ(strLine.back(), '\n');
    EXPECT_EQ(strLine.find('\n'), strLine.size() - 1) << strLine;
    EXPECT_EQ(strLine.find('\x1b'), std::string::npos) << strLine;
    std::istringstream words(strLine);
    std::string strEvent, strHost, strIP, strProduct;
    words >> strEvent >> strHost >> strIP >> strProduct;
    EXPECT_EQ(strEvent, "appeared");
    EXPECT_EQ(strHost, "a?[2Jb");
    EXPECT_EQ(strIP, "10.0.0.10");
    EXPECT_EQ(strProduct, "RD?1");
}

/// One watched run: the output format and the signal that ends it.
struct WatchCase {
    const char* pszName;
    bool bJson;
    int nStopSignal;
};

/// An event line of the output, as (event, ip); lines of the first list give an empty event.
struct OutputLine {
    std::string strEvent;
    std::string strIP;
};

std::vector<OutputLine> ParseOutput(const std::string& strOutput, bool bJson) {
    std::vector<OutputLine> lines;
    std::istringstream stream(strOutput);
    for (std::string strLine; std::getline(stream, strLine);) {
        if (bJson) {
            const nlohmann::json object = nlohmann::json::parse(strLine); // a bad line fails the test
            lines.push_back({object.value("event", ""), object.at("ip").get<std::string>()});
            continue;
        }
        std::istringstream words(strLine);
        std::string strFirst, strHost, strIP;
        words >> strFirst >> strHost >> strIP;
        if (strFirst == "appeared" || strFirst == "goodbye")
            lines.push_back({strFirst, strIP});
        else
            lines.push_back({"", strLine}); // a table line
    }
    return lines;
}

class ScannerWatchTest : public testing::TestWithParam<WatchCase> {
protected:
    void SetUp() override {
        std::string why;
        if (!NetnsAvailable(why))
            GTEST_SKIP() << why;
        m_pNet = std::make_unique<CTestNetwork>("watch");
        ASSERT_EQ(m_pNet->AddLink("10.0.0.5/24"), 0) << m_pNet->Error();
    }

    CNetnsProcess StartDevice(const std::string& strCidr, const std::string& strDevice,
                              const std::vector<std::string>& extraArgs, std::string& strNamespace) {
        strNamespace = m_pNet->AddDevice(0, strCidr);
        EXPECT_FALSE(strNamespace.empty()) << m_pNet->Error();
        const std::string strFile =
            testing::TempDir() + "watch-" + std::to_string(getpid()) + "-" + strNamespace;
        std::ofstream(strFile) << strDevice << "\n";
        std::vector<std::string> args = {ROAMDOCK_DEVSIM, "--devices", strFile, "--max-delay-ms", "100"};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        CNetnsProcess sim = m_pNet->Start(strNamespace, args);
        EXPECT_TRUE(sim.WaitForLine("ready", 10s)) << sim.Output();
        return sim;
    }

    /// Sends `nSignal` to every process of a namespace (the program run there).
    void SignalNamespace(const std::string& strNamespace, int nSignal) {
        std::string strPids;
        ASSERT_EQ(RunCommand({"ip", "netns", "pids", strNamespace}, &strPids), 0) << strPids;
        std::istringstream pids(strPids);
        int nCount = 0;
        for (pid_t pid; pids >> pid; ++nCount)
            kill(pid, nSignal);
        ASSERT_GT(nCount, 0) << "nothing runs in " << strNamespace;
    }

    std::unique_ptr<CTestNetwork> m_pNet;
};

TEST_P(ScannerWatchTest, ListsThenPrintsArrivalAndGoodbyeUntilStopped) {
    const WatchCase& c = GetParam();
    std::string strNsA, strNsB;
    CNetnsProcess simA =
        StartDevice("10.0.0.10/24", "id=A1 host=alpha vendor=VANTRO product=RD-1", {}, strNsA);

    const std::string strLog =
        testing::TempDir() + "watch-" + std::to_string(getpid()) + "-" + c.pszName + ".log";
    std::remove(strLog.c_str());
    std::vector<std::string> argv = {ROAMDOCK_SCAN_BIN, "--watch", "--seconds", "2", "--log", strLog};
    if (c.bJson)
        argv.push_back("--json");
    CNetnsProcess scan = m_pNet->Start(m_pNet->HostNamespace(), argv);
    // The first list, with the device that answered the search.
    ASSERT_TRUE(scan.WaitForLine("10.0.0.10", 20s)) << scan.Output();

    // A device that announces itself after the list, then says goodbye.
    CNetnsProcess simB =
        StartDevice("10.0.0.11/24", "id=B2 host=bravo vendor=VANTRO product=RD-2", {"--notify"}, strNsB);
    ASSERT_TRUE(scan.WaitForLine("appeared", 20s)) << scan.Output();
    SignalNamespace(strNsB, SIGUSR1);
    ASSERT_TRUE(scan.WaitForLine("goodbye", 20s)) << scan.Output();

    SignalNamespace(m_pNet->HostNamespace(), c.nStopSignal);
    scan.WaitForLine("\x01 no such line", 30s); // returns at the end of the output
    const std::string strOutput = scan.Output();
    const int nStatus = scan.Stop(10s);
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << "wait status " << nStatus << "\n"
                                                                 << strOutput;

    // The list first (alpha only), then exactly bravo's arrival and goodbye, in that order.
    const std::vector<OutputLine> lines = ParseOutput(strOutput, c.bJson);
    std::vector<std::string> events;
    bool bListHasAlpha = false;
    for (const OutputLine& line : lines) {
        if (line.strEvent.empty()) {
            EXPECT_TRUE(events.empty()) << "a list line after an event: " << line.strIP;
            bListHasAlpha = bListHasAlpha || line.strIP.find("10.0.0.10") != std::string::npos;
            EXPECT_EQ(line.strIP.find("10.0.0.11"), std::string::npos) << "bravo was in the first list";
        } else {
            events.push_back(line.strEvent + " " + line.strIP);
        }
    }
    EXPECT_TRUE(bListHasAlpha) << strOutput;
    EXPECT_EQ(events, (std::vector<std::string>{"appeared 10.0.0.11", "goodbye 10.0.0.11"})) << strOutput;

    // The engine was shut down before the program ended.
    std::ifstream log(strLog);
    const std::string strLogText((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_NE(strLogText.find("------Exit Log System-------"), std::string::npos) << strLogText;
}

const WatchCase kWatchCases[] = {
    {"JsonEndedByInterrupt", true, SIGINT},
    {"TextEndedByTerminate", false, SIGTERM},
};

INSTANTIATE_TEST_SUITE_P(Formats, ScannerWatchTest, testing::ValuesIn(kWatchCases),
                         [](const testing::TestParamInfo<WatchCase>& info) {
                             return std::string(info.param.pszName);
                         });

} // namespace
