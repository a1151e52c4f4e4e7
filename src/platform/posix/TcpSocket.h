#pragma once

#include <cstdint>

namespace vesk {

// Bytes a connected TCP socket has received so far, headers included; 0 when the system cannot
// tell.
std::uint64_t socketBytesReceived(int socket);

// Drops the connection at once (a reset) and discards what is queued, so a reader blocked on it
// returns even while the peer keeps sending. Every descriptor of the socket stays valid.
void abortConnection(int socket);

}  // namespace vesk
