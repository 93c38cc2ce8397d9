#include "devsim/session/ConfigBlocks.h"

#include <arpa/inet.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "quorn/Protocol.h"

namespace tesmara::devsim {

namespace {

int32_t Load32(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                                uint32_t(p[3]) << 24);
}

void Store32(uint8_t* p, int32_t value) {
    auto v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Writes text and its terminator into the slot; the bytes after the terminator stay.
void PutSlot(uint8_t* slot, size_t size, const std::string& text) {
    size_t n = std::min(text.size(), size - 1);
    std::memcpy(slot, text.data(), n);
    slot[n] = 0;
}

// The NUL-terminated text of a slot; false when the slot holds no terminator.
bool GetSlot(const uint8_t* slot, size_t size, std::string& text) {
    const void* end = std::memchr(slot, 0, size);
    if (!end) return false;
    text.assign(reinterpret_cast<const char*>(slot), static_cast<const uint8_t*>(end) - slot);
    return true;
}

bool IsDotted(const std::string& text) {
    in_addr parsed{};
    return inet_pton(AF_INET, text.c_str(), &parsed) == 1;
}

int64_t NowSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void ReadClock(const DeviceState& state, std::vector<uint8_t>& out) {
    time_t now = static_cast<time_t>(NowSeconds() + state.clockOffsetSeconds);
    std::tm t{};
    gmtime_r(&now, &t);
    out.assign(kClockSize, 0);
    int32_t fields[6] = {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
    for (int i = 0; i < 6; ++i) Store32(&out[4 * i], fields[i]);
}

int32_t WriteClock(DeviceState& state, const uint8_t* data) {
    int32_t f[6];
    for (int i = 0; i < 6; ++i) f[i] = Load32(data + 4 * i);
    bool valid = f[0] >= 1970 && f[0] <= 2100 && f[1] >= 1 && f[1] <= 12 && f[2] >= 1 &&
                 f[2] <= 31 && f[3] >= 0 && f[3] <= 23 && f[4] >= 0 && f[4] <= 59 && f[5] >= 0 &&
                 f[5] <= 59;
    if (!valid) return quorn::kDeviceFailed;
    std::tm t{};
    t.tm_year = f[0] - 1900;
    t.tm_mon = f[1] - 1;
    t.tm_mday = f[2];
    t.tm_hour = f[3];
    t.tm_min = f[4];
    t.tm_sec = f[5];
    // The device keeps wall-clock time without a zone; it is reported back as it was set.
    state.clockOffsetSeconds = static_cast<int64_t>(timegm(&t)) - NowSeconds();
    state.fixedDeviceTime.clear();
    return quorn::kOk;
}

void ReadNetwork(const DeviceState& state, std::vector<uint8_t>& out) {
    out.assign(state.session.networkBlock.begin(), state.session.networkBlock.end());
    Store32(&out[68], state.httpPort);
    Store32(&out[72], state.tcpPort);
    char mac[18];
    std::snprintf(
        mac, sizeof mac,
        state.macTextLowerCase ? "%02x:%02x:%02x:%02x:%02x:%02x" : "%02X:%02X:%02X:%02X:%02X:%02X",
        state.mac[0], state.mac[1], state.mac[2], state.mac[3], state.mac[4], state.mac[5]);
    std::memset(&out[120], 0, 32);
    PutSlot(&out[120], 32, mac);
    PutSlot(&out[152], 20, state.address);
    PutSlot(&out[172], 20, state.mask);
    PutSlot(&out[192], 20, state.gateway);
}

int32_t WriteNetwork(DeviceState& state, const uint8_t* data) {
    int32_t http = Load32(data + 68);
    int32_t tcp = Load32(data + 72);
    std::string address, mask, gateway;
    if (http < 1 || http > 65535 || tcp < 1 || tcp > 65535) return quorn::kDeviceFailed;
    if (!GetSlot(data + 152, 20, address) || !GetSlot(data + 172, 20, mask) ||
        !GetSlot(data + 192, 20, gateway))
        return quorn::kDeviceFailed;
    if (!IsDotted(address) || !IsDotted(mask) || !IsDotted(gateway)) return quorn::kDeviceFailed;
    state.httpPort = static_cast<uint16_t>(http);
    state.tcpPort = static_cast<uint16_t>(tcp);
    state.address = address;
    state.mask = mask;
    state.gateway = gateway;
    std::memcpy(state.session.networkBlock.data(), data, kNetworkSize);
    return quorn::kOk;
}

int32_t WriteDisplay(DeviceState& state, const uint8_t* data) {
    uint8_t standard = data[21];
    uint8_t resolution = data[23];
    int32_t language = Load32(data + 28);
    bool valid =
        standard <= 1 && (resolution <= 3 || resolution == 5) && language >= 0 && language <= 21;
    if (!valid) return quorn::kDeviceFailed;
    std::memcpy(state.session.displayBlock.data(), data, kDisplaySize);
    return quorn::kOk;
}

}  // namespace

size_t BlockSize(int32_t command) {
    switch (command) {
        case kCommandClock:
            return kClockSize;
        case kCommandDisplay:
            return kDisplaySize;
        case kCommandNetwork:
            return kNetworkSize;
        default:
            return 0;
    }
}

int32_t ReadBlock(const DeviceState& state, int32_t command, std::vector<uint8_t>& out) {
    switch (command) {
        case kCommandClock:
            ReadClock(state, out);
            return quorn::kOk;
        case kCommandDisplay:
            out.assign(state.session.displayBlock.begin(), state.session.displayBlock.end());
            return quorn::kOk;
        case kCommandNetwork:
            ReadNetwork(state, out);
            return quorn::kOk;
        default:
            return quorn::kUnknownCommand;
    }
}

int32_t WriteBlock(DeviceState& state, int32_t command, const uint8_t* data, size_t size) {
    size_t expected = BlockSize(command);
    if (expected == 0) return quorn::kUnknownCommand;
    if (size != expected) return quorn::kBadSize;
    switch (command) {
        case kCommandClock:
            return WriteClock(state, data);
        case kCommandDisplay:
            return WriteDisplay(state, data);
        default:
            return WriteNetwork(state, data);
    }
}

std::string DisplayLine(const DeviceState& state) {
    const auto& block = state.session.displayBlock;
    return "display " + state.address + " " + MacText(state.mac) + " standard " +
           std::to_string(block[21]) + " resolution " + std::to_string(block[23]) + " language " +
           std::to_string(Load32(block.data() + 28));
}

std::vector<uint8_t> UserTable(const DeviceState& state) {
    std::vector<uint8_t> table(quorn::kUserTableSize, 0);
    size_t count = std::min<size_t>(state.session.users.size(), quorn::kUserEntryCount);
    Store32(&table[0], static_cast<int32_t>(count));
    for (size_t i = 0; i < count; ++i) {
        uint8_t* entry = &table[quorn::kUserEntriesOffset + i * quorn::kUserEntrySize];
        Store32(entry, static_cast<int32_t>(i + 1));  // account number
        Store32(entry + 4, i == 0 ? 1 : 2);           // group: administrators, users
        PutSlot(entry + quorn::kUserNameOffset, quorn::kUserNameSize, state.session.users[i].name);
        // Rights: a byte per right. The first is the one the device itself checks, whether the
        // account may change others' passwords; the rest are all granted to the first account.
        for (int r = 0; r < 64; ++r) entry[200 + r] = i == 0 ? 1 : (r % 2);
        entry[200] = state.session.users[i].manageUsers ? 1 : 0;
    }
    return table;
}

}  // namespace tesmara::devsim
