#include "tools/scan/scanner.h"

#include "app/device_store.h"
#include "discovery/engine.h"

#include <boost/program_options.hpp>
#include <nlohmann/json.hpp>

#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <sstream>
#include <thread>

namespace po = boost::program_options;

namespace {

/// Where --reports and --watch lines go; set before the engine starts, read on its worker threads.
FILE* s_pReportOut = stdout;
bool s_bReports = false;
bool s_bWatchJson = false;
/// Set under g_findDeviceMutex once the first list is printed; from then on changes are printed.
bool s_bWatching = false;

std::string FieldText(const char (&szField)[32]) {
    return std::string(szField, strnlen(szField, sizeof(szField)));
}

po::options_description ScanOptionsDescription(ScanOptions& options) {
    po::options_description desc("Options", 100, 50);
    desc.add_options()                        //
        ("help,h", "show this help and exit") //
        ("seconds", po::value<int>(&options.nSeconds)->value_name("N"),
         "wait N seconds for answers after the search (default 10)")                                     //
        ("json", po::bool_switch(&options.bJson), "print one JSON object per device instead of a table") //
        ("watch", po::bool_switch(&options.bWatch),
         "after the list, keep listening and print a line whenever a device appears or says goodbye, "
         "until interrupted") //
        ("reports", po::bool_switch(&options.bReports),
         "print every report as it arrives, before the vendor filter, as JSON lines with the worker's "
         "port") //
        ("log", po::value<std::string>(&options.strLogPath)->value_name("FILE"),
         "write the discovery engine's diagnostic log to FILE (its copy of each line goes to stderr)");
    return desc;
}

nlohmann::ordered_json DeviceObject(const DeviceRecord& record) {
    nlohmann::ordered_json object;
    object["id"] = FieldText(record.id);
    object["ip"] = FieldText(record.ip);
    object["host"] = FieldText(record.host);
    object["product"] = FieldText(record.product);
    object["extra"] = FieldText(record.extra);
    object["version"] = FieldText(record.version);
    object["vendor"] = FieldText(record.vendor);
    object["type"] = record.type;
    return object;
}

std::string DumpLine(const nlohmann::ordered_json& object) {
    // ASCII only: invalid UTF-8 becomes \ufffd and no control character (C0, DEL, C1) reaches a terminal.
    return object.dump(-1, ' ', true, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

/// Device text for a terminal: valid UTF-8, every control character shown as "?".
std::string TerminalText(const char (&szField)[32]) {
    const std::string strValid =
        nlohmann::json::parse(
            nlohmann::json(FieldText(szField)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace))
            .get<std::string>();
    std::string strOut;
    for (size_t i = 0; i < strValid.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(strValid[i]);
        if (c < 0x20 || c == 0x7F) {
            strOut += '?';
        } else if (c == 0xC2 && i + 1 < strValid.size() &&
                   static_cast<unsigned char>(strValid[i + 1]) < 0xA0) {
            strOut += '?'; // U+0080..U+009F, the C1 controls
            ++i;
        } else {
            strOut += static_cast<char>(c);
        }
    }
    return strOut;
}

/// Columns on a terminal: one per code point (continuation bytes take none).
size_t DisplayWidth(const std::string& strText) {
    return static_cast<size_t>(std::count_if(strText.begin(), strText.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

void WriteOut(const std::string& strLine) {
    std::fwrite(strLine.data(), 1, strLine.size(), s_pReportOut);
    std::fflush(s_pReportOut);
}

bool HasAddress(const std::vector<DeviceRecord>& records, const DeviceRecord& record) {
    return std::any_of(records.begin(), records.end(), [&record](const DeviceRecord& other) {
        return FieldText(other.ip) == FieldText(record.ip);
    });
}

int OnScanReport(const DeviceRecord* record, int nPort) {
    // Called under the engine's dispatch mutex: lines of different workers never interleave, and the
    // store changes only here, so comparing it before and after names exactly what this report did.
    if (s_bReports) {
        WriteOut(FormatReportJson(*record, nPort));
    }
    if (!s_bWatching) {
        return OnStoreFindDevice(record, nPort);
    }
    const std::vector<DeviceRecord> before = CopyDevices(GetDeviceStore());
    OnStoreFindDevice(record, nPort);
    const std::vector<DeviceRecord> after = CopyDevices(GetDeviceStore());
    // The store keeps one record per address and updates it in place, so only a goodbye removes one.
    for (const DeviceRecord& gone : before) {
        if (!HasAddress(after, gone)) {
            WriteOut(FormatWatchEvent("goodbye", gone, s_bWatchJson));
        }
    }
    for (const DeviceRecord& added : after) {
        if (!HasAddress(before, added)) {
            WriteOut(FormatWatchEvent("appeared", added, s_bWatchJson));
        }
    }
    return 0;
}

/// Waits for SIGINT or SIGTERM (blocked in every thread) for at most `nSeconds`, or without limit
/// when it is negative. True when a signal came.
bool WaitForStopSignal(int nSeconds) {
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(nSeconds);
    for (;;) {
        int nSignal = 0;
        if (nSeconds < 0) {
            if (sigwait(&stopSignals, &nSignal) == 0) {
                return true;
            }
            continue;
        }
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) {
            return false;
        }
        const auto nsLeft = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        timespec timeout{static_cast<time_t>(nsLeft / 1000000000), static_cast<long>(nsLeft % 1000000000)};
        if (sigtimedwait(&stopSignals, nullptr, &timeout) > 0) {
            return true;
        }
        // EAGAIN at the deadline, EINTR for another signal: the loop decides.
    }
}

} // namespace

std::string ScanUsage() {
    ScanOptions options;
    std::ostringstream usage;
    usage << "Usage: roamdock-scan [--seconds N] [--json] [--reports] [--watch] [--log FILE]\n"
             "Searches the local network once for Vantro, Orbit5 and Nexla devices and lists them,\n"
             "most recently found first.\n\n"
          << ScanOptionsDescription(options);
    return usage.str();
}

int ParseScanArguments(int argc, const char* const argv[], ScanOptions& options, std::ostream& out,
                       std::ostream& err) {
    options = ScanOptions();
    po::options_description desc = ScanOptionsDescription(options);
    po::variables_map values;
    try {
        // No abbreviations: a script's "--sec" should fail loudly, not guess.
        const int nStyle = po::command_line_style::default_style & ~po::command_line_style::allow_guessing;
        // An empty positional description makes any stray word an error instead of being ignored.
        const po::positional_options_description noPositional;
        po::store(
            po::command_line_parser(argc, argv).options(desc).positional(noPositional).style(nStyle).run(),
            values);
        po::notify(values);
    } catch (const po::error& e) {
        err << "roamdock-scan: " << e.what() << "\n\n" << ScanUsage();
        return 2;
    }
    std::string strProblem;
    if (options.nSeconds < 0) {
        strProblem = "--seconds must not be negative";
    } else if (values.count("log") != 0 && options.strLogPath.empty()) {
        strProblem = "--log needs a file name";
    } else if (options.strLogPath.size() >= sizeof(g_szLogPath) ||
               options.strLogPath.find('\0') != std::string::npos) {
        strProblem = "--log file name is too long or malformed";
    }
    if (!strProblem.empty()) {
        err << "roamdock-scan: " << strProblem << "\n\n" << ScanUsage();
        return 2;
    }
    if (values.count("help") != 0) {
        out << ScanUsage();
        return 0;
    }
    return -1;
}

std::string FormatDeviceJson(const DeviceRecord& record) {
    return DumpLine(DeviceObject(record));
}

std::string FormatReportJson(const DeviceRecord& record, int nPort) {
    nlohmann::ordered_json object = DeviceObject(record);
    object["port"] = nPort;
    return DumpLine(object);
}

std::string FormatWatchEvent(const char* pszEvent, const DeviceRecord& record, bool bJson) {
    if (bJson) {
        nlohmann::ordered_json object;
        object["event"] = pszEvent;
        object.update(DeviceObject(record));
        return DumpLine(object);
    }
    std::string strLine;
    const std::string fields[] = {pszEvent, TerminalText(record.host), TerminalText(record.ip)};
    const size_t nWidths[] = {8, 16, 15};
    for (size_t i = 0; i < 3; ++i) {
        strLine += fields[i] +
                   std::string(
                       nWidths[i] > DisplayWidth(fields[i]) ? nWidths[i] - DisplayWidth(fields[i]) : 0, ' ') +
                   "  ";
    }
    return strLine + TerminalText(record.product) + "\n";
}

std::string FormatDeviceLines(const std::vector<DeviceRecord>& records) {
    std::string strOut;
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        strOut += FormatDeviceJson(*it);
    }
    return strOut;
}

std::string FormatDeviceTable(const std::vector<DeviceRecord>& records) {
    std::vector<std::vector<std::string>> rows = {{"Host Name", "IP Address", "Device Type"}};
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        rows.push_back({TerminalText(it->host), TerminalText(it->ip), TerminalText(it->product)});
    }
    size_t nWidths[2] = {0, 0};
    for (const auto& row : rows) {
        for (size_t i = 0; i < 2; ++i) {
            nWidths[i] = std::max(nWidths[i], DisplayWidth(row[i]));
        }
    }
    std::string strOut;
    for (const auto& row : rows) {
        for (size_t i = 0; i < 2; ++i) {
            strOut += row[i] + std::string(nWidths[i] - DisplayWidth(row[i]) + 2, ' ');
        }
        strOut += row[2] + "\n";
    }
    return strOut;
}

int RunScanner(int argc, const char* const argv[]) {
    ScanOptions options;
    const int nExit = ParseScanArguments(argc, argv, options, std::cout, std::cerr);
    if (nExit >= 0) {
        return nExit;
    }

    FILE* pOut = stdout;
    if (!options.strLogPath.empty()) {
        // The engine copies every log line to standard output; keep that stream for our own output
        // and let the copies go to standard error.
        std::fflush(stdout);
        const int fdOut = dup(STDOUT_FILENO);
        FILE* pDup = fdOut >= 0 ? fdopen(fdOut, "w") : nullptr;
        if (pDup != nullptr && dup2(STDERR_FILENO, STDOUT_FILENO) >= 0) {
            pOut = pDup;
        } else if (pDup != nullptr) {
            std::fclose(pDup);
        }
    }
    s_pReportOut = pOut;
    s_bReports = options.bReports;
    s_bWatchJson = options.bJson || options.bReports;
    s_bWatching = false;
    if (options.bWatch) {
        // Blocked before the engine starts its threads, which inherit the mask: only the main
        // thread takes the stop signal, and it shuts the engine down before leaving.
        sigset_t stopSignals;
        sigemptyset(&stopSignals);
        sigaddset(&stopSignals, SIGINT);
        sigaddset(&stopSignals, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    }

    // The store's own start, plus the scanner's log and report printer; both must be set before
    // the engine starts.
    g_bLogEnable = false;
    std::memset(g_szLogPath, 0, sizeof(g_szLogPath));
    g_pfnFindDevice = OnStoreFindDevice;
    g_bRefreshInterfaces = true;
    if (!options.strLogPath.empty()) {
        std::memcpy(g_szLogPath, options.strLogPath.data(), options.strLogPath.size());
        g_bLogEnable = true;
    }
    if (options.bReports || options.bWatch) {
        g_pfnFindDevice = OnScanReport;
    }
    StartSearchDevice();

    SendMessage();
    bool bStopped = false;
    if (options.bWatch) {
        bStopped = WaitForStopSignal(options.nSeconds);
    } else {
        std::this_thread::sleep_for(std::chrono::seconds(options.nSeconds));
    }

    {
        // Under the dispatch mutex, so no change falls between the list and the first watched report.
        std::lock_guard<std::mutex> lock(g_findDeviceMutex);
        if (!options.bReports) {
            const std::vector<DeviceRecord> records = CopyDevices(GetDeviceStore());
            const std::string strText =
                options.bJson ? FormatDeviceLines(records) : FormatDeviceTable(records);
            std::fwrite(strText.data(), 1, strText.size(), pOut);
        }
        std::fflush(pOut);
        s_bWatching = options.bWatch && !bStopped;
    }
    if (s_bWatching) {
        WaitForStopSignal(-1);
    }
    ExitSearchDevice();
    std::fflush(pOut);
    return 0;
}
