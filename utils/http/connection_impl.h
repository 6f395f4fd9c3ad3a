// The inside of HttpConnection, shared by its two source files:
// connection.cpp (resolving, connecting, the TLS handshake) and
// connection_stream.cpp (the stream over the connected socket).
#pragma once

#include <openssl/ssl.h>

#include <vector>

#include "utils/http/chunked_framing.h"
#include "utils/http/connection.h"
#include "utils/http/socket_io.h"

namespace Utils {

class HttpConnection::Impl : public httplib::Stream {
  public:
    Impl(HttpTarget target, HttpLimits limits);
    ~Impl() override;
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    httplib::Error Open();

    // httplib::Stream
    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* ptr, size_t size) override;
    ssize_t write(const char* ptr, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override;

    void BeginBody(bool chunked);
    bool BodyComplete() const { return !chunked_ || framing_.complete(); }
    uint64_t bodyBytes() const { return bodyBytes_; }
    long verifyResult() const { return verifyResult_; }
    bool tls() const { return target_.https; }
    HttpStop stopReason() const { return stop_; }

  private:
    // Waits until the socket can be read (or written), for at most
    // `timeoutMs` and never past the deadlines, asking `stop` every 100 ms.
    // False, with the reason kept, when it gave up.
    bool WaitFor(bool forWriting, int timeoutMs);
    // Waits `sliceMs` at most for a connection under way.
    bool WaitSlices(int timeoutMs, const std::function<bool(int)>& waitSlice);
    // The deadline that applies now.
    HttpClock::time_point Deadline() const;
    // Ends the connection's use for `why` (the first reason stays).
    void GiveUp(HttpStop why);
    // The stall rule, at `now`: false (given up) when the body is too slow.
    bool Flowing(HttpClock::time_point now);

    httplib::Error Resolve(std::vector<SocketPeer>& peers);
    httplib::Error Connect(const std::vector<SocketPeer>& peers);
    httplib::Error Handshake();

    // Refills buffer_: true with bytes, false at the end of the answer
    // (eof_) or on failure (failed_).
    bool Fill();
    // Accounts for bytes handed to the library: the head's limits, the
    // chunked framing, the body's count. False when they break a limit.
    bool Observe(const char* data, size_t size);

    HttpTarget target_;
    HttpLimits limits_;
    std::uintptr_t socket_ = kNoSocket;
    SSL_CTX* context_ = nullptr;
    SSL* ssl_ = nullptr;
    long verifyResult_ = -1;
    HttpStop stop_ = HttpStop::kNone;

    std::vector<char> buffer_;
    size_t next_ = 0;  // first byte of buffer_ not yet handed out
    size_t end_ = 0;   // end of the bytes in buffer_
    bool failed_ = false;
    bool eof_ = false;

    bool inBody_ = false;
    bool chunked_ = false;
    ChunkedFraming framing_;
    size_t headBytes_ = 0;
    size_t lineBytes_ = 0;
    uint64_t bodyBytes_ = 0;
    // The stall rule's window: when it began, and the body's bytes then.
    HttpClock::time_point windowStart_;
    uint64_t windowBytes_ = 0;
};

}  // namespace Utils
