#include "devaccess/DeviceSession.h"

#include <utility>

namespace tesmara {

DeviceSession& DeviceSession::operator=(DeviceSession&& other) noexcept {
    if (this != &other) {
        Logout();
        m_access = other.m_access;
        m_handle = other.Release();
    }
    return *this;
}

bool DeviceSession::Login(const std::string& address, uint16_t port, const std::string& user,
                          const std::string& password, int32_t& error) {
    Logout();
    DeviceInfo info{};
    error = 0;
    m_handle =
        m_access->DevLogin(address.c_str(), port, user.c_str(), password.c_str(), &info, &error);
    return m_handle != 0;
}

void DeviceSession::Logout() {
    if (m_handle != 0) m_access->DevLogout(std::exchange(m_handle, 0));
}

int32_t DeviceSession::Release() {
    return std::exchange(m_handle, 0);
}

}  // namespace tesmara
