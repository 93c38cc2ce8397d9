#include "cli/ConsoleSearch.h"

#include "cli/ConsoleMainView.h"
#include "discovery/SearchAssignWorker.h"
#include "discovery/SearchOnlyWorker.h"
#include "platform/Showable.h"
#include "platform/Text.h"
#include "platform/Workers.h"
#include "view/DeviceTable.h"

namespace tesmara::cli {
namespace {

class ConsoleSearchStatus final : public SearchStatus {
  public:
    ConsoleSearchStatus(SegmentSearch& out, std::FILE* echo) : m_out(out), m_echo(echo) {}

    void Line(std::wstring_view text, StatusColour colour) override {
        m_out.log.push_back({std::wstring(text), colour});
        if (!m_echo) return;
        std::fprintf(m_echo, "[%s] %s\n", ColourTag(colour), WideToUtf8(Showable(text)).c_str());
        std::fflush(m_echo);
    }
    void Found(DeviceList devices) override { m_out.devices = std::move(devices); }
    void Finished(bool completed) override { m_out.completed = completed; }

  private:
    SegmentSearch& m_out;
    std::FILE* m_echo;
};

}  // namespace

std::vector<TableRow> SegmentSearch::Rows() {
    std::vector<TableRow> rows;
    for (DeviceRow& device : devices) {
        if (device.shown != 1) continue;
        TableRow row;
        const auto cells = DeviceCells(static_cast<int>(rows.size()), device);
        row.cells.assign(cells.begin(), cells.end());
        row.device = &device;
        rows.push_back(std::move(row));
    }
    return rows;
}

SegmentSearch SearchSegment(const SearchJob& job, SocketFactory& sockets, Clock& clock,
                            std::FILE* echo) {
    SegmentSearch out;
    ConsoleSearchStatus status(out, echo);
    const WorkerGroup never;  // nothing stops a console search
    const SearchPorts ports{sockets, clock, never};
    if (job.assign) {
        SearchAssignWorker(job, ports, status);
    } else {
        SearchOnlyWorker(job, ports, status);
    }
    return out;
}

}  // namespace tesmara::cli
