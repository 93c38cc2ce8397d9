#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include "platform/Adapters.h"

namespace tesmara {

std::vector<Adapter> ListAdapters() {
    std::vector<Adapter> adapters;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return adapters;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
        Adapter adapter;
        adapter.name = entry->ifa_name;
        adapter.address =
            ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr);
        if (entry->ifa_netmask) {
            adapter.mask =
                ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_netmask)->sin_addr.s_addr);
        }
        adapter.up = (entry->ifa_flags & IFF_UP) != 0;
        adapters.push_back(adapter);
    }
    ::freeifaddrs(list);
    return adapters;
}

}  // namespace tesmara
