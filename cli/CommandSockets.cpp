#include "cli/CommandSockets.h"

#include <cstring>
#include <memory>

#include "platform/AdapterSockets.h"
#include "platform/Adapters.h"
#include "platform/AddressText.h"
#include "platform/BlockBytes.h"

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
    for (const Adapter& adapter : ListAdapters()) {
        if (adapter.address != hostOrder) continue;
        // Its routes are gone: every send would fail after a search that looked like one.
        if (!adapter.up) return text + " belongs to " + adapter.name + ", which is down";
        // Checked while the options are parsed, before the sockets layer has started: no call
        // into it here.
        if (address) {
            uint8_t bytes[4];
            WriteBig32(bytes, hostOrder);
            std::memcpy(address, bytes, sizeof bytes);
        }
        return {};
    }
    return text +
           " is not the address of any adapter of this PC (tesmara-cli interfaces lists "
           "them)";
}

}  // namespace tesmara::cli
