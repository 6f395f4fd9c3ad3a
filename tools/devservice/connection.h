// The HTTP server under the development service: cpp-httplib's server, but
// each connection carries one request and is read and written through a
// socket stream of the service's own. That lets a handler see the request
// headers exactly as they came on the wire (the library keeps them sorted by
// name) and close a connection without sending a single byte.
//
// The service is a Linux program; this part uses POSIX sockets directly.
#pragma once

#include <httplib.h>

#include "tools/devservice/record.h"

namespace DevService {

// The connection of the request being handled. Lives on the serving thread
// for as long as the request; only that thread uses it.
class Connection {
  public:
    virtual ~Connection() = default;
    // The request headers as they came: names as sent, in wire order.
    virtual HeaderList WireHeaders() const = 0;
    // Writes `size` bytes to the socket as they are, past the library: for a
    // handler that frames its answer itself (and then calls Drop, so that
    // the library's own response is discarded). Waits up to 10 s whenever
    // the socket takes no more. Returns false when the connection has been
    // dropped, the peer went away or a wait ran out.
    virtual bool SendRaw(const char* data, size_t size) = 0;
    // Closes the connection without writing anything more; whatever response
    // the handler leaves behind is discarded.
    virtual void Drop() = 0;
};

// The Connection of the request that the calling thread is handling inside a
// TappedServer handler (or a content provider it set), else nullptr.
Connection* CurrentConnection();

class TappedServer : public httplib::Server {
  private:
    // Overrides the library's per-connection loop: one request, then close.
    bool process_and_close_socket(socket_t sock) override;
};

}  // namespace DevService
