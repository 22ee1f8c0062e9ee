// libFuzzer target: any datagram reaches the multicast parser the way the worker hands it over
// (at most 1024 bytes, followed by a NUL) and yields a well-formed record or a drop.

#include "discovery/multicast_parser.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void CheckField(const char (&field)[32]) {
    const std::size_t nLen = strnlen(field, sizeof(field));
    if (nLen >= sizeof(field))
        std::abort();
    for (std::size_t i = nLen; i < sizeof(field); ++i)
        if (field[i] != '\0')
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    char buffer[1025] = {};
    const std::size_t nLen = nSize < 1024 ? nSize : 1024;
    std::memcpy(buffer, pData, nLen);

    DeviceRecord record;
    const MulticastParseResult result = ParseMulticastMessage(buffer, nLen, "10.0.0.9", &record);
    for (const auto* pField : {&record.id, &record.ip, &record.host, &record.product, &record.extra,
                               &record.version, &record.vendor})
        CheckField(*pField);
    if (result == MulticastParseResult::Good) {
        if (record.type != 0 && record.type != 1 && record.type != 2 && record.type != 4)
            std::abort();
    } else if (record.type != 0 || record.id[0] != '\0') {
        std::abort();
    }
    return 0;
}
