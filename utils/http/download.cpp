// The download: a GET whose body streams into a file in the caller's folder.
#include "utils/http/body_check.h"
#include "utils/http/exchange.h"
#include "utils/http/http_steps.h"
#include "utils/log/log.h"
#include "utils/system/faults.h"

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
    return HttpDownload(url, headers, std::move(progress), directory, fileName, error, {});
}

int HttpDownload(const std::string& url, const std::string& headers,
                 std::function<bool(uint64_t, uint64_t)> progress, const std::wstring& directory,
                 std::wstring& fileName, std::string& error, const HttpExpectedBody& expected) {
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
    HttpBodyCheck check(expected);
    HttpDownloadFile file(directory, fileName,
                          [&check](const char* data, size_t size) { check.Digest(data, size); });
    bool receiving = false;
    auto onAnswer = [&](const httplib::Response& answer) {
        receiving = answer.status == 200;
        return !receiving || (check.Start(answer) &&
                              file.Open(url, answer.get_header_value("Content-Disposition")));
    };
    auto onBody = [&](const char* data, size_t size) {
        return !receiving || (check.Add(data, size) && file.Write(data, size));
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
    return HttpHandleDownloadResult(url, result, directory, fileName, error, file, check);
}

int HttpHandleDownloadResult(const std::string& url, httplib::Result& result,
                             const std::wstring& directory, std::wstring& fileName,
                             std::string& error, HttpDownloadFile& file, HttpBodyCheck& check) {
    LOG_ENTRY();
    using State = HttpDownloadFile::State;
    if (file.state() == State::kOpenFailed || file.state() == State::kFailed) {
        error = HttpErrorToStringA(HTTP_ERROR_FILE_WRITE);
        return HTTP_ERROR_FILE_WRITE;
    }
    // A verdict during the transfer stopped it; otherwise one is taken once
    // the library has read a whole answer.
    if (check.verdict() == HttpBodyCheck::Verdict::kPending && result && result->status == 200) {
        if (!file.Drain()) {
            error = HttpErrorToStringA(HTTP_ERROR_FILE_WRITE);
            return HTTP_ERROR_FILE_WRITE;
        }
        check.Finish();
    }
    if (check.verdict() == HttpBodyCheck::Verdict::kMismatch ||
        check.verdict() == HttpBodyCheck::Verdict::kIncomplete) {
        file.Discard();
        const bool mismatch = check.verdict() == HttpBodyCheck::Verdict::kMismatch;
        const int code = mismatch ? HTTP_ERROR_CONTENT_MISMATCH : HTTP_ERROR_INCOMPLETE_BODY;
        error = HttpErrorToStringA(code) + ": " + check.detail();
        LOG_ERROR("the body of ", url, " is not the announced file: ", check.detail());
        if (mismatch) {
            ReportFault("http-5", 900, url + " " + check.detail(), false);
        }
        return code;
    }
    if (!check.detail().empty()) {
        LOG_INFO("the body of ", url, " is the announced file: ", check.detail());
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
