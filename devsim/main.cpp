// devsim: a fleet of virtual recorders in one process, for the test LAN (scripts/testlan).
//
//   devsim --help | --version
//   devsim [--count N] [--base-address A] [--seed S] [--tcp-port P] [--http-port P]
//          [--reply-delay-ms MS] [--duplicates N] [--fleet FILE.json] [--reply-to-sender]
//          [--interface NAME]
//          [--log] [--log-file FILE] [--stats-file FILE] [--ready-file FILE] [--duration-ms MS]
//          [--writing-ms MS] [--reboot-offline-ms MS] [--session-delay-ms MS] [--login-error C]
//          [--model NAME] [--drop-upgrade-at BYTES] [--fail-import] [--fail-clock] [--never-back]
//          [--keep-version]
//
// The options from --writing-ms on set the generated recorders' session behaviour and faults
// (writing phase of an upgrade, time offline while restarting, delay of every session reply, a
// login refusal code 1..7, the model images must name, a connection dropped after so many bytes
// of image, refused imports and clock settings, no return after a restart); a fleet file sets
// them per device (devsim/session/SessionState.h).
//
// Runs until SIGINT/SIGTERM (or --duration-ms); then writes the receive counts, the sessions
// still open or left behind by clients, the most images received at once, the connections
// accepted, and per recorder its display settings (which outlive its restarts) and its count of
// images written, to --stats-file.
#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <CLI.hpp>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>

#include "devsim/TestLan.h"
#include "devsim/discovery/UdpResponder.h"
#include "devsim/model/FleetBuilder.h"
#include "devsim/session/ConfigBlocks.h"
#include "devsim/session/SessionServer.h"
#include "platform/AddressText.h"

using namespace tesmara::devsim;

namespace {

constexpr int kRun = -1;

struct Settings {
    GenerateOptions generate;
    DeviceState defaults;
    DeviceBehaviour behaviour;
    std::string fleetFile, logFile, statsFile, readyFile, device;
    bool log = false, replyToSender = false;
    int64_t durationMs = -1;
};

// kRun: run; otherwise the exit status (help or version printed: 0; a usage error told in one
// line: 2).
// Every number is range-checked: a count or port that does not fit must not be cut or wrapped.
int ParseSettings(int argc, char** argv, Settings& settings) {
    CLI::App app("A fleet of virtual recorders in one process, for the test LAN (scripts/testlan).",
                 "devsim");
    app.set_version_flag("--version", "devsim " TESMARA_VERSION);
    int64_t count = 0, seed = settings.generate.seed, tcpPort = settings.defaults.tcpPort,
            httpPort = settings.defaults.httpPort, replyDelayMs = 0, duplicates = 0,
            writingMs = settings.behaviour.session.writingMs,
            offlineMs = settings.behaviour.session.offlineMs, sessionDelayMs = 0, loginError = 0;
    auto number = [&app](const char* name, int64_t& value, int64_t lowest, int64_t highest,
                         const char* help) {
        app.add_option(name, value, help)->check(CLI::Range(lowest, highest))->type_name("N");
    };
    number("--count", count, 0, 10000, "recorders to generate");
    app.add_option("--base-address", settings.generate.baseAddress,
                   "address of the first generated recorder")
        ->type_name("A")
        ->check(CLI::Validator(
            [](std::string& text) {
                uint32_t address = 0;
                return tesmara::ParseDottedAddress(text, address)
                           ? std::string()
                           : "\"" + text + "\" is not an IPv4 address (four numbers 0-255)";
            },
            "", "address"));
    number("--seed", seed, 0, UINT32_MAX, "seed of the generated MACs, texts and garbage");
    number("--tcp-port", tcpPort, 1, 65535, "session port of the generated recorders");
    number("--http-port", httpPort, 1, 65535, "HTTP port the generated recorders report");
    number("--reply-delay-ms", replyDelayMs, 0, 60000, "wait before each discovery reply");
    number("--duplicates", duplicates, 0, 100, "extra copies of each discovery reply");
    app.add_option("--fleet", settings.fleetFile, "fleet file (devsim/model/FleetBuilder.h)")
        ->type_name("FILE.json");
    app.add_flag("--reply-to-sender", settings.replyToSender,
                 "reply to the request's source address instead of broadcasting");
    app.add_option("--interface", settings.device,
                   "hear and answer discovery on this network device only (e.g. tlan3)")
        ->type_name("NAME");
    app.add_flag("--log", settings.log, "one line per datagram and session event on stderr");
    app.add_option("--log-file", settings.logFile, "write the log to FILE instead")
        ->type_name("FILE");
    app.add_option("--stats-file", settings.statsFile, "write the receive counts at the end")
        ->type_name("FILE");
    app.add_option("--ready-file", settings.readyFile, "write the fleet size once answering")
        ->type_name("FILE");
    number("--duration-ms", settings.durationMs, 0, 86400000,
           "stop after this long (default: at SIGINT or SIGTERM)");
    number("--writing-ms", writingMs, 0, 600000, "the recorders' writing phase of an upgrade");
    number("--reboot-offline-ms", offlineMs, 0, 600000, "time offline while restarting");
    number("--session-delay-ms", sessionDelayMs, 0, 60000, "delay of every session reply");
    number("--login-error", loginError, 1, 7, "answer every login with this refusal code");
    app.add_option("--model", settings.defaults.session.model,
                   "model that firmware images must name (others are the wrong image)")
        ->type_name("NAME");
    int64_t dropUpgradeAt = -1;
    number("--drop-upgrade-at", dropUpgradeAt, 0, INT32_MAX,
           "drop the connection after this many bytes of an image");
    SessionFaults& faults = settings.behaviour.session;
    int64_t upgradeWindow = faults.upgradeWindow;
    number("--upgrade-window", upgradeWindow, 1, INT32_MAX,
           "bytes an upgrade may have unacknowledged (the window granted)");
    app.add_flag("--fail-import", faults.failImport, "refuse every configuration import");
    app.add_flag("--fail-clock", faults.failClock, "refuse every clock setting");
    app.add_flag("--never-back", faults.neverBack, "stay offline after a restart");
    app.add_flag("--keep-version", faults.keepVersion,
                 "accept images and restart, but keep reporting the old version");
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {  // --help or --version
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "devsim: %s\n", e.what());
        return 2;
    }
    if (!settings.logFile.empty()) settings.log = true;
    settings.generate.count = static_cast<size_t>(count);
    settings.generate.seed = static_cast<uint32_t>(seed);
    settings.defaults.tcpPort = static_cast<uint16_t>(tcpPort);
    settings.defaults.httpPort = static_cast<uint16_t>(httpPort);
    DeviceBehaviour& behaviour = settings.behaviour;
    behaviour.replyDelayMs = static_cast<uint32_t>(replyDelayMs);
    behaviour.duplicateReplies = static_cast<uint32_t>(duplicates);
    behaviour.session.writingMs = static_cast<uint32_t>(writingMs);
    behaviour.session.offlineMs = static_cast<uint32_t>(offlineMs);
    behaviour.session.replyDelayMs = static_cast<uint32_t>(sessionDelayMs);
    behaviour.session.loginError = static_cast<int32_t>(loginError);
    behaviour.session.dropUpgradeAt = dropUpgradeAt;
    behaviour.session.upgradeWindow = static_cast<uint32_t>(upgradeWindow);
    return kRun;
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    if (int status = ParseSettings(argc, argv, settings); status != kRun) return status;
    const GenerateOptions& generate = settings.generate;
    const std::string &fleetFile = settings.fleetFile, &logFile = settings.logFile,
                      &statsFile = settings.statsFile, &readyFile = settings.readyFile;
    const bool log = settings.log;
    const int64_t durationMs = settings.durationMs;

    // Broadcast replies must never reach a real network.
    if (std::string why = WhyNotInsideTestLan(); !why.empty()) {
        std::fprintf(stderr,
                     "devsim: refusing to run outside the test LAN (%s); use scripts/testlan\n",
                     why.c_str());
        return 2;
    }

    Fleet fleet;
    GenerateDevices(fleet, generate, settings.behaviour, settings.defaults);
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
    options.replyToSender = settings.replyToSender;
    options.device = settings.device;
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
    // Taken before the server closes the connections that are still open.
    uint64_t open = 0, abandoned = 0, upgrades = 0;
    std::ostringstream displays;
    for (size_t i = 0; i < fleet.Size(); ++i) {
        const DeviceState device = fleet.At(i).Snapshot();
        open += device.session.sessions;
        abandoned += device.session.abandonedSessions;
        upgrades += device.session.upgradesDone;
        displays << DisplayLine(device) << "\n"
                 << "upgraded " << device.address << " " << device.session.upgradesDone << "\n";
    }
    sessions.Stop();
    responder.Stop();

    ResponderStats s = responder.Stats();
    if (!statsFile.empty()) {
        std::ofstream(statsFile) << "received " << s.received << "\nbasic " << s.basicSearches
                                 << "\ndetail " << s.detailSearches << "\nassign " << s.assigns
                                 << "\naddress-change " << s.addressChanges << "\nunknown "
                                 << s.unknown << "\nreplies " << s.repliesSent << "\n";
        std::ofstream(statsFile, std::ios::app)
            << "sessions-open " << open << "\nsessions-abandoned " << abandoned << "\nupgrades "
            << upgrades << "\nupgrades-peak " << sessions.UpgradesPeak() << "\nconnections "
            << sessions.Accepted() << "\n"
            << displays.str();
    }
    if (logOut != stderr) std::fclose(logOut);
    return 0;
}
