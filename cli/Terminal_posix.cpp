#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "cli/Terminal.h"

namespace tesmara::cli {

bool OutputIsTerminal() {
    return isatty(STDOUT_FILENO) == 1;
}

int TerminalHeight() {
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_row > 0) return size.ws_row;
    return 24;
}

bool ReadHiddenLine(const char* prompt, std::string& line) {
    if (isatty(STDIN_FILENO) != 1) return false;
    termios saved{};
    if (tcgetattr(STDIN_FILENO, &saved) != 0) return false;
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    std::getline(std::cin, line);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::fputs("\n", stderr);
    return true;
}

}  // namespace tesmara::cli
