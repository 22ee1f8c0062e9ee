// Start-up cost and memory of the program, measured in one process the way main runs it, inside a
// private network with three simulated devices (needs root; nothing leaves the network):
//   - time from the start of main to the window shown and painted, with its parts;
//   - the same window shown again (warm), median of several;
//   - resident memory after the first search (its ten one-second ticks).
// Usage: bench_app_startup [--fast]   (--fast: ticks every 50 ms instead of every second)

#include "app/device_store.h"
#include "app/quarlo_app.h"
#include "app/quarlo_dlg.h"
#include "tests/support/netns.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

/// VmRSS of this process in KiB, 0 when it cannot be read.
long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string strLine;
    while (std::getline(status, strLine)) {
        if (strLine.rfind("VmRSS:", 0) == 0)
            return std::stol(strLine.substr(6));
    }
    return 0;
}

/// Shows the window and returns once it is exposed and its first paint has run.
bool ShowAndPaint(CQuarloDlg& dlg) {
    dlg.show();
    if (!QTest::qWaitForWindowExposed(&dlg, 10000))
        return false;
    dlg.repaint();
    return true;
}

class CBenchApp : public CQuarloApp {
public:
    CBenchApp(int& argc, char** argv, Clock::time_point start, bool bFast)
        : CQuarloApp(argc, argv), m_start(start), m_bFast(bFast) {}

    Clock::time_point m_start;
    Clock::time_point m_shown;
    bool m_bFast;
    bool m_bOk = false;
    long m_nRssKiB = 0;
    int m_nRows = 0;

protected:
    void RunMainDialog(CQuarloDlg& dlg) override {
        if (m_bFast)
            dlg.SetSearchTimerPeriod(50);
        if (!ShowAndPaint(dlg))
            return;
        m_shown = Clock::now();
        QEventLoop loop;
        QObject::connect(&dlg, &CQuarloDlg::searchFinished, &loop, &QEventLoop::quit);
        if (dlg.IsSearchTimerActive())
            loop.exec();
        QApplication::processEvents();
        m_nRssKiB = ResidentKiB();
        if (auto* pList = qobject_cast<QTreeWidget*>(dlg.FindListCtrl(IDC_DEVICE_LIST)))
            m_nRows = pList->topLevelItemCount();

        // The same window again, warm: construction, layout, first search sent, first paint.
        for (int i = 0; i < 9; ++i) {
            const Clock::time_point t0 = Clock::now();
            CQuarloDlg again;
            again.SetSearchTimerPeriod(24 * 3600 * 1000);
            if (!ShowAndPaint(again))
                break;
            m_warm.push_back(Ms(Clock::now() - t0));
            again.reject();
        }
        std::sort(m_warm.begin(), m_warm.end());
        m_bOk = true;
        dlg.reject();
    }

public:
    std::vector<double> m_warm;
};

} // namespace

int main(int argc, char** argv) {
    const Clock::time_point start = Clock::now();
    const bool bFast = argc > 1 && std::strcmp(argv[argc - 1], "--fast") == 0;

    std::string strWhy;
    if (!NetnsAvailable(strWhy)) {
        std::fprintf(stderr, "bench_app_startup: needs a private network (%s)\n", strWhy.c_str());
        return 1;
    }
    const std::string strDevsim = ROAMDOCK_DEVSIM;
    CTestNetwork network("appbench");
    const int nLink = network.AddLink("10.0.0.5/24");
    QTemporaryDir work;
    std::vector<CNetnsProcess> devices;
    for (int i = 1; nLink >= 0 && i <= 3; ++i) {
        const std::string strNs = network.AddDevice(nLink, "10.0.0.2" + std::to_string(i) + "/24");
        const std::string strFile = work.filePath(QStringLiteral("dev%1").arg(i)).toStdString();
        std::ofstream(strFile) << "id=B" << i << " host=bench-" << i << " vendor=VANTRO product=RD-300\n";
        devices.push_back(network.Start(strNs, {strDevsim, "--devices", strFile}));
        if (!devices.back().WaitForLine("ready", 10s)) {
            std::fprintf(stderr, "bench_app_startup: %s did not start\n", strDevsim.c_str());
            return 1;
        }
    }
    if (!network.Ok() || !network.EnterHost()) {
        std::fprintf(stderr, "bench_app_startup: %s\n", network.Error().c_str());
        return 1;
    }
    const Clock::duration setupTime = Clock::now() - start;

    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    qputenv("XDG_DATA_HOME", work.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", work.path().toLocal8Bit());
    qputenv("LC_ALL", "en_US.UTF-8");

    // From here on, what main does; the network's set-up above is not counted.
    const Clock::time_point mainStart = Clock::now();
    CBenchApp app(argc, argv, mainStart, bFast);
    app.InitInstance();
    app.ExitInstance();
    if (!app.m_bOk) {
        std::fprintf(stderr, "bench_app_startup: the window did not come up\n");
        return 1;
    }

    const std::vector<double>& warm = app.m_warm;
    for (CNetnsProcess& device : devices)
        device.Stop();
    std::printf("private network and 3 simulated devices set up in %.1f ms (not counted)\n", Ms(setupTime));
    std::printf("start to window shown (cold, in-process):  %.1f ms\n", Ms(app.m_shown - app.m_start));
    if (!warm.empty())
        std::printf("window shown again (warm, median of %zu):   %.1f ms\n", warm.size(),
                    warm[warm.size() / 2]);
    std::printf("resident memory after the first search:    %.1f MiB (%d devices listed, %s ticks)\n",
                static_cast<double>(app.m_nRssKiB) / 1024.0, app.m_nRows, bFast ? "50 ms" : "1 s");
    return 0;
}
