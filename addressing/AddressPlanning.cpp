#include "addressing/AddressPlanning.h"

#include <cstdint>

#include "platform/Format.h"

namespace tesmara {
namespace {

struct PrivateRange {
    const char* lowest;
    const char* highest;
    const char* mask;
};

// Consulted in this order; both bounds inclusive.
constexpr PrivateRange kPrivateRanges[] = {
    {"10.0.0.0", "10.255.255.254", "255.0.0.0"},
    {"172.16.0.0", "172.31.255.254", "255.255.0.0"},
    {"192.168.0.0", "192.168.255.254", "255.255.255.0"},
};

constexpr uint64_t kGatewayHost = 1;  // GatewayForAddress's last number

// Leading decimal digits of the text, 0 when there are none. Saturates instead of overflowing so
// that a long digit string still counts as "too high".
unsigned LeadingNumber(std::string_view text) {
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = value > 100000 ? value : value * 10 + static_cast<unsigned>(c - '0');
    }
    return value;
}

}  // namespace

std::optional<std::string> MaskForAddress(std::string_view text) {
    uint32_t v = AddressToHostOrder(text);
    for (const PrivateRange& range : kPrivateRanges) {
        if (AddressToHostOrder(range.lowest) <= v && v <= AddressToHostOrder(range.highest)) {
            return std::string(range.mask);
        }
    }
    return std::nullopt;
}

std::string GatewayForAddress(std::string_view text) {
    size_t dot = text.rfind('.');
    std::string prefix(dot == std::string_view::npos ? text : text.substr(0, dot));
    return FormatNarrow("%s.%d", prefix.c_str(), 1);
}

void MakeAddressPlan(AddressPlan& plan, std::string_view startAddressText) {
    plan.startAddressText = std::string(startAddressText);
    size_t dot = startAddressText.rfind('.');
    if (dot == std::string_view::npos) {
        plan.hostPrefixText = std::string(startAddressText);
        plan.startHostText.clear();
    } else {
        plan.hostPrefixText = std::string(startAddressText.substr(0, dot));
        plan.startHostText = std::string(startAddressText.substr(dot + 1));
    }
    plan.gatewayText = GatewayForAddress(startAddressText);
    if (std::optional<std::string> mask = MaskForAddress(startAddressText)) {
        plan.maskText = *mask;
    }
}

std::optional<std::string> PlannedAddress(const AddressPlan& plan, unsigned n) {
    const uint64_t h = LeadingNumber(plan.startHostText);
    uint64_t host = h + n;
    // The plan's gateway is host 1 of the same prefix: a recorder given it would take the
    // router's address, so the count steps over it.
    if (h <= kGatewayHost && host >= kGatewayHost) ++host;
    if (host > kHighestPlannedHost) return std::nullopt;
    return FormatNarrow("%s.%u", plan.hostPrefixText.c_str(), static_cast<unsigned>(host));
}

}  // namespace tesmara
