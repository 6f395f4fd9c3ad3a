#include <windows.h>

#include <vector>

#include "utils/log/textconv.h"

namespace Utils {

namespace {

std::string WideToNarrow(UINT codePage, const std::wstring& wide) {
    const int size =
        WideCharToMultiByte(codePage, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return {};
    }
    std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
    WideCharToMultiByte(codePage, 0, wide.c_str(), -1, buffer.data(), size, nullptr, nullptr);
    buffer[static_cast<size_t>(size)] = '\0';
    return std::string(buffer.data());
}

std::wstring NarrowToWide(UINT codePage, const std::string& narrow) {
    const int size = MultiByteToWideChar(codePage, 0, narrow.c_str(), -1, nullptr, 0);
    if (size <= 0) {
        return {};
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(size) + 1, L'\0');
    MultiByteToWideChar(codePage, 0, narrow.c_str(), -1, buffer.data(), size);
    buffer[static_cast<size_t>(size)] = L'\0';
    return std::wstring(buffer.data());
}

constexpr DWORD kMessageFlags =
    FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER;

}  // namespace

std::string WideToUtf8(std::wstring wide) {
    return WideToNarrow(CP_UTF8, wide);
}

std::wstring Utf8ToWide(std::string utf8) {
    return NarrowToWide(CP_UTF8, utf8);
}

std::wstring AnsiToWide(std::string ansi) {
    return NarrowToWide(CP_ACP, ansi);
}

std::string SystemErrorToStringA(uint32_t code) {
    char* text = nullptr;
    const DWORD n =
        FormatMessageA(kMessageFlags, nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message;
    if (n > 0 && text != nullptr) {
        message = WideToUtf8(AnsiToWide(std::string(text, n)));
    }
    if (text != nullptr) {
        LocalFree(text);
    }
    return std::to_string(code) + "," + message;
}

std::wstring SystemErrorToStringW(uint32_t code) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(kMessageFlags, nullptr, code, 0,
                                   reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message;
    if (n > 0 && text != nullptr) {
        message.assign(text, n);
    }
    if (text != nullptr) {
        LocalFree(text);
    }
    return std::to_wstring(code) + L"," + message;
}

uint32_t LastSystemError() {
    return GetLastError();
}

void SetLastSystemError(uint32_t code) {
    SetLastError(code);
}

}  // namespace Utils
