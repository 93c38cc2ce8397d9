// A recorder's accounts: login keys instead of passwords, wrong passwords counted per source
// with a lock-out that grows, and a session refused when the random source fails.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "devsim/model/FleetBuilder.h"
#include "devsim/session/Accounts.h"
#include "devsim/session/DeviceSession.h"
#include "devsim/session/SessionServer.h"
#include "devsim/session/SessionState.h"
#include "quorn/Frame.h"
#include "quorn/Protocol.h"
#include "quorn/SessionProof.h"

namespace tesmara::devsim {
namespace {

TEST(DevsimAccounts, KeepsOnlyTheStretchedKeyOfAPassword) {
    SimUser user{.name = "viewer", .password = "old-pw"};
    ASSERT_TRUE(EnsureLoginKey(user, 10000, quorn::RandomBytes));
    EXPECT_TRUE(user.password.empty());
    EXPECT_TRUE(PasswordMatches(user, "old-pw"));
    EXPECT_FALSE(PasswordMatches(user, "old-pX"));
    auto salt = user.salt;
    ASSERT_TRUE(SetPassword(user, "new-pw", 10000, quorn::RandomBytes));
    EXPECT_NE(user.salt, salt);  // a new password gets a new salt
    EXPECT_TRUE(PasswordMatches(user, "new-pw"));
    EXPECT_FALSE(SetPassword(user, "x", 10000, [](void*, size_t) { return false; }));
    EXPECT_TRUE(PasswordMatches(user, "new-pw"));  // a failed change changes nothing
    // Whoever reads the store cannot make a proof from it.
    quorn::Digest transcript{}, proof;
    ASSERT_TRUE(quorn::ClientProof(user.verifier.storedKey, transcript, proof));
    EXPECT_FALSE(quorn::ClientProofMatches(user.verifier, transcript, proof));
}

TEST(DevsimAccounts, AFullThrottleRefusesNewSourcesUntilAnEntryIsForgotten) {
    LoginThrottle throttle(2);
    throttle.Failed("a", 0, 3, 1000);
    throttle.Failed("b", 0, 3, 1000);
    const int64_t kHour = 3600 * 1000;
    EXPECT_FALSE(throttle.Locked("a", 0));
    EXPECT_TRUE(throttle.Locked("c", kHour - 1));  // no room to count its wrong passwords
    throttle.Failed("c", kHour - 1, 3, 1000);      // and none is made
    EXPECT_TRUE(throttle.Locked("c", kHour - 1));
    throttle.Failed("c", kHour, 3, 1000);  // an hour on, a and b are forgotten
    EXPECT_FALSE(throttle.Locked("d", kHour));
}

TEST(DevsimAccounts, WrongPasswordsFromManySourcesLockTheAccount) {
    SessionState state;
    const SessionFaults faults;  // 3 from one source, 10 for one account
    for (int i = 0; i < 10; ++i) {
        std::string source = "10.0.0." + std::to_string(i);
        ASSERT_TRUE(TryAllowed(state, source, "admin", 0)) << i;
        TryFailed(state, source, "admin", 0, faults);
    }
    EXPECT_FALSE(TryAllowed(state, "10.0.1.1", "admin", 0));
    EXPECT_TRUE(TryAllowed(state, "10.0.1.1", "guest", 0));
}

TEST(DevsimAccounts, AnUnknownNameGetsTheSameSaltEveryTimeAndItsOwn) {
    SessionState state;
    std::array<uint8_t, quorn::kSaltSize> first, again, other;
    ASSERT_TRUE(UnknownNameSalt(state, "nobody", quorn::RandomBytes, first));
    ASSERT_TRUE(UnknownNameSalt(state, "nobody", quorn::RandomBytes, again));
    ASSERT_TRUE(UnknownNameSalt(state, "someone", quorn::RandomBytes, other));
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
}

TEST(DevsimAccounts, WrongPasswordsLockTheirSourceOutForAGrowingTime) {
    LoginThrottle throttle;
    const uint32_t kAfter = 3, kBaseMs = 1000;
    int64_t now = 0;
    for (uint32_t i = 0; i < kAfter - 1; ++i) throttle.Failed("10.0.0.1", now, kAfter, kBaseMs);
    EXPECT_FALSE(throttle.Locked("10.0.0.1", now));
    throttle.Failed("10.0.0.1", now, kAfter, kBaseMs);
    struct Step {
        int64_t atMs;
        const char* source;
        bool locked;
    } steps[] = {
        {999, "10.0.0.1", true},   // the first lock-out lasts the base time
        {999, "10.0.0.2", false},  // another source is not concerned
        {1000, "10.0.0.1", false},
    };
    for (const auto& s : steps) EXPECT_EQ(throttle.Locked(s.source, s.atMs), s.locked) << s.atMs;
    // One more wrong password after it ran out: locked again, for twice as long.
    throttle.Failed("10.0.0.1", 1000, kAfter, kBaseMs);
    EXPECT_TRUE(throttle.Locked("10.0.0.1", 2999));
    EXPECT_FALSE(throttle.Locked("10.0.0.1", 3000));
    // A right password clears the count.
    throttle.Succeeded("10.0.0.1");
    throttle.Failed("10.0.0.1", 5000, kAfter, kBaseMs);
    EXPECT_FALSE(throttle.Locked("10.0.0.1", 5000));
}

TEST(DevsimAccounts, SessionIsRefusedWhenTheRandomSourceFails) {
    Fleet fleet;
    ASSERT_TRUE(LoadFleetJson(R"({"devices": [{"address": "192.168.1.10"}]})", fleet, nullptr));
    std::vector<std::string> log;
    SessionServerOptions options;
    options.log = [&](const std::string& line) { log.push_back(line); };
    options.random = [](void*, size_t) { return false; };
    SessionServer server(fleet, options);
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    std::thread device([&] { DeviceSession(server, fleet.At(0), pair[0]).Run(); });
    quorn::Writer hello;
    hello.U16(quorn::kMinVersion)
        .U16(quorn::kMaxVersion)
        .Bytes(std::vector<uint8_t>(32, 9).data(), 32);
    auto bytes = quorn::EncodeFrame(0x01, 1, hello.Data().data(), hello.Data().size());
    ASSERT_EQ(send(pair[1], bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    quorn::FrameDecoder decoder;
    quorn::Frame reply;
    uint8_t buffer[256];
    for (ssize_t n; !decoder.Next(reply) && (n = recv(pair[1], buffer, sizeof buffer, 0)) > 0;)
        decoder.Feed(buffer, static_cast<size_t>(n));
    shutdown(pair[1], SHUT_WR);
    device.join();
    close(pair[0]);
    close(pair[1]);
    EXPECT_EQ(reply.type, 0x81);
    EXPECT_EQ(quorn::Reader(reply.payload).I32(), quorn::kLoginBusy);
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log.back().find("random source failed"), std::string::npos);
}

}  // namespace
}  // namespace tesmara::devsim
