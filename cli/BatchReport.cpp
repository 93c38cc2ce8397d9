#include "cli/BatchReport.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/ConsoleMainView.h"
#include "platform/Showable.h"
#include "platform/Text.h"

namespace tesmara::cli {
namespace {

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", seconds);
    return text;
}

}  // namespace

std::string FailureText(int32_t code) {
    switch (code) {
        case 11:
            return "invalid handle";
        case 12:
            return "invalid argument";
        case 13:
            return "no answer in time";
        case 14:
            return "connection lost";
        case 15:
            return "malformed frame or payload";
        case 16:
            return "file cannot be opened";
        case 17:
            return "file cannot be read";
        case 18:
            return "file too large";
        case 19:
            return "not allowed now";
        case 21:
            return "wrong size";
        case 22:
            return "device could not apply it";
        case 24:
            return "firmware image is for another model";
        case 25:
            return "firmware checksum wrong";
        case 26:
            return "device busy with another upgrade";
        case 30:
            return "out of resources";
        default:
            return "code " + std::to_string(code);
    }
}

std::string DeviceOutcome::Result() const {
    if (!problem.empty()) return problem;
    if (doneBefore) return "done before";
    if (notStarted) return "not started";
    if (!finished) return "unfinished";
    return succeeded ? "success" : "failed";
}

std::string CsvField(const std::string& text) {
    std::string value = text;
    if (!value.empty() && std::string("=+-@\t\r").find(value[0]) != std::string::npos) {
        value.insert(value.begin(), '\'');
    }
    if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
    std::string quoted = "\"";
    for (char c : value) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string ReportCsv(const std::vector<DeviceOutcome>& devices, bool withVersionAfter) {
    std::string out = withVersionAfter
                          ? "mac,ip,version_before,version_after,result,cause,last_line,seconds\r\n"
                          : "mac,ip,version_before,result,cause,last_line,seconds\r\n";
    for (const DeviceOutcome& d : devices) {
        out += CsvField(d.mac) + "," + CsvField(d.ip) + "," + CsvField(d.versionBefore) + ",";
        if (withVersionAfter) out += CsvField(d.versionAfter) + ",";
        out += CsvField(d.Result()) + "," + CsvField(d.cause) + "," + CsvField(d.lastLine) + "," +
               Seconds(d.seconds) + "\r\n";
    }
    return out;
}

std::string SummaryText(const std::vector<DeviceOutcome>& devices, bool withVersionAfter) {
    std::string text = "\n";
    for (const DeviceOutcome& d : devices) {
        std::string versions = d.versionBefore;
        if (withVersionAfter && d.Succeeded()) versions += " -> " + d.versionAfter;
        const std::string mac = ShowableUtf8(d.mac.empty() ? "-" : d.mac);
        const std::string ip = ShowableUtf8(d.ip.empty() ? "-" : d.ip);
        char line[128];
        std::snprintf(line, sizeof line, "%-17s %-15s %-11s %6.1f s  ", mac.c_str(), ip.c_str(),
                      ShowableUtf8(d.Result()).c_str(), d.seconds);
        text += line + ShowableUtf8(versions);
        if (!d.cause.empty()) text += "  " + ShowableUtf8(d.cause);
        text += "\n";
    }
    return text;
}

std::string BatchJson(const BatchSummary& summary, const std::vector<StatusLine>& log,
                      const std::vector<DeviceOutcome>& devices, bool withVersionAfter) {
    nlohmann::json doc;
    doc["ok"] = summary.ok;
    doc["command"] = summary.command;
    doc["total"] = summary.total;
    doc["success"] = summary.success;
    doc["fail"] = summary.fail;
    doc["notStarted"] = summary.notStarted;
    doc["completions"] = nlohmann::json::array();
    for (const std::wstring& text : summary.completions) {
        doc["completions"].push_back(WideToUtf8(text));
    }
    doc["progressMessages"] = summary.progressMessages;
    doc["seconds"] = summary.seconds;
    doc["log"] = nlohmann::json::array();
    for (const StatusLine& line : log) {
        doc["log"].push_back({{"colour", ColourTag(line.colour)}, {"text", WideToUtf8(line.text)}});
    }
    doc["devices"] = nlohmann::json::array();
    for (const DeviceOutcome& d : devices) {
        nlohmann::json entry = {{"mac", d.mac},           {"ip", d.ip},
                                {"port", d.port},         {"versionBefore", d.versionBefore},
                                {"result", d.Result()},   {"cause", d.cause},
                                {"lastLine", d.lastLine}, {"seconds", d.seconds}};
        if (withVersionAfter) entry["versionAfter"] = d.versionAfter;
        doc["devices"].push_back(entry);
    }
    // Device texts may hold bytes that are not UTF-8 after conversion; never throw on them.
    return doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace tesmara::cli
