#include "tests/support/command_line_win.h"

#include <windows.h>

#include <shellapi.h>

namespace TestSupport {

std::vector<std::wstring> SystemSplit(const std::wstring& line) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(line.c_str(), &argc);
    std::vector<std::wstring> words;
    if (argv != nullptr) {
        words.assign(argv, argv + argc);
        LocalFree(argv);
    }
    return words;
}

}  // namespace TestSupport
