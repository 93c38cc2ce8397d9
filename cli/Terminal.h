// What the batch commands need of the terminal they may run in: whether output goes to one (and
// how many lines it shows), and a line read from it without echo, for the password.
#pragma once

#include <string>

namespace tesmara::cli {

// True when standard output is a terminal that takes the cursor movements of the live display.
bool OutputIsTerminal();

// Lines the terminal shows; 24 when it does not say.
int TerminalHeight();

// Shows `prompt` on standard error and reads one line from the terminal without echoing it.
// False when standard input is not a terminal.
bool ReadHiddenLine(const char* prompt, std::string& line);

}  // namespace tesmara::cli
