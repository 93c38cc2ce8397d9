// What one login costs this PC apart from the network: the password stretch at a given count,
// the proofs and the portable X25519 that Windows uses, best of several runs. Run by
// scripts/bench-login-stretch; no sockets.
//
//   stretch_bench COUNT...
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "quorn/Channel.h"
#include "quorn/Protocol.h"
#include "quorn/SessionProof.h"
#include "quorn/X25519.h"

namespace {

using Clock = std::chrono::steady_clock;

template <typename F>
double BestMs(int runs, F work) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        work();
        best =
            std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const uint8_t salt[quorn::kSaltSize] = {1, 2, 3};
    quorn::Digest transcript{}, key, proof;
    quorn::LoginVerifier verifier;
    uint8_t scalar[32] = {7}, point[32] = {9}, out[32];
    double ladder = BestMs(20, [&] { quorn::X25519Portable(out, scalar, point); });
    std::printf("portable X25519: %.2f ms\n", ladder);
    for (int i = 1; i < argc; ++i) {
        uint32_t count = static_cast<uint32_t>(std::strtoul(argv[i], nullptr, 10));
        double ms = BestMs(5, [&] {
            quorn::LoginKey("a password", salt, count, key);
            quorn::ClientProof(key, transcript, proof);
            quorn::MakeVerifier(key, verifier);
            quorn::DeviceProof(verifier, transcript, proof);
        });
        std::printf("count %8u: %8.1f ms  (%.0f iterations/s)\n", count, ms, count / ms * 1000);
    }
    return 0;
}
