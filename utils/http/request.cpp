// Building a request from a URL and a header text, the client, the outcome
// of a request, and the POST.
#include <cctype>
#include <exception>

#include <openssl/x509.h>

#include "utils/http/http_steps.h"
#include "utils/http/trust.h"
#include "utils/log/log.h"

namespace Utils {

namespace {

// Longer request bodies are logged by their length only.
constexpr size_t kMaxLoggedBodyBytes = 1024;

// A fresh client for `baseUrl`, or nullptr (logged) when the library refuses it.
std::unique_ptr<httplib::Client> MakeClient(const std::string& baseUrl, bool https) {
    // The library knows its schemes in lower case only ("HTTPS://" would be
    // taken for a host name).
    std::string address = baseUrl;
    const size_t schemeEnd = address.find("://");
    for (size_t i = 0; schemeEnd != std::string::npos && i < schemeEnd; ++i) {
        address[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(address[i])));
    }
    std::unique_ptr<httplib::Client> client;
    try {
        client = std::make_unique<httplib::Client>(address);
    } catch (const std::exception& e) {
        // An unsupported scheme or a port out of range.
        LOG_ERROR("the HTTP library refuses ", baseUrl, ": ", e.what());
        return nullptr;
    }
    if (https) {
        client->enable_server_certificate_verification(true);
        if (!InstallTrustStore(client->ssl_context())) {
            LOG_ERROR("no trust store for ", baseUrl);
        }
    }
    return client;
}

}  // namespace

httplib::Headers SetHeader(std::map<std::string, std::string> headers) {
    LOG_ENTRY();
    httplib::Headers out;
    for (const auto& [name, value] : headers) {
        out.emplace(name, value);
    }
    return out;
}

int HttpPrepareInfo(const std::string& url, const std::string& headers, bool& https,
                    std::string& baseUrl, std::string& path, std::string& contentType,
                    httplib::Headers& libraryHeaders) {
    LOG_ENTRY();
    HttpUrlInfo info;
    const int parsed = HttpParseUrl(url, info);
    if (parsed != 0) {
        return parsed;
    }
    std::map<std::string, std::string> headerMap;
    HttpParaseHeader(headers, headerMap);
    https = info.bHttps;
    baseUrl = info.strScheme + "://" + info.strHost;
    if (!info.strPort.empty()) {
        baseUrl += ":" + info.strPort;
    }
    path = info.strPath;
    const auto type = headerMap.find("Content-Type");
    if (type != headerMap.end()) {
        contentType = type->second;
    }
    libraryHeaders = SetHeader(std::move(headerMap));
    return 0;
}

int HttpPrepareRequest(const std::string& url, const std::string& headers, HttpRequestParts& parts,
                       std::string& error) {
    const int prepared = HttpPrepareInfo(url, headers, parts.https, parts.baseUrl, parts.path,
                                         parts.contentType, parts.headers);
    if (prepared != 0) {
        error = HttpErrorToStringA(prepared);
        return prepared;
    }
    parts.client = MakeClient(parts.baseUrl, parts.https);
    if (!parts.client) {
        const int code = static_cast<int>(httplib::Error::Unknown);
        error = HttpErrorToStringA(code);
        return code;
    }
    return 0;
}

int HttpHandleResult(httplib::Client& client, httplib::Result& result, std::string& response,
                     std::string& error, TokenCheckCallback hook) {
    LOG_ENTRY();
    if (result) {
        const int status = result->status;
        if (hook != nullptr) {
            const int verdict = hook(status, result->body);
            if (verdict == HTTP_ERROR_NEED_RETRY) {
                error = "Token has updated,retry the requset";
                LOG_INFO(error);
                return HTTP_ERROR_NEED_RETRY;
            }
            if (verdict == HTTP_ERROR_TOKEN_UPDATE) {
                error = "Token update failed";
                LOG_INFO(error);
                return HTTP_ERROR_TOKEN_UPDATE;
            }
        }
        if (status == 200) {
            response = result->body;
            return 0;
        }
        error = HttpErrorToStringA(status);
        return status;
    }
    // A plain http client has no verification result to speak of.
    const bool tls = client.ssl_context() != nullptr;
    const long verify = client.get_openssl_verify_result();
    if (tls && verify != X509_V_OK) {
        error = std::to_string(verify) + "," + X509_verify_cert_error_string(verify);
        return HTTP_ERROR_OPENSSL_VERIFY;
    }
    const int code = static_cast<int>(result.error());
    error = HttpErrorToStringA(code);
    return code;
}

int HttpPost(int timeoutSeconds, const std::string& url, const std::string& headers,
             const std::string& body, std::string& response, std::string& error) {
    LOG_ENTRY();
    LOG_INFO(std::to_string(timeoutSeconds));
    LOG_INFO(url);
    LOG_INFO(headers);
    if (body.size() <= kMaxLoggedBodyBytes) {
        LOG_INFO(body);
    } else {
        LOG_INFO("The request was too big:", std::to_string(body.size()));
    }
    error.clear();

    HttpRequestParts request;
    const int prepared = HttpPrepareRequest(url, headers, request, error);
    if (prepared != 0) {
        return prepared;
    }
    httplib::Client& client = *request.client;
    if (timeoutSeconds >= 0) {
        client.set_connection_timeout(timeoutSeconds, 0);
        client.set_read_timeout(timeoutSeconds, 0);
        client.set_write_timeout(timeoutSeconds, 0);
    }
    // The content type travels as its own argument, which the library adds
    // as a header: left in the collection as well, it would be sent twice.
    if (!request.contentType.empty()) {
        request.headers.erase("Content-Type");
    }
    httplib::Result result{nullptr, httplib::Error::Unknown};
    try {
        result = client.Post(request.path, request.headers, body, request.contentType);
    } catch (const std::exception& e) {
        LOG_ERROR("post failed: ", e.what());
    }
    const int code = HttpHandleResult(client, result, response, error);
    if (code == HTTP_ERROR_NEED_RETRY) {
        return HttpPost(timeoutSeconds, url, headers, body, response, error);
    }
    return code;
}

}  // namespace Utils
