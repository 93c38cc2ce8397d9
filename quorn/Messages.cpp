#include "quorn/Messages.h"

#include <cstring>

#include "quorn/Protocol.h"

namespace quorn {

bool DecodeHelloReply(const Frame& frame, uint32_t requestId, HelloReply& out) {
    if (frame.type != ReplyOf(Type::Hello) || frame.requestId != requestId) return false;
    Reader r(frame.payload);
    out.status = r.I32();
    if (!r.Ok()) return false;
    if (out.status != kOk) return true;  // a refusal need not carry the rest
    out.version = r.U16();
    const uint8_t* key = r.Bytes(out.publicKey.size());
    if (!r.Done()) return false;
    std::memcpy(out.publicKey.data(), key, out.publicKey.size());
    return true;
}

bool DecodeLoginParamsReply(const Frame& frame, uint32_t requestId, LoginParamsReply& out) {
    if (frame.type != ReplyOf(Type::LoginParams) || frame.requestId != requestId) return false;
    Reader r(frame.payload);
    out.status = r.I32();
    if (!r.Ok()) return false;
    if (out.status != kOk) return true;
    const uint8_t* salt = r.Bytes(out.salt.size());
    out.count = r.U32();
    if (!r.Done()) return false;
    std::memcpy(out.salt.data(), salt, out.salt.size());
    return true;
}

bool DecodeLoginReply(const Frame& frame, uint32_t requestId, LoginReply& out) {
    if (frame.type != ReplyOf(Type::Login) || frame.requestId != requestId) return false;
    Reader r(frame.payload);
    out.status = r.I32();
    if (!r.Ok()) return false;
    if (out.status != kOk) return true;
    const uint8_t* proof = r.Bytes(out.proof.size());
    const uint8_t* text = r.Bytes(sizeof out.text);
    out.value = r.I32();
    out.flag = r.U8();
    if (!r.Ok()) return false;
    std::memcpy(out.proof.data(), proof, out.proof.size());
    std::memcpy(out.text, text, sizeof out.text);
    out.text[sizeof out.text - 1] = 0;
    return true;
}

int32_t DecodeStatusReply(const Frame& reply, uint8_t requestType, const uint8_t** rest,
                          size_t* restSize) {
    bool isError = reply.type == ReplyOf(Type::Error);
    if (!isError && reply.type != (requestType | kReplyBit)) return kProtocolError;
    Reader r(reply.payload);
    int32_t status = r.I32();
    if (!r.Ok() || (isError && status == kOk)) return kProtocolError;
    if (rest) {
        *restSize = r.Remaining();
        *rest = r.Bytes(*restSize);
    }
    return status;
}

bool DecodeUpgradeEvent(const Frame& frame, UpgradeEvent& out) {
    Reader r(frame.payload);
    if (frame.type == static_cast<uint8_t>(Type::UpgradeAck)) {
        out.kind = UpgradeEvent::Ack;
        out.bytes = r.U64();
        return r.Ok();
    }
    if (frame.type != static_cast<uint8_t>(Type::UpgradeState)) return false;
    uint8_t phase = r.U8();
    out.value = r.I32();
    if (!r.Ok()) return false;
    if (phase == kUpgradeWriting) {
        out.kind = UpgradeEvent::Writing;
    } else if (phase == kUpgradeFinished) {
        out.kind = UpgradeEvent::Finished;
    } else {
        return false;
    }
    return true;
}

}  // namespace quorn
