#pragma once
// The local IPv4 addresses that get a per-interface worker. GetLocalIPList itself is declared
// in engine.h; this is its log-free core, kept apart so it can be tested on a made-up list.

#include <string>
#include <vector>

struct ifaddrs;

/// Dotted IPv4 addresses of the entries whose interface is up and not loopback, in list order.
/// Entries without an address and other families are skipped.
std::vector<std::string> CollectLocalIPv4(const struct ifaddrs* pList);
