// Makes the console show the UTF-8 this program writes.
#pragma once

namespace tesmara::cli {

void PrepareConsole();

}  // namespace tesmara::cli
