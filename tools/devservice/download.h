// Streams a served file into a response: the body is read a piece at a time
// as the client takes it, optionally throttled to a byte rate and cut off
// after a number of bytes.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <httplib.h>

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

}  // namespace DevService
