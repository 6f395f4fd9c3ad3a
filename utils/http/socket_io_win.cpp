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

timeval Timeval(int timeoutMs) {
    timeval tv{};
    tv.tv_sec = timeoutMs / 1000;
    tv.tv_usec = (timeoutMs % 1000) * 1000;
    return tv;
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
    const SOCKET s = WSASocketW(peer.family, peer.type, peer.protocol, nullptr, 0,
                                WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET) {
        return kNoSocket;
    }
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    const BOOL on = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    return static_cast<std::uintptr_t>(s);
}

int StartConnect(std::uintptr_t socket, const SocketPeer& peer) {
    if (connect(Handle(socket), reinterpret_cast<const sockaddr*>(peer.address.data()),
                static_cast<int>(peer.address.size())) == 0) {
        return 0;
    }
    return WSAGetLastError() == WSAEWOULDBLOCK ? 1 : -1;
}

bool WaitConnected(std::uintptr_t socket, int timeoutMs) {
    // select, not WSAPoll: WSAPoll does not report a refused connection on
    // older Windows; a failed connect shows in the exception set.
    fd_set writable;
    fd_set failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(Handle(socket), &writable);
    FD_SET(Handle(socket), &failed);
    timeval tv = Timeval(timeoutMs);
    return select(0, nullptr, &writable, &failed, &tv) > 0;
}

int ConnectError(std::uintptr_t socket) {
    int error = 0;
    int length = sizeof error;
    if (getsockopt(Handle(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error),
                   &length) != 0) {
        return WSAGetLastError();
    }
    return error;
}

void CloseSocket(std::uintptr_t socket) {
    if (socket == kNoSocket) {
        return;
    }
    shutdown(Handle(socket), SD_BOTH);
    closesocket(Handle(socket));
}

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

bool SocketWouldBlock() {
    return WSAGetLastError() == WSAEWOULDBLOCK;
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
