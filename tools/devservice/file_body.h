// The bytes behind a served file: a text held in memory, a generated body of
// any size (for benchmarks; computed, never held), or a file on disk (read a
// piece at a time, never whole). An opened body belongs to one response and
// is used by one thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace DevService {

struct FileSource {
    enum class Kind { Text, Generated, Disk };
    Kind kind = Kind::Text;
    std::string text;   // Text: the content
    uint64_t size = 0;  // Generated: the length in bytes
    std::string path;   // Disk: the file

    static FileSource FromText(std::string text);
    static FileSource Generated(uint64_t size);
    static FileSource Disk(std::string path);
};

class Body {
  public:
    virtual ~Body() = default;
    virtual uint64_t Size() const = 0;
    // Fills buffer[0, length) with the bytes from `offset`; the caller keeps
    // offset + length within Size(). False when a disk read fails.
    virtual bool Read(uint64_t offset, char* buffer, size_t length) = 0;
};

// Opens `source` for one response. nullptr with a reason in `error` when a
// disk file cannot be opened or its size read.
std::unique_ptr<Body> OpenBody(const FileSource& source, std::string& error);

// Byte `offset` of every generated body: a repeating run of 251 letters and
// digits, so that a body checks byte for byte and no piece size lines up with
// its period.
char GeneratedByte(uint64_t offset);

}  // namespace DevService
