#include "netcfg/DeviceByMac.h"

#include <array>

#include "discovery/SearchDatagrams.h"
#include "discovery/SearchSockets.h"
#include "platform/Clock.h"
#include "view/MacText.h"

namespace tesmara {
namespace {

constexpr uint32_t kWaitMs = 3000;
constexpr uint32_t kResendMs = 500;
constexpr uint32_t kIdleSleepMs = 50;

bool IsAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::string MacKey(const std::string& macText) {
    std::string key;
    for (char c : macText) {
        if (IsAlnum(c)) key += c;
    }
    return key;
}

bool MacKeyMatches(const std::string& key, const std::string& compactMac) {
    if (key.empty() || key.size() > compactMac.size()) return false;
    for (size_t i = 0; i < key.size(); ++i) {
        if (UpperAscii(key[i]) != UpperAscii(compactMac[i])) return false;
    }
    return true;
}

Heard WaitForDevice(SearchSockets& sockets, Clock& clock, const std::string& key, uint32_t start) {
    uint32_t lastSend = start;
    std::array<uint8_t, kReceiveBufferSize> buffer{};
    for (uint32_t now = clock.NowMs(); TicksSince(now, start) < kWaitMs; now = clock.NowMs()) {
        if (TicksSince(now, lastSend) > kResendMs) {
            if (!sockets.Broadcast(kBasicSearchMagic, kMagicSize)) return Heard::kSendFailed;
            lastSend = now;
        }
        int size = sockets.receive->ReceiveFrom(buffer.data(), buffer.size());
        if (size != static_cast<int>(kBasicReplySize)) {
            clock.SleepMs(kIdleSleepMs);
            continue;
        }
        if (!IsBasicReply(buffer.data(), kBasicReplySize)) continue;
        SearchInfoBlock reply = DecodeBasicReply(buffer.data());
        if (MacKeyMatches(key, FormatMacCompact(reply.mac))) return Heard::kYes;
    }
    return Heard::kTimedOut;
}

DeviceRow* RecordNewAddress(DeviceList& list, const DeviceRow& device, const std::string& address,
                            const std::string& mask, const std::string& gateway) {
    if (DeviceRow* record = FindDeviceByMac(list, device.macText)) {
        record->ipText = address;
        record->maskText = mask;
        record->gatewayText = gateway;
        return record;
    }
    DeviceRow& record = list.emplace_back();
    record.shown = device.shown;
    record.macText = device.macText;
    record.tcpPort = device.tcpPort;
    record.httpPort = device.httpPort;
    record.loginHandle = device.loginHandle;
    record.upgradeHandle = device.upgradeHandle;
    record.ipText = address;
    record.gatewayText = gateway;
    record.maskText = mask;
    return &record;
}

}  // namespace tesmara
