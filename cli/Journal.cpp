#include "cli/Journal.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "platform/LocalTime.h"
#include "quorn/Crypto.h"

namespace tesmara::cli {
namespace {

constexpr size_t kReadChunk = 1 << 20;

std::string Hex(const quorn::Digest& digest) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (uint8_t byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

std::string LocalTimeNow() {
    CalendarTime t;
    if (!ToLocalCalendar(UtcSecondsNow(), t)) return "";
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

std::string Short(const std::string& digest) {
    return digest.size() > 15 ? digest.substr(0, 15) + "..." : digest;
}

}  // namespace

std::string JournalJob::Describe() const {
    std::string text = command;
    if (!firmware.empty()) text += ", firmware " + Short(firmware);
    if (!config.empty()) text += ", configuration " + Short(config);
    return text;
}

std::string FileDigest(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return "";
    quorn::Sha256Stream hash;
    std::vector<char> chunk(kReadChunk);
    while (file) {
        file.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        if (file.gcount() > 0 && !hash.Update(chunk.data(), static_cast<size_t>(file.gcount())))
            return "";
    }
    quorn::Digest digest{};
    if (file.bad() || !hash.Final(digest)) return "";
    return "sha256:" + Hex(digest);
}

std::string JournalKey(const DeviceOutcome& device) {
    return device.mac.empty() ? device.ip + ":" + std::to_string(device.port) : device.mac;
}

std::string JournalWriter::LineOf(const DeviceOutcome& d, const std::string& time) const {
    const nlohmann::json line = {{"time", time},
                                 {"command", m_job.command},
                                 {"firmware", m_job.firmware},
                                 {"config", m_job.config},
                                 {"mac", d.mac},
                                 {"ip", d.ip},
                                 {"port", d.port},
                                 {"versionBefore", d.versionBefore},
                                 {"versionAfter", d.versionAfter},
                                 {"result", d.Result()},
                                 {"cause", d.cause},
                                 {"seconds", std::round(d.seconds * 1000) / 1000}};
    return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

bool JournalWriter::Append(const DeviceOutcome& device) {
    return m_file.AppendDurably(LineOf(device, LocalTimeNow()));
}

JournalRecord ReadJournal(const std::string& text, const JournalJob& job) {
    JournalRecord out;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        JournalJob of;
        DeviceOutcome device;
        bool succeeded = false;
        try {
            const nlohmann::json entry = nlohmann::json::parse(line);
            of = {entry.at("command").get<std::string>(), entry.at("firmware").get<std::string>(),
                  entry.at("config").get<std::string>()};
            succeeded = entry.at("result").get<std::string>() == "success";
            device.mac = entry.at("mac").get<std::string>();
            device.ip = entry.at("ip").get<std::string>();
            device.port = entry.at("port").get<uint16_t>();
        } catch (const nlohmann::json::exception&) {
            out.warnings.push_back("line " + std::to_string(number) +
                                   " is not a whole record (cut short?); ignored");
            continue;
        }
        if (!(of == job)) {
            out.error = "it is the journal of another job (" + of.Describe() +
                        "), not of this one (" + job.Describe() + ")";
            return out;
        }
        if (succeeded) out.succeeded.insert(JournalKey(device));
    }
    return out;
}

}  // namespace tesmara::cli
