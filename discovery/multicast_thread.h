#pragma once
// The multicast worker and its per-interface kin: both send the 129-byte M-SEARCH to
// 239.143.255.250:1900 and read the SSDP-style answers and announcements.

#include "discovery/search_thread.h"

#include <string>

/// Member of group 239.143.255.250 on its port (1900 as the engine creates it); hears answers
/// to its own search and every device's alive and byebye announcements.
class CSearchDeviceMulticastThread : public CSearchDeviceThread {
public:
    ~CSearchDeviceMulticastThread() override;
    /// Open, join, bind, start the receive thread; on failure retry upwards when bTestCreate.
    void CreateWorkThread() override;
    /// Leave the group, then the base class's exit with its microsecond line.
    void ExitWorkThread() override;
    /// The M-SEARCH to the group; the packet is ignored. Returns 0.
    int SendSearchCommand(const DhcpPacket* pdhcp) override;
    /// Parses, drops every second of a run of identical reports, dispatches the rest.
    void HandleReceiveInfo(const char* data, int nLen, const std::string& strFromIP) override;

    /// Joins or leaves the group on the default interface; a failure is only logged.
    void AlterMulticastGroup(bool bJoin);
    /// Retries creation one port higher, at most 20 times over the worker's whole life.
    void HandleCreateError();

protected:
    /// Sends the M-SEARCH from this worker's socket; logs a failure.
    int SendMulticastSearch();

private:
    /// `type` of the record last stored in lastDevice; read and written on the receive thread only.
    int m_nLastType = 0;
};

/// One per local IPv4 address: bound to that address and its own port, no group.
class CSearchDeviceMultiCommandThead : public CSearchDeviceMulticastThread {
public:
    ~CSearchDeviceMultiCommandThead() override;
    /// Open, bind strIP (any address when empty) and nPort, start the receive thread; on
    /// failure climb ports through HandleCreateError.
    void CreateWorkThread() override;
    /// Sets bExitSock and closes the socket; its line is in the day-and-time format.
    void ExitWorkThread() override;
};
