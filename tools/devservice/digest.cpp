#include "tools/devservice/digest.h"

#include <openssl/evp.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace DevService {

namespace {

constexpr size_t kPiece = 1024 * 1024;

struct MdContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

std::string Hex(const unsigned char* bytes, size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0xf];
    }
    return text;
}

// The cache key of `source`, or "" when a disk file's size or time cannot
// be read.
std::string KeyOf(const FileSource& source) {
    switch (source.kind) {
        case FileSource::Kind::Text:
            return "text:" + source.text;
        case FileSource::Kind::Generated:
            return "generated:" + std::to_string(source.size);
        case FileSource::Kind::Disk:
            break;
    }
    std::error_code ec;
    const uint64_t size = std::filesystem::file_size(source.path, ec);
    if (ec) {
        return "";
    }
    const auto time = std::filesystem::last_write_time(source.path, ec);
    if (ec) {
        return "";
    }
    return "disk:" + std::to_string(size) + ":" + std::to_string(time.time_since_epoch().count()) +
           ":" + source.path;
}

}  // namespace

bool DigestBody(const FileSource& source, BodyDigest& out, std::string& error) {
    const std::unique_ptr<Body> body = OpenBody(source, error);
    if (!body) {
        return false;
    }
    const std::unique_ptr<EVP_MD_CTX, MdContextFree> context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) {
        error = "SHA-256 is not available";
        return false;
    }
    const uint64_t size = body->Size();
    std::vector<char> buffer(static_cast<size_t>(std::min<uint64_t>(size, kPiece)));
    for (uint64_t offset = 0; offset < size;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(size - offset, buffer.size()));
        if (!body->Read(offset, buffer.data(), n)) {
            error = source.path + ": cannot be read";
            return false;
        }
        EVP_DigestUpdate(context.get(), buffer.data(), n);
        offset += n;
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context.get(), digest, &length);
    out.sha256 = Hex(digest, length);
    out.size = size;
    return true;
}

std::optional<BodyDigest> DigestCache::Get(const FileSource& source) {
    const std::string key = KeyOf(source);
    if (key.empty()) {
        return std::nullopt;
    }
    std::shared_ptr<Entry> entry;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::shared_ptr<Entry>& slot = entries_[key];
        if (!slot) {
            slot = std::make_shared<Entry>();
        }
        entry = slot;
    }
    std::lock_guard<std::mutex> lock(entry->mutex);
    if (!entry->digest) {
        BodyDigest digest;
        std::string error;
        if (!DigestBody(source, digest, error)) {
            return std::nullopt;
        }
        entry->digest = digest;
    }
    return entry->digest;
}

}  // namespace DevService
