#include "devaccess/NetworkConfigBlock.h"

#include "devaccess/ConfigBlockIo.h"

namespace tesmara {

bool NetworkConfigBlock::Read(DeviceAccess& access, int32_t login) {
    return ReadConfigBlock(access, login, kConfigNetwork, m_bytes);
}

bool NetworkConfigBlock::Write(DeviceAccess& access, int32_t login) const {
    return WriteConfigBlock(access, login, kConfigNetwork, m_bytes);
}

uint32_t NetworkConfigBlock::HttpPort() const {
    return ReadU32Le(m_bytes, kHttpPortOffset);
}
void NetworkConfigBlock::SetHttpPort(uint32_t port) {
    WriteU32Le(m_bytes, kHttpPortOffset, port);
}
uint32_t NetworkConfigBlock::TcpPort() const {
    return ReadU32Le(m_bytes, kTcpPortOffset);
}
void NetworkConfigBlock::SetTcpPort(uint32_t port) {
    WriteU32Le(m_bytes, kTcpPortOffset, port);
}

}  // namespace tesmara
