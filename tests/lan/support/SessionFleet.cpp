#include "tests/lan/support/SessionFleet.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "devsim/model/FleetBuilder.h"
#include "devsim/session/Images.h"

namespace tesmara::lan {

namespace {

std::string NewTempPath() {
    char path[] = "/tmp/quorn-test-XXXXXX";
    int fd = mkstemp(path);
    if (fd >= 0) close(fd);
    return path;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

}  // namespace

std::unique_ptr<SessionFleet> SessionFleet::FromJson(const std::string& json, std::string* error) {
    auto fleet = std::unique_ptr<SessionFleet>(new SessionFleet());
    if (!devsim::LoadFleetJson(json, fleet->fleet_, error)) return nullptr;
    devsim::SessionServerOptions options;
    // TESMARA_DEVSIM_LOG=1 shows what the recorders saw, for a failing test.
    if (std::getenv("TESMARA_DEVSIM_LOG")) {
        options.log = [](const std::string& line) {
            std::fprintf(stderr, "devsim: %s\n", line.c_str());
        };
    }
    fleet->server_ = std::make_unique<devsim::SessionServer>(fleet->fleet_, options);
    if (!fleet->server_->Start(error)) return nullptr;
    return fleet;
}

SessionFleet::~SessionFleet() {
    if (server_) server_->Stop();
}

TempImage::TempImage(size_t size, const std::string& version, const std::string& model,
                     bool corruptPayload)
    : path_(NewTempPath()) {
    std::vector<uint8_t> payload(size);
    uint32_t x = 12345;
    for (auto& b : payload) {
        x = x * 1103515245 + 12345;
        b = static_cast<uint8_t>(x >> 16);
    }
    devsim::ImageHeader header;
    header.model = model;
    header.releaseVersion = version;
    header.releaseTime = "2026-11-30 12:00:00";
    header.payloadLength = size;
    devsim::Sha256 hash;
    hash.Update(payload.data(), payload.size());
    header.payloadHash = hash.Finish();
    if (corruptPayload && !payload.empty()) payload[payload.size() / 2] ^= 0x40;
    std::vector<uint8_t> bytes = devsim::EncodeImageHeader(header);
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    WriteBytes(path_, bytes);
}

TempImage::~TempImage() {
    std::remove(path_.c_str());
}

TempFile::TempFile(const std::vector<uint8_t>& bytes) : path_(NewTempPath()) {
    WriteBytes(path_, bytes);
}

TempFile::~TempFile() {
    std::remove(path_.c_str());
}

}  // namespace tesmara::lan
