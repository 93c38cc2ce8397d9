// The library's decoders of what a device sends: every field checked against the frame it came
// in, so that a hostile or broken device can cause a failed call but nothing worse.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "quorn/Frame.h"
#include "quorn/Protocol.h"

namespace quorn {

struct HelloReply {
    int32_t status = 0;
    uint16_t version = 0;
    std::array<uint8_t, kPublicKeySize> publicKey{};  // only when status is 0
};
// False unless `frame` is a complete Hello reply to request `requestId`.
bool DecodeHelloReply(const Frame& frame, uint32_t requestId, HelloReply& out);

struct LoginParamsReply {
    int32_t status = 0;
    std::array<uint8_t, kSaltSize> salt{};
    uint32_t count = 0;
};
bool DecodeLoginParamsReply(const Frame& frame, uint32_t requestId, LoginParamsReply& out);

struct LoginReply {
    int32_t status = 0;
    std::array<uint8_t, kProofSize> proof{};  // the device's, when status is 0
    char text[48] = {};                       // always NUL-terminated
    int32_t value = 0;
    uint8_t flag = 0;
};
bool DecodeLoginReply(const Frame& frame, uint32_t requestId, LoginReply& out);

// A reply that starts with a status: the device's status (or an Error frame's), or
// kProtocolError when the frame is not such a reply to `requestType`. `rest` is what follows.
int32_t DecodeStatusReply(const Frame& reply, uint8_t requestType, const uint8_t** rest,
                          size_t* restSize);

struct UpgradeEvent {
    enum Kind { Ack, Writing, Finished } kind = Ack;
    uint64_t bytes = 0;  // Ack
    int32_t value = 0;   // Writing: percentage; Finished: status
};
bool DecodeUpgradeEvent(const Frame& frame, UpgradeEvent& out);

}  // namespace quorn
