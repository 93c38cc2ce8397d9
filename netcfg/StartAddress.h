// The start address of an address-assigning search, checked before anything is sent: every
// recorder found gets an address counted up from it, with the mask and gateway it implies.
#pragma once

#include <string>
#include <string_view>

namespace tesmara {

// True when `text` is a dotted address (platform/AddressText.h) inside a private range (so the
// plan has a mask) whose last number is not 0 (the network's own address). Otherwise false with a
// one-line reason in `reason` that names the text.
bool ValidateStartAddress(std::string_view text, std::string& reason);

}  // namespace tesmara
