// A file this program creates and writes itself, never one that was there
// before: creation fails when anything exists at the path, a link included.
// Linux: mode 0600, not inherited by child processes; Windows: no other
// handle may read, write or delete it while it is open.
//
// Owned by one thread; the file is closed with the object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Utils {

class ExclusiveFile {
  public:
    ExclusiveFile() = default;
    ~ExclusiveFile();
    ExclusiveFile(const ExclusiveFile&) = delete;
    ExclusiveFile& operator=(const ExclusiveFile&) = delete;

    // Creates the file at `path`. False, with the system's error set, when
    // something exists there or the file cannot be made.
    bool Create(const std::wstring& path);

    // Writes all of data[0, size). False, with the system's error set, when
    // the system refuses part of it (a full disk).
    bool Write(const char* data, size_t size);

    // Closes the file. False when closing reports a failure.
    bool Close();

    bool isOpen() const { return handle_ != kClosed; }

  private:
    static constexpr std::uintptr_t kClosed = ~std::uintptr_t{0};
    std::uintptr_t handle_ = kClosed;
};

// The system's error code for a write refused by a full disk.
uint32_t DiskFullErrorCode();

}  // namespace Utils
