// The file a download streams into. It is chosen and opened when the answer's
// headers arrive with status 200, written through a large buffer while the
// body arrives, and kept only when Finish() succeeds: a download that ends
// any other way leaves no file. Owned by one HttpDownload call and used on
// its thread only.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

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

    // `directory` ends with the path separator. `fileName` is the caller's
    // in/out name: used when not empty, else set when Open chooses one.
    HttpDownloadFile(const std::wstring& directory, std::wstring& fileName);
    // Removes the file unless Finish() succeeded.
    ~HttpDownloadFile();
    HttpDownloadFile(const HttpDownloadFile&) = delete;
    HttpDownloadFile& operator=(const HttpDownloadFile&) = delete;

    // The answer's headers arrived with status 200: chooses the name, creates
    // a missing directory (fault "http-1") and opens the file, truncating.
    // Returns false when it cannot be opened (fault "http-2").
    bool Open(const std::string& url, const std::string& contentDisposition);

    // Appends body bytes. Returns false once writing has failed (fault
    // "http-3"); the transfer should stop then.
    bool Write(const char* data, size_t size);

    // Writes what is buffered and closes. Returns true when the whole body is
    // on disk; false when a write or the close failed (faults queued, file
    // removed).
    bool Finish();

    // Closes and removes the file (a transfer that did not complete).
    void Discard();

    State state() const { return state_; }

  private:
    bool Flush();
    void CloseAndCheck();
    void Remove();
    void Fault(const char* errorId) const;

    std::wstring directory_;
    std::wstring& fileName_;
    std::wstring path_;
    std::ofstream out_;
    std::vector<char> buffer_;
    uint64_t written_ = 0;
    State state_ = State::kNotOpened;
};

}  // namespace Utils
