#include "devsim/TestLan.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>

namespace tesmara::devsim {

namespace {

// The namespace's own interfaces (/sys/class/net would show the host's).
std::set<std::string> OwnInterfaces() {
    std::set<std::string> names;
    std::ifstream dev("/proc/net/dev");
    std::string line;
    for (int header = 0; header < 2 && std::getline(dev, line); ++header) {
    }
    while (std::getline(dev, line)) {
        auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string name = line.substr(0, colon);
        name.erase(std::remove_if(name.begin(), name.end(),
                                  [](unsigned char c) { return std::isspace(c); }),
                   name.end());
        names.insert(name);
    }
    return names;
}

std::string NamespaceId() {
    char target[128] = {};
    ssize_t n = readlink("/proc/self/ns/net", target, sizeof target - 1);
    if (n <= 0) return {};
    std::string digits;
    for (char c : std::string(target, static_cast<size_t>(n))) {
        if (std::isdigit(static_cast<unsigned char>(c))) digits += c;
    }
    return digits;
}

}  // namespace

std::string WhyNotInsideTestLan() {
    const char* marker = std::getenv("TESMARA_TESTLAN");
    if (!marker || !*marker) return "TESMARA_TESTLAN is not set";
    if (NamespaceId() != marker) return "TESMARA_TESTLAN names another network namespace";
    std::set<std::string> own = OwnInterfaces();
    if (own != std::set<std::string>{"lo", "tlan0", "tlan1", "tlan2", "tlan3"}) {
        std::string list;
        for (const auto& name : own) list += " " + name;
        return "this namespace has the interfaces" + list;
    }
    return {};
}

}  // namespace tesmara::devsim
