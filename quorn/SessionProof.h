// The login's proofs, in the manner of SCRAM: the client proves it holds the client key made
// from the password by sending it masked with a signature over the handshake; the device keeps
// only a verifier (the client key's hash and a device key), unmasks the proof and checks the
// client key against the hash. Reading a device's store therefore logs nobody in, and the
// device proves with its own key that it holds the account's verifier.
#pragma once

#include "quorn/Crypto.h"

namespace quorn {

// What a device keeps of an account's password, besides its salt and count.
struct LoginVerifier {
    Digest storedKey{};  // SHA256(client key)
    Digest deviceKey{};
};

// From the stretched password (LoginKey).
bool MakeVerifier(const Digest& loginKey, LoginVerifier& out);

// Client: the proof it sends, bound to the handshake's transcript hash.
bool ClientProof(const Digest& loginKey, const Digest& transcript, Digest& out);
// Device: whether a client's proof was made from the key this verifier belongs to.
bool ClientProofMatches(const LoginVerifier& verifier, const Digest& transcript,
                        const Digest& proof);
// Device's answer, which a client checks against its own verifier.
bool DeviceProof(const LoginVerifier& verifier, const Digest& transcript, Digest& out);

}  // namespace quorn
