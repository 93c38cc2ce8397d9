#include "cli/PanelCommands.h"

#include <cctype>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "addressing/AddressPlanning.h"
#include "addressing/StartAddress.h"
#include "cli/CommandSockets.h"
#include "cli/ConsoleMainView.h"
#include "cli/DeviceSelection.h"
#include "cli/InterfacesCommand.h"
#include "cli/PasswordPrompt.h"
#include "devaccess/DeviceAccessFactory.h"
#include "discovery/SearchDatagrams.h"
#include "discovery/SearchSockets.h"
#include "netcfg/AddressChangeCommand.h"
#include "netcfg/DeviceByMac.h"
#include "netcfg/PasswordForm.h"
#include "netcfg/PortPanel.h"
#include "netcfg/win32/PasswordDlgRes.h"
#include "platform/Address.h"
#include "platform/AddressText.h"
#include "platform/Clock.h"
#include "platform/Sockets.h"
#include "platform/Text.h"
#include "res/MainDlgRes.h"
#include "view/DeviceRow.h"
#include "view/WindowState.h"

namespace tesmara::cli {
namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

// Strict: the sockets library's own parse would read 010.001.001.030 as octal.
CLI::Validator DottedQuad() {
    return CLI::Validator(
        [](std::string& text) {
            uint32_t address = 0;
            return ParseDottedAddress(text, address) ? std::string()
                                                     : text + " is not a dotted IPv4 address";
        },
        "", "IPv4 address");
}

CLI::Validator RecorderAddress() {
    return CLI::Validator([](std::string& text) { return CheckDeviceAddress(text); }, "",
                          "IPv4 address");
}

// The MAC in the table's form (00-1A-2B-3C-4D-5E), from any spelling of its twelve hex digits.
std::optional<std::string> DashedMac(const std::string& text) {
    std::string key = MacKey(text);
    if (key.size() != 12) return std::nullopt;
    std::string dashed;
    for (size_t i = 0; i < key.size(); ++i) {
        char c = key[i];
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
        if (i > 0 && i % 2 == 0) dashed += '-';
        dashed += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return dashed;
}

// The console window that also remembers what its message boxes said.
class PanelView : public ConsoleMainView {
  public:
    PanelView() : ConsoleMainView(stdout) {}
    int ShowMessage(std::wstring_view text, std::wstring_view caption, unsigned style) override {
        boxes.emplace_back(text);
        return ConsoleMainView::ShowMessage(text, caption, style);
    }
    std::vector<std::wstring> boxes;
};

int Result(const char* command, bool ok, const std::string& what) {
    std::printf("%s: %s %s\n", command, ok ? "done:" : "FAILED:", what.c_str());
    std::fflush(stdout);
    return ok ? kDone : kFailed;
}

// What a dry run would have done, or why it could not start.
int DryRun(const char* command, bool ok, const std::string& what) {
    std::printf("%s: %s%s\n", command, ok ? "would " : "would not start: ", what.c_str());
    std::fflush(stdout);
    return ok ? kDone : kFailed;
}

// The command's own search for the recorder (its MAC in a basic reply within 3 s), and no more.
int DryRunSetAddress(const std::string& mac, const std::string& change) {
    SearchSockets sockets;
    bool heard = OpenSearchSockets(CommandSockets(), sockets) == 0;
    const uint32_t start = SystemClock().NowMs();
    heard = heard && sockets.Broadcast(kBasicSearchMagic, kMagicSize) &&
            WaitForDevice(sockets, SystemClock(), MacKey(mac), start) == Heard::kYes;
    sockets.Close();
    if (!heard) return DryRun("set-address", false, "MAC " + mac + " did not answer the search");
    return DryRun("set-address", true, "broadcast an address change for MAC " + mac + change);
}

std::string LastBox(const PanelView& view) {
    return view.boxes.empty() ? std::string() : WideToUtf8(view.boxes.back());
}

// A password from its file, or asked for; false (reported) when neither is possible.
bool GetPassword(const std::string& file, const char* prompt, std::string& out) {
    std::optional<std::string> password =
        file.empty() ? PromptPassword(prompt) : ReadPasswordFile(file);
    if (!password) {
        std::fprintf(stderr, "tesmara-cli: %s\n",
                     file.empty() ? "no password file given and no terminal to ask on"
                                  : ("cannot read " + file).c_str());
        return false;
    }
    out = *password;
    return true;
}

// One row, highlighted, for the device the command names.
void ShowDevice(PanelView& view, DeviceRow& device) {
    view.InsertRow(0, L"1");
    view.SetItemData(0, &device);
    view.HighlightRow(0);
}

int RunSetAddress(const PanelOptions& options) {
    std::optional<std::string> mac = DashedMac(options.mac);
    if (!mac) {
        std::fprintf(stderr, "tesmara-cli: --mac %s is not six hex bytes\n", options.mac.c_str());
        return kUsage;
    }
    std::string mask = options.mask;
    if (mask.empty()) {
        std::optional<std::string> proposed = MaskForAddress(options.ip);
        if (!proposed) {
            std::fprintf(stderr, "tesmara-cli: no mask follows from %s; give --mask\n",
                         options.ip.c_str());
            return kUsage;
        }
        mask = *proposed;
    }
    std::string gateway = options.gateway.empty() ? GatewayForAddress(options.ip) : options.gateway;
    NetworkSettings settings;
    if (std::string reason = CheckNetworkSettings(options.ip, mask, gateway, settings);
        !reason.empty()) {
        std::fprintf(stderr, "tesmara-cli: set-address: %s\n", reason.c_str());
        return kUsage;
    }
    // What the datagram carries, in the form it is shown and reported.
    const std::string address = DottedAddress(settings.address);
    mask = DottedAddress(settings.mask);
    gateway = DottedAddress(settings.gateway);
    if (!StartSockets()) return Result("set-address", false, "the sockets layer did not start");
    if (options.dryRun) {
        return DryRunSetAddress(*mac, " to " + address + " mask " + mask + " gateway " + gateway);
    }
    PanelView view;
    ConsoleDialogs dialogs;
    auto access = CreateDeviceAccess();
    auto dialog =
        std::make_unique<WindowState>(view, dialogs, CommandSockets(), SystemClock(), *access);
    // The lines name the device by its MAC: its old address is not known here.
    DeviceRow device;
    device.shown = 1;
    device.macText = *mac;
    device.ipText = *mac;
    ShowDevice(view, device);
    view.SetControlText(IDC_PANEL_ADDRESS, AnsiToWide(address));
    view.SetControlText(IDC_PANEL_MASK, AnsiToWide(mask));
    view.SetControlText(IDC_PANEL_GATEWAY, AnsiToWide(gateway));
    RunAddressChangeCommand(*dialog);
    bool ok = LastBox(view) == "Operate completed!" && !view.Log().empty() &&
              view.Log().back().colour == StatusColour::kSuccess;
    return Result("set-address", ok,
                  *mac + " -> " + address + " mask " + mask + " gateway " + gateway);
}

int RunSetPorts(const PanelOptions& options) {
    std::string password;
    if (!options.passwordFile.empty() && !GetPassword(options.passwordFile, "", password)) {
        return kUsage;
    }
    if (options.dryRun) {
        if (options.http == options.tcp) {
            return DryRun("set-ports", false,
                          "the HTTP and TCP ports are the same (Port Conflicted!)");
        }
        return DryRun("set-ports", true,
                      "log in as " + options.user + " to " + options.ip + ":" +
                          std::to_string(options.port) + ", set HTTP port " +
                          std::to_string(options.http) + " and TCP port " +
                          std::to_string(options.tcp) + ", and restart the recorder");
    }
    PanelView view;
    ConsoleDialogs dialogs;
    auto access = CreateDeviceAccess();
    access->DevInit(nullptr, nullptr);
    auto dialog =
        std::make_unique<WindowState>(view, dialogs, SystemSockets(), SystemClock(), *access);
    DeviceRow device;
    device.shown = 1;
    device.ipText = options.ip;
    device.tcpPort = options.port;
    ShowDevice(view, device);
    view.SetControlText(IDC_LOGIN_USER, Utf8ToWide(options.user));
    view.SetControlText(IDC_LOGIN_PASSWORD, Utf8ToWide(password));
    view.SetControlText(IDC_HTTP_PORT, std::to_wstring(options.http));
    view.SetControlText(IDC_TCP_PORT, std::to_wstring(options.tcp));
    RunPortChangeCommand(*dialog);
    std::string what = options.ip + " http " + std::to_string(options.http) + " tcp " +
                       std::to_string(options.tcp);
    if (view.boxes.empty() && view.Log().empty()) {
        return Result("set-ports", true, what + " (already so)");
    }
    return Result("set-ports", LastBox(view) == "Operate completed!", what);
}

int RunSetPassword(const PanelOptions& options) {
    std::string oldPassword, newPassword, confirm;
    if (!GetPassword(options.oldPasswordFile, "Old password: ", oldPassword) ||
        !GetPassword(options.newPasswordFile, "New password: ", newPassword)) {
        return kUsage;
    }
    confirm = newPassword;
    if (options.newPasswordFile.empty() &&
        !GetPassword(options.newPasswordFile, "Confirm: ", confirm)) {
        return kUsage;
    }
    // A password goes to the device exactly as given: one that does not fit the device's field
    // is refused, never cut, and one that is not UTF-8 would not survive the form's wide text.
    for (const std::string* password : {&oldPassword, &newPassword, &confirm}) {
        if (WideToUtf8(Utf8ToWide(*password)) != *password) {
            std::fputs("tesmara-cli: set-password: a password is not UTF-8 text\n", stderr);
            return kUsage;
        }
        if (!FitsPasswordField(*password)) {
            std::fprintf(stderr,
                         "tesmara-cli: set-password: a password of %zu bytes does not fit; at most "
                         "%zu bytes (UTF-8)\n",
                         password->size(), kPasswordFieldSize - 1);
            return kUsage;
        }
    }
    if (options.dryRun) {
        if (newPassword != confirm) {
            return DryRun("set-password", false, "the new password and its confirmation differ");
        }
        return DryRun("set-password", true,
                      "log in as " + options.account + " to " + options.ip + ":" +
                          std::to_string(options.port) + " and change the password of account " +
                          options.account);
    }
    PanelView form;
    auto access = CreateDeviceAccess();
    access->DevInit(nullptr, nullptr);
    // The account as the dialog's text rule leaves it; the passwords as they are.
    std::wstring account = Utf8ToWide(options.account);
    form.SetControlText(IDC_PASSWORD_USER, LimitEditRewrite(account).value_or(account));
    form.SetControlText(IDC_PASSWORD_OLD, Utf8ToWide(oldPassword));
    form.SetControlText(IDC_PASSWORD_NEW, Utf8ToWide(newPassword));
    form.SetControlText(IDC_PASSWORD_CONFIRM, Utf8ToWide(confirm));
    bool ok = RunPasswordOk(form, *access, {options.ip, options.port}, [] {});
    std::string what = options.account + " on " + options.ip;
    if (!ok && form.boxes.empty()) what += " (no such account)";
    return Result("set-password", ok, what);
}

}  // namespace

void AddPanelCommands(CLI::App& app, PanelOptions& options) {
    CLI::App* setAddress = app.add_subcommand(
        "set-address", "give one recorder a new address by broadcast, without logging in");
    setAddress->add_option("--mac", options.mac, "the recorder's MAC address")->required();
    setAddress->add_option("--ip", options.ip, "the new address")->required()->check(DottedQuad());
    setAddress
        ->add_option("--mask", options.mask, "the new subnet mask (default: from the address)")
        ->check(DottedQuad());
    setAddress->add_option("--gateway", options.gateway, "the new gateway (default: A.B.C.1)")
        ->check(DottedQuad());
    AddInterfaceOption(setAddress);

    CLI::App* setPorts = app.add_subcommand("set-ports", "change a recorder's HTTP and TCP ports");
    setPorts->add_option("--ip", options.ip, "the recorder's address")
        ->required()
        ->check(RecorderAddress());
    setPorts->add_option("--port", options.port, "its login port now (default 34567)")
        ->check(CLI::Range(1, 65535));
    setPorts->add_option("--http", options.http, "the new HTTP port")
        ->required()
        ->check(CLI::Range(1, 65535));
    setPorts->add_option("--tcp", options.tcp, "the new TCP (login) port")
        ->required()
        ->check(CLI::Range(1, 65535));
    setPorts->add_option("--user", options.user, "login user (default admin)");
    setPorts->add_option("--password-file", options.passwordFile,
                         "file whose first line is the login password (default: empty)");

    CLI::App* setPassword =
        app.add_subcommand("set-password", "change the password of an account on a recorder");
    setPassword->add_option("--ip", options.ip, "the recorder's address")
        ->required()
        ->check(RecorderAddress());
    setPassword->add_option("--port", options.port, "its login port (default 34567)")
        ->check(CLI::Range(1, 65535));
    setPassword->add_option("--account", options.account, "the account")->required();
    setPassword->add_option("--old-password-file", options.oldPasswordFile,
                            "file holding the current password (default: asked for)");
    setPassword->add_option("--new-password-file", options.newPasswordFile,
                            "file holding the new password (default: asked for twice)");
    for (CLI::App* command : {setAddress, setPorts, setPassword}) {
        command->add_flag("--dry-run", options.dryRun,
                          "check the options and say what would be done; send nothing (the "
                          "address change still searches for the recorder)");
    }
}

int RunPanelCommand(const std::string& command, const PanelOptions& options) {
    if (command == "set-address") return RunSetAddress(options);
    if (command == "set-ports") return RunSetPorts(options);
    if (command == "set-password") return RunSetPassword(options);
    return -1;
}

}  // namespace tesmara::cli
