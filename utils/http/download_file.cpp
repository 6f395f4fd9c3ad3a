#include "utils/http/download_file.h"

#include <atomic>
#include <filesystem>
#include <system_error>

#include "utils/http/http.h"
#include "utils/log/fileutil.h"
#include "utils/log/log.h"
#include "utils/log/textconv.h"
#include "utils/system/disk.h"
#include "utils/system/faults.h"

namespace Utils {

namespace {

// Body bytes are collected up to this size before each hand-off to the
// writing thread: few large writes keep the download at the speed of the
// connection, and at most three batches (filling, waiting, writing) are held.
constexpr size_t kWriteBatchBytes = size_t{512} << 10;

// SetHttpDownloadWriteLimitForTesting; negative: no limit.
std::atomic<int64_t> g_writeLimit{-1};

}  // namespace

void SetHttpDownloadWriteLimitForTesting(int64_t bytes) {
    g_writeLimit.store(bytes);
}

HttpDownloadFile::HttpDownloadFile(const std::wstring& directory, std::wstring& fileName,
                                   Digest digest)
    : directory_(directory), fileName_(fileName), digest_(std::move(digest)) {}

HttpDownloadFile::~HttpDownloadFile() {
    Discard();
}

bool HttpDownloadFile::Open(const std::string& url, const std::string& contentDisposition) {
    LOG_ENTRY();
    if (fileName_.empty()) {
        fileName_ = Utf8ToWide(HttpDownloadFileName(url, contentDisposition));
    }
    path_ = directory_ + fileName_;

    LOGW_INFO(L"CheckFileA begin", directory_);
    if (!directory_.empty() && CheckFileW(directory_) != 0) {
        LOGW_INFO(L"strFilePath not exist.", directory_);
        Fault("http-1");
        CreateDirectories(directory_);
    }

    LOG_INFO("Check fstream begin");
    const bool created = out_.Create(path_);
    LOG_INFO("check fs.fail begin");
    if (!created) {
        LOGW_ERROR(L"open failed: ", path_, L"\n", SystemErrorToStringW(LastSystemError()));
        Fault("http-2");
        state_ = State::kOpenFailed;
        return false;
    }
    batch_.reserve(kWriteBatchBytes);
    state_ = State::kOpen;
    writer_ = std::thread([this] { WriteBatches(); });
    LOG_INFO("write fstream begin");
    return true;
}

bool HttpDownloadFile::Write(const char* data, size_t size) {
    if (state_ != State::kOpen) {
        return false;
    }
    batch_.insert(batch_.end(), data, data + size);
    return batch_.size() < kWriteBatchBytes || HandOff();
}

bool HttpDownloadFile::HandOff() {
    bool failed;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        // One batch waiting is enough to keep the writer busy; more would
        // only hold memory.
        changed_.wait(lock, [this] { return writeFailed_ || queue_.empty(); });
        failed = writeFailed_;
        if (!failed) {
            queue_.push_back(std::move(batch_));
            changed_.notify_all();
        }
    }
    batch_ = std::vector<char>();
    batch_.reserve(kWriteBatchBytes);
    if (failed) {
        // Noticed here, on the requesting thread, which owns the state.
        Failed();
        return false;
    }
    return true;
}

bool HttpDownloadFile::Drain() {
    if (state_ != State::kOpen) {
        return state_ == State::kDone;
    }
    if (!batch_.empty() && !HandOff()) {
        return false;
    }
    bool failed;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return writeFailed_ || (queue_.empty() && !writing_); });
        failed = writeFailed_;
    }
    if (failed) {
        Failed();
        return false;
    }
    return true;
}

bool HttpDownloadFile::Finish() {
    if (state_ != State::kOpen) {
        return state_ == State::kDone;
    }
    if (!Drain()) {
        return false;
    }
    StopWriter();
    CloseAndCheck();
    if (state_ == State::kFailed) {
        Remove();
        return false;
    }
    state_ = State::kDone;
    return true;
}

void HttpDownloadFile::Discard() {
    if (state_ != State::kOpen) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.clear();  // nothing more of it is wanted
    }
    StopWriter();
    out_.Close();
    Remove();
    state_ = State::kNotOpened;
}

void HttpDownloadFile::StopWriter() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        changed_.notify_all();
    }
    if (writer_.joinable()) {
        writer_.join();
    }
}

void HttpDownloadFile::WriteBatches() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) {
            return;  // stopping, with nothing left to write
        }
        std::vector<char> batch = std::move(queue_.front());
        queue_.pop_front();
        writing_ = true;
        changed_.notify_all();
        const bool failedBefore = writeFailed_;
        lock.unlock();
        const bool ok = failedBefore || WriteBatch(batch);
        lock.lock();
        writing_ = false;
        writeFailed_ = writeFailed_ || !ok;
        changed_.notify_all();
    }
}

bool HttpDownloadFile::WriteBatch(const std::vector<char>& batch) {
    if (digest_) {
        digest_(batch.data(), batch.size());
    }
    size_t size = batch.size();
    bool refused = false;
    const int64_t limit = g_writeLimit.load();
    if (limit >= 0 && written_ + size > static_cast<uint64_t>(limit)) {
        size = written_ < static_cast<uint64_t>(limit) ? static_cast<size_t>(limit - written_) : 0;
        refused = true;
    }
    bool ok = out_.Write(batch.data(), size);
    written_ += size;
    if (ok && refused) {
        SetLastSystemError(DiskFullErrorCode());
        ok = false;
    }
    if (!ok) {
        LOGW_ERROR(L"write failed: ", path_, L"\n", SystemErrorToStringW(LastSystemError()));
        Fault("http-3");
    }
    return ok;
}

void HttpDownloadFile::Failed() {
    StopWriter();
    // A file whose write failed fails its close check too, so "http-4"
    // follows.
    CloseAndCheck();
    Remove();
    state_ = State::kFailed;
}

void HttpDownloadFile::CloseAndCheck() {
    LOG_INFO("close fstream begin");
    const bool closed = out_.Close();
    bool writeFailed;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        writeFailed = writeFailed_;
    }
    if (!closed || writeFailed) {
        Fault("http-4");
        state_ = State::kFailed;
    }
    LOG_INFO("close fstream end");
}

void HttpDownloadFile::Remove() {
    std::error_code ec;
    std::filesystem::remove(NativePath(path_), ec);
    if (ec) {
        LOGW_ERROR(L"cannot remove the unfinished download ", path_);
    }
}

void HttpDownloadFile::Fault(const char* errorId) const {
    ReportFault(errorId, 900, GetDiskInfoText(directory_), false);
}

}  // namespace Utils
