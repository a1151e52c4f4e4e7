#pragma once

namespace httplib {
class Server;
}

namespace vesk {

// Makes the server's listening socket refuse a second listener on the same port. By default
// the HTTP library lets two processes share a port, which would let a second copy of the
// service take half of the supervisor's requests instead of failing at start. Replies also go
// out without waiting to be coalesced.
void useExclusiveListenSocket(httplib::Server& server);

}  // namespace vesk
