// The multicast parser as a table: one message in, one result and record out.

#include "discovery/multicast_parser.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

namespace {

struct ParserCase {
    const char* name;
    std::string message;
    const char* from;
    MulticastParseResult result;
    // Expected record on Good; ignored otherwise (the record must then be cleared).
    const char* id = "";
    const char* ip = "";
    const char* host = "";
    const char* product = "";
    const char* extra = "";
    const char* version = "";
    const char* vendor = "";
    int type = 0;
};

const std::string kUsn = "USN: uuid:1234::urn:schemas-upnp-org:device:HomeNasDevice:1\r\n";
const std::string kServer = "SERVER: ZELK/1.0,UPnP/1.0, A/B/C/D\r\n";
const std::string kLocation = "LOCATION: http://192.168.1.1:80/desc.xml\r\n";

std::string Answer(const std::string& location, const std::string& server, const std::string& usn = kUsn) {
    return "HTTP/1.1 200 OK\r\nCACHE-CONTROL: max-age=1800\r\n" + location + server +
           "ST: urn:schemas-upnp-org:device:HomeNasDevice:1\r\n" + usn + "\r\n";
}

std::string Notify(const std::string& ntsLine, const std::string& nt = "NT: upnp:rootdevice\r\n") {
    return "NOTIFY * HTTP/1.1\r\nHOST: 239.143.255.250:1900\r\n" + kLocation + kServer + nt + ntsLine +
           "USN: uuid:1234::upnp:rootdevice\r\n\r\n";
}

std::string WithNul(std::string text, std::size_t at) {
    text.insert(at, 1, '\0');
    return text;
}

constexpr auto Good = MulticastParseResult::Good;

const ParserCase kCases[] = {
    {"AnswerAllFields", Answer(kLocation, kServer), "10.0.0.9", Good, "1234", "192.168.1.1", "B", "C", "D",
     "1.0", "A", 1},
    {"DeviceSimulatorShape",
     Answer("LOCATION: http://10.0.0.7:8080/rootDesc.xml\r\n",
            "SERVER: Linux/3.10, ZELK/2.1.7, UPnP/1.0, Vantro/pocket/StorNAS/rev2\r\n",
            "USN: uuid:dev-0007::urn:schemas-upnp-org:device:HomeNasDevice:1\r\n"),
     "10.0.0.7", Good, "dev-0007", "10.0.0.7", "pocket", "StorNAS", "rev2", "2.1.7", "Vantro", 1},
    {"NoLocationTakesSender", Answer("", kServer), "10.0.0.9", Good, "1234", "10.0.0.9", "B", "C", "D", "1.0",
     "A", 1},
    {"LocationWithoutSlashes", Answer("LOCATION: 192.168.1.1:80/desc.xml\r\n", kServer), "10.0.0.9",
     MulticastParseResult::BadLocation},
    // Without a ":" after the host the address runs to the next ":" anywhere ("SERVER:"), cut to 31.
    {"LocationHostWithoutColon",
     Answer("LOCATION: http://192.168.100.200/description/device.xml\r\n", kServer), "10.0.0.9", Good, "1234",
     "192.168.100.200/description/dev", "B", "C", "D", "1.0", "A", 1},
    {"LocationNoColonAnywhereAfter",
     "HTTP/1.1 200 OK\r\nZELK\r\nUSN: uuid:77::x\r\nLOCATION: http//nowhere\r\n", "10.0.0.9",
     MulticastParseResult::BadLocation},
    {"TokenSingleSlash", Answer(kLocation, "SERVER: ZELK/1.0,UPnP/1.0, A/B\r\n"), "10.0.0.9", Good, "1234",
     "192.168.1.1", "", "", "", "1.0", "A", 1},
    {"TokenNoSlash", Answer(kLocation, "SERVER: ZELK/1.0,UPnP/1.0, ABC\r\n"), "10.0.0.9", Good, "1234",
     "192.168.1.1", "", "", "", "1.0", "", 1},
    {"TokenTwoSlashes", Answer(kLocation, "SERVER: ZELK/1.0,UPnP/1.0, A/B/C\r\n"), "10.0.0.9", Good, "1234",
     "192.168.1.1", "B", "C", "", "1.0", "A", 1},
    {"TokenExtraKeepsFurtherSlashes", Answer(kLocation, "SERVER: ZELK/1.0,UPnP/1.0, A/B/C/D/E/F\r\n"),
     "10.0.0.9", Good, "1234", "192.168.1.1", "B", "C", "D/E/F", "1.0", "A", 1},
    // The token is read into 63 characters: the third "/" at offset 72 falls outside.
    {"TokenCutTo63",
     Answer(kLocation, "SERVER: ZELK/1.0,x, VVVVVVVVVVVVVVVVVVVV/HHHHHHHHHHHHHHHHHHHH/"
                       "PPPPPPPPPPPPPPPPPPPPPPPPPPPPPP/E\r\n"),
     "10.0.0.9", Good, "1234", "192.168.1.1", "HHHHHHHHHHHHHHHHHHHH", "PPPPPPPPPPPPPPPPPPPPP", "", "1.0",
     "VVVVVVVVVVVVVVVVVVVV", 1},
    {"FieldsCutTo31",
     Answer(kLocation, "SERVER: ZELK/1.2.3.4.5.6.7.8.9.10.11.12.13.14,x, A/B/C/D\r\n",
            "USN: uuid:0123456789abcdef0123456789abcdef0123::x\r\n"),
     "10.0.0.9", Good, "0123456789abcdef0123456789abcde", "192.168.1.1", "B", "C", "D",
     "1.2.3.4.5.6.7.8.9.10.11.12.13.1", "A", 1},
    {"ServerWithoutVersionComma", Answer(kLocation, "SERVER: Linux ZELK/3.0\r\n"), "10.0.0.9", Good, "1234",
     "192.168.1.1", "", "", "", "", "", 1},
    {"ServerWithoutProductComma", Answer(kLocation, "SERVER: Linux/3.10, ZELK/3.0, A/B/C/D\r\n"), "10.0.0.9",
     Good, "1234", "192.168.1.1", "", "", "", "3.0", "", 1},
    {"ServerEndsAtLastComma", "HTTP/1.1 200 OK\r\nUSN: uuid:42::x\r\nSERVER: ZELK/9,x,", "10.0.0.9", Good,
     "42", "10.0.0.9", "", "", "", "9", "", 1},
    {"ServerTokenWithoutCR", "HTTP/1.1 200 OK\r\nUSN: uuid:42::x\r\nSERVER: ZELK/9,x, A/B/C/D", "10.0.0.9",
     Good, "42", "10.0.0.9", "", "", "", "9", "", 1},
    {"NoZelk",
     "HTTP/1.1 200 OK\r\n" + kLocation + "SERVER: Linux/3.10, UPnP/1.0, A/B/C/D\r\n" + kUsn + "\r\n",
     "10.0.0.9", MulticastParseResult::NoFirmwareToken},
    {"OwnSearchLoopedBack",
     "M-SEARCH * HTTP/1.1\r\nHOST: 239.143.255.250:1900\r\nST: "
     "urn:schemas-upnp-org:device:HomeNasDevice:1\r\n"
     "MAN: \"ssdp:discover\"\r\nMX: 3\r\n\r\n",
     "10.0.0.5", MulticastParseResult::NoFirmwareToken},
    {"NulEndsTheText", WithNul(Answer(kLocation, kServer), 17), "10.0.0.9",
     MulticastParseResult::NoFirmwareToken},
    {"NoUsn", Answer(kLocation, kServer, ""), "10.0.0.9", MulticastParseResult::NoIdentity},
    {"UsnWithoutDoubleColon", Answer(kLocation, kServer, "USN: uuid:1234\r\n"), "10.0.0.9",
     MulticastParseResult::NoIdentity},
    {"UuidOnlyBeforeUsn", "HTTP/1.1 200 OK\r\nX: uuid:1::\r\nZELK\r\nUSN: 1234::x\r\n", "10.0.0.9",
     MulticastParseResult::NoIdentity},
    {"NotifyAlive", Notify("NTS: ssdp:alive\r\n"), "10.0.0.9", Good, "1234", "192.168.1.1", "B", "C", "D",
     "1.0", "A", 2},
    {"NotifyByebyeAfterTab", Notify("NTS:\tssdp:byebye\r\n"), "10.0.0.9", Good, "1234", "192.168.1.1", "B",
     "C", "D", "1.0", "A", 4},
    {"NotifyAliveAfterBlanksAndTabs", Notify("NTS: \t \tssdp:alive\r\n"), "10.0.0.9", Good, "1234",
     "192.168.1.1", "B", "C", "D", "1.0", "A", 2},
    {"NotifyOtherNtsIsTypeZero", Notify("NTS: ssdp:update\r\n"), "10.0.0.9", Good, "1234", "192.168.1.1", "B",
     "C", "D", "1.0", "A", 0},
    {"NotifyNtsAtEndOfText", "NOTIFY * HTTP/1.1\r\nZELK rootdevice\r\nUSN: uuid:5::x\r\nNTS:", "10.0.0.9",
     Good, "5", "10.0.0.9", "", "", "", "", "", 0},
    {"NotifyWithoutRootdevice",
     "NOTIFY * HTTP/1.1\r\n" + kLocation + kServer + "NT: urn:schemas-upnp-org:device:HomeNasDevice:1\r\n" +
         "NTS: ssdp:alive\r\n" + kUsn + "\r\n",
     "10.0.0.9", MulticastParseResult::NotRootDevice},
    {"NotifyWithoutNts", Notify(""), "10.0.0.9", MulticastParseResult::NotRootDevice},
    {"LowercaseHttpIsOtherKind", "http/1.1 200 OK\r\n" + kLocation + kServer + kUsn, "10.0.0.9",
     MulticastParseResult::OtherKind},
    {"SearchWithZelkIsOtherKind", "M-SEARCH * HTTP/1.1\r\n" + kServer + kUsn, "10.0.0.9",
     MulticastParseResult::OtherKind},
    {"EmptyMessage", "", "10.0.0.9", MulticastParseResult::NoFirmwareToken},
};

class MulticastParserTable : public ::testing::TestWithParam<ParserCase> {};

TEST_P(MulticastParserTable, ResultAndRecord) {
    const ParserCase& c = GetParam();
    DeviceRecord record;
    std::memset(&record, 0x5A, sizeof(record)); // the parser must not rely on a cleared record
    const MulticastParseResult result =
        ParseMulticastMessage(c.message.data(), c.message.size(), c.from, &record);
    ASSERT_EQ(MulticastParseResultName(result), std::string(MulticastParseResultName(c.result)));

    DeviceRecord expected;
    InitDevice(&expected);
    if (c.result == Good) {
        auto put = [](char(&field)[32], const char* text) { std::strncpy(field, text, sizeof(field) - 1); };
        put(expected.id, c.id);
        put(expected.ip, c.ip);
        put(expected.host, c.host);
        put(expected.product, c.product);
        put(expected.extra, c.extra);
        put(expected.version, c.version);
        put(expected.vendor, c.vendor);
        expected.type = c.type;
    }
    EXPECT_STREQ(record.id, expected.id);
    EXPECT_STREQ(record.ip, expected.ip);
    EXPECT_STREQ(record.host, expected.host);
    EXPECT_STREQ(record.product, expected.product);
    EXPECT_STREQ(record.extra, expected.extra);
    EXPECT_STREQ(record.version, expected.version);
    EXPECT_STREQ(record.vendor, expected.vendor);
    EXPECT_EQ(record.type, expected.type);
    EXPECT_EQ(record.reservedFlag, 0);
    EXPECT_EQ(record.reservedValue, 60);
    // Zero-filled behind every terminator, so records compare and copy as plain values.
    EXPECT_EQ(std::memcmp(&record, &expected, offsetof(DeviceRecord, reservedFlag) + 1), 0);
}

INSTANTIATE_TEST_SUITE_P(Messages, MulticastParserTable, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ParserCase>& info) { return info.param.name; });

// The datagram's length bounds the text even when the buffer holds no NUL within it.
TEST(MulticastParserBounds, LengthBoundsTextWithoutNul) {
    const std::string full = Answer(kLocation, kServer);
    const std::size_t cut = full.find("ZELK");
    DeviceRecord record;
    EXPECT_EQ(ParseMulticastMessage(full.data(), cut + 3, "10.0.0.9", &record),
              MulticastParseResult::NoFirmwareToken);
    EXPECT_EQ(ParseMulticastMessage(full.data(), full.size(), "10.0.0.9", &record),
              MulticastParseResult::Good);
}

} // namespace
