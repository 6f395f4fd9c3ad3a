// Whether a downloaded body is the file it was announced as: its length by
// the answer's Content-Length, its size and SHA-256 by the service
// (HttpExpectedBody). The SHA-256 is computed as the bytes are written, so
// the file is never read again to check it.
//
// Owned by one HttpDownload call and used on its thread, but for Digest,
// which the file's writing thread calls.
#pragma once

#include <cstdint>
#include <string>

#include <httplib.h>

#include "utils/http/http.h"

typedef struct evp_md_ctx_st EVP_MD_CTX;

namespace Utils {

class HttpBodyCheck {
  public:
    enum class Verdict {
        kPending,     // no verdict yet
        kWhole,       // the body is what was announced
        kIncomplete,  // short of its Content-Length, or a length that cannot be read
        kMismatch,    // not the announced file (size, SHA-256, or longer)
    };

    explicit HttpBodyCheck(const HttpExpectedBody& expected);
    ~HttpBodyCheck();
    HttpBodyCheck(const HttpBodyCheck&) = delete;
    HttpBodyCheck& operator=(const HttpBodyCheck&) = delete;

    // The head of a 200 answer. False (with the verdict) when its
    // Content-Length cannot be read or contradicts the announced size: the
    // transfer should stop.
    bool Start(const httplib::Response& answer);

    // The next body bytes arrived. False (kMismatch) once the body runs past
    // the announced size: the transfer should stop.
    bool Add(const char* data, size_t size);

    // Hashes the next body bytes (all of them, in order). May run on another
    // thread than the other calls, but never at the same time as Finish.
    void Digest(const char* data, size_t size);

    // The transfer ended as the library reads a complete answer, and every
    // byte has been given to Digest: judges the length and the SHA-256.
    Verdict Finish();

    Verdict verdict() const { return verdict_; }

    // Expected and actual values for the log and the fault, e.g.
    // "size expected 10 actual 4, sha256 expected 3a.. actual 9c..".
    const std::string& detail() const { return detail_; }

  private:
    Verdict Fail(Verdict verdict, std::string detail);

    HttpExpectedBody expected_;  // sha256 in lower case
    EVP_MD_CTX* digest_ = nullptr;
    int64_t contentLength_ = -1;  // -1: none (chunked, or ends with the connection)
    uint64_t received_ = 0;
    Verdict verdict_ = Verdict::kPending;
    std::string detail_;
};

}  // namespace Utils
