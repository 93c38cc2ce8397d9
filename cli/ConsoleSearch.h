// A search of the segment from the console: the search worker on this thread, its lines echoed
// as they come, its devices kept from its events.
#pragma once

#include <cstdio>
#include <vector>

#include "discovery/SearchStatus.h"
#include "view/InMemoryMainView.h"

namespace tesmara::cli {

struct SegmentSearch {
    bool completed = false;
    std::vector<StatusLine> log;
    DeviceList devices;  // every device the search recorded
    // The devices the search lists, as the window's table would show them.
    std::vector<TableRow> Rows();
};

// `echo` receives each line as "[colour] text"; null keeps them quiet.
SegmentSearch SearchSegment(const SearchJob& job, SocketFactory& sockets, Clock& clock,
                            std::FILE* echo);

}  // namespace tesmara::cli
