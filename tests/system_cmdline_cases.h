// Command lines and the words CommandLineToArgvW makes of them. Shared by the
// splitter's own test (both platforms) and the Windows test that checks the
// same rows against the system's function.
#pragma once

#include <string>
#include <vector>

namespace SystemTests {

struct CommandLineCase {
    const wchar_t* line;
    std::vector<std::wstring> words;
    const char* why;
};

inline const std::vector<CommandLineCase>& CommandLineCases() {
    static const std::vector<CommandLineCase> cases = {
        {L"prog a b", {L"prog", L"a", L"b"}, "blanks separate words"},
        {L"prog", {L"prog"}, "the first word alone"},
        {L"\"C:\\Program Files\\x.exe\" a",
         {L"C:\\Program Files\\x.exe", L"a"},
         "a quoted first word keeps its blanks"},
        {L"\"C:\\dir\\\"x y",
         {L"C:\\dir\\", L"x", L"y"},
         "the first word ends at the next quote: a backslash escapes nothing there"},
        {L"a\\\"b c", {L"a\\\"b", L"c"}, "an unquoted first word ends at the first blank only"},
        {L"\"a\"b c", {L"a", L"b", L"c"}, "text right after the closing quote starts a new word"},
        {L"\"abc", {L"abc"}, "an unclosed quoted first word runs to the end"},
        {L" a b", {L"", L"a", L"b"}, "a leading blank gives an empty first word"},
        {L"   ", {L""}, "blanks only: one empty first word"},
        {L"p a\"b c\"d", {L"p", L"ab cd"}, "quotes inside a word protect blanks"},
        {L"p \"a b\" c", {L"p", L"a b", L"c"}, "a quoted word"},
        {L"p a\\\\b", {L"p", L"a\\\\b"}, "backslashes before no quote stay as they are"},
        {L"p a\\\\\\\\\"b c\"",
         {L"p", L"a\\\\b c"},
         "2n backslashes and a quote: n backslashes, the quote opens quoting"},
        {L"p a\\\\\\\"b",
         {L"p", L"a\\\"b"},
         "2n+1 backslashes and a quote: n backslashes and a literal quote"},
        {L"p a\\\"b", {L"p", L"a\"b"}, "one backslash escapes the quote"},
        {L"p \\\\\"a b\\\\\"", {L"p", L"\\a b\\"}, "escaped backslashes on both sides of a quote"},
        {L"p a\\", {L"p", L"a\\"}, "a trailing backslash stays"},
        {L"p \"\"", {L"p", L""}, "an empty quoted word"},
        {L"p \"\" b", {L"p", L"", L"b"}, "an empty quoted word between others"},
        {L"p \"\"\"a\"\"\"", {L"p", L"\"a\""}, "tripled quotes give one literal quote each"},
        {L"p \"\"\"\"", {L"p", L"\""}, "four quotes: one literal quote, still inside quotes"},
        {L"p \"a\"\"b\"", {L"p", L"a\"b"}, "a doubled quote inside quotes is a literal quote"},
        {L"p \"a\"\" b\"",
         {L"p", L"a\"", L"b"},
         "after a doubled quote the word is outside quotes again"},
        {L"p\ta\t\tb", {L"p", L"a", L"b"}, "tabs separate words like blanks"},
        {L"p \"a\tb\"", {L"p", L"a\tb"}, "a tab inside quotes is kept"},
        {L"p a  ", {L"p", L"a"}, "trailing blanks add no word"},
        {L"--install --uuid=\"x y\"",
         {L"--install", L"--uuid=x y"},
         "the first word may be a switch"},
    };
    return cases;
}

}  // namespace SystemTests
