// "修改配置": runs the configuration dialog, then applies its choice to every checked row in
// table order — by broadcast to each device's MAC in network mode, through the device-access
// library's display block in normal mode. Runs on the user-interface thread and blocks it.
#pragma once

#include <array>

#include "dialogs/ConfigForm.h"

namespace tesmara {

class DisplayConfigBlock;
class MainView;
struct WindowState;

// Puts the chosen language, video standard and resolution into `block`; true when any byte
// changed. Only the flags language, video standard and output resolution are read.
bool MergeDisplaySettings(DisplayConfigBlock& block, const std::array<int, kUseFlagCount>& useFlags,
                          const DeviceSettings& settings);

// True when two neighbouring rows of the table carry the same IP text, checked or not.
bool NeighbourRowsShareAddress(MainView& view);

// What a run of the command came to: `completed` once it went through the ticked rows (the
// completion box shown), with the number of devices that failed (each with its red line).
struct ConfigRun {
    bool completed = false;
    int failed = 0;
};

// `form` is the window's one configuration dialog: its choices last between openings.
ConfigRun RunConfigCommand(WindowState& dialog, ConfigForm& form);

}  // namespace tesmara
