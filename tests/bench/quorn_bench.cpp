// Upgrades N virtual recorders at once through libquorn and reports wall time, transfer rate,
// the peak resident memory of this process and the progress callbacks per upgrade. Run by
// scripts/bench-upgrade inside the test LAN.
//
//   quorn_bench --image FILE --devices N [--base-address A] [--port P] [--user U]
//               [--password P]
#include <arpa/inet.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "quorn/quorn.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Device {
    std::string address;
    int32_t login = 0;
    int32_t upgrade = 0;
    Clock::time_point transferred{};
    int32_t final = 0;
};

std::mutex g_mutex;
std::condition_variable g_changed;
int g_finals = 0;
long g_callbacks = 0;  // every progress callback, the final ones included

void QUORN_CALL OnProgress(int32_t, int32_t, int32_t total, int32_t current, void* user) {
    auto* device = static_cast<Device*>(user);
    std::lock_guard lock(g_mutex);
    ++g_callbacks;
    if (total > 0 && current == total) device->transferred = Clock::now();
    if (total == 0) {
        device->final = current;
        ++g_finals;
        g_changed.notify_all();
    }
}

// The address `steps` after `base`, skipping host numbers 0 and 255 as devsim does.
std::string AddressAfter(const std::string& base, int steps) {
    in_addr a{};
    inet_pton(AF_INET, base.c_str(), &a);
    uint32_t host = ntohl(a.s_addr);
    for (int i = 0; i < steps;) {
        ++host;
        if ((host & 0xFF) != 0 && (host & 0xFF) != 255) ++i;
    }
    a.s_addr = htonl(host);
    char text[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

long PeakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    std::string image, base = "192.168.1.100", user = "admin", password;
    int count = 1;
    uint16_t port = 34567;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string arg = argv[i], value = argv[i + 1];
        if (arg == "--image")
            image = value;
        else if (arg == "--devices")
            count = std::atoi(value.c_str());
        else if (arg == "--base-address")
            base = value;
        else if (arg == "--port")
            port = static_cast<uint16_t>(std::atoi(value.c_str()));
        else if (arg == "--user")
            user = value;
        else if (arg == "--password")
            password = value;
        else {
            std::fprintf(stderr, "quorn_bench: unknown option %s\n", arg.c_str());
            return 2;
        }
    }
    if (image.empty() || count < 1) {
        std::fprintf(stderr, "usage: quorn_bench --image FILE --devices N [...]\n");
        return 2;
    }
    std::FILE* f = std::fopen(image.c_str(), "rb");
    if (!f) {
        std::fprintf(stderr, "quorn_bench: cannot open %s\n", image.c_str());
        return 2;
    }
    std::fseek(f, 0, SEEK_END);
    double imageBytes = static_cast<double>(std::ftell(f));
    std::fclose(f);

    DevInit(nullptr, nullptr);
    std::vector<Device> devices(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        Device& d = devices[static_cast<size_t>(i)];
        d.address = AddressAfter(base, i);
        QuornDeviceInfo info{};
        int32_t error = 0;
        d.login =
            DevLogin(d.address.c_str(), port, user.c_str(), password.c_str(), &info, &error, 0, 0);
        if (!d.login) {
            std::fprintf(stderr, "quorn_bench: login to %s failed, code %d\n", d.address.c_str(),
                         error);
            return 1;
        }
    }
    auto start = Clock::now();
    for (auto& d : devices) {
        d.upgrade = DevUpgrade(d.login, image.c_str(), OnProgress, &d);
        if (!d.upgrade || !DevUpgradeStart(d.upgrade)) {
            std::fprintf(stderr, "quorn_bench: upgrade of %s not started, error %d\n",
                         d.address.c_str(), DevGetLastError());
            return 1;
        }
    }
    {
        std::unique_lock lock(g_mutex);
        g_changed.wait(lock, [&] { return g_finals == count; });
    }
    auto end = Clock::now();
    int failed = 0;
    Clock::time_point lastTransfer = start;
    for (auto& d : devices) {
        if (d.final != -1) ++failed;
        if (d.transferred > lastTransfer) lastTransfer = d.transferred;
        DevCloseUpgrade(d.upgrade);
        DevLogout(d.login);
    }
    double wall = std::chrono::duration<double>(end - start).count();
    double transfer = std::chrono::duration<double>(lastTransfer - start).count();
    double megabytes = imageBytes * count / 1e6;
    std::printf(
        "devices %d  image %.1f MiB  wall %.2f s  transfer %.2f s  aggregate %.1f MB/s  "
        "peak RSS %.1f MiB  callbacks/upgrade %.1f  failed %d\n",
        count, imageBytes / 1048576.0, wall, transfer, transfer > 0 ? megabytes / transfer : 0.0,
        PeakRssKiB() / 1024.0, static_cast<double>(g_callbacks) / count, failed);
    return failed ? 1 : 0;
}
