#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "utils/http/socket_io.h"

namespace Utils {

namespace {

int Fd(std::uintptr_t socket) {
    return static_cast<int>(socket);
}

int Poll(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    int ready;
    do {
        ready = poll(&p, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready;
}

}  // namespace

int ResolveTcp(const std::string& host, int port, std::vector<SocketPeer>& out) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    const int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    if (rc != 0) {
        return rc;
    }
    for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
        SocketPeer peer;
        peer.family = a->ai_family;
        peer.type = a->ai_socktype;
        peer.protocol = a->ai_protocol;
        peer.address.assign(reinterpret_cast<const char*>(a->ai_addr), a->ai_addrlen);
        out.push_back(std::move(peer));
    }
    freeaddrinfo(found);
    return 0;
}

std::uintptr_t OpenTcpSocket(const SocketPeer& peer) {
    const int fd = socket(peer.family, peer.type | SOCK_NONBLOCK | SOCK_CLOEXEC, peer.protocol);
    if (fd < 0) {
        return kNoSocket;
    }
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return static_cast<std::uintptr_t>(fd);
}

int StartConnect(std::uintptr_t socket, const SocketPeer& peer) {
    int rc;
    do {
        rc = connect(Fd(socket), reinterpret_cast<const sockaddr*>(peer.address.data()),
                     static_cast<socklen_t>(peer.address.size()));
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        return 0;
    }
    return errno == EINPROGRESS ? 1 : -1;
}

bool WaitConnected(std::uintptr_t socket, int timeoutMs) {
    return Poll(Fd(socket), POLLOUT, timeoutMs) > 0;
}

int ConnectError(std::uintptr_t socket) {
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(Fd(socket), SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
        return errno;
    }
    return error;
}

void CloseSocket(std::uintptr_t socket) {
    if (socket == kNoSocket) {
        return;
    }
    shutdown(Fd(socket), SHUT_RDWR);
    close(Fd(socket));
}

bool WaitSocket(std::uintptr_t socket, bool forWriting, int timeoutMs) {
    return Poll(Fd(socket), static_cast<short>(forWriting ? POLLOUT : POLLIN), timeoutMs) > 0;
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

bool SocketWouldBlock() {
    return errno == EAGAIN || errno == EWOULDBLOCK;
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
