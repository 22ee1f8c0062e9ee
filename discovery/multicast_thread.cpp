#include "discovery/multicast_thread.h"

#include "discovery/engine.h"
#include "discovery/multicast_parser.h"

#include <boost/asio/ip/multicast.hpp>

#include <chrono>
#include <exception>

namespace {

const boost::asio::ip::address_v4 kGroupAddress = boost::asio::ip::make_address_v4("239.143.255.250");
constexpr unsigned short kGroupPort = 1900;
/// Port retries over a worker's whole life.
constexpr int kMaxCreateRetries = 20;

} // namespace

CSearchDeviceMulticastThread::~CSearchDeviceMulticastThread() {
    // Stop the thread while this class's HandleReceiveInfo is still there to be called.
    StopForDestruction();
}

void CSearchDeviceMulticastThread::CreateWorkThread() {
    const bool bCreated = CreateSocketAndThread("SendThread %d : Create Search Device Work Thread   ",
                                                [this](boost::asio::ip::udp::socket& sock) {
                                                    sock.open(boost::asio::ip::udp::v4());
                                                    // Joined before the bind; a failed join is
                                                    // logged and creation goes on.
                                                    AlterMulticastGroup(true);
                                                    sock.bind(AnyEndpoint());
                                                });
    if (!bCreated && bTestCreate) {
        HandleCreateError();
    }
}

void CSearchDeviceMulticastThread::ExitWorkThread() {
    AlterMulticastGroup(false);
    CSearchDeviceThread::ExitWorkThread();
}

int CSearchDeviceMulticastThread::SendSearchCommand(const DhcpPacket* /*pdhcp*/) {
    return SendMulticastSearch();
}

int CSearchDeviceMulticastThread::SendMulticastSearch() {
    WriteLog("SendThread %d : Send Search Device Command  ", nPort);
    try {
        SendDatagram(kMulticastSearchRequest, kMulticastSearchRequestLen,
                     boost::asio::ip::udp::endpoint(kGroupAddress, kGroupPort));
    } catch (const std::exception& e) {
        WriteLog("SendThread %d : Send Search Device Error : %s   ", nPort, e.what());
    }
    return 0;
}

void CSearchDeviceMulticastThread::HandleReceiveInfo(const char* data, int nLen,
                                                     const std::string& strFromIP) {
    WriteLog("SendThread %d : Handle Mulitcast Recive Information  ", nPort);
    DeviceRecord record;
    if (nLen <= 0 || ParseMulticastMessage(data, static_cast<std::size_t>(nLen), strFromIP, &record) !=
                         MulticastParseResult::Good) {
        return;
    }
    // A repeat clears lastDevice, so of a run of identical messages every second one is dropped.
    // A change of kind (an answer, then byebye) is news, not a repeat: take it as a new report.
    if (!StoreIfNewDevice(record, true) && (record.type == m_nLastType || !StoreIfNewDevice(record))) {
        WriteLog("SendThread %d : Handle Mulitcast Recive Information Fail : Old Device, type = %d ", nPort,
                 record.type);
        return;
    }
    m_nLastType = record.type;
    WriteLog("SendThread %d : Handle Mulitcast Recive Information Success, type = %d ", nPort, record.type);
    OnFindDevice(&record, nPort);
}

void CSearchDeviceMulticastThread::AlterMulticastGroup(bool bJoin) {
    try {
        if (bJoin) {
            // Joined only while creation holds the socket.
            m_socket.set_option(
                boost::asio::ip::multicast::join_group(kGroupAddress, boost::asio::ip::address_v4::any()));
            WriteLog("SendThread %d : Add To Multicast Group Info ", nPort);
        } else {
            // The receive thread may still be blocked on the socket while the engine leaves.
            UseSocket([](boost::asio::ip::udp::socket& sock) {
                sock.set_option(boost::asio::ip::multicast::leave_group(kGroupAddress,
                                                                        boost::asio::ip::address_v4::any()));
            });
            WriteLog("SendThread %d : Leave To Multicast Group Info ", nPort);
        }
    } catch (const std::exception& e) {
        WriteLog("SendThread %d : Alter Device Mulitcast Group Error : %s  \r\n", nPort, e.what());
    }
}

void CSearchDeviceMulticastThread::HandleCreateError() {
    WriteLog("SendThread %d : Handle Create Search Device Work Thread Error  ", nPort);
    if (testCount >= kMaxCreateRetries) {
        return;
    }
    ++nPort;
    ++testCount;
    WriteLog("SendThread %d : Test Create Search Device Work Thread, testCount = %d, port = %d  ", nPort,
             testCount, nPort);
    CreateWorkThread();
}

CSearchDeviceMultiCommandThead::~CSearchDeviceMultiCommandThead() {
    StopForDestruction();
}

void CSearchDeviceMultiCommandThead::CreateWorkThread() {
    const bool bCreated = CreateSocketAndThread(
        "SendThread %d : Create Search Device Work Thread   ", [this](boost::asio::ip::udp::socket& sock) {
            sock.open(boost::asio::ip::udp::v4());
            // A text that is no address throws here and counts as a failed creation.
            const boost::asio::ip::address address =
                strIP.empty() ? boost::asio::ip::address(boost::asio::ip::address_v4::any())
                              : boost::asio::ip::make_address(strIP);
            sock.bind(boost::asio::ip::udp::endpoint(address, static_cast<unsigned short>(nPort)));
        });
    if (!bCreated && bTestCreate) {
        HandleCreateError();
    }
}

void CSearchDeviceMultiCommandThead::ExitWorkThread() {
    bExitSock = true;
    CloseSocketForExit();
    WriteLog("SendThread %d : Exit Search Device Tread , bExitSock : %d  ", nPort, bExitSock ? 1 : 0);
}
