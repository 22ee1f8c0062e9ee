// The private test network itself: what every discovery test relies on, checked on its own.

#include "tests/support/netns.h"

#include <gtest/gtest.h>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/multicast.hpp>
#include <boost/asio/ip/udp.hpp>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <thread>

namespace {

using boost::asio::ip::udp;

bool NamespaceExists(const std::string& strName) {
    struct stat info;
    return stat(("/run/netns/" + strName).c_str(), &info) == 0;
}

class NetnsFixtureTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!NetnsAvailable(why)) {
            GTEST_SKIP() << why;
        }
    }

    /// Receives one datagram on `strGroup` (empty: none) port `nPort` inside `strNamespace` while
    /// `send` runs in the host namespace; returns what arrived, empty on time-out.
    std::string ReceiveWhile(CTestNetwork& net, const std::string& strNamespace, const std::string& strGroup,
                             unsigned short nPort, const std::function<void()>& send) {
        std::string strReceived;
        std::atomic<bool> bReady{false};
        std::thread receiver([&] {
            net.RunIn(strNamespace, [&] {
                boost::asio::io_context io;
                udp::socket sock(io, udp::v4());
                sock.set_option(boost::asio::socket_base::reuse_address(true));
                sock.bind(udp::endpoint(udp::v4(), nPort));
                if (!strGroup.empty()) {
                    sock.set_option(
                        boost::asio::ip::multicast::join_group(boost::asio::ip::make_address_v4(strGroup)));
                }
                // Bounded wait: a lost datagram fails the test instead of hanging it.
                timeval timeout{5, 0};
                setsockopt(sock.native_handle(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
                bReady = true;
                char buffer[256];
                udp::endpoint from;
                boost::system::error_code ec;
                const std::size_t nLen = sock.receive_from(boost::asio::buffer(buffer), from, 0, ec);
                if (!ec) {
                    strReceived.assign(buffer, nLen);
                }
            });
        });
        while (!bReady) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        send();
        receiver.join();
        return strReceived;
    }
};

void SendFromHost(const std::string& strTarget, unsigned short nPort, const std::string& strText,
                  bool bBroadcast = false) {
    boost::asio::io_context io;
    udp::socket sock(io, udp::v4());
    if (bBroadcast) {
        sock.set_option(boost::asio::socket_base::broadcast(true));
    }
    boost::system::error_code ec;
    sock.send_to(boost::asio::buffer(strText),
                 udp::endpoint(boost::asio::ip::make_address_v4(strTarget), nPort), 0, ec);
    EXPECT_FALSE(ec) << ec.message();
}

TEST_F(NetnsFixtureTest, NamespacesOfADeadRunAreRemovedAndOwnOnesGoAwayWithTheNetwork) {
    const pid_t dead = fork();
    if (dead == 0) {
        _exit(0);
    }
    ASSERT_GT(dead, 0);
    waitpid(dead, nullptr, 0);
    const std::string strStale = "rdtest-" + std::to_string(dead) + "-0-stale-h";
    ASSERT_EQ(RunCommand({"ip", "netns", "add", strStale}), 0);

    std::string strHost;
    std::string strDevice;
    {
        CTestNetwork net("sweep");
        ASSERT_TRUE(net.Ok()) << net.Error();
        EXPECT_FALSE(NamespaceExists(strStale)) << "left by a process that no longer exists";
        ASSERT_EQ(net.AddLink("10.0.0.5/24"), 0) << net.Error();
        strDevice = net.AddDevice(0, "10.0.0.10/24");
        strHost = net.HostNamespace();
        EXPECT_TRUE(NamespaceExists(strHost));
        EXPECT_TRUE(NamespaceExists(strDevice));
    }
    EXPECT_FALSE(NamespaceExists(strHost));
    EXPECT_FALSE(NamespaceExists(strDevice));
    RunCommand({"ip", "netns", "del", strStale});
}

TEST_F(NetnsFixtureTest, BroadcastAndMulticastFromTheHostReachADeviceOnTheFirstLink) {
    CTestNetwork net("reach");
    ASSERT_EQ(net.AddLink("10.0.0.5/24"), 0) << net.Error();
    const std::string strDevice = net.AddDevice(0, "10.0.0.10/24");
    ASSERT_TRUE(net.Ok()) << net.Error();
    ASSERT_TRUE(net.EnterHost()) << net.Error();

    EXPECT_EQ(
        ReceiveWhile(net, strDevice, "", 68, [] { SendFromHost("255.255.255.255", 68, "bcast", true); }),
        "bcast");
    EXPECT_EQ(ReceiveWhile(net, strDevice, "239.143.255.250", 1900,
                           [] { SendFromHost("239.143.255.250", 1900, "mcast"); }),
              "mcast");
}

TEST_F(NetnsFixtureTest, EachLinkReachesItsOwnDevicesAndAddressesCanBeAddedLater) {
    CTestNetwork net("links");
    ASSERT_EQ(net.AddLink("10.0.0.5/24"), 0) << net.Error();
    ASSERT_EQ(net.AddLink("192.168.1.20/24"), 1) << net.Error();
    const std::string strFirst = net.AddDevice(0, "10.0.0.10/24");
    const std::string strSecond = net.AddDevice(1, "192.168.1.30/24");
    ASSERT_TRUE(net.AddHostAddress(1, "192.168.1.21/24")) << net.Error();
    ASSERT_TRUE(net.Ok()) << net.Error();
    ASSERT_TRUE(net.EnterHost()) << net.Error();

    EXPECT_EQ(ReceiveWhile(net, strSecond, "", 4000, [] { SendFromHost("192.168.1.30", 4000, "second"); }),
              "second");
    EXPECT_EQ(ReceiveWhile(net, strFirst, "", 4000, [] { SendFromHost("10.0.0.10", 4000, "first"); }),
              "first");

    std::string strAddresses;
    ASSERT_EQ(RunCommand({"ip", "-n", net.HostNamespace(), "-4", "-o", "addr", "show"}, &strAddresses), 0);
    EXPECT_NE(strAddresses.find("192.168.1.21/24"), std::string::npos) << strAddresses;
    // None of it may leak onto the machine's own interfaces.
    std::string strOwn;
    ASSERT_TRUE(net.LeaveHost());
    ASSERT_EQ(RunCommand({"ip", "-4", "-o", "addr", "show"}, &strOwn), 0);
    EXPECT_EQ(strOwn.find("10.0.0.5/24"), std::string::npos) << strOwn;
}

TEST_F(NetnsFixtureTest, StartedProgramsRunInsideTheirNamespace) {
    CTestNetwork net("proc");
    ASSERT_EQ(net.AddLink("10.0.0.5/24"), 0) << net.Error();
    const std::string strDevice = net.AddDevice(0, "10.0.0.10/24");
    ASSERT_TRUE(net.Ok()) << net.Error();

    CNetnsProcess addresses = net.Start(strDevice, {"ip", "-4", "-o", "addr", "show", "dev", "eth0"});
    EXPECT_TRUE(addresses.WaitForLine("10.0.0.10/24", std::chrono::seconds(10))) << addresses.Output();

    // The simulator ends cleanly on SIGTERM.
    CNetnsProcess sim = net.Start(strDevice, {ROAMDOCK_DEVSIM, "--count", "2", "--no-multicast"});
    ASSERT_TRUE(sim.WaitForLine("ready", std::chrono::seconds(10))) << sim.Output();
    const int nStatus = sim.Stop(std::chrono::seconds(5));
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << nStatus;
    EXPECT_FALSE(sim.Running());
}

} // namespace
