// A cpp-httplib server for tests: bound to 127.0.0.1 on a free port and
// listening on its own thread while the object lives.
//
//   TestSupport::LocalHttpServer server;
//   server.server().Get("/x", [](const httplib::Request&, httplib::Response& res) {...});
//   ASSERT_TRUE(server.Start());
//   ... requests to server.Url("/x") ...
//   (the destructor stops the server and joins its thread)
#pragma once

#include <memory>
#include <string>
#include <thread>

#include <httplib.h>

namespace TestSupport {

class LocalHttpServer {
  public:
    // A plain http server.
    LocalHttpServer();
    // `server` (for example an httplib::SSLServer), addressed with `scheme`.
    LocalHttpServer(std::unique_ptr<httplib::Server> server, const std::string& scheme);
    // Stop().
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    // Register handlers here before Start(); handlers run on the server's
    // threads.
    httplib::Server& server() { return *server_; }

    // Binds to 127.0.0.1 on a free port and starts listening on a thread.
    // Connections are accepted from the moment it returns. False when the
    // port could not be bound (or the server is not valid, e.g. a TLS server
    // without a usable certificate).
    bool Start();

    // Waits until the thread listens, stops the server and joins the thread
    // (which waits for requests in progress). Does nothing when not started.
    void Stop();

    int port() const { return port_; }

    // "<scheme>://<host>:<port><path>".
    std::string Url(const std::string& path, const std::string& host = "127.0.0.1") const;

  private:
    std::unique_ptr<httplib::Server> server_;
    std::string scheme_;
    std::thread thread_;
    int port_ = -1;
};

// A port on 127.0.0.1 that was free a moment ago and that nothing listens on:
// connecting to it is refused.
int ClosedLocalPort();

}  // namespace TestSupport
