#include "cli/AddCommand.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "cli/ConsoleMainView.h"
#include "cli/DeviceSelection.h"
#include "cli/PasswordPrompt.h"
#include "devaccess/DeviceAccessFactory.h"
#include "dialogs/AddDeviceForm.h"
#include "dialogs/win32/AddDeviceDlgRes.h"
#include "platform/Text.h"

namespace tesmara::cli {
namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

std::optional<std::string> LoginPassword(const std::string& file, const std::string& user) {
    if (!file.empty()) return ReadPasswordFile(file);
    if (const char* fromEnvironment = std::getenv("TESMARA_PASSWORD")) return fromEnvironment;
    return PromptPassword(("Password for " + user + ": ").c_str());
}

}  // namespace

void AddAddCommand(CLI::App& app, AddOptions& options) {
    CLI::App* add = app.add_subcommand(
        "add", "log in to one recorder by its address and print the row the window would add");
    add->add_option("--device", options.device, "the recorder (port 34567 unless given)")
        ->type_name("IP[:PORT]")
        ->required()
        ->check(
            CLI::Validator([](std::string& text) { return CheckEndpoint(text); }, "", "device"));
    add->add_option("--user", options.user, "login name (default admin)")->type_name("NAME");
    add->add_option("--password-file", options.passwordFile,
                    "read the password from the first line of FILE (otherwise from "
                    "TESMARA_PASSWORD, or asked for without echo)")
        ->type_name("FILE");
    add->add_flag("--dry-run", options.dryRun,
                  "check the options and say what would be done; send nothing");
}

int RunAddCommand(const AddOptions& options) {
    Endpoint endpoint;
    CheckEndpoint(options.device, &endpoint);
    std::optional<std::string> password = LoginPassword(options.passwordFile, options.user);
    if (!password) {
        std::fprintf(
            stderr, "tesmara-cli: %s\n",
            options.passwordFile.empty()
                ? "no password: give --password-file FILE or set TESMARA_PASSWORD"
                : ("--password-file: cannot read \"" + options.passwordFile + "\"").c_str());
        return kUsage;
    }
    if (options.dryRun) {
        std::printf(
            "add: would log in as %s to %s:%u and read the network settings of the row "
            "the window would add\n",
            options.user.c_str(), endpoint.address.c_str(), static_cast<unsigned>(endpoint.port));
        std::fflush(stdout);
        return kDone;
    }
    auto access = CreateDeviceAccess();
    access->DevInit(nullptr, nullptr);
    ConsoleMainView form(stdout);
    InitAddDeviceForm(form);
    form.SetControlText(IDC_ADD_ADDRESS, AnsiToWide(endpoint.address));
    form.SetControlText(IDC_ADD_PORT, std::to_wstring(endpoint.port));
    form.SetControlText(IDC_ADD_USER, Utf8ToWide(options.user));
    form.SetControlText(IDC_ADD_PASSWORD, Utf8ToWide(*password));
    std::optional<AddedDevice> added = RunAddDeviceOk(form, *access);
    if (!added) {
        std::printf("add: FAILED: %s\n", endpoint.address.c_str());
        std::fflush(stdout);
        return kFailed;
    }
    std::printf(
        "add: done: MAC %s IP %s mask %s gateway %s http %u\n",
        WideToUtf8(added->macAddress).c_str(), WideToUtf8(AnsiToWide(added->ipAddress)).c_str(),
        WideToUtf8(AnsiToWide(added->subnetMask)).c_str(),
        WideToUtf8(AnsiToWide(added->gateway)).c_str(), static_cast<unsigned>(added->httpPort));
    std::fflush(stdout);
    return kDone;
}

}  // namespace tesmara::cli
