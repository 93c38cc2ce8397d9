#include "cli/PasswordPrompt.h"

#include <fstream>

namespace tesmara::cli {

std::optional<std::string> ReadPasswordFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string line;
    std::getline(file, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace tesmara::cli
