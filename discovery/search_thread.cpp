#include "discovery/search_thread.h"

#include "discovery/engine.h"

#include <boost/asio/buffer.hpp>

#include <fcntl.h>

#include <cstring>
#include <exception>
#include <thread>

namespace {

/// The worker whose receive thread is the calling thread, if any.
thread_local const CSearchDeviceThread* t_pOwnWorker = nullptr;

/// Receive area: 1024 bytes offered, one more so the data is always NUL-terminated.
constexpr std::size_t kReceiveBufferSize = 1025;

} // namespace

CSearchDeviceThread::CSearchDeviceThread()
    : m_socket(m_ioContext), nPort(1530), testCount(0), bExitSock(false), bRetartSock(false),
      bTestCreate(false) {
    InitDevice(&lastDevice);
}

CSearchDeviceThread::~CSearchDeviceThread() {
    StopForDestruction();
}

void CSearchDeviceThread::StopForDestruction() {
    bExitSock = true;
    CloseSocketForExit();
    // A thread still running here would use a destroyed object; give it time to leave.
    WaitForThreadExit(std::chrono::seconds(5));
}

boost::asio::ip::udp::endpoint CSearchDeviceThread::AnyEndpoint() const {
    return boost::asio::ip::udp::endpoint(boost::asio::ip::address_v4::any(),
                                          static_cast<unsigned short>(nPort));
}

void CSearchDeviceThread::CreateWorkThread() {
    CreateSocketAndThread("SendThread %d : Create Search Device Work Thread   ",
                          [this](boost::asio::ip::udp::socket& sock) {
                              sock.open(boost::asio::ip::udp::v4());
                              sock.bind(AnyEndpoint());
                          });
}

void CSearchDeviceThread::InitWorkThread(const char* strIP, int nPort, bool bTestCreate) {
    this->strIP = strIP != nullptr ? strIP : "";
    this->nPort = nPort;
    this->bTestCreate = bTestCreate;
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        m_bExitRequested = false;
    }
    WriteLog("SendThread %d : Init Search Device Work Thread Value, strIP : %s, nPort : %d  ", this->nPort,
             this->strIP.c_str(), this->nPort);
    CreateWorkThread();
}

void CSearchDeviceThread::ExitWorkThread() {
    bExitSock = true;
    CloseSocketForExit();
    WriteTimeLog("SendThread %d : Exit Search Device Tread , bExitSock : %d  ", nPort, bExitSock ? 1 : 0);
}

int CSearchDeviceThread::SendSearchCommand(const DhcpPacket* /*pdhcp*/) {
    return 0;
}

void CSearchDeviceThread::ResetLastDevice() {
    std::lock_guard<std::mutex> lock(m_lastDeviceMutex);
    InitDevice(&lastDevice);
}

int CSearchDeviceThread::WorkThreadProc() {
    try {
        WriteLog("SendThread %d : Begin Search Device Work Thread  ", nPort);
        for (;;) {
            if (bExitSock) {
                break;
            }
            WriteLog("SendThread %d : Wait Reciver Socket Protocol Info  ", nPort);
            char szBuffer[kReceiveBufferSize];
            std::memset(szBuffer, 0, sizeof(szBuffer));
            boost::asio::ip::udp::endpoint from;
            const int nReceive = ReceiveDatagram(szBuffer, sizeof(szBuffer) - 1, from);
            WriteLog("SendThread %d : Reciver Socket Protocol Info, nReceive = %d  ", nPort, nReceive);
            if (nReceive > 0) {
                const std::string strFromIP = from.address().to_string();
                WriteLog("SendThread %d : Recive Socket Protocol IP : %s, nLen : %d  ", nPort,
                         strFromIP.c_str(), nReceive);
                HandleReceiveInfo(szBuffer, nReceive, strFromIP);
                continue;
            }
            if (bExitSock) {
                break;
            }
            WriteLog("SendThread %d : Reciver Socket Protocol Null Info, bExitSock = %d, bRetartSock = %d  ",
                     nPort, 0, bRetartSock ? 1 : 0);
            bExitSock = true;
            bRetartSock = true;
        }
        if (bRetartSock) {
            ExitWorkThread();
            CreateWorkThread();
        }
        WriteTimeLog("SendThread %d : Finish Search Device Work Thread  ", nPort);
        return 0;
    } catch (const std::exception& e) {
        WriteLog("SendThread %d : Create Socket Protocolt Server Error : %s  ", nPort, e.what());
    } catch (...) {
        // A detached thread must not let anything escape: that would end the whole process.
        WriteLog("SendThread %d : Create Socket Protocolt Server Error : %s  ", nPort, "unknown exception");
    }
    return 0;
}

void CSearchDeviceThread::HandleReceiveInfo(const char* /*data*/, int /*nLen*/,
                                            const std::string& /*strFromIP*/) {}

bool CSearchDeviceThread::WaitForThreadExit(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(m_stateMutex);
    return m_stateChanged.wait_for(lock, timeout, [this] { return m_nRunningThreads == 0; });
}

void CSearchDeviceThread::StartReceiveThread() {
    std::unique_lock<std::mutex> lock(m_stateMutex);
    if (m_bExitRequested) {
        CloseSocketLocked(lock);
        return;
    }
    ++m_nRunningThreads;
    try {
        std::thread(&CSearchDeviceThread::ReceiveThreadMain, this).detach();
    } catch (...) {
        --m_nRunningThreads;
        m_stateChanged.notify_all();
        throw;
    }
}

void CSearchDeviceThread::ReceiveThreadMain() {
    t_pOwnWorker = this;
    WorkThreadProc();
    t_pOwnWorker = nullptr;
    // Notify under the lock: once it is released a waiter may destroy this object.
    std::lock_guard<std::mutex> lock(m_stateMutex);
    --m_nRunningThreads;
    m_stateChanged.notify_all();
}

std::size_t CSearchDeviceThread::SendDatagram(const void* pData, std::size_t nSize,
                                              const boost::asio::ip::udp::endpoint& target) {
    boost::system::error_code ec;
    std::size_t nSent = 0;
    UseSocket([&](boost::asio::ip::udp::socket& sock) {
        nSent = sock.send_to(boost::asio::buffer(pData, nSize), target, 0, ec);
    });
    if (ec) {
        throw boost::system::system_error(ec, "send_to");
    }
    return nSent;
}

void CSearchDeviceThread::BeginSocketUse() {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    ++m_nSocketUsers;
}

void CSearchDeviceThread::EndSocketUse() {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    --m_nSocketUsers;
    m_stateChanged.notify_all();
}

int CSearchDeviceThread::ReceiveDatagram(char* pBuffer, std::size_t nSize,
                                         boost::asio::ip::udp::endpoint& from) {
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        if (!m_socket.is_open()) {
            return 0;
        }
        ++m_nSocketUsers;
    }
    boost::system::error_code ec;
    const std::size_t nReceived = m_socket.receive_from(boost::asio::buffer(pBuffer, nSize), from, 0, ec);
    EndSocketUse();
    return ec ? 0 : static_cast<int>(nReceived);
}

void CSearchDeviceThread::CloseSocket() {
    std::unique_lock<std::mutex> lock(m_stateMutex);
    CloseSocketLocked(lock);
}

void CSearchDeviceThread::CloseSocketForExit() {
    std::unique_lock<std::mutex> lock(m_stateMutex);
    if (t_pOwnWorker != this) {
        m_bExitRequested = true;
    }
    CloseSocketLocked(lock);
}

void CSearchDeviceThread::CloseSocketLocked(std::unique_lock<std::mutex>& lock) {
    boost::system::error_code ec;
    if (m_socket.is_open()) {
        // An unconnected UDP socket reports ENOTCONN here but still wakes its blocked receiver.
        m_socket.shutdown(boost::asio::ip::udp::socket::shutdown_both, ec);
    }
    m_stateChanged.wait(lock, [this] { return m_nSocketUsers == 0; });
    m_socket.close(ec);
}

void CSearchDeviceThread::KeepFromChildren() {
    if (m_socket.is_open()) {
        const int nFd = m_socket.native_handle();
        fcntl(nFd, F_SETFD, fcntl(nFd, F_GETFD) | FD_CLOEXEC);
    }
}

bool CSearchDeviceThread::StoreIfNewDevice(const DeviceRecord& record, bool bClearOnRepeat) {
    std::lock_guard<std::mutex> lock(m_lastDeviceMutex);
    if (IsSameDevice(&record, &lastDevice)) {
        if (bClearOnRepeat) {
            InitDevice(&lastDevice);
        }
        return false;
    }
    AssignDevice(&lastDevice, &record);
    return true;
}
