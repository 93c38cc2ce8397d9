#include "cli/SearchReport.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "cli/BatchReport.h"
#include "cli/ConsoleMainView.h"
#include "platform/Format.h"
#include "platform/Showable.h"
#include "platform/Text.h"
#include "view/DeviceRow.h"
#include "view/DeviceTable.h"

namespace tesmara::cli {
namespace {

// JSON names of the table's columns, in column order.
constexpr const char* kColumnKeys[] = {
    "no",
    "mac",
    "ip",
    "upgradeStatus",
    "cloudId",
    "description",
    "releaseVersion",
    "releaseTime",
    "deviceTime",
    "startTime",
};

bool IsWide(wchar_t c) {
    unsigned u = static_cast<unsigned>(c);
    return (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) ||
           (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xF900 && u <= 0xFAFF) ||
           (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60) ||
           (u >= 0xFFE0 && u <= 0xFFE6);
}

size_t DisplayWidth(const std::wstring& text) {
    size_t width = 0;
    for (wchar_t c : text) {
        unsigned u = static_cast<unsigned>(c);
        if (u >= 0xDC00 && u <= 0xDFFF) continue;  // second half of a UTF-16 pair
        width += IsWide(c) ? 2 : 1;
    }
    return width;
}

}  // namespace

std::string TableText(const std::vector<TableRow>& rows) {
    std::vector<std::wstring> headers;
    for (const DeviceColumn& column : kDeviceColumns) headers.emplace_back(column.header);
    std::vector<std::vector<std::wstring>> shown;
    for (const TableRow& row : rows) {
        shown.emplace_back();
        for (const std::wstring& cell : row.cells) shown.back().push_back(Showable(cell));
    }
    std::vector<size_t> widths;
    for (const std::wstring& header : headers) widths.push_back(DisplayWidth(header));
    for (const std::vector<std::wstring>& cells : shown) {
        for (size_t c = 0; c < widths.size(); ++c) {
            widths[c] = std::max(widths[c], DisplayWidth(cells[c]));
        }
    }
    auto line = [&widths](const std::vector<std::wstring>& cells) {
        std::string out;
        for (size_t c = 0; c < widths.size(); ++c) {
            out += WideToUtf8(cells[c]);
            if (c + 1 < widths.size()) out.append(widths[c] - DisplayWidth(cells[c]) + 2, ' ');
        }
        while (!out.empty() && out.back() == ' ') out.pop_back();
        return out + "\n";
    };
    std::string text = line(headers);
    for (const std::vector<std::wstring>& cells : shown) text += line(cells);
    return text;
}

std::string TableCsv(const std::vector<TableRow>& rows) {
    auto line = [](auto&& cellOf) {
        std::string out;
        for (size_t c = 0; c < kDeviceColumns.size(); ++c) {
            if (c) out += ',';
            out += CsvField(WideToUtf8(cellOf(c)));
        }
        return out + "\r\n";
    };
    std::string text = line([](size_t c) { return std::wstring(kDeviceColumns[c].header); });
    for (const TableRow& row : rows) text += line([&row](size_t c) { return row.cells[c]; });
    return text;
}

std::string ReportJson(bool ok, const std::vector<StatusLine>& log,
                       const std::vector<TableRow>& rows) {
    nlohmann::ordered_json report;
    report["ok"] = ok;
    report["log"] = nlohmann::ordered_json::array();
    for (const StatusLine& line : log) {
        report["log"].push_back(
            {{"colour", ColourTag(line.colour)}, {"text", WideToUtf8(line.text)}});
    }
    report["devices"] = nlohmann::ordered_json::array();
    for (const TableRow& row : rows) {
        nlohmann::ordered_json device;
        for (size_t c = 0; c < row.cells.size(); ++c)
            device[kColumnKeys[c]] = WideToUtf8(row.cells[c]);
        if (const DeviceRow* record = row.device) {
            device["mask"] = WideToUtf8(AnsiToWide(record->maskText));
            device["gateway"] = WideToUtf8(AnsiToWide(record->gatewayText));
            device["tcpPort"] = record->tcpPort;
            device["httpPort"] = record->httpPort;
        }
        device["checked"] = row.checked;
        report["devices"].push_back(device);
    }
    return report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace tesmara::cli
