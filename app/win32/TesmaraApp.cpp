#include "app/win32/TesmaraApp.h"

#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "app/win32/TesmaraDlg.h"
#include "devaccess/DeviceAccessFactory.h"
#include "platform/Clock.h"
#include "platform/Sockets.h"
#include "res/MainDlgRes.h"
#include "ui/Dialog.h"

namespace tesmara {
namespace {

constexpr DWORD kAllStandardClasses = 0xFF;

}  // namespace

CTesmaraApp::CTesmaraApp(SocketStart startSockets) : m_startSockets(startSockets) {}

bool CTesmaraApp::InitInstance() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = kAllStandardClasses;
    InitCommonControlsEx(&controls);

    if (!m_startSockets()) {
        wchar_t text[256] = {};
        LoadStringW(ui::ResourceModule(), IDP_SOCKETS_INIT_FAILED, text, 256);
        ::MessageBoxW(nullptr, text, L"", MB_OK);
        return false;
    }

    m_registryKey = L"应用程序向导生成的本地应用程序";

    std::unique_ptr<DeviceAccess> access = CreateDeviceAccess();
    {
        CTesmaraDlg dialog(SystemSockets(), SystemClock(), *access);
        dialog.RunModal(nullptr);
    }
    return false;
}

}  // namespace tesmara
