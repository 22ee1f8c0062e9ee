// Cost of reading one broadcast datagram: a full reply, a reply whose text fills the packet with
// no NUL, and the cheap drops (wrong length, not a device).

#include "discovery/broadcast_thread.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

namespace {

std::string Reply(const std::string& strText, unsigned char op = 12) {
    DhcpPacket packet;
    std::memset(&packet, 0, sizeof(packet));
    packet.op = op;
    packet.type = 1;
    std::memcpy(packet.text, strText.data(), std::min(strText.size(), sizeof(packet.text)));
    return std::string(reinterpret_cast<const char*>(&packet), sizeof(packet));
}

void Parse(benchmark::State& state, const std::string& strDatagram) {
    const std::string strFrom = "192.168.1.20";
    DeviceRecord record;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            ParseBroadcastReply(strDatagram.data(), strDatagram.size(), strFrom, &record));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_FourKeyReply(benchmark::State& state) {
    Parse(state, Reply("id=0A1B2C3D4E5F&host=roamdock-living-room&vendor=VANTRO&product=RoamDock Pocket"));
}

void BM_FullTextNoNul(benchmark::State& state) {
    Parse(state, Reply(std::string(100, 'x') + "&product=" + std::string(19, 'p')));
}

void BM_WrongLength(benchmark::State& state) {
    Parse(state, Reply("id=A1").substr(0, 147));
}

void BM_NotDevice(benchmark::State& state) {
    Parse(state, Reply("", 11));
}

} // namespace

BENCHMARK(BM_FourKeyReply);
BENCHMARK(BM_FullTextNoNul);
BENCHMARK(BM_WrongLength);
BENCHMARK(BM_NotDevice);
BENCHMARK_MAIN();
