#include "discovery/engine.h"
#include "discovery/engine_log.h"

#include <boost/date_time/posix_time/posix_time.hpp>

#include <cstdarg>
#include <cstdio>
#include <ctime>

FindDeviceCallback g_pfnFindDevice = nullptr;
bool g_bRefreshInterfaces = false;
bool g_bLogEnable = false;
char g_szLogPath[4096] = {0};

std::vector<SearchThreadEntry> g_searchThreads;
int g_nCommandPort = 1530;

std::mutex g_findDeviceMutex;

namespace {

/// Keeps lines of concurrent writers whole; held only around the output itself.
std::mutex g_logWriteMutex;

bool LogSwitchedOn() {
    return g_bLogEnable && g_szLogPath[0] != '\0';
}

/// Formats the message into a 1024-character area; false when empty or longer than 1023.
bool FormatMessage(char (&szMessage)[kLogLineMax + 1], const char* pszFormat, va_list args) {
    const int nLen = std::vsnprintf(szMessage, sizeof(szMessage), pszFormat, args);
    return nLen > 0 && static_cast<std::size_t>(nLen) <= kLogLineMax;
}

void OutputLine(const std::string& strLine) {
    {
        std::lock_guard<std::mutex> lock(g_logWriteMutex);
        if (std::FILE* pFile = std::fopen(g_szLogPath, "a+")) {
            std::fwrite(strLine.data(), 1, strLine.size(), pFile);
            std::fclose(pFile);
        }
    }
    // One stdio call per line: stdout's own lock keeps the copy whole, and it is never a format.
    std::fwrite(strLine.data(), 1, strLine.size(), stdout);
    std::fflush(stdout);
}

/// Fits the line into the 1023-character rule shared by both formats.
std::string CheckedLine(int nLen, const char* pszLine) {
    if (nLen <= 0 || static_cast<std::size_t>(nLen) > kLogLineMax) {
        return std::string();
    }
    return std::string(pszLine, static_cast<std::size_t>(nLen));
}

} // namespace

std::string MicroTimeText(const boost::posix_time::ptime& time) {
    const std::string strText = boost::posix_time::to_iso_extended_string(time);
    const std::size_t nPos = strText.find('T');
    return nPos == std::string::npos ? strText : strText.substr(nPos + 1);
}

std::string FormatDayTimeLine(const char* pszMessage, const std::tm& localTime) {
    char szLine[kLogLineMax + 1];
    const int nLen = std::snprintf(szLine, sizeof(szLine), "%s*[%02d::%02d:%02d:%02d]\r\n", pszMessage,
                                   localTime.tm_mday, localTime.tm_hour, localTime.tm_min, localTime.tm_sec);
    return CheckedLine(nLen, szLine);
}

std::string FormatMicroTimeLine(const char* pszMessage, const std::string& strTimeText) {
    char szLine[kLogLineMax + 1];
    const int nLen =
        std::snprintf(szLine, sizeof(szLine), "[--%s--]*%s\r\n", strTimeText.c_str(), pszMessage);
    return CheckedLine(nLen, szLine);
}

namespace {

/// The steps both writers share: the switch first (nothing is formatted while the log is off), the
/// message (dropped whole when too long), the line `fnMakeLine` builds around it, the output.
template <class MakeLine> int WriteLogLine(const char* pszFormat, va_list args, MakeLine fnMakeLine) {
    if (!LogSwitchedOn()) {
        return 0;
    }
    char szMessage[kLogLineMax + 1];
    if (!FormatMessage(szMessage, pszFormat, args)) {
        return 0;
    }
    const std::string strLine = fnMakeLine(szMessage);
    if (strLine.empty()) {
        return 0;
    }
    OutputLine(strLine);
    return 1;
}

} // namespace

int WriteLog(const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    const int nResult = WriteLogLine(pszFormat, args, [](const char* pszMessage) {
        const std::time_t now = std::time(nullptr);
        std::tm localTime{};
        localtime_r(&now, &localTime);
        return FormatDayTimeLine(pszMessage, localTime);
    });
    va_end(args);
    return nResult;
}

int WriteTimeLog(const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    const int nResult = WriteLogLine(pszFormat, args, [](const char* pszMessage) {
        return FormatMicroTimeLine(pszMessage,
                                   MicroTimeText(boost::posix_time::microsec_clock::local_time()));
    });
    va_end(args);
    return nResult;
}

int OnFindDevice(const DeviceRecord* record, int nPort) {
    WriteLog("Handle %d : Search %d Thread Find Device and wait for mutex  ", nPort, nPort);
    std::lock_guard<std::mutex> lock(g_findDeviceMutex);
    WriteLog("Handle %d : Search %d Thread Find Device have Mutex  ", nPort, nPort);
    // AssignDevice keeps every text terminated, whatever the worker handed over.
    DeviceRecord device;
    InitDevice(&device);
    AssignDevice(&device, record);
    WriteLog("Handle %d : Search %d Thread Find Device ID : %s, IP : %s  ", nPort, nPort, device.id,
             device.ip);
    // The application registers its callback before starting; without one there is nobody to tell.
    if (g_pfnFindDevice != nullptr) {
        g_pfnFindDevice(&device, nPort);
    }
    WriteLog("Handle %d : Search %d Thread Find Device Success Handle  ", nPort, nPort);
    return 0;
}
