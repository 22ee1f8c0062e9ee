// The device store with 1,000 and 10,000 accepted devices: cost of one merged report and of one copy.

#include "app/device_store.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

DeviceRecord MakeDevice(int nIndex, int nType) {
    DeviceRecord record;
    std::memset(&record, 0, sizeof(record));
    std::snprintf(record.id, sizeof(record.id), "uuid-%08d", nIndex);
    std::snprintf(record.ip, sizeof(record.ip), "10.%d.%d.%d", (nIndex >> 16) & 255, (nIndex >> 8) & 255,
                  nIndex & 255);
    std::snprintf(record.host, sizeof(record.host), "pocket-%d", nIndex);
    std::strncpy(record.product, "RD-300", sizeof(record.product) - 1);
    std::strncpy(record.extra, "usb3/sd", sizeof(record.extra) - 1);
    std::strncpy(record.version, "3.0.12", sizeof(record.version) - 1);
    std::strncpy(record.vendor, "Vantro", sizeof(record.vendor) - 1);
    record.type = nType;
    record.reservedValue = 60;
    return record;
}

void FillStore(DeviceStore& store, int nDevices) {
    for (int i = 0; i < nDevices; ++i) {
        AddOrUpdateDevice(store, MakeDevice(i, 1));
    }
}

/// A full store hears every known device again (the common case: repeats from several workers).
void BM_MergeKnownDevice(benchmark::State& state) {
    const int nDevices = static_cast<int>(state.range(0));
    DeviceStore store;
    FillStore(store, nDevices);
    std::vector<DeviceRecord> reports;
    for (int i = 0; i < nDevices; ++i) {
        reports.push_back(MakeDevice(i, 2));
    }
    size_t nNext = 0;
    for (auto _ : state) {
        AddOrUpdateDevice(store, reports[nNext]);
        nNext = (nNext + 1) % reports.size();
    }
    state.SetItemsProcessed(state.iterations());
}

/// Filling an empty store: every report walks the whole list and appends.
void BM_FillEmptyStore(benchmark::State& state) {
    const int nDevices = static_cast<int>(state.range(0));
    for (auto _ : state) {
        DeviceStore store;
        FillStore(store, nDevices);
        benchmark::DoNotOptimize(store.m_records.data());
    }
    state.SetItemsProcessed(state.iterations() * nDevices);
}

void BM_CopyDevices(benchmark::State& state) {
    DeviceStore store;
    FillStore(store, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::vector<DeviceRecord> copy = CopyDevices(store);
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_MergeKnownDevice)->Arg(1000)->Arg(10000);
BENCHMARK(BM_FillEmptyStore)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyDevices)->Arg(1000)->Arg(10000);

} // namespace

BENCHMARK_MAIN();
