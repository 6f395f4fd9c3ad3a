// Values for the full installer's command line and how they are written
// there. Shared by the test that splits them with Utils::SplitCommandLine
// (both platforms) and the Windows test that splits them with the system's
// CommandLineToArgvW.
#pragma once

#include <string>
#include <vector>

namespace LaunchTests {

struct QuoteCase {
    std::wstring value;
    std::wstring written;
    const char* why;
};

inline const std::vector<QuoteCase>& QuoteCases() {
    static const std::vector<QuoteCase> cases = {
        {L"C:\\Users\\wang\\AppData\\Local\\Temp\\t1\\config.ini",
         L"C:\\Users\\wang\\AppData\\Local\\Temp\\t1\\config.ini",
         "a path without blanks stays exactly as it was"},
        {L"D:\\", L"D:\\", "a drive root keeps its single trailing backslash"},
        {L"http://127.0.0.1:90/files/Bookmarks?a=1&b=2",
         L"http://127.0.0.1:90/files/Bookmarks?a=1&b=2", "an address stays"},
        {L"", L"", "an empty value stays empty"},
        {L"C:\\Users\\Wang Wei\\AppData\\Local\\Temp\\t1\\config.ini",
         L"\"C:\\Users\\Wang Wei\\AppData\\Local\\Temp\\t1\\config.ini\"",
         "a blank in the user name: the value is quoted, its backslashes stay"},
        {L"C:\\My Files\\", L"\"C:\\My Files\\\\\"",
         "a backslash before the closing quote is doubled"},
        {L"C:\\My Files\\\\", L"\"C:\\My Files\\\\\\\\\"", "two backslashes there become four"},
        {L"a\tb", L"\"a\tb\"", "a tab is quoted like a blank"},
        {L"say \"hi\"", L"\"say \\\"hi\\\"\"", "quotes inside are escaped"},
        {L"a\"b", L"\"a\\\"b\"", "a quote alone makes the value quoted too"},
        {L"a\\\"b c", L"\"a\\\\\\\"b c\"", "a backslash before a quote: 2n+1 backslashes"},
        {L"C:\\用户\\王 伟\\临时", L"\"C:\\用户\\王 伟\\临时\"", "non-ASCII text with a blank"},
    };
    return cases;
}

}  // namespace LaunchTests
