#pragma once
// The base of every discovery worker: one UDP socket, one detached receive thread that hands each
// datagram to the worker's parser, and the restart rule when the socket fails.

#include "discovery/device_record.h"
#include "discovery/engine.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/udp.hpp>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <string>

class CSearchDeviceThread {
public:
    CSearchDeviceThread();
    CSearchDeviceThread(const CSearchDeviceThread&) = delete;
    CSearchDeviceThread& operator=(const CSearchDeviceThread&) = delete;

    // Virtual operations, in this order: every worker class keeps the same table layout.

    /// Closes the socket and waits (bounded) for the receive thread; the engine itself never
    /// destroys a worker, tests do. A subclass that overrides HandleReceiveInfo stops the thread
    /// in its own destructor too, while its override still exists.
    virtual ~CSearchDeviceThread();
    /// Opens the socket, binds 0.0.0.0:nPort and starts the detached receive thread.
    virtual void CreateWorkThread();
    /// Stores the values (a null strIP as empty), then CreateWorkThread.
    virtual void InitWorkThread(const char* strIP, int nPort, bool bTestCreate);
    /// Sets bExitSock and closes the socket, which wakes the blocked receive.
    virtual void ExitWorkThread();
    /// Sends one search; the base class sends nothing. Returns 0.
    virtual int SendSearchCommand(const DhcpPacket* pdhcp);
    /// Forgets the last dispatched record, so the next report passes again.
    virtual void ResetLastDevice();
    /// The receive loop; the body of the receive thread, never called directly.
    virtual int WorkThreadProc();
    /// One datagram of nLen >= 1 bytes followed by a NUL, from the dotted IPv4 strFromIP.
    virtual void HandleReceiveInfo(const char* data, int nLen, const std::string& strFromIP);

    /// Waits until no receive thread of this worker is running (a restart hands over to its new
    /// thread first, so this covers restarts). True when none is left within `timeout`. Call it
    /// after ExitWorkThread so that no callback runs from this worker any more.
    bool WaitForThreadExit(std::chrono::milliseconds timeout);

    int Port() const { return nPort; }
    const std::string& IP() const { return strIP; }

protected:
    /// The creation every worker shares: its own create line, the flags cleared, `fnSocketSteps`
    /// on the socket, the receive thread; on failure the socket is closed and the error line
    /// written. False when creation failed.
    template <class Fn> bool CreateSocketAndThread(const char* pszCreateLine, Fn fnSocketSteps) {
        WriteLog(pszCreateLine, nPort);
        bExitSock = false;
        bRetartSock = false;
        try {
            SetUpSocket(fnSocketSteps);
            StartReceiveThread();
            return true;
        } catch (const std::exception& e) {
            CloseSocket();
            WriteLog("SendThread %d : Create Search Device Work Thread Error : %s   ", nPort, e.what());
            return false;
        }
    }
    /// 0.0.0.0 and this worker's port.
    boost::asio::ip::udp::endpoint AnyEndpoint() const;
    /// For destructors: stops the receive thread while the destroyed class's overrides still exist.
    void StopForDestruction();
    /// Runs `fn(socket)` under the socket lock for open, set_option, bind; a socket still open
    /// is closed first. Exceptions pass through.
    template <class Fn> void SetUpSocket(Fn fn) {
        std::unique_lock<std::mutex> lock(m_stateMutex);
        CloseSocketLocked(lock);
        fn(m_socket);
        KeepFromChildren();
    }
    /// Starts the detached receive thread running WorkThreadProc. Does nothing but close the
    /// socket when an exit from outside the worker came first (the exit wins over a restart).
    /// Throws std::system_error when no thread can be started.
    void StartReceiveThread();
    /// Runs `fn(socket)` while the socket may be in use by the receive thread: a close waits for it,
    /// so the descriptor is never closed or reused under the call. Exceptions pass through.
    template <class Fn> void UseSocket(Fn fn) {
        BeginSocketUse();
        try {
            fn(m_socket);
        } catch (...) {
            EndSocketUse();
            throw;
        }
        EndSocketUse();
    }
    /// Blocking send of one datagram; throws boost::system::system_error ("send_to: ...").
    std::size_t SendDatagram(const void* pData, std::size_t nSize,
                             const boost::asio::ip::udp::endpoint& target);
    /// Closes the socket after a failed creation.
    void CloseSocket();
    /// Closes the socket for ExitWorkThread: shut down first, since close() alone does not wake a
    /// recvfrom blocked in another thread on Linux; waits for calls in progress so the descriptor
    /// is never closed under them. Called from outside the worker's own thread, it also marks the
    /// worker as exiting so that a restart running at the same time starts no new thread.
    void CloseSocketForExit();
    /// Compare-and-store of lastDevice under the worker's lock. A repeat of lastDevice returns
    /// false and leaves lastDevice as it is, or clears it when bClearOnRepeat (so the next identical
    /// report passes again); a new record is stored and true returned.
    bool StoreIfNewDevice(const DeviceRecord& record, bool bClearOnRepeat = false);

    DeviceRecord lastDevice;
    boost::asio::io_context m_ioContext;
    boost::asio::ip::udp::socket m_socket;
    std::string strIP;
    int nPort;
    int testCount;
    std::atomic<bool> bExitSock;
    std::atomic<bool> bRetartSock;
    bool bTestCreate;

private:
    void ReceiveThreadMain();
    /// One blocking receive of at most nSize bytes; any error yields 0.
    int ReceiveDatagram(char* pBuffer, std::size_t nSize, boost::asio::ip::udp::endpoint& from);
    void CloseSocketLocked(std::unique_lock<std::mutex>& lock);
    void BeginSocketUse();
    void EndSocketUse();
    /// Programs the application starts must not inherit the socket and keep its port bound.
    void KeepFromChildren();

    std::mutex m_lastDeviceMutex;
    /// Guards the socket's open/close against calls in progress, and the thread count.
    std::mutex m_stateMutex;
    std::condition_variable m_stateChanged;
    int m_nSocketUsers = 0;
    int m_nRunningThreads = 0;
    bool m_bExitRequested = false;
};
