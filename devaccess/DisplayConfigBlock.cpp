#include "devaccess/DisplayConfigBlock.h"

#include "devaccess/ConfigBlockIo.h"
#include "platform/BlockBytes.h"

namespace tesmara {

bool DisplayConfigBlock::Read(DeviceAccess& access, int32_t login) {
    return ReadConfigBlock(access, login, kConfigDisplay, m_bytes);
}

bool DisplayConfigBlock::Write(DeviceAccess& access, int32_t login) const {
    return WriteConfigBlock(access, login, kConfigDisplay, m_bytes);
}

int32_t DisplayConfigBlock::MenuLanguage() const {
    return ReadI32Le(m_bytes, kLanguageOffset);
}

void DisplayConfigBlock::SetMenuLanguage(int32_t value) {
    WriteI32Le(m_bytes, kLanguageOffset, value);
}

}  // namespace tesmara
