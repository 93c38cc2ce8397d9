// Which recorders a batch command works on, as given on its command line: MAC and address lists
// matched against a search, or addresses (with their login ports) dialled without one. Every
// text is checked whole before anything is sent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "view/InMemoryMainView.h"

namespace tesmara::cli {

// The login port recorders use unless told otherwise.
inline constexpr uint16_t kDefaultLoginPort = 34567;

// A MAC as six hexadecimal pairs joined by '-' or ':' (one kind throughout), in the table's form
// "00-1A-2B-3C-4D-5E". An empty reason means the text was good.
std::string CheckMac(const std::string& text, std::string* tableForm = nullptr);

// A recorder's address: four numbers 0-255, not 0.x.x.x and not multicast or broadcast.
std::string CheckDeviceAddress(const std::string& text);

struct Endpoint {
    std::string address;
    uint16_t port = kDefaultLoginPort;
};

// "IP" or "IP:PORT" with a port 1-65535.
std::string CheckEndpoint(const std::string& text, Endpoint* endpoint = nullptr);

// What a search-based selection asks for: every row, or the rows of these MACs or addresses.
struct Selection {
    bool all = false;
    std::vector<std::string> macs;       // table form
    std::vector<std::string> addresses;  // dotted
};

struct SelectedRows {
    std::vector<int> rows;              // table rows to tick, in table order
    std::vector<std::string> notFound;  // asked for, not in the table (as given)
};

// The rows `selection` names among the search's `table` (a row named twice is ticked once).
SelectedRows SelectRows(const Selection& selection, const std::vector<TableRow>& table);

}  // namespace tesmara::cli
