// The multicast worker's handling of parsed messages: which reports reach the callback, and the
// log lines that say why the others did not. No socket is opened here.

#include "discovery/engine.h"
#include "discovery/multicast_thread.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::mutex g_reportsMutex;
std::vector<std::string> g_reports; // "<id>:<type>@<port>"

int RecordReport(const DeviceRecord* record, int nPort) {
    std::lock_guard<std::mutex> lock(g_reportsMutex);
    g_reports.push_back(std::string(record->id) + ":" + std::to_string(record->type) + "@" +
                        std::to_string(nPort));
    return 0;
}

std::string Answer(const char* pszId) {
    return std::string("HTTP/1.1 200 OK\r\nLOCATION: http://10.0.0.7:49152/rootDesc.xml\r\n"
                       "SERVER: Linux/3.10, ZELK/1.0.3, UPnP/1.0, VANTRO/box/NAS/sim\r\n"
                       "ST: urn:schemas-upnp-org:device:HomeNasDevice:1\r\nUSN: uuid:") +
           pszId + "::urn:schemas-upnp-org:device:HomeNasDevice:1\r\n\r\n";
}

std::string Notify(const char* pszId, const char* pszKind) {
    return std::string("NOTIFY * HTTP/1.1\r\nHOST: 239.143.255.250:1900\r\n"
                       "LOCATION: http://10.0.0.7:49152/rootDesc.xml\r\nNT: upnp:rootdevice\r\nNTS: ") +
           pszKind +
           "\r\nSERVER: Linux/3.10, ZELK/1.0.3, UPnP/1.0, VANTRO/box/NAS/sim\r\nUSN: uuid:" + pszId +
           "::upnp:rootdevice\r\n\r\n";
}

/// A worker that never opened its socket: HandleReceiveInfo and ResetLastDevice work without one.
class MulticastWorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_reports.clear();
        g_pfnFindDevice = RecordReport;
        char szPath[] = "/tmp/roamdock-mclog-XXXXXX";
        const int nFd = mkstemp(szPath);
        ASSERT_GE(nFd, 0);
        close(nFd);
        m_strLogPath = szPath;
        std::snprintf(g_szLogPath, sizeof(g_szLogPath), "%s", szPath);
        g_bLogEnable = true;
    }
    void TearDown() override {
        g_bLogEnable = false;
        g_szLogPath[0] = '\0';
        g_pfnFindDevice = nullptr;
        std::remove(m_strLogPath.c_str());
    }
    void Receive(const std::string& strMessage) {
        // As the receive loop hands it over: the bytes followed by a NUL.
        std::vector<char> buffer(strMessage.begin(), strMessage.end());
        buffer.push_back('\0');
        m_worker.HandleReceiveInfo(buffer.data(), static_cast<int>(strMessage.size()), "10.0.0.7");
    }
    std::string Log() const {
        std::ifstream file(m_strLogPath, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    CSearchDeviceMulticastThread m_worker;
    std::string m_strLogPath;
};

struct RepeatCase {
    const char* name;
    /// One character per step: A/B answer of device A/B, a/b alive/byebye of device A,
    /// x a message without "ZELK", R the engine's ResetLastDevice before a search.
    const char* steps;
    std::vector<std::string> reports;
};

const RepeatCase kRepeatCases[] = {
    {"ThreeIdenticalAnswers", "AAA", {"A:1@1530", "A:1@1530"}},
    {"FourIdenticalAnswers", "AAAA", {"A:1@1530", "A:1@1530"}},
    {"TwoDevicesAlternating", "ABAB", {"A:1@1530", "B:1@1530", "A:1@1530", "B:1@1530"}},
    {"SearchClearsTheLastDevice", "ARA", {"A:1@1530", "A:1@1530"}},
    {"DroppedMessageIsNoBreak", "AxA", {"A:1@1530"}},
    {"AliveThenByebye", "ab", {"A:2@1530", "A:4@1530"}},
    {"AnswerThenRepeatedAnnouncements", "Aaabb", {"A:1@1530", "A:2@1530", "A:4@1530"}},
    {"ByebyeThenAliveAgain", "ba", {"A:4@1530", "A:2@1530"}},
};

class MulticastRepeatTable : public MulticastWorkerTest, public ::testing::WithParamInterface<RepeatCase> {};

TEST_P(MulticastRepeatTable, Dispatched) {
    for (const char* p = GetParam().steps; *p != '\0'; ++p) {
        switch (*p) {
        case 'A':
            Receive(Answer("A"));
            break;
        case 'B':
            Receive(Answer("B"));
            break;
        case 'a':
            Receive(Notify("A", "ssdp:alive"));
            break;
        case 'b':
            Receive(Notify("A", "ssdp:byebye"));
            break;
        case 'x':
            Receive("HTTP/1.1 200 OK\r\nUSN: uuid:A::x\r\n\r\n");
            break;
        case 'R':
            m_worker.ResetLastDevice();
            break;
        default:
            FAIL() << "unknown step " << *p;
        }
    }
    EXPECT_EQ(g_reports, GetParam().reports);
}

INSTANTIATE_TEST_SUITE_P(Sequences, MulticastRepeatTable, ::testing::ValuesIn(kRepeatCases),
                         [](const ::testing::TestParamInfo<RepeatCase>& info) { return info.param.name; });

TEST_F(MulticastWorkerTest, LogSaysWhyARepeatWasDropped) {
    Receive(Answer("A"));
    Receive(Answer("A"));
    const std::string strLog = Log();
    EXPECT_NE(strLog.find("SendThread 1530 : Handle Mulitcast Recive Information Success, type = 1 *["),
              std::string::npos)
        << strLog;
    EXPECT_NE(
        strLog.find("SendThread 1530 : Handle Mulitcast Recive Information Fail : Old Device, type = 1 *["),
        std::string::npos)
        << strLog;
}

TEST_F(MulticastWorkerTest, DroppedMessageWritesOnlyTheEntryLine) {
    Receive("NOTIFY * HTTP/1.1\r\nZELK\r\nUSN: uuid:A::x\r\nNTS: ssdp:alive\r\n\r\n"); // no "rootdevice"
    const std::string strLog = Log();
    EXPECT_NE(strLog.find("SendThread 1530 : Handle Mulitcast Recive Information  *["), std::string::npos)
        << strLog;
    EXPECT_EQ(strLog.find("Recive Information Success"), std::string::npos) << strLog;
    EXPECT_EQ(strLog.find("Old Device"), std::string::npos) << strLog;
    EXPECT_TRUE(g_reports.empty());
}

} // namespace
