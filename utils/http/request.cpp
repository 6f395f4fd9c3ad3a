// Building a request from a URL and a header text, the client, the outcome
// of a request, and the POST.
#include <openssl/x509.h>

#include "utils/http/exchange.h"
#include "utils/http/http_steps.h"
#include "utils/log/log.h"

namespace Utils {

namespace {

// Longer request bodies are logged by their length only.
constexpr size_t kMaxLoggedBodyBytes = 1024;

// The library's own time-outs, for a caller that asks for none.
constexpr int kDefaultConnectMs = 300000;
constexpr int kDefaultReceiveMs = 5000;
constexpr int kDefaultSendMs = 5000;

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
    if (!HttpTargetFromBaseUrl(parts.baseUrl, parts.target)) {
        // Another scheme, no host, a port out of range: nothing to connect to.
        LOG_ERROR("no request can be made to ", parts.baseUrl);
        const int code = static_cast<int>(httplib::Error::Unknown);
        error = HttpErrorToStringA(code);
        return code;
    }
    return 0;
}

int HttpHandleResult(bool tls, long verifyResult, httplib::Result& result, std::string& response,
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
    // A plain http request has no verification result to speak of.
    if (tls && verifyResult != X509_V_OK) {
        error = std::to_string(verifyResult) + "," + X509_verify_cert_error_string(verifyResult);
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
    HttpLimits limits;
    limits.connectTimeoutMs = timeoutSeconds >= 0 ? timeoutSeconds * 1000 : kDefaultConnectMs;
    limits.receiveTimeoutMs = timeoutSeconds >= 0 ? timeoutSeconds * 1000 : kDefaultReceiveMs;
    limits.sendTimeoutMs = timeoutSeconds >= 0 ? timeoutSeconds * 1000 : kDefaultSendMs;
    httplib::Request post;
    post.method = "POST";
    post.path = request.path;
    post.headers = std::move(request.headers);
    // The content type travels once, as the library's Post sends it.
    if (!request.contentType.empty()) {
        post.headers.erase("Content-Type");
        post.headers.emplace("Content-Type", request.contentType);
    }
    post.body = body;
    HttpExchangeResult sent = HttpSend(request.target, limits, post);
    if (sent.stop != HttpStop::kNone) {
        LOG_ERROR("post to ", url, " ended early: ", HttpStopText(sent.stop));
    }
    const int code = HttpHandleResult(sent.tls, sent.verifyResult, sent.result, response, error);
    if (code == HTTP_ERROR_NEED_RETRY) {
        return HttpPost(timeoutSeconds, url, headers, body, response, error);
    }
    return code;
}

}  // namespace Utils
