// The device end of the secure channel for raw test peers: answers the hello and login as a
// sound device would for one password, then opens every frame it reads and seals every frame
// it sends, so that a test scripts a device's behaviour after login byte by byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "quorn/Channel.h"
#include "quorn/Frame.h"
#include "quorn/Protocol.h"

namespace tesmara::lan {

class SealedPeer {
  public:
    explicit SealedPeer(int fd) : fd_(fd) {}
    // Hello, login parameters and login. With a non-zero `loginCode` the login is answered with
    // it; `count` is the stretching count offered, `saltByte` the first byte of the salt.
    bool Accept(const std::string& password = "", int32_t loginCode = 0,
                uint32_t count = quorn::kLoginCountFloor, uint8_t saltByte = 7);
    // One frame, opened once the channel is up; false after a second without one or when a
    // frame does not open.
    bool Read(quorn::Frame& frame);
    void Send(uint8_t type, uint32_t requestId, const std::vector<uint8_t>& payload);
    // Before each answer of the hello and login, also send a frame of unknown type, a reply of
    // the awaited type with another id and a keep-alive.
    void Chatter() { chatter_ = true; }

  private:
    int fd_;
    quorn::FrameDecoder decoder_;
    quorn::RecordLayer record_;
    bool chatter_ = false;
};

}  // namespace tesmara::lan
