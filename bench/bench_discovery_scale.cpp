// Discovery at scale: 10, 100 and 1,000 simulated devices behind one link answer a single
// M-SEARCH, each after a random delay within the request's MX window (3 s). Reports how many
// devices reached the callback and when the last one did, measured from the search and from the
// end of the MX window. Runs only as root, inside a private network it builds and removes.
//
// Usage: bench_discovery_scale [device counts...]   (default: 10 100 1000)

#include "discovery/engine.h"
#include "discovery/multicast_thread.h"
#include "tests/support/netns.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kMxWindow = std::chrono::seconds(3);
/// How long after the MX window a late answer is still waited for.
constexpr auto kGrace = std::chrono::seconds(3);

std::mutex g_mutex;
std::set<std::string> g_ids;
Clock::time_point g_lastReport;

int OnFound(const DeviceRecord* record, int) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_ids.insert(record->id).second) {
        g_lastReport = Clock::now();
    }
    return 0;
}

bool RunOnce(int nDevices) {
    CTestNetwork net("scale" + std::to_string(nDevices));
    net.AddLink("10.0.0.5/16");
    const std::string strDevice = net.AddDevice(0, "10.0.0.10/16");
    if (!net.Ok()) {
        std::fprintf(stderr, "network: %s\n", net.Error().c_str());
        return false;
    }
    CNetnsProcess sim = net.Start(strDevice, {ROAMDOCK_DEVSIM, "--count", std::to_string(nDevices)});
    if (!sim.WaitForLine("ready", std::chrono::seconds(30))) {
        std::fprintf(stderr, "simulator: %s\n", sim.Output().c_str());
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_ids.clear();
    }
    g_pfnFindDevice = OnFound;
    net.EnterHost();
    std::size_t nReported = 0;
    Clock::time_point start, last;
    {
        CSearchDeviceMulticastThread worker;
        worker.InitWorkThread(nullptr, 1900, false);
        start = Clock::now();
        worker.ResetLastDevice();
        worker.SendSearchCommand(nullptr);
        const auto deadline = start + kMxWindow + kGrace;
        while (Clock::now() < deadline) {
            {
                std::lock_guard<std::mutex> lock(g_mutex);
                if (static_cast<int>(g_ids.size()) >= nDevices) {
                    break;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        worker.ExitWorkThread();
        worker.WaitForThreadExit(std::chrono::seconds(5));
        std::lock_guard<std::mutex> lock(g_mutex);
        nReported = g_ids.size();
        last = g_lastReport;
    }
    g_pfnFindDevice = nullptr;
    net.LeaveHost();

    using std::chrono::duration_cast;
    using std::chrono::milliseconds;
    const long nSinceSearch = nReported ? duration_cast<milliseconds>(last - start).count() : -1;
    const long nAfterWindow =
        nReported ? duration_cast<milliseconds>(last - (start + kMxWindow)).count() : -1;
    std::printf("%6d devices: %6zu reported (%5.1f%%), last report %5ld ms after the search, %+5ld ms after "
                "the MX window closed\n",
                nDevices, nReported, 100.0 * static_cast<double>(nReported) / nDevices, nSinceSearch,
                nAfterWindow);
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string why;
    if (!NetnsAvailable(why)) {
        std::printf("skipped: %s\n", why.c_str());
        return 0;
    }
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) {
        counts.push_back(std::atoi(argv[i]));
    }
    if (counts.empty()) {
        counts = {10, 100, 1000};
    }
    bool bOk = true;
    for (int nDevices : counts) {
        bOk = RunOnce(nDevices) && bOk;
    }
    return bOk ? 0 : 1;
}
