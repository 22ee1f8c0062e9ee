#pragma once
// Helpers shared by the engine tests: a diagnostic log switched on into a fresh file, and a
// callback that collects the dispatched records.

#include "discovery/engine.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

/// Switches the log on into a file of its own and off again at the end.
class CLogFile {
public:
    CLogFile() {
        static int s_nCounter = 0;
        m_strPath = ::testing::TempDir() + "roamdock-engine-" + std::to_string(getpid()) + "-" +
                    std::to_string(++s_nCounter) + ".log";
        std::remove(m_strPath.c_str());
        std::snprintf(g_szLogPath, sizeof(g_szLogPath), "%s", m_strPath.c_str());
        g_bLogEnable = true;
    }
    ~CLogFile() {
        g_bLogEnable = false;
        g_szLogPath[0] = '\0';
        std::remove(m_strPath.c_str());
    }
    const std::string& Path() const { return m_strPath; }
    std::string Text() const {
        std::ifstream file(m_strPath, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    /// How many times `strText` occurs in the log.
    int Count(const std::string& strText) const {
        const std::string strLog = Text();
        int nCount = 0;
        for (std::size_t nPos = strLog.find(strText); nPos != std::string::npos;
             nPos = strLog.find(strText, nPos + 1)) {
            ++nCount;
        }
        return nCount;
    }
    /// Waits until `strText` occurs at least `nTimes` times.
    bool WaitFor(const std::string& strText, int nTimes = 1,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10)) const {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (Count(strText) < nTimes) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

private:
    std::string m_strPath;
};

/// Registers a callback that keeps a copy of every dispatched record; unregisters at the end.
class CFoundDevices {
public:
    CFoundDevices() {
        s_pActive = this;
        g_pfnFindDevice = &CFoundDevices::OnFound;
    }
    ~CFoundDevices() {
        g_pfnFindDevice = nullptr;
        s_pActive = nullptr;
    }
    std::vector<DeviceRecord> Records() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_records;
    }
    std::vector<int> Ports() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_ports;
    }
    bool WaitForCount(std::size_t nCount, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return m_records.size() >= nCount; });
    }

private:
    static int OnFound(const DeviceRecord* record, int nPort) {
        CFoundDevices* pSelf = s_pActive;
        std::lock_guard<std::mutex> lock(pSelf->m_mutex);
        pSelf->m_records.push_back(*record);
        pSelf->m_ports.push_back(nPort);
        pSelf->m_changed.notify_all();
        return 0;
    }

    static inline CFoundDevices* s_pActive = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<DeviceRecord> m_records;
    std::vector<int> m_ports;
};

/// A 148-byte broadcast reply with op, type and text as given (text cut at 128 bytes, no NUL then).
inline std::string MakeReply(const std::string& strText, unsigned char op = 12, unsigned char type = 1) {
    DhcpPacket packet;
    std::memset(&packet, 0, sizeof(packet));
    packet.op = op;
    packet.type = type;
    std::memcpy(packet.text, strText.data(), std::min(strText.size(), sizeof(packet.text)));
    return std::string(reinterpret_cast<const char*>(&packet), sizeof(packet));
}

/// A file in the test's temporary folder holding `strText`; the name carries the pid so parallel
/// runs never share it.
inline std::string WriteFile(const std::string& strName, const std::string& strText) {
    const std::string strPath = ::testing::TempDir() + std::to_string(getpid()) + "-" + strName;
    std::ofstream(strPath, std::ios::binary) << strText;
    return strPath;
}

inline std::string ReadFile(const std::string& strPath) {
    std::ifstream file(strPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

/// Lower-case hex, as the simulator records the datagrams it received.
inline std::string Hex(const std::string& strBytes) {
    std::string strHex;
    char sz[3];
    for (unsigned char c : strBytes) {
        std::snprintf(sz, sizeof(sz), "%02x", c);
        strHex += sz;
    }
    return strHex;
}

/// Waits until the simulator's record file holds `strLine`.
inline bool WaitForRecord(const std::string& strPath, const std::string& strLine) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (ReadFile(strPath).find(strLine) == std::string::npos) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

/// The M-SEARCH every multicast and per-interface worker must send, spelled out independently of
/// the engine's own constant.
inline const std::string kSearchRequest = "M-SEARCH * HTTP/1.1\r\n"
                                          "HOST: 239.143.255.250:1900\r\n"
                                          "ST: urn:schemas-upnp-org:device:HomeNasDevice:1\r\n"
                                          "MAN: \"ssdp:discover\"\r\n"
                                          "MX: 3\r\n"
                                          "\r\n";
