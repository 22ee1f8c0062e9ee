// The broadcast reply parser as a table, and the worker's repeat suppression around it.

#include "discovery/broadcast_thread.h"
#include "tests/discovery/engine_test_util.h"

namespace {

struct ParseCase {
    const char* name;
    std::string strDatagram;
    BroadcastParseResult result;
    std::string id;
    std::string host;
    std::string vendor;
    std::string product;
    int nType;
};

std::string Resized(std::string strData, std::size_t nLen) {
    strData.resize(nLen, '\0');
    return strData;
}

/// A reply whose 128-byte text has no NUL and ends with `strTail`.
std::string FullTextReply(const std::string& strTail) {
    return MakeReply(std::string(128 - strTail.size(), '.') + strTail);
}

class BroadcastParserTable : public ::testing::TestWithParam<ParseCase> {};

TEST_P(BroadcastParserTable, ReadsTheReply) {
    const ParseCase& row = GetParam();
    DeviceRecord record;
    std::memset(&record, 0x7F, sizeof(record));
    const BroadcastParseResult result =
        ParseBroadcastReply(row.strDatagram.data(), row.strDatagram.size(), "10.0.0.10", &record);
    ASSERT_EQ(result, row.result);
    if (result != BroadcastParseResult::Device) {
        return;
    }
    EXPECT_EQ(std::string(record.id), row.id);
    EXPECT_EQ(std::string(record.host), row.host);
    EXPECT_EQ(std::string(record.vendor), row.vendor);
    EXPECT_EQ(std::string(record.product), row.product);
    EXPECT_STREQ(record.ip, "10.0.0.10");
    EXPECT_STREQ(record.extra, "");
    EXPECT_STREQ(record.version, "");
    EXPECT_EQ(record.type, row.nType);
    EXPECT_EQ(record.reservedValue, 60);
}

const std::string k40 = "0123456789abcdefghijklmnopqrstuvwxyzABCD";

const ParseCase kParseCases[] = {
    {"FourPairs", MakeReply("id=A1&host=box&vendor=V&product=P", 12, 7), BroadcastParseResult::Device, "A1",
     "box", "V", "P", 7},
    {"AnyOrder", MakeReply("product=P&vendor=V&host=box&id=A1"), BroadcastParseResult::Device, "A1", "box",
     "V", "P", 1},
    {"TypeByteUnsigned", MakeReply("id=A1", 12, 255), BroadcastParseResult::Device, "A1", "", "", "", 255},
    {"TypeByteZero", MakeReply("id=A1", 12, 0), BroadcastParseResult::Device, "A1", "", "", "", 0},
    // Keys are plain substrings: the first match may sit inside a longer key.
    {"KeyInsideLongerKey", MakeReply("hostid=H7&id=A1&subhost=S&host=box"), BroadcastParseResult::Device,
     "H7", "S", "", "", 1},
    {"ValueCutTo31", MakeReply("id=" + k40 + "&host=box"), BroadcastParseResult::Device, k40.substr(0, 31),
     "box", "", "", 1},
    {"MissingKeys", MakeReply("vendor=V"), BroadcastParseResult::Device, "", "", "V", "", 1},
    {"EmptyText", MakeReply(""), BroadcastParseResult::Device, "", "", "", "", 1},
    {"KeyFollowedByAmpersand", MakeReply("id=&host=box"), BroadcastParseResult::Device, "", "box", "", "", 1},
    {"LastValueRunsToEndOfText", MakeReply("id=A1&product=Pocket Drive"), BroadcastParseResult::Device, "A1",
     "", "", "Pocket Drive", 1},
    {"TextStopsAtFirstNul", MakeReply(std::string("id=A1\0host=box", 14)), BroadcastParseResult::Device, "A1",
     "", "", "", 1},
    // With no NUL the text ends with the packet: a value at its very end is read and no further.
    {"NoNulValueAtPacketEnd", FullTextReply("&id=QQ"), BroadcastParseResult::Device, "QQ", "", "", "", 1},
    {"NoNulLongValueCut", FullTextReply("&host=" + k40), BroadcastParseResult::Device, "", k40.substr(0, 31),
     "", "", 1},
    {"OwnQueryOp11", MakeReply("id=A1", 11), BroadcastParseResult::NotDevice, "", "", "", "", 0},
    {"OpZero", MakeReply("id=A1", 0), BroadcastParseResult::NotDevice, "", "", "", "", 0},
    {"Length147", Resized(MakeReply("id=A1"), 147), BroadcastParseResult::WrongLength, "", "", "", "", 0},
    {"Length149", Resized(MakeReply("id=A1"), 149), BroadcastParseResult::WrongLength, "", "", "", "", 0},
    {"Length1", std::string(1, '\x0c'), BroadcastParseResult::WrongLength, "", "", "", "", 0},
};

INSTANTIATE_TEST_SUITE_P(Replies, BroadcastParserTable, ::testing::ValuesIn(kParseCases),
                         [](const ::testing::TestParamInfo<ParseCase>& info) { return info.param.name; });

/// A sequence of events on one worker and what must come out of it. Events: 'A' and 'B' two device
/// replies, 'T' reply A with another type byte, 'N' a 148-byte datagram with op 11, 'S' reply A cut
/// to 147 bytes, 'R' ResetLastDevice (as the engine does before each search).
struct RepeatCase {
    const char* name;
    const char* pszEvents;
    const char* pszDispatched;
    int nFailLines;
    int nNotDeviceLines;
};

class RepeatSuppression : public ::testing::TestWithParam<RepeatCase> {};

TEST_P(RepeatSuppression, DispatchesOnlyWhatDiffersFromTheLastReport) {
    const RepeatCase& row = GetParam();
    CLogFile log;
    CFoundDevices found;
    // Never opened: HandleReceiveInfo is driven directly, as the receive thread would.
    CSearchDeviceBroadcastThread worker;
    const std::string strA = MakeReply("id=A1&host=box&vendor=V&product=P");
    const std::string strB = MakeReply("id=B2&host=nas&vendor=V&product=Q");
    const std::string strT = MakeReply("id=A1&host=box&vendor=V&product=P", 12, 9);
    const std::string strN = MakeReply("id=A1&host=box&vendor=V&product=P", 11);
    for (const char* p = row.pszEvents; *p != '\0'; ++p) {
        switch (*p) {
        case 'A':
            worker.HandleReceiveInfo(strA.data(), 148, "10.0.0.10");
            break;
        case 'B':
            worker.HandleReceiveInfo(strB.data(), 148, "10.0.0.11");
            break;
        case 'T':
            worker.HandleReceiveInfo(strT.data(), 148, "10.0.0.10");
            break;
        case 'N':
            worker.HandleReceiveInfo(strN.data(), 148, "10.0.0.10");
            break;
        case 'S':
            worker.HandleReceiveInfo(strA.data(), 147, "10.0.0.10");
            break;
        case 'R':
            worker.ResetLastDevice();
            break;
        }
    }
    std::string strDispatched;
    for (const DeviceRecord& record : found.Records()) {
        strDispatched += record.id[0];
    }
    EXPECT_EQ(strDispatched, row.pszDispatched);
    EXPECT_EQ(log.Count("SendThread 1530 : Handle Broadcast Recive Information Fail *["), row.nFailLines);
    EXPECT_EQ(log.Count("SendThread 1530 : Recive IP : 10.0.0.10 is not Device *["), row.nNotDeviceLines);
    EXPECT_EQ(log.Count("SendThread 1530 : Handle Broadcast Recive Information Success *["),
              static_cast<int>(strDispatched.size()));
}

const RepeatCase kRepeatCases[] = {
    {"SameTwiceOnce", "AA", "A", 1, 0},
    {"SameThriceStillOnce", "AAA", "A", 2, 0},
    {"AgainAfterReset", "AARA", "AA", 1, 0},
    {"AlternatingDevicesAllPass", "ABAB", "ABAB", 0, 0},
    {"TypeTakesNoPart", "AT", "A", 1, 0},
    {"NotDeviceKeepsLastDevice", "ANA", "A", 1, 1},
    {"WrongLengthSilentAndKeepsLastDevice", "ASA", "A", 1, 0},
};

INSTANTIATE_TEST_SUITE_P(Sequences, RepeatSuppression, ::testing::ValuesIn(kRepeatCases),
                         [](const ::testing::TestParamInfo<RepeatCase>& info) { return info.param.name; });

TEST(BroadcastHandleTest, WrongLengthWritesNoLine) {
    CLogFile log;
    CSearchDeviceBroadcastThread worker;
    const std::string strA = MakeReply("id=A1");
    worker.HandleReceiveInfo(strA.data(), 147, "10.0.0.10");
    EXPECT_EQ(log.Text(), "");
}

} // namespace
