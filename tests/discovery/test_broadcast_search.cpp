// The broadcast worker on a private network: simulated devices answer its search and reach the
// application's callback.

#include "discovery/broadcast_thread.h"
#include "tests/discovery/engine_test_util.h"
#include "tests/support/netns.h"

#include <algorithm>
#include <fstream>
#include <memory>

namespace {

class BroadcastSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!NetnsAvailable(why)) {
            GTEST_SKIP() << why;
        }
        m_pNet = std::make_unique<CTestNetwork>("bcast");
        ASSERT_EQ(m_pNet->AddLink("10.0.0.5/24"), 0) << m_pNet->Error();
    }

    std::unique_ptr<CTestNetwork> m_pNet;
};

TEST_F(BroadcastSearchTest, TwoSimulatedDevicesAreReportedThroughTheCallback) {
    const std::string strDeviceA = m_pNet->AddDevice(0, "10.0.0.10/24");
    const std::string strDeviceB = m_pNet->AddDevice(0, "10.0.0.11/24");
    ASSERT_TRUE(m_pNet->Ok()) << m_pNet->Error();

    const std::string strFileA = WriteFile("a.devices", "id=A1 host=box vendor=VANTRO product=P type=1\n");
    const std::string strFileB =
        WriteFile("b.devices", "# second box\nid=B2 host=nas vendor=KIRUN product=Q type=7\n");
    const std::string strRecord = WriteFile("a.record", "");
    CNetnsProcess simA =
        m_pNet->Start(strDeviceA, {ROAMDOCK_DEVSIM, "--devices", strFileA, "--record", strRecord});
    CNetnsProcess simB = m_pNet->Start(strDeviceB, {ROAMDOCK_DEVSIM, "--devices", strFileB});
    ASSERT_TRUE(simA.WaitForLine("ready", std::chrono::seconds(10))) << simA.Output();
    ASSERT_TRUE(simB.WaitForLine("ready", std::chrono::seconds(10))) << simB.Output();

    CLogFile log;
    CFoundDevices found;
    ASSERT_TRUE(m_pNet->EnterHost()) << m_pNet->Error();
    // Created as the engine creates it: no address, port 67, no retry.
    CSearchDeviceBroadcastThread worker;
    worker.InitWorkThread(nullptr, 67, false);
    DhcpPacket command;
    InitSearchCommand(&command);
    worker.ResetLastDevice();
    worker.SendSearchCommand(&command);

    ASSERT_TRUE(found.WaitForCount(2)) << log.Text();
    std::vector<DeviceRecord> records = found.Records();
    std::sort(records.begin(), records.end(),
              [](const DeviceRecord& a, const DeviceRecord& b) { return std::strcmp(a.id, b.id) < 0; });
    EXPECT_STREQ(records[0].id, "A1");
    EXPECT_STREQ(records[0].host, "box");
    EXPECT_STREQ(records[0].vendor, "VANTRO");
    EXPECT_STREQ(records[0].product, "P");
    EXPECT_STREQ(records[0].ip, "10.0.0.10");
    EXPECT_EQ(records[0].type, 1);
    EXPECT_STREQ(records[1].id, "B2");
    EXPECT_STREQ(records[1].host, "nas");
    EXPECT_STREQ(records[1].vendor, "KIRUN");
    EXPECT_STREQ(records[1].product, "Q");
    EXPECT_STREQ(records[1].ip, "10.0.0.11");
    EXPECT_EQ(records[1].type, 7);
    for (const DeviceRecord& record : records) {
        EXPECT_STREQ(record.extra, "");
        EXPECT_STREQ(record.version, "");
    }
    EXPECT_EQ(found.Ports(), (std::vector<int>{67, 67}));

    // The query on the wire, byte for byte: op 11, type 1, two zeros, 255.255.255.255, zeros.
    std::string strQuery(148, '\0');
    strQuery[0] = 11;
    strQuery[1] = 1;
    std::fill(strQuery.begin() + 4, strQuery.begin() + 8, '\xff');
    std::ifstream recorded(strRecord);
    std::string strSide, strFrom, strHex;
    unsigned nFromPort = 0;
    std::size_t nLen = 0;
    ASSERT_TRUE(recorded >> strSide >> strFrom >> nFromPort >> nLen >> strHex);
    EXPECT_EQ(strSide, "broadcast");
    EXPECT_EQ(strFrom, "10.0.0.5");
    EXPECT_EQ(nFromPort, 67u);
    EXPECT_EQ(nLen, 148u);
    EXPECT_EQ(strHex, Hex(strQuery));
    EXPECT_FALSE(recorded >> strSide) << "exactly one query was sent";

    worker.ExitWorkThread();
    EXPECT_TRUE(worker.WaitForThreadExit(std::chrono::seconds(5)));
    EXPECT_EQ(log.Count("SendThread 67 : Send Broadcast Search Command  *["), 1);
    EXPECT_EQ(log.Count("Send Broadcast Search Error"), 0);
    EXPECT_EQ(log.Count("SendThread 67 : Handle Broadcast Recive Information Success *["), 2);
    std::remove(strFileA.c_str());
    std::remove(strFileB.c_str());
    std::remove(strRecord.c_str());
}

} // namespace
