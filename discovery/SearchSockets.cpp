#include "discovery/SearchSockets.h"

#include "discovery/SearchDatagrams.h"
#include "platform/Address.h"

namespace tesmara {
namespace {

constexpr int kReplyReceiveBufferBytes = 4 * 1024 * 1024;

}  // namespace

bool SearchSockets::Broadcast(const void* data, size_t size) {
    return send && send->SendTo(data, size, kLimitedBroadcast, kDevicePort) >= 0;
}

void SearchSockets::Close() {
    if (send) send->Close();
    if (receive) receive->Close();
    send.reset();
    receive.reset();
}

int OpenSearchSockets(SocketFactory& factory, SearchSockets& sockets) {
    auto fail = [&sockets](int err) {
        sockets.Close();
        return err;
    };
    sockets.send = factory.CreateDatagramSocket();
    if (!sockets.send) return fail(kErrCreateSend);
    if (!sockets.send->SetReuseAddress(true)) return fail(kErrReuseAddress);
    if (!sockets.send->SetBroadcast(true)) return fail(kErrBroadcast);
    if (!sockets.send->Bind(factory.SendAddress(), kSearchSendPort)) return fail(kErrBindSend);
    sockets.receive = factory.CreateDatagramSocket();
    if (!sockets.receive) return fail(kErrCreateReceive);
    // Room for a whole phase of replies from a large fleet: the default buffer overflowed with
    // fifty recorders and confirmed recorders went unlisted. A smaller grant still works.
    sockets.receive->SetReceiveBufferSize(kReplyReceiveBufferBytes);
    if (!sockets.receive->Bind(kAddressAny, kSearchReplyPort)) return fail(kErrBindReceive);
    if (!sockets.receive->SetNonBlocking(true)) return fail(kErrNonBlocking);
    return 0;
}

}  // namespace tesmara
