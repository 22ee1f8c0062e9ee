#pragma once
// The multicast side of roamdock-devsim: every simulated device joins 239.143.255.250:1900 on a
// socket of its own, answers the HomeNasDevice M-SEARCH after a random delay within MX, and
// announces itself with NOTIFY ssdp:alive and ssdp:byebye.

#include "tools/devsim/devsim.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/udp.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/steady_timer.hpp>

#include <memory>
#include <random>
#include <string>
#include <vector>

struct MulticastSimConfig {
    bool bEnabled = true;
    unsigned short nPort = 1900;
    /// Address put in LOCATION; empty takes the first IPv4 address of an interface that is up.
    std::string strLocationIP;
    std::string strFirmware = "1.0.3";
    /// Upper bound of the answer delay in milliseconds; the request's MX bounds it too. -1: MX only.
    int nMaxDelayMs = -1;
    /// Send ssdp:alive at start and ssdp:byebye at stop.
    bool bNotify = false;
    /// Seconds between ssdp:alive announcements after the first; 0 announces only at start.
    int nNotifyPeriod = 0;
    /// Sent as they are, to the searcher after each device's answer, or to the group with each round
    /// of announcements.
    std::vector<std::string> rawAnswers;
    std::vector<std::string> rawNotifies;
};

class CMulticastResponder {
public:
    CMulticastResponder(boost::asio::io_context& io, const SimConfig& config,
                        const MulticastSimConfig& mcConfig, CDatagramRecorder& recorder);
    /// Opens one socket per device (shared port, group joined) and starts receiving; sends the
    /// first ssdp:alive round when asked to. False with `strError` on failure.
    bool Open(std::string& strError);
    /// The ssdp:byebye round when announcements are on; call before the program stops.
    void Stop();

    /// The answer to an M-SEARCH: status line, LOCATION, SERVER, ST and USN headers.
    static std::string BuildAnswer(const SimDevice& device, const std::string& strIP,
                                   const std::string& strFirmware);
    /// A NOTIFY of the root device with NTS `strKind` ("ssdp:alive" or "ssdp:byebye").
    static std::string BuildNotify(const SimDevice& device, const std::string& strIP,
                                   const std::string& strFirmware, const char* pszKind);
    /// The MX value of a HomeNasDevice M-SEARCH, or -1 when `strMessage` is no such request.
    static int SearchRequestMx(const std::string& strMessage);

private:
    struct DeviceSocket {
        explicit DeviceSocket(boost::asio::io_context& io) : socket(io) {}
        boost::asio::ip::udp::socket socket;
        boost::asio::ip::udp::endpoint from;
        char buffer[2048];
    };

    void Receive(std::size_t nDevice);
    void Answer(std::size_t nDevice, const boost::asio::ip::udp::endpoint& searcher);
    void AnnounceRound(const char* pszKind);
    void ScheduleAlive();
    void WaitForSignal();

    boost::asio::io_context& m_io;
    const SimConfig& m_config;
    const MulticastSimConfig& m_mcConfig;
    CDatagramRecorder& m_recorder;
    std::vector<std::unique_ptr<DeviceSocket>> m_sockets;
    std::string m_strIP;
    boost::asio::steady_timer m_aliveTimer;
    /// SIGUSR1 sends an ssdp:byebye round, SIGUSR2 an ssdp:alive round, at any time.
    boost::asio::signal_set m_signals;
    std::mt19937 m_random;
    bool m_bStopped = false;
};
