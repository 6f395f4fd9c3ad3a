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

// Body bytes are collected up to this size before each write: few large
// writes keep the download at the speed of the connection.
constexpr size_t kWriteBatchBytes = size_t{1} << 20;

// SetHttpDownloadWriteLimitForTesting; negative: no limit.
std::atomic<int64_t> g_writeLimit{-1};

}  // namespace

void SetHttpDownloadWriteLimitForTesting(int64_t bytes) {
    g_writeLimit.store(bytes);
}

HttpDownloadFile::HttpDownloadFile(const std::wstring& directory, std::wstring& fileName)
    : directory_(directory), fileName_(fileName) {}

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
    // Unbuffered: the batches below are the only buffering.
    out_.rdbuf()->pubsetbuf(nullptr, 0);
    out_.open(NativePath(path_), std::ios::out | std::ios::binary | std::ios::trunc);
    LOG_INFO("check fs.fail begin");
    if (out_.fail()) {
        LOGW_ERROR(L"open failed: ", path_, L"\n", SystemErrorToStringW(LastSystemError()));
        Fault("http-2");
        state_ = State::kOpenFailed;
        return false;
    }
    buffer_.reserve(kWriteBatchBytes);
    state_ = State::kOpen;
    LOG_INFO("write fstream begin");
    return true;
}

bool HttpDownloadFile::Write(const char* data, size_t size) {
    if (state_ != State::kOpen) {
        return false;
    }
    buffer_.insert(buffer_.end(), data, data + size);
    return buffer_.size() < kWriteBatchBytes || Flush();
}

bool HttpDownloadFile::Finish() {
    if (state_ != State::kOpen) {
        return state_ == State::kDone;
    }
    if (!Flush()) {
        return false;
    }
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
    out_.close();
    Remove();
    state_ = State::kNotOpened;
}

bool HttpDownloadFile::Flush() {
    size_t size = buffer_.size();
    bool refused = false;
    const int64_t limit = g_writeLimit.load();
    if (limit >= 0 && written_ + size > static_cast<uint64_t>(limit)) {
        size = written_ < static_cast<uint64_t>(limit) ? static_cast<size_t>(limit - written_) : 0;
        refused = true;
    }
    out_.write(buffer_.data(), static_cast<std::streamsize>(size));
    written_ += size;
    buffer_.clear();
    if (refused) {
        out_.setstate(std::ios::badbit);
    }
    if (!out_.fail()) {
        return true;
    }
    LOGW_ERROR(L"write failed: ", path_, L"\n", SystemErrorToStringW(LastSystemError()));
    Fault("http-3");
    // A failed stream fails its close too, so "http-4" follows.
    CloseAndCheck();
    Remove();
    state_ = State::kFailed;
    return false;
}

void HttpDownloadFile::CloseAndCheck() {
    LOG_INFO("close fstream begin");
    out_.close();
    if (out_.fail()) {
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
