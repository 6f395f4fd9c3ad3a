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

// A program of the build that sits next to the running test program
// ("name" plus ".exe" on Windows).
std::wstring SiblingProgram(const std::wstring& name);

// ".exe" on Windows, "" on Linux.
std::wstring ProgramSuffix();

// What a "\n" written in text mode becomes on disk here.
std::string NativeLineEnd();

// The base folder for temporary test folders (no trailing separator).
std::wstring TempBase();

// Sets or clears an environment variable of this process.
void SetEnv(const std::string& name, const std::string& value);
void UnsetEnv(const std::string& name);

}  // namespace TestSupport
