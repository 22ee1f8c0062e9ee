// Which local addresses get a per-interface worker: IPv4 of interfaces that are up, no loopback.

#include "discovery/local_ip.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <deque>
#include <string>
#include <vector>

namespace {

struct FakeInterface {
    const char* name;
    int family; // AF_INET, AF_INET6, AF_PACKET or 0 for an entry without address
    const char* address;
    unsigned flags;
};

/// Builds a getifaddrs-shaped list that lives as long as the object.
class FakeIfaddrs {
public:
    explicit FakeIfaddrs(const std::vector<FakeInterface>& interfaces) {
        for (const FakeInterface& fake : interfaces) {
            struct ifaddrs& entry = m_entries.emplace_back();
            entry = {};
            entry.ifa_name = const_cast<char*>(fake.name);
            entry.ifa_flags = fake.flags;
            if (fake.family == AF_INET) {
                struct sockaddr_in& addr = m_v4.emplace_back();
                addr = {};
                addr.sin_family = AF_INET;
                inet_pton(AF_INET, fake.address, &addr.sin_addr);
                entry.ifa_addr = reinterpret_cast<struct sockaddr*>(&addr);
            } else if (fake.family == AF_INET6) {
                struct sockaddr_in6& addr = m_v6.emplace_back();
                addr = {};
                addr.sin6_family = AF_INET6;
                inet_pton(AF_INET6, fake.address, &addr.sin6_addr);
                entry.ifa_addr = reinterpret_cast<struct sockaddr*>(&addr);
            } else if (fake.family != 0) {
                struct sockaddr& addr = m_other.emplace_back();
                addr = {};
                addr.sa_family = static_cast<sa_family_t>(fake.family);
                entry.ifa_addr = &addr;
            }
        }
        for (std::size_t i = 0; i + 1 < m_entries.size(); ++i)
            m_entries[i].ifa_next = &m_entries[i + 1];
    }
    const struct ifaddrs* head() const { return m_entries.empty() ? nullptr : &m_entries.front(); }

private:
    // deques keep element addresses stable while growing
    std::deque<struct ifaddrs> m_entries;
    std::deque<struct sockaddr_in> m_v4;
    std::deque<struct sockaddr_in6> m_v6;
    std::deque<struct sockaddr> m_other;
};

constexpr unsigned kUp = IFF_UP | IFF_RUNNING;

struct InterfaceCase {
    const char* name;
    std::vector<FakeInterface> interfaces;
    std::vector<std::string> expected;
};

const InterfaceCase kCases[] = {
    {"TwoLinksInOrder",
     {{"lo", AF_INET, "127.0.0.1", kUp | IFF_LOOPBACK},
      {"veth0", AF_INET, "10.0.0.5", kUp},
      {"veth1", AF_INET, "192.168.1.20", kUp}},
     {"10.0.0.5", "192.168.1.20"}},
    {"OrderFollowsTheList",
     {{"veth1", AF_INET, "192.168.1.20", kUp}, {"veth0", AF_INET, "10.0.0.5", kUp}},
     {"192.168.1.20", "10.0.0.5"}},
    {"DownInterfaceSkipped",
     {{"veth0", AF_INET, "10.0.0.5", 0}, {"veth1", AF_INET, "192.168.1.20", kUp}},
     {"192.168.1.20"}},
    {"UpButNotRunningCounts", {{"veth0", AF_INET, "10.0.0.5", IFF_UP}}, {"10.0.0.5"}},
    {"OnlyIPv6", {{"veth0", AF_INET6, "fe80::1", kUp}, {"veth0", AF_INET6, "2001:db8::5", kUp}}, {}},
    {"PacketAndEmptyEntriesSkipped",
     {{"veth0", AF_PACKET, nullptr, kUp}, {"tun0", 0, nullptr, kUp}, {"veth0", AF_INET, "10.0.0.5", kUp}},
     {"10.0.0.5"}},
    {"TwoAddressesOnOneLink",
     {{"veth0", AF_INET, "10.0.0.5", kUp}, {"veth0", AF_INET, "10.0.0.6", kUp}},
     {"10.0.0.5", "10.0.0.6"}},
    {"OnlyLoopback", {{"lo", AF_INET, "127.0.0.1", kUp | IFF_LOOPBACK}}, {}},
    {"EmptyList", {}, {}},
};

class LocalIPv4Table : public ::testing::TestWithParam<InterfaceCase> {};

TEST_P(LocalIPv4Table, Addresses) {
    const FakeIfaddrs list(GetParam().interfaces);
    EXPECT_EQ(CollectLocalIPv4(list.head()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Interfaces, LocalIPv4Table, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<InterfaceCase>& info) { return info.param.name; });

} // namespace
