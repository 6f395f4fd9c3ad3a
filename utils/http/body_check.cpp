#include "utils/http/body_check.h"

#include "utils/log/textconv.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cctype>

namespace Utils {

namespace {

constexpr size_t kSha256Digits = 64;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool IsChunked(const httplib::Response& answer) {
    return Lower(answer.get_header_value("Transfer-Encoding")) == "chunked";
}

// A Content-Length of digits only, the same in every copy of the header;
// -2 when it cannot be read, -1 when there is none.
int64_t ContentLength(const httplib::Response& answer) {
    const size_t copies = answer.get_header_value_count("Content-Length");
    if (copies == 0) {
        return -1;
    }
    const std::string first = answer.get_header_value("Content-Length");
    for (size_t i = 1; i < copies; ++i) {
        if (answer.get_header_value("Content-Length", i) != first) {
            return -2;
        }
    }
    if (first.empty() || first.size() > 18 ||
        first.find_first_not_of("0123456789") != std::string::npos) {
        return -2;
    }
    return std::stoll(first);
}

}  // namespace

bool IsSha256Text(const std::string& text) {
    return text.size() == kSha256Digits &&
           text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

HttpBodyCheck::HttpBodyCheck(const HttpExpectedBody& expected) : expected_(expected) {
    expected_.sha256 = Lower(expected_.sha256);
    if (!expected_.sha256.empty()) {
        digest_ = EVP_MD_CTX_new();
        if (digest_ != nullptr && EVP_DigestInit_ex(digest_, EVP_sha256(), nullptr) != 1) {
            EVP_MD_CTX_free(digest_);
            digest_ = nullptr;
        }
    }
}

HttpBodyCheck::~HttpBodyCheck() {
    EVP_MD_CTX_free(digest_);
}

HttpBodyCheck::Verdict HttpBodyCheck::Fail(Verdict verdict, std::string detail) {
    if (verdict_ == Verdict::kPending) {
        verdict_ = verdict;
        detail_ = std::move(detail);
    }
    return verdict_;
}

bool HttpBodyCheck::Start(const httplib::Response& answer) {
    // A chunked body's length is its chunks'; the library ignores the
    // Content-Length then, and so does this.
    contentLength_ = IsChunked(answer) ? -1 : ContentLength(answer);
    if (contentLength_ == -2) {
        Fail(Verdict::kIncomplete,
             "Content-Length unreadable: " + answer.get_header_value("Content-Length"));
        return false;
    }
    if (expected_.size >= 0 && contentLength_ >= 0 && contentLength_ != expected_.size) {
        Fail(Verdict::kMismatch, "size expected " + std::to_string(expected_.size) + " actual " +
                                     std::to_string(contentLength_) + " (Content-Length)");
        return false;
    }
    return true;
}

bool HttpBodyCheck::Add(const char*, size_t size) {
    if (verdict_ != Verdict::kPending) {
        return false;
    }
    received_ += size;
    if (expected_.size >= 0 && received_ > static_cast<uint64_t>(expected_.size)) {
        Fail(Verdict::kMismatch, "size expected " + std::to_string(expected_.size) +
                                     " actual more than " + std::to_string(expected_.size));
        return false;
    }
    return true;
}

void HttpBodyCheck::Digest(const char* data, size_t size) {
    if (digest_ != nullptr) {
        EVP_DigestUpdate(digest_, data, size);
    }
}

HttpBodyCheck::Verdict HttpBodyCheck::Finish() {
    if (verdict_ != Verdict::kPending) {
        return verdict_;
    }
    if (contentLength_ >= 0 && received_ != static_cast<uint64_t>(contentLength_)) {
        return Fail(Verdict::kIncomplete, "Content-Length " + std::to_string(contentLength_) +
                                              " received " + std::to_string(received_));
    }
    std::string detail;
    bool whole = true;
    if (expected_.size >= 0) {
        whole = received_ == static_cast<uint64_t>(expected_.size);
        detail = "size expected " + std::to_string(expected_.size) + " actual " +
                 std::to_string(received_);
    }
    if (!expected_.sha256.empty()) {
        unsigned char bytes[EVP_MAX_MD_SIZE] = {};
        unsigned int length = 0;
        const bool computed =
            digest_ != nullptr && EVP_DigestFinal_ex(digest_, bytes, &length) == 1;
        const std::string actual = computed ? LowerHex(bytes, length) : "(not computed)";
        whole = whole && actual == expected_.sha256;
        detail += (detail.empty() ? "" : ", ") + std::string("sha256 expected ") +
                  expected_.sha256 + " actual " + actual;
    }
    if (!whole) {
        return Fail(Verdict::kMismatch, detail);
    }
    detail_ = detail;
    verdict_ = Verdict::kWhole;
    return verdict_;
}

}  // namespace Utils
