// The secure channel both ends build in the hello: an ephemeral X25519 agreement, keys derived
// with HKDF-SHA256 from the shared secret and the hello's transcript, then every later frame
// sealed with AES-256-GCM under a key per direction and the frame's sequence number as nonce.
// The login proves knowledge of a stretched password key bound to the same transcript.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "quorn/Crypto.h"
#include "quorn/Frame.h"

namespace quorn {

// One side's ephemeral key pair.
struct KeyShare {
    X25519Key privateKey{};
    X25519Key publicKey{};
};
bool NewKeyShare(KeyShare& share);

// SHA-256 over the payloads of the handshake messages, each preceded by its u32 length.
class Transcript {
  public:
    void Add(const std::vector<uint8_t>& payload);
    bool Hash(Digest& out) const;

  private:
    std::vector<uint8_t> bytes_;
};

struct ChannelKeys {
    Digest clientToDevice{};
    Digest deviceToClient{};
};
// HKDF-SHA256: extract with the hello transcript's hash as salt, expand one key per direction.
bool DeriveChannelKeys(const X25519Key& shared, const Digest& helloHash, ChannelKeys& out);

// Seals what one end sends and opens what it receives. Frames are numbered per direction from
// 0; the number is the nonce and is never sent, so a replayed, dropped, reordered or altered
// frame fails to open and the connection must end.
class RecordLayer {
  public:
    bool Start(const Digest& sendKey, const Digest& receiveKey);
    bool Active() const { return active_; }
    // Header and sealed payload ready for the wire, appended to `out` (which is cleared first).
    bool Seal(uint8_t type, uint32_t requestId, const void* payload, size_t size,
              std::vector<uint8_t>& out);
    // Replaces the frame's sealed payload by the plain one. False when it does not open.
    bool Open(Frame& frame);

  private:
    static void Nonce(uint64_t sequence, uint8_t* nonce);
    GcmKey send_;
    GcmKey receive_;
    uint64_t sent_ = 0;
    uint64_t received_ = 0;
    bool active_ = false;
    // Each direction is used by one thread at a time, and they may differ.
    bool sendFailed_ = false;
    bool receiveFailed_ = false;
};

// The key a password stretches to with the device's salt and count (SessionProof.h makes the
// proofs and the device's verifier from it).
bool LoginKey(std::string_view password, const uint8_t* salt, uint32_t count, Digest& out);

}  // namespace quorn
