#include "platform/posix/TcpSocket.h"

// The kernel's own header: the C library's copy of tcp_info stops short of the byte counters.
// It clashes with <netinet/tcp.h>, hence a file of its own.
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstddef>

namespace vesk {

std::uint64_t socketBytesReceived(int socket) {
    tcp_info info{};
    socklen_t length = sizeof info;
    if (::getsockopt(socket, IPPROTO_TCP, TCP_INFO, &info, &length) != 0)
        return 0;
    const socklen_t needed =
        offsetof(tcp_info, tcpi_bytes_received) + sizeof info.tcpi_bytes_received;
    return length >= needed ? info.tcpi_bytes_received : 0;
}

// A shutdown alone leaves a flooding peer's data readable for as long as it keeps coming;
// connecting to AF_UNSPEC disconnects the socket itself.
void abortConnection(int socket) {
    sockaddr unspecified{};
    unspecified.sa_family = AF_UNSPEC;
    ::connect(socket, &unspecified, sizeof unspecified);
}

}  // namespace vesk
