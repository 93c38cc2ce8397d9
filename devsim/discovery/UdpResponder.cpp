#include "devsim/discovery/UdpResponder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <queue>
#include <random>
#include <vector>

#include "devsim/TestLan.h"

namespace tesmara::devsim {

namespace {

using SteadyTime = std::chrono::steady_clock::time_point;

struct PendingReply {
    SteadyTime due;
    uint64_t order;  // keeps replies with the same due time in the order they were made
    sockaddr_in to;
    std::vector<uint8_t> bytes;
    bool operator>(const PendingReply& other) const {
        return due != other.due ? due > other.due : order > other.order;
    }
};

const char* KindName(RequestKind kind) {
    switch (kind) {
        case RequestKind::BasicSearch:
            return "basic-search";
        case RequestKind::DetailSearch:
            return "detail-search";
        case RequestKind::Assign:
            return "assign";
        case RequestKind::AddressChange:
            return "address-change";
        case RequestKind::Unknown:
            break;
    }
    return "unknown";
}

// The first bytes as text, non-printable bytes as \xNN, for the receive log.
std::string Printable(const uint8_t* data, size_t size) {
    std::string text;
    for (size_t i = 0; i < std::min<size_t>(size, 16); ++i) {
        if (std::isprint(data[i])) {
            text += static_cast<char>(data[i]);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", data[i]);
            text += hex;
        }
    }
    return text;
}

// What a hostile device does to a reply before it sends it.
void Spoil(std::vector<uint8_t>& reply, Hostility hostility, RequestKind kind, std::mt19937& rng) {
    switch (hostility) {
        case Hostility::None:
            break;
        case Hostility::WrongLength:
            reply.pop_back();
            break;
        case Hostility::LowerCaseMagic:
            for (size_t i = 0; i < kMagicSize; ++i) {
                reply[i] = static_cast<uint8_t>(std::tolower(reply[i]));
            }
            break;
        case Hostility::WrongVersion:
            if (kind == RequestKind::DetailSearch) {
                reply[16] = 0x02;
                reply[17] = 0x00;
            }
            break;
        case Hostility::Garbage: {
            // Sometimes keep the right magic so that only the body is nonsense.
            bool keepMagic = rng() % 2 == 0;
            size_t size = 1 + rng() % 1200;
            std::vector<uint8_t> junk(size);
            for (auto& b : junk) b = static_cast<uint8_t>(rng());
            if (keepMagic) {
                std::copy_n(reply.begin(), std::min(kMagicSize, size), junk.begin());
            }
            reply = std::move(junk);
            break;
        }
    }
}

}  // namespace

UdpResponder::UdpResponder(Fleet& fleet, ResponderOptions options)
    : m_fleet(fleet), m_options(std::move(options)) {}

UdpResponder::~UdpResponder() {
    Stop();
}

bool UdpResponder::Start(std::string* error) {
    // Replies are broadcast: never onto a real network.
    if (std::string why = WhyNotInsideTestLan(); !why.empty()) {
        if (error) *error = "not inside the test LAN: " + why;
        return false;
    }
    auto fail = [&](const char* step) {
        if (error) *error = std::string(step) + ": " + std::strerror(errno);
        if (m_socket >= 0) ::close(m_socket);
        m_socket = -1;
        return false;
    };
    m_socket = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (m_socket < 0) return fail("socket");
    int on = 1;
    if (::setsockopt(m_socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) {
        return fail("SO_REUSEADDR");
    }
    if (::setsockopt(m_socket, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
        return fail("SO_BROADCAST");
    }
    // Room for the replies of a large fleet that all answer the same broadcast.
    int buffer = 4 << 20;
    ::setsockopt(m_socket, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
    ::setsockopt(m_socket, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    if (!m_options.device.empty() &&
        ::setsockopt(m_socket, SOL_SOCKET, SO_BINDTODEVICE, m_options.device.c_str(),
                     static_cast<socklen_t>(m_options.device.size() + 1)) != 0) {
        return fail("SO_BINDTODEVICE");
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(m_options.listenPort);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(m_socket, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        return fail("bind");
    }
    m_stop = false;
    m_thread = std::thread([this] { Run(); });
    return true;
}

void UdpResponder::Stop() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    if (m_socket >= 0) ::close(m_socket);
    m_socket = -1;
}

ResponderStats UdpResponder::Stats() const {
    ResponderStats s;
    s.received = m_received;
    s.basicSearches = m_basic;
    s.detailSearches = m_detail;
    s.assigns = m_assigns;
    s.addressChanges = m_changes;
    s.unknown = m_unknown;
    s.repliesSent = m_sent;
    return s;
}

void UdpResponder::Run() {
    std::priority_queue<PendingReply, std::vector<PendingReply>, std::greater<>> pending;
    std::mt19937 rng(m_options.seed);
    uint64_t order = 0;
    std::vector<uint8_t> buffer(2048);

    auto queueReply = [&](const SimDevice& device, const sockaddr_in& to,
                          std::vector<uint8_t> bytes, RequestKind kind) {
        const DeviceBehaviour& b = device.Behaviour();
        Spoil(bytes, b.hostility, kind, rng);
        SteadyTime due =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(b.replyDelayMs);
        for (uint32_t copy = 0; copy <= b.duplicateReplies; ++copy) {
            pending.push({due, order++, to, bytes});
        }
    };

    while (!m_stop) {
        // Send whatever is due.
        auto now = std::chrono::steady_clock::now();
        while (!pending.empty() && pending.top().due <= now) {
            const PendingReply& reply = pending.top();
            if (::sendto(m_socket, reply.bytes.data(), reply.bytes.size(), 0,
                         reinterpret_cast<const sockaddr*>(&reply.to), sizeof reply.to) >= 0) {
                ++m_sent;
            }
            pending.pop();
        }
        int timeoutMs = 20;
        if (!pending.empty()) {
            auto wait =
                std::chrono::duration_cast<std::chrono::milliseconds>(pending.top().due - now)
                    .count();
            timeoutMs = static_cast<int>(std::clamp<long long>(wait, 0, 20));
        }
        pollfd pfd{m_socket, POLLIN, 0};
        if (::poll(&pfd, 1, timeoutMs) <= 0) continue;

        sockaddr_in from{};
        socklen_t fromSize = sizeof from;
        ssize_t n = ::recvfrom(m_socket, buffer.data(), buffer.size(), MSG_DONTWAIT,
                               reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (n < 0) continue;
        auto size = static_cast<size_t>(n);
        ++m_received;
        RequestKind kind = ClassifyRequest(buffer.data(), size);
        if (m_options.log) {
            m_options.log("recv " + FormatDotted(from.sin_addr.s_addr) + ":" +
                          std::to_string(ntohs(from.sin_port)) + " " + std::to_string(size) +
                          " bytes " + KindName(kind) + " \"" + Printable(buffer.data(), size) +
                          "\"");
        }

        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(m_options.replyPort);
        to.sin_addr.s_addr = m_options.replyToSender ? from.sin_addr.s_addr : INADDR_BROADCAST;

        switch (kind) {
            case RequestKind::BasicSearch:
            case RequestKind::DetailSearch: {
                bool basic = kind == RequestKind::BasicSearch;
                ++(basic ? m_basic : m_detail);
                m_fleet.ForEach([&](SimDevice& device) {
                    const DeviceBehaviour& b = device.Behaviour();
                    if (basic ? b.ignoreBasicSearch : b.ignoreDetailSearch) return;
                    DeviceState state = device.Snapshot();
                    if (!state.online) return;
                    queueReply(device, to,
                               basic ? EncodeBasicReply(state) : EncodeDetailReply(state), kind);
                });
                break;
            }
            case RequestKind::Assign:
            case RequestKind::AddressChange: {
                ++(kind == RequestKind::Assign ? m_assigns : m_changes);
                NewAddress wanted = DecodeNewAddress(kind, buffer.data(), size);
                SimDevice* device = m_fleet.FindByMac(wanted.mac);
                if (!device) break;
                const DeviceBehaviour& b = device->Behaviour();
                if (kind == RequestKind::Assign ? b.ignoreAssign : b.ignoreAddressChange) break;
                bool online = device->Update([&](DeviceState& s) {
                    if (!s.online) return false;
                    s.address = FormatDotted(wanted.address);
                    s.gateway = FormatDotted(wanted.gateway);
                    s.mask = FormatDotted(wanted.mask);
                    return true;
                });
                if (!online) break;
                if (m_options.log) {
                    m_options.log(MacText(wanted.mac) + " takes " + FormatDotted(wanted.address) +
                                  " mask " + FormatDotted(wanted.mask) + " gateway " +
                                  FormatDotted(wanted.gateway));
                }
                // The address-change datagram is not answered.
                if (kind == RequestKind::Assign) {
                    queueReply(*device, to, EncodeAssignReply(wanted.mac), kind);
                }
                break;
            }
            case RequestKind::Unknown:
                ++m_unknown;
                break;
        }
    }
}

}  // namespace tesmara::devsim
