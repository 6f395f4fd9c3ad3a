// The development service's request record: the wire order of headers, the
// JSON lines in the record file and behind the control API, reset, and the
// control API's scenario.
#include <string>
#include <vector>

#include "tests/devservice_fixture.h"
#include "tests/support/testsupport.h"
#include "utils/log/textconv.h"

namespace {

using DevService::HeaderList;
using DevService::RecordedRequest;
using DevServiceRecordTest = DevServiceTest;

std::vector<std::string> Lines(const std::vector<RecordedRequest>& requests) {
    std::vector<std::string> lines;
    for (const auto& request : requests) {
        lines.push_back(DevService::RecordLine(request));
    }
    return lines;
}

TEST_F(DevServiceRecordTest, KeepsHeadersInWireOrderWithTheirNamesAsSent) {
    const struct {
        const char* path;
        HeaderList headers;
        const char* endpoint;
        const char* why;
    } cases[] = {
        {"/browser/c/boostrap/report",
         {{"User-Agent", "Vezez"}, {"Content-Type", "application/json"}},
         "report",
         "the report's order"},
        {"/browser/c/boostrap/getEdition?x=1",
         {{"Content-Type", "application/json"}, {"User-Agent", "Vezez"}},
         "edition",
         "the edition request's order, and a query"},
        {"/browser/c/fault",
         {{"user-agent", "Vezez"}, {"X-Two", "a"}, {"x-two", "b"}},
         "fault",
         "letter case and repeated names kept"},
    };
    Start();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        service().ResetRecords();
        const std::string body = R"({"type":"1","uuid":"\u00e9"})";
        std::string request = std::string("POST ") + c.path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
        for (const auto& header : c.headers) {
            request += header.first + ": " + header.second + "\r\n";
        }
        request += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
        const std::string answer = RawExchange(request);
        EXPECT_EQ(0u, answer.rfind("HTTP/1.1 200 OK\r\n", 0)) << answer;

        const std::vector<RecordedRequest> records = service().Records();
        ASSERT_EQ(1u, records.size());
        const RecordedRequest& r = records[0];
        HeaderList expected = {{"Host", "127.0.0.1"}};
        expected.insert(expected.end(), c.headers.begin(), c.headers.end());
        expected.emplace_back("Content-Length", std::to_string(body.size()));
        EXPECT_EQ(expected, r.headers);
        EXPECT_EQ(1u, r.seq);
        EXPECT_EQ("POST", r.method);
        EXPECT_EQ(std::string(c.path).substr(0, std::string(c.path).find('?')), r.path);
        EXPECT_EQ(std::string(c.path).find('?') == std::string::npos ? "" : "x=1", r.query);
        EXPECT_EQ(body, r.body);
        EXPECT_EQ(c.endpoint, r.endpoint);
        EXPECT_EQ("200 ok", r.answer);
        EXPECT_EQ(24u, r.time.size()) << r.time;
    }
}

TEST_F(DevServiceRecordTest, FileMemoryAndControlApiHoldTheSameLinesUntilReset) {
    TestSupport::TempDir dir;
    const std::wstring file = dir.Child(L"record.jsonl");
    DevService::Options options;
    options.recordPath = Utils::WideToUtf8(file);
    Start(options);

    ASSERT_TRUE(client().Post("/browser/c/boostrap/report", R"({"a":1})", "application/json"));
    ASSERT_TRUE(client().Post("/browser/c/boostrap/getEdition", "{}", "application/json"));
    ASSERT_TRUE(client().Get("/files/config.ini"));
    ASSERT_TRUE(client().Get("/nowhere"));
    ASSERT_TRUE(client().Post("/__control/scenario", "{}", "application/json"));
    ASSERT_TRUE(client().Get("/__control/nowhere"));

    const std::vector<RecordedRequest> records = service().Records();
    std::vector<std::string> endpoints;
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(i + 1, records[i].seq);
        endpoints.push_back(records[i].endpoint);
    }
    EXPECT_EQ((std::vector<std::string>{"report", "edition", "config", "unknown"}), endpoints)
        << "control requests are never recorded";
    EXPECT_EQ(R"({"a":1})", records[0].body);

    const std::string fileText = TestSupport::ReadBytes(file);
    std::vector<RecordedRequest> fromFile;
    ASSERT_TRUE(DevService::ParseRecordLines(fileText, fromFile));
    EXPECT_EQ(Lines(records), Lines(fromFile));
    const httplib::Result control = client().Get("/__control/record");
    ASSERT_TRUE(control);
    EXPECT_EQ(fileText, control->body);
    EXPECT_EQ("application/x-ndjson", control->get_header_value("Content-Type"));

    ASSERT_TRUE(client().Post("/__control/reset", "", "application/json"));
    EXPECT_TRUE(service().Records().empty());
    EXPECT_EQ("", TestSupport::ReadBytes(file));
    ASSERT_TRUE(client().Post("/browser/c/fault", "{}", "application/json"));
    ASSERT_EQ(1u, service().Records().size());
    EXPECT_EQ(1u, service().Records()[0].seq);
    std::vector<RecordedRequest> afterReset;
    ASSERT_TRUE(DevService::ParseRecordLines(TestSupport::ReadBytes(file), afterReset));
    EXPECT_EQ(Lines(service().Records()), Lines(afterReset));
}

TEST_F(DevServiceRecordTest, ControlApiSetsAndShowsTheScenario) {
    Start();
    const struct {
        const char* body;
        int status;
        const char* answerPiece;
        const char* why;
    } cases[] = {
        {R"({"report":{"answer":"array"}})", 200, R"({"ok":true})", "a scenario is taken"},
        {R"({"report":{"answer":"nonsense"}})", 400, "unknown answer \\\"nonsense\\\"",
         "a bad one is refused with the reason"},
        {"not json", 400, "the scenario is not JSON", "text that is not JSON"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const httplib::Result result =
            client().Post("/__control/scenario", c.body, "application/json");
        ASSERT_TRUE(result);
        EXPECT_EQ(c.status, result->status);
        EXPECT_NE(std::string::npos, result->body.find(c.answerPiece)) << result->body;
    }
    // The refused ones left the first in force.
    const httplib::Result shown = client().Get("/__control/scenario");
    ASSERT_TRUE(shown);
    EXPECT_EQ(R"({"report":{"answer":"array"}})", shown->body);
    const httplib::Result report = client().Post("/browser/c/boostrap/report", "{}", "text/plain");
    ASSERT_TRUE(report);
    EXPECT_EQ("[1,2]", report->body);
}

TEST(DevServiceRecordLineTest, ReadsBackWhatItWritesAndRefusesOtherLines) {
    RecordedRequest r;
    r.seq = 7;
    r.time = "2024-05-01T12:00:00.123Z";
    r.method = "POST";
    r.path = "/browser/c/fault";
    r.query = "a=b";
    r.headers = {{"User-Agent", "Vezez"}, {"Content-Type", "application/json"}};
    r.body = "{\"errLog\":\"\xff tail\"}";
    r.endpoint = "fault";
    r.answer = "200 ok";

    RecordedRequest back;
    ASSERT_TRUE(DevService::ParseRecordLine(DevService::RecordLine(r), back));
    EXPECT_EQ("{\"errLog\":\"\xef\xbf\xbd tail\"}", back.body) << "invalid UTF-8 becomes U+FFFD";
    back.body = r.body;
    EXPECT_EQ(DevService::RecordLine(r), DevService::RecordLine(back));
    EXPECT_EQ("application/json", back.Header("content-type"));
    EXPECT_EQ("", back.Header("Host"));

    const struct {
        const char* line;
        const char* why;
    } refused[] = {
        {"", "empty"},
        {"[]", "not an object"},
        {R"({"seq":1})", "members missing"},
        {R"({"seq":-1,"time":"","method":"","path":"","query":"","headers":[],"body":"",)"
         R"("endpoint":"","answer":""})",
         "a negative seq"},
        {R"({"seq":1,"time":"","method":"","path":"","query":"","headers":[["a"]],"body":"",)"
         R"("endpoint":"","answer":""})",
         "a header that is not a pair"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.why);
        EXPECT_FALSE(DevService::ParseRecordLine(c.line, back));
    }
    std::vector<RecordedRequest> lines;
    EXPECT_TRUE(DevService::ParseRecordLines(
        DevService::RecordLine(r) + "\n\n" + DevService::RecordLine(r) + "\r\n", lines));
    EXPECT_EQ(2u, lines.size());
    EXPECT_FALSE(DevService::ParseRecordLines(DevService::RecordLine(r) + "\nnope\n", lines));
}

}  // namespace
