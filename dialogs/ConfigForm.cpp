#include "dialogs/ConfigForm.h"

#include "addressing/AddressPlanning.h"
#include "dialogs/win32/ConfigDlgRes.h"
#include "platform/Text.h"
#include "view/DialogView.h"

namespace tesmara {
namespace {

constexpr ChoiceItem kLanguages[] = {
    {L"English", 0},   {L"简体中文", 1}, {L"繁體中文", 2},  {L"Italian", 3},    {L"Spanish", 4},
    {L"Japanese", 5},  {L"Russian", 6},  {L"FRANCAIS", 7},  {L"DEUTSCHER", 8},  {L"Português", 9},
    {L"TURKEY", 10},   {L"Polish", 11},  {L"ROMANIAN", 12}, {L"HUNGARIAN", 13}, {L"FINNISH", 14},
    {L"ESTONIAN", 15}, {L"KOREAN", 16},  {L"فارسی", 17},    {L"DANSK", 18},     {L"BULGARIA", 19},
    {L"ARABIC", 20},   {L"HEBREW", 21},
};
constexpr ChoiceItem kVideoStandards[] = {{L"PAL", 0}, {L"NTSC", 1}};
constexpr ChoiceItem kResolutions[] = {
    {L"1920*1080", 0}, {L"1440*900", 5}, {L"1280*1024", 1}, {L"1280*720", 2}, {L"1024*768", 3},
};
constexpr int kDefaultLanguage = 1;
constexpr int kDefaultVideoStandard = 0;
constexpr int kDefaultResolution = 4;

// The eight setting rows: check box, the control it unlocks, its flag.
struct SettingRow {
    int box;
    int item;
    UseFlag flag;
};
constexpr SettingRow kSettingRows[] = {
    {IDC_USE_LANGUAGE, IDC_CONFIG_LANGUAGE, kUseLanguage},
    {IDC_USE_STANDARD, IDC_CONFIG_STANDARD, kUseVideoStandard},
    {IDC_USE_RESOLUTION, IDC_CONFIG_RESOLUTION, kUseOutputResolution},
    {IDC_USE_AUDIO_INPUTS, IDC_CONFIG_AUDIO_INPUTS, kUseAudioInputs},
    {IDC_USE_ALARM_INPUTS, IDC_CONFIG_ALARM_INPUTS, kUseAlarmInputs},
    {IDC_USE_ALARM_OUTPUTS, IDC_CONFIG_ALARM_OUTPUTS, kUseAlarmOutputs},
    {IDC_USE_MAX_PLAYBACK, IDC_CONFIG_MAX_PLAYBACK, kUseMaxPlayback},
    {IDC_USE_DEFAULT_PLAYBACK, IDC_CONFIG_DEFAULT_PLAYBACK, kUseDefaultPlayback},
};
// The channel-count boxes: shown, never enabled, never read.
constexpr int kInertBoxes[] = {IDC_USE_AUDIO_INPUTS, IDC_USE_ALARM_INPUTS, IDC_USE_ALARM_OUTPUTS,
                               IDC_USE_DEFAULT_PLAYBACK, IDC_USE_MAX_PLAYBACK};
constexpr int kAddressControls[] = {IDC_CONFIG_ADDRESS, IDC_CONFIG_MASK, IDC_CONFIG_GATEWAY};
constexpr int kAddressLabels[] = {IDC_CONFIG_ADDRESS_LABEL, IDC_CONFIG_MASK_LABEL,
                                  IDC_CONFIG_GATEWAY_LABEL};

void FillList(DialogView& view, int id, std::span<const ChoiceItem> items, int selected) {
    for (const ChoiceItem& item : items) view.AddListItem(id, item.text, item.data);
    view.SelectListItem(id, selected);
}

void EnableNetworkGroup(DialogView& view, bool enabled) {
    view.EnableControl(IDC_USE_NETWORK, enabled);
    for (int id : kAddressControls) view.EnableControl(id, enabled);
    for (int id : kAddressLabels) view.EnableControl(id, enabled);
}

}  // namespace

std::span<const ChoiceItem> LanguageItems() {
    return kLanguages;
}
std::span<const ChoiceItem> VideoStandardItems() {
    return kVideoStandards;
}
std::span<const ChoiceItem> ResolutionItems() {
    return kResolutions;
}

void ConfigForm::OnInit(DialogView& view) {
    view.SetButtonChecked(IDC_CONFIG_MODE_NORMAL, m_mode == kModeNormal);
    view.SetButtonChecked(IDC_CONFIG_MODE_NETWORK, m_mode == kModeNetwork);
    if (m_mode == kModeNetwork) {
        ShowNetworkLayout(view);
    } else {
        ShowNormalLayout(view);
    }
    FillList(view, IDC_CONFIG_LANGUAGE, kLanguages, kDefaultLanguage);
    FillList(view, IDC_CONFIG_STANDARD, kVideoStandards, kDefaultVideoStandard);
    FillList(view, IDC_CONFIG_RESOLUTION, kResolutions, kDefaultResolution);
    view.SetControlText(IDC_CONFIG_ADDRESS, L"192.168.1.10");
    view.SetControlText(IDC_CONFIG_MASK, L"255.255.255.0");
    view.SetControlText(IDC_CONFIG_GATEWAY, L"192.168.1.1");
    for (int id : kInertBoxes) view.EnableControl(id, false);
}

void ConfigForm::ShowNormalLayout(DialogView& view) {
    EnableNetworkGroup(view, false);
    for (const SettingRow& row : kSettingRows) {
        if (row.flag <= kUseOutputResolution) view.EnableControl(row.box, true);
    }
    for (const SettingRow& row : kSettingRows) {
        bool on = m_useFlags[row.flag] == 1;
        view.SetButtonChecked(row.box, on);
        view.EnableControl(row.item, on);
    }
}

void ConfigForm::ShowNetworkLayout(DialogView& view) {
    for (const SettingRow& row : kSettingRows) view.EnableControl(row.box, false);
    for (const SettingRow& row : kSettingRows) view.EnableControl(row.item, false);
    EnableNetworkGroup(view, true);
    m_useFlags[kUseNetwork] = 1;
    view.SetButtonChecked(IDC_USE_NETWORK, true);
}

void ConfigForm::OnUseBoxClicked(DialogView& view, int boxId) {
    bool checked = view.IsButtonChecked(boxId);
    if (boxId == IDC_USE_NETWORK) {
        for (int id : kAddressControls) view.EnableControl(id, checked);
        m_useFlags[kUseNetwork] = checked ? 1 : 0;
        return;
    }
    for (const SettingRow& row : kSettingRows) {
        if (row.box != boxId) continue;
        view.EnableControl(row.item, checked);
        m_useFlags[row.flag] = checked ? 1 : 0;
    }
}

void ConfigForm::SuggestMaskAndGateway(DialogView& view) {
    if (view.IsAddressBlank(IDC_CONFIG_ADDRESS)) return;
    std::string address = WideToAnsi(view.ControlText(IDC_CONFIG_ADDRESS));
    view.SetControlText(IDC_CONFIG_GATEWAY, AnsiToWide(GatewayForAddress(address)));
    view.SetControlText(IDC_CONFIG_MASK, AnsiToWide(MaskForAddress(address).value_or("0.0.0.0")));
}

void ConfigForm::OnSave(DialogView& view) {
    m_settings = DeviceSettings{};
    if (view.IsButtonChecked(IDC_USE_LANGUAGE)) {
        m_settings.language = view.SelectedItemData(IDC_CONFIG_LANGUAGE);
    }
    if (view.IsButtonChecked(IDC_USE_STANDARD)) {
        m_settings.videoStandard = view.SelectedItemData(IDC_CONFIG_STANDARD);
    }
    if (view.IsButtonChecked(IDC_USE_RESOLUTION)) {
        m_settings.outputResolution =
            static_cast<uint8_t>(view.SelectedItemData(IDC_CONFIG_RESOLUTION));
    }
    if (view.IsButtonChecked(IDC_USE_NETWORK)) {
        m_settings.address = WideToAnsi(view.ControlText(IDC_CONFIG_ADDRESS));
        m_settings.mask = WideToAnsi(view.ControlText(IDC_CONFIG_MASK));
        m_settings.gateway = WideToAnsi(view.ControlText(IDC_CONFIG_GATEWAY));
    }
    m_mode = view.IsButtonChecked(IDC_CONFIG_MODE_NETWORK) ? kModeNetwork : kModeNormal;
}

}  // namespace tesmara
