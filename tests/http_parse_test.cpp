// Splitting URLs and header texts, the texts of result codes, and the names
// that downloads are given.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "utils/http/connection.h"
#include "utils/http/http.h"
#include "utils/http/http_steps.h"

namespace {

TEST(HttpParseUrl, SplitsEveryFormTheCallersUse) {
    const struct {
        const char* url;
        bool https;
        const char* scheme;
        const char* host;
        const char* port;
        const char* path;
        const char* why;
    } cases[] = {
        {"https://h.example:443/a/b?x=1", true, "https", "h.example", "443", "/a/b?x=1",
         "with a query the port is split off"},
        {"https://h.example:443/a/b", true, "https", "h.example:443", "", "/a/b",
         "without a query the port stays with the host"},
        {"https://h.example", true, "https", "h.example", "", "/", "no path gives /"},
        {"https://h.example/", true, "https", "h.example", "", "/", "a bare slash"},
        {"HTTPS://h.example/x", true, "HTTPS", "h.example", "", "/x",
         "capitals set the flag and stay in the scheme"},
        {"http://h.example:90/browser/c/fault", false, "http", "h.example:90", "",
         "/browser/c/fault", "the test service address"},
        {"h.example/a", false, "http", "h.example", "", "/a", "no scheme: http"},
        {"https.example/a", true, "https", "https.example", "", "/a",
         "the flag looks at the first five letters only"},
        {"http://h.example/p?next=a:b", false, "http", "h.example", "", "/p?next=a:b",
         "a colon after the query is no port"},
        {"https://h.example:8443?x=1", true, "https", "h.example", "8443", "/?x=1",
         "a port followed by a query gets the path /"},
    };
    for (const auto& c : cases) {
        Utils::HttpUrlInfo info;
        ASSERT_EQ(0, Utils::HttpParseUrl(c.url, info)) << c.why;
        EXPECT_EQ(c.https, info.bHttps) << c.why;
        EXPECT_EQ(c.scheme, info.strScheme) << c.why;
        EXPECT_EQ(c.host, info.strHost) << c.why;
        EXPECT_EQ(c.port, info.strPort) << c.why;
        EXPECT_EQ(c.path, info.strPath) << c.why;
    }
    Utils::HttpUrlInfo info;
    EXPECT_EQ(Utils::HTTP_ERROR_URL_NULL, Utils::HttpParseUrl("", info));
}

TEST(HttpTargetFromBaseUrl, TakesOnlyAddressesThatCanBeConnectedTo) {
    const struct {
        const char* baseUrl;
        bool split;
        bool https;
        const char* host;
        int port;
        const char* hostHeader;
        const char* why;
    } cases[] = {
        {"http://127.0.0.1:8080", true, false, "127.0.0.1", 8080, "127.0.0.1:8080",
         "host and port"},
        {"http://h.example", true, false, "h.example", 80, "h.example", "no port: 80"},
        {"http://h.example:80", true, false, "h.example", 80, "h.example", "the default port"},
        {"HTTP://h.example:90", true, false, "h.example", 90, "h.example:90", "any letter case"},
        {"https://h.example", true, true, "h.example", 443, "h.example", "https: 443"},
        {"https://h.example:443", true, true, "h.example", 443, "h.example", "443 written out"},
        {"HTTPS://h.example:8443", true, true, "h.example", 8443, "h.example:8443", "capitals"},
        {"http://[::1]:8080", true, false, "::1", 8080, "[::1]:8080", "IPv6 loses its brackets"},
        {"http://[fe80::1]", true, false, "fe80::1", 80, "[fe80::1]", "IPv6 without a port"},
        {"ftp://h.example", false, false, "", 0, "", "another scheme"},
        {"httpsx://h.example", false, false, "", 0, "", "a scheme that only starts with https"},
        {"h.example", false, false, "", 0, "", "no scheme"},
        {"http://h.example:", false, false, "", 0, "", "a colon without a port"},
        {"http://h.example:8a", false, false, "", 0, "", "a port that is no number"},
        {"http://h.example:123456", false, false, "", 0, "", "more than five digits"},
        {"http://h.example:65536", false, false, "", 0, "", "a port out of range"},
        {"http://h.example:0", false, false, "", 0, "", "port 0"},
        {"http://h.example:1:2", false, false, "", 0, "", "two ports"},
        {"http://:80", false, false, "", 0, "", "no host"},
        {"http://", false, false, "", 0, "", "nothing at all"},
        {"http://h example", false, false, "", 0, "", "a blank in the host"},
        {"http://user@h.example", false, false, "", 0, "", "user information"},
        {"http://[::1", false, false, "", 0, "", "an open bracket"},
        {"http://[]:80", false, false, "", 0, "", "empty brackets"},
    };
    for (const auto& c : cases) {
        Utils::HttpTarget target;
        EXPECT_EQ(c.split, Utils::HttpTargetFromBaseUrl(c.baseUrl, target)) << c.why;
        if (c.split) {
            EXPECT_EQ(c.https, target.https) << c.why;
            EXPECT_EQ(c.host, target.host) << c.why;
            EXPECT_EQ(c.port, target.port) << c.why;
            EXPECT_EQ(c.hostHeader, target.hostHeader) << c.why;
        }
    }
}

TEST(HttpParaseHeader, KeepsValuesUntrimmedAndTheLastOfEachName) {
    using Map = std::map<std::string, std::string>;
    const struct {
        const char* text;
        Map expected;
        const char* why;
    } cases[] = {
        {"\r\nUser-Agent: A\r\nContent-Type: application/json",
         {{"User-Agent", " A"}, {"Content-Type", " application/json"}},
         "the text HttpAddHeader builds"},
        {"", {}, "empty text"},
        {"\r\nX: 1\r\nX: 2", {{"X", " 2"}}, "a later line replaces the value"},
        {"\r\nX: 1\r\nx: 2", {{"X", " 1"}, {"x", " 2"}}, "names are case-sensitive"},
        {"\r\nno colon\r\n\r\nA:b:c\r\n", {{"A", "b:c"}}, "split at the first colon only"},
        {"k: v", {{"k", " v"}}, "a single line without CR LF"},
    };
    for (const auto& c : cases) {
        Map out;
        EXPECT_EQ(0, Utils::HttpParaseHeader(c.text, out)) << c.why;
        EXPECT_EQ(c.expected, out) << c.why;
    }
}

TEST(HttpAddHeader, PutsCrLfBeforeEachLine) {
    EXPECT_EQ("\r\nUser-Agent: Vezez", Utils::HttpAddHeader("", "User-Agent: Vezez"));
    EXPECT_EQ("\r\nA: 1\r\nB: 2", Utils::HttpAddHeader("\r\nA: 1", "B: 2"));
}

TEST(HttpPrepareInfo, GivesBaseUrlPathContentTypeAndHeaders) {
    const struct {
        const char* url;
        const char* headers;
        const char* base;
        const char* path;
        const char* contentType;
        const char* why;
    } cases[] = {
        {"https://h.example:443/a/b?x=1", "", "https://h.example:443", "/a/b?x=1", "",
         "port split off"},
        {"https://h.example:443/a/b", "", "https://h.example:443", "/a/b", "",
         "port kept with the host: the same base"},
        {"http://h.example/r", "\r\nUser-Agent: A\r\nContent-Type: application/json",
         "http://h.example", "/r", " application/json", "the content type keeps its blank"},
        {"http://h.example/r", "\r\ncontent-type: text/x", "http://h.example", "/r", "",
         "only the exact name counts"},
    };
    for (const auto& c : cases) {
        bool https = false;
        std::string base;
        std::string path;
        std::string contentType;
        httplib::Headers headers;
        ASSERT_EQ(0,
                  Utils::HttpPrepareInfo(c.url, c.headers, https, base, path, contentType, headers))
            << c.why;
        EXPECT_EQ(base.rfind("https", 0) == 0, https) << c.why;
        EXPECT_EQ(c.base, base) << c.why;
        EXPECT_EQ(c.path, path) << c.why;
        EXPECT_EQ(c.contentType, contentType) << c.why;
    }

    bool https = false;
    std::string base;
    std::string path;
    std::string contentType;
    httplib::Headers headers;
    ASSERT_EQ(0, Utils::HttpPrepareInfo("http://h/", "\r\nUser-Agent: A\r\nContent-Type: t", https,
                                        base, path, contentType, headers));
    EXPECT_EQ((httplib::Headers{{"Content-Type", " t"}, {"User-Agent", " A"}}), headers)
        << "every pair, Content-Type included";
    EXPECT_EQ(Utils::HTTP_ERROR_URL_NULL,
              Utils::HttpPrepareInfo("", "", https, base, path, contentType, headers));
}

TEST(HttpErrorToStringA, NamesLibraryErrorsStatusesAndOwnCodes) {
    const struct {
        int code;
        const char* text;
        const char* why;
    } cases[] = {
        {0, "Success", "library success"},
        {2, "\xC7\xEB\xC7\xF3\xB3\xAC\xCA\xB1", "a failed connection, in GBK"},
        {7, "Canceled", "cancelled through a callback"},
        {10, "SSLServerVerification", "certificate refused"},
        {12, "Compression", "the last library error named"},
        {13, "HTTP_ERROR_UNDEFINE", "newer library errors are not named"},
        {101, "Switching Protocol", "reason phrase as listed"},
        {204, "No Content", "a status"},
        {299, "HTTP_ERROR_UNDEFINE", "an unlisted status"},
        {306, "unused", "the reserved status"},
        {418, "I'm a teapot", "a status"},
        {511, "Network Authentication Required", "the last status"},
        {1000, "HTTP_ERROR_URL_NULL", "own code"},
        {1001, "HTTP_ERROR_FILE_WRITE", "own code"},
        {1002, "HTTP_ERROR_NEED_RETRY", "own code"},
        {1003, "HTTP_ERROR_TOKEN_UPDATE", "own code"},
        {1004, "HTTP_ERROR_OPENSSL_VERIFY", "own code"},
        {1005, "HTTP_ERROR_CONTENT_MISMATCH", "own code"},
        {1006, "HTTP_ERROR_INCOMPLETE_BODY", "own code"},
        {1007, "HTTP_ERROR_UNVERIFIED_HTTP", "own code"},
        {-1, "HTTP_ERROR_UNDEFINE", "negative"},
        {1008, "HTTP_ERROR_UNDEFINE", "past the own codes"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.text, Utils::HttpErrorToStringA(c.code)) << c.why;
    }
}

TEST(HttpDownloadFileName, KeepsOneHarmlessNameInsideTheFolder) {
    const char* const url = "https://dl.example/files/setup.exe";
    const struct {
        const char* url;
        const char* disposition;
        const char* expected;
        const char* why;
    } cases[] = {
        {url, "attachment; filename=\"Tavo Setup.exe\"", "Tavo Setup.exe", "quoted name"},
        {url, "attachment; filename=Tavo.exe", "setup.exe", "unquoted: the URL's name"},
        {url, "attachment; filename=\"open.exe", "open.exe", "no closing quote: to the end"},
        {url, "", "setup.exe", "no header"},
        {url, "attachment; filename=\"../../x.exe\"", "x.exe", "parent steps dropped"},
        {url, "attachment; filename=\"/etc/cron.d/x\"", "x", "absolute POSIX path"},
        {url, "attachment; filename=\"C:\\Windows\\x.exe\"", "x.exe", "absolute Windows path"},
        {url, "attachment; filename=\"C:x.exe\"", "C_x.exe", "drive-relative name"},
        {url, "attachment; filename=\"a|b?.exe\"", "a_b_.exe", "characters files refuse"},
        {url, "attachment; filename=\"..\"", "setup.exe", "parent folder: the URL's name"},
        {url, "attachment; filename=\"x/..\"", "setup.exe", "ends in a parent step"},
        {url, "attachment; filename=\"\"", "setup.exe", "empty: the URL's name"},
        {url, "attachment; filename=\"NUL.txt\"", "setup.exe", "a Windows device"},
        {"https://dl.example/a.exe?v=2", "", "a.exe", "query dropped"},
        {"https://dl.example/a.exe#top", "", "a.exe", "fragment dropped"},
        {"https://dl.example/get?file=/x/y.exe", "", "get", "slashes in the query ignored"},
        {"https://dl.example/", "", "download.bin", "no name anywhere"},
        {"https://dl.example/..", "attachment; filename=\"..\"", "download.bin", "both refused"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, Utils::HttpDownloadFileName(c.url, c.disposition)) << c.why;
    }
}

}  // namespace
