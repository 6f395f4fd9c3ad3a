#include "tools/devservice/file_body.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace DevService {

namespace {

class TextBody : public Body {
  public:
    explicit TextBody(std::string text) : text_(std::move(text)) {}
    uint64_t Size() const override { return text_.size(); }
    bool Read(uint64_t offset, char* buffer, size_t length) override {
        std::memcpy(buffer, text_.data() + offset, length);
        return true;
    }

  private:
    std::string text_;
};

class GeneratedBody : public Body {
  public:
    explicit GeneratedBody(uint64_t size) : size_(size) {}
    uint64_t Size() const override { return size_; }
    // Copies long runs from a table of whole periods: a byte-by-byte loop
    // would make the service, not the client, the bottleneck of a loopback
    // benchmark.
    bool Read(uint64_t offset, char* buffer, size_t length) override {
        static const std::array<char, kTableBytes> table = [] {
            std::array<char, kTableBytes> bytes{};
            for (size_t i = 0; i < kTableBytes; ++i) {
                bytes[i] = GeneratedByte(i);
            }
            return bytes;
        }();
        size_t start = static_cast<size_t>(offset % kPeriod);
        while (length > 0) {
            const size_t n = std::min(length, kTableBytes - start);
            std::memcpy(buffer, table.data() + start, n);
            buffer += n;
            length -= n;
            start = 0;
        }
        return true;
    }

  private:
    static constexpr size_t kPeriod = 251;  // GeneratedByte repeats after this many bytes
    static constexpr size_t kTableBytes = kPeriod * 64;
    uint64_t size_;
};

class DiskBody : public Body {
  public:
    DiskBody(std::ifstream in, uint64_t size) : in_(std::move(in)), size_(size) {}
    uint64_t Size() const override { return size_; }
    bool Read(uint64_t offset, char* buffer, size_t length) override {
        in_.seekg(static_cast<std::streamoff>(offset));
        in_.read(buffer, static_cast<std::streamsize>(length));
        return in_.gcount() == static_cast<std::streamsize>(length);
    }

  private:
    std::ifstream in_;
    uint64_t size_;
};

}  // namespace

FileSource FileSource::FromText(std::string text) {
    FileSource source;
    source.kind = Kind::Text;
    source.text = std::move(text);
    return source;
}

FileSource FileSource::Generated(uint64_t size) {
    FileSource source;
    source.kind = Kind::Generated;
    source.size = size;
    return source;
}

FileSource FileSource::Disk(std::string path) {
    FileSource source;
    source.kind = Kind::Disk;
    source.path = std::move(path);
    return source;
}

std::unique_ptr<Body> OpenBody(const FileSource& source, std::string& error) {
    switch (source.kind) {
        case FileSource::Kind::Text:
            return std::make_unique<TextBody>(source.text);
        case FileSource::Kind::Generated:
            return std::make_unique<GeneratedBody>(source.size);
        case FileSource::Kind::Disk:
            break;
    }
    std::error_code ec;
    const uint64_t size = std::filesystem::file_size(source.path, ec);
    if (ec) {
        error = source.path + ": " + ec.message();
        return nullptr;
    }
    std::ifstream in(source.path, std::ios::binary);
    if (!in) {
        error = source.path + ": cannot be opened";
        return nullptr;
    }
    return std::make_unique<DiskBody>(std::move(in), size);
}

char GeneratedByte(uint64_t offset) {
    static const char kAlphabet[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const uint64_t n = offset % 251;
    return kAlphabet[(n * 7) % 62];
}

}  // namespace DevService
