// A SocketFactory whose sockets exchange datagrams in memory, with scripted virtual recorders that
// answer the discovery requests broadcast to port 5000, and switches that make any socket
// operation fail. Time is the given clock's: a reply with a delay is delivered once that much
// time has passed.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "discovery/SearchDatagrams.h"
#include "discovery/SearchInfoBlock.h"
#include "platform/Clock.h"
#include "platform/Sockets.h"
#include "tests/support/DeviceReplies.h"

namespace tesmara::testing {

class InMemorySocket;

struct VirtualDevice {
    SearchInfoBlock info;  // MAC, current address, ports and detail texts
    uint32_t replyDelayMs = 0;
    int copies = 1;  // replies per request
    bool answersBasic = true;
    bool answersDetail = true;
    bool answersAssign = true;
    std::vector<AssignRequest> assignments;  // requests addressed to this device, in order
};

struct SentDatagram {
    uint32_t atMs;
    uint16_t fromPort;
    uint32_t address;  // network order
    uint16_t port;
    std::vector<uint8_t> data;
    uint32_t fromAddress;  // the sending socket's bound address, network order
};

enum class SocketOp { kCreate, kReuse, kBroadcast, kBind, kNonBlocking, kSend };

class InMemoryNetwork : public SocketFactory {
  public:
    explicit InMemoryNetwork(Clock& clock) : m_clock(clock) {}
    ~InMemoryNetwork() override;

    std::unique_ptr<DatagramSocket> CreateDatagramSocket() override;

    // A device with MAC 00-1A-2B-00-hi-lo (index 0-based), address 192.168.1.(100+index) for
    // small indexes, ports 34567 and 80 and short ASCII detail texts.
    static VirtualDevice MakeDevice(int index);
    VirtualDevice& AddDevice(const VirtualDevice& device);
    void AddDevices(int count);
    VirtualDevice& Device(size_t index);
    size_t DeviceCount();

    // The nth call (0-based, counted over all sockets) of `op` fails.
    void FailNth(SocketOp op, int nth);
    // Every send from the nth on fails.
    void FailSendsFrom(int nth);
    // Every send of a datagram that begins with `magic` fails.
    void FailSendsWithMagic(const char* magic);
    // Holds `port` with a socket of our own, as another program would.
    void OccupyPort(uint16_t port);

    // Delivers raw bytes to `port` once the clock reaches `atMs`.
    void Inject(uint16_t port, std::vector<uint8_t> data, uint32_t atMs = 0);

    std::vector<SentDatagram> Sent();
    int CountSent(const char* magic);  // datagrams sent whose magic matches
    std::vector<uint32_t> SendTimes(const char* magic);
    int OpenSockets();     // created and not yet closed
    int SocketsCreated();  // every creation asked for, failed ones included

  private:
    friend class InMemorySocket;
    struct Pending {
        uint32_t atMs;
        uint64_t sequence;
        uint16_t port;
        std::vector<uint8_t> data;
    };

    bool ShouldFail(SocketOp op);
    bool BindPort(InMemorySocket* socket, uint16_t port, bool reuse);
    void Release(InMemorySocket* socket);
    int Send(InMemorySocket* socket, const uint8_t* data, size_t size, uint32_t address,
             uint16_t port);
    int Receive(InMemorySocket* socket, uint8_t* buffer, size_t capacity);
    void Answer(const std::vector<uint8_t>& request, uint32_t now);
    void Queue(uint16_t port, std::vector<uint8_t> data, uint32_t atMs);

    Clock& m_clock;
    std::recursive_mutex m_lock;
    std::vector<VirtualDevice> m_devices;
    std::map<SocketOp, int> m_calls;
    std::set<std::pair<SocketOp, int>> m_failures;
    int m_failSendsFrom = -1;
    std::string m_failMagic;
    std::vector<SentDatagram> m_sent;
    std::vector<Pending> m_pending;
    uint64_t m_sequence = 0;
    std::set<InMemorySocket*> m_open;
    std::vector<std::unique_ptr<DatagramSocket>> m_holders;
};

}  // namespace tesmara::testing
