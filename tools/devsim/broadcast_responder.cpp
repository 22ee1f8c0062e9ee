#include "tools/devsim/devsim.h"

#include "discovery/device_record.h"

#include <boost/asio/buffer.hpp>
#include <boost/asio/socket_base.hpp>

#include <cstring>
#include <iostream>

namespace {

constexpr std::size_t kPacketSize = sizeof(DhcpPacket);
constexpr unsigned char kQueryOp = 11;
constexpr unsigned char kReplyOp = 12;

} // namespace

CBroadcastResponder::CBroadcastResponder(boost::asio::io_context& io, const SimConfig& config,
                                         CDatagramRecorder& recorder)
    : m_config(config), m_recorder(recorder), m_socket(io) {
    for (const SimDevice& device : m_config.devices) {
        m_replies.push_back(BuildReply(device));
    }
    m_replies.insert(m_replies.end(), m_config.rawReplies.begin(), m_config.rawReplies.end());
}

std::string CBroadcastResponder::BuildReply(const SimDevice& device) {
    DhcpPacket packet;
    std::memset(&packet, 0, sizeof(packet));
    packet.op = kReplyOp;
    packet.type = static_cast<uint8_t>(device.nType);
    const std::string strText = "id=" + device.strId + "&host=" + device.strHost +
                                "&vendor=" + device.strVendor + "&product=" + device.strProduct;
    // A text of 128 characters or more fills the field with no NUL, as a device may send it.
    std::memcpy(packet.text, strText.data(), std::min(strText.size(), sizeof(packet.text)));
    return std::string(reinterpret_cast<const char*>(&packet), sizeof(packet));
}

bool CBroadcastResponder::Open(std::string& strError) {
    boost::system::error_code ec;
    const boost::asio::ip::address address = boost::asio::ip::make_address(m_config.strBindAddress, ec);
    if (ec) {
        strError = "bad bind address " + m_config.strBindAddress;
        return false;
    }
    m_socket.open(boost::asio::ip::udp::v4(), ec);
    if (!ec) {
        m_socket.set_option(boost::asio::socket_base::broadcast(true), ec);
    }
    if (!ec) {
        m_socket.bind(boost::asio::ip::udp::endpoint(address, m_config.nBroadcastPort), ec);
    }
    if (ec) {
        strError = "broadcast side, port " + std::to_string(m_config.nBroadcastPort) + ": " + ec.message();
        return false;
    }
    Receive();
    return true;
}

void CBroadcastResponder::Receive() {
    m_socket.async_receive_from(boost::asio::buffer(m_buffer), m_from,
                                [this](const boost::system::error_code& ec, std::size_t nLen) {
                                    if (ec == boost::asio::error::operation_aborted) {
                                        return;
                                    }
                                    if (!ec) {
                                        m_recorder.Record("broadcast", m_from, m_buffer, nLen);
                                        Answer(nLen);
                                    }
                                    Receive();
                                });
}

void CBroadcastResponder::Answer(std::size_t nLen) {
    if (nLen != kPacketSize || static_cast<unsigned char>(m_buffer[0]) != kQueryOp) {
        return;
    }
    for (const std::string& strReply : m_replies) {
        boost::system::error_code ec;
        m_socket.send_to(boost::asio::buffer(strReply), m_from, 0, ec);
        if (ec) {
            std::cerr << "roamdock-devsim: reply to " << m_from << ": " << ec.message() << std::endl;
        }
    }
}
