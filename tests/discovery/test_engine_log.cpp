// The diagnostic log's two line formats, its 1023-character rule, its switch, whole lines under
// concurrency, and the found-device dispatch that writes into it.

#include "discovery/engine_log.h"
#include "tests/discovery/engine_test_util.h"

#include <boost/date_time/gregorian/gregorian.hpp>
#include <boost/date_time/posix_time/posix_time.hpp>

#include <sys/stat.h>

#include <regex>
#include <set>
#include <stdexcept>

namespace {

using boost::posix_time::hours;
using boost::posix_time::microseconds;
using boost::posix_time::minutes;
using boost::posix_time::ptime;
using boost::posix_time::seconds;

bool FileExists(const std::string& strPath) {
    struct stat info;
    return stat(strPath.c_str(), &info) == 0;
}

struct TimeTextCase {
    const char* name;
    ptime time;
    const char* pszText;
};

class MicroTimeTextTable : public ::testing::TestWithParam<TimeTextCase> {};

TEST_P(MicroTimeTextTable, IsTheTimeOfDayWithFractionOnlyWhenNotZero) {
    EXPECT_EQ(MicroTimeText(GetParam().time), GetParam().pszText);
}

const boost::gregorian::date kDay(2026, 12, 5);

const TimeTextCase kTimeTextCases[] = {
    {"WithMicroseconds", ptime(kDay, hours(14) + minutes(2) + seconds(9) + microseconds(120)),
     "14:02:09.000120"},
    {"ExactSecond", ptime(kDay, hours(14) + minutes(2) + seconds(9)), "14:02:09"},
    {"HalfSecond", ptime(kDay, hours(9) + minutes(7) + seconds(3) + microseconds(500000)), "09:07:03.500000"},
    {"Midnight", ptime(kDay), "00:00:00"},
};

INSTANTIATE_TEST_SUITE_P(Times, MicroTimeTextTable, ::testing::ValuesIn(kTimeTextCases),
                         [](const ::testing::TestParamInfo<TimeTextCase>& info) { return info.param.name; });

std::tm FifthAt090703() {
    std::tm localTime{};
    localTime.tm_mday = 5;
    localTime.tm_hour = 9;
    localTime.tm_min = 7;
    localTime.tm_sec = 3;
    return localTime;
}

struct LineCase {
    const char* name;
    bool bDayTime; ///< WriteLog's format, else WriteTimeLog's with the time text 14:02:09.000120
    std::string strMessage;
    std::string strLine; ///< empty: dropped
};

class LineFormatTable : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineFormatTable, BuildsTheLineOrDropsItWhole) {
    const LineCase& row = GetParam();
    const std::string strLine = row.bDayTime ? FormatDayTimeLine(row.strMessage.c_str(), FifthAt090703())
                                             : FormatMicroTimeLine(row.strMessage.c_str(), "14:02:09.000120");
    EXPECT_EQ(strLine, row.strLine);
}

// The day-and-time suffix takes 17 characters, the microsecond decoration 24.
const LineCase kLineCases[] = {
    {"DayTimeFifthOfMonth", true, "X", "X*[05::09:07:03]\r\n"},
    {"DayTimeOwnLineEnd", true, "Group Error\r\n", "Group Error\r\n*[05::09:07:03]\r\n"},
    {"DayTimeLongestThatFits", true, std::string(1006, 'm'), std::string(1006, 'm') + "*[05::09:07:03]\r\n"},
    {"DayTimeOneTooLong", true, std::string(1007, 'm'), ""},
    {"DayTimeMessageOf1023", true, std::string(1023, 'm'), ""},
    {"MicroTime", false, "X", "[--14:02:09.000120--]*X\r\n"},
    {"MicroTimeLongestThatFits", false, std::string(999, 'm'),
     "[--14:02:09.000120--]*" + std::string(999, 'm') + "\r\n"},
    {"MicroTimeOneTooLong", false, std::string(1000, 'm'), ""},
};

INSTANTIATE_TEST_SUITE_P(Lines, LineFormatTable, ::testing::ValuesIn(kLineCases),
                         [](const ::testing::TestParamInfo<LineCase>& info) { return info.param.name; });

TEST(WriteLogTest, WritesMessageWithLocalDayAndTimeToFileAndStdout) {
    CLogFile log;
    std::time_t now = std::time(nullptr);
    std::tm before{};
    localtime_r(&now, &before);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(WriteLog("SendThread %d : Begin  ", 67), 1);
    const std::string strStdout = ::testing::internal::GetCapturedStdout();
    now = std::time(nullptr);
    std::tm after{};
    localtime_r(&now, &after);

    const std::string strLog = log.Text();
    EXPECT_EQ(strStdout, strLog);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(
        strLog, match, std::regex(R"(SendThread 67 : Begin  \*\[(\d\d)::(\d\d):(\d\d):(\d\d)\]\r\n)")))
        << strLog;
    const int nDay = std::stoi(match[1]);
    EXPECT_TRUE(nDay == before.tm_mday || nDay == after.tm_mday) << nDay;
    const int nHour = std::stoi(match[2]);
    EXPECT_TRUE(nHour == before.tm_hour || nHour == after.tm_hour) << nHour;
}

TEST(WriteLogTest, TimeLogWritesMicrosecondTimeBeforeMessage) {
    CLogFile log;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(WriteTimeLog("SendThread %d : Finish  ", 67), 1);
    const std::string strStdout = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(strStdout, log.Text());
    EXPECT_TRUE(std::regex_match(
        log.Text(), std::regex(R"(\[--\d\d:\d\d:\d\d(\.\d{6})?--\]\*SendThread 67 : Finish  \r\n)")))
        << log.Text();
}

TEST(WriteLogTest, LinesAreAppendedAndAPercentInTheTextStaysAsItIs) {
    CLogFile log;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(WriteLog("%s", "first 100%s %d"), 1);
    EXPECT_EQ(WriteLog("%s", "second"), 1);
    const std::string strStdout = ::testing::internal::GetCapturedStdout();
    EXPECT_TRUE(
        std::regex_match(log.Text(), std::regex(R"(first 100%s %d\*\[[^\]]+\]\r\nsecond\*\[[^\]]+\]\r\n)")))
        << log.Text();
    EXPECT_EQ(strStdout, log.Text());
}

struct DropCase {
    const char* name;
    bool bTimeLog;
    std::size_t nMessage;
    int nResult;
};

class WriteLogLength : public ::testing::TestWithParam<DropCase> {};

TEST_P(WriteLogLength, DropsWholeLinesThatDoNotFit) {
    const DropCase& row = GetParam();
    CLogFile log;
    const std::string strMessage(row.nMessage, 'm');
    ::testing::internal::CaptureStdout();
    const int nResult =
        row.bTimeLog ? WriteTimeLog("%s", strMessage.c_str()) : WriteLog("%s", strMessage.c_str());
    const std::string strStdout = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(nResult, row.nResult);
    if (row.nResult == 0) {
        EXPECT_FALSE(FileExists(log.Path()));
        EXPECT_EQ(strStdout, "");
    } else {
        EXPECT_NE(log.Text().find(strMessage + (row.bTimeLog ? "\r\n" : "*[")), std::string::npos);
        EXPECT_LE(log.Text().size(), kLogLineMax);
    }
}

const DropCase kDropCases[] = {
    {"EmptyMessage", false, 0, 0},           {"LineOf1023Fits", false, 1006, 1},
    {"LineOf1024Dropped", false, 1007, 0},   {"MessageOf1023NoRoomForTime", false, 1023, 0},
    {"MessageOver1023", false, 5000, 0},     {"TimeLogEmptyMessage", true, 0, 0},
    {"TimeLogMessageOf1023", true, 1023, 0}, {"TimeLogShortFits", true, 900, 1},
};

INSTANTIATE_TEST_SUITE_P(Lengths, WriteLogLength, ::testing::ValuesIn(kDropCases),
                         [](const ::testing::TestParamInfo<DropCase>& info) { return info.param.name; });

struct SwitchCase {
    const char* name;
    bool bEnable;
    bool bPath;
};

class LogSwitch : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(LogSwitch, WritesNothingAnywhereUnlessOnWithAPath) {
    const std::string strPath = ::testing::TempDir() + "roamdock-switch-" + std::to_string(getpid()) + ".log";
    std::remove(strPath.c_str());
    g_bLogEnable = GetParam().bEnable;
    std::snprintf(g_szLogPath, sizeof(g_szLogPath), "%s", GetParam().bPath ? strPath.c_str() : "");
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(WriteLog("message %d", 1), 0);
    EXPECT_EQ(WriteTimeLog("message %d", 2), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(FileExists(strPath));
    g_bLogEnable = false;
    g_szLogPath[0] = '\0';
}

const SwitchCase kSwitchCases[] = {
    {"OnWithEmptyPath", true, false},
    {"OffWithPath", false, true},
    {"OffWithoutPath", false, false},
};

INSTANTIATE_TEST_SUITE_P(States, LogSwitch, ::testing::ValuesIn(kSwitchCases),
                         [](const ::testing::TestParamInfo<SwitchCase>& info) { return info.param.name; });

TEST(WriteLogTest, UnopenableFileStillCopiesToStdout) {
    // A directory cannot be opened for appending.
    std::snprintf(g_szLogPath, sizeof(g_szLogPath), "%s", ::testing::TempDir().c_str());
    g_bLogEnable = true;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(WriteLog("lost line"), 1);
    const std::string strStdout = ::testing::internal::GetCapturedStdout();
    g_bLogEnable = false;
    g_szLogPath[0] = '\0';
    EXPECT_EQ(strStdout.find("lost line*["), 0u) << strStdout;
}

TEST(WriteLogTest, ConcurrentWritersKeepLinesWhole) {
    CLogFile log;
    constexpr int kThreads = 8;
    constexpr int kLines = 200;
    // Long lines make a torn write likely if anything splits them.
    const std::string strPad(400, 'p');
    ::testing::internal::CaptureStdout();
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([t, &strPad] {
            for (int i = 0; i < kLines; ++i) {
                if (i % 2 == 0) {
                    WriteLog("writer %d line %d %s", t, i, strPad.c_str());
                } else {
                    WriteTimeLog("writer %d line %d %s", t, i, strPad.c_str());
                }
            }
        });
    }
    for (std::thread& writer : writers) {
        writer.join();
    }
    const std::string strStdout = ::testing::internal::GetCapturedStdout();

    const std::regex dayLine("writer (\\d+) line (\\d+) " + strPad + R"(\*\[\d\d::\d\d:\d\d:\d\d\])");
    const std::regex timeLine(R"(\[--\d\d:\d\d:\d\d(\.\d{6})?--\]\*writer (\d+) line (\d+) )" + strPad);
    for (const std::string& strOutput : {log.Text(), strStdout}) {
        std::set<std::pair<int, int>> seen;
        std::size_t nStart = 0;
        int nBad = 0;
        for (std::size_t nEnd = strOutput.find("\r\n"); nEnd != std::string::npos;
             nEnd = strOutput.find("\r\n", nStart)) {
            const std::string strLine = strOutput.substr(nStart, nEnd - nStart);
            nStart = nEnd + 2;
            std::smatch match;
            if (std::regex_match(strLine, match, dayLine)) {
                seen.insert({std::stoi(match[1]), std::stoi(match[2])});
            } else if (std::regex_match(strLine, match, timeLine)) {
                seen.insert({std::stoi(match[2]), std::stoi(match[3])});
            } else {
                ++nBad;
            }
        }
        EXPECT_EQ(nStart, strOutput.size()) << "output ends inside a line";
        EXPECT_EQ(nBad, 0);
        EXPECT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kLines));
    }
}

DeviceRecord DispatchSample() {
    DeviceRecord record;
    InitDevice(&record);
    std::strcpy(record.id, "A1");
    std::strcpy(record.ip, "10.0.0.10");
    record.type = 9;
    return record;
}

TEST(OnFindDeviceTest, HandsACopyToTheCallbackWithTheWorkersPortAndLogsEachStep) {
    CLogFile log;
    CFoundDevices found;
    const DeviceRecord record = DispatchSample();
    ::testing::internal::CaptureStdout();
    OnFindDevice(&record, 1550);
    ::testing::internal::GetCapturedStdout();
    ASSERT_EQ(found.Records().size(), 1u);
    EXPECT_EQ(std::memcmp(&found.Records()[0], &record, sizeof(record)), 0);
    EXPECT_EQ(found.Ports(), std::vector<int>{1550});
    EXPECT_TRUE(std::regex_match(log.Text(),
                                 std::regex("Handle 1550 : Search 1550 Thread Find Device and wait for "
                                            "mutex  \\*\\[[^\\]]+\\]\r\n"
                                            "Handle 1550 : Search 1550 Thread Find Device have Mutex  "
                                            "\\*\\[[^\\]]+\\]\r\n"
                                            "Handle 1550 : Search 1550 Thread Find Device ID : A1, IP : "
                                            "10\\.0\\.0\\.10  \\*\\[[^\\]]+\\]\r\n"
                                            "Handle 1550 : Search 1550 Thread Find Device Success Handle  "
                                            "\\*\\[[^\\]]+\\]\r\n")))
        << log.Text();
}

TEST(OnFindDeviceTest, WithoutCallbackOnlyLogs) {
    CLogFile log;
    g_pfnFindDevice = nullptr;
    const DeviceRecord record = DispatchSample();
    ::testing::internal::CaptureStdout();
    OnFindDevice(&record, 67);
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(log.Count("Handle 67 : Search 67 Thread Find Device Success Handle  "), 1);
}

int ThrowingCallback(const DeviceRecord*, int) {
    throw std::runtime_error("callback failed");
}

TEST(OnFindDeviceTest, MutexIsReleasedWhenTheCallbackThrows) {
    g_pfnFindDevice = &ThrowingCallback;
    const DeviceRecord record = DispatchSample();
    EXPECT_THROW(OnFindDevice(&record, 67), std::runtime_error);
    g_pfnFindDevice = nullptr;
    ASSERT_TRUE(g_findDeviceMutex.try_lock());
    g_findDeviceMutex.unlock();
}

} // namespace
