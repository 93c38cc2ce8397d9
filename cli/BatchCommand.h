// The batch commands of tesmara-cli: the window's batch runs from a job built of the options,
// presented by the console (each device's outcome and cause from the run's events). Devices come
// from a search (all, or by MAC or address) or are dialled directly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/DeviceSelection.h"

namespace tesmara::cli {

struct BatchOptions {
    std::string command;  // "upgrade", "configure" or "sync-time", for the report
    bool upgrade = false;
    bool configure = false;
    bool syncTime = false;
    std::string firmwarePath;  // as given (the library opens it)
    std::string configPath;
    Selection selection;              // with a search
    std::vector<Endpoint> endpoints;  // without one, when not empty
    std::string user = "admin";
    std::string password;  // UTF-8
    bool json = false;
    std::string reportPath;
    bool verify = false;
    uint32_t verifyWaitSeconds = 180;
    // Site-scale runs.
    int limit = 50;             // rows the selection's search lists at most
    int parallel = 0;           // upgrade: devices at once; 0 all
    int stopAfterFailures = 0;  // 0: never stop early
    std::string journalPath;    // one line per device as it ends
    std::string resumePath;     // skip the devices this journal has done
    bool dryRun = false;        // say what would be done; send nothing beyond the search
};

// Runs the batch and prints its outcome: 0 when every device succeeded, 1 otherwise.
int RunBatch(const BatchOptions& options);

}  // namespace tesmara::cli
