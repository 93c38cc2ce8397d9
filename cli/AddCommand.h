// tesmara-cli's add command: the add-device dialog without a window.
//
//   add --device IP[:PORT] [--user NAME] [--password-file FILE] [--dry-run]
//
// Logs in as the dialog's OK does, reads the recorder's network settings and prints the table row
// the window would add (MAC, address, mask, gateway, HTTP port). The password comes from the file
// (first line), else TESMARA_PASSWORD, else a prompt without echo. Exit status 0 read, 1 the
// login or the read failed (its message printed as the window shows it), 2 usage error. With
// --dry-run it takes the password as usual, says what it would do and sends nothing (exit 0).
#pragma once

#include <CLI.hpp>
#include <string>

namespace tesmara::cli {

struct AddOptions {
    std::string device;
    std::string user = "admin";
    std::string passwordFile;
    bool dryRun = false;
};

void AddAddCommand(CLI::App& app, AddOptions& options);

// The exit status of the add command.
int RunAddCommand(const AddOptions& options);

}  // namespace tesmara::cli
