#include <windows.h>

#include <shellapi.h>

#include <cstdio>

#include "tests/child/child.h"

namespace {

std::string ToUtf8(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) {
        return {};
    }
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.pop_back();
    return out;
}

std::wstring ToWide(const std::string& text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    if (n <= 1) {
        return {};
    }
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, out.data(), n);
    out.pop_back();
    return out;
}

}  // namespace

namespace TestChild {

bool WriteRecord(const std::string& path, const std::string& bytes) {
    const std::wstring target = ToWide(path);
    const std::wstring temp = target + L".part-" + std::to_wstring(GetCurrentProcessId());
    FILE* file = _wfopen(temp.c_str(), L"wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) {
        return false;
    }
    return MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

}  // namespace TestChild

// The words come from the system's own splitter, not from the code under
// test, so that the process tests compare against an independent reading.
int main() {
    const wchar_t* commandLine = GetCommandLineW();
    std::vector<std::string> words;
    int argc = 0;
    if (wchar_t** argv = CommandLineToArgvW(commandLine, &argc)) {
        for (int i = 0; i < argc; ++i) {
            words.push_back(ToUtf8(argv[i]));
        }
        LocalFree(argv);
    }
    const TestChild::Orders orders = TestChild::ReadOrders(words);
    if (!orders.outFile.empty() && !TestChild::WriteRecord(orders.outFile, ToUtf8(commandLine))) {
        return 100;
    }
    ExitProcess(static_cast<UINT>(orders.exitCode));
}
