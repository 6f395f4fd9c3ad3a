#include "tools/devservice/download.h"

#include <algorithm>
#include <vector>

namespace DevService {

namespace {

constexpr size_t kMaxPiece = 64 * 1024;

// One response's progress, shared by the copies of its content provider.
struct StreamState {
    std::shared_ptr<Body> body;
    StreamPlan plan;
    SleepFunction sleep;
    std::function<bool()> stopping;
    std::vector<char> buffer;
    uint64_t sent = 0;
    uint64_t paced = 0;  // microseconds of throttling already waited

    // Before a piece: wait until `bytes` (those sent and the piece) are due
    // at the plan's rate. Waiting before rather than after the piece means
    // every wait is over once the client has the last byte.
    void Pace(uint64_t bytes) {
        if (plan.rate == 0) {
            return;
        }
        const uint64_t due = bytes / plan.rate * 1000000 + bytes % plan.rate * 1000000 / plan.rate;
        if (due > paced) {
            sleep(std::chrono::microseconds(due - paced));
            paced = due;
        }
    }
};

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
    auto state = std::make_shared<StreamState>();
    state->body = std::move(body);
    state->plan = plan;
    state->sleep = std::move(sleep);
    state->stopping = std::move(stopping);
    state->buffer.resize(PieceSize(plan.rate));
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
                                 state->Pace(state->sent + n);
                                 if (state->stopping() ||
                                     !state->body->Read(offset, state->buffer.data(), n) ||
                                     !sink.write(state->buffer.data(), n)) {
                                     return false;
                                 }
                                 state->sent += n;
                                 return true;
                             });
}

}  // namespace DevService
