#include <winsock2.h>
#include <ws2tcpip.h>

#include <climits>

#include "utils/http/socket_io.h"

namespace Utils {

namespace {

SOCKET Handle(std::uintptr_t socket) {
    return static_cast<SOCKET>(socket);
}

// Winsock counts in int.
int Length(size_t size) {
    return size > INT_MAX ? INT_MAX : static_cast<int>(size);
}

}  // namespace

bool WaitSocket(std::uintptr_t socket, bool forWriting, int timeoutMs) {
    WSAPOLLFD fd{Handle(socket), static_cast<SHORT>(forWriting ? POLLOUT : POLLIN), 0};
    return WSAPoll(&fd, 1, timeoutMs) > 0;
}

long long ReceiveSome(std::uintptr_t socket, char* buffer, size_t size) {
    return recv(Handle(socket), buffer, Length(size), 0);
}

long long SendSome(std::uintptr_t socket, const char* data, size_t size) {
    return send(Handle(socket), data, Length(size), 0);
}

bool SocketAddress(std::uintptr_t socket, bool peer, std::string& ip, int& port) {
    sockaddr_storage address{};
    int length = sizeof address;
    auto* any = reinterpret_cast<sockaddr*>(&address);
    if ((peer ? getpeername(Handle(socket), any, &length)
              : getsockname(Handle(socket), any, &length)) != 0) {
        return false;
    }
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
        if (inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text) == nullptr) {
            return false;
        }
        port = ntohs(v4->sin_port);
    } else if (address.ss_family == AF_INET6) {
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
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
