#include <windows.h>

#include <shellapi.h>

#include "utils/system/arguments.h"

namespace Utils {

std::vector<std::wstring> GetProcessArguments() {
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args;
    if (argv == nullptr) {
        return args;
    }
    args.assign(argv, argv + count);
    LocalFree(argv);
    return args;
}

}  // namespace Utils
