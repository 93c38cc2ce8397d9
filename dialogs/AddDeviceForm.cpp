#include "dialogs/AddDeviceForm.h"

#include <climits>
#include <cstdint>

#include "devaccess/DeviceSession.h"
#include "devaccess/LoginMessages.h"
#include "devaccess/NetworkConfigBlock.h"
#include "dialogs/win32/AddDeviceDlgRes.h"
#include "platform/Text.h"
#include "view/DialogView.h"

namespace tesmara {

int ParseLoginPort(std::wstring_view text) {
    int value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') break;
        // Saturates instead of overflowing; the low 16 bits are all that is used of it anyway.
        value = value > (INT_MAX - 9) / 10 ? INT_MAX : value * 10 + (c - L'0');
    }
    return value;
}

std::wstring TableFormMac(std::string_view macText) {
    std::wstring mac = AnsiToWide(macText);
    for (wchar_t& c : mac) {
        if (c == L':') c = L'-';
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return mac;
}

void InitAddDeviceForm(DialogView& form) {
    form.SetControlText(IDC_ADD_USER, L"admin");
    form.SetControlText(IDC_ADD_PASSWORD, L"");
    form.SetControlText(IDC_ADD_PORT, L"34567");
}

std::optional<AddedDevice> RunAddDeviceOk(DialogView& form, DeviceAccess& access) {
    std::wstring addressText = form.ControlText(IDC_ADD_ADDRESS);
    AddedDevice device;
    device.ipAddress = WideToAnsi(addressText);
    device.port = ParseLoginPort(form.ControlText(IDC_ADD_PORT));
    std::string user = WideToUtf8(form.ControlText(IDC_ADD_USER));
    std::string password = WideToUtf8(form.ControlText(IDC_ADD_PASSWORD));

    DeviceSession session(access);
    int32_t error = 0;
    if (!session.Login(device.ipAddress, static_cast<uint16_t>(device.port), user, password,
                       error)) {
        form.ShowMessage(DeviceLoginFailureLine(addressText, error), L"", kBoxOk | kBoxIconWarning);
        return std::nullopt;
    }
    NetworkConfigBlock block;
    if (!session.Read(block)) {
        form.ShowMessage(L"获取配置失败", L"", kBoxOk | kBoxIconWarning);
        return std::nullopt;
    }
    session.Logout();
    device.macAddress = TableFormMac(block.MacText());
    device.gateway = block.GatewayText();
    device.subnetMask = block.MaskText();
    device.httpPort = static_cast<uint16_t>(block.HttpPort());
    return device;
}

}  // namespace tesmara
