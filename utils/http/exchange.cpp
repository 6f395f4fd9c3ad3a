#include "utils/http/exchange.h"

#include <cctype>
#include <memory>

namespace Utils {

namespace {

// The library's client without its connection handling: it writes a
// request to a stream and reads the answer from it (one request, then the
// connection closes).
class RequestWriter : public httplib::ClientImpl {
  public:
    explicit RequestWriter(const HttpTarget& target) : ClientImpl(target.host, target.port) {}

    bool Exchange(httplib::Stream& stream, httplib::Request& request, httplib::Response& response,
                  httplib::Error& error) {
        return process_request(stream, request, response, /*close_connection=*/true, error);
    }
};

bool Chunked(const httplib::Response& answer) {
    // As the library reads it: the whole value, in any letter case.
    const std::string value = answer.get_header_value("Transfer-Encoding");
    static const char kChunked[] = "chunked";
    if (value.size() != sizeof kChunked - 1) {
        return false;
    }
    for (size_t i = 0; i < value.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(value[i])) != kChunked[i]) {
            return false;
        }
    }
    return true;
}

httplib::Error ErrorFor(HttpStop stop, httplib::Error library) {
    switch (stop) {
        case HttpStop::kStopped:
            return httplib::Error::Canceled;
        case HttpStop::kTimedOut:
        case HttpStop::kDeadline:
        case HttpStop::kStalled:
            return library == httplib::Error::Write ? library : httplib::Error::Connection;
        case HttpStop::kHeadTooLarge:
        case HttpStop::kTlsTruncated:
        case HttpStop::kBadChunks:
            return httplib::Error::Read;
        case HttpStop::kNone:
            break;
    }
    return library == httplib::Error::Success ? httplib::Error::Unknown : library;
}

}  // namespace

HttpExchangeResult HttpSend(const HttpTarget& target, const HttpLimits& limits,
                            httplib::Request& request) {
    HttpExchangeResult out;
    out.tls = target.https;
    HttpConnection connection(target, limits);
    const httplib::Error opened = connection.Open();
    out.verifyResult = connection.verifyResult();
    out.stop = connection.stopReason();
    if (opened != httplib::Error::Success) {
        out.result = httplib::Result(nullptr, opened);
        return out;
    }
    if (!request.has_header("Host")) {
        request.set_header("Host", target.hostHeader);
    }
    httplib::ResponseHandler own = std::move(request.response_handler);
    request.response_handler = [&connection, &own](const httplib::Response& answer) {
        connection.BeginBody(Chunked(answer));
        return !own || own(answer);
    };
    auto answer = std::make_unique<httplib::Response>();
    httplib::Error error = httplib::Error::Success;
    RequestWriter writer(target);
    bool ok = writer.Exchange(connection.stream(), request, *answer, error);
    out.stop = connection.stopReason();
    if (ok && !connection.BodyComplete()) {
        ok = false;
        out.stop = HttpStop::kBadChunks;
    }
    if (!ok) {
        out.result = httplib::Result(nullptr, ErrorFor(out.stop, error));
        return out;
    }
    out.result = httplib::Result(std::move(answer), httplib::Error::Success);
    return out;
}

}  // namespace Utils
