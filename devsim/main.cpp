// devsim: a fleet of virtual recorders in one process, for the test LAN (scripts/testlan).
//
//   devsim [--count N] [--base-address A] [--seed S] [--tcp-port P] [--http-port P]
//          [--reply-delay-ms MS] [--duplicates N] [--fleet FILE.json] [--reply-to-sender]
//          [--log] [--log-file FILE] [--stats-file FILE] [--ready-file FILE] [--duration-ms MS]
//          [--writing-ms MS] [--reboot-offline-ms MS] [--session-delay-ms MS] [--login-error C]
//
// The last four set the generated recorders' session behaviour (writing phase of an upgrade,
// time offline while restarting, delay of every session reply, a login refusal code 1..7); a
// fleet file sets them per device (devsim/session/SessionState.h).
//
// Runs until SIGINT/SIGTERM (or --duration-ms); then writes the receive counts to --stats-file.
#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>

#include "devsim/TestLan.h"
#include "devsim/discovery/UdpResponder.h"
#include "devsim/model/FleetBuilder.h"
#include "devsim/session/SessionServer.h"

using namespace tesmara::devsim;

namespace {

void Usage() {
    std::fprintf(stderr,
                 "usage: devsim [--count N] [--base-address A] [--seed S] [--tcp-port P]\n"
                 "              [--http-port P] [--reply-delay-ms MS] [--duplicates N]\n"
                 "              [--fleet FILE.json] [--reply-to-sender] [--log]\n"
                 "              [--log-file FILE] [--stats-file FILE] [--ready-file FILE]\n"
                 "              [--duration-ms MS] [--writing-ms MS] [--reboot-offline-ms MS]\n"
                 "              [--session-delay-ms MS] [--login-error C]\n");
}

}  // namespace

int main(int argc, char** argv) {
    GenerateOptions generate;
    DeviceState defaults;
    DeviceBehaviour behaviour;
    std::string fleetFile, logFile, statsFile, readyFile;
    bool log = false, replyToSender = false;
    long durationMs = -1;

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "devsim: %s needs a value\n", arg.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--count")
            generate.count = std::stoul(value());
        else if (arg == "--base-address")
            generate.baseAddress = value();
        else if (arg == "--seed")
            generate.seed = static_cast<uint32_t>(std::stoul(value()));
        else if (arg == "--tcp-port")
            defaults.tcpPort = static_cast<uint16_t>(std::stoul(value()));
        else if (arg == "--http-port")
            defaults.httpPort = static_cast<uint16_t>(std::stoul(value()));
        else if (arg == "--reply-delay-ms")
            behaviour.replyDelayMs = std::stoul(value());
        else if (arg == "--duplicates")
            behaviour.duplicateReplies = std::stoul(value());
        else if (arg == "--fleet")
            fleetFile = value();
        else if (arg == "--reply-to-sender")
            replyToSender = true;
        else if (arg == "--log")
            log = true;
        else if (arg == "--log-file")
            logFile = value(), log = true;
        else if (arg == "--stats-file")
            statsFile = value();
        else if (arg == "--ready-file")
            readyFile = value();
        else if (arg == "--duration-ms")
            durationMs = std::stol(value());
        else if (arg == "--writing-ms")
            behaviour.session.writingMs = std::stoul(value());
        else if (arg == "--reboot-offline-ms")
            behaviour.session.offlineMs = std::stoul(value());
        else if (arg == "--session-delay-ms")
            behaviour.session.replyDelayMs = std::stoul(value());
        else if (arg == "--login-error")
            behaviour.session.loginError = std::stoi(value());
        else {
            Usage();
            return 2;
        }
    }
    // Broadcast replies must never reach a real network.
    if (std::string why = WhyNotInsideTestLan(); !why.empty()) {
        std::fprintf(stderr,
                     "devsim: refusing to run outside the test LAN (%s); use scripts/testlan\n",
                     why.c_str());
        return 2;
    }

    Fleet fleet;
    GenerateDevices(fleet, generate, behaviour, defaults);
    if (!fleetFile.empty()) {
        std::string error;
        if (!LoadFleetFile(fleetFile, fleet, &error)) {
            std::fprintf(stderr, "devsim: %s: %s\n", fleetFile.c_str(), error.c_str());
            return 2;
        }
    }

    // Signals are taken by sigwait below, so block them before any thread starts.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGALRM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    std::mutex logMutex;
    std::FILE* logOut = stderr;
    if (!logFile.empty() && !(logOut = std::fopen(logFile.c_str(), "w"))) {
        std::fprintf(stderr, "devsim: cannot write %s\n", logFile.c_str());
        return 2;
    }
    ResponderOptions options;
    options.replyToSender = replyToSender;
    options.seed = generate.seed;
    if (log) {
        options.log = [&](const std::string& line) {
            std::lock_guard lock(logMutex);
            std::fprintf(logOut, "devsim: %s\n", line.c_str());
            std::fflush(logOut);
        };
    }
    UdpResponder responder(fleet, options);
    std::string error;
    if (!responder.Start(&error)) {
        std::fprintf(stderr, "devsim: discovery port %u: %s\n", kDevicePort, error.c_str());
        return 1;
    }
    SessionServerOptions sessionOptions;
    sessionOptions.log = options.log;
    SessionServer sessions(fleet, sessionOptions);
    if (!sessions.Start(&error)) {
        std::fprintf(stderr, "devsim: sessions: %s\n", error.c_str());
        return 1;
    }
    std::fprintf(stderr, "devsim: %zu devices answering on UDP port %u\n", fleet.Size(),
                 kDevicePort);
    if (!readyFile.empty()) std::ofstream(readyFile) << fleet.Size() << "\n";

    if (durationMs >= 0) {
        itimerval timer{};
        timer.it_value.tv_sec = durationMs / 1000;
        timer.it_value.tv_usec = (durationMs % 1000) * 1000;
        if (durationMs == 0) timer.it_value.tv_usec = 1;
        setitimer(ITIMER_REAL, &timer, nullptr);
    }
    int received = 0;
    sigwait(&signals, &received);
    sessions.Stop();
    responder.Stop();

    ResponderStats s = responder.Stats();
    if (!statsFile.empty()) {
        std::ofstream(statsFile) << "received " << s.received << "\nbasic " << s.basicSearches
                                 << "\ndetail " << s.detailSearches << "\nassign " << s.assigns
                                 << "\naddress-change " << s.addressChanges << "\nunknown "
                                 << s.unknown << "\nreplies " << s.repliesSent << "\n";
    }
    if (logOut != stderr) std::fclose(logOut);
    return 0;
}
