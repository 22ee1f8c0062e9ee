// The device store starting the real engine inside a private network.

#include "app/device_store.h"

#include "discovery/engine.h"
#include "tests/support/netns.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <thread>

namespace {

class StoreEngineTest : public testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!NetnsAvailable(why)) {
            GTEST_SKIP() << why;
        }
        m_pNet = std::make_unique<CTestNetwork>("store");
        ASSERT_EQ(m_pNet->AddLink("10.0.0.5/24"), 0) << m_pNet->Error();
    }

    std::unique_ptr<CTestNetwork> m_pNet;
};

bool HasDevice(const char* pszId) {
    for (const DeviceRecord& record : CopyDevices(GetDeviceStore())) {
        if (std::strncmp(record.id, pszId, sizeof(record.id)) == 0) {
            return true;
        }
    }
    return false;
}

TEST_F(StoreEngineTest, StartSetsTheEngineUpBeforeStartingItAndReportsReachTheStore) {
    const std::string strDevice = m_pNet->AddDevice(0, "10.0.0.10/24");
    ASSERT_TRUE(m_pNet->Ok()) << m_pNet->Error();
    const std::string strDevices = testing::TempDir() + "store-" + std::to_string(getpid()) + ".devices";
    std::ofstream(strDevices) << "id=A1 host=alpha vendor=Vantro product=RD-300 type=1\n"
                                 "id=X9 host=other vendor=ACME product=Z type=1\n";
    CNetnsProcess sim = m_pNet->Start(strDevice, {ROAMDOCK_DEVSIM, "--devices", strDevices});
    ASSERT_TRUE(sim.WaitForLine("ready", std::chrono::seconds(10))) << sim.Output();

    // Settings left over from elsewhere: the store must replace all of them before the engine starts,
    // or the log would be written and reports would go nowhere.
    const std::string strLog = testing::TempDir() + "store-" + std::to_string(getpid()) + ".log";
    std::remove(strLog.c_str());
    std::snprintf(g_szLogPath, sizeof(g_szLogPath), "%s", strLog.c_str());
    g_bLogEnable = true;
    g_pfnFindDevice = nullptr;
    g_bRefreshInterfaces = false;

    ASSERT_TRUE(m_pNet->EnterHost()) << m_pNet->Error();
    EXPECT_EQ(StartDeviceStore(GetDeviceStore()), 0);
    EXPECT_FALSE(g_bLogEnable);
    EXPECT_EQ(std::count(g_szLogPath, g_szLogPath + sizeof(g_szLogPath), '\0'),
              static_cast<std::ptrdiff_t>(sizeof(g_szLogPath)));
    EXPECT_EQ(g_pfnFindDevice, &OnStoreFindDevice);
    EXPECT_TRUE(g_bRefreshInterfaces);
    EXPECT_FALSE(g_searchThreads.empty());

    ClearDevices(GetDeviceStore());
    SendMessage();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!HasDevice("A1") && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(HasDevice("A1"));
    EXPECT_FALSE(HasDevice("X9")) << "another vendor's device was accepted";
    ExitSearchDevice();
    EXPECT_TRUE(m_pNet->LeaveHost());

    std::ifstream log(strLog);
    EXPECT_FALSE(log.good()) << "the diagnostic log was written although the store switches it off";
    std::remove(strDevices.c_str());
}

} // namespace
