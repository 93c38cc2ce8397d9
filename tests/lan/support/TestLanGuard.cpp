#include "tests/lan/support/TestLanGuard.h"

#include "devsim/TestLan.h"

namespace tesmara::lan {

std::string WhyNotInsideTestLan() {
    return devsim::WhyNotInsideTestLan();
}

}  // namespace tesmara::lan
