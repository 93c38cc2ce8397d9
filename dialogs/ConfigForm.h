// The configuration dialog's logic over its DialogView: what the operator chose
// for the configuration command, kept by the main window from one opening to the next.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace tesmara {

class DialogView;

// What Save hands to the configuration command. Addresses in the ANSI code page.
struct DeviceSettings {
    int32_t language = 0;          // item data of the chosen language
    int32_t videoStandard = 0;     // 0 PAL, 1 NTSC
    uint8_t outputResolution = 0;  // resolution code
    std::string address;
    std::string mask;
    std::string gateway;
};

// One flag per check box, in this order.
enum UseFlag : int {
    kUseLanguage,
    kUseVideoStandard,
    kUseOutputResolution,
    kUseAudioInputs,
    kUseAlarmInputs,
    kUseAlarmOutputs,
    kUseMaxPlayback,
    kUseDefaultPlayback,
    kUseNetwork,
    kUseFlagCount,
};

enum ConfigMode : int { kModeNormal = 0, kModeNetwork = 1 };

// A list entry: its text and the number written to the device.
struct ChoiceItem {
    const wchar_t* text;
    int32_t data;
};

// The three lists in the order they show; a language's number is its position, a resolution's is
// not.
std::span<const ChoiceItem> LanguageItems();
std::span<const ChoiceItem> VideoStandardItems();
std::span<const ChoiceItem> ResolutionItems();

class ConfigForm {
  public:
    // Dialog initialisation: radio choice, layout, lists and addresses at their defaults.
    void OnInit(DialogView& view);
    void ShowNormalLayout(DialogView& view);
    void ShowNetworkLayout(DialogView& view);
    // A click on one of the setting check boxes.
    void OnUseBoxClicked(DialogView& view, int boxId);
    // A field of the address control changed.
    void SuggestMaskAndGateway(DialogView& view);
    // Save: takes the chosen values and the radio choice; the caller then closes with OK.
    void OnSave(DialogView& view);

    DeviceSettings m_settings;
    std::array<int, kUseFlagCount> m_useFlags{};
    int m_mode = kModeNormal;
};

}  // namespace tesmara
