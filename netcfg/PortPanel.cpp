#include "netcfg/PortPanel.h"

#include <cstdint>
#include <string>

#include "devaccess/DeviceSession.h"
#include "devaccess/LoginMessages.h"
#include "devaccess/NetworkConfigBlock.h"
#include "platform/Format.h"
#include "platform/Text.h"
#include "res/MainDlgRes.h"
#include "view/DeviceRow.h"
#include "view/MainView.h"
#include "view/WindowState.h"

namespace tesmara {
namespace {

constexpr long kPortLow = 1;
constexpr long kPortHigh = 65535;

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// atoi's reading (leading blanks, a sign, then digits; 0 without digits), held within a range
// that cannot overflow: anything past 65535 is treated alike.
long ReadDecimal(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || (text[i] >= L'\t' && text[i] <= L'\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        if (value <= kPortHigh) value = value * 10 + (text[i] - L'0');
    }
    return negative ? -value : value;
}

void ShowBox(MainView& view, const std::wstring& text, unsigned icon) {
    view.ShowMessage(text, L"", kBoxOk | icon);
}

}  // namespace

std::optional<std::wstring> PortEditRewrite(std::wstring_view text) {
    long value = ReadDecimal(text);
    bool rewrite = false;
    if (value < kPortLow) {
        value = kPortLow;
        rewrite = true;
    } else if (value > kPortHigh) {
        value = kPortHigh;
        rewrite = true;
    } else if (text.size() >= 2 && text[0] == L'0') {
        rewrite = true;
    } else if (!IsDigit(text.back()) || !IsDigit(text.front())) {
        rewrite = true;
    }
    if (!rewrite) return std::nullopt;
    return std::to_wstring(value);
}

void ApplyPortEditRule(DialogView& view, int editId) {
    if (std::optional<std::wstring> text = PortEditRewrite(view.ControlText(editId))) {
        view.RewriteEditText(editId, *text);
    }
}

void OnDeviceItemChanged(WindowState& dialog, int row, unsigned changedFields, unsigned newState) {
    if (changedFields != kItemChangedState || (newState & kItemSelected) == 0) return;
    MainView& view = dialog.m_view;
    view.EnableControl(IDC_MODIFY_ADDRESS, true);
    view.EnableControl(IDC_MODIFY_PORTS, true);
    const DeviceRow* device = view.DeviceOfRow(row);
    if (!device) return;
    view.SetControlText(IDC_PANEL_ADDRESS, AnsiToWide(device->ipText));
    view.SetControlText(IDC_PANEL_MASK, AnsiToWide(device->maskText));
    view.SetControlText(IDC_PANEL_GATEWAY, AnsiToWide(device->gatewayText));
    view.SetControlText(IDC_HTTP_PORT, std::to_wstring(device->httpPort));
    ApplyPortEditRule(view, IDC_HTTP_PORT);
    view.SetControlText(IDC_TCP_PORT, std::to_wstring(device->tcpPort));
    ApplyPortEditRule(view, IDC_TCP_PORT);
}

void OnDeviceTableClicked(WindowState& dialog, int row, unsigned hitFlags) {
    MainView& view = dialog.m_view;
    int rows = view.RowCount();
    if (rows == 0) return;
    if (hitFlags != kHitOnCheckBox && hitFlags != kHitOnItem) return;
    if (hitFlags == kHitOnCheckBox) view.HighlightRow(row);
    for (int id : {IDC_MODIFY_ADDRESS, IDC_MODIFY_PORTS, IDC_MODIFY_PASSWORD}) {
        view.EnableControl(id, true);
    }
    if (hitFlags != kHitOnCheckBox || !view.IsButtonChecked(IDC_ALL)) return;
    for (int i = 0; i < rows; ++i) {
        if (view.IsChecked(i)) {
            view.SetButtonChecked(IDC_ALL, false);
            return;
        }
    }
}

void RunPortChangeCommand(WindowState& dialog) {
    MainView& view = dialog.m_view;
    int row = view.RowCount() > 0 ? view.HighlightedRow() : -1;
    if (row < 0) {
        ShowBox(view, L"Please select a device!", kBoxIconWarning);
        return;
    }
    std::string user = WideToUtf8(view.ControlText(IDC_LOGIN_USER));
    std::string password = WideToUtf8(view.ControlText(IDC_LOGIN_PASSWORD));
    auto http = static_cast<uint16_t>(ReadDecimal(view.ControlText(IDC_HTTP_PORT)));
    auto tcp = static_cast<uint16_t>(ReadDecimal(view.ControlText(IDC_TCP_PORT)));
    if (http == tcp) {
        ShowBox(view, L"Port Conflicted!", kBoxIconWarning);
        return;
    }
    DeviceRow* device = view.DeviceOfRow(row);
    if (!device) return;
    const std::string& ip = device->ipText;

    DeviceSession session(dialog.m_access);
    int32_t error = 0;
    if (!session.Login(ip, device->tcpPort, user, password, error)) {
        ShowBox(view, EnglishLoginFailureLine(AnsiToWide(ip), error), kBoxIconWarning);
        return;
    }
    NetworkConfigBlock block;
    if (!session.Read(block)) {
        ShowBox(view, FormatUi("[%s] get config failed!", ip.c_str()), kBoxIconWarning);
        return;
    }
    if (block.HttpPort() == http && block.TcpPort() == tcp) return;
    block.SetHttpPort(http);
    block.SetTcpPort(tcp);
    if (!session.Write(block)) {
        const int32_t lastError = session.LastError();
        ShowBox(view, FormatUi("[%s] modify port failed！Error = %d", ip.c_str(), lastError),
                kBoxIconInformation);
        return;
    }
    view.AppendStatusLine(FormatUi("[%s] modify port successfully!", ip.c_str()),
                          StatusColour::kSuccess);
    device->tcpPort = tcp;
    device->httpPort = http;
    view.SetItemData(row, device);
    // The session ends with the restart.
    session.Access().DevReboot(session.Release());
    ShowBox(view, L"Operate completed!", kBoxIconInformation);
}

}  // namespace tesmara
