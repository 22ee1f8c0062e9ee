// The multicast and per-interface workers on a private network: simulated devices answer the
// M-SEARCH and announce themselves; the workers report them and end cleanly.

#include "discovery/multicast_thread.h"
#include "tests/discovery/engine_test_util.h"
#include "tests/support/netns.h"

#include <algorithm>
#include <fstream>
#include <memory>

namespace {

class MulticastSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!NetnsAvailable(why)) {
            GTEST_SKIP() << why;
        }
        m_pNet = std::make_unique<CTestNetwork>("mcast");
        ASSERT_EQ(m_pNet->AddLink("10.0.0.5/24"), 0) << m_pNet->Error();
    }

    CNetnsProcess StartSim(const std::string& strNamespace, std::vector<std::string> args) {
        args.insert(args.begin(), ROAMDOCK_DEVSIM);
        CNetnsProcess sim = m_pNet->Start(strNamespace, args);
        EXPECT_TRUE(sim.WaitForLine("ready", std::chrono::seconds(10))) << sim.Output();
        return sim;
    }

    std::unique_ptr<CTestNetwork> m_pNet;
};

TEST_F(MulticastSearchTest, AnswersOfTwoDevicesReachTheCallback) {
    const std::string strDeviceA = m_pNet->AddDevice(0, "10.0.0.10/24");
    const std::string strDeviceB = m_pNet->AddDevice(0, "10.0.0.11/24");
    ASSERT_TRUE(m_pNet->Ok()) << m_pNet->Error();
    const std::string strRecord = WriteFile("answers.record", "");
    CNetnsProcess simA =
        StartSim(strDeviceA, {"--devices", WriteFile("a.devices", "id=A1 host=box vendor=VANTRO product=P\n"),
                              "--max-delay-ms", "0", "--record", strRecord});
    CNetnsProcess simB =
        StartSim(strDeviceB, {"--devices", WriteFile("b.devices", "id=B2 host=nas vendor=KIRUN product=Q\n"),
                              "--max-delay-ms", "0"});

    CLogFile log;
    CFoundDevices found;
    ASSERT_TRUE(m_pNet->EnterHost()) << m_pNet->Error();
    // Created as the engine creates it: no address, port 1900, no retry.
    CSearchDeviceMulticastThread worker;
    worker.InitWorkThread(nullptr, 1900, false);
    worker.ResetLastDevice();
    worker.SendSearchCommand(nullptr);

    ASSERT_TRUE(found.WaitForCount(2)) << log.Text();
    // The search left from the group member's port, exactly as specified on the wire.
    EXPECT_TRUE(WaitForRecord(strRecord, "multicast 10.0.0.5 1900 129 " + Hex(kSearchRequest) + "\n"))
        << ReadFile(strRecord);

    std::vector<DeviceRecord> records = found.Records();
    std::sort(records.begin(), records.end(),
              [](const DeviceRecord& a, const DeviceRecord& b) { return std::strcmp(a.id, b.id) < 0; });
    EXPECT_STREQ(records[0].id, "A1");
    EXPECT_STREQ(records[0].ip, "10.0.0.10");
    EXPECT_STREQ(records[0].vendor, "VANTRO");
    EXPECT_STREQ(records[0].host, "box");
    EXPECT_STREQ(records[0].product, "P");
    EXPECT_STREQ(records[0].extra, "sim");
    EXPECT_STREQ(records[0].version, "1.0.3");
    EXPECT_EQ(records[0].type, 1);
    EXPECT_STREQ(records[1].id, "B2");
    EXPECT_STREQ(records[1].ip, "10.0.0.11");
    EXPECT_STREQ(records[1].vendor, "KIRUN");
    EXPECT_EQ(records[1].type, 1);
    for (int nPort : found.Ports()) {
        EXPECT_EQ(nPort, 1900);
    }
    EXPECT_EQ(log.Count("SendThread 1900 : Add To Multicast Group Info *["), 1) << log.Text();
}

TEST_F(MulticastSearchTest, AliveAndByebyeReachTheGroupMember) {
    const std::string strDevice = m_pNet->AddDevice(0, "10.0.0.10/24");
    ASSERT_TRUE(m_pNet->Ok()) << m_pNet->Error();

    CLogFile log;
    CFoundDevices found;
    ASSERT_TRUE(m_pNet->EnterHost()) << m_pNet->Error();
    CSearchDeviceMulticastThread worker;
    worker.InitWorkThread(nullptr, 1900, false);

    // The device comes up announcing itself, and says goodbye when it stops.
    CNetnsProcess sim =
        StartSim(strDevice, {"--devices", WriteFile("n.devices", "id=N1 host=box vendor=VANTRO product=P\n"),
                             "--notify"});
    ASSERT_TRUE(found.WaitForCount(1)) << log.Text();
    sim.Stop();
    ASSERT_TRUE(found.WaitForCount(2)) << log.Text();

    const std::vector<DeviceRecord> records = found.Records();
    EXPECT_STREQ(records[0].id, "N1");
    EXPECT_EQ(records[0].type, 2);
    EXPECT_STREQ(records[1].id, "N1");
    EXPECT_STREQ(records[1].ip, "10.0.0.10");
    EXPECT_EQ(records[1].type, 4);
    EXPECT_EQ(found.Ports(), (std::vector<int>{1900, 1900}));
}

/// Raw answers in a row: identical ones alternate, and broken ones are dropped without a report.
TEST_F(MulticastSearchTest, RawAnswersFromTheWire) {
    const std::string strDevice = m_pNet->AddDevice(0, "10.0.0.10/24");
    ASSERT_TRUE(m_pNet->Ok()) << m_pNet->Error();
    const std::string strGood =
        WriteFile("good.raw", "HTTP/1.1 200 OK\r\nSERVER: ZELK/2.0,x, V/H/P\r\nUSN: uuid:R1::x\r\n\r\n");
    const std::string strBroken = WriteFile(
        "broken.raw", "HTTP/1.1 200 OK\r\nLOCATION: 10.9.9.9:80\r\nZELK\r\nUSN: uuid:R2::x\r\n\r\n");
    CNetnsProcess sim =
        StartSim(strDevice, {"--raw-answer", strGood, "--raw-answer", strBroken, "--raw-answer", strGood,
                             "--raw-answer", strGood, "--raw-answer", strGood, "--max-delay-ms", "0"});

    CLogFile log;
    CFoundDevices found;
    ASSERT_TRUE(m_pNet->EnterHost()) << m_pNet->Error();
    CSearchDeviceMulticastThread worker;
    worker.InitWorkThread(nullptr, 1900, false);
    worker.SendSearchCommand(nullptr);
    // good (reported), broken (dropped), good (repeat), good (reported again), good (repeat).
    ASSERT_TRUE(log.WaitFor("Handle Mulitcast Recive Information Fail : Old Device, type = 1 ", 2))
        << log.Text();
    const std::vector<DeviceRecord> records = found.Records();
    ASSERT_EQ(records.size(), 2u);
    for (const DeviceRecord& record : records) {
        EXPECT_STREQ(record.id, "R1");
        EXPECT_STREQ(record.ip, "10.0.0.10"); // no LOCATION: the sender
        EXPECT_STREQ(record.vendor, "V");
        EXPECT_STREQ(record.product, "P");
    }
}

struct ExitCase {
    const char* name;
    bool bPerInterface;
    const char* exitLine; // the whole exit line as it follows its time stamp or precedes it
    bool bMicroFormat;
    bool bLeavesGroup;
};

const ExitCase kExitCases[] = {
    {"GroupMember", false, "SendThread 1900 : Exit Search Device Tread , bExitSock : 1  \r\n", true, true},
    {"PerInterface", true, "SendThread 1530 : Exit Search Device Tread , bExitSock : 1  *[", false, false},
};

class WorkerExitTable : public MulticastSearchTest, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(WorkerExitTable, ThreadEndsWithItsLines) {
    const ExitCase& c = GetParam();
    CLogFile log;
    ASSERT_TRUE(m_pNet->EnterHost()) << m_pNet->Error();
    std::unique_ptr<CSearchDeviceMulticastThread> pWorker;
    if (c.bPerInterface) {
        pWorker = std::make_unique<CSearchDeviceMultiCommandThead>();
        pWorker->InitWorkThread("10.0.0.5", 1530, true);
    } else {
        pWorker = std::make_unique<CSearchDeviceMulticastThread>();
        pWorker->InitWorkThread(nullptr, 1900, false);
    }
    const int nPort = pWorker->Port();
    ASSERT_TRUE(log.WaitFor("Wait Reciver Socket Protocol Info")) << log.Text();
    EXPECT_FALSE(pWorker->WaitForThreadExit(std::chrono::milliseconds(0)));

    pWorker->ExitWorkThread();
    EXPECT_TRUE(pWorker->WaitForThreadExit(std::chrono::seconds(10))) << log.Text();
    const std::string strLog = log.Text();
    const std::size_t nExit = strLog.find(c.exitLine);
    ASSERT_NE(nExit, std::string::npos) << strLog;
    if (c.bMicroFormat) {
        // "[--HH:MM:SS[.ffffff]--]*" right before the message.
        const std::size_t nLineStart = strLog.rfind("\r\n", nExit);
        const std::string strStamp = strLog.substr(nLineStart + 2, nExit - nLineStart - 2);
        EXPECT_EQ(strStamp.substr(0, 3), "[--") << strStamp;
        EXPECT_EQ(strStamp.substr(strStamp.size() - 4), "--]*") << strStamp;
    }
    const std::string strLeave =
        "SendThread " + std::to_string(nPort) + " : Leave To Multicast Group Info *[";
    EXPECT_EQ(log.Count(strLeave), c.bLeavesGroup ? 1 : 0) << strLog;
    EXPECT_EQ(log.Count("Alter Device Mulitcast Group Error"), 0) << strLog;
    EXPECT_EQ(log.Count("SendThread " + std::to_string(nPort) + " : Finish Search Device Work Thread  \r\n"),
              1)
        << strLog;
}

INSTANTIATE_TEST_SUITE_P(Workers, WorkerExitTable, ::testing::ValuesIn(kExitCases),
                         [](const ::testing::TestParamInfo<ExitCase>& info) { return info.param.name; });

} // namespace
