// One login to one device, written once: log in, ask the library's last error, read or write a
// block, and log out when the session goes (or earlier, by Logout, where the order of the calls
// matters). The library's C interface stays as it is underneath.
#pragma once

#include <cstdint>
#include <string>

#include "devaccess/DeviceAccess.h"

namespace tesmara {

class DeviceSession {
  public:
    explicit DeviceSession(DeviceAccess& access) : m_access(&access) {}
    ~DeviceSession() { Logout(); }
    DeviceSession(DeviceSession&& other) noexcept
        : m_access(other.m_access), m_handle(other.Release()) {}
    DeviceSession& operator=(DeviceSession&& other) noexcept;
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // Logs in (after logging out of any earlier login); true when it worked, else `error` holds
    // the login's error code.
    bool Login(const std::string& address, uint16_t port, const std::string& user,
               const std::string& password, int32_t& error);

    bool IsOpen() const { return m_handle != 0; }
    int32_t Handle() const { return m_handle; }
    DeviceAccess& Access() const { return *m_access; }
    // The library's last error, read right after the call that failed.
    int32_t LastError() const { return m_access->DevGetLastError(); }

    // A configuration block (NetworkConfigBlock, DisplayConfigBlock ...) read or written whole
    // over this login; false when the library refused it.
    template <class Block>
    bool Read(Block& block) {
        return block.Read(*m_access, m_handle);
    }
    template <class Block>
    bool Write(const Block& block) {
        return block.Write(*m_access, m_handle);
    }

    void Logout();
    // Hands the handle on without logging out: to a transfer that outlives this session, or to
    // a device that keeps its session after moving to a new address.
    int32_t Release();

  private:
    DeviceAccess* m_access;
    int32_t m_handle = 0;
};

}  // namespace tesmara
