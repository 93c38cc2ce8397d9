// Reading a password: the first line of a file, or typed on the terminal without echo.
#pragma once

#include <optional>
#include <string>

namespace tesmara::cli {

// The file's first line without its line end; none when it cannot be read.
std::optional<std::string> ReadPasswordFile(const std::string& path);

// Asks on the terminal with echo off; none when there is no terminal to ask.
std::optional<std::string> PromptPassword(const char* prompt);

}  // namespace tesmara::cli
