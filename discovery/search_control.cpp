// The engine's face towards the application: start, search, shut down. Free functions over the
// process-wide state; the registry and g_nCommandPort are touched only from the application thread.

#include "discovery/broadcast_thread.h"
#include "discovery/engine.h"
#include "discovery/multicast_thread.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

constexpr int kBroadcastPort = 67;
constexpr int kMulticastPort = 1900;
constexpr int kCommandPortStep = 20;
/// How long ExitSearchDevice waits, over all workers, for their receive threads to end. A thread
/// can only be held up by a callback that does not return.
constexpr std::chrono::seconds kExitWait(5);

bool HasWorkerFor(const std::string& strIP) {
    for (const SearchThreadEntry& entry : g_searchThreads) {
        if (entry.strIP == strIP) {
            return true;
        }
    }
    return false;
}

} // namespace

void CreateCommandThreads() {
    std::vector<std::string> ipList;
    GetLocalIPList(ipList);
    for (const std::string& strIP : ipList) {
        if (HasWorkerFor(strIP)) {
            continue;
        }
        auto* pThread = new CSearchDeviceMultiCommandThead();
        pThread->InitWorkThread(strIP.c_str(), g_nCommandPort, true);
        // Registered even when no port could be opened: later searches log its send error.
        g_searchThreads.push_back(SearchThreadEntry{strIP, pThread});
        g_nCommandPort += kCommandPortStep;
    }
}

void StartSearchDevice() {
    auto* pBroadcast = new CSearchDeviceBroadcastThread();
    pBroadcast->InitWorkThread(nullptr, kBroadcastPort, false);
    g_searchThreads.push_back(SearchThreadEntry{std::string(), pBroadcast});

    auto* pMulticast = new CSearchDeviceMulticastThread();
    pMulticast->InitWorkThread(nullptr, kMulticastPort, false);
    g_searchThreads.push_back(SearchThreadEntry{std::string(), pMulticast});

    CreateCommandThreads();
}

void SendMessage() {
    WriteLog("SendMessage : pdhcp is NULL ");
    DhcpPacket dhcp;
    InitSearchCommand(&dhcp);
    if (g_bRefreshInterfaces) {
        CreateCommandThreads();
    }
    for (const SearchThreadEntry& entry : g_searchThreads) {
        entry.pThread->ResetLastDevice();
        entry.pThread->SendSearchCommand(&dhcp);
    }
}

void ExitSearchDevice() {
    for (const SearchThreadEntry& entry : g_searchThreads) {
        entry.pThread->ExitWorkThread();
    }
    // Closing wakes every receive; wait until no worker thread can still run a callback, so the
    // application may tear down what its callback uses.
    const auto deadline = std::chrono::steady_clock::now() + kExitWait;
    for (const SearchThreadEntry& entry : g_searchThreads) {
        const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        entry.pThread->WaitForThreadExit(std::max(remaining, std::chrono::milliseconds(0)));
    }

    if (g_bLogEnable && g_szLogPath[0] != '\0') {
        if (FILE* pFile = std::fopen(g_szLogPath, "a+")) {
            std::fputs("------Exit Log System-------\r\n", pFile);
            std::fclose(pFile);
        }
    }
}
