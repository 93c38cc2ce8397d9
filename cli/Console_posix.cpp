#include "cli/Console.h"

namespace tesmara::cli {

// Terminals here take UTF-8 as it is.
void PrepareConsole() {}

}  // namespace tesmara::cli
