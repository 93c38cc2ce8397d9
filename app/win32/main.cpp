// tesmara.exe: one application object, created statically, runs the whole program.
#include <windows.h>

#include "app/win32/TesmaraApp.h"
#include "platform/Sockets.h"

namespace {

tesmara::CTesmaraApp theApp(tesmara::StartSockets);

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    theApp.InitInstance();
    return 0;
}
