// The connection under one request of the HTTP layer: the host resolved, a
// TCP connection made, for https a TLS session whose server certificate and
// host name are verified, and a stream the HTTP library writes the request
// to and reads the answer from. The layer's own code, not the library's,
// waits for every byte, so that each request is bounded in time (per wait
// and in all), can be stopped while it waits, and cannot be made to hold an
// answer head of any size.
//
// One connection per request, used by the thread that makes the request.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include <httplib.h>

namespace Utils {

using HttpClock = std::chrono::steady_clock;

// Where a request goes.
struct HttpTarget {
    bool https = false;
    std::string host;  // a name, or an address literal (IPv6 without brackets)
    int port = 0;
    std::string hostHeader;  // the Host header: host, with ":port" unless the scheme's default
};

// Splits a base URL "scheme://host[:port]" (scheme http or https in any
// letter case, an IPv6 address in brackets, a port of 1 to 65535) into a
// target. False for anything else: another scheme, an empty host, a host
// with blanks or control characters, a path, a port out of range.
bool HttpTargetFromBaseUrl(const std::string& baseUrl, HttpTarget& out);

// What bounds one request. Waits are cut into slices of at most 100 ms, and
// `stop` is asked after each.
struct HttpLimits {
    int connectTimeoutMs = 300000;  // each connect, and the TLS handshake
    int receiveTimeoutMs = 5000;    // the longest wait for more bytes of the answer
    int sendTimeoutMs = 5000;       // the longest wait to send more of the request
    // The whole request, and the answer's head (status line and headers).
    HttpClock::time_point deadline = HttpClock::time_point::max();
    HttpClock::time_point headDeadline = HttpClock::time_point::max();
    // The body fails when fewer than `stallBytes` arrive in `stallWindowMs`
    // (0: no such rule).
    uint64_t stallBytes = 0;
    int stallWindowMs = 0;
    // The answer's head may hold this many bytes in all, and per line.
    size_t maxHeadBytes = std::numeric_limits<size_t>::max();
    size_t maxLineBytes = std::numeric_limits<size_t>::max();
    // True ends the request as cancelled. Called on the requesting thread.
    std::function<bool()> stop;
};

// Why a connection gave up, beyond the library's error.
enum class HttpStop {
    kNone,
    kStopped,       // `stop` said so
    kTimedOut,      // one wait took longer than its time-out
    kDeadline,      // the request's or the head's deadline passed
    kStalled,       // the body came slower than the stall rule allows
    kHeadTooLarge,  // the answer's head or one of its lines was too long
    kTlsTruncated,  // the TLS session ended without its closing message
    kBadChunks,     // a chunked body did not end with its last chunk
};

// Text for the log.
const char* HttpStopText(HttpStop stop);

class HttpConnection {
  public:
    HttpConnection(HttpTarget target, HttpLimits limits);
    // Closes the connection.
    ~HttpConnection();
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;

    // Resolves the host, connects to its addresses in turn, and for https
    // completes the TLS handshake (TLS 1.2 or later, the host name sent)
    // and verifies the server's chain against the trust store and its name
    // against the host. Returns Success; Connection (nothing to connect to,
    // refused, timed out, or the deadline: stopReason() tells);
    // SSLConnection; SSLServerVerification (verifyResult() says why);
    // Canceled (stopped).
    httplib::Error Open();

    // Reads and writes the connection; valid after Open succeeded.
    httplib::Stream& stream();

    // The server's verification result (X509_V_OK when verified; -1 for a
    // plain http connection or before the handshake).
    long verifyResult() const;
    bool tls() const;

    // Why the connection gave up, if it did.
    HttpStop stopReason() const;

    // The answer's head has been read: what follows is its body, in chunked
    // framing when `chunked`. The stall rule starts here; the head's limits
    // end.
    void BeginBody(bool chunked);

    // False when the body was chunked and has not ended with its last chunk
    // and the empty line after it.
    bool BodyComplete() const;

    // Bytes of the body read so far.
    uint64_t bodyBytes() const;

    class Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace Utils
