#include "discovery/local_ip.h"

#include "discovery/engine.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

std::vector<std::string> CollectLocalIPv4(const struct ifaddrs* pList) {
    std::vector<std::string> ipList;
    for (const struct ifaddrs* pEntry = pList; pEntry != nullptr; pEntry = pEntry->ifa_next) {
        if (pEntry->ifa_addr == nullptr || pEntry->ifa_addr->sa_family != AF_INET)
            continue;
        if ((pEntry->ifa_flags & IFF_UP) == 0 || (pEntry->ifa_flags & IFF_LOOPBACK) != 0)
            continue;
        char szIP[INET_ADDRSTRLEN] = {};
        const auto* pAddr = reinterpret_cast<const struct sockaddr_in*>(pEntry->ifa_addr);
        if (inet_ntop(AF_INET, &pAddr->sin_addr, szIP, sizeof(szIP)) != nullptr)
            ipList.emplace_back(szIP);
    }
    return ipList;
}

/// Linux resolves the host's own name to 127.0.1.1 only, so the addresses come from the
/// interfaces themselves; getifaddrs lists them in interface order.
void GetLocalIPList(std::vector<std::string>& ipList) {
    ipList.clear();
    WriteLog("Get Current Local IP Info ");

    struct ifaddrs* pList = nullptr;
    if (getifaddrs(&pList) != 0) {
        const std::string strError = std::string("getifaddrs: ") + std::strerror(errno);
        WriteLog("Add To Mulitcast Group Error : %s   ", strError.c_str());
        return;
    }
    ipList = CollectLocalIPv4(pList);
    freeifaddrs(pList);
    for (const std::string& strIP : ipList)
        WriteLog("Get Current Local IP, IP = %s  ", strIP.c_str());
}
