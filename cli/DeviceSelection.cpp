#include "cli/DeviceSelection.h"

#include <algorithm>
#include <cctype>

#include "platform/AddressText.h"
#include "platform/Text.h"
#include "view/DeviceTable.h"

namespace tesmara::cli {
namespace {

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

bool IsHex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

std::string CheckMac(const std::string& text, std::string* tableForm) {
    const std::string reason =
        Quoted(text) + " is not a MAC address (six hexadecimal pairs joined by - or :)";
    if (text.size() != 17) return reason;
    const char separator = text[2];
    if (separator != '-' && separator != ':') return reason;
    std::string form;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (i % 3 == 2) {
            if (c != separator) return reason;
            form += '-';
        } else {
            if (!IsHex(c)) return reason;
            form += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    if (tableForm) *tableForm = form;
    return {};
}

std::string CheckDeviceAddress(const std::string& text) {
    uint32_t address = 0;
    if (!ParseDottedAddress(text, address)) {
        return Quoted(text) + " is not an IPv4 address (four numbers 0-255 joined by dots)";
    }
    const uint32_t first = address >> 24;
    if (first == 0 || first >= 224) {
        return Quoted(text) + " is not a recorder's address (0.x.x.x, multicast or broadcast)";
    }
    return {};
}

std::string CheckEndpoint(const std::string& text, Endpoint* endpoint) {
    Endpoint parsed;
    const size_t colon = text.find(':');
    parsed.address = text.substr(0, colon);
    if (std::string reason = CheckDeviceAddress(parsed.address); !reason.empty()) {
        return colon == std::string::npos ? reason : Quoted(text) + ": " + reason;
    }
    if (colon != std::string::npos) {
        const std::string port = text.substr(colon + 1);
        const bool digits = !port.empty() && port.size() <= 5 && port[0] != '0' &&
                            std::all_of(port.begin(), port.end(), [](char c) {
                                return std::isdigit(static_cast<unsigned char>(c)) != 0;
                            });
        const unsigned long number = digits ? std::stoul(port) : 0;
        if (number < 1 || number > 65535) {
            return Quoted(text) + " has no port 1-65535 after the colon";
        }
        parsed.port = static_cast<uint16_t>(number);
    }
    if (endpoint) *endpoint = parsed;
    return {};
}

SelectedRows SelectRows(const Selection& selection, const std::vector<TableRow>& table) {
    SelectedRows out;
    std::vector<bool> ticked(table.size(), false);
    auto pick = [&](int column, const std::string& wanted) {
        bool found = false;
        for (size_t i = 0; i < table.size(); ++i) {
            if (WideToUtf8(table[i].cells[column]) == wanted) {
                ticked[i] = true;
                found = true;
            }
        }
        if (!found) out.notFound.push_back(wanted);
    };
    if (selection.all) ticked.assign(table.size(), true);
    for (const std::string& mac : selection.macs) pick(kColumnMac, mac);
    for (const std::string& address : selection.addresses) pick(kColumnIp, address);
    for (size_t i = 0; i < table.size(); ++i) {
        if (ticked[i]) out.rows.push_back(static_cast<int>(i));
    }
    return out;
}

}  // namespace tesmara::cli
