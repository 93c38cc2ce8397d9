#include <windows.h>

#include "cli/Console.h"

namespace tesmara::cli {
namespace {

// 0 while no code page was changed (no console, or the change failed).
UINT g_previousOutputCodePage = 0;

void RestoreOutputCodePage() {
    if (g_previousOutputCodePage != 0) ::SetConsoleOutputCP(g_previousOutputCodePage);
}

BOOL WINAPI RestoreOnBreak(DWORD) {
    RestoreOutputCodePage();
    return FALSE;  // then the default handling ends the process
}

}  // namespace

ConsoleOutput::ConsoleOutput() {
    UINT previous = ::GetConsoleOutputCP();
    if (previous == 0 || !::SetConsoleOutputCP(CP_UTF8)) return;
    g_previousOutputCodePage = previous;
    ::SetConsoleCtrlHandler(RestoreOnBreak, TRUE);
}

ConsoleOutput::~ConsoleOutput() {
    ::SetConsoleCtrlHandler(RestoreOnBreak, FALSE);
    RestoreOutputCodePage();
    g_previousOutputCodePage = 0;
}

}  // namespace tesmara::cli
