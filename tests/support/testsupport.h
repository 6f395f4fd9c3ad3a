// Small helpers shared by the tests: temporary folders, file contents, and
// the platform facts a test compares against.
#pragma once

#include <string>

namespace TestSupport {

// A fresh, empty folder that is removed with everything in it when the object
// goes away. Linux: under $TAVO_TEST_TMP (else /tmp); Windows: under the
// temporary folder.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, without a trailing separator.
    const std::wstring& path() const { return path_; }
    // path() + separator + name.
    std::wstring Child(const std::wstring& name) const;

  private:
    std::wstring path_;
};

// The whole file as bytes ("" when it cannot be read).
std::string ReadBytes(const std::wstring& path);
// Writes `bytes` to `path`, replacing it; returns false on failure.
bool WriteBytes(const std::wstring& path, const std::string& bytes);
bool Exists(const std::wstring& path);

// Whether only the current user may use the folder `path`: Linux: owned by
// the user, mode 0700; Windows: an access list that is protected from the
// parent's and holds one entry, for the current user (read back with the
// security API). False with the reason in `why` otherwise.
bool PrivateToUser(const std::wstring& path, std::string& why);

// A program of the build that sits next to the running test program
// ("name" plus ".exe" on Windows).
std::wstring SiblingProgram(const std::wstring& name);

// Any file of the build next to the running test program, named in full
// (a test library "x.dll", a data file).
std::wstring SiblingFile(const std::wstring& fileName);

// ".exe" on Windows, "" on Linux.
std::wstring ProgramSuffix();

// What a "\n" written in text mode becomes on disk here.
std::string NativeLineEnd();

// The base folder for temporary test folders (no trailing separator).
std::wstring TempBase();

// Sets or clears an environment variable of this process.
void SetEnv(const std::string& name, const std::string& value);
void UnsetEnv(const std::string& name);

// Sets (or, with Unset, clears) an environment variable for the lifetime of
// the object and restores the earlier state afterwards.
class ScopedEnv {
  public:
    ScopedEnv(const std::string& name, const std::string& value);
    struct Unset {};
    ScopedEnv(const std::string& name, Unset);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    bool had_ = false;
    std::string old_;
};

// Points the registry store at a fresh, empty root while the object lives
// (Windows: a random key below HKEY_CURRENT_USER\Software, deleted with
// everything below it afterwards; Linux: a temporary folder), so that tests
// never touch the real key.
class ScopedRegistryRoot {
  public:
    ScopedRegistryRoot();
    ~ScopedRegistryRoot();
    ScopedRegistryRoot(const ScopedRegistryRoot&) = delete;
    ScopedRegistryRoot& operator=(const ScopedRegistryRoot&) = delete;

    // What SetRegistryRootForTesting was given.
    const std::wstring& root() const { return root_; }

  private:
    TempDir dir_;
    std::wstring root_;
};

// Points the log writer at a fresh folder while the object lives, and back
// at the earlier folder afterwards.
class LogCapture {
  public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The log file's text so far, with the line ends read back as "\n"
    // (Windows writes "\r\n"; any "\r" is dropped).
    std::string Text() const;
    // How often `piece` occurs in Text().
    size_t Count(const std::string& piece) const;

  private:
    TempDir dir_;
    std::wstring saved_;
};

namespace detail {
// Platform parts of ScopedRegistryRoot: a new root (Linux: below `dir`) and
// its removal.
std::wstring NewRegistryRoot(const TempDir& dir);
void DropRegistryRoot(const std::wstring& root);
}  // namespace detail

}  // namespace TestSupport
