#include "tools/devservice/recorder.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace DevService {

bool Recorder::Open(const std::string& path, std::string& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    path_ = path;
    if (path_.empty()) {
        return true;
    }
    file_.open(path_, std::ios::binary | std::ios::trunc);
    if (!file_) {
        error = path_ + ": cannot be written";
        return false;
    }
    return true;
}

void Recorder::Add(RecordedRequest request) {
    request.time = UtcTimeText();
    std::lock_guard<std::mutex> lock(mutex_);
    request.seq = requests_.size() + 1;
    if (file_.is_open()) {
        file_ << RecordLine(request) << '\n';
        file_.flush();
    }
    requests_.push_back(std::move(request));
}

std::vector<RecordedRequest> Recorder::Snapshot() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

std::string Recorder::Lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string text;
    for (const auto& request : requests_) {
        text += RecordLine(request);
        text += '\n';
    }
    return text;
}

void Recorder::Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.clear();
    if (!path_.empty()) {
        file_.close();
        file_.open(path_, std::ios::binary | std::ios::trunc);
    }
}

std::string UtcTimeText() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[40];
    const size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text + n, sizeof text - n, ".%03dZ", static_cast<int>(millis));
    return text;
}

}  // namespace DevService
