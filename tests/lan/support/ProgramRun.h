// Runs a program to its end (or a time limit), capturing its output, exit status, wall time
// and CPU time.
#pragma once

#include <string>
#include <vector>

namespace tesmara::lan {

struct ProgramResult {
    bool started = false;
    bool timedOut = false;
    int exitCode = -1;  // -1 when it did not exit normally
    std::string out;
    std::string err;
    double wallSeconds = 0;
    double cpuSeconds = 0;  // user + system
};

ProgramResult RunProgram(const std::vector<std::string>& argv, int timeoutMs = 30000);

// tesmara-cli as built next to these tests (or $TESMARA_CLI).
std::string CliPath();

}  // namespace tesmara::lan
