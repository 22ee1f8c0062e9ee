// roamdock-scan without a network: its command line and its output formats.

#include "tools/scan/scanner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// Command line

struct ArgumentCase {
    const char* pszName;
    std::vector<std::string> args;
    int nExpectedExit; // -1: the scan would run
    int nSeconds = 10;
    bool bJson = false;
    bool bReports = false;
    std::string strLogPath = "";
};

class ScanArgumentsTest : public testing::TestWithParam<ArgumentCase> {};

TEST_P(ScanArgumentsTest, ExitCodeStreamsAndOptions) {
    const ArgumentCase& c = GetParam();
    std::vector<const char*> argv = {"roamdock-scan"};
    for (const std::string& strArg : c.args) {
        argv.push_back(strArg.c_str());
    }
    ScanOptions options;
    std::ostringstream out;
    std::ostringstream err;
    const int nExit = ParseScanArguments(static_cast<int>(argv.size()), argv.data(), options, out, err);
    EXPECT_EQ(nExit, c.nExpectedExit);
    const std::string strUsage = ScanUsage();
    switch (c.nExpectedExit) {
    case -1:
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(err.str(), "");
        EXPECT_EQ(options.nSeconds, c.nSeconds);
        EXPECT_EQ(options.bJson, c.bJson);
        EXPECT_EQ(options.bReports, c.bReports);
        EXPECT_EQ(options.strLogPath, c.strLogPath);
        break;
    case 0:
        EXPECT_EQ(out.str(), strUsage);
        EXPECT_EQ(err.str(), "");
        break;
    default:
        EXPECT_EQ(out.str(), "");
        EXPECT_NE(err.str().find(strUsage), std::string::npos) << err.str();
        EXPECT_EQ(err.str().rfind("roamdock-scan: ", 0), 0u) << "a reason comes first: " << err.str();
        break;
    }
}

const ArgumentCase kArgumentCases[] = {
    {"NoArguments", {}, -1, 10, false, false, ""},
    {"SecondsAndJson", {"--seconds", "3", "--json"}, -1, 3, true, false, ""},
    {"SecondsWithEquals", {"--seconds=0"}, -1, 0, false, false, ""},
    {"ReportsAndLog", {"--reports", "--log", "/tmp/scan.log"}, -1, 10, false, true, "/tmp/scan.log"},
    {"LogPathLongestAllowed",
     {"--log", std::string(4095, 'l')},
     -1,
     10,
     false,
     false,
     std::string(4095, 'l')},
    {"Help", {"--help"}, 0},
    {"HelpShort", {"-h"}, 0},
    {"HelpWithValidOptions", {"--json", "--help"}, 0},
    {"UnknownOption", {"--verbose"}, 2},
    {"UnknownShortOption", {"-s", "3"}, 2},
    {"StrayWord", {"now"}, 2},
    {"StrayWordAfterDoubleDash", {"--", "now"}, 2},
    {"SecondsWithoutValue", {"--seconds"}, 2},
    {"SecondsNotANumber", {"--seconds", "ten"}, 2},
    {"SecondsTrailingJunk", {"--seconds", "3x"}, 2},
    {"SecondsNegative", {"--seconds=-1"}, 2},
    {"SecondsOverflow", {"--seconds", "99999999999"}, 2},
    {"SecondsTwice", {"--seconds", "1", "--seconds", "2"}, 2},
    {"AbbreviatedOption", {"--sec", "3"}, 2},
    {"SwitchWithValue", {"--json=yes"}, 2},
    {"LogWithoutValue", {"--log"}, 2},
    {"LogEmpty", {"--log", ""}, 2},
    {"LogPathTooLong", {"--log", std::string(4096, 'l')}, 2},
    {"HelpWithUnknownOption", {"--help", "--bogus"}, 2},
};

INSTANTIATE_TEST_SUITE_P(Arguments, ScanArgumentsTest, testing::ValuesIn(kArgumentCases),
                         [](const testing::TestParamInfo<ArgumentCase>& info) { return info.param.pszName; });

/// The built program: only runs that end before the engine starts (help and bad arguments).
struct ProgramCase {
    const char* pszName;
    const char* pszArgs;
    int nExpectedExit;
    bool bUsageOnStdout;
    bool bUsageOnStderr;
};

class ScanProgramTest : public testing::TestWithParam<ProgramCase> {};

std::string ReadFile(const std::string& strPath) {
    std::ifstream file(strPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST_P(ScanProgramTest, ExitCodeAndWhereTheUsageGoes) {
    const ProgramCase& c = GetParam();
    const std::string strBase = testing::TempDir() + "scan_" + c.pszName;
    const std::string strCommand = std::string(ROAMDOCK_SCAN_BIN) + " " + c.pszArgs + " >" + strBase +
                                   ".out 2>" + strBase + ".err </dev/null";
    const int nStatus = std::system(strCommand.c_str());
    ASSERT_TRUE(WIFEXITED(nStatus)) << strCommand;
    EXPECT_EQ(WEXITSTATUS(nStatus), c.nExpectedExit);
    const std::string strUsageLine = "Usage: roamdock-scan";
    EXPECT_EQ(ReadFile(strBase + ".out").find(strUsageLine) != std::string::npos, c.bUsageOnStdout);
    EXPECT_EQ(ReadFile(strBase + ".err").find(strUsageLine) != std::string::npos, c.bUsageOnStderr);
    std::remove((strBase + ".out").c_str());
    std::remove((strBase + ".err").c_str());
}

const ProgramCase kProgramCases[] = {
    {"Help", "--help", 0, true, false},
    {"UnknownOption", "--bogus", 2, false, true},
    {"MalformedSeconds", "--seconds abc", 2, false, true},
    {"StrayWord", "scan", 2, false, true},
};

INSTANTIATE_TEST_SUITE_P(Program, ScanProgramTest, testing::ValuesIn(kProgramCases),
                         [](const testing::TestParamInfo<ProgramCase>& info) { return info.param.pszName; });

// ---------------------------------------------------------------------------------------------
// Output

DeviceRecord MakeRecord(const std::string& strIp, const std::string& strHost, const std::string& strProduct) {
    DeviceRecord record;
    std::memset(&record, 0, sizeof(record));
    std::strncpy(record.id, ("id-" + strIp).c_str(), sizeof(record.id) - 1);
    std::memcpy(record.ip, strIp.data(), std::min(strIp.size(), sizeof(record.ip)));
    std::memcpy(record.host, strHost.data(), std::min(strHost.size(), sizeof(record.host)));
    std::memcpy(record.product, strProduct.data(), std::min(strProduct.size(), sizeof(record.product)));
    std::strncpy(record.extra, "usb3/sd", sizeof(record.extra) - 1);
    std::strncpy(record.version, "3.0.12", sizeof(record.version) - 1);
    std::strncpy(record.vendor, "Vantro", sizeof(record.vendor) - 1);
    record.type = 2;
    record.reservedValue = 60;
    return record;
}

const std::vector<std::string> kKeys = {"id", "ip", "host", "product", "extra", "version", "vendor", "type"};

struct HostileCase {
    const char* pszName;
    std::string strHost;     // the bytes the device sent (up to 32, maybe without terminator)
    std::string strExpected; // the host text after decoding the JSON
};

class DeviceJsonTest : public testing::TestWithParam<HostileCase> {};

TEST_P(DeviceJsonTest, OneValidAsciiLineWithKeysInOrder) {
    const DeviceRecord record = MakeRecord("192.168.8.10", GetParam().strHost, "RD-300");
    const std::string strLine = FormatDeviceJson(record);
    ASSERT_FALSE(strLine.empty());
    EXPECT_EQ(strLine.back(), '\n');
    EXPECT_EQ(strLine.find('\n'), strLine.size() - 1) << "one line only";
    for (const char c : strLine.substr(0, strLine.size() - 1)) {
        const auto u = static_cast<unsigned char>(c);
        EXPECT_TRUE(u >= 0x20 && u < 0x7F) << "byte " << static_cast<int>(u) << " in " << strLine;
    }
    // The strict parser throws on invalid UTF-8 or unescaped control characters.
    const nlohmann::ordered_json object = nlohmann::ordered_json::parse(strLine);
    std::vector<std::string> keys;
    for (const auto& item : object.items()) {
        keys.push_back(item.key());
    }
    EXPECT_EQ(keys, kKeys);
    EXPECT_EQ(object["host"].get<std::string>(), GetParam().strExpected);
    EXPECT_EQ(object["ip"].get<std::string>(), "192.168.8.10");
    EXPECT_EQ(object["product"].get<std::string>(), "RD-300");
    EXPECT_EQ(object["vendor"].get<std::string>(), "Vantro");
    EXPECT_TRUE(object["type"].is_number_integer());
    EXPECT_EQ(object["type"].get<int>(), 2);
}

const std::string kReplacement = "\xEF\xBF\xBD"; // U+FFFD

const HostileCase kHostileCases[] = {
    {"PlainAscii", "pocket", "pocket"},
    {"Empty", "", ""},
    {"ValidMultibyte", "\xE8\xAE\xBE\xE5\xA4\x87-01", "\xE8\xAE\xBE\xE5\xA4\x87-01"},
    {"QuoteAndBackslash", "a\"b\\c", "a\"b\\c"},
    {"ControlCharacters", "a\x01\x1B[31m\t\r\nb", "a\x01\x1B[31m\t\r\nb"},
    {"DeleteAndC1Control", "x\x7F\xC2\x9By", "x\x7F\xC2\x9By"},
    {"InvalidBytes", "\xFF\xFE", kReplacement + kReplacement},
    {"TruncatedAtEnd", "ab\xE4\xB8", "ab" + kReplacement},
    {"TruncatedInMiddle", "a\xE4\xB8z", "a" + kReplacement + "z"},
    {"LoneContinuation", "a\x80z", "a" + kReplacement + "z"},
    {"Overlong", "\xC0\xAF", kReplacement + kReplacement},
    {"EncodedSurrogate", "\xED\xA0\x80", kReplacement + kReplacement + kReplacement},
    {"FullFieldWithoutTerminator", std::string(32, 'h'), std::string(32, 'h')},
};

INSTANTIATE_TEST_SUITE_P(Hosts, DeviceJsonTest, testing::ValuesIn(kHostileCases),
                         [](const testing::TestParamInfo<HostileCase>& info) { return info.param.pszName; });

TEST(ReportJsonTest, AddsThePortAsLastKey) {
    const std::string strLine = FormatReportJson(MakeRecord("10.0.0.7", "h", "p"), 1550);
    const nlohmann::ordered_json object = nlohmann::ordered_json::parse(strLine);
    std::vector<std::string> keys;
    for (const auto& item : object.items()) {
        keys.push_back(item.key());
    }
    std::vector<std::string> expected = kKeys;
    expected.push_back("port");
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(object["port"].get<int>(), 1550);
    EXPECT_EQ(object["ip"].get<std::string>(), "10.0.0.7");
}

TEST(DeviceLinesTest, NewestFirst) {
    const std::vector<DeviceRecord> records = {
        MakeRecord("10.0.0.1", "a", "p"), MakeRecord("10.0.0.2", "b", "p"), MakeRecord("10.0.0.3", "c", "p")};
    std::istringstream lines(FormatDeviceLines(records));
    std::vector<std::string> hosts;
    for (std::string strLine; std::getline(lines, strLine);) {
        hosts.push_back(nlohmann::json::parse(strLine)["host"].get<std::string>());
    }
    EXPECT_EQ(hosts, (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_EQ(FormatDeviceLines({}), "");
}

std::vector<std::string> SplitLines(const std::string& strText) {
    std::vector<std::string> lines;
    std::istringstream stream(strText);
    for (std::string strLine; std::getline(stream, strLine);) {
        lines.push_back(strLine);
    }
    return lines;
}

TEST(DeviceTableTest, HeaderThenNewestFirstInAlignedColumns) {
    const std::vector<DeviceRecord> records = {MakeRecord("192.168.8.10", "alpha", "RD-300"),
                                               MakeRecord("10.0.0.2", "a-much-longer-host-name", "RD-10"),
                                               MakeRecord("172.16.0.3", "c", "Pocket Max")};
    const std::vector<std::string> lines = SplitLines(FormatDeviceTable(records));
    ASSERT_EQ(lines.size(), 4u);
    const size_t nIpColumn = lines[0].find("IP Address");
    const size_t nTypeColumn = lines[0].find("Device Type");
    ASSERT_EQ(lines[0].rfind("Host Name", 0), 0u);
    ASSERT_NE(nIpColumn, std::string::npos);
    ASSERT_NE(nTypeColumn, std::string::npos);
    const char* const pszExpected[3][3] = {{"c", "172.16.0.3", "Pocket Max"},
                                           {"a-much-longer-host-name", "10.0.0.2", "RD-10"},
                                           {"alpha", "192.168.8.10", "RD-300"}};
    for (size_t i = 0; i < 3; ++i) {
        const std::string& strLine = lines[i + 1];
        EXPECT_EQ(strLine.rfind(pszExpected[i][0], 0), 0u) << strLine;
        EXPECT_EQ(strLine.find(pszExpected[i][1]), nIpColumn) << strLine;
        EXPECT_EQ(strLine.substr(nTypeColumn), pszExpected[i][2]) << strLine;
    }
}

TEST(DeviceTableTest, DeviceTextCannotDriveTheTerminal) {
    const std::vector<DeviceRecord> records = {MakeRecord("10.0.0.9",
                                                          "\x1B]0;owned\x07\x1B[2J\xC2\x9B"
                                                          "31m",
                                                          "x\xFF\r\ny")};
    const std::string strTable = FormatDeviceTable(records);
    const std::vector<std::string> lines = SplitLines(strTable);
    ASSERT_EQ(lines.size(), 2u) << "a device's line break must not start a row";
    for (const char c : strTable) {
        const auto u = static_cast<unsigned char>(c);
        EXPECT_TRUE(u >= 0x20 || u == '\n') << "control byte " << static_cast<int>(u);
        EXPECT_NE(u, 0x7F);
    }
    EXPECT_EQ(strTable.find("\xC2\x9B"), std::string::npos) << "C1 control passed through";
    EXPECT_NE(strTable.find("x" + kReplacement + "??y"), std::string::npos) << strTable;
    EXPECT_NE(strTable.find("?]0;owned??[2J?31m"), std::string::npos) << strTable;
}

TEST(DeviceTableTest, EmptyStoreGivesTheHeaderOnly) {
    const std::vector<std::string> lines = SplitLines(FormatDeviceTable({}));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("Host Name", 0), 0u);
}

} // namespace
