// tesmara-cli's commands on one recorder, as the window's panel does them:
//
//   set-address --mac M --ip A [--mask M] [--gateway G] [--interface ADDR]
//   set-ports --ip A [--port P] --http N --tcp N [--user U] [--password-file F]
//   set-password --ip A [--port P] --account NAME [--old-password-file F] [--new-password-file F]
//
// With --dry-run each checks its options and says what it would do ("would log in as ..."), and
// sends nothing but set-address's search for the recorder: exit status 0 when it could start,
// 1 when it could not (the recorder did not answer, the ports are equal, the passwords differ).
//
// Passwords are never arguments: they come from files (first line) or, when a file is not named,
// from a prompt on the terminal without echo. Each prints the same lines as the window and one
// result line; exit status 0 done, 1 failed, 2 usage error.
#pragma once

#include <CLI.hpp>
#include <cstdint>
#include <string>

namespace tesmara::cli {

struct PanelOptions {
    std::string mac;
    std::string ip;
    std::string mask;
    std::string gateway;
    uint16_t port = 34567;  // the recorder's current login port
    uint16_t http = 0;
    uint16_t tcp = 0;
    std::string user = "admin";
    std::string passwordFile;
    std::string account;
    std::string oldPasswordFile;
    std::string newPasswordFile;
    bool dryRun = false;
};

void AddPanelCommands(CLI::App& app, PanelOptions& options);

// The exit status of `command` (the chosen subcommand's name, taken while the parser lived), or
// -1 when it is none of these.
int RunPanelCommand(const std::string& command, const PanelOptions& options);

}  // namespace tesmara::cli
