#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

#include "utils/http/socket_io.h"

namespace Utils {

namespace {

int Fd(std::uintptr_t socket) {
    return static_cast<int>(socket);
}

}  // namespace

bool WaitSocket(std::uintptr_t socket, bool forWriting, int timeoutMs) {
    pollfd fd{Fd(socket), static_cast<short>(forWriting ? POLLOUT : POLLIN), 0};
    int ready;
    do {
        ready = poll(&fd, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

long long ReceiveSome(std::uintptr_t socket, char* buffer, size_t size) {
    ssize_t n;
    do {
        n = recv(Fd(socket), buffer, size, 0);
    } while (n < 0 && errno == EINTR);
    return n;
}

long long SendSome(std::uintptr_t socket, const char* data, size_t size) {
    ssize_t n;
    do {
        n = send(Fd(socket), data, size, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n;
}

bool SocketAddress(std::uintptr_t socket, bool peer, std::string& ip, int& port) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    auto* any = reinterpret_cast<sockaddr*>(&address);
    if ((peer ? getpeername(Fd(socket), any, &length) : getsockname(Fd(socket), any, &length)) !=
        0) {
        return false;
    }
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&address);
        if (inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text) == nullptr) {
            return false;
        }
        port = ntohs(v4->sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address);
        if (inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text) == nullptr) {
            return false;
        }
        port = ntohs(v6->sin6_port);
    } else {
        return false;
    }
    ip = text;
    return true;
}

}  // namespace Utils
