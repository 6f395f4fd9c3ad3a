// The stream of a connection: what the HTTP library reads the answer from
// and writes the request to. Reads go through a buffer refilled with one
// receive (or one TLS record) at a time; every wait is bounded and can be
// stopped; the answer's head and a chunked body are followed as they pass.
#include <openssl/err.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "utils/http/connection_impl.h"

namespace Utils {

namespace {

// What one receive may bring: as much as loopback or a fast link delivers
// at once.
constexpr size_t kReadPieceBytes = size_t{64} << 10;

// The TLS session ended without the peer's closing message: for an answer
// that ends with the connection, its end cannot be told from a cut.
bool UnexpectedTlsEnd(int reason) {
    if (reason == SSL_ERROR_SYSCALL && ERR_peek_error() == 0) {
        return true;
    }
    return reason == SSL_ERROR_SSL &&
           ERR_GET_REASON(ERR_peek_error()) == SSL_R_UNEXPECTED_EOF_WHILE_READING;
}

}  // namespace

bool HttpConnection::Impl::Flowing(HttpClock::time_point now) {
    if (!inBody_ || limits_.stallBytes == 0 || limits_.stallWindowMs <= 0) {
        return true;
    }
    if (now - windowStart_ < std::chrono::milliseconds(limits_.stallWindowMs)) {
        return true;
    }
    if (bodyBytes_ - windowBytes_ < limits_.stallBytes) {
        GiveUp(HttpStop::kStalled);
        return false;
    }
    windowStart_ = now;
    windowBytes_ = bodyBytes_;
    return true;
}

void HttpConnection::Impl::BeginBody(bool chunked) {
    inBody_ = true;
    chunked_ = chunked;
    windowStart_ = HttpClock::now();
    windowBytes_ = bodyBytes_;
}

bool HttpConnection::Impl::Observe(const char* data, size_t size) {
    if (inBody_) {
        bodyBytes_ += size;
        if (chunked_ && !framing_.Feed(data, size)) {
            GiveUp(HttpStop::kBadChunks);
            return false;
        }
        return true;
    }
    // The library reads the head a byte at a time: the limits hold exactly.
    for (size_t i = 0; i < size; ++i) {
        ++headBytes_;
        lineBytes_ = data[i] == '\n' ? 0 : lineBytes_ + 1;
        if (headBytes_ > limits_.maxHeadBytes || lineBytes_ > limits_.maxLineBytes) {
            GiveUp(HttpStop::kHeadTooLarge);
            return false;
        }
    }
    return true;
}

bool HttpConnection::Impl::Fill() {
    if (buffer_.empty()) {
        buffer_.resize(kReadPieceBytes);
    }
    // A stream that never has to wait is still stopped and timed here.
    const HttpClock::time_point now = HttpClock::now();
    if (limits_.stop && limits_.stop()) {
        GiveUp(HttpStop::kStopped);
        return false;
    }
    if (now >= Deadline()) {
        GiveUp(HttpStop::kDeadline);
        return false;
    }
    if (!Flowing(now)) {
        return false;
    }
    for (;;) {
        if (ssl_ == nullptr) {
            const long long n = ReceiveSome(socket_, buffer_.data(), buffer_.size());
            if (n > 0) {
                next_ = 0;
                end_ = static_cast<size_t>(n);
                return true;
            }
            if (n == 0) {
                eof_ = true;
                return false;
            }
            if (!SocketWouldBlock()) {
                failed_ = true;
                return false;
            }
            if (!WaitFor(false, limits_.receiveTimeoutMs)) {
                return false;
            }
            continue;
        }
        const int n = SSL_read(ssl_, buffer_.data(), static_cast<int>(buffer_.size()));
        if (n > 0) {
            next_ = 0;
            end_ = static_cast<size_t>(n);
            return true;
        }
        const int reason = SSL_get_error(ssl_, n);
        if (reason == SSL_ERROR_WANT_READ || reason == SSL_ERROR_WANT_WRITE) {
            if (!WaitFor(reason == SSL_ERROR_WANT_WRITE, limits_.receiveTimeoutMs)) {
                return false;
            }
            continue;
        }
        if (reason == SSL_ERROR_ZERO_RETURN) {
            eof_ = true;
        } else if (UnexpectedTlsEnd(reason)) {
            GiveUp(HttpStop::kTlsTruncated);
        } else {
            failed_ = true;
        }
        ERR_clear_error();
        return false;
    }
}

ssize_t HttpConnection::Impl::read(char* ptr, size_t size) {
    if (failed_) {
        return -1;
    }
    if (next_ == end_ && !Fill()) {
        return failed_ ? -1 : 0;
    }
    const size_t n = std::min(size, end_ - next_);
    if (!Observe(buffer_.data() + next_, n)) {
        return -1;
    }
    std::memcpy(ptr, buffer_.data() + next_, n);
    next_ += n;
    return static_cast<ssize_t>(n);
}

ssize_t HttpConnection::Impl::write(const char* ptr, size_t size) {
    if (failed_) {
        return -1;
    }
    const size_t piece = std::min<size_t>(size, INT_MAX);
    for (;;) {
        if (ssl_ == nullptr) {
            const long long n = SendSome(socket_, ptr, piece);
            if (n >= 0) {
                return static_cast<ssize_t>(n);
            }
            if (!SocketWouldBlock()) {
                failed_ = true;
                return -1;
            }
            if (!WaitFor(true, limits_.sendTimeoutMs)) {
                return -1;
            }
            continue;
        }
        const int n = SSL_write(ssl_, ptr, static_cast<int>(piece));
        if (n > 0) {
            return n;
        }
        const int reason = SSL_get_error(ssl_, n);
        if (reason != SSL_ERROR_WANT_READ && reason != SSL_ERROR_WANT_WRITE) {
            ERR_clear_error();
            failed_ = true;
            return -1;
        }
        if (!WaitFor(reason == SSL_ERROR_WANT_WRITE, limits_.sendTimeoutMs)) {
            return -1;
        }
    }
}

bool HttpConnection::Impl::is_readable() const {
    return next_ < end_ || (ssl_ != nullptr && SSL_pending(ssl_) > 0) ||
           WaitSocket(socket_, false, limits_.receiveTimeoutMs);
}

bool HttpConnection::Impl::is_writable() const {
    return !failed_ && WaitSocket(socket_, true, limits_.sendTimeoutMs);
}

void HttpConnection::Impl::get_remote_ip_and_port(std::string& ip, int& port) const {
    SocketAddress(socket_, true, ip, port);
}

void HttpConnection::Impl::get_local_ip_and_port(std::string& ip, int& port) const {
    SocketAddress(socket_, false, ip, port);
}

socket_t HttpConnection::Impl::socket() const {
    return static_cast<socket_t>(socket_);
}

}  // namespace Utils
