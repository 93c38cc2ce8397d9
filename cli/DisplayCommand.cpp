#include "cli/DisplayCommand.h"

#include <cstdio>
#include <memory>
#include <span>
#include <vector>

#include "cli/CommandSockets.h"
#include "cli/ConsoleMainView.h"
#include "cli/ConsoleSearch.h"
#include "cli/DeviceSelection.h"
#include "devaccess/DeviceAccessFactory.h"
#include "dialogs/ConfigCommand.h"
#include "dialogs/ConfigForm.h"
#include "platform/Clock.h"
#include "platform/Sockets.h"
#include "platform/Text.h"
#include "res/MainDlgRes.h"
#include "view/DeviceRow.h"
#include "view/DeviceTable.h"
#include "view/WindowState.h"

namespace tesmara::cli {
namespace {

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The item whose text is `text` (ASCII letters in any case), or none.
const ChoiceItem* FindItem(std::span<const ChoiceItem> items, const std::string& text) {
    for (const ChoiceItem& item : items) {
        if (LowerAscii(WideToUtf8(item.text)) == LowerAscii(text)) return &item;
    }
    return nullptr;
}

bool AllDigits(const std::string& text) {
    if (text.empty() || text.size() > 3) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

std::string Known(std::span<const ChoiceItem> items) {
    std::string list;
    for (const ChoiceItem& item : items) list += (list.empty() ? "" : ", ") + WideToUtf8(item.text);
    return list;
}

// The rows the options choose, ticked; what was asked for and not found goes to `missing`.
int TickChosenRows(const BatchOptions& options, WindowState& dialog, ConsoleMainView& view,
                   std::vector<std::string>& missing) {
    if (!options.endpoints.empty()) {
        for (const Endpoint& endpoint : options.endpoints) {
            DeviceRow& device = dialog.m_addedDevices.emplace_back();
            device.shown = 1;
            device.ipText = endpoint.address;
            device.tcpPort = endpoint.port;
            view.SetChecked(AppendDeviceRow(view, &device), true);
        }
        return static_cast<int>(options.endpoints.size());
    }
    SegmentSearch search = SearchSegment(SearchJob{}, CommandSockets(), SystemClock(), stdout);
    if (!search.completed) return -1;
    dialog.m_devices = std::move(search.devices);
    FillDeviceTable(view, dialog.m_devices);
    const SelectedRows picked = SelectRows(options.selection, view.Rows());
    for (int row : picked.rows) view.SetChecked(row, true);
    missing = picked.notFound;
    return static_cast<int>(picked.rows.size());
}

// The item text of `data`: the setting as the dialog lists it.
std::string ItemText(std::span<const ChoiceItem> items, int32_t data) {
    for (const ChoiceItem& item : items) {
        if (item.data == data) return WideToUtf8(item.text);
    }
    return std::to_string(data);
}

std::string SettingsText(const DisplayChoice& choice) {
    std::string text;
    auto add = [&text](const char* name, const std::string& value) {
        text += (text.empty() ? "" : ", ") + std::string(name) + " " + value;
    };
    if (choice.language) add("menu language", ItemText(LanguageItems(), *choice.language));
    if (choice.standard) add("video standard", ItemText(VideoStandardItems(), *choice.standard));
    if (choice.resolution) add("resolution", ItemText(ResolutionItems(), *choice.resolution));
    return text;
}

// One line per ticked row: what the configuration command would do to it.
void PrintDryRun(ConsoleMainView& view, const BatchOptions& options, const DisplayChoice& choice) {
    for (int row = 0; row < view.RowCount(); ++row) {
        const DeviceRow* device = view.IsChecked(row) ? view.DeviceOfRow(row) : nullptr;
        if (!device) continue;
        const std::string mac = device->macText.empty() ? "" : " (MAC " + device->macText + ")";
        std::printf(
            "set-display: would log in as %s to %s:%u%s, read its display settings and "
            "write %s\n",
            options.user.c_str(), WideToUtf8(AnsiToWide(device->ipText)).c_str(),
            static_cast<unsigned>(device->tcpPort), mac.c_str(), SettingsText(choice).c_str());
    }
    std::fflush(stdout);
}

}  // namespace

std::string ParseLanguage(const std::string& text, DisplayChoice& choice) {
    std::span<const ChoiceItem> items = LanguageItems();
    if (AllDigits(text)) {
        int n = std::stoi(text);
        if (n < static_cast<int>(items.size())) {
            choice.language = items[static_cast<size_t>(n)].data;
            return {};
        }
    } else if (const ChoiceItem* item = FindItem(items, text)) {
        choice.language = item->data;
        return {};
    }
    return "--language: " + text + " is not a language (0-21 or one of: " + Known(items) + ")";
}

std::string ParseStandard(const std::string& text, DisplayChoice& choice) {
    if (const ChoiceItem* item = FindItem(VideoStandardItems(), text)) {
        choice.standard = item->data;
        return {};
    }
    return "--standard: " + text + " is not a video standard (PAL or NTSC)";
}

std::string ParseResolution(const std::string& text, DisplayChoice& choice) {
    if (const ChoiceItem* item = FindItem(ResolutionItems(), text)) {
        choice.resolution = static_cast<uint8_t>(item->data);
        return {};
    }
    return "--resolution: " + text + " is not a resolution (" + Known(ResolutionItems()) + ")";
}

int RunSetDisplay(const BatchOptions& options, const DisplayChoice& choice) {
    if (!StartSockets()) {
        std::fputs("tesmara-cli: the sockets layer did not start\n", stderr);
        return 1;
    }
    ConsoleMainView view(stdout);
    view.SetMessageEcho(false);
    ConsoleDialogs dialogs;
    dialogs.config = [&choice](ConfigForm& form) {
        form.m_mode = kModeNormal;
        form.m_useFlags = {};
        form.m_settings = DeviceSettings{};
        form.m_useFlags[kUseLanguage] = choice.language.has_value();
        form.m_useFlags[kUseVideoStandard] = choice.standard.has_value();
        form.m_useFlags[kUseOutputResolution] = choice.resolution.has_value();
        form.m_settings.language = choice.language.value_or(0);
        form.m_settings.videoStandard = choice.standard.value_or(0);
        form.m_settings.outputResolution = choice.resolution.value_or(0);
        return true;
    };
    std::unique_ptr<DeviceAccess> access = CreateDeviceAccess();
    access->DevInit(nullptr, nullptr);
    auto dialog =
        std::make_unique<WindowState>(view, dialogs, CommandSockets(), SystemClock(), *access);

    std::vector<std::string> missing;
    int chosen = TickChosenRows(options, *dialog, view, missing);
    if (chosen < 0) {
        std::fputs("tesmara-cli: the search failed; nothing was sent\n", stderr);
        return 1;
    }
    for (const std::string& name : missing) {
        std::fprintf(stderr, "tesmara-cli: %s: not found by the search\n", name.c_str());
    }
    if (chosen == 0) {
        std::fputs("tesmara-cli: no recorder selected; nothing was sent\n", stderr);
        return 1;
    }
    if (options.dryRun) {
        PrintDryRun(view, options, choice);
        return missing.empty() ? 0 : 1;
    }
    view.SetControlText(IDC_LOGIN_USER, Utf8ToWide(options.user));
    view.SetControlText(IDC_LOGIN_PASSWORD, Utf8ToWide(options.password));
    ConfigForm form;
    const ConfigRun run = RunConfigCommand(*dialog, form);

    for (const std::wstring& message : view.Messages()) {
        std::printf("%s\n", WideToUtf8(message).c_str());
    }
    std::fflush(stdout);
    return missing.empty() && run.completed && run.failed == 0 ? 0 : 1;
}

}  // namespace tesmara::cli
