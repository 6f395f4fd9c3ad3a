// HttpPost against a server in this process: statuses, transport failures,
// what reaches the server, and the log lines.
#include <gtest/gtest.h>

#include <mutex>
#include <string>

#include "tests/support/http_server.h"
#include "tests/support/testsupport.h"
#include "utils/http/http.h"
#include "utils/http/http_steps.h"

namespace {

using TestSupport::LocalHttpServer;
using TestSupport::LogCapture;

const std::string kHeaders = "\r\nUser-Agent: Vezez\r\nContent-Type: application/json";

class HttpPostTest : public ::testing::Test {
  protected:
    void SetUp() override {
        server_.server().Post("/status/(\\d+)",
                              [](const httplib::Request& req, httplib::Response& res) {
                                  res.status = std::stoi(req.matches[1].str());
                                  res.set_content("answer " + req.matches[1].str(), "text/plain");
                              });
        server_.server().Post("/echo", [this](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard<std::mutex> lock(mutex_);
            seen_ = req;
            res.set_content("ok", "text/plain");
        });
        ASSERT_TRUE(server_.Start());
    }

    httplib::Request Seen() {
        std::lock_guard<std::mutex> lock(mutex_);
        return seen_;
    }

    LogCapture log_;
    std::mutex mutex_;
    httplib::Request seen_;  // guarded by mutex_
    // Last, so it is stopped (its threads joined) before the state its
    // handlers write is destroyed.
    LocalHttpServer server_;
};

TEST_F(HttpPostTest, OnlyStatus200IsSuccess) {
    const struct {
        int status;
        int result;
        const char* error;
        const char* response;
        const char* why;
    } cases[] = {
        {200, 0, "", "answer 200", "the body is the response"},
        {204, 204, "No Content", "untouched", "no content is no success"},
        {299, 299, "HTTP_ERROR_UNDEFINE", "untouched", "an unlisted status"},
        {500, 500, "Internal Server Error", "untouched", "a server failure"},
    };
    for (const auto& c : cases) {
        std::string response = "untouched";
        std::string error = "stale";
        EXPECT_EQ(c.result, Utils::HttpPost(5, server_.Url("/status/" + std::to_string(c.status)),
                                            kHeaders, "{}", response, error))
            << c.why;
        EXPECT_EQ(c.error, error) << c.why;
        EXPECT_EQ(c.response, response) << c.why;
    }
}

TEST_F(HttpPostTest, HeadersBodyAndPathArriveAsSent) {
    std::string response;
    std::string error;
    ASSERT_EQ(0,
              Utils::HttpPost(5, server_.Url("/echo?x=1"), kHeaders, "{\"a\":1}", response, error))
        << error;
    EXPECT_EQ("ok", response);
    const httplib::Request seen = Seen();
    EXPECT_EQ("{\"a\":1}", seen.body);
    EXPECT_EQ("1", seen.get_param_value("x"));
    EXPECT_EQ("Vezez", seen.get_header_value("User-Agent"));
    EXPECT_EQ(1u, seen.get_header_value_count("User-Agent"));
    EXPECT_EQ("application/json", seen.get_header_value("Content-Type"));
    EXPECT_EQ(1u, seen.get_header_value_count("Content-Type")) << "sent once, not twice";
}

TEST_F(HttpPostTest, LogsTheCallAndLongBodiesByLengthOnly) {
    const std::string exact(1024, 'a');
    const std::string big(2000, 'b');
    std::string response;
    std::string error;
    ASSERT_EQ(0, Utils::HttpPost(7, server_.Url("/echo"), kHeaders, exact, response, error));
    ASSERT_EQ(0, Utils::HttpPost(7, server_.Url("/echo"), kHeaders, big, response, error));
    EXPECT_EQ(2u, log_.Count("OUT:INFO:Utils::HttpPost\n")) << log_.Text();
    EXPECT_EQ(2u, log_.Count("OUT:INFO:7\n"));
    EXPECT_EQ(2u, log_.Count("OUT:INFO:" + server_.Url("/echo") + "\n"));
    EXPECT_EQ(1u, log_.Count("OUT:INFO:" + exact + "\n")) << "1024 bytes are logged whole";
    EXPECT_EQ(1u, log_.Count("OUT:INFO:The request was too big:2000\n"));
    EXPECT_EQ(0u, log_.Count(std::string(100, 'b')));
}

TEST(HttpPostFailure, EveryFailureIsACodeWithItsText) {
    const int closed = TestSupport::ClosedLocalPort();
    ASSERT_GT(closed, 0);
    const struct {
        std::string url;
        int result;
        const char* error;
        const char* why;
    } cases[] = {
        {"http://127.0.0.1:" + std::to_string(closed) + "/x", 2, "\xC7\xEB\xC7\xF3\xB3\xAC\xCA\xB1",
         "refused over plain http: the library's error"},
        {"", Utils::HTTP_ERROR_URL_NULL, "HTTP_ERROR_URL_NULL", "no URL"},
        {"ftp://127.0.0.1/x", 1, "Unknown", "a scheme the library refuses"},
        {"http://127.0.0.1:99999999999/x", 1, "Unknown", "a port out of range"},
    };
    for (const auto& c : cases) {
        std::string response = "untouched";
        std::string error;
        EXPECT_EQ(c.result, Utils::HttpPost(2, c.url, kHeaders, "{}", response, error)) << c.why;
        EXPECT_EQ(c.error, error) << c.why;
        EXPECT_EQ("untouched", response) << c.why;
    }
}

// The status hook sees every answer; its 1002 and 1003 replace the result.
int g_hookVerdict = 0;
std::string g_hookSaw;
int Hook(int status, const std::string& body) {
    g_hookSaw = std::to_string(status) + " " + body;
    return g_hookVerdict;
}

TEST(HttpHandleResult, StatusHookCanAskForARetryOrReportATokenFailure) {
    const struct {
        int verdict;
        int result;
        const char* error;
        const char* response;
        const char* why;
    } cases[] = {
        {Utils::HTTP_ERROR_NEED_RETRY, 1002, "Token has updated,retry the requset", "", "retry"},
        {Utils::HTTP_ERROR_TOKEN_UPDATE, 1003, "Token update failed", "", "token failure"},
        {5, 0, "", "body", "other verdicts are ignored"},
    };
    for (const auto& c : cases) {
        auto answer = std::make_unique<httplib::Response>();
        answer->status = 200;
        answer->body = "body";
        httplib::Result result(std::move(answer), httplib::Error::Success);
        g_hookVerdict = c.verdict;
        std::string response;
        std::string error;
        EXPECT_EQ(c.result, Utils::HttpHandleResult(false, -1, result, response, error, &Hook))
            << c.why;
        EXPECT_EQ(c.error, error) << c.why;
        EXPECT_EQ(c.response, response) << c.why;
        EXPECT_EQ("200 body", g_hookSaw) << c.why;
    }
}

}  // namespace
