// Splitting URLs and header texts. The searches are plain substring
// searches, exactly as the callers' URLs and header texts are built.
#include <algorithm>
#include <cctype>

#include "utils/http/http.h"
#include "utils/log/log.h"

namespace Utils {

std::string HttpAddHeader(const std::string& headers, const std::string& line) {
    LOG_ENTRY();
    return headers + "\r\n" + line;
}

int HttpParseUrl(const std::string& url, HttpUrlInfo& info) {
    LOG_ENTRY();
    if (url.empty()) {
        return HTTP_ERROR_URL_NULL;
    }
    static const char kHttps[] = "https";
    info.bHttps = url.size() >= 5;
    for (size_t i = 0; info.bHttps && i < 5; ++i) {
        info.bHttps = std::tolower(static_cast<unsigned char>(url[i])) == kHttps[i];
    }
    info.strScheme = info.bHttps ? "https" : "http";

    std::string rest = url;
    const size_t schemeEnd = url.find("://");
    if (schemeEnd != std::string::npos) {
        info.strScheme = url.substr(0, schemeEnd);
        rest = url.substr(schemeEnd + 3);
    }

    const size_t query = rest.find('?');
    const size_t colon = rest.find(':');
    if (query != std::string::npos && colon != std::string::npos && colon < query) {
        // "host:port/path?query": the port is split off.
        info.strHost = rest.substr(0, colon);
        rest.erase(0, colon + 1);
        // The port ends at the path, or at the query when no path comes
        // first ("host:port?query" gets the path "/?query").
        const size_t portEnd = rest.find_first_of("/?");  // the query is still ahead
        info.strPort = rest.substr(0, portEnd);
        rest = rest[portEnd] == '/' ? rest.substr(portEnd) : "/" + rest.substr(portEnd);
    } else {
        // Without a query a port stays part of the host ("host:443").
        const size_t slash = rest.find('/');
        if (slash != std::string::npos) {
            info.strHost = rest.substr(0, slash);
            rest.erase(0, slash);
        } else {
            info.strHost = rest;
            rest.clear();
        }
    }
    info.strPath = rest.empty() ? "/" : rest;
    return 0;
}

int HttpParaseHeader(const std::string& headers, std::map<std::string, std::string>& out) {
    LOG_ENTRY();
    size_t start = 0;
    while (start <= headers.size()) {
        size_t end = headers.find("\r\n", start);
        if (end == std::string::npos) {
            end = headers.size();
        }
        const std::string line = headers.substr(start, end - start);
        const size_t colon = line.find(':');
        if (colon != std::string::npos) {
            out[line.substr(0, colon)] = line.substr(colon + 1);
        }
        start = end + 2;
    }
    return 0;
}

}  // namespace Utils
