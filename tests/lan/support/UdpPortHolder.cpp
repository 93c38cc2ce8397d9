#include "tests/lan/support/UdpPortHolder.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tesmara::lan {

UdpPortHolder::UdpPortHolder(uint16_t port) {
    socket_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (socket_ < 0) return;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(socket_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        ::close(socket_);
        socket_ = -1;
    }
}

UdpPortHolder::~UdpPortHolder() {
    if (socket_ >= 0) ::close(socket_);
}

}  // namespace tesmara::lan
