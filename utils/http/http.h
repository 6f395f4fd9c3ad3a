// The HTTP client layer: every request of the installer goes through these
// functions. A caller hands in a full URL and its request headers as one text
// (lines "Name: value", each preceded by "\r\n", built with HttpAddHeader);
// the layer sends the request with a fresh client and folds every outcome
// into one result code plus a readable error text.
//
// Result codes, one space for all functions:
//   0          success (HTTP status 200)
//   1 to 99    the library's transport error (httplib::Error), no response
//   100 to 599 the HTTP status of a response other than 200
//   1000-1004  the codes of HttpResult below
//
// Each request has a connection of its own (connection.h): the layer
// resolves, connects and reads every byte itself, so that waits are bounded
// and answers are watched as they arrive; the HTTP library writes the
// request and reads the answer over it. https: TLS 1.2 or later, the server
// certificate is verified against the system's trust store (Linux:
// OpenSSL's default paths; Windows: the ROOT certificate store) and must
// name the host (a name, or an address literal). Redirects are not
// followed; no proxy is used.
//
// Threads: the functions share no data (each call owns its client), so any
// thread may call them, also in parallel. This header does not include the
// HTTP library; the steps that take library types are in http_steps.h.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace Utils {

enum HttpResult {
    HTTP_ERROR_URL_NULL = 1000,        // the URL is empty
    HTTP_ERROR_FILE_WRITE = 1001,      // the download file cannot be opened or written
    HTTP_ERROR_NEED_RETRY = 1002,      // the status hook asks for the request to be repeated
    HTTP_ERROR_TOKEN_UPDATE = 1003,    // the status hook reports a failed token update
    HTTP_ERROR_OPENSSL_VERIFY = 1004,  // no response, the TLS verification result is not 0
    // The downloaded body is not the file the service announced: its size or
    // SHA-256 differs, or it runs past the announced size ("http-5" queued).
    HTTP_ERROR_CONTENT_MISMATCH = 1005,
    // The body ended short of the answer's Content-Length, or the answer's
    // length cannot be read.
    HTTP_ERROR_INCOMPLETE_BODY = 1006,
    // Refused before any request: a plain http download without a SHA-256
    // to check it by (the pipeline's rule in release mode).
    HTTP_ERROR_UNVERIFIED_HTTP = 1007,
};

// What the service announced about a file before it is downloaded. A
// download whose body differs from it fails with HTTP_ERROR_CONTENT_MISMATCH.
struct HttpExpectedBody {
    std::string sha256;  // 64 hexadecimal digits, either case; "" when not announced
    int64_t size = -1;   // bytes; -1 when not announced
};

// Whether `text` is a SHA-256 as HttpExpectedBody takes it: 64 hexadecimal
// digits, either case.
bool IsSha256Text(const std::string& text);

// Posts `body` to `url` with the header text `headers`. `timeoutSeconds` of 0
// or more sets the connection, read and write time-outs; a negative value
// keeps the library's defaults. Returns 0 with `response` set to the body of
// a 200 answer (`response` is written only then), or a result code with
// `error` set to its text. Logs the call; a body over 1024 bytes is logged by
// its length only.
int HttpPost(int timeoutSeconds, const std::string& url, const std::string& headers,
             const std::string& body, std::string& response, std::string& error);

// Downloads `url` with a GET into `directory` + file name (`directory` ends
// with the path separator; it is created, after queueing the fault "http-1",
// when missing). A non-empty `fileName` is used as given; an empty one is
// chosen from the answer's Content-Disposition or the URL (last path
// component only, see HttpDownloadFileName) and written back. The body is
// streamed to the file as it arrives; a transfer that does not complete
// (cancelled, dropped, failed write) leaves no file behind.
// `progress` (bytes so far, bytes expected) is called on the calling thread
// while the body arrives; returning false cancels the download.
// Returns 0; the library error (7 when cancelled) or the status other than
// 200 with an empty `error`; HTTP_ERROR_FILE_WRITE with `error` set when the
// file cannot be opened ("http-2" queued) or written ("http-3", "http-4");
// HTTP_ERROR_URL_NULL, or 1 for an address the library refuses, with their
// texts.
int HttpDownload(const std::string& url, const std::string& headers,
                 std::function<bool(uint64_t, uint64_t)> progress, const std::wstring& directory,
                 std::wstring& fileName, std::string& error);

// HttpDownload of a file the service described: the body's SHA-256 is
// computed while it streams to the file, and the body must end exactly at
// `expected.size` (when known; the transfer stops as soon as it runs past
// it, or at once when the answer's Content-Length differs) and have the
// expected SHA-256 (when known). A body that ended short of its
// Content-Length is HTTP_ERROR_INCOMPLETE_BODY; one that is not the
// announced file is HTTP_ERROR_CONTENT_MISMATCH with the fault "http-5"
// (expected and actual values in its content and in `error`). Either way
// no file is left.
int HttpDownload(const std::string& url, const std::string& headers,
                 std::function<bool(uint64_t, uint64_t)> progress, const std::wstring& directory,
                 std::wstring& fileName, std::string& error, const HttpExpectedBody& expected);

// `headers` + "\r\n" + `line`.
std::string HttpAddHeader(const std::string& headers, const std::string& line);

// The text of a result code: the library's error names, the HTTP reason
// phrases, the names of HttpResult, "HTTP_ERROR_UNDEFINE" for anything else.
// Code 2 (a failed connection) is "请求超时" in GBK bytes.
std::string HttpErrorToStringA(int code);

// A URL split the way the client is built from it.
struct HttpUrlInfo {
    bool bHttps = false;    // the URL starts with "https", any letter case
    std::string strScheme;  // the text before "://" as written ("https"/"http" without one)
    std::string strHost;    // host; "host:port" when the URL has a port but no query
    std::string strPort;    // port digits when split off, else ""
    std::string strPath;    // from the first "/" on, query included; "/" when empty
};

// Returns 0 with `info` filled, or HTTP_ERROR_URL_NULL for an empty URL.
int HttpParseUrl(const std::string& url, HttpUrlInfo& info);

// Splits the header text at "\r\n"; every line with a ':' sets
// out[text before it] = text after it (not trimmed, so values keep their
// leading blank; a later line replaces an earlier one of the same name).
// Lines without ':' are skipped. Always returns 0.
int HttpParaseHeader(const std::string& headers, std::map<std::string, std::string>& out);

// The name of a downloaded file when the caller gives none (UTF-8): the
// quoted name after "filename" in `contentDisposition`, else the URL's last
// path segment without its query and fragment, else "download.bin". Each
// candidate keeps only its last path component ('/' and '\\' both separate),
// has characters that file systems refuse ('<' '>' ':' '"' '|' '?' '*' and
// control characters) replaced by '_', and is refused when nothing is left,
// when it is only dots and blanks, or when it is a Windows device name.
std::string HttpDownloadFileName(const std::string& url, const std::string& contentDisposition);

// Test seam: certificates in `pem` (one or more PEM blocks) are trusted in
// addition to the system's store by every https request that starts
// afterwards; "" trusts the system's store only again.
void SetHttpExtraCaCertForTesting(const std::string& pem);

// Test seam: downloads fail to write once a file would pass `bytes` bytes, as
// on a full disk; a negative value lifts the limit.
void SetHttpDownloadWriteLimitForTesting(int64_t bytes);

}  // namespace Utils
