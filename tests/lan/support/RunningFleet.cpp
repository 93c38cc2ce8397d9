#include "tests/lan/support/RunningFleet.h"

namespace tesmara::lan {

RunningFleet::RunningFleet(devsim::Fleet fleet, devsim::ResponderOptions options)
    : fleet_(std::move(fleet)) {
    responder_ = std::make_unique<devsim::UdpResponder>(fleet_, std::move(options));
    running_ = responder_->Start(&error_);
}

bool RunningFleet::ServeSessions() {
    sessions_ = std::make_unique<devsim::SessionServer>(fleet_);
    return sessions_->Start(&error_);
}

std::unique_ptr<RunningFleet> RunningFleet::Generated(size_t count, uint32_t seed) {
    devsim::Fleet fleet;
    devsim::GenerateOptions options;
    options.count = count;
    options.seed = seed;
    devsim::GenerateDevices(fleet, options);
    return std::make_unique<RunningFleet>(std::move(fleet));
}

std::unique_ptr<RunningFleet> RunningFleet::FromJson(const std::string& json, std::string* error) {
    devsim::Fleet fleet;
    if (!devsim::LoadFleetJson(json, fleet, error)) return nullptr;
    return std::make_unique<RunningFleet>(std::move(fleet));
}

}  // namespace tesmara::lan
