// The recorders' session side: one TCP listener per port on 0.0.0.0 (every recorder address is
// local inside the test LAN), and per accepted connection a thread that speaks the device
// protocol as the recorder that was dialled (told by the connection's local address and port).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "devsim/model/Fleet.h"
#include "devsim/session/Accounts.h"

namespace tesmara::devsim {

struct SessionServerOptions {
    // One line per notable event (login, upgrade, reboot, refused frame); null: no log.
    std::function<void(const std::string&)> log;
    // Where key shares and salts come from; null: the platform's generator. Tests hand in a
    // failing one.
    RandomSource random = nullptr;
};

class SessionServer {
  public:
    SessionServer(Fleet& fleet, SessionServerOptions options = {});
    ~SessionServer();
    SessionServer(const SessionServer&) = delete;
    SessionServer& operator=(const SessionServer&) = delete;

    // Listens on every device's TCP port; false (with the reason) if a port cannot be bound.
    bool Start(std::string* error = nullptr);
    // Closes every listener and connection and waits for their threads.
    void Stop();

    // For the connections: listen on a port a device has just taken (idempotent). A server
    // that was not started listens nowhere (tests hand DeviceSession a socket of their own).
    bool EnsureListener(uint16_t port, std::string* error = nullptr);
    // The device restarts: its connections end, it is offline for its offline time, then back
    // (unless its fault is never to come back).
    void Reboot(SimDevice& device);
    bool Stopping() const { return m_stop; }
    void Log(const std::string& line);
    // Images being received now, across the fleet, and the most there ever were at once.
    void UpgradeStarts();
    void UpgradeEnds() { --m_upgradesNow; }
    uint32_t UpgradesPeak() const { return m_upgradesPeak; }
    // Connections accepted so far, whether or not they came to a session.
    uint64_t Accepted() const { return m_accepted; }
    RandomSource Random() const;

  private:
    struct Connection {
        int fd = -1;
        SimDevice* device = nullptr;
        std::thread thread;
        std::atomic<bool> done{false};
        std::atomic<bool> loggedIn{false};
    };

    void AcceptLoop();
    void Accept(int listener, uint16_t port);
    // Connections to `device` that have not logged in (yet).
    size_t PendingLogins(const SimDevice* device);
    void Reap(bool all);
    void Wake();
    // Restarted devices whose offline time is over come back; the wait until the next one.
    int BringBackDue();

    Fleet& m_fleet;
    SessionServerOptions m_options;
    std::atomic<bool> m_stop{false};
    std::atomic<uint32_t> m_upgradesNow{0}, m_upgradesPeak{0};
    std::atomic<uint64_t> m_accepted{0};
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    std::thread m_acceptThread;

    std::mutex m_mutex;
    std::vector<std::pair<uint16_t, int>> m_listeners;
    std::list<std::shared_ptr<Connection>> m_connections;
    // When each restarting device comes back (served by the accept loop).
    std::vector<std::pair<std::chrono::steady_clock::time_point, SimDevice*>> m_returns;
};

}  // namespace tesmara::devsim
