#pragma once
// Reads one SSDP-style message of the multicast search: an answer to the M-SEARCH or a
// NOTIFY announcement. Pure: no socket, lock or log, so it can be tested by tables and fuzzed.

#include "discovery/device_record.h"

#include <cstddef>
#include <string>

/// Why a message was taken or dropped. The worker logs nothing of its own for the drops.
enum class MulticastParseResult {
    Good,            ///< a record was built
    NoFirmwareToken, ///< "ZELK" is nowhere in the message
    BadLocation,     ///< a LOCATION header without "//" or without a ":" after the host
    NoIdentity,      ///< no "uuid:" ... "::" after "USN:"
    NotRootDevice,   ///< a NOTIFY without "rootdevice" or without "NTS:"
    OtherKind,       ///< neither an answer ("HTTP") nor an announcement ("NOTIFY")
};

/// The 129-byte search request, without a terminating NUL.
extern const char kMulticastSearchRequest[];
constexpr std::size_t kMulticastSearchRequestLen = 129;

/// Reads `data` as a C string bounded by `nLen` (a NUL inside ends the text). `strFromIP` is
/// the sender, used as `ip` when there is no LOCATION header. On Good, `pRecord` holds the
/// report with its `type` (1 answer, 2 alive, 4 byebye, 0 other announcement); otherwise it is
/// left cleared.
MulticastParseResult ParseMulticastMessage(const char* data, std::size_t nLen, const std::string& strFromIP,
                                           DeviceRecord* pRecord);

/// Short name of a result, for logs and test names.
const char* MulticastParseResultName(MulticastParseResult result);
