#pragma once
// The broadcast worker: sends the 148-byte search packet to 255.255.255.255:68 and reads the
// devices' 148-byte key=value replies.

#include "discovery/search_thread.h"

#include <cstddef>
#include <string>

/// What a datagram on the broadcast port turned out to be.
enum class BroadcastParseResult {
    WrongLength, ///< not 148 bytes: other DHCP traffic, dropped without a word
    NotDevice,   ///< 148 bytes but op is not 12
    Device,      ///< a device reply; the record is filled
};

/// Reads one datagram as a device reply. Pure: no socket, lock or log. The record is cleared
/// first; on Device it holds `ip` (strFromIP), `type` (the reply's type byte) and the values of
/// "id=", "host=", "vendor=", "product=" found as plain substrings of the text, each cut to 31.
BroadcastParseResult ParseBroadcastReply(const char* data, std::size_t nLen, const std::string& strFromIP,
                                         DeviceRecord* pRecord);

class CSearchDeviceBroadcastThread : public CSearchDeviceThread {
public:
    ~CSearchDeviceBroadcastThread() override;
    void CreateWorkThread() override;
    int SendSearchCommand(const DhcpPacket* pdhcp) override;
    void HandleReceiveInfo(const char* data, int nLen, const std::string& strFromIP) override;
};
