#include <winsock2.h>
#include <ws2tcpip.h>
// iphlpapi.h needs the two above first.
#include <iphlpapi.h>

#include <vector>

#include "platform/Adapters.h"
#include "platform/Text.h"

namespace tesmara {
namespace {

constexpr ULONG kFlags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;

uint32_t MaskOfPrefix(unsigned length) {
    if (length == 0) return 0;
    if (length >= 32) return 0xFFFFFFFFu;
    return 0xFFFFFFFFu << (32 - length);
}

}  // namespace

std::vector<Adapter> ListAdapters() {
    std::vector<Adapter> adapters;
    // The list may grow between the call that sizes it and the one that fills it.
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        result =
            GetAdaptersAddresses(AF_INET, kFlags, nullptr,
                                 reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (result != NO_ERROR) return adapters;
    for (auto* entry = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()); entry;
         entry = entry->Next) {
        for (const IP_ADAPTER_UNICAST_ADDRESS* unicast = entry->FirstUnicastAddress; unicast;
             unicast = unicast->Next) {
            const SOCKADDR* address = unicast->Address.lpSockaddr;
            if (!address || address->sa_family != AF_INET) continue;
            Adapter adapter;
            adapter.name = WideToUtf8(entry->FriendlyName ? entry->FriendlyName : L"");
            adapter.address = ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr);
            adapter.mask = MaskOfPrefix(unicast->OnLinkPrefixLength);
            adapter.up = entry->OperStatus == IfOperStatusUp;
            adapters.push_back(adapter);
        }
    }
    return adapters;
}

}  // namespace tesmara
