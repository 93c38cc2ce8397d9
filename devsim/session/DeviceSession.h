// One connection to one recorder: the device end of the protocol (docs/device-protocol.md).
// Runs on the connection's own thread; a malformed frame from the client ends the connection.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "devsim/model/SimDevice.h"
#include "devsim/session/Images.h"
#include "quorn/Channel.h"
#include "quorn/Crypto.h"
#include "quorn/Frame.h"
#include "quorn/Protocol.h"

namespace tesmara::devsim {

class SessionServer;

class DeviceSession {
  public:
    // `loggedIn`, when given, is set once the client has logged in.
    DeviceSession(SessionServer& server, SimDevice& device, int fd,
                  std::atomic<bool>* loggedIn = nullptr);
    // Serves until the client leaves, the device restarts or the server stops.
    void Run();
    // For tests that feed requests directly: behave as after a login of the first account
    // over a channel with these keys.
    void AssumeLoggedIn(const quorn::ChannelKeys& keys);

  private:
    enum class Next { Continue, Close, Drop };

    // Opens the frame in place once the channel is up.
    Next Handle(quorn::Frame& frame);
    Next OnHello(const quorn::Frame& frame);
    Next OnLoginParams(const quorn::Frame& frame);
    Next OnLogin(const quorn::Frame& frame);
    Next OnGetConfig(const quorn::Frame& frame);
    Next OnSetConfig(const quorn::Frame& frame);
    Next OnImport(const quorn::Frame& frame);
    Next OnModifyUser(const quorn::Frame& frame);
    Next OnUpgradeBegin(const quorn::Frame& frame);
    Next OnUpgradeData(const quorn::Frame& frame);
    Next FinishImage();
    void EndUpgrade(int32_t status);
    void Stall();
    void StopReading();

    bool Send(uint8_t type, uint32_t requestId, const std::vector<uint8_t>& payload);
    bool Reply(const quorn::Frame& request, const std::vector<uint8_t>& payload);
    bool ReplyStatus(const quorn::Frame& request, int32_t status);
    bool ReplyError(const quorn::Frame& request, int32_t status);
    void Delay();
    void Leave();

    SessionServer& m_server;
    SimDevice& m_device;
    int m_fd;
    std::string m_address;
    int64_t m_lastSentMs = 0;

    std::string m_peer;  // the client's address: wrong passwords are counted per source
    bool m_hello = false;
    bool m_clientLeft = false;  // the client closed the connection
    quorn::RecordLayer m_record;
    quorn::Transcript m_transcript;  // hello and login parameters
    std::string m_loginUser;         // named in the login parameters
    bool m_paramsGiven = false;
    bool m_loggedIn = false;
    std::atomic<bool>* m_loggedInFlag;
    std::string m_account;  // logged in as
    uint32_t m_bootGeneration = 0;

    // The image being received.
    bool m_upgrading = false;
    uint32_t m_upgradeId = 0;
    uint64_t m_expected = 0;
    uint64_t m_received = 0;
    uint64_t m_lastAck = 0;
    uint64_t m_window = 0;    // granted to the client
    uint64_t m_ackEvery = 0;  // bytes taken between acknowledgements
    std::vector<uint8_t> m_header;
    Sha256 m_hash;  // of the payload so far
    Sha256Digest m_expectedHash{};
    std::string m_newVersion;
    std::string m_newTime;
};

}  // namespace tesmara::devsim
