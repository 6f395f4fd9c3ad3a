// The file a download streams into. It is chosen and created when the
// answer's headers arrive with status 200 (never a file that was there:
// ExclusiveFile) and written while the body arrives: the body is collected
// in large batches that a thread of the file's own hashes (the digest
// callback) and writes, so that receiving, hashing and writing overlap. The
// file is kept only when Finish() succeeds: a download that ends any other
// way leaves no file.
//
// Owned by one HttpDownload call: every member function is called on its
// thread; only the digest callback runs on the file's writing thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "utils/system/exclusive_file.h"

namespace Utils {

class HttpDownloadFile {
  public:
    enum class State {
        kNotOpened,   // no 200 answer yet
        kOpenFailed,  // "http-2" queued; the transfer should stop
        kOpen,        // receiving
        kFailed,      // a write or the close failed ("http-3" / "http-4" queued)
        kDone,        // complete and closed; the file stays
    };

    // Called with every body byte, in order, just before it is written.
    using Digest = std::function<void(const char* data, size_t size)>;

    // `directory` ends with the path separator. `fileName` is the caller's
    // in/out name: used when not empty, else set when Open chooses one.
    HttpDownloadFile(const std::wstring& directory, std::wstring& fileName, Digest digest = {});
    // Removes the file unless Finish() succeeded.
    ~HttpDownloadFile();
    HttpDownloadFile(const HttpDownloadFile&) = delete;
    HttpDownloadFile& operator=(const HttpDownloadFile&) = delete;

    // The answer's headers arrived with status 200: chooses the name, creates
    // a missing directory (fault "http-1") and creates the file, which must
    // not exist yet (ExclusiveFile). Returns false when it cannot be made
    // (fault "http-2").
    bool Open(const std::string& url, const std::string& contentDisposition);

    // Appends body bytes. Returns false once writing has failed (fault
    // "http-3", file removed); the transfer should stop then.
    bool Write(const char* data, size_t size);

    // Waits until every byte given is digested and written. False when a
    // write failed (as Write).
    bool Drain();

    // Drains and closes. Returns true when the whole body is on disk; false
    // when a write or the close failed (faults queued, file removed).
    bool Finish();

    // Stops writing, closes and removes the file (a transfer that did not
    // complete).
    void Discard();

    State state() const { return state_; }

  private:
    // Hands the batch being filled to the writing thread; false once a
    // write failed.
    bool HandOff();
    // The writing thread.
    void WriteBatches();
    bool WriteBatch(const std::vector<char>& batch);
    // Stops the writing thread (after it finished what it was given).
    void StopWriter();
    // A write failed: the file is closed ("http-4") and removed.
    void Failed();
    void CloseAndCheck();
    void Remove();
    void Fault(const char* errorId) const;

    std::wstring directory_;
    std::wstring& fileName_;
    std::wstring path_;
    Digest digest_;
    ExclusiveFile out_;
    std::vector<char> batch_;  // being filled on the requesting thread
    State state_ = State::kNotOpened;

    std::thread writer_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<char>> queue_;  // guarded by mutex_
    bool writing_ = false;                 // guarded by mutex_: a batch is being written
    bool stopping_ = false;                // guarded by mutex_
    bool writeFailed_ = false;             // guarded by mutex_
    uint64_t written_ = 0;                 // writing thread only
};

}  // namespace Utils
