// Resolving, connecting and the TLS handshake of a connection.
#include <openssl/x509v3.h>

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "utils/http/connection_impl.h"
#include "utils/http/trust.h"

namespace Utils {

namespace {

// The longest single wait: how often `stop` and the deadlines are looked at.
constexpr int kSliceMs = 100;

bool IsIpLiteral(const std::string& host) {
    if (host.find(':') != std::string::npos) {
        return true;  // only IPv6 addresses hold a colon here
    }
    return !host.empty() && host.find_first_not_of("0123456789.") == std::string::npos;
}

bool ValidHostText(const std::string& host) {
    if (host.empty()) {
        return false;
    }
    for (const char c : host) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7f || c == '/' || c == '?' || c == '#' || c == '@' || c == '[' ||
            c == ']' || c == '\\') {
            return false;
        }
    }
    return true;
}

// A resolution on a thread of its own, so that a resolver that takes long
// can be left behind when the request is stopped or runs out of time.
struct Resolution {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;  // guarded by mutex
    int rc = 0;
    std::vector<SocketPeer> peers;
};

}  // namespace

bool HttpTargetFromBaseUrl(const std::string& baseUrl, HttpTarget& out) {
    const size_t schemeEnd = baseUrl.find("://");
    if (schemeEnd == std::string::npos) {
        return false;
    }
    std::string scheme = baseUrl.substr(0, schemeEnd);
    std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (scheme != "http" && scheme != "https") {
        return false;
    }
    HttpTarget target;
    target.https = scheme == "https";
    const std::string rest = baseUrl.substr(schemeEnd + 3);
    size_t hostEnd = 0;
    bool bracketed = false;
    if (!rest.empty() && rest[0] == '[') {
        const size_t close = rest.find(']');
        if (close == std::string::npos || close == 1 ||
            rest.find_first_not_of("0123456789abcdefABCDEF:.", 1) != close) {
            return false;
        }
        target.host = rest.substr(1, close - 1);
        hostEnd = close + 1;
        bracketed = true;
    } else {
        hostEnd = std::min(rest.find(':'), rest.size());
        target.host = rest.substr(0, hostEnd);
        if (!ValidHostText(target.host)) {
            return false;
        }
    }
    const int defaultPort = target.https ? 443 : 80;
    target.port = defaultPort;
    if (hostEnd < rest.size()) {
        const std::string digits = rest.substr(hostEnd + 1);
        if (rest[hostEnd] != ':' || digits.empty() || digits.size() > 5 ||
            digits.find_first_not_of("0123456789") != std::string::npos) {
            return false;
        }
        target.port = std::stoi(digits);
        if (target.port < 1 || target.port > 65535) {
            return false;
        }
    }
    const std::string shown = bracketed ? "[" + target.host + "]" : target.host;
    target.hostHeader =
        target.port == defaultPort ? shown : shown + ":" + std::to_string(target.port);
    out = std::move(target);
    return true;
}

const char* HttpStopText(HttpStop stop) {
    switch (stop) {
        case HttpStop::kNone:
            return "";
        case HttpStop::kStopped:
            return "stopped on request";
        case HttpStop::kTimedOut:
            return "no bytes within the time-out";
        case HttpStop::kDeadline:
            return "the request ran out of time";
        case HttpStop::kStalled:
            return "the body arrives too slowly";
        case HttpStop::kHeadTooLarge:
            return "the answer's headers are too large";
        case HttpStop::kTlsTruncated:
            return "the TLS session ended without its closing message";
        case HttpStop::kBadChunks:
            return "the chunked body does not end with its last chunk";
    }
    return "";
}

HttpConnection::HttpConnection(HttpTarget target, HttpLimits limits)
    : impl_(std::make_unique<Impl>(std::move(target), std::move(limits))) {}

HttpConnection::~HttpConnection() = default;

httplib::Error HttpConnection::Open() {
    return impl_->Open();
}

httplib::Stream& HttpConnection::stream() {
    return *impl_;
}

long HttpConnection::verifyResult() const {
    return impl_->verifyResult();
}

bool HttpConnection::tls() const {
    return impl_->tls();
}

HttpStop HttpConnection::stopReason() const {
    return impl_->stopReason();
}

void HttpConnection::BeginBody(bool chunked) {
    impl_->BeginBody(chunked);
}

bool HttpConnection::BodyComplete() const {
    return impl_->BodyComplete();
}

uint64_t HttpConnection::bodyBytes() const {
    return impl_->bodyBytes();
}

HttpConnection::Impl::Impl(HttpTarget target, HttpLimits limits)
    : target_(std::move(target)),
      limits_(std::move(limits)),
      // An https connection that never reached its handshake has nothing
      // against its server.
      verifyResult_(target_.https ? X509_V_OK : -1) {}

HttpConnection::Impl::~Impl() {
    if (ssl_ != nullptr) {
        // A quiet end: the answer is complete or abandoned either way.
        SSL_set_quiet_shutdown(ssl_, 1);
        SSL_shutdown(ssl_);
        SSL_free(ssl_);
    }
    if (context_ != nullptr) {
        SSL_CTX_free(context_);
    }
    CloseSocket(socket_);
}

HttpClock::time_point HttpConnection::Impl::Deadline() const {
    return inBody_ ? limits_.deadline : std::min(limits_.deadline, limits_.headDeadline);
}

void HttpConnection::Impl::GiveUp(HttpStop why) {
    if (stop_ == HttpStop::kNone) {
        stop_ = why;
    }
    failed_ = true;
}

bool HttpConnection::Impl::WaitSlices(int timeoutMs, const std::function<bool(int)>& waitSlice) {
    const HttpClock::time_point timeoutEnd =
        HttpClock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        if (limits_.stop && limits_.stop()) {
            GiveUp(HttpStop::kStopped);
            return false;
        }
        const HttpClock::time_point now = HttpClock::now();
        if (now >= Deadline()) {
            GiveUp(HttpStop::kDeadline);
            return false;
        }
        if (!Flowing(now)) {
            return false;
        }
        if (now >= timeoutEnd) {
            GiveUp(HttpStop::kTimedOut);
            return false;
        }
        const auto left = std::min(timeoutEnd, Deadline()) - now;
        const auto leftMs = std::chrono::duration_cast<std::chrono::milliseconds>(left).count();
        const int slice = static_cast<int>(std::clamp<long long>(leftMs, 1, kSliceMs));
        if (waitSlice(slice)) {
            return true;
        }
    }
}

bool HttpConnection::Impl::WaitFor(bool forWriting, int timeoutMs) {
    return WaitSlices(timeoutMs, [&](int ms) { return WaitSocket(socket_, forWriting, ms); });
}

httplib::Error HttpConnection::Impl::Open() {
    std::vector<SocketPeer> peers;
    httplib::Error error = Resolve(peers);
    if (error == httplib::Error::Success) {
        error = Connect(peers);
    }
    if (error == httplib::Error::Success && target_.https) {
        error = Handshake();
    }
    if (error != httplib::Error::Success && stop_ == HttpStop::kStopped) {
        return httplib::Error::Canceled;
    }
    return error;
}

httplib::Error HttpConnection::Impl::Resolve(std::vector<SocketPeer>& peers) {
    if (IsIpLiteral(target_.host)) {
        return ResolveTcp(target_.host, target_.port, peers) == 0 ? httplib::Error::Success
                                                                  : httplib::Error::Connection;
    }
    auto resolution = std::make_shared<Resolution>();
    std::thread([resolution, host = target_.host, port = target_.port] {
        std::vector<SocketPeer> found;
        const int rc = ResolveTcp(host, port, found);
        std::lock_guard<std::mutex> lock(resolution->mutex);
        resolution->rc = rc;
        resolution->peers = std::move(found);
        resolution->finished = true;
        resolution->done.notify_all();
    }).detach();
    const bool answered = WaitSlices(limits_.connectTimeoutMs, [&](int ms) {
        std::unique_lock<std::mutex> lock(resolution->mutex);
        return resolution->done.wait_for(lock, std::chrono::milliseconds(ms),
                                         [&] { return resolution->finished; });
    });
    if (!answered) {
        return httplib::Error::Connection;
    }
    std::lock_guard<std::mutex> lock(resolution->mutex);
    if (resolution->rc != 0 || resolution->peers.empty()) {
        return httplib::Error::Connection;
    }
    peers = std::move(resolution->peers);
    return httplib::Error::Success;
}

httplib::Error HttpConnection::Impl::Connect(const std::vector<SocketPeer>& peers) {
    for (const SocketPeer& peer : peers) {
        const std::uintptr_t s = OpenTcpSocket(peer);
        if (s == kNoSocket) {
            continue;
        }
        socket_ = s;
        const int started = StartConnect(s, peer);
        bool connected = started == 0;
        if (started == 1 &&
            WaitSlices(limits_.connectTimeoutMs, [&](int ms) { return WaitConnected(s, ms); })) {
            connected = ConnectError(s) == 0;
        }
        if (connected) {
            return httplib::Error::Success;
        }
        CloseSocket(s);
        socket_ = kNoSocket;
        if (stop_ == HttpStop::kStopped || stop_ == HttpStop::kDeadline) {
            break;  // no time for another address
        }
        if (&peer != &peers.back()) {
            // The next address gets a time-out of its own; the last one's
            // reason stays.
            stop_ = HttpStop::kNone;
            failed_ = false;
        }
    }
    return httplib::Error::Connection;
}

httplib::Error HttpConnection::Impl::Handshake() {
    context_ = SSL_CTX_new(TLS_client_method());
    if (context_ == nullptr || SSL_CTX_set_min_proto_version(context_, TLS1_2_VERSION) != 1) {
        return httplib::Error::SSLConnection;
    }
    if (!InstallTrustStore(context_)) {
        return httplib::Error::SSLLoadingCerts;
    }
    ssl_ = SSL_new(context_);
    if (ssl_ == nullptr || SSL_set_fd(ssl_, static_cast<int>(socket_)) != 1) {
        return httplib::Error::SSLConnection;
    }
    SSL_set_mode(ssl_, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // The chain is verified during the handshake and judged after it, so
    // that its result can be told.
    SSL_set_verify(ssl_, SSL_VERIFY_NONE, nullptr);
    X509_VERIFY_PARAM* param = SSL_get0_param(ssl_);
    X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    const bool literal = IsIpLiteral(target_.host);
    if (literal ? X509_VERIFY_PARAM_set1_ip_asc(param, target_.host.c_str()) != 1
                : (X509_VERIFY_PARAM_set1_host(param, target_.host.c_str(), 0) != 1 ||
                   SSL_set_tlsext_host_name(ssl_, target_.host.c_str()) != 1)) {
        return httplib::Error::SSLConnection;
    }
    for (;;) {
        const int rc = SSL_connect(ssl_);
        if (rc == 1) {
            break;
        }
        const int reason = SSL_get_error(ssl_, rc);
        if (reason != SSL_ERROR_WANT_READ && reason != SSL_ERROR_WANT_WRITE) {
            return httplib::Error::SSLConnection;
        }
        if (!WaitFor(reason == SSL_ERROR_WANT_WRITE, limits_.connectTimeoutMs)) {
            return httplib::Error::SSLConnection;
        }
    }
    verifyResult_ = SSL_get_verify_result(ssl_);
    if (verifyResult_ == X509_V_OK && SSL_get0_peer_certificate(ssl_) == nullptr) {
        verifyResult_ = X509_V_ERR_UNSPECIFIED;
    }
    return verifyResult_ == X509_V_OK ? httplib::Error::Success
                                      : httplib::Error::SSLServerVerification;
}

}  // namespace Utils
