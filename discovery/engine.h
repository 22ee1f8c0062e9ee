#pragma once
// The discovery engine's process-wide state and the operations the application calls.
// There is one engine per process and no engine object: free functions over globals.

#include "discovery/device_record.h"

#include <mutex>
#include <string>
#include <vector>

class CSearchDeviceThread;

/// One registered worker: the local address it is bound to (empty for broadcast and multicast).
struct SearchThreadEntry {
    std::string strIP;
    CSearchDeviceThread* pThread;
};

// Configuration the application sets before StartSearchDevice.
extern FindDeviceCallback g_pfnFindDevice;
extern bool g_bRefreshInterfaces;
extern bool g_bLogEnable;
extern char g_szLogPath[4096];

// Touched only from the application thread.
extern std::vector<SearchThreadEntry> g_searchThreads;
extern int g_nCommandPort;

/// Serialises every found-device report across all workers.
extern std::mutex g_findDeviceMutex;

/// Hands one record to the registered callback under g_findDeviceMutex.
int OnFindDevice(const DeviceRecord* record, int nPort);

/// "%s*[%02d::%02d:%02d:%02d]\r\n" line; 1 when a line was produced, 0 otherwise.
int WriteLog(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));
/// "[--%s--]*%s\r\n" line with the microsecond time of day; same result.
int WriteTimeLog(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));

/// Creates and starts the broadcast, multicast and per-interface workers; sends nothing.
void StartSearchDevice();
/// Sends one search through every registered worker.
void SendMessage();
/// Stops every worker; returns once no worker thread is left running a callback.
void ExitSearchDevice();

/// The IPv4 addresses of the interfaces that are up, loopback excluded, in interface order.
void GetLocalIPList(std::vector<std::string>& ipList);
/// One per-interface worker for every local address that has none yet.
void CreateCommandThreads();
