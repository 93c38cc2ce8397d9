#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "cli/PasswordPrompt.h"

namespace tesmara::cli {

std::optional<std::string> PromptPassword(const char* prompt) {
    if (!isatty(STDIN_FILENO)) return std::nullopt;
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    termios saved{};
    tcgetattr(STDIN_FILENO, &saved);
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    std::string line;
    bool read = static_cast<bool>(std::getline(std::cin, line));
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::fputs("\n", stderr);
    if (!read) return std::nullopt;
    return line;
}

}  // namespace tesmara::cli
