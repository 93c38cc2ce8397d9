// Configuration command 49: the device's display settings, 128 bytes. Read, change the named
// fields, write back: every other byte goes back to the device exactly as it came.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "devaccess/DeviceAccess.h"

namespace tesmara {

class DisplayConfigBlock {
  public:
    static constexpr size_t kSize = 128;
    static constexpr size_t kVideoStandardOffset = 21;  // 1 byte: 0 PAL, 1 NTSC
    static constexpr size_t kResolutionOffset = 23;     // 1 byte: output resolution code
    static constexpr size_t kLanguageOffset = 28;       // 32-bit: menu language

    // Clears the block and reads it (channel -1, wait -1). True when filled.
    bool Read(DeviceAccess& access, int32_t login);
    // Writes the block whole (channel -1, wait -1). True when the device took it.
    bool Write(DeviceAccess& access, int32_t login) const;

    uint8_t VideoStandard() const { return m_bytes[kVideoStandardOffset]; }
    void SetVideoStandard(uint8_t value) { m_bytes[kVideoStandardOffset] = value; }
    uint8_t OutputResolution() const { return m_bytes[kResolutionOffset]; }
    void SetOutputResolution(uint8_t value) { m_bytes[kResolutionOffset] = value; }
    int32_t MenuLanguage() const;
    void SetMenuLanguage(int32_t value);

    std::span<uint8_t, kSize> Bytes() { return m_bytes; }
    std::span<const uint8_t, kSize> Bytes() const { return m_bytes; }

  private:
    std::array<uint8_t, kSize> m_bytes{};
};

}  // namespace tesmara
