// Cost per datagram: the two parsers alone, then a datagram's way through a real worker
// (receive, parse, repeat check, dispatch) next to a bare blocking receive of the same bytes.
// Run as root it moves into a network namespace of its own first, so its datagrams never touch
// this machine's interfaces; otherwise it uses unicast on 127.0.0.1 only.

#include "discovery/broadcast_thread.h"
#include "discovery/engine.h"
#include "discovery/multicast_parser.h"
#include "discovery/multicast_thread.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

namespace {

std::string Answer(const std::string& strId) {
    return "HTTP/1.1 200 OK\r\nCACHE-CONTROL: max-age=1800\r\nEXT:\r\n"
           "LOCATION: http://127.0.0.1:49152/rootDesc.xml\r\n"
           "SERVER: Linux/3.10, ZELK/1.0.3, UPnP/1.0, VANTRO/box/NAS/sim\r\n"
           "ST: urn:schemas-upnp-org:device:HomeNasDevice:1\r\nUSN: uuid:" +
           strId + "::urn:schemas-upnp-org:device:HomeNasDevice:1\r\n\r\n";
}

std::string Notify() {
    return "NOTIFY * HTTP/1.1\r\nHOST: 239.143.255.250:1900\r\nCACHE-CONTROL: max-age=1800\r\n"
           "LOCATION: http://127.0.0.1:49152/rootDesc.xml\r\nNT: upnp:rootdevice\r\nNTS: ssdp:alive\r\n"
           "SERVER: Linux/3.10, ZELK/1.0.3, UPnP/1.0, VANTRO/box/NAS/sim\r\n"
           "USN: uuid:SIM0001::upnp:rootdevice\r\n\r\n";
}

std::string BroadcastReply() {
    DhcpPacket packet{};
    packet.op = 12;
    packet.type = 1;
    std::snprintf(packet.text, sizeof(packet.text), "id=SIM0001&host=sim-1&vendor=VANTRO&product=NAS");
    return std::string(reinterpret_cast<const char*>(&packet), sizeof(packet));
}

void BM_ParseMulticast(benchmark::State& state, const std::string& strMessage) {
    DeviceRecord record;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            ParseMulticastMessage(strMessage.data(), strMessage.size(), "127.0.0.1", &record));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * strMessage.size()));
}
BENCHMARK_CAPTURE(BM_ParseMulticast, answer, Answer("SIM0001"));
BENCHMARK_CAPTURE(BM_ParseMulticast, notify, Notify());
BENCHMARK_CAPTURE(BM_ParseMulticast, no_zelk, std::string("HTTP/1.1 200 OK\r\n") + std::string(200, 'x'));
BENCHMARK_CAPTURE(BM_ParseMulticast, garbage_1024, std::string(1024, 'Z'));

void BM_ParseBroadcast(benchmark::State& state) {
    const std::string strReply = BroadcastReply();
    DeviceRecord record;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseBroadcastReply(strReply.data(), strReply.size(), "127.0.0.1", &record));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ParseBroadcast);

/// One datagram out, then wait until the receiving side has counted it: a round through the
/// kernel and a thread wake-up, the same for the bare socket and for the worker.
std::atomic<long> g_nReceived{0};

int CountReport(const DeviceRecord*, int) {
    g_nReceived.fetch_add(1, std::memory_order_release);
    return 0;
}

int OpenSender() {
    return socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
}

sockaddr_in Loopback(unsigned short nPort) {
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(nPort);
    target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return target;
}

void SendAndWait(benchmark::State& state, int nSender, const sockaddr_in& target,
                 const std::string (&messages)[2]) {
    long nSent = g_nReceived.load();
    for (auto _ : state) {
        const std::string& strMessage = messages[nSent & 1];
        sendto(nSender, strMessage.data(), strMessage.size(), 0, reinterpret_cast<const sockaddr*>(&target),
               sizeof(target));
        ++nSent;
        while (g_nReceived.load(std::memory_order_acquire) < nSent) {
        }
    }
}

void BM_BareReceive(benchmark::State& state) {
    const int nReceiver = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const sockaddr_in target = Loopback(41900);
    if (bind(nReceiver, reinterpret_cast<const sockaddr*>(&target), sizeof(target)) != 0) {
        state.SkipWithError("cannot bind 127.0.0.1:41900");
        close(nReceiver);
        return;
    }
    g_nReceived = 0;
    std::thread receiver([nReceiver] {
        char buffer[1025];
        for (;;) {
            std::memset(buffer, 0, sizeof(buffer));
            const ssize_t n = recv(nReceiver, buffer, sizeof(buffer) - 1, 0);
            if (n <= 0)
                return;
            g_nReceived.fetch_add(1, std::memory_order_release);
        }
    });
    const int nSender = OpenSender();
    const std::string messages[2] = {Answer("SIM0001"), Answer("SIM0002")};
    SendAndWait(state, nSender, target, messages);
    shutdown(nReceiver, SHUT_RDWR);
    receiver.join();
    close(nReceiver);
    close(nSender);
}
BENCHMARK(BM_BareReceive)->UseRealTime();

void BM_WorkerReceiveParseDispatch(benchmark::State& state) {
    g_pfnFindDevice = CountReport;
    g_bLogEnable = false;
    g_nReceived = 0;
    CSearchDeviceMultiCommandThead worker;
    worker.InitWorkThread("127.0.0.1", 41902, false);
    const int nSender = OpenSender();
    // Two devices in turn, so the repeat check lets every datagram through to the callback.
    const std::string messages[2] = {Answer("SIM0001"), Answer("SIM0002")};
    SendAndWait(state, nSender, Loopback(41902), messages);
    worker.ExitWorkThread();
    worker.WaitForThreadExit(std::chrono::seconds(5));
    close(nSender);
}
BENCHMARK(BM_WorkerReceiveParseDispatch)->UseRealTime();

/// A namespace of our own with only loopback, up.
void EnterPrivateNetwork() {
    if (geteuid() != 0 || unshare(CLONE_NEWNET) != 0)
        return;
    const int nFd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    if (ioctl(nFd, SIOCGIFFLAGS, &request) == 0) {
        request.ifr_flags |= IFF_UP;
        ioctl(nFd, SIOCSIFFLAGS, &request);
    }
    close(nFd);
}

} // namespace

int main(int argc, char** argv) {
    EnterPrivateNetwork();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
