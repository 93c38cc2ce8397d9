// Makes the console show the UTF-8 this program writes while it runs, and gives the console its
// own output code page back afterwards (also when the program is ended by Ctrl+C): the console
// outlives the program and other programs in it expect their code page.
#pragma once

namespace tesmara::cli {

class ConsoleOutput {
  public:
    ConsoleOutput();
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;
};

}  // namespace tesmara::cli
