#include "utils/system/hwinfo.h"

#include <algorithm>
#include <string>
#include <vector>

#include "utils/log/log.h"
#include "utils/log/textconv.h"
#include "utils/system/fileversion.h"

namespace Utils {

namespace {

// Writes a line whose function field is the identifier function's own, so
// the log names the function a reader looks for, not this helper.
template <class... Pieces>
void LogAs(int level, const char* function, int line, const Pieces&... pieces) {
    LogA(level, kLogTag, g_wstrLogDir, __FILE__, function, line, pieces..., "");
}

void LogQueryFailure(const char* function, int line, int code) {
    const std::string error = SystemErrorToStringA(LastSystemError());
    LogAs(2, function, line, "ERROR:", "GetWmiValue failed ret:", std::to_string(code), "\n",
          error);
}

struct WmiSource {
    const wchar_t* className;
    const wchar_t* property;
    const wchar_t* filter;
};

using Transform = std::wstring (*)(std::wstring value);

std::wstring Unchanged(std::wstring value) {
    return value;
}

// Every character from U+0001 to U+0020: controls and the blank.
std::wstring WithoutControlsAndBlanks(std::wstring value) {
    value.erase(std::remove_if(value.begin(), value.end(),
                               [](wchar_t c) { return c >= 0x01 && c <= 0x20; }),
                value.end());
    return value;
}

// Whether `text` holds a line end: the texts below are matched whole, and a
// line end, like in a regular expression's ".", matches none of them.
bool HasLineEnd(const std::wstring& text) {
    return text.find_first_of(L"\n\r\u2028\u2029") != std::wstring::npos;
}

// Index after the run of ASCII digits that starts at `at` (`at` when none).
size_t DigitsEnd(const std::wstring& text, size_t at) {
    while (at < text.size() && text[at] >= L'0' && text[at] <= L'9') {
        ++at;
    }
    return at;
}

std::wstring DashedMac(std::wstring value) {
    std::replace(value.begin(), value.end(), L':', L'-');
    return value;
}

// The common shape of the identifier functions: log the entry, clear the
// output, run the query, and take the first entry that is not empty as the
// query gave it (its transformation may still leave it empty).
int QueryIdentifier(const WmiSource& source, Transform transform, std::wstring& out,
                    const char* function, int line) {
    LogAs(1, function, line, "INFO:", function);
    out.clear();
    std::vector<std::wstring> values;
    const int code = GetWmiValue(source.className, source.property, source.filter, values);
    if (code != kWmiOk) {
        LogQueryFailure(function, line, code);
        return code;
    }
    const auto first = std::find_if(values.begin(), values.end(),
                                    [](const std::wstring& v) { return !v.empty(); });
    if (first != values.end()) {
        out = transform(*first);
    }
    return kWmiOk;
}

// "10.0" of "10.0.19045": digits, a dot and digits at the start, anything
// after them.
bool MajorMinor(const std::wstring& version, std::wstring& out) {
    const size_t dot = DigitsEnd(version, 0);
    if (dot == 0 || dot == version.size() || version[dot] != L'.' || HasLineEnd(version)) {
        return false;
    }
    const size_t end = DigitsEnd(version, dot + 1);
    if (end == dot + 1) {
        return false;
    }
    out = version.substr(0, end);
    return true;
}

}  // namespace

int GetMainboardUUID(std::wstring& out) {
    return QueryIdentifier({L"Win32_ComputerSystemProduct", L"UUID", L""}, Unchanged, out,
                           TAVO_LOG_FUNCTION_NAME(), __LINE__);
}

int GetBiosID(std::wstring& out) {
    return QueryIdentifier({L"Win32_BIOS", L"SerialNumber", L""}, Unchanged, out,
                           TAVO_LOG_FUNCTION_NAME(), __LINE__);
}

int GetDiskID(std::wstring& out) {
    return QueryIdentifier({L"Win32_DiskDrive", L"SerialNumber", L""}, WithoutControlsAndBlanks,
                           out, TAVO_LOG_FUNCTION_NAME(), __LINE__);
}

int GetMemoryID(std::wstring& out) {
    return QueryIdentifier({L"Win32_PhysicalMemory", L"PartNumber", L""}, Unchanged, out,
                           TAVO_LOG_FUNCTION_NAME(), __LINE__);
}

int GetIP(std::wstring& out) {
    return QueryIdentifier(
        {L"Win32_NetworkAdapterConfiguration", L"IPAddress", L"WHERE IPEnabled = 'TRUE'"},
        Unchanged, out, TAVO_LOG_FUNCTION_NAME(), __LINE__);
}

int GetMac(std::wstring& out) {
    return QueryIdentifier(
        {L"Win32_NetworkAdapterConfiguration", L"MACAddress", L"WHERE IPEnabled = 'TRUE'"},
        DashedMac, out, TAVO_LOG_FUNCTION_NAME(), __LINE__);
}

int GetCpuID2(std::wstring& out) {
    LOG_ENTRY();
    out = CpuIdentifierText();
    return 0;
}

int GetOSVersion(std::wstring& out) {
    LOG_ENTRY();
    out.clear();
    std::vector<std::wstring> values;
    const int code = GetWmiValue(L"win32_operatingsystem", L"Version", L"", values);
    if (code != kWmiOk) {
        LogQueryFailure(TAVO_LOG_FUNCTION_NAME(), __LINE__, code);
    }
    if (!values.empty()) {
        MajorMinor(values.front(), out);
    }
    if (out.empty()) {
        std::wstring fileVersion;
        if (GetFileVersion(L"kernelbase.dll", fileVersion) && !fileVersion.empty()) {
            MajorMinor(fileVersion, out);
        }
    }
    return 0;
}

int GetOSFullName(std::wstring& out) {
    LOG_ENTRY();
    out.clear();
    std::vector<std::wstring> values;
    const int code = GetWmiValue(L"win32_operatingsystem", L"name", L"", values);
    if (code != kWmiOk) {
        LogQueryFailure(TAVO_LOG_FUNCTION_NAME(), __LINE__, code);
        return code;
    }
    if (!values.empty()) {
        out = values.front();
        // "product|windows directory|boot partition": the product alone.
        const size_t bar = out.find(L'|');
        if (bar != std::wstring::npos && !HasLineEnd(out)) {
            out.erase(bar);
        }
    }
    return kWmiOk;
}

}  // namespace Utils
