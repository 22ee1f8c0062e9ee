// The search worker's socket life on a private network: datagram delivery, the restart after an
// empty datagram, ExitWorkThread on a blocked receive, and a port already taken.

#include "discovery/broadcast_thread.h"
#include "tests/discovery/engine_test_util.h"
#include "tests/support/netns.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/udp.hpp>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>

#include <memory>
#include <regex>

namespace {

using boost::asio::ip::udp;

/// Keeps every datagram handed to the parser, with the byte behind it.
class CRecordingWorker : public CSearchDeviceThread {
public:
    ~CRecordingWorker() override {
        ExitWorkThread();
        WaitForThreadExit(std::chrono::seconds(5));
    }
    void HandleReceiveInfo(const char* data, int nLen, const std::string& strFromIP) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_data.emplace_back(data, static_cast<std::size_t>(nLen) + 1);
        m_from.push_back(strFromIP);
        m_changed.notify_all();
    }
    bool WaitForDatagram(std::string& strData, std::string& strFrom) {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_changed.wait_for(lock, std::chrono::seconds(10), [this] { return !m_data.empty(); })) {
            return false;
        }
        strData = m_data.front();
        strFrom = m_from.front();
        return true;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_data;
    std::vector<std::string> m_from;
};

class WorkerNetworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!NetnsAvailable(why)) {
            GTEST_SKIP() << why;
        }
        m_pNet = std::make_unique<CTestNetwork>("worker");
        ASSERT_EQ(m_pNet->AddLink("10.0.0.5/24"), 0) << m_pNet->Error();
        m_strDevice = m_pNet->AddDevice(0, "10.0.0.10/24");
        ASSERT_TRUE(m_pNet->Ok()) << m_pNet->Error();
        ASSERT_TRUE(m_pNet->EnterHost()) << m_pNet->Error();
        m_pLog = std::make_unique<CLogFile>();
    }

    /// Sends one datagram from the device namespace to the host's 10.0.0.5.
    void SendFromDevice(const std::string& strData, unsigned short nPort) {
        bool bSent = false;
        ASSERT_TRUE(m_pNet->RunIn(m_strDevice, [&] {
            boost::asio::io_context io;
            udp::socket sock(io, udp::v4());
            boost::system::error_code ec;
            sock.send_to(boost::asio::buffer(strData),
                         udp::endpoint(boost::asio::ip::make_address_v4("10.0.0.5"), nPort), 0, ec);
            bSent = !ec;
        }));
        ASSERT_TRUE(bSent);
    }

    std::unique_ptr<CTestNetwork> m_pNet;
    std::string m_strDevice;
    std::unique_ptr<CLogFile> m_pLog;
};

struct DatagramCase {
    const char* name;
    std::size_t nSent;
    std::size_t nDelivered;
};

class DatagramDelivery : public WorkerNetworkTest, public ::testing::WithParamInterface<DatagramCase> {};

TEST_P(DatagramDelivery, ReachesTheParserWholeAndTerminated) {
    const DatagramCase& row = GetParam();
    CRecordingWorker worker;
    worker.InitWorkThread(nullptr, 1530, false);
    std::string strSent(row.nSent, '\0');
    for (std::size_t i = 0; i < strSent.size(); ++i) {
        strSent[i] = static_cast<char>('a' + i % 26);
    }
    SendFromDevice(strSent, 1530);

    std::string strData, strFrom;
    ASSERT_TRUE(worker.WaitForDatagram(strData, strFrom)) << m_pLog->Text();
    ASSERT_EQ(strData.size(), row.nDelivered + 1);
    EXPECT_EQ(strData.substr(0, row.nDelivered), strSent.substr(0, row.nDelivered));
    EXPECT_EQ(strData.back(), '\0');
    EXPECT_EQ(strFrom, "10.0.0.10");
    EXPECT_EQ(m_pLog->Count("SendThread 1530 : Recive Socket Protocol IP : 10.0.0.10, nLen : " +
                            std::to_string(row.nDelivered) + "  *["),
              1);
}

const DatagramCase kDatagramCases[] = {
    {"OneByte", 1, 1},
    {"Packet148", 148, 148},
    {"Full1024", 1024, 1024},
    // Only 1024 bytes are offered to the receive; the rest of a larger datagram is dropped.
    {"Oversize1500CutTo1024", 1500, 1024},
};

INSTANTIATE_TEST_SUITE_P(Sizes, DatagramDelivery, ::testing::ValuesIn(kDatagramCases),
                         [](const ::testing::TestParamInfo<DatagramCase>& info) { return info.param.name; });

TEST_F(WorkerNetworkTest, ZeroByteDatagramRebuildsSocketAndThread) {
    CFoundDevices found;
    CSearchDeviceBroadcastThread worker;
    worker.InitWorkThread(nullptr, 67, false);
    ASSERT_TRUE(m_pLog->WaitFor("SendThread 67 : Wait Reciver Socket Protocol Info  "));

    SendFromDevice(std::string(), 67);
    ASSERT_TRUE(m_pLog->WaitFor("SendThread 67 : Finish Search Device Work Thread  ")) << m_pLog->Text();
    EXPECT_EQ(m_pLog->Count(
                  "SendThread 67 : Reciver Socket Protocol Null Info, bExitSock = 0, bRetartSock = 0  *["),
              1);
    EXPECT_EQ(m_pLog->Count("SendThread 67 : Exit Search Device Tread , bExitSock : 1  \r\n"), 1);
    EXPECT_EQ(m_pLog->Count("SendThread 67 : Create Search Device Work Thread *["), 2);
    // The new thread logs its start on its own schedule, possibly after the old one finished.
    EXPECT_TRUE(m_pLog->WaitFor("SendThread 67 : Begin Search Device Work Thread  *[", 2)) << m_pLog->Text();
    EXPECT_EQ(m_pLog->Count("SendThread 67 : Begin Search Device Work Thread  *["), 2);
    EXPECT_EQ(m_pLog->Count("Create Search Device Work Thread Error"), 0);

    // The rebuilt socket on the new thread still hears replies.
    SendFromDevice(MakeReply("id=A1&host=box&vendor=V&product=P"), 67);
    ASSERT_TRUE(found.WaitForCount(1)) << m_pLog->Text();
    EXPECT_STREQ(found.Records()[0].id, "A1");

    worker.ExitWorkThread();
    EXPECT_TRUE(worker.WaitForThreadExit(std::chrono::seconds(5)));
    EXPECT_EQ(m_pLog->Count("SendThread 67 : Finish Search Device Work Thread  "), 2);
}

TEST_F(WorkerNetworkTest, ExitWorkThreadEndsABlockedReceive) {
    CSearchDeviceBroadcastThread worker;
    worker.InitWorkThread(nullptr, 67, false);
    EXPECT_EQ(m_pLog->Count("SendThread 67 : Init Search Device Work Thread Value, strIP : , nPort : 67  *["),
              1);
    ASSERT_TRUE(m_pLog->WaitFor("SendThread 67 : Wait Reciver Socket Protocol Info  "));
    // Give the thread time to block inside the receive, not just before it.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    worker.ExitWorkThread();
    ASSERT_TRUE(worker.WaitForThreadExit(std::chrono::seconds(5))) << m_pLog->Text();

    const std::string strLog = m_pLog->Text();
    const std::regex finishLine(
        R"((^|\n)\[--\d\d:\d\d:\d\d(\.\d{6})?--\]\*SendThread 67 : Finish Search Device Work Thread  \r\n)");
    EXPECT_TRUE(std::regex_search(strLog, finishLine)) << strLog;
    const std::regex exitLine(
        R"((^|\n)\[--\d\d:\d\d:\d\d(\.\d{6})?--\]\*SendThread 67 : Exit Search Device Tread , bExitSock : 1  \r\n)");
    EXPECT_TRUE(std::regex_search(strLog, exitLine)) << strLog;
    EXPECT_EQ(m_pLog->Count("Null Info"), 0) << "an exit is no restart";
    EXPECT_EQ(m_pLog->Count("Create Search Device Work Thread"), 1);
}

TEST_F(WorkerNetworkTest, PortTakenLeavesWorkerWithoutSocketAndSendsLogTheError) {
    boost::asio::io_context io;
    udp::socket squatter(io, udp::endpoint(udp::v4(), 67));

    CSearchDeviceBroadcastThread worker;
    worker.InitWorkThread(nullptr, 67, false);
    EXPECT_EQ(
        m_pLog->Count(
            "SendThread 67 : Create Search Device Work Thread Error : bind: Address already in use   *["),
        1)
        << m_pLog->Text();
    EXPECT_TRUE(worker.WaitForThreadExit(std::chrono::milliseconds(0))) << "no receive thread may be running";

    DhcpPacket command;
    InitSearchCommand(&command);
    EXPECT_EQ(worker.SendSearchCommand(&command), 0);
    EXPECT_EQ(worker.SendSearchCommand(&command), 0);
    EXPECT_EQ(m_pLog->Count("SendThread 67 : Send Broadcast Search Error : send_to: "), 2) << m_pLog->Text();

    // Exiting a worker that never opened only sets the flag and logs.
    worker.ExitWorkThread();
    EXPECT_EQ(m_pLog->Count("SendThread 67 : Exit Search Device Tread , bExitSock : 1  "), 1);
    EXPECT_EQ(m_pLog->Count("Begin Search Device Work Thread"), 0);
}

TEST_F(WorkerNetworkTest, ARestartAfterTheExitStartsNothing) {
    CSearchDeviceBroadcastThread worker;
    worker.InitWorkThread(nullptr, 67, false);
    ASSERT_TRUE(m_pLog->WaitFor("SendThread 67 : Begin Search Device Work Thread  "));
    worker.ExitWorkThread();
    ASSERT_TRUE(worker.WaitForThreadExit(std::chrono::seconds(5)));

    // What a restart racing with the exit would run last: the exit wins, no thread, no socket.
    worker.CreateWorkThread();
    EXPECT_TRUE(worker.WaitForThreadExit(std::chrono::milliseconds(0)));
    EXPECT_EQ(m_pLog->Count("Begin Search Device Work Thread"), 1);
    boost::asio::io_context io;
    udp::socket again(io, udp::v4());
    boost::system::error_code ec;
    again.bind(udp::endpoint(udp::v4(), 67), ec);
    EXPECT_FALSE(ec) << ec.message();
}

TEST_F(WorkerNetworkTest, StartedProgramsDoNotKeepTheWorkersPort) {
    CSearchDeviceBroadcastThread worker;
    worker.InitWorkThread(nullptr, 67, false);
    ASSERT_TRUE(m_pLog->WaitFor("SendThread 67 : Begin Search Device Work Thread  "));
    // A program started while the worker runs, the way an application starts its helpers.
    int execFds[2];
    ASSERT_EQ(pipe2(execFds, O_CLOEXEC), 0);
    const pid_t child = fork();
    if (child == 0) {
        execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(child, 0);
    // The pipe reads end-of-file once the child has exec'd and so dropped its close-on-exec files.
    close(execFds[1]);
    char c;
    while (read(execFds[0], &c, 1) > 0) {
    }
    close(execFds[0]);
    worker.ExitWorkThread();
    ASSERT_TRUE(worker.WaitForThreadExit(std::chrono::seconds(5)));

    boost::asio::io_context io;
    udp::socket again(io, udp::v4());
    boost::system::error_code ec;
    again.bind(udp::endpoint(udp::v4(), 67), ec);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_FALSE(ec) << "port 67 still held after the worker closed it: " << ec.message();
}

} // namespace
