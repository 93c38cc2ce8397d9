// A devsim fleet answering discovery in this process for the life of the object.
#pragma once

#include <memory>
#include <string>

#include "devsim/discovery/UdpResponder.h"
#include "devsim/model/Fleet.h"
#include "devsim/model/FleetBuilder.h"
#include "devsim/session/SessionServer.h"

namespace tesmara::lan {

class RunningFleet {
  public:
    // Starts answering at once; Running() says whether the device port could be bound.
    explicit RunningFleet(devsim::Fleet fleet, devsim::ResponderOptions options = {});
    // `count` generated devices from 192.168.1.100 on.
    static std::unique_ptr<RunningFleet> Generated(size_t count, uint32_t seed = 1);
    // Null (with the reason) when the fleet file text is malformed.
    static std::unique_ptr<RunningFleet> FromJson(const std::string& json, std::string* error);

    // Serves the recorders' sessions too (logins, upgrades, imports); false with the reason.
    bool ServeSessions();

    bool Running() const { return running_; }
    const std::string& Error() const { return error_; }
    devsim::Fleet& Devices() { return fleet_; }
    devsim::UdpResponder& Responder() { return *responder_; }
    devsim::SessionServer& Sessions() { return *sessions_; }

  private:
    devsim::Fleet fleet_;
    std::unique_ptr<devsim::UdpResponder> responder_;
    std::unique_ptr<devsim::SessionServer> sessions_;  // stops before the fleet goes
    bool running_ = false;
    std::string error_;
};

}  // namespace tesmara::lan
