// A file held open from its check to its launch, so that what was checked
// is what runs. Windows: opened for reading with read sharing only, so
// nobody can write, replace, rename or delete it while it is held; Linux:
// opened without following a link (the private download folder keeps
// others out).
//
// Owned by one thread; released with the object.
#pragma once

#include <cstdint>
#include <string>

namespace Utils {

class HeldFile {
  public:
    HeldFile() = default;
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // Opens `path` and holds it. False, with the system's error set, when it
    // cannot be opened so (missing, open for writing elsewhere, a link).
    bool Open(const std::wstring& path);

    // Lets the file go (idempotent).
    void Release();

    bool held() const { return handle_ != kNone; }
    // The system's handle (a HANDLE on Windows, a descriptor on Linux).
    std::uintptr_t handle() const { return handle_; }

  private:
    static constexpr std::uintptr_t kNone = ~std::uintptr_t{0};
    std::uintptr_t handle_ = kNone;
};

}  // namespace Utils
