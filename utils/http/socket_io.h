// The sockets under the HTTP layer's own connections (connection.cpp):
// resolving a host, a non-blocking TCP connect, waiting on, reading and
// writing a connected socket. Interrupted calls are retried. A socket is the
// system's handle (an int on Linux, a SOCKET on Windows) carried as an
// integer. Any thread; one socket is used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Utils {

// No socket (the value of an invalid handle on both systems).
inline constexpr std::uintptr_t kNoSocket = ~std::uintptr_t{0};

// One address a host resolved to: what a socket is opened and connected
// with.
struct SocketPeer {
    int family = 0;
    int type = 0;
    int protocol = 0;
    std::string address;  // the system's socket address structure, as bytes
};

// Resolves `host` (a name, or an IPv4 or IPv6 literal without brackets) for
// a TCP connection to `port`. Returns 0 with `out` in the resolver's order,
// or the resolver's own error code. Blocks until the system's resolver
// answers.
int ResolveTcp(const std::string& host, int port, std::vector<SocketPeer>& out);

// A new non-blocking TCP socket for `peer`, not inherited by child
// processes, with Nagle's delay off. kNoSocket when none can be made.
std::uintptr_t OpenTcpSocket(const SocketPeer& peer);

// Starts connecting `socket` to `peer`: 0 when connected at once, 1 when the
// connection is under way (wait with WaitConnected), -1 when it failed.
int StartConnect(std::uintptr_t socket, const SocketPeer& peer);

// Waits up to `timeoutMs` for a connection under way. True when it has
// ended, either way: ConnectError tells how.
bool WaitConnected(std::uintptr_t socket, int timeoutMs);

// How a connection under way ended: 0 connected, else the system's error.
int ConnectError(std::uintptr_t socket);

// Ends both directions of the connection and releases the socket.
void CloseSocket(std::uintptr_t socket);

// Whether the socket can be read (or, with `forWriting`, written) within
// `timeoutMs` milliseconds.
bool WaitSocket(std::uintptr_t socket, bool forWriting, int timeoutMs);

// One recv into buffer[0, size): the byte count, 0 when the peer closed,
// negative on failure (SocketWouldBlock tells a socket that has nothing yet).
long long ReceiveSome(std::uintptr_t socket, char* buffer, size_t size);

// One send of data[0, size) (never raising SIGPIPE): the byte count written,
// negative on failure (SocketWouldBlock tells a socket without room yet).
long long SendSome(std::uintptr_t socket, const char* data, size_t size);

// Whether the last failed ReceiveSome or SendSome of this thread failed only
// because the non-blocking socket could not go on at once.
bool SocketWouldBlock();

// The numeric address and port of the socket's own end, or with `peer` of the
// other end. False (outputs untouched) when the system cannot tell.
bool SocketAddress(std::uintptr_t socket, bool peer, std::string& ip, int& port);

}  // namespace Utils
