#include <windows.h>

#include "cli/Console.h"

namespace tesmara::cli {

void PrepareConsole() {
    ::SetConsoleOutputCP(CP_UTF8);
}

}  // namespace tesmara::cli
