#include "cli/CommandSockets.h"

#include <memory>

#include "platform/AdapterSockets.h"
#include "platform/Adapters.h"
#include "platform/Address.h"
#include "platform/AddressText.h"

namespace tesmara::cli {
namespace {

std::unique_ptr<AdapterSockets>& Chosen() {
    static std::unique_ptr<AdapterSockets> chosen;
    return chosen;
}

}  // namespace

SocketFactory& CommandSockets() {
    if (const auto& chosen = Chosen()) return *chosen;
    return SystemSockets();
}

void SendFromAdapter(uint32_t address) {
    Chosen() = std::make_unique<AdapterSockets>(SystemSockets(), address);
}

std::string CheckAdapterAddress(const std::string& text, uint32_t* address) {
    uint32_t hostOrder = 0;
    if (!ParseDottedAddress(text, hostOrder)) {
        return "\"" + text + "\" is not an IPv4 address (four numbers 0-255)";
    }
    const uint32_t wanted = ParseAddress(text);
    for (const Adapter& adapter : ListAdapters()) {
        if (adapter.address != wanted) continue;
        // Its routes are gone: every send would fail after a search that looked like one.
        if (!adapter.up) return text + " belongs to " + adapter.name + ", which is down";
        if (address) *address = wanted;
        return {};
    }
    return text +
           " is not the address of any adapter of this PC (tesmara-cli interfaces lists "
           "them)";
}

}  // namespace tesmara::cli
