#include "tools/devservice/download.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace DevService {

namespace {

constexpr size_t kMaxPiece = 64 * 1024;

// The throttling of one download.
class Pacer {
  public:
    Pacer(uint64_t rate, SleepFunction sleep) : rate_(rate), sleep_(std::move(sleep)) {}

    // Before a piece: waits until `bytes` (those sent and the piece) are due
    // at the rate. Waiting before rather than after the piece means every
    // wait is over once the client has the last byte.
    void Pace(uint64_t bytes) {
        if (rate_ == 0) {
            return;
        }
        const uint64_t due = bytes / rate_ * 1000000 + bytes % rate_ * 1000000 / rate_;
        if (due > paced_) {
            sleep_(std::chrono::microseconds(due - paced_));
            paced_ = due;
        }
    }

  private:
    uint64_t rate_;
    SleepFunction sleep_;
    uint64_t paced_ = 0;  // microseconds of throttling already waited
};

// One response's progress, shared by the copies of its content provider.
struct StreamState {
    StreamState(std::shared_ptr<Body> b, const StreamPlan& p, SleepFunction sleep,
                std::function<bool()> stop)
        : body(std::move(b)),
          plan(p),
          pacer(p.rate, std::move(sleep)),
          stopping(std::move(stop)),
          buffer(PieceSize(p.rate)) {}

    std::shared_ptr<Body> body;
    StreamPlan plan;
    Pacer pacer;
    std::function<bool()> stopping;
    std::vector<char> buffer;
    uint64_t sent = 0;
};

std::string Head(const SelfFramedAnswer& answer) {
    std::string head = "HTTP/1.1 200 OK\r\nContent-Type: " + answer.contentType + "\r\n";
    for (const auto& header : answer.headers) {
        head += header.first + ": " + header.second + "\r\n";
    }
    if (answer.chunked) {
        head += "Transfer-Encoding: chunked\r\n";
    }
    return head + "Connection: close\r\n\r\n";
}

std::string ChunkSizeLine(size_t size) {
    char line[24];
    std::snprintf(line, sizeof line, "%zx\r\n", size);
    return line;
}

}  // namespace

size_t PieceSize(uint64_t rate) {
    if (rate == 0) {
        return kMaxPiece;
    }
    return static_cast<size_t>(std::clamp<uint64_t>(rate / 10, 1, kMaxPiece));
}

void StreamBody(httplib::Response& res, std::shared_ptr<Body> body, const std::string& contentType,
                const StreamPlan& plan, SleepFunction sleep, std::function<bool()> stopping) {
    const uint64_t size = body->Size();
    if (size == 0) {
        res.set_content("", contentType.c_str());
        return;
    }
    auto state =
        std::make_shared<StreamState>(std::move(body), plan, std::move(sleep), std::move(stopping));
    res.set_content_provider(static_cast<size_t>(size), contentType,
                             [state](size_t offset, size_t length, httplib::DataSink& sink) {
                                 if (state->stopping()) {
                                     return false;
                                 }
                                 size_t n = std::min(length, state->buffer.size());
                                 if (state->plan.dropAfter) {
                                     if (state->sent >= *state->plan.dropAfter) {
                                         return false;
                                     }
                                     n = static_cast<size_t>(std::min<uint64_t>(
                                         n, *state->plan.dropAfter - state->sent));
                                 }
                                 state->pacer.Pace(state->sent + n);
                                 if (state->stopping() ||
                                     !state->body->Read(offset, state->buffer.data(), n) ||
                                     !sink.write(state->buffer.data(), n)) {
                                     return false;
                                 }
                                 state->sent += n;
                                 return true;
                             });
}

bool SendSelfFramed(Connection& connection, const SelfFramedAnswer& answer, Body& body,
                    const StreamPlan& plan, const SleepFunction& sleep,
                    const std::function<bool()>& stopping) {
    const std::string head = Head(answer);
    if (!connection.SendRaw(head.data(), head.size())) {
        return false;
    }
    if (answer.headOnly) {
        return true;
    }
    const uint64_t size = body.Size();
    const bool drop = plan.dropAfter && *plan.dropAfter < size;
    const uint64_t end = drop ? *plan.dropAfter : size;
    Pacer pacer(plan.rate, sleep);
    std::vector<char> buffer(PieceSize(plan.rate));
    std::string piece;
    for (uint64_t sent = 0; sent < end;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(buffer.size(), end - sent));
        pacer.Pace(sent + n);
        if (stopping() || !body.Read(sent, buffer.data(), n)) {
            return false;
        }
        piece.clear();
        if (answer.chunked) {
            piece = ChunkSizeLine(n);
        }
        piece.append(buffer.data(), n);
        sent += n;
        // A dropped chunked body ends in "--" where the last chunk's CR LF
        // belongs: that chunk's data is whole, its end is not.
        if (answer.chunked && !(drop && sent == end)) {
            piece += "\r\n";
        }
        if (!connection.SendRaw(piece.data(), piece.size())) {
            return false;
        }
    }
    if (!answer.chunked) {
        return true;
    }
    const char* last = drop ? "--\r\n" : "0\r\n\r\n";
    return connection.SendRaw(last, std::strlen(last));
}

}  // namespace DevService
