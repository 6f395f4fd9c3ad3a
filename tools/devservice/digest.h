// The SHA-256 and size of a served file's body, for the edition answer.
// Bodies can be large (a generated gigabyte in benchmarks), so each distinct
// source is digested once and remembered.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "tools/devservice/file_body.h"

namespace DevService {

struct BodyDigest {
    std::string sha256;  // 64 lower-case hex digits
    uint64_t size = 0;   // bytes
};

// Reads the body of `source` a piece at a time and digests it. Returns false
// with a reason in `error` when it cannot be opened or read. Stateless; any
// thread.
bool DigestBody(const FileSource& source, BodyDigest& out, std::string& error);

// Digests by source. A generated body is known by its size, a text by
// itself, a disk file by its path, size and modification time (so a file
// rewritten in place is digested again). Any thread; a source that several
// threads ask for at once is digested by one of them while the others wait,
// and other sources are not held up meanwhile.
class DigestCache {
  public:
    // The digest of what `source` serves now, or nullopt when its body cannot
    // be opened or read (not remembered: it is tried again next time).
    std::optional<BodyDigest> Get(const FileSource& source);

  private:
    struct Entry {
        std::mutex mutex;                  // held while the body is digested
        std::optional<BodyDigest> digest;  // guarded by mutex
    };
    std::mutex mutex_;
    std::map<std::string, std::shared_ptr<Entry>> entries_;  // guarded by mutex_
};

}  // namespace DevService
