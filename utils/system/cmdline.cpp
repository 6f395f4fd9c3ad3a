#include "utils/system/process.h"

namespace Utils {

namespace {
bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}
}  // namespace

std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine) {
    const std::wstring line = commandLine.substr(0, commandLine.find(L'\0'));
    const size_t n = line.size();
    std::vector<std::wstring> args;
    if (n == 0) {
        return args;
    }
    // The first word (the program's name by convention) knows no escapes: it
    // runs to the closing quote, or to the first blank.
    size_t i = 0;
    std::wstring first;
    if (line[0] == L'"') {
        for (i = 1; i < n && line[i] != L'"'; ++i) {
            first += line[i];
        }
        if (i < n) {
            ++i;
        }
    } else {
        for (; i < n && !IsBlank(line[i]); ++i) {
            first += line[i];
        }
    }
    args.push_back(first);
    while (i < n && IsBlank(line[i])) {
        ++i;
    }
    // The others: 2k backslashes and a quote give k backslashes and toggle
    // quoting; 2k+1 give k backslashes and a literal quote; inside quotes a
    // run of quotes yields one literal quote per three.
    while (i < n) {
        std::wstring arg;
        size_t backslashes = 0;
        int quotes = 0;  // odd while inside quotes
        while (i < n && !(IsBlank(line[i]) && quotes == 0)) {
            const wchar_t c = line[i];
            if (c == L'\\') {
                arg += c;
                ++backslashes;
                ++i;
                continue;
            }
            if (c != L'"') {
                arg += c;
                backslashes = 0;
                ++i;
                continue;
            }
            if (backslashes % 2 == 0) {
                arg.erase(arg.size() - backslashes / 2);
                ++quotes;
            } else {
                arg.erase(arg.size() - backslashes / 2 - 1);
                arg += L'"';
            }
            backslashes = 0;
            for (++i; i < n && line[i] == L'"'; ++i) {
                if (++quotes == 3) {
                    arg += L'"';
                    quotes = 0;
                }
            }
            if (quotes == 2) {
                quotes = 0;
            }
        }
        args.push_back(arg);
        while (i < n && IsBlank(line[i])) {
            ++i;
        }
    }
    return args;
}

}  // namespace Utils
