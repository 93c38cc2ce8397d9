// Whether this process runs inside the private test LAN that scripts/testlan makes: a network
// namespace of our own, named by TESMARA_TESTLAN, whose own interfaces are exactly lo and the
// veth pairs tlan0/tlan1 and tlan2/tlan3. Anything that broadcasts or serves recorders checks it
// first.
#pragma once

#include <string>

namespace tesmara::devsim {

// Empty inside the test LAN, otherwise the reason this process is not in it.
std::string WhyNotInsideTestLan();

}  // namespace tesmara::devsim
