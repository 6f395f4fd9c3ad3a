// Waiting on, reading and writing a connected socket, for the download's
// connection stream (download.cpp). Interrupted calls are retried. The
// socket is the library's handle (an int on Linux, a SOCKET on Windows)
// carried as an integer. Any thread; one socket is used by one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Utils {

// Whether the socket can be read (or, with `forWriting`, written) within
// `timeoutMs` milliseconds.
bool WaitSocket(std::uintptr_t socket, bool forWriting, int timeoutMs);

// One recv into buffer[0, size): the byte count, 0 when the peer closed,
// negative on failure.
long long ReceiveSome(std::uintptr_t socket, char* buffer, size_t size);

// One send of data[0, size) (never raising SIGPIPE): the byte count written,
// negative on failure.
long long SendSome(std::uintptr_t socket, const char* data, size_t size);

// The numeric address and port of the socket's own end, or with `peer` of the
// other end. False (outputs untouched) when the system cannot tell.
bool SocketAddress(std::uintptr_t socket, bool peer, std::string& ip, int& port);

}  // namespace Utils
