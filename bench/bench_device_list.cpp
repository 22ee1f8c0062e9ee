// One countdown tick's list update with many devices in the store: the first tick of a search
// (the list is empty and is filled), a later tick with nothing new, and a later tick that adds one
// device, each with and without the repaint that follows it. A tick should fit in one frame (16 ms).
// Runs offscreen and sends nothing: the engine is never started here.

#include "app/device_store.h"
#include "app/quarlo_app.h"
#include "app/quarlo_dlg.h"
#include "controls/list_ctrls.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

CQuarloDlg* g_pDlg = nullptr;

DeviceRecord MakeDevice(int nIndex) {
    DeviceRecord device;
    std::memset(&device, 0, sizeof(device));
    std::snprintf(device.id, sizeof(device.id), "DEV%05d", nIndex);
    std::snprintf(device.ip, sizeof(device.ip), "10.%d.%d.%d", nIndex / 65536 % 256, nIndex / 256 % 256,
                  nIndex % 256);
    std::snprintf(device.host, sizeof(device.host), "roamdock-%d", nIndex);
    std::snprintf(device.product, sizeof(device.product), "RD-300");
    std::snprintf(device.vendor, sizeof(device.vendor), "VANTRO");
    device.type = 1;
    return device;
}

void FillStore(int nDevices) {
    DeviceStore& store = GetDeviceStore();
    ClearDevices(store);
    for (int i = 0; i < nDevices; ++i)
        AddOrUpdateDevice(store, MakeDevice(i));
}

QTreeWidget* DeviceList() {
    return qobject_cast<QTreeWidget*>(g_pDlg->FindListCtrl(IDC_DEVICE_LIST));
}

/// The first tick of a search: the list is empty and takes the whole store.
void BM_FirstTick(benchmark::State& state, bool bPaint) {
    FillStore(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        DeviceList()->clear();
        QApplication::processEvents();
        state.ResumeTiming();
        g_pDlg->UpdateDeviceList();
        if (bPaint)
            DeviceList()->viewport()->repaint();
    }
    state.counters["rows"] = DeviceList()->topLevelItemCount();
}

/// A later tick: every stored address is listed already.
void BM_LaterTick(benchmark::State& state, bool bPaint) {
    FillStore(static_cast<int>(state.range(0)));
    DeviceList()->clear();
    g_pDlg->UpdateDeviceList();
    for (auto _ : state) {
        g_pDlg->UpdateDeviceList();
        if (bPaint)
            DeviceList()->viewport()->repaint();
    }
    state.counters["rows"] = DeviceList()->topLevelItemCount();
}

/// A later tick that finds one new device at the end of the store.
void BM_LaterTickOneNew(benchmark::State& state, bool bPaint) {
    const int nDevices = static_cast<int>(state.range(0));
    FillStore(nDevices - 1);
    const DeviceRecord newcomer = MakeDevice(nDevices - 1);
    for (auto _ : state) {
        state.PauseTiming();
        DeviceList()->clear();
        g_pDlg->UpdateDeviceList();
        RemoveDeviceById(GetDeviceStore(), newcomer.id);
        AddOrUpdateDevice(GetDeviceStore(), newcomer);
        QApplication::processEvents();
        state.ResumeTiming();
        g_pDlg->UpdateDeviceList();
        if (bPaint)
            DeviceList()->viewport()->repaint();
    }
    state.counters["rows"] = DeviceList()->topLevelItemCount();
}

BENCHMARK_CAPTURE(BM_FirstTick, update, false)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FirstTick, update_and_paint, true)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LaterTick, update, false)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LaterTick, update_and_paint, true)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LaterTickOneNew, update, false)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LaterTickOneNew, update_and_paint, true)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dataRoot;
    qputenv("XDG_DATA_HOME", dataRoot.path().toLocal8Bit());
    qputenv("LC_ALL", "en_US.UTF-8");
    CQuarloApp app(argc, argv);
    if (!app.PrepareDataFolder()) {
        std::fprintf(stderr, "bench_device_list: cannot write the skin to %s\n",
                     qUtf8Printable(dataRoot.path()));
        return 1;
    }
    // The dialog as the user sees it, with its layout; its first search sends nothing because the
    // engine has no workers in this process.
    auto pDlg = std::make_unique<CQuarloDlg>();
    pDlg->SetSearchTimerPeriod(24 * 3600 * 1000);
    pDlg->show();
    if (!QTest::qWaitForWindowExposed(pDlg.get()) || !pDlg->AreControlsReady()) {
        std::fprintf(stderr, "bench_device_list: the dialog did not come up\n");
        return 1;
    }
    g_pDlg = pDlg.get();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_pDlg = nullptr;
    return 0;
}
