// Streams a served file into a response: the body is read a piece at a time
// as the client takes it, optionally throttled to a byte rate and cut off
// after a number of bytes. Through the library (with a Content-Length), or
// written to the connection directly for the framings the library does not
// make: no length at all, or chunks.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <httplib.h>

#include "tools/devservice/connection.h"
#include "tools/devservice/file_body.h"

namespace DevService {

// Waits `duration` for a throttled download. Called on a serving thread; the
// service's own waits end early when it stops.
using SleepFunction = std::function<void(std::chrono::microseconds duration)>;

struct StreamPlan {
    uint64_t rate = 0;                  // bytes per second; 0 = unthrottled
    std::optional<uint64_t> dropAfter;  // close the connection after this many bytes
};

// The size of the pieces a download is written in: 64 KiB, or a tenth of a
// second's worth (at least one byte) when throttled.
size_t PieceSize(uint64_t rate);

// Sets `res` to answer 200 with `body` (Content-Length: its size) under
// `plan`. The content provider runs on the serving thread and reads the
// body only from there; it gives up (closing the connection) when the client
// goes away, when `dropAfter` bytes are out, or when `stopping` returns true.
// Throttling sleeps before each piece until the bytes sent with it are due
// at the rate, so that a body of n bytes takes at least n / rate seconds.
void StreamBody(httplib::Response& res, std::shared_ptr<Body> body, const std::string& contentType,
                const StreamPlan& plan, SleepFunction sleep, std::function<bool()> stopping);

// An answer that the handler writes itself.
struct SelfFramedAnswer {
    bool chunked = false;   // Transfer-Encoding: chunked; else the body ends with the connection
    bool headOnly = false;  // a HEAD request: the status line and headers only
    std::string contentType;
    std::vector<std::pair<std::string, std::string>> headers;  // more header lines
};

// Writes "200 OK", `answer`'s headers (with Connection: close, never a
// Content-Length) and the whole of `body` from its first byte to
// `connection` under `plan`: plain bytes, or chunks of PieceSize with the
// last chunk after them. A `dropAfter` below the size ends the body after
// that many bytes: plain, they simply stop; chunked, those bytes go out as
// chunks but the CR LF after the last one's data is replaced by the line
// "--" (a malformed end). Throttled as StreamBody. Returns true when all
// that was planned went out, false when the client went away, a read failed
// or `stopping` returned true first. The caller drops the connection
// afterwards. Call on the serving thread of `connection`.
bool SendSelfFramed(Connection& connection, const SelfFramedAnswer& answer, Body& body,
                    const StreamPlan& plan, const SleepFunction& sleep,
                    const std::function<bool()>& stopping);

}  // namespace DevService
