#include "devsim/session/SessionServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

#include "devsim/session/DeviceSession.h"
#include "quorn/Crypto.h"

namespace tesmara::devsim {

namespace {

// Connections a recorder holds before their login, each a thread here: beyond them a newcomer
// is reset at once, so that idle connections cannot use the device up before any password is
// tried. Each of them must log in within the device's login deadline.
constexpr size_t kMaxPendingLogins = 16;

std::string AddressOf(const sockaddr_in& a) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &a.sin_addr, text, sizeof text);
    return text;
}

std::string NowText() {
    time_t now = time(nullptr);
    std::tm t{};
    gmtime_r(&now, &t);
    char text[32];
    strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &t);
    return text;
}

// Ends a connection at once with a reset, as a host that takes no sessions does.
void Reset(int fd) {
    linger hard{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    close(fd);
}

}  // namespace

SessionServer::SessionServer(Fleet& fleet, SessionServerOptions options)
    : m_fleet(fleet), m_options(std::move(options)) {}

SessionServer::~SessionServer() {
    Stop();
}

void SessionServer::UpgradeStarts() {
    const uint32_t now = ++m_upgradesNow;
    uint32_t peak = m_upgradesPeak;
    while (now > peak && !m_upgradesPeak.compare_exchange_weak(peak, now)) {
    }
}

void SessionServer::Log(const std::string& line) {
    if (m_options.log) m_options.log(line);
}

RandomSource SessionServer::Random() const {
    return m_options.random ? m_options.random : quorn::RandomBytes;
}

bool SessionServer::Start(std::string* error) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        if (error) *error = std::strerror(errno);
        return false;
    }
    m_wakeRead = pipeFds[0];
    m_wakeWrite = pipeFds[1];
    bool ok = true;
    m_fleet.ForEach([&](SimDevice& device) {
        if (ok) ok = EnsureListener(device.Snapshot().tcpPort, error);
    });
    if (!ok) return false;
    m_acceptThread = std::thread([this] { AcceptLoop(); });
    return true;
}

bool SessionServer::EnsureListener(uint16_t port, std::string* error) {
    std::lock_guard lock(m_mutex);
    if (m_wakeWrite < 0) return true;  // not started: serves handed-over connections only
    for (const auto& [p, fd] : m_listeners) {
        if (p == port) return true;
    }
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_port = htons(port);
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0 ||
        listen(fd, 256) != 0) {
        if (error) *error = "TCP port " + std::to_string(port) + ": " + std::strerror(errno);
        if (fd >= 0) close(fd);
        return false;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    m_listeners.emplace_back(port, fd);
    char c = 1;
    (void)!write(m_wakeWrite, &c, 1);  // the accept loop picks the new listener up
    return true;
}

void SessionServer::AcceptLoop() {
    while (!m_stop) {
        std::vector<pollfd> fds{{m_wakeRead, POLLIN, 0}};
        std::vector<uint16_t> ports{0};
        {
            std::lock_guard lock(m_mutex);
            for (const auto& [port, fd] : m_listeners) {
                fds.push_back({fd, POLLIN, 0});
                ports.push_back(port);
            }
        }
        int ready = poll(fds.data(), fds.size(), BringBackDue());
        if (ready < 0 && errno != EINTR) break;
        if (fds[0].revents & POLLIN) {
            char drain[64];
            while (read(m_wakeRead, drain, sizeof drain) > 0) {
            }
        }
        for (size_t i = 1; i < fds.size(); ++i) {
            if (fds[i].revents & POLLIN) Accept(fds[i].fd, ports[i]);
        }
        Reap(false);
        BringBackDue();
    }
}

void SessionServer::Accept(int listener, uint16_t port) {
    for (;;) {
        int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) return;
        ++m_accepted;
        sockaddr_in local{};
        socklen_t length = sizeof local;
        getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length);
        std::string address = AddressOf(local);
        SimDevice* device = nullptr;
        m_fleet.ForEach([&](SimDevice& d) {
            if (device) return;
            bool match = d.Update([&](DeviceState& s) {
                return s.online && s.address == address && s.tcpPort == port;
            });
            if (match) device = &d;
        });
        if (!device || device->Behaviour().session.unreachable) {
            Log("session: no recorder takes " + address + ":" + std::to_string(port));
            Reset(fd);
            continue;
        }
        if (PendingLogins(device) >= kMaxPendingLogins) {
            Log("session: " + address + ": too many connections without a login, one reset");
            Reset(fd);
            continue;
        }
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        auto connection = std::make_shared<Connection>();
        connection->fd = fd;
        connection->device = device;
        std::lock_guard lock(m_mutex);
        m_connections.push_back(connection);
        connection->thread = std::thread([this, connection] {
            DeviceSession session(*this, *connection->device, connection->fd,
                                  &connection->loggedIn);
            session.Run();
            connection->done = true;
        });
    }
}

size_t SessionServer::PendingLogins(const SimDevice* device) {
    std::lock_guard lock(m_mutex);
    return std::count_if(m_connections.begin(), m_connections.end(), [&](const auto& c) {
        return c->device == device && !c->done && !c->loggedIn;
    });
}

void SessionServer::Reap(bool all) {
    std::list<std::shared_ptr<Connection>> finished;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            if (all || (*it)->done) {
                finished.push_back(*it);
                it = m_connections.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& c : finished) {
        if (c->thread.joinable()) c->thread.join();
        close(c->fd);
    }
}

void SessionServer::Reboot(SimDevice& device) {
    uint32_t offlineMs = device.Behaviour().session.offlineMs;
    device.Update([](DeviceState& s) {
        s.online = false;
        s.session.sessions = 0;
        s.session.upgrading = false;
        s.session.reboots++;
        s.session.throttle.Clear();
        s.session.accountThrottle.Clear();
    });
    bool neverBack = device.Behaviour().session.neverBack;
    Log("session: " + device.Snapshot().address +
        (neverBack ? " restarts and never comes back" : " restarts"));
    {
        std::lock_guard lock(m_mutex);
        for (auto& c : m_connections) {
            if (c->device == &device) shutdown(c->fd, SHUT_RD);
        }
        if (!neverBack) {
            m_returns.emplace_back(
                std::chrono::steady_clock::now() + std::chrono::milliseconds(offlineMs), &device);
        }
    }
    Wake();
}

void SessionServer::Wake() {
    if (m_wakeWrite >= 0) {
        char c = 1;
        (void)!write(m_wakeWrite, &c, 1);
    }
}

int SessionServer::BringBackDue() {
    auto now = std::chrono::steady_clock::now();
    std::vector<SimDevice*> due;
    int waitMs = 1000;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_returns.begin(); it != m_returns.end();) {
            if (it->first <= now) {
                due.push_back(it->second);
                it = m_returns.erase(it);
            } else {
                auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(it->first - now).count();
                waitMs = std::min<int>(waitMs, static_cast<int>(left) + 1);
                ++it;
            }
        }
    }
    for (SimDevice* device : due) {
        device->Update([](DeviceState& s) {
            s.online = true;
            s.startTime = NowText();
        });
    }
    return waitMs;
}

void SessionServer::Stop() {
    if (m_stop.exchange(true)) return;
    {
        std::lock_guard lock(m_mutex);
        for (auto& c : m_connections) shutdown(c->fd, SHUT_RDWR);
    }
    Wake();
    if (m_acceptThread.joinable()) m_acceptThread.join();
    Reap(true);
    {
        std::lock_guard lock(m_mutex);
        for (auto& [port, fd] : m_listeners) close(fd);
        m_listeners.clear();
        m_returns.clear();
    }
    if (m_wakeRead >= 0) close(m_wakeRead);
    if (m_wakeWrite >= 0) close(m_wakeWrite);
    m_wakeRead = m_wakeWrite = -1;
}

}  // namespace tesmara::devsim
