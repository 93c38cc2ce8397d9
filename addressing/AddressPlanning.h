// Address rules shared by the search's address hand-out, the network panel and the
// configuration dialog: the private-range mask table, the gateway rule and the start-address plan.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Address.h"

namespace tesmara {

// The start-address plan of a search (all texts ANSI code page).
struct AddressPlan {
    std::string gatewayText;
    std::string maskText;
    std::string startAddressText;
    std::string hostPrefixText;
    std::string startHostText;
};

// Last host number a plan may hand out: .255 is the block's broadcast address and anything above
// is not an address at all.
inline constexpr unsigned kHighestPlannedHost = 254;

// Mask of the private range (10/8, 172.16-31, 192.168) that holds the address, or none.
std::optional<std::string> MaskForAddress(std::string_view text);

// The address with its last number replaced by 1 ("172.20.3.4" -> "172.20.3.1"); a text without
// a dot is taken whole as the prefix.
std::string GatewayForAddress(std::string_view text);

// Builds a plan from a start address. A start address outside the private ranges keeps the
// previous plan's mask.
void MakeAddressPlan(AddressPlan& plan, std::string_view startAddressText);

// The address for the n-th new device of a search (n from 0), counting up from the start host
// and stepping over .1, the plan's gateway; none when the host number would pass .254: such a
// device must not be handed the broadcast address or a malformed one.
std::optional<std::string> PlannedAddress(const AddressPlan& plan, unsigned n);

}  // namespace tesmara
