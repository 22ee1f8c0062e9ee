// A flood against the running engine: 100,000 datagrams of mixed valid and invalid content from
// 100 sender endpoints in four device namespaces, sent as fast as the senders can to the
// broadcast (67), multicast (1900) and per-interface (1530) workers. Reports the datagrams per
// second the engine handled, what the kernel dropped on full receive buffers, the process's
// resident memory along the way, and whether every worker still finds a device afterwards.
// Runs only as root, inside a private network it builds and removes.
//
// Usage: bench_discovery_flood [datagrams]   (default: 100000)

#include "discovery/engine.h"
#include "discovery/search_thread.h"
#include "tests/support/netns.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSenderNamespaces = 4;
constexpr int kSocketsPerSender = 25;
const unsigned short kTargets[] = {67, 1900, 1530};

std::mutex g_mutex;
std::set<std::string> g_seen; // "<id>@<port>"
std::atomic<long> g_nReports{0};

int OnFound(const DeviceRecord* record, int nPort) {
    ++g_nReports;
    const std::string strId = record->id;
    if (strId.compare(0, 8, "SENTINEL") == 0 || strId.compare(0, 3, "SIM") == 0) {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_seen.insert(strId + "@" + std::to_string(nPort));
    }
    return 0;
}

bool Seen(const std::string& strKey) {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_seen.count(strKey) != 0;
}

bool WaitSeen(const std::vector<std::string>& keys, std::chrono::seconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (const std::string& strKey : keys) {
        while (!Seen(strKey)) {
            if (Clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    return true;
}

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string strLine;
    while (std::getline(status, strLine)) {
        if (strLine.compare(0, 6, "VmRSS:") == 0) {
            return std::atol(strLine.c_str() + 6);
        }
    }
    return -1;
}

/// Udp InDatagrams and RcvbufErrors of the calling thread's network namespace.
std::pair<long, long> UdpCounters() {
    std::ifstream snmp("/proc/thread-self/net/snmp");
    std::string strHeader, strValues, strLine;
    while (std::getline(snmp, strLine)) {
        if (strLine.compare(0, 4, "Udp:") == 0) {
            if (strHeader.empty()) {
                strHeader = strLine;
            } else {
                strValues = strLine;
                break;
            }
        }
    }
    std::istringstream names(strHeader), values(strValues);
    std::string strName, strValue;
    long nIn = -1, nDropped = -1;
    while (names >> strName && values >> strValue) {
        if (strName == "InDatagrams") {
            nIn = std::atol(strValue.c_str());
        } else if (strName == "RcvbufErrors") {
            nDropped = std::atol(strValue.c_str());
        }
    }
    return {nIn, nDropped};
}

std::string Answer(const std::string& strId) {
    return "HTTP/1.1 200 OK\r\nLOCATION: http://10.0.1.1:49152/rootDesc.xml\r\n"
           "SERVER: Linux/3.10, ZELK/1.0.3, UPnP/1.0, VANTRO/box/NAS/sim\r\n"
           "ST: urn:schemas-upnp-org:device:HomeNasDevice:1\r\nUSN: uuid:" +
           strId + "::urn:schemas-upnp-org:device:HomeNasDevice:1\r\n\r\n";
}

std::string BroadcastReply(const std::string& strId, unsigned char op = 12, std::size_t nSize = 148) {
    DhcpPacket packet;
    std::memset(&packet, 0, sizeof(packet));
    packet.op = op;
    packet.type = 1;
    std::snprintf(packet.text, sizeof(packet.text), "id=%s&host=box&vendor=VANTRO&product=NAS",
                  strId.c_str());
    return std::string(reinterpret_cast<const char*>(&packet), nSize);
}

/// The mix: valid answers and announcements of 1,000 devices, repeats, broken messages, random
/// bytes of every length, and broadcast replies right and wrong.
std::vector<std::string> MakeMix(std::mt19937& random) {
    std::vector<std::string> mix;
    for (int i = 0; i < 1000; ++i) {
        const std::string strId = "FLOOD" + std::to_string(i);
        mix.push_back(Answer(strId));
        mix.push_back(Answer(strId)); // a repeat
        mix.push_back(
            "NOTIFY * HTTP/1.1\r\nNT: upnp:rootdevice\r\nNTS: ssdp:alive\r\nSERVER: ZELK/1,x, V/H/P\r\n"
            "USN: uuid:" +
            strId + "::upnp:rootdevice\r\n\r\n");
        mix.push_back("HTTP/1.1 200 OK\r\nSERVER: Linux\r\nUSN: uuid:" + strId + "::x\r\n\r\n"); // no ZELK
        mix.push_back("HTTP/1.1 200 OK\r\nLOCATION: 10.1.1.1\r\nZELK\r\nUSN: uuid:" + strId +
                      "::x\r\n"); // broken
        std::string strNoise(std::uniform_int_distribution<std::size_t>(1, 1400)(random), '\0');
        for (char& c : strNoise) {
            c = static_cast<char>(random());
        }
        mix.push_back(strNoise);
        mix.push_back(BroadcastReply(strId));
        mix.push_back(BroadcastReply(strId, 99));      // not a device
        mix.push_back(BroadcastReply(strId, 12, 147)); // wrong length
    }
    return mix;
}

/// One sender namespace: its sockets take turns, each datagram goes to the next worker port.
void Flood(const std::vector<std::string>& mix, long nDatagrams, unsigned nSeed) {
    std::vector<int> sockets;
    for (int i = 0; i < kSocketsPerSender; ++i) {
        sockets.push_back(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    }
    sockaddr_in target{};
    target.sin_family = AF_INET;
    inet_pton(AF_INET, "10.0.0.5", &target.sin_addr);
    std::mt19937 random(nSeed);
    for (long n = 0; n < nDatagrams; ++n) {
        const std::string& strData = mix[random() % mix.size()];
        target.sin_port = htons(kTargets[n % 3]);
        sendto(sockets[n % sockets.size()], strData.data(), strData.size(), 0,
               reinterpret_cast<const sockaddr*>(&target), sizeof(target));
    }
    for (int nFd : sockets) {
        close(nFd);
    }
}

void SendSentinels(int nRound) {
    const int nFd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    inet_pton(AF_INET, "10.0.0.5", &target.sin_addr);
    for (unsigned short nPort : kTargets) {
        const std::string strId = "SENTINEL" + std::to_string(nRound);
        const std::string strData = nPort == 67 ? BroadcastReply(strId) : Answer(strId);
        target.sin_port = htons(nPort);
        sendto(nFd, strData.data(), strData.size(), 0, reinterpret_cast<const sockaddr*>(&target),
               sizeof(target));
    }
    close(nFd);
}

std::vector<std::string> SentinelKeys(int nRound) {
    std::vector<std::string> keys;
    for (unsigned short nPort : kTargets) {
        keys.push_back("SENTINEL" + std::to_string(nRound) + "@" + std::to_string(nPort));
    }
    return keys;
}

} // namespace

int main(int argc, char** argv) {
    std::string why;
    if (!NetnsAvailable(why)) {
        std::printf("skipped: %s\n", why.c_str());
        return 0;
    }
    const long nTotal = argc > 1 ? std::atol(argv[1]) : 100000;

    CTestNetwork net("flood");
    net.AddLink("10.0.0.5/16");
    const std::string strDevice = net.AddDevice(0, "10.0.0.10/16");
    std::vector<std::string> senders;
    for (int i = 0; i < kSenderNamespaces; ++i) {
        senders.push_back(net.AddDevice(0, "10.0.1." + std::to_string(i + 1) + "/16"));
    }
    if (!net.Ok()) {
        std::fprintf(stderr, "network: %s\n", net.Error().c_str());
        return 1;
    }
    CNetnsProcess sim = net.Start(strDevice, {ROAMDOCK_DEVSIM, "--count", "1", "--max-delay-ms", "0"});
    if (!sim.WaitForLine("ready", std::chrono::seconds(30))) {
        std::fprintf(stderr, "simulator: %s\n", sim.Output().c_str());
        return 1;
    }

    net.EnterHost();
    g_pfnFindDevice = OnFound;
    g_bRefreshInterfaces = false;
    StartSearchDevice();
    bool bOk = true;

    // Warm-up: every worker reports the simulated device once.
    SendMessage();
    const std::vector<std::string> device = {"SIM0001@67", "SIM0001@1900", "SIM0001@1530"};
    if (!WaitSeen(device, std::chrono::seconds(10))) {
        std::printf("warm-up: not every worker reported the device\n");
        bOk = false;
    }
    SendSentinels(0);
    WaitSeen(SentinelKeys(0), std::chrono::seconds(10));

    std::mt19937 random(7);
    const std::vector<std::string> mix = MakeMix(random);
    const long nRssBefore = ResidentKb();
    const auto [nInBefore, nDropBefore] = UdpCounters();
    const long nReportsBefore = g_nReports;

    const auto start = Clock::now();
    std::vector<std::thread> threads;
    for (int i = 0; i < kSenderNamespaces; ++i) {
        threads.emplace_back(
            [&, i] { net.RunIn(senders[i], [&] { Flood(mix, nTotal / kSenderNamespaces, 100 + i); }); });
    }
    long nRssPeak = nRssBefore;
    std::atomic<bool> bSending{true};
    std::thread sampler([&] {
        while (bSending) {
            nRssPeak = std::max(nRssPeak, ResidentKb());
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    for (std::thread& thread : threads) {
        thread.join();
    }
    const auto sent = Clock::now();
    // Sentinels queue up behind the flood on every worker's socket: once all are reported, the
    // workers have handled everything the kernel delivered to them.
    net.RunIn(senders[0], [] { SendSentinels(1); });
    if (!WaitSeen(SentinelKeys(1), std::chrono::seconds(60))) {
        std::printf("a worker did not get through the flood within 60 s\n");
        bOk = false;
    }
    const auto drained = Clock::now();
    bSending = false;
    sampler.join();
    const long nRssAfter = ResidentKb();
    const auto [nInAfter, nDropAfter] = UdpCounters();

    // The engine keeps working: a new search finds the device through every worker again.
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_seen.clear();
    }
    SendMessage();
    const bool bStillWorking = WaitSeen(device, std::chrono::seconds(10));
    bOk = bOk && bStillWorking;

    ExitSearchDevice();
    for (const SearchThreadEntry& entry : g_searchThreads) {
        delete entry.pThread;
    }
    g_searchThreads.clear();
    g_pfnFindDevice = nullptr;
    net.LeaveHost();

    using std::chrono::duration;
    const double dSend = duration<double>(sent - start).count();
    const double dAll = duration<double>(drained - start).count();
    const long nDelivered = nInAfter - nInBefore;
    const long nDropped = nDropAfter - nDropBefore;
    std::printf("sent %ld datagrams in %.2f s (%.0f/s offered) from %d endpoints\n", nTotal, dSend,
                nTotal / dSend, kSenderNamespaces * kSocketsPerSender);
    std::printf("delivered to the workers %ld, dropped by the kernel on full receive buffers %ld\n",
                nDelivered, nDropped);
    std::printf("handled %ld datagrams in %.2f s: %.0f datagrams/s; %ld reports dispatched\n", nDelivered,
                dAll, nDelivered / dAll, g_nReports - nReportsBefore);
    std::printf("resident memory: %ld kB before, %ld kB peak, %ld kB after\n", nRssBefore, nRssPeak,
                nRssAfter);
    std::printf("after the flood every worker still reports the device: %s\n", bStillWorking ? "yes" : "NO");
    return bOk ? 0 : 1;
}
