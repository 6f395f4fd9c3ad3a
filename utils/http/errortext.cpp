// The texts of the layer's result codes, for error texts and log lines.
#include <map>

#include "utils/http/http.h"
#include "utils/log/log.h"

namespace Utils {

namespace {

// The library's connection failure; the text predates the name and is kept
// as its callers know it: "请求超时" in GBK (code page 936).
constexpr const char kConnectionFailedGbk[] = "\xC7\xEB\xC7\xF3\xB3\xAC\xCA\xB1";

const std::map<int, const char*>& HttpErrorTexts() {
    static const std::map<int, const char*> texts = {
        // The library's transport errors (httplib::Error).
        {0, "Success"},
        {1, "Unknown"},
        {2, kConnectionFailedGbk},
        {3, "BindIPAddress"},
        {4, "Read"},
        {5, "Write"},
        {6, "ExceedRedirectCount"},
        {7, "Canceled"},
        {8, "SSLConnection"},
        {9, "SSLLoadingCerts"},
        {10, "SSLServerVerification"},
        {11, "UnsupportedMultipartBoundaryChars"},
        {12, "Compression"},
        // HTTP statuses.
        {100, "Continue"},
        {101, "Switching Protocol"},
        {102, "Processing"},
        {103, "Early Hints"},
        {200, "OK"},
        {201, "Created"},
        {202, "Accepted"},
        {203, "Non-Authoritative Information"},
        {204, "No Content"},
        {205, "Reset Content"},
        {206, "Partial Content"},
        {207, "Multi-Status"},
        {208, "Already Reported"},
        {226, "IM Used"},
        {300, "Multiple Choice"},
        {301, "Moved Permanently"},
        {302, "Found"},
        {303, "See Other"},
        {304, "Not Modified"},
        {305, "Use Proxy"},
        {306, "unused"},
        {307, "Temporary Redirect"},
        {308, "Permanent Redirect"},
        {400, "Bad Request"},
        {401, "Unauthorized"},
        {402, "Payment Required"},
        {403, "Forbidden"},
        {404, "Not Found"},
        {405, "Method Not Allowed"},
        {406, "Not Acceptable"},
        {407, "Proxy Authentication Required"},
        {408, "Request Timeout"},
        {409, "Conflict"},
        {410, "Gone"},
        {411, "Length Required"},
        {412, "Precondition Failed"},
        {413, "Payload Too Large"},
        {414, "URI Too Long"},
        {415, "Unsupported Media Type"},
        {416, "Range Not Satisfiable"},
        {417, "Expectation Failed"},
        {418, "I'm a teapot"},
        {421, "Misdirected Request"},
        {422, "Unprocessable Entity"},
        {423, "Locked"},
        {424, "Failed Dependency"},
        {425, "Too Early"},
        {426, "Upgrade Required"},
        {428, "Precondition Required"},
        {429, "Too Many Requests"},
        {431, "Request Header Fields Too Large"},
        {451, "Unavailable For Legal Reasons"},
        {500, "Internal Server Error"},
        {501, "Not Implemented"},
        {502, "Bad Gateway"},
        {503, "Service Unavailable"},
        {504, "Gateway Timeout"},
        {505, "HTTP Version Not Supported"},
        {506, "Variant Also Negotiates"},
        {507, "Insufficient Storage"},
        {508, "Loop Detected"},
        {510, "Not Extended"},
        {511, "Network Authentication Required"},
        // The layer's own codes.
        {HTTP_ERROR_URL_NULL, "HTTP_ERROR_URL_NULL"},
        {HTTP_ERROR_FILE_WRITE, "HTTP_ERROR_FILE_WRITE"},
        {HTTP_ERROR_NEED_RETRY, "HTTP_ERROR_NEED_RETRY"},
        {HTTP_ERROR_TOKEN_UPDATE, "HTTP_ERROR_TOKEN_UPDATE"},
        {HTTP_ERROR_OPENSSL_VERIFY, "HTTP_ERROR_OPENSSL_VERIFY"},
        {HTTP_ERROR_CONTENT_MISMATCH, "HTTP_ERROR_CONTENT_MISMATCH"},
        {HTTP_ERROR_INCOMPLETE_BODY, "HTTP_ERROR_INCOMPLETE_BODY"},
        {HTTP_ERROR_UNVERIFIED_HTTP, "HTTP_ERROR_UNVERIFIED_HTTP"},
    };
    return texts;
}

}  // namespace

std::string HttpErrorToStringA(int code) {
    LOG_ENTRY();
    const auto& texts = HttpErrorTexts();
    const auto it = texts.find(code);
    return it != texts.end() ? it->second : "HTTP_ERROR_UNDEFINE";
}

}  // namespace Utils
