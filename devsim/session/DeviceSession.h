// One connection to one recorder: the device end of the protocol (docs/device-protocol.md).
// Runs on the connection's own thread; a malformed frame from the client ends the connection.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "devsim/model/SimDevice.h"
#include "quorn/Crypto.h"
#include "quorn/Frame.h"
#include "quorn/Protocol.h"

namespace tesmara::devsim {

class SessionServer;

class DeviceSession {
  public:
    DeviceSession(SessionServer& server, SimDevice& device, int fd);
    // Serves until the client leaves, the device restarts or the server stops.
    void Run();
    // For tests that feed requests directly: behave as after a login of the first account
    // (session key all zero).
    void AssumeLoggedIn() {
        hello_ = true;
        loggedIn_ = true;
    }

  private:
    enum class Next { Continue, Close, Drop };

    Next Handle(const quorn::Frame& frame);
    Next OnHello(const quorn::Frame& frame);
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

    bool Send(uint8_t type, uint32_t requestId, const std::vector<uint8_t>& payload);
    bool Reply(const quorn::Frame& request, const std::vector<uint8_t>& payload);
    bool ReplyStatus(const quorn::Frame& request, int32_t status);
    bool ReplyError(const quorn::Frame& request, int32_t status);
    void Delay();
    void Leave();

    SessionServer& server_;
    SimDevice& device_;
    int fd_;
    std::string address_;
    int64_t lastSentMs_ = 0;

    bool hello_ = false;
    uint8_t clientNonce_[quorn::kNonceSize] = {};
    uint8_t serverNonce_[quorn::kNonceSize] = {};
    bool loggedIn_ = false;
    uint32_t bootGeneration_ = 0;
    quorn::Digest key_{};

    // The image being received.
    bool upgrading_ = false;
    uint32_t upgradeId_ = 0;
    uint64_t expected_ = 0;
    uint64_t received_ = 0;
    uint64_t lastAck_ = 0;
    std::vector<uint8_t> header_;
    uint32_t crc_ = 0;  // of the payload so far
    uint32_t expectedCrc_ = 0;
    std::string newVersion_;
    std::string newTime_;
};

}  // namespace tesmara::devsim
