// The modal dialogs answered from a script, with a record of which ones were run.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/ConfigForm.h"
#include "view/Dialogs.h"

namespace tesmara::testing {

class ScriptedDialogs : public Dialogs {
  public:
    bool ConfirmOwnAddress() override {
        ++ownAddressRuns;
        return confirmOwnAddress;
    }
    // The next scripted file, or none (cancelled) when the script has run out.
    std::optional<std::wstring> ChooseFile(FileKind kind) override {
        chosenKinds.push_back(kind);
        if (files.empty()) return std::nullopt;
        std::optional<std::wstring> file = files.front();
        files.pop_front();
        return file;
    }

    bool EditPassword(DeviceAccess&, const PasswordTarget& target) override {
        passwordTargets.push_back(target);
        return passwordChanged;
    }

    // Plays the operator: changes the form as the dialog would and answers Save (true) or Cancel.
    bool EditConfig(ConfigForm& form) override {
        ++configRuns;
        return config ? config(form) : false;
    }

    // The next scripted recorder, or none (cancelled) when the script has run out.
    std::optional<AddedDevice> AddDevice(DeviceAccess&) override {
        ++addDeviceRuns;
        if (addedDevices.empty()) return std::nullopt;
        std::optional<AddedDevice> added = addedDevices.front();
        addedDevices.pop_front();
        return added;
    }

    bool confirmOwnAddress = true;
    int ownAddressRuns = 0;
    std::deque<std::optional<std::wstring>> files;
    std::vector<FileKind> chosenKinds;
    bool passwordChanged = false;
    std::vector<PasswordTarget> passwordTargets;
    std::function<bool(ConfigForm&)> config;
    int configRuns = 0;
    std::deque<AddedDevice> addedDevices;
    int addDeviceRuns = 0;
};

}  // namespace tesmara::testing
