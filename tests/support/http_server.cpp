#include "tests/support/http_server.h"

namespace TestSupport {

LocalHttpServer::LocalHttpServer() : LocalHttpServer(std::make_unique<httplib::Server>(), "http") {}

LocalHttpServer::LocalHttpServer(std::unique_ptr<httplib::Server> server, const std::string& scheme)
    : server_(std::move(server)), scheme_(scheme) {}

LocalHttpServer::~LocalHttpServer() {
    Stop();
}

bool LocalHttpServer::Start() {
    if (thread_.joinable() || !server_->is_valid()) {
        return false;
    }
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0) {
        return false;
    }
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    return true;
}

void LocalHttpServer::Stop() {
    if (!thread_.joinable()) {
        return;
    }
    // stop() only reaches a server whose accept loop has begun; the listening
    // socket already queues connections, so this wait is for the thread to
    // get going, not for any time to pass.
    while (!server_->is_running()) {
        std::this_thread::yield();
    }
    server_->stop();
    thread_.join();
}

std::string LocalHttpServer::Url(const std::string& path, const std::string& host) const {
    return scheme_ + "://" + host + ":" + std::to_string(port_) + path;
}

int ClosedLocalPort() {
    LocalHttpServer server;
    if (!server.Start()) {
        return -1;
    }
    const int port = server.port();
    server.Stop();
    return port;
}

}  // namespace TestSupport
