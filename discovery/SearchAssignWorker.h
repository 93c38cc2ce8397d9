// The search-and-assign worker: it finds the devices by the basic search, offers each one an
// address from the job's plan and reports them all, those that confirmed shown.
#pragma once

#include "discovery/SearchStatus.h"

namespace tesmara {

int SearchAssignWorker(const SearchJob& job, const SearchPorts& ports, SearchStatus& status);

}  // namespace tesmara
