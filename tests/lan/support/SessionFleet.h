// Recorders serving the device protocol in this process (no discovery side), for the library's
// tests: a fleet from fleet-file JSON plus a session server over it, and small helpers.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "devsim/model/Fleet.h"
#include "devsim/session/SessionServer.h"

namespace tesmara::lan {

class SessionFleet {
  public:
    // Null (with the reason) when the JSON is malformed or a port cannot be bound.
    static std::unique_ptr<SessionFleet> FromJson(const std::string& json, std::string* error);
    ~SessionFleet();

    devsim::Fleet& Devices() { return fleet_; }
    devsim::SimDevice& Device(size_t i) { return fleet_.At(i); }
    std::string Address(size_t i) { return fleet_.At(i).Snapshot().address; }
    uint16_t Port(size_t i) { return fleet_.At(i).Snapshot().tcpPort; }

  private:
    devsim::Fleet fleet_;
    std::unique_ptr<devsim::SessionServer> server_;
};

// A firmware image file for the default model (or `model`); the payload is `size` bytes.
// Removed when the object goes.
class TempImage {
  public:
    TempImage(size_t size, const std::string& version, const std::string& model = "QX-NVR-0804",
              bool corruptPayload = false);
    ~TempImage();
    const char* Path() const { return path_.c_str(); }

  private:
    std::string path_;
};

// A file with the given bytes, removed when the object goes.
class TempFile {
  public:
    explicit TempFile(const std::vector<uint8_t>& bytes);
    ~TempFile();
    const char* Path() const { return path_.c_str(); }

  private:
    std::string path_;
};

}  // namespace tesmara::lan
