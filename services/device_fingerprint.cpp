#include "services/device_fingerprint.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <mutex>

#include "services/pipeline_clock.h"
#include "utils/json/jsonutils.h"
#include "utils/log/fileutil.h"
#include "utils/log/log.h"
#include "utils/log/textconv.h"
#include "utils/system/hwinfo.h"
#include "utils/system/identity.h"
#include "utils/system/registry.h"

namespace {

std::string LastError() {
    return Utils::SystemErrorToStringA(Utils::LastSystemError());
}

uint32_t SystemTick() {
    return SystemClock().tick();
}

std::atomic<const FingerprintSources*> g_testSources{nullptr};

// Windows paths also take '/' as a separator and never hold "/" in a name,
// so there " /" starts an argument; Linux paths separate by '/' alone.
bool PathSeparatorIsBackslash() {
    return Utils::PathSeparator()[0] == L'\\';
}

FingerprintSources Sources() {
    const FingerprintSources* test = g_testSources.load();
    return test != nullptr ? *test : SystemFingerprintSources();
}

// The fingerprint of this process, gathered once.
struct Fingerprint {
    std::mutex mutex;
    bool gathered = false;  // guarded by mutex, like the record
    DeviceInfo device;
};

Fingerprint& TheFingerprint() {
    // Never destroyed: the worker may still read it while the process ends.
    static Fingerprint* fingerprint = new Fingerprint;
    return *fingerprint;
}

void Gather(DeviceInfo& d) {
    const FingerprintSources s = Sources();
    s.getMainboardUUID(d.mainboardId);
    s.getCpuID2(d.cpuId);
    s.getBiosID(d.biosId);
    s.getDiskID(d.diskId);
    s.getMemoryID(d.memoryId);
    s.getOSFullName(d.osName);
    s.getOSVersion(d.osVersion);
    s.getMac(d.macAddress);
    d.is64Bit = s.getOSBits() == 64;
    if (d.osVersion.empty()) {
        d.osVersion = L"6.1";
    }
    if (d.osName.empty()) {
        d.osName = L"Windows Default " + d.osVersion;
    }
}

// "abc" of "\"abc\" --uninstall", "abc --uninstall" or "abc".
std::wstring WithoutQuotesAndArguments(const std::wstring& command) {
    if (!command.empty() && command.front() == L'"') {
        const size_t close = command.find(L'"', 1);
        return command.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
    }
    // Unquoted: arguments start at the first blank followed by a switch.
    size_t cut = command.find(L" -");
    if (PathSeparatorIsBackslash()) {
        cut = std::min(cut, command.find(L" /"));
    }
    std::wstring path = command.substr(0, cut);
    while (!path.empty() && path.back() == L' ') {
        path.pop_back();
    }
    return path;
}

// The path without its last three components, or "" when that would leave
// no folder below the root (a drive or "/").
std::wstring ThreeLevelsUp(const std::wstring& path) {
    const std::wstring separators = PathSeparatorIsBackslash() ? L"\\/" : L"/";
    std::wstring rest = path;
    for (int level = 0; level < 3; ++level) {
        while (!rest.empty() && separators.find(rest.back()) != std::wstring::npos) {
            rest.pop_back();  // a trailing separator is no component
        }
        const size_t cut = rest.find_last_of(separators);
        if (cut == std::wstring::npos) {
            return {};
        }
        rest.erase(cut);
    }
    // What is left must name a folder, not only a drive ("C:") or the root.
    const bool onlyRoot = rest.empty() || (rest.size() == 2 && rest[1] == L':');
    return onlyRoot ? std::wstring() : rest;
}

}  // namespace

FingerprintSources SystemFingerprintSources() {
    return {Utils::GetMainboardUUID, Utils::GetCpuID2,     Utils::GetBiosID,    Utils::GetDiskID,
            Utils::GetMemoryID,      Utils::GetOSFullName, Utils::GetOSVersion, Utils::GetMac,
            Utils::GetOSBits,        Utils::GetMachineSID, Utils::RandomUuid,   SystemTick};
}

void SetFingerprintSourcesForTesting(const FingerprintSources* sources) {
    g_testSources.store(sources);
}

void ResetDeviceInfoCacheForTesting() {
    Fingerprint& f = TheFingerprint();
    std::lock_guard<std::mutex> lock(f.mutex);
    f.gathered = false;
    f.device = DeviceInfo{};
}

std::wstring GetInstallDir() {
    Utils::RegistryKey key;
    if (key.OpenForQuery(L"Software\\Tavo") == Utils::kRegOk) {
        std::wstring uninstall;
        if (key.QueryString(L"UninstallString", uninstall, 2048) == Utils::kRegOk) {
            const std::wstring dir = ThreeLevelsUp(WithoutQuotesAndArguments(uninstall));
            if (!dir.empty()) {
                return dir;
            }
        }
    }
    std::wstring appData;
    if (!Utils::GetLocalAppDataPath(appData)) {
        return {};
    }
    const std::wstring sep = Utils::PathSeparator();
    return appData + sep + L"Tavo" + sep + L"Application";
}

namespace Services {

int GetDeviceInfo(DeviceInfo& device) {
    LOG_ENTRY();
    Fingerprint& f = TheFingerprint();
    std::lock_guard<std::mutex> lock(f.mutex);
    if (!f.gathered) {
        Gather(f.device);
        f.gathered = true;
    }
    device = f.device;
    return 0;
}

int CreateUUID(std::wstring& uuid) {
    LOG_ENTRY();
    DeviceInfo device;
    GetDeviceInfo(device);

    const std::wstring installDir = GetInstallDir();
    const std::wstring oldConfig = installDir + Utils::PathSeparator() + L"config.ini";
    if (!installDir.empty() && Utils::CheckFileW(oldConfig) == 0) {
        nlohmann::json config;
        if (Utils::JsonReadFile(oldConfig, config) != 0) {
            LOG_ERROR("JsonReadFile strOldConfigPath fail:", "\n", LastError());
        } else if (config.is_object() && config.contains("guid") && config["guid"].is_string()) {
            const std::wstring old = Utils::Utf8ToWide(config["guid"].get<std::string>());
            if (!old.empty()) {
                uuid = old;
                LOGW_INFO(L"use old guid:", uuid);
                return 0;
            }
        }
    }

    const FingerprintSources sources = Sources();
    std::wstring sid;
    const int sidCode = sources.getMachineSID(sid);
    if (sidCode != 0) {
        LOG_ERROR("GetMachineSID error:", std::to_string(sidCode), "\n", LastError());
        sid.clear();
    }
    std::wstring text = device.mainboardId + device.cpuId + device.biosId + device.macAddress + sid;
    if (text.empty() && !sources.randomUuid(text)) {
        text = std::to_wstring(sources.tickCount());
    }

    const std::string bytes = Utils::WideToUtf8(text);
    // OpenSSL refuses null pointers even for empty inputs: pass real ones.
    static const unsigned char kEmptyKey[1] = {0};
    const unsigned char* data =
        bytes.empty() ? kEmptyKey : reinterpret_cast<const unsigned char*>(bytes.data());
    unsigned char digest[EVP_MAX_MD_SIZE] = {};
    unsigned int length = 0;
    const EVP_MD* md5 = EVP_md5();
    if (md5 == nullptr || HMAC(md5, kEmptyKey, 0, data, bytes.size(), digest, &length) == nullptr ||
        length != 16) {
        LOG_ERROR("HMAC-MD5 failed", "\n", LastError());
        return 1002;
    }
    wchar_t hex[33] = {};
    for (unsigned i = 0; i < 16; ++i) {
        std::swprintf(hex + 2 * i, 3, L"%02X", digest[i]);
    }
    uuid = hex;
    return 0;
}

}  // namespace Services
