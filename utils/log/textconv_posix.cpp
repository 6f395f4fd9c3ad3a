// Linux conversions: wchar_t is UTF-32 here. The codec is written out so that
// it substitutes invalid sequences (U+FFFD) instead of failing, as the
// Windows conversions do, and stops at the first zero character.
#include <cerrno>
#include <cstring>
#include <cwchar>

#include "utils/log/textconv.h"

namespace Utils {

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

void EncodeUtf8(uint32_t cp, std::string& out) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        cp = kReplacement;
    }
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one code point at s[i]; advances i past it. An ill-formed sequence
// yields U+FFFD and consumes its maximal valid prefix (at least one byte).
uint32_t DecodeUtf8(const std::string& s, size_t& i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int length;
    uint32_t cp;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        cp = b0 & 0x0F;
        if (b0 == 0xE0)
            lo = 0xA0;  // no overlong forms
        if (b0 == 0xED)
            hi = 0x9F;  // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        cp = b0 & 0x07;
        if (b0 == 0xF0)
            lo = 0x90;
        if (b0 == 0xF4)
            hi = 0x8F;  // nothing above U+10FFFF
    } else {
        ++i;
        return kReplacement;
    }
    size_t k = i + 1;
    for (int n = 1; n < length; ++n, ++k) {
        const unsigned char lower = n == 1 ? lo : 0x80;
        const unsigned char upper = n == 1 ? hi : 0xBF;
        if (k >= s.size() || byte(k) < lower || byte(k) > upper) {
            i = k;
            return kReplacement;
        }
        cp = (cp << 6) | (byte(k) & 0x3F);
    }
    i = k;
    return cp;
}

std::string CutAtZero(std::string s) {
    const size_t zero = s.find('\0');
    if (zero != std::string::npos) {
        s.resize(zero);
    }
    return s;
}

}  // namespace

std::string WideToUtf8(std::wstring wide) {
    std::string out;
    for (const wchar_t c : wide) {
        if (c == L'\0') {
            break;
        }
        EncodeUtf8(static_cast<uint32_t>(c), out);
    }
    return out;
}

std::wstring Utf8ToWide(std::string utf8) {
    utf8 = CutAtZero(std::move(utf8));
    std::wstring out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        out += static_cast<wchar_t>(DecodeUtf8(utf8, i));
    }
    return out;
}

std::wstring AnsiToWide(std::string ansi) {
    // The process locale's multibyte encoding; a byte it cannot decode
    // becomes U+FFFD and decoding resumes at the next byte.
    ansi = CutAtZero(std::move(ansi));
    std::wstring out;
    std::mbstate_t state{};
    for (size_t i = 0; i < ansi.size();) {
        wchar_t c = 0;
        const size_t n = std::mbrtowc(&c, ansi.data() + i, ansi.size() - i, &state);
        if (n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2) || n == 0) {
            out += static_cast<wchar_t>(kReplacement);
            state = std::mbstate_t{};
            ++i;
            continue;
        }
        out += c;
        i += n;
    }
    return out;
}

namespace {

// The C library's text for an errno value, or "" when it has none.
std::string ErrnoText(uint32_t code) {
    const int value = static_cast<int>(code);
    if (code > 0x7FFFFFFF || strerrorname_np(value) == nullptr) {
        return {};
    }
    char buffer[256];
    return strerror_r(value, buffer, sizeof buffer);
}

}  // namespace

std::string SystemErrorToStringA(uint32_t code) {
    return std::to_string(code) + "," + WideToUtf8(AnsiToWide(ErrnoText(code)));
}

std::wstring SystemErrorToStringW(uint32_t code) {
    return std::to_wstring(code) + L"," + AnsiToWide(ErrnoText(code));
}

uint32_t LastSystemError() {
    return static_cast<uint32_t>(errno);
}

void SetLastSystemError(uint32_t code) {
    errno = static_cast<int>(code);
}

}  // namespace Utils
