#include "discovery/broadcast_thread.h"

#include "discovery/engine.h"

#include <boost/asio/socket_base.hpp>

#include <algorithm>
#include <cstring>
#include <exception>
#include <string_view>

namespace {

constexpr unsigned short kDevicePort = 68;
constexpr uint8_t kReplyOp = 12;

/// Copies a value cut to 31 characters; the record was cleared, so the rest stays zero.
void CopyField(char (&field)[32], std::string_view value) {
    const std::size_t nCount = std::min(value.size(), sizeof(field) - 1);
    std::memcpy(field, value.data(), nCount);
    field[nCount] = '\0';
}

/// The value after the first occurrence of `key` up to the next "&" (or the end of the text).
void ReadKey(std::string_view text, std::string_view key, char (&field)[32]) {
    const std::size_t nKey = text.find(key);
    if (nKey == std::string_view::npos) {
        return;
    }
    const std::size_t nStart = nKey + key.size();
    const std::size_t nEnd = text.find('&', nStart);
    CopyField(field,
              text.substr(nStart, nEnd == std::string_view::npos ? std::string_view::npos : nEnd - nStart));
}

} // namespace

BroadcastParseResult ParseBroadcastReply(const char* data, std::size_t nLen, const std::string& strFromIP,
                                         DeviceRecord* pRecord) {
    if (nLen != sizeof(DhcpPacket)) {
        return BroadcastParseResult::WrongLength;
    }
    InitDevice(pRecord);
    DhcpPacket packet;
    std::memcpy(&packet, data, sizeof(packet));
    if (packet.op != kReplyOp) {
        return BroadcastParseResult::NotDevice;
    }
    CopyField(pRecord->ip, strFromIP);
    pRecord->type = packet.type;
    // The text ends at its first NUL or at the end of the packet, never beyond.
    const std::string_view text(packet.text, strnlen(packet.text, sizeof(packet.text)));
    ReadKey(text, "id=", pRecord->id);
    ReadKey(text, "host=", pRecord->host);
    ReadKey(text, "vendor=", pRecord->vendor);
    ReadKey(text, "product=", pRecord->product);
    return BroadcastParseResult::Device;
}

CSearchDeviceBroadcastThread::~CSearchDeviceBroadcastThread() {
    // Stop the thread while this class's HandleReceiveInfo is still there to be called.
    StopForDestruction();
}

void CSearchDeviceBroadcastThread::CreateWorkThread() {
    // The broadcast worker never retries on another port.
    CreateSocketAndThread("SendThread %d : Create Search Device Work Thread ",
                          [this](boost::asio::ip::udp::socket& sock) {
                              sock.open(boost::asio::ip::udp::v4());
                              sock.set_option(boost::asio::socket_base::broadcast(true));
                              sock.bind(AnyEndpoint());
                          });
}

int CSearchDeviceBroadcastThread::SendSearchCommand(const DhcpPacket* pdhcp) {
    WriteLog("SendThread %d : Send Broadcast Search Command  ", nPort);
    try {
        SendDatagram(pdhcp, sizeof(DhcpPacket),
                     boost::asio::ip::udp::endpoint(boost::asio::ip::address_v4::broadcast(), kDevicePort));
    } catch (const std::exception& e) {
        WriteLog("SendThread %d : Send Broadcast Search Error : %s   ", nPort, e.what());
    }
    return 0;
}

void CSearchDeviceBroadcastThread::HandleReceiveInfo(const char* data, int nLen,
                                                     const std::string& strFromIP) {
    if (nLen != static_cast<int>(sizeof(DhcpPacket))) {
        return;
    }
    WriteLog("SendThread %d : Handle Broadcast Recive Information  ", nPort);
    DeviceRecord record;
    if (ParseBroadcastReply(data, static_cast<std::size_t>(nLen), strFromIP, &record) !=
        BroadcastParseResult::Device) {
        WriteLog("SendThread %d : Recive IP : %s is not Device ", nPort, strFromIP.c_str());
        return;
    }
    if (!StoreIfNewDevice(record)) {
        WriteLog("SendThread %d : Handle Broadcast Recive Information Fail ", nPort);
        return;
    }
    WriteLog("SendThread %d : Handle Broadcast Recive Information Success ", nPort);
    OnFindDevice(&record, nPort);
}
