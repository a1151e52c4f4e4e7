#include <httplib.h>
#include <sys/socket.h>

#include "ExclusiveListen.h"

namespace vesk {

void useExclusiveListenSocket(httplib::Server& server) {
    // SO_REUSEADDR alone still allows a quick restart over connections in TIME_WAIT, but not
    // a second socket listening on the port.
    server.set_socket_options([](int sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
}

}  // namespace vesk
