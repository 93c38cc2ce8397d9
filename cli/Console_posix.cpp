#include "cli/Console.h"

namespace tesmara::cli {

// Terminals here take UTF-8 as it is.
ConsoleOutput::ConsoleOutput() = default;
ConsoleOutput::~ConsoleOutput() = default;

}  // namespace tesmara::cli
