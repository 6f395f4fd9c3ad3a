// The download: a GET whose body streams into a file in the caller's folder.
#include "utils/http/exchange.h"
#include "utils/http/http_steps.h"
#include "utils/log/log.h"

namespace Utils {

namespace {

// Receive and send time-outs of a download; the connection time-out stays
// the library's.
constexpr int kDownloadTimeoutMs = 20000;
constexpr int kDownloadConnectMs = 300000;

}  // namespace

int HttpDownload(const std::string& url, const std::string& headers,
                 std::function<bool(uint64_t, uint64_t)> progress, const std::wstring& directory,
                 std::wstring& fileName, std::string& error) {
    LOG_ENTRY();
    LOG_INFO("-1");
    LOG_INFO(url);
    LOG_INFO(headers);
    error.clear();

    HttpRequestParts request;
    const int prepared = HttpPrepareRequest(url, headers, request, error);
    if (prepared != 0) {
        return prepared;
    }
    // The file is chosen and opened once the headers say 200; the body of any
    // other answer is read and dropped.
    HttpDownloadFile file(directory, fileName);
    bool receiving = false;
    auto onAnswer = [&](const httplib::Response& answer) {
        receiving = answer.status == 200;
        return !receiving || file.Open(url, answer.get_header_value("Content-Disposition"));
    };
    auto onBody = [&](const char* data, size_t size) {
        return !receiving || file.Write(data, size);
    };
    HttpLimits limits;
    limits.connectTimeoutMs = kDownloadConnectMs;
    limits.receiveTimeoutMs = kDownloadTimeoutMs;
    limits.sendTimeoutMs = kDownloadTimeoutMs;
    httplib::Request get;
    get.method = "GET";
    get.path = request.path;
    get.headers = std::move(request.headers);
    get.response_handler = onAnswer;
    get.content_receiver = [&](const char* data, size_t size, uint64_t, uint64_t) {
        return onBody(data, size);
    };
    get.progress = std::move(progress);
    HttpExchangeResult sent = HttpSend(request.target, limits, get);
    if (sent.stop != HttpStop::kNone) {
        LOG_ERROR("download of ", url, " ended early: ", HttpStopText(sent.stop));
    }
    httplib::Result& result = sent.result;
    return HttpHandleDownloadResult(url, result, directory, fileName, error, file);
}

int HttpHandleDownloadResult(const std::string& url, httplib::Result& result,
                             const std::wstring& directory, std::wstring& fileName,
                             std::string& error, HttpDownloadFile& file) {
    LOG_ENTRY();
    using State = HttpDownloadFile::State;
    if (file.state() == State::kOpenFailed || file.state() == State::kFailed) {
        error = HttpErrorToStringA(HTTP_ERROR_FILE_WRITE);
        return HTTP_ERROR_FILE_WRITE;
    }
    if (!result) {
        file.Discard();
        LOG_ERROR("download of ", url,
                  " ended without an answer: ", httplib::to_string(result.error()));
        return static_cast<int>(result.error());
    }
    if (result->status != 200) {
        return result->status;
    }
    if (!file.Finish()) {
        error = HttpErrorToStringA(HTTP_ERROR_FILE_WRITE);
        return HTTP_ERROR_FILE_WRITE;
    }
    LOGW_INFO(L"downloaded ", directory, fileName);
    return 0;
}

}  // namespace Utils
