#include "tests/support/InMemoryNetwork.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace tesmara::testing {

class InMemorySocket : public DatagramSocket {
  public:
    explicit InMemorySocket(InMemoryNetwork& network) : m_network(network) {}
    ~InMemorySocket() override { Close(); }

    bool SetReuseAddress(bool on) override {
        if (m_network.ShouldFail(SocketOp::kReuse)) return false;
        reuse = on;
        return true;
    }
    bool SetBroadcast(bool on) override {
        if (m_network.ShouldFail(SocketOp::kBroadcast)) return false;
        broadcast = on;
        return true;
    }
    bool Bind(uint32_t bindAddress, uint16_t bindPort) override {
        if (m_network.ShouldFail(SocketOp::kBind)) return false;
        address = bindAddress;
        return m_network.BindPort(this, bindPort, reuse);
    }
    bool SetNonBlocking(bool on) override {
        if (m_network.ShouldFail(SocketOp::kNonBlocking)) return false;
        nonBlocking = on;
        return true;
    }
    int SendTo(const void* data, size_t size, uint32_t address, uint16_t toPort) override {
        return m_network.Send(this, static_cast<const uint8_t*>(data), size, address, toPort);
    }
    int ReceiveFrom(void* buffer, size_t capacity) override {
        return m_network.Receive(this, static_cast<uint8_t*>(buffer), capacity);
    }
    void Close() override {
        if (!closed) m_network.Release(this);
        closed = true;
    }

    bool reuse = false;
    bool broadcast = false;
    bool nonBlocking = false;
    bool closed = false;
    uint32_t address = 0;  // bound to
    uint16_t port = 0;

  private:
    InMemoryNetwork& m_network;
};

InMemoryNetwork::~InMemoryNetwork() {
    m_holders.clear();
}

std::unique_ptr<DatagramSocket> InMemoryNetwork::CreateDatagramSocket() {
    std::lock_guard<std::recursive_mutex> h(m_lock);
    if (ShouldFail(SocketOp::kCreate)) return nullptr;
    auto socket = std::make_unique<InMemorySocket>(*this);
    m_open.insert(socket.get());
    return socket;
}

VirtualDevice InMemoryNetwork::MakeDevice(int index) {
    VirtualDevice device;
    const uint8_t mac[6] = {0x00,
                            0x1A,
                            0x2B,
                            0x00,
                            static_cast<uint8_t>(index >> 8),
                            static_cast<uint8_t>(index & 0xFF)};
    std::memcpy(device.info.mac, mac, 6);
    device.info.address = (192u << 24) | (168u << 16) |
                          (static_cast<uint32_t>(index / 200 + 1) << 8) |
                          static_cast<uint32_t>(index % 200 + 20);
    device.info.mask = 0xFFFFFF00u;
    device.info.gateway = (device.info.address & 0xFFFFFF00u) | 1;
    device.info.tcpPort = 34567;
    device.info.httpPort = 80;
    std::string n = std::to_string(index);
    device.info.details.description = "NVR-" + n;
    device.info.details.cloudId = "cloud" + n;
    device.info.details.releaseVersion = "V4.02.R11." + n;
    device.info.details.deviceTime = "2026-12-07 10:00:00";
    device.info.details.releaseTime = "2026-01-15";
    device.info.details.startTime = "2026-12-01 08:00:00";
    return device;
}

VirtualDevice& InMemoryNetwork::AddDevice(const VirtualDevice& device) {
    std::lock_guard<std::recursive_mutex> h(m_lock);
    m_devices.push_back(device);
    return m_devices.back();
}

void InMemoryNetwork::AddDevices(int count) {
    for (int i = 0; i < count; ++i) AddDevice(MakeDevice(static_cast<int>(m_devices.size())));
}

VirtualDevice& InMemoryNetwork::Device(size_t index) {
    std::lock_guard<std::recursive_mutex> h(m_lock);
    return m_devices.at(index);
}

size_t InMemoryNetwork::DeviceCount() {
    std::lock_guard<std::recursive_mutex> h(m_lock);
    return m_devices.size();
}

void InMemoryNetwork::FailNth(SocketOp op, int nth) {
    std::lock_guard<std::recursive_mutex> h(m_lock);
    m_failures.insert({op, nth});
}

void InMemoryNetwork::FailSendsFrom(int nth) {
    std::lock_guard<std::recursive_mutex> h(m_lock);
    m_failSendsFrom = nth;
}

void InMemoryNetwork::FailSendsWithMagic(const char* magic) {
    std::lock_guard<std::recursive_mutex> h(m_lock);
    m_failMagic = magic;
}

void InMemoryNetwork::OccupyPort(uint16_t port) {
    std::lock_guard<std::recursive_mutex> h(m_lock);
    auto holder = std::make_unique<InMemorySocket>(*this);
    m_open.insert(holder.get());
    BindPort(holder.get(), port, false);
    m_holders.push_back(std::move(holder));
}

void InMemoryNetwork::Inject(uint16_t port, std::vector<uint8_t> data, uint32_t atMs) {
    std::lock_guard<std::recursive_mutex> h(m_lock);
    Queue(port, std::move(data), atMs);
}

std::vector<SentDatagram> InMemoryNetwork::Sent() {
    std::lock_guard<std::recursive_mutex> h(m_lock);
    return m_sent;
}

int InMemoryNetwork::CountSent(const char* magic) {
    return static_cast<int>(SendTimes(magic).size());
}

std::vector<uint32_t> InMemoryNetwork::SendTimes(const char* magic) {
    std::lock_guard<std::recursive_mutex> h(m_lock);
    std::vector<uint32_t> times;
    for (const SentDatagram& d : m_sent) {
        if (HasMagic(d.data.data(), d.data.size(), magic)) times.push_back(d.atMs);
    }
    return times;
}

int InMemoryNetwork::OpenSockets() {
    std::lock_guard<std::recursive_mutex> h(m_lock);
    return static_cast<int>(m_open.size() - m_holders.size());
}

int InMemoryNetwork::SocketsCreated() {
    std::lock_guard<std::recursive_mutex> h(m_lock);
    return m_calls[SocketOp::kCreate];
}

bool InMemoryNetwork::ShouldFail(SocketOp op) {
    std::lock_guard<std::recursive_mutex> h(m_lock);
    int nth = m_calls[op]++;
    if (op == SocketOp::kSend && m_failSendsFrom >= 0 && nth >= m_failSendsFrom) return true;
    return m_failures.count({op, nth}) > 0;
}

// Two sockets share a port only when both asked for address reuse.
bool InMemoryNetwork::BindPort(InMemorySocket* socket, uint16_t port, bool reuse) {
    std::lock_guard<std::recursive_mutex> h(m_lock);
    for (InMemorySocket* other : m_open) {
        if (other != socket && other->port == port && !(reuse && other->reuse)) return false;
    }
    socket->port = port;
    return true;
}

void InMemoryNetwork::Release(InMemorySocket* socket) {
    std::lock_guard<std::recursive_mutex> h(m_lock);
    m_open.erase(socket);
}

int InMemoryNetwork::Send(InMemorySocket* socket, const uint8_t* data, size_t size,
                          uint32_t address, uint16_t port) {
    std::lock_guard<std::recursive_mutex> h(m_lock);
    if (socket->closed || ShouldFail(SocketOp::kSend)) return -1;
    if (!m_failMagic.empty() && HasMagic(data, size, m_failMagic.c_str())) return -1;
    if (address == kLimitedBroadcast && !socket->broadcast) return -1;
    uint32_t now = m_clock.NowMs();
    std::vector<uint8_t> bytes(data, data + size);
    m_sent.push_back({now, socket->port, address, port, bytes, socket->address});
    if (port == kDevicePort) Answer(bytes, now);
    return static_cast<int>(size);
}

int InMemoryNetwork::Receive(InMemorySocket* socket, uint8_t* buffer, size_t capacity) {
    std::lock_guard<std::recursive_mutex> h(m_lock);
    if (socket->closed || socket->port == 0) return -1;
    // Replies are broadcast, which Linux hands only to sockets bound to any address.
    if (socket->address != 0) return -1;
    uint32_t now = m_clock.NowMs();
    auto best = m_pending.end();
    for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
        if (it->port != socket->port || static_cast<int32_t>(now - it->atMs) < 0) continue;
        if (best == m_pending.end() || static_cast<int32_t>(it->atMs - best->atMs) < 0 ||
            (it->atMs == best->atMs && it->sequence < best->sequence)) {
            best = it;
        }
    }
    if (best == m_pending.end()) return -1;
    size_t n = std::min(capacity, best->data.size());
    std::memcpy(buffer, best->data.data(), n);
    m_pending.erase(best);
    return static_cast<int>(n);
}

void InMemoryNetwork::Answer(const std::vector<uint8_t>& request, uint32_t now) {
    const uint8_t* data = request.data();
    size_t size = request.size();
    bool basic = size == kMagicSize && HasMagic(data, size, kBasicSearchMagic);
    bool detail = size == kMagicSize && HasMagic(data, size, kDetailSearchMagic);
    AssignRequest assign;
    bool isAssign = DecodeAssignRequest(data, size, assign);
    for (VirtualDevice& device : m_devices) {
        std::vector<uint8_t> reply;
        if (basic && device.answersBasic) {
            reply = EncodeBasicReply(device.info);
        } else if (detail && device.answersDetail) {
            reply = EncodeDetailReply(device.info);
        } else if (isAssign && std::memcmp(assign.mac, device.info.mac, 6) == 0) {
            device.assignments.push_back(assign);
            if (!device.answersAssign) continue;
            device.info.address = assign.address;
            device.info.gateway = assign.gateway;
            device.info.mask = assign.mask;
            reply = EncodeAssignReply(device.info.mac);
        }
        if (reply.empty()) continue;
        for (int i = 0; i < device.copies; ++i) {
            Queue(kSearchReplyPort, reply, now + device.replyDelayMs);
        }
    }
}

void InMemoryNetwork::Queue(uint16_t port, std::vector<uint8_t> data, uint32_t atMs) {
    m_pending.push_back({atMs, m_sequence++, port, std::move(data)});
}

}  // namespace tesmara::testing
