// The steps of HttpPost and HttpDownload that take the HTTP library's types.
// Include this only where the library's types are needed: it brings in
// <httplib.h> (and on Windows <winsock2.h> and <windows.h>). Any thread.
#pragma once

#include <map>
#include <memory>
#include <string>

#include <httplib.h>

#include "utils/http/body_check.h"
#include "utils/http/connection.h"
#include "utils/http/download_file.h"
#include "utils/http/http.h"

namespace Utils {

// A library header collection with every pair of `headers`, in its order.
httplib::Headers SetHeader(std::map<std::string, std::string> headers);

// Parses `url` and `headers` into what a request is built from: whether the
// URL is https, the base URL (scheme "://" host [":" port]), the path, the
// value of a "Content-Type" header (exact letter case, leading blank kept;
// `contentType` is left unchanged without one) and the header collection
// (Content-Type included). Returns 0, or HttpParseUrl's code.
int HttpPrepareInfo(const std::string& url, const std::string& headers, bool& https,
                    std::string& baseUrl, std::string& path, std::string& contentType,
                    httplib::Headers& libraryHeaders);

// What one request is sent with.
struct HttpRequestParts {
    bool https = false;        // the URL starts with "https"
    std::string baseUrl;       // scheme "://" host [":" port]
    std::string path;          // path and query
    std::string contentType;   // the "Content-Type" header's value, or ""
    httplib::Headers headers;  // every header of the header text
    HttpTarget target;         // where the connection goes
};

// HttpPrepareInfo, then the target of the base URL. Returns 0 with `parts`
// filled; HttpParseUrl's code; or 1 (the library's Unknown) for an address
// that cannot be connected to (another scheme than http or https, a port
// out of range, no host). `error` is set to the text of a failure.
int HttpPrepareRequest(const std::string& url, const std::string& headers, HttpRequestParts& parts,
                       std::string& error);

// Optional status hook of HttpHandleResult: called with the status and body
// of every response; HTTP_ERROR_NEED_RETRY and HTTP_ERROR_TOKEN_UPDATE
// replace the result, other values are ignored.
using TokenCheckCallback = int (*)(int status, const std::string& body);

// Folds a request's outcome into a result code. A response: the hook's 1002
// or 1003 first, then 0 with `response` = body for status 200, else the
// status with its text. No response: for an https request (`tls`) whose
// server failed verification (`verifyResult` not X509_V_OK),
// HTTP_ERROR_OPENSSL_VERIFY with "<result>,<OpenSSL's text>"; otherwise
// the library error with its text.
int HttpHandleResult(bool tls, long verifyResult, httplib::Result& result, std::string& response,
                     std::string& error, TokenCheckCallback hook = nullptr);

// Folds a download's outcome into a result code, and settles `file` (the file
// the body streamed into: kept only when the transfer completed with 200 and
// `check` finds the body whole). Returns HTTP_ERROR_FILE_WRITE with `error`
// set when the file could not be opened or written; else
// HTTP_ERROR_CONTENT_MISMATCH ("http-5" queued) or HTTP_ERROR_INCOMPLETE_BODY
// with `error` naming expected and actual values; else the library error
// without a response; else the status other than 200; else 0. `error` stays
// empty for the library's errors and statuses.
int HttpHandleDownloadResult(const std::string& url, httplib::Result& result,
                             const std::wstring& directory, std::wstring& fileName,
                             std::string& error, HttpDownloadFile& file, HttpBodyCheck& check);

}  // namespace Utils
