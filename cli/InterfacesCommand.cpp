#include "cli/InterfacesCommand.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/CommandSockets.h"
#include "platform/Adapters.h"
#include "platform/Address.h"

namespace tesmara::cli {
namespace {

// Characters, not bytes: Windows adapters may have non-ASCII friendly names.
size_t Width(const std::string& utf8) {
    return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string Table(const std::vector<std::vector<std::string>>& lines) {
    std::vector<size_t> widths(lines.front().size(), 0);
    for (const auto& cells : lines) {
        for (size_t i = 0; i < cells.size(); ++i) widths[i] = std::max(widths[i], Width(cells[i]));
    }
    std::string out;
    for (const auto& cells : lines) {
        std::string line;
        for (size_t i = 0; i < cells.size(); ++i) {
            line += cells[i];
            if (i + 1 < cells.size()) line += std::string(widths[i] - Width(cells[i]) + 2, ' ');
        }
        out += line + "\n";
    }
    return out;
}

}  // namespace

void AddInterfacesCommand(CLI::App& app, bool& json) {
    CLI::App* interfaces = app.add_subcommand(
        "interfaces", "list this computer's IPv4 network adapters, for --interface");
    interfaces->add_flag("--json", json, "print one JSON document: {interfaces: [...]}");
}

int RunInterfaces(bool json) {
    const std::vector<Adapter> adapters = ListAdapters();
    if (json) {
        nlohmann::json list = nlohmann::json::array();
        for (const Adapter& adapter : adapters) {
            list.push_back({{"name", adapter.name},
                            {"address", DottedAddress(adapter.address)},
                            {"mask", DottedAddress(adapter.mask)},
                            {"up", adapter.up}});
        }
        std::printf("%s\n", nlohmann::json{{"interfaces", list}}.dump(2).c_str());
    } else {
        std::vector<std::vector<std::string>> lines{{"NAME", "ADDRESS", "MASK", "STATE"}};
        for (const Adapter& adapter : adapters) {
            lines.push_back({adapter.name, DottedAddress(adapter.address),
                             DottedAddress(adapter.mask), adapter.up ? "up" : "down"});
        }
        std::fputs(Table(lines).c_str(), stdout);
    }
    std::fflush(stdout);
    if (adapters.empty()) {
        std::fputs("tesmara-cli: the system listed no IPv4 adapter\n", stderr);
        return 1;
    }
    return 0;
}

void AddInterfaceOption(CLI::App* command) {
    command
        ->add_option_function<std::string>(
            "--interface",
            [](const std::string& text) {
                uint32_t address = 0;
                CheckAdapterAddress(text, &address);
                SendFromAdapter(address);
            },
            "send the search and broadcasts out of the adapter with this address only "
            "(tesmara-cli interfaces lists them)")
        ->type_name("ADDR")
        ->check(CLI::Validator([](std::string& text) { return CheckAdapterAddress(text); }, "",
                               "adapter address"));
}

}  // namespace tesmara::cli
