#include "netcfg/AddressChangeCommand.h"

#include <array>
#include <cstdint>

#include "app/DeviceRow.h"
#include "app/DeviceTable.h"
#include "app/MacText.h"
#include "app/MainDialogState.h"
#include "app/MainView.h"
#include "discovery/SearchDatagrams.h"
#include "discovery/SearchSockets.h"
#include "platform/Clock.h"
#include "platform/Format.h"
#include "platform/Text.h"
#include "res/MainDlgRes.h"

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

const wchar_t* SetupFailureText(int error) {
    switch (error) {
        case kErrCreateSend:
            return L"Create client socket failed!";
        case kErrReuseAddress:
            return L"Set client socket failed!err=1";
        case kErrBroadcast:
            return L"Set client socket failed!err=2";
        case kErrBindSend:
            return L"Bind client failed!";
        case kErrCreateReceive:
            return L"Create server's socket failed!";
        case kErrBindReceive:
            return L"Bind server failed!";
        default:
            return nullptr;
    }
}

enum class Heard { kYes, kTimedOut, kSendFailed };

// Broadcasts the basic search until a reply carries the device's MAC or 3000 ms have passed.
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

// The record the row points to afterwards: one per MAC in the re-addressed list.
DeviceRow* RecordNewSettings(DeviceList& readdressed, const DeviceRow& device,
                             const std::string& address, const std::string& mask,
                             const std::string& gateway) {
    if (DeviceRow* record = FindDeviceByMac(readdressed, device.macText)) {
        record->ipText = address;
        record->maskText = mask;
        record->gatewayText = gateway;
        return record;
    }
    DeviceRow& record = readdressed.emplace_back();
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

void ChangeAddress(MainDialogState& dialog) {
    MainView& view = dialog.m_view;
    std::string address = WideToAnsi(view.ControlText(IDC_PANEL_ADDRESS));
    std::string mask = WideToAnsi(view.ControlText(IDC_PANEL_MASK));
    std::string gateway = WideToAnsi(view.ControlText(IDC_PANEL_GATEWAY));
    int row = view.RowCount() > 0 ? view.HighlightedRow() : -1;
    if (row < 0) {
        view.ShowMessage(L"Please select a device!", L"", kBoxOk | kBoxIconWarning);
        return;
    }
    SearchSockets sockets;
    int setup = OpenSearchSockets(dialog.m_sockets, sockets);
    if (const wchar_t* failure = SetupFailureText(setup)) {
        view.ShowMessage(failure, L"", kBoxOk | kBoxIconWarning);
        return;
    }
    bool usable = setup == 0;
    bool failed = false;
    DeviceRow* device = view.DeviceOfRow(row);
    if (device) {
        const std::string old = device->ipText;
        uint32_t start = dialog.m_clock.NowMs();
        if (!usable || !sockets.Broadcast(kBasicSearchMagic, kMagicSize)) {
            sockets.Close();
            usable = false;
            view.AppendStatusLine(FormatUi("[%s] modify IP address failed!err=7", old.c_str()),
                                  StatusColour::kFailure);
        } else {
            Heard heard = WaitForDevice(sockets, dialog.m_clock, MacKey(device->macText), start);
            if (heard == Heard::kTimedOut) failed = true;
            if (heard == Heard::kYes) {
                auto datagram = EncodeAddressChange(device->macText, address, gateway, mask);
                if (!sockets.Broadcast(datagram.data(), datagram.size())) {
                    view.AppendStatusLine(
                        FormatUi("[%s] modify IP address failed!err=8", old.c_str()),
                        StatusColour::kFailure);
                } else {
                    view.AppendStatusLine(FormatUi("[%s] modify IP address to [%s] successfully!",
                                                   old.c_str(), address.c_str()),
                                          StatusColour::kSuccess);
                    view.SetCellText(row, kColumnIp, AnsiToWide(address));
                    view.SetItemData(row, RecordNewSettings(dialog.m_readdressedDevices, *device,
                                                            address, mask, gateway));
                }
            }
        }
    }
    sockets.Close();
    if (failed) {
        view.ShowMessage(L"Operate failed!", L"", kBoxOk | kBoxIconError);
    } else {
        view.ShowMessage(L"Operate completed!", L"", kBoxOk | kBoxIconInformation);
    }
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

void RunAddressChangeCommand(MainDialogState& dialog) {
    if (dialog.m_addressChangeRunning) return;
    dialog.m_addressChangeRunning = true;
    ChangeAddress(dialog);
    dialog.m_addressChangeRunning = false;
}

}  // namespace tesmara
