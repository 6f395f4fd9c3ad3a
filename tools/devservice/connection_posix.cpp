#include "tools/devservice/connection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace DevService {

namespace {

// How long a read or a write may wait for the socket. Throttled downloads
// write small pieces, so this bounds only a stuck peer.
constexpr int kWaitMs = 10000;
// The header block is kept for WireHeaders up to this size.
constexpr size_t kMaxHeaderBytes = 64 * 1024;

void AddressOf(const sockaddr_storage& address, std::string& ip, int& port) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&address);
        inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
        port = ntohs(v4->sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address);
        inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
        port = ntohs(v6->sin6_port);
    }
    ip = text;
}

bool WaitFor(int fd, short events) {
    pollfd p{fd, events, 0};
    int n;
    do {
        n = poll(&p, 1, kWaitMs);
    } while (n < 0 && errno == EINTR);
    return n > 0;
}

class SocketConnection : public httplib::Stream, public Connection {
  public:
    explicit SocketConnection(int fd) : fd_(fd), buffer_(4096) {}

    bool is_readable() const override { return offset_ < filled_ || WaitFor(fd_, POLLIN); }
    bool is_writable() const override { return !dropped_ && WaitFor(fd_, POLLOUT); }

    ssize_t read(char* ptr, size_t size) override {
        if (offset_ == filled_) {
            if (dropped_ || !WaitFor(fd_, POLLIN)) {
                return -1;
            }
            ssize_t n;
            do {
                n = recv(fd_, buffer_.data(), buffer_.size(), 0);
            } while (n < 0 && errno == EINTR);
            if (n <= 0) {
                return n;
            }
            offset_ = 0;
            filled_ = static_cast<size_t>(n);
        }
        const size_t n = std::min(size, filled_ - offset_);
        std::memcpy(ptr, buffer_.data() + offset_, n);
        Capture(buffer_.data() + offset_, n);
        offset_ += n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char* ptr, size_t size) override {
        if (dropped_ || !WaitFor(fd_, POLLOUT)) {
            return -1;
        }
        ssize_t n;
        do {
            n = send(fd_, ptr, size, MSG_NOSIGNAL);
        } while (n < 0 && errno == EINTR);
        return n;
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (getpeername(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            AddressOf(address, ip, port);
        }
    }

    void get_local_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            AddressOf(address, ip, port);
        }
    }

    socket_t socket() const override { return fd_; }

    HeaderList WireHeaders() const override {
        HeaderList headers;
        size_t start = head_.find("\r\n");  // skip the request line
        while (start != std::string::npos) {
            start += 2;
            const size_t end = head_.find("\r\n", start);
            if (end == std::string::npos || end == start) {
                break;
            }
            const std::string line = head_.substr(start, end - start);
            const size_t colon = line.find(':');
            if (colon != std::string::npos) {
                const size_t value = line.find_first_not_of(" \t", colon + 1);
                headers.emplace_back(line.substr(0, colon),
                                     value == std::string::npos ? "" : line.substr(value));
            }
            start = end;
        }
        return headers;
    }

    bool SendRaw(const char* data, size_t size) override {
        while (size > 0) {
            const ssize_t n = write(data, size);
            if (n <= 0) {
                return false;
            }
            data += n;
            size -= static_cast<size_t>(n);
        }
        return true;
    }

    void Drop() override {
        dropped_ = true;
        shutdown(fd_, SHUT_RDWR);
    }

  private:
    // Keeps the bytes of the request line and headers, up to the blank line.
    void Capture(const char* data, size_t size) {
        if (headComplete_) {
            return;
        }
        const size_t before = head_.size();
        head_.append(data, std::min(size, kMaxHeaderBytes - before));
        const size_t end = head_.find("\r\n\r\n", before >= 3 ? before - 3 : 0);
        if (end != std::string::npos) {
            head_.resize(end + 4);
            headComplete_ = true;
        } else if (head_.size() >= kMaxHeaderBytes) {
            headComplete_ = true;
        }
    }

    int fd_;
    std::vector<char> buffer_;
    size_t offset_ = 0;
    size_t filled_ = 0;
    std::string head_;
    bool headComplete_ = false;
    bool dropped_ = false;
};

thread_local Connection* t_current = nullptr;

}  // namespace

Connection* CurrentConnection() {
    return t_current;
}

bool TappedServer::process_and_close_socket(socket_t sock) {
    bool ok;
    {
        SocketConnection connection(sock);
        t_current = &connection;
        bool closed = false;
        ok = process_request(connection, true, closed, nullptr);
        t_current = nullptr;
    }
    shutdown(sock, SHUT_RDWR);
    close(sock);
    return ok;
}

}  // namespace DevService
