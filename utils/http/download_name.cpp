// Choosing the name of a downloaded file when the caller gives none. The
// name comes from the server, so it is reduced to one harmless file name
// inside the download directory.
#include <cctype>
#include <cstring>

#include "utils/http/http.h"

namespace Utils {

namespace {

// Used when neither the answer nor the URL offers a usable name.
constexpr const char* kFallbackFileName = "download.bin";

// Windows opens a device instead of a file for these names, whatever their
// extension ("NUL.txt" too).
bool IsDeviceName(const std::string& name) {
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') {
        stem.pop_back();
    }
    for (char& c : stem) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") {
        return true;
    }
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}

// The last path component of `name` with refused characters replaced, or ""
// when nothing usable is left.
std::string SafeFileName(std::string name) {
    const size_t separator = name.find_last_of("/\\");
    if (separator != std::string::npos) {
        name.erase(0, separator + 1);
    }
    for (char& c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("<>:\"|?*", c) != nullptr) {
            c = '_';
        }
    }
    // Covers "", "." and "..": names that are no file of their own.
    if (name.find_first_not_of(". ") == std::string::npos || IsDeviceName(name)) {
        return {};
    }
    return name;
}

// The text between the first two double quotes after "filename" ("" when
// there is no "filename" or no quote after it; to the end without a closing
// quote).
std::string DispositionFileName(const std::string& value) {
    const size_t at = value.find("filename");
    if (at == std::string::npos) {
        return {};
    }
    const size_t open = value.find('"', at);
    if (open == std::string::npos) {
        return {};
    }
    const size_t close = value.find('"', open + 1);
    return value.substr(open + 1,
                        close == std::string::npos ? std::string::npos : close - open - 1);
}

// The URL's text after its last '/', without query and fragment (the whole
// URL when it has no '/').
std::string UrlFileName(const std::string& url) {
    const std::string address = url.substr(0, url.find_first_of("?#"));
    const size_t slash = address.rfind('/');
    return slash == std::string::npos ? address : address.substr(slash + 1);
}

}  // namespace

std::string HttpDownloadFileName(const std::string& url, const std::string& contentDisposition) {
    std::string name = SafeFileName(DispositionFileName(contentDisposition));
    if (name.empty()) {
        name = SafeFileName(UrlFileName(url));
    }
    return name.empty() ? kFallbackFileName : name;
}

}  // namespace Utils
