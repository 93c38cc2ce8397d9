#include "cli/BatchDryRun.h"

#include <filesystem>

#include "platform/Showable.h"
#include "platform/Text.h"

namespace tesmara::cli {
namespace {

std::string FileNamed(const std::string& ansiPath, const std::string& digest) {
    std::error_code error;
    const auto bytes = std::filesystem::file_size(ansiPath, error);
    std::vector<std::string> facts;
    if (!error) facts.push_back(std::to_string(bytes) + " bytes");
    if (!digest.empty()) facts.push_back(digest);
    std::string text = "\"";
    text += AnsiToUtf8(ansiPath);
    text += "\"";
    for (size_t i = 0; i < facts.size(); ++i) {
        text += i == 0 ? " (" : ", ";
        text += facts[i];
    }
    if (!facts.empty()) text += ")";
    return text;
}

// The steps of one device of `job`, in the order the run takes them.
std::string Steps(const BatchJob& job, const BatchDevice& device, const std::string& firmware,
                  const std::string& config) {
    std::string steps = "log in as " + job.user + " on port " + std::to_string(device.port);
    const bool upgrade =
        job.kind == BatchKind::kUpgrade || job.kind == BatchKind::kUpgradeConfigure;
    const bool configure =
        job.kind == BatchKind::kConfigure || job.kind == BatchKind::kUpgradeConfigure;
    if (job.kind == BatchKind::kSyncTime || job.clockFirst) {
        steps += ", set its clock to this PC's local time";
    }
    if (upgrade) steps += ", send the firmware " + firmware;
    if (job.kind == BatchKind::kUpgradeConfigure) steps += ", wait for its restart";
    if (configure) steps += ", import the configuration " + config;
    return steps;
}

}  // namespace

DryRunPlan PlanDryRun(const BatchJob& job, const std::vector<DeviceOutcome>& devices,
                      const std::string& firmwareDigest, const std::string& configDigest) {
    DryRunPlan plan;
    const std::string firmware = FileNamed(job.firmwarePath, firmwareDigest);
    const std::string config = FileNamed(job.configPath, configDigest);
    plan.text = "Dry run: nothing is sent beyond the search.\n";
    if (job.parallel > 0) {
        plan.text += "At most " + std::to_string(job.parallel) + " devices at once.\n";
    }
    if (job.stopAfterFailures > 0) {
        plan.text += "No device is started once " + std::to_string(job.stopAfterFailures) +
                     " have failed.\n";
    }
    std::vector<const BatchDevice*> byRow(devices.size(), nullptr);
    for (const BatchDevice& device : job.devices) {
        if (device.row >= 0 && static_cast<size_t>(device.row) < byRow.size()) {
            byRow[static_cast<size_t>(device.row)] = &device;
        }
    }
    for (size_t i = 0; i < devices.size(); ++i) {
        const DeviceOutcome& d = devices[i];
        std::string line = "[" + (d.ip.empty() ? std::string("-") : d.ip) + "]";
        if (!d.mac.empty()) line += " " + d.mac;
        line += ": ";
        const BatchDevice* device = byRow[i];
        if (d.doneBefore) {
            line += "done before (the journal says so): would be skipped";
        } else if (!d.problem.empty()) {
            line += d.problem + ": nothing can be done";
            plan.startable = false;
        } else if (!device) {
            line += "not in the run";
            plan.startable = false;
        } else if (device->conflicting) {
            line += "two hosts answer with this MAC: the run would refuse it";
            plan.startable = false;
        } else {
            line += "would " + Steps(job, *device, firmware, config);
        }
        plan.text += ShowableUtf8(line) + "\n";
    }
    if (job.devices.empty() && devices.empty()) {
        plan.text += "No recorder selected.\n";
        plan.startable = false;
    }
    return plan;
}

}  // namespace tesmara::cli
