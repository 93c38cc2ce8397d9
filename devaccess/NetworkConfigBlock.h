// Configuration command 81: the device's network record, 772 bytes. Read, change the named
// fields, write back: every other byte goes back to the device exactly as it came. Texts are
// narrow, in the ANSI code page, each inside its slot.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "devaccess/DeviceAccess.h"
#include "platform/BlockBytes.h"

namespace tesmara {

class NetworkConfigBlock {
  public:
    static constexpr size_t kSize = 772;
    static constexpr size_t kHttpPortOffset = 68;  // 32-bit
    static constexpr size_t kTcpPortOffset = 72;   // 32-bit
    static constexpr TextSlot kMacText{120, 32};   // hex bytes separated by ':'
    static constexpr TextSlot kAddressText{152, 20};
    static constexpr TextSlot kMaskText{172, 20};
    static constexpr TextSlot kGatewayText{192, 20};

    // Clears the block and reads it (channel -1, wait -1). True when filled.
    bool Read(DeviceAccess& access, int32_t login);
    // Writes the block whole (channel -1, wait -1). True when the device took it.
    bool Write(DeviceAccess& access, int32_t login) const;

    uint32_t HttpPort() const;
    void SetHttpPort(uint32_t port);
    uint32_t TcpPort() const;
    void SetTcpPort(uint32_t port);

    std::string MacText() const { return ReadSlotText(m_bytes, kMacText); }
    std::string AddressText() const { return ReadSlotText(m_bytes, kAddressText); }
    std::string MaskText() const { return ReadSlotText(m_bytes, kMaskText); }
    std::string GatewayText() const { return ReadSlotText(m_bytes, kGatewayText); }
    // False when the text had to be cut to keep its slot terminated.
    bool SetAddressText(std::string_view text) {
        return WriteSlotText(m_bytes, kAddressText, text);
    }
    bool SetGatewayText(std::string_view text) {
        return WriteSlotText(m_bytes, kGatewayText, text);
    }

    std::span<uint8_t, kSize> Bytes() { return m_bytes; }
    std::span<const uint8_t, kSize> Bytes() const { return m_bytes; }

  private:
    std::array<uint8_t, kSize> m_bytes{};
};

}  // namespace tesmara
