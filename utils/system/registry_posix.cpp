// The Linux registry store: one JSON file per key (see registry.h). Every
// set rewrites the file through a temporary file and a rename, so a reader,
// this program or the full installer, never sees half a file.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <random>

#include <nlohmann/json.hpp>

#include "utils/log/fileutil.h"
#include "utils/log/textconv.h"
#include "utils/log/xdg_posix.h"
#include "utils/system/disk.h"
#include "utils/system/registry.h"

namespace Utils {

struct RegistryKey::Impl {
    std::string file;  // "" while closed
    bool canQuery = false;
    bool canSet = false;
};

namespace {

std::mutex g_rootMutex;
std::wstring g_root;  // guarded by g_rootMutex

std::string KeyFile(const std::wstring& subKey) {
    std::string root;
    {
        std::lock_guard<std::mutex> lock(g_rootMutex);
        root = WideToUtf8(g_root);
    }
    if (root.empty()) {
        const std::string config = posix::XdgBaseDirectory("XDG_CONFIG_HOME", ".config");
        if (config.empty()) {
            return {};
        }
        root = config + "/tavo/registry/HKEY_CURRENT_USER";
    }
    std::string path = WideToUtf8(subKey);
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    return root + "/" + path + ".json";
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Reads the key's values; 0, 2 when the file is gone, 13 when it holds no
// JSON object or cannot be read (a folder in its place included: a stream
// would throw from inside the parser there).
long Load(const std::string& file, nlohmann::json& values) {
    std::string text;
    if (!ReadFileBytes(Utf8ToWide(file), text)) {
        return access(file.c_str(), F_OK) != 0 ? kRegNotFound : kRegInvalidData;
    }
    values = nlohmann::json::parse(text, nullptr, false);
    return values.is_object() ? kRegOk : kRegInvalidData;
}

long Store(const std::string& file, const nlohmann::json& values) {
    std::random_device rd;
    const std::string temp = file + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(rd());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << values.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        out.flush();
        if (!out) {
            out.close();
            std::remove(temp.c_str());
            return kRegAccessDenied;
        }
    }
    if (std::rename(temp.c_str(), file.c_str()) != 0) {
        std::remove(temp.c_str());
        return kRegAccessDenied;
    }
    return kRegOk;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Value names compare without regard to ASCII case, as in the registry.
nlohmann::json::iterator FindValue(nlohmann::json& values, const std::string& name) {
    for (auto it = values.begin(); it != values.end(); ++it) {
        const std::string& key = it.key();
        if (key.size() == name.size() &&
            std::equal(key.begin(), key.end(), name.begin(),
                       [](char a, char b) { return Lower(a) == Lower(b); })) {
            return it;
        }
    }
    return values.end();
}

// The stored entry of `name` when it has `type`; 0, 2 or 13.
long Entry(const std::string& file, const std::wstring& name, const char* type,
           nlohmann::json& entry) {
    nlohmann::json values;
    const long rc = Load(file, values);
    if (rc != kRegOk) {
        return rc;
    }
    const auto it = FindValue(values, WideToUtf8(name));
    if (it == values.end()) {
        return kRegNotFound;
    }
    // Written by hand or by the full installer: check every shape before use
    // (json::value() would throw for a "type" that is no string).
    if (!it->is_object()) {
        return kRegInvalidData;
    }
    const auto typeIt = it->find("type");
    const auto dataIt = it->find("data");
    if (typeIt == it->end() || !typeIt->is_string() || typeIt->get<std::string>() != type ||
        dataIt == it->end()) {
        return kRegInvalidData;
    }
    entry = *dataIt;
    return kRegOk;
}

long SetEntry(const RegistryKey::Impl& impl, const std::wstring& name, nlohmann::json entry) {
    if (impl.file.empty()) {
        return kRegInvalidHandle;
    }
    if (!impl.canSet) {
        return kRegAccessDenied;
    }
    nlohmann::json values;
    const long rc = Load(impl.file, values);
    if (rc != kRegOk) {
        return rc;  // a damaged key is left alone rather than overwritten
    }
    const std::string key = WideToUtf8(name);
    const auto it = FindValue(values, key);
    if (it != values.end()) {
        *it = std::move(entry);
    } else {
        values[key] = std::move(entry);
    }
    return Store(impl.file, values);
}

}  // namespace

RegistryKey::RegistryKey() : impl_(std::make_unique<Impl>()) {}
RegistryKey::~RegistryKey() = default;
RegistryKey::RegistryKey(RegistryKey&& other) : RegistryKey() {
    std::swap(impl_, other.impl_);
}
RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
        Close();
        std::swap(impl_, other.impl_);
    }
    return *this;
}

static long OpenWith(RegistryKey::Impl& impl, const std::wstring& subKey, bool query, bool set) {
    impl = RegistryKey::Impl{};
    const std::string file = KeyFile(subKey);
    if (!IsFile(file)) {
        return kRegNotFound;
    }
    impl = RegistryKey::Impl{file, query, set};
    return kRegOk;
}

long RegistryKey::OpenForQuery(const std::wstring& subKey) {
    return OpenWith(*impl_, subKey, true, false);
}

long RegistryKey::OpenForRead(const std::wstring& subKey) {
    return OpenWith(*impl_, subKey, true, false);
}

long RegistryKey::OpenForSet(const std::wstring& subKey) {
    return OpenWith(*impl_, subKey, false, true);
}

long RegistryKey::CreateForSet(const std::wstring& subKey) {
    *impl_ = Impl{};
    const std::string file = KeyFile(subKey);
    if (file.empty()) {
        return kRegNotFound;
    }
    if (!IsFile(file)) {
        CreateDirectories(Utf8ToWide(file.substr(0, file.rfind('/'))));
        const long rc = Store(file, nlohmann::json::object());
        if (rc != kRegOk) {
            return rc;
        }
    }
    *impl_ = Impl{file, true, true};
    return kRegOk;
}

bool RegistryKey::IsOpen() const {
    return !impl_->file.empty();
}

void RegistryKey::Close() {
    *impl_ = Impl{};
}

long RegistryKey::QueryString(const std::wstring& name, std::wstring& out, size_t maxBytes) const {
    if (!IsOpen()) {
        return kRegInvalidHandle;
    }
    if (!impl_->canQuery) {
        return kRegAccessDenied;
    }
    nlohmann::json data;
    const long rc = Entry(impl_->file, name, "REG_SZ", data);
    if (rc != kRegOk) {
        return rc;
    }
    if (!data.is_string()) {
        return kRegInvalidData;
    }
    const std::wstring value = Utf8ToWide(data.get<std::string>());
    // The size the value takes as UTF-16 with its terminator.
    size_t bytes = 2;
    for (const wchar_t c : value) {
        bytes += static_cast<uint32_t>(c) > 0xFFFF ? 4 : 2;
    }
    if (bytes > maxBytes) {
        return kRegMoreData;
    }
    out = value;
    return kRegOk;
}

long RegistryKey::QueryDword(const std::wstring& name, uint32_t& out) const {
    if (!IsOpen()) {
        return kRegInvalidHandle;
    }
    if (!impl_->canQuery) {
        return kRegAccessDenied;
    }
    nlohmann::json data;
    const long rc = Entry(impl_->file, name, "REG_DWORD", data);
    if (rc != kRegOk) {
        return rc;
    }
    if (!data.is_number_unsigned() || data.get<uint64_t>() > 0xFFFFFFFFu) {
        return kRegInvalidData;
    }
    out = data.get<uint32_t>();
    return kRegOk;
}

long RegistryKey::SetString(const std::wstring& name, const std::wstring& value) {
    return SetEntry(*impl_, name, {{"type", "REG_SZ"}, {"data", WideToUtf8(value)}});
}

long RegistryKey::SetDword(const std::wstring& name, uint32_t value) {
    return SetEntry(*impl_, name, {{"type", "REG_DWORD"}, {"data", value}});
}

long DeleteRegistryKey(const std::wstring& subKey) {
    const std::string file = KeyFile(subKey);
    if (!IsFile(file)) {
        return kRegNotFound;
    }
    return std::remove(file.c_str()) == 0 ? kRegOk : kRegAccessDenied;
}

void SetRegistryRootForTesting(const std::wstring& root) {
    std::lock_guard<std::mutex> lock(g_rootMutex);
    g_root = root;
}

}  // namespace Utils
