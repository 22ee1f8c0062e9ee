#include "discovery/multicast_parser.h"

#include <algorithm>
#include <cstring>
#include <string_view>

const char kMulticastSearchRequest[] = "M-SEARCH * HTTP/1.1\r\n"
                                       "HOST: 239.143.255.250:1900\r\n"
                                       "ST: urn:schemas-upnp-org:device:HomeNasDevice:1\r\n"
                                       "MAN: \"ssdp:discover\"\r\n"
                                       "MX: 3\r\n"
                                       "\r\n";
static_assert(sizeof(kMulticastSearchRequest) - 1 == kMulticastSearchRequestLen,
              "the M-SEARCH request is 129 bytes on the wire");

namespace {

constexpr std::size_t npos = std::string_view::npos;
/// The SERVER product token is read into a 64-character area.
constexpr std::size_t kProductTokenMax = 63;

/// Cut to 31 characters; the record was cleared, so the rest stays zero.
void CopyField(char (&field)[32], std::string_view value) {
    const std::size_t nCount = std::min(value.size(), sizeof(field) - 1);
    std::memcpy(field, value.data(), nCount);
    field[nCount] = '\0';
}

/// Position just after `token` found at or after `from`, or npos.
std::size_t FindAfter(std::string_view text, std::string_view token, std::size_t from) {
    if (from == npos || from > text.size())
        return npos;
    const std::size_t at = text.find(token, from);
    return at == npos ? npos : at + token.size();
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

/// "vendor/host/product/extra": no "/" takes nothing, one "/" only the vendor.
void SplitProductToken(std::string_view token, DeviceRecord* pRecord) {
    const std::size_t s1 = token.find('/');
    if (s1 == npos)
        return;
    CopyField(pRecord->vendor, token.substr(0, s1));
    const std::size_t s2 = token.find('/', s1 + 1);
    if (s2 == npos)
        return;
    CopyField(pRecord->host, token.substr(s1 + 1, s2 - s1 - 1));
    const std::size_t s3 = token.find('/', s2 + 1);
    if (s3 == npos) {
        CopyField(pRecord->product, token.substr(s2 + 1));
        return;
    }
    CopyField(pRecord->product, token.substr(s2 + 1, s3 - s2 - 1));
    CopyField(pRecord->extra, token.substr(s3 + 1));
}

/// SERVER: "<os>, ZELK/<version>, <vendor>/<host>/<product>/<extra>". Every piece is optional;
/// a missing one ends the reading and keeps what was found before it.
void ReadServer(std::string_view text, DeviceRecord* pRecord) {
    const std::size_t verBegin = FindAfter(text, "ZELK/", FindAfter(text, "SERVER:", 0));
    if (verBegin == npos)
        return;
    const std::size_t verEnd = text.find(',', verBegin);
    if (verEnd == npos)
        return;
    CopyField(pRecord->version, text.substr(verBegin, verEnd - verBegin));

    const std::size_t comma = text.find(',', verEnd + 1);
    if (comma == npos)
        return;
    // Skip the comma and the blank after it, but never past the end of the text.
    std::size_t tokBegin = comma + 1;
    if (tokBegin < text.size())
        ++tokBegin;
    const std::size_t tokEnd = text.find('\r', tokBegin);
    if (tokEnd == npos)
        return;
    SplitProductToken(text.substr(tokBegin, std::min(tokEnd - tokBegin, kProductTokenMax)), pRecord);
}

MulticastParseResult Parse(std::string_view text, const std::string& strFromIP, DeviceRecord* pRecord) {
    if (text.find("ZELK") == npos)
        return MulticastParseResult::NoFirmwareToken;

    const std::size_t hostBegin = FindAfter(text, "//", FindAfter(text, "LOCATION:", 0));
    if (text.find("LOCATION:") != npos) {
        if (hostBegin == npos)
            return MulticastParseResult::BadLocation;
        const std::size_t hostEnd = text.find(':', hostBegin);
        if (hostEnd == npos)
            return MulticastParseResult::BadLocation;
        CopyField(pRecord->ip, text.substr(hostBegin, hostEnd - hostBegin));
    } else {
        CopyField(pRecord->ip, strFromIP);
    }

    ReadServer(text, pRecord);

    const std::size_t idBegin = FindAfter(text, "uuid:", FindAfter(text, "USN:", 0));
    const std::size_t idEnd = idBegin == npos ? npos : text.find("::", idBegin);
    if (idEnd == npos)
        return MulticastParseResult::NoIdentity;
    CopyField(pRecord->id, text.substr(idBegin, idEnd - idBegin));

    if (StartsWith(text, "HTTP")) {
        pRecord->type = 1;
    } else if (StartsWith(text, "NOTIFY")) {
        std::size_t nts = FindAfter(text, "NTS:", 0);
        if (text.find("rootdevice") == npos || nts == npos)
            return MulticastParseResult::NotRootDevice;
        while (nts < text.size() && (text[nts] == ' ' || text[nts] == '\t'))
            ++nts;
        const std::string_view kind = text.substr(nts);
        if (StartsWith(kind, "ssdp:alive"))
            pRecord->type = 2;
        else if (StartsWith(kind, "ssdp:byebye"))
            pRecord->type = 4;
        else
            pRecord->type = 0;
    } else {
        return MulticastParseResult::OtherKind;
    }
    return MulticastParseResult::Good;
}

} // namespace

MulticastParseResult ParseMulticastMessage(const char* data, std::size_t nLen, const std::string& strFromIP,
                                           DeviceRecord* pRecord) {
    DeviceRecord record;
    InitDevice(&record);
    const std::string_view text(data, data == nullptr ? 0 : strnlen(data, nLen));
    const MulticastParseResult result = Parse(text, strFromIP, &record);
    if (result == MulticastParseResult::Good)
        *pRecord = record;
    else
        InitDevice(pRecord);
    return result;
}

const char* MulticastParseResultName(MulticastParseResult result) {
    switch (result) {
    case MulticastParseResult::Good:
        return "Good";
    case MulticastParseResult::NoFirmwareToken:
        return "NoFirmwareToken";
    case MulticastParseResult::BadLocation:
        return "BadLocation";
    case MulticastParseResult::NoIdentity:
        return "NoIdentity";
    case MulticastParseResult::NotRootDevice:
        return "NotRootDevice";
    case MulticastParseResult::OtherKind:
        return "OtherKind";
    }
    return "Unknown";
}
