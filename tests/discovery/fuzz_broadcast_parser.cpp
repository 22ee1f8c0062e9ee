// libFuzzer target: any datagram through the broadcast reply parser. Every text it fills must
// stay terminated within its field, and only 148-byte datagrams may be taken.

#include "discovery/broadcast_thread.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void CheckField(const char (&field)[32]) {
    if (strnlen(field, sizeof(field)) >= sizeof(field)) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DeviceRecord record;
    std::memset(&record, 0xA5, sizeof(record));
    const BroadcastParseResult result =
        ParseBroadcastReply(reinterpret_cast<const char*>(data), size, "10.0.0.10", &record);
    if (result != BroadcastParseResult::WrongLength && size != sizeof(DhcpPacket)) {
        std::abort();
    }
    if (result == BroadcastParseResult::Device) {
        CheckField(record.id);
        CheckField(record.ip);
        CheckField(record.host);
        CheckField(record.product);
        CheckField(record.extra);
        CheckField(record.version);
        CheckField(record.vendor);
        if (record.type < 0 || record.type > 255 || record.reservedValue != 60) {
            std::abort();
        }
    }
    return 0;
}
