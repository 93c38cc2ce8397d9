// tesmara-cli set-display: the configuration command in normal mode over the batch commands'
// device selection — menu language, video standard and output resolution written to each chosen
// recorder's display block, with the window's lines. Exit status 0 when every device took its
// settings, 1 otherwise.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cli/BatchCommand.h"

namespace tesmara::cli {

struct DisplayChoice {
    std::optional<int32_t> language;    // item data of the language list
    std::optional<int32_t> standard;    // 0 PAL, 1 NTSC
    std::optional<uint8_t> resolution;  // resolution code
};

// Each reads one option's text: empty when good, else a reason that names the value.
// A language is its number (0-21) or its name as the dialog lists it, in any letter case.
std::string ParseLanguage(const std::string& text, DisplayChoice& choice);
std::string ParseStandard(const std::string& text, DisplayChoice& choice);    // PAL or NTSC
std::string ParseResolution(const std::string& text, DisplayChoice& choice);  // "1920*1080" ...

// With `devices.dryRun` the devices are chosen as usual (a search, where they come from one), and
// each is only told what would be done to it: 0 when every one could start, 1 when any was not
// found.
int RunSetDisplay(const BatchOptions& devices, const DisplayChoice& choice);

}  // namespace tesmara::cli
