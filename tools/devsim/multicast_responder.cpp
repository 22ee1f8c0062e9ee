#include "tools/devsim/multicast_responder.h"

#include <boost/asio/ip/multicast.hpp>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/resource.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>

namespace {

const boost::asio::ip::address_v4 kGroup = boost::asio::ip::make_address_v4("239.143.255.250");
const char kSearchTarget[] = "urn:schemas-upnp-org:device:HomeNasDevice:1";
/// Where LOCATION points; nothing listens there, the engine reads only the host part.
const char kDescriptionPort[] = "49152";

std::string FirstLocalIPv4() {
    std::string strIP;
    struct ifaddrs* pList = nullptr;
    if (getifaddrs(&pList) != 0)
        return strIP;
    for (const struct ifaddrs* p = pList; p != nullptr && strIP.empty(); p = p->ifa_next) {
        if (p->ifa_addr == nullptr || p->ifa_addr->sa_family != AF_INET || (p->ifa_flags & IFF_UP) == 0 ||
            (p->ifa_flags & IFF_LOOPBACK) != 0)
            continue;
        char szIP[INET_ADDRSTRLEN] = {};
        if (inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(p->ifa_addr)->sin_addr, szIP,
                      sizeof(szIP)))
            strIP = szIP;
    }
    freeifaddrs(pList);
    return strIP;
}

/// A thousand devices need a thousand sockets: take whatever the hard limit allows.
void RaiseDescriptorLimit(std::size_t nWanted) {
    struct rlimit limit {};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < nWanted + 64) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

std::string Trim(const std::string& strText) {
    const auto begin = strText.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return std::string();
    const auto end = strText.find_last_not_of(" \t\r");
    return strText.substr(begin, end - begin + 1);
}

std::string Upper(std::string strText) {
    std::transform(strText.begin(), strText.end(), strText.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return strText;
}

std::string ServerValue(const SimDevice& device, const std::string& strFirmware) {
    // The engine reads the version after "ZELK/" and the product token after the next ", ".
    return "Linux/3.10, ZELK/" + strFirmware + ", UPnP/1.0, " + device.strVendor + "/" + device.strHost +
           "/" + device.strProduct + "/sim";
}

} // namespace

CMulticastResponder::CMulticastResponder(boost::asio::io_context& io, const SimConfig& config,
                                         const MulticastSimConfig& mcConfig, CDatagramRecorder& recorder)
    : m_io(io), m_config(config), m_mcConfig(mcConfig), m_recorder(recorder), m_aliveTimer(io), m_signals(io),
      m_random(std::random_device{}()) {}

bool CMulticastResponder::Open(std::string& strError) {
    m_strIP = m_mcConfig.strLocationIP.empty() ? FirstLocalIPv4() : m_mcConfig.strLocationIP;
    if (m_strIP.empty())
        m_strIP = "0.0.0.0";
    // Raw answers need someone to hear the search even with no device to play.
    std::size_t nSockets = m_config.devices.size();
    if (nSockets == 0 && (!m_mcConfig.rawAnswers.empty() || !m_mcConfig.rawNotifies.empty()))
        nSockets = 1;
    RaiseDescriptorLimit(nSockets);

    for (std::size_t i = 0; i < nSockets; ++i) {
        auto pDevice = std::make_unique<DeviceSocket>(m_io);
        boost::system::error_code ec;
        boost::asio::ip::udp::socket& sock = pDevice->socket;
        sock.open(boost::asio::ip::udp::v4(), ec);
        if (!ec)
            sock.set_option(boost::asio::socket_base::reuse_address(true), ec);
        if (!ec)
            sock.bind(boost::asio::ip::udp::endpoint(boost::asio::ip::address_v4::any(), m_mcConfig.nPort),
                      ec);
        if (!ec)
            sock.set_option(boost::asio::ip::multicast::join_group(kGroup), ec);
        if (ec) {
            strError = "multicast side, device " + std::to_string(i + 1) + ": " + ec.message();
            return false;
        }
        m_sockets.push_back(std::move(pDevice));
    }
    for (std::size_t i = 0; i < m_sockets.size(); ++i)
        Receive(i);

    boost::system::error_code ec;
    m_signals.add(SIGUSR1, ec);
    m_signals.add(SIGUSR2, ec);
    WaitForSignal();
    if (m_mcConfig.bNotify) {
        AnnounceRound("ssdp:alive");
        ScheduleAlive();
    } else if (!m_mcConfig.rawNotifies.empty()) {
        AnnounceRound(nullptr);
    }
    return true;
}

void CMulticastResponder::Stop() {
    if (m_bStopped)
        return;
    m_bStopped = true;
    m_aliveTimer.cancel();
    boost::system::error_code ec;
    m_signals.cancel(ec);
    if (m_mcConfig.bNotify)
        AnnounceRound("ssdp:byebye");
}

std::string CMulticastResponder::BuildAnswer(const SimDevice& device, const std::string& strIP,
                                             const std::string& strFirmware) {
    return std::string("HTTP/1.1 200 OK\r\n") + "CACHE-CONTROL: max-age=1800\r\n" + "EXT:\r\n" +
           "LOCATION: http://" + strIP + ":" + kDescriptionPort + "/rootDesc.xml\r\n" +
           "SERVER: " + ServerValue(device, strFirmware) + "\r\n" + "ST: " + kSearchTarget + "\r\n" +
           "USN: uuid:" + device.strId + "::" + kSearchTarget + "\r\n" + "\r\n";
}

std::string CMulticastResponder::BuildNotify(const SimDevice& device, const std::string& strIP,
                                             const std::string& strFirmware, const char* pszKind) {
    return std::string("NOTIFY * HTTP/1.1\r\n") + "HOST: 239.143.255.250:1900\r\n" +
           "CACHE-CONTROL: max-age=1800\r\n" + "LOCATION: http://" + strIP + ":" + kDescriptionPort +
           "/rootDesc.xml\r\n" + "NT: upnp:rootdevice\r\n" + "NTS: " + pszKind + "\r\n" +
           "SERVER: " + ServerValue(device, strFirmware) + "\r\n" + "USN: uuid:" + device.strId +
           "::upnp:rootdevice\r\n" + "\r\n";
}

int CMulticastResponder::SearchRequestMx(const std::string& strMessage) {
    if (strMessage.compare(0, 9, "M-SEARCH ") != 0)
        return -1;
    bool bTarget = false;
    int nMx = 0;
    std::size_t nLine = strMessage.find("\r\n");
    while (nLine != std::string::npos) {
        const std::size_t nNext = strMessage.find("\r\n", nLine + 2);
        const std::string strLine =
            strMessage.substr(nLine + 2, nNext == std::string::npos ? std::string::npos : nNext - nLine - 2);
        const std::size_t nColon = strLine.find(':');
        if (nColon != std::string::npos) {
            const std::string strName = Upper(Trim(strLine.substr(0, nColon)));
            const std::string strValue = Trim(strLine.substr(nColon + 1));
            if (strName == "ST")
                bTarget = strValue == kSearchTarget;
            else if (strName == "MX")
                nMx = std::clamp(std::atoi(strValue.c_str()), 0, 120);
        }
        nLine = nNext;
    }
    return bTarget ? nMx : -1;
}

void CMulticastResponder::Receive(std::size_t nDevice) {
    DeviceSocket& device = *m_sockets[nDevice];
    device.socket.async_receive_from(
        boost::asio::buffer(device.buffer), device.from,
        [this, nDevice](const boost::system::error_code& ec, std::size_t nLen) {
            if (ec == boost::asio::error::operation_aborted || m_bStopped)
                return;
            DeviceSocket& self = *m_sockets[nDevice];
            if (!ec) {
                // Every device hears the same datagram; one record of it is enough.
                if (nDevice == 0)
                    m_recorder.Record("multicast", self.from, self.buffer, nLen);
                const int nMx = SearchRequestMx(std::string(self.buffer, nLen));
                if (nMx >= 0) {
                    long nBoundMs = static_cast<long>(nMx) * 1000;
                    if (m_mcConfig.nMaxDelayMs >= 0)
                        nBoundMs = std::min<long>(nBoundMs, m_mcConfig.nMaxDelayMs);
                    const long nDelayMs = std::uniform_int_distribution<long>(0, nBoundMs)(m_random);
                    const boost::asio::ip::udp::endpoint searcher = self.from;
                    if (nDelayMs == 0) {
                        Answer(nDevice, searcher);
                    } else {
                        auto pTimer = std::make_shared<boost::asio::steady_timer>(
                            m_io, std::chrono::milliseconds(nDelayMs));
                        pTimer->async_wait(
                            [this, nDevice, searcher, pTimer](const boost::system::error_code& e) {
                                if (!e && !m_bStopped)
                                    Answer(nDevice, searcher);
                            });
                    }
                }
            }
            Receive(nDevice);
        });
}

void CMulticastResponder::Answer(std::size_t nDevice, const boost::asio::ip::udp::endpoint& searcher) {
    boost::asio::ip::udp::socket& sock = m_sockets[nDevice]->socket;
    boost::system::error_code ec;
    if (nDevice < m_config.devices.size()) {
        const std::string strAnswer = BuildAnswer(m_config.devices[nDevice], m_strIP, m_mcConfig.strFirmware);
        sock.send_to(boost::asio::buffer(strAnswer), searcher, 0, ec);
    }
    if (nDevice == 0) {
        for (const std::string& strRaw : m_mcConfig.rawAnswers)
            sock.send_to(boost::asio::buffer(strRaw), searcher, 0, ec);
    }
}

void CMulticastResponder::AnnounceRound(const char* pszKind) {
    const boost::asio::ip::udp::endpoint group(kGroup, m_mcConfig.nPort);
    boost::system::error_code ec;
    if (pszKind != nullptr) {
        for (std::size_t i = 0; i < m_config.devices.size(); ++i) {
            const std::string strNotify =
                BuildNotify(m_config.devices[i], m_strIP, m_mcConfig.strFirmware, pszKind);
            m_sockets[i]->socket.send_to(boost::asio::buffer(strNotify), group, 0, ec);
        }
    }
    if (!m_sockets.empty()) {
        for (const std::string& strRaw : m_mcConfig.rawNotifies)
            m_sockets[0]->socket.send_to(boost::asio::buffer(strRaw), group, 0, ec);
    }
}

void CMulticastResponder::ScheduleAlive() {
    if (m_mcConfig.nNotifyPeriod <= 0)
        return;
    m_aliveTimer.expires_after(std::chrono::seconds(m_mcConfig.nNotifyPeriod));
    m_aliveTimer.async_wait([this](const boost::system::error_code& ec) {
        if (ec || m_bStopped)
            return;
        AnnounceRound("ssdp:alive");
        ScheduleAlive();
    });
}

void CMulticastResponder::WaitForSignal() {
    m_signals.async_wait([this](const boost::system::error_code& ec, int nSignal) {
        if (ec || m_bStopped)
            return;
        AnnounceRound(nSignal == SIGUSR1 ? "ssdp:byebye" : "ssdp:alive");
        WaitForSignal();
    });
}
