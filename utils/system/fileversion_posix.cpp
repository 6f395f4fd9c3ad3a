// Linux version information: the project's executables carry an ELF section
// ".tavo_version" (written at build time, see cmake/versioninfo.c.in): the
// magic text "TavoVersionInfo1", then key/value pairs of zero-terminated
// strings, ended by an empty key. It plays the part of the version resource.
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "utils/log/log.h"
#include "utils/log/textconv.h"
#include "utils/system/fileversion.h"

namespace Utils {

namespace {

constexpr char kSectionName[] = ".tavo_version";
constexpr char kMagic[] = "TavoVersionInfo1";
constexpr uint64_t kMaxSection = 64 * 1024;

class ElfReader {
  public:
    explicit ElfReader(const std::string& path) : in_(path, std::ios::binary) {}

    // Reads the contents of section `name`; false when the file is no ELF
    // file or has no such section.
    bool Section(const char* name, std::string& contents) {
        unsigned char ident[16] = {};
        if (!Read(0, ident, sizeof ident) || std::memcmp(ident,
                                                         "\x7F"
                                                         "ELF",
                                                         4) != 0) {
            return false;
        }
        wide_ = ident[4] == 2;
        little_ = ident[5] == 1;
        if ((ident[4] != 1 && ident[4] != 2) || (ident[5] != 1 && ident[5] != 2)) {
            return false;
        }
        const uint64_t shoff = wide_ ? Number(0x28, 8) : Number(0x20, 4);
        const uint64_t shentsize = Number(wide_ ? 0x3A : 0x2E, 2);
        const uint64_t shnum = Number(wide_ ? 0x3C : 0x30, 2);
        const uint64_t shstrndx = Number(wide_ ? 0x3E : 0x32, 2);
        if (!ok_ || shoff == 0 || shentsize < (wide_ ? 64u : 40u) || shstrndx >= shnum) {
            return false;
        }
        std::string names;
        if (!SectionData(shoff + shstrndx * shentsize, 1024 * 1024, names)) {
            return false;
        }
        for (uint64_t i = 0; i < shnum; ++i) {
            const uint64_t header = shoff + i * shentsize;
            const uint64_t nameOffset = Number(header, 4);
            if (!ok_ || nameOffset >= names.size()) {
                continue;
            }
            if (std::strcmp(names.c_str() + nameOffset, name) == 0) {
                return SectionData(header, kMaxSection, contents);
            }
        }
        return false;
    }

  private:
    bool Read(uint64_t offset, void* out, size_t size) {
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        in_.read(static_cast<char*>(out), static_cast<std::streamsize>(size));
        return static_cast<bool>(in_);
    }

    uint64_t Number(uint64_t offset, size_t size) {
        unsigned char bytes[8] = {};
        if (!Read(offset, bytes, size)) {
            ok_ = false;
            return 0;
        }
        uint64_t value = 0;
        for (size_t i = 0; i < size; ++i) {
            const size_t k = little_ ? size - 1 - i : i;
            value = (value << 8) | bytes[k];
        }
        return value;
    }

    bool SectionData(uint64_t header, uint64_t limit, std::string& out) {
        const uint64_t offset = wide_ ? Number(header + 0x18, 8) : Number(header + 0x10, 4);
        const uint64_t size = wide_ ? Number(header + 0x20, 8) : Number(header + 0x14, 4);
        if (!ok_ || size > limit) {
            return false;
        }
        out.assign(size, '\0');
        return size == 0 || Read(offset, out.data(), size);
    }

    std::ifstream in_;
    bool wide_ = true;
    bool little_ = true;
    bool ok_ = true;
};

}  // namespace

bool QueryValue(const std::wstring& key, const std::wstring& file, std::wstring& out) {
    LOG_ENTRY();
    if (key.empty() || file.empty()) {
        return false;
    }
    std::string data;
    if (!ElfReader(WideToUtf8(file)).Section(kSectionName, data) ||
        data.compare(0, sizeof kMagic, kMagic, sizeof kMagic) != 0) {
        return false;
    }
    const std::string wanted = WideToUtf8(key);
    size_t pos = sizeof kMagic;
    while (pos < data.size() && data[pos] != '\0') {
        const size_t keyEnd = data.find('\0', pos);
        const size_t valueEnd = keyEnd == std::string::npos ? keyEnd : data.find('\0', keyEnd + 1);
        if (valueEnd == std::string::npos) {
            break;
        }
        if (data.compare(pos, keyEnd - pos, wanted) == 0) {
            out = Utf8ToWide(data.substr(keyEnd + 1, valueEnd - keyEnd - 1));
            break;
        }
        pos = valueEnd + 1;
    }
    return true;
}

std::wstring GetSelfPath() {
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? Utf8ToWide(std::string(buffer, static_cast<size_t>(n))) : std::wstring();
}

}  // namespace Utils
