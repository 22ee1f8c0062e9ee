#pragma once
// roamdock-scan: the window's discovery without a window. Parsing and formatting are kept apart
// from the run so that they can be tested without a network.

#include "discovery/device_record.h"

#include <ostream>
#include <string>
#include <vector>

struct ScanOptions {
    int nSeconds = 10; // the window's countdown
    bool bJson = false;
    bool bReports = false;
    bool bWatch = false;    // keep listening after the first search until SIGINT or SIGTERM
    std::string strLogPath; // empty: the engine's log stays off
};

/// Reads the command line. Returns -1 when the scan should run; otherwise the exit code: 0 after
/// --help (usage on out), 2 after an unknown or malformed argument (message and usage on err).
int ParseScanArguments(int argc, const char* const argv[], ScanOptions& options, std::ostream& out,
                       std::ostream& err);

std::string ScanUsage();

/// One JSON object on one line, keys id, ip, host, product, extra, version, vendor (strings) and
/// type (number). Pure ASCII and valid whatever bytes the device sent: invalid UTF-8 becomes
/// U+FFFD, control characters are escaped.
std::string FormatDeviceJson(const DeviceRecord& record);

/// The same object with the receiving worker's port as a last key.
std::string FormatReportJson(const DeviceRecord& record, int nPort);

/// Store order in, newest first out: one JSON line per record.
std::string FormatDeviceLines(const std::vector<DeviceRecord>& records);

/// Store order in, newest first out: a table with the columns "Host Name", "IP Address",
/// "Device Type". Device text is made safe for a terminal (no control characters).
std::string FormatDeviceTable(const std::vector<DeviceRecord>& records);

/// One --watch line for a device that appeared ("appeared") or said goodbye ("goodbye"). JSON: the
/// device object with "event" as its first key. Text: the event word, host name, address and
/// device type in columns, device text made safe for a terminal as in the table.
std::string FormatWatchEvent(const char* pszEvent, const DeviceRecord& record, bool bJson);

/// The whole program: parse, start discovery, search once, wait, print, stop.
int RunScanner(int argc, const char* const argv[]);
