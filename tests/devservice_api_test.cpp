// The development service's JSON endpoints: the answer of every scenario, and
// requests that fail first.
#include <string>
#include <vector>

#include "tests/devservice_fixture.h"

namespace {

constexpr const char* kReport = "/browser/c/boostrap/report";
constexpr const char* kEdition = "/browser/c/boostrap/getEdition";
constexpr const char* kFault = "/browser/c/fault";

using DevServiceApiTest = DevServiceTest;

TEST_F(DevServiceApiTest, AnswersEveryScenario) {
    const struct {
        const char* scenario;
        const char* path;
        int status;
        const char* contentType;
        const char* body;  // "{base}" stands for the service's address
        const char* why;
    } cases[] = {
        {"{}", kReport, 200, "application/json", R"({"code":0,"msg":"ok"})", "accepted report"},
        {"{}", kEdition, 200, "application/json",
         R"({"code":0,"config":"{base}/files/config.ini",)"
         R"("data":{"installDownpath":"{base}/files/TavoSetup.exe"},"msg":"ok"})",
         "the edition answer points at the service's own files"},
        {"{}", kFault, 200, "application/json", R"({"code":0})", "accepted fault"},
        {R"({"report":{"answer":"empty"}})", kReport, 200, "application/json", "", "empty body"},
        {R"({"report":{"answer":"array"}})", kReport, 200, "application/json", "[1,2]",
         "a JSON array"},
        {R"({"report":{"answer":"refuse","code":5}})", kReport, 200, "application/json",
         R"({"code":5,"msg":"refused by the development service"})", "refused with a message"},
        {R"({"report":{"answer":"refuse","code":5,"msg":null}})", kReport, 200, "application/json",
         R"({"code":5})", "refused without a message"},
        {R"({"edition":{"answer":"refuse","code":0.9,"msg":"m"}})", kEdition, 200,
         "application/json", R"({"code":0.9,"msg":"m"})", "the code goes out as given"},
        {R"({"edition":{"answer":"no-data"}})", kEdition, 200, "application/json",
         R"({"code":0,"config":"{base}/files/config.ini","msg":"ok"})", "no \"data\""},
        {R"({"edition":{"answer":"data-no-path"}})", kEdition, 200, "application/json",
         R"({"code":0,"config":"{base}/files/config.ini","data":{},"msg":"ok"})",
         "\"data\" without \"installDownpath\""},
        {R"({"edition":{"config":"data"}})", kEdition, 200, "application/json",
         R"({"code":0,"data":{"config":"{base}/files/config.ini",)"
         R"("installDownpath":"{base}/files/TavoSetup.exe"},"msg":"ok"})",
         "the config URL inside \"data\" only"},
        {R"({"edition":{"config":"none","extraFiles":true},"installer":{"name":"Beta.exe"}})",
         kEdition, 200, "application/json",
         R"({"Bookmarks":"{base}/files/Bookmarks","Favicons":"{base}/files/Favicons",)"
         R"("ImportRule.ini":"{base}/files/ImportRule.ini","TopSites.ini":"{base}/files/TopSites.ini",)"
         R"("code":0,"data":{"installDownpath":"{base}/files/Beta.exe"},"msg":"ok"})",
         "the four configuration file URLs, no config URL, another installer name"},
        {R"({"report":{"answer":"raw","body":"{\"code\":true}","contentType":"text/plain"}})",
         kReport, 200, "text/plain", R"({"code":true})", "a body given verbatim"},
        {R"({"fault":{"status":503}})", kFault, 503, "application/json", R"({"code":0})",
         "another HTTP status"},
        {"{}", "/browser/c/other", 404, "text/plain", "404 from the development service\n",
         "an unknown path"},
    };
    Start();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        SetScenario(c.scenario);
        const httplib::Result result = client().Post(c.path, "{}", "application/json");
        ASSERT_TRUE(result) << httplib::to_string(result.error());
        EXPECT_EQ(c.status, result->status);
        EXPECT_EQ(c.contentType, result->get_header_value("Content-Type"));
        EXPECT_EQ(WithBase(c.body), result->body);
    }
}

TEST_F(DevServiceApiTest, HtmlAnswerIsAPageThatIsNotJson) {
    Start();
    SetScenario(R"({"edition":{"answer":"html"}})");
    const httplib::Result result = client().Post(kEdition, "{}", "application/json");
    ASSERT_TRUE(result);
    EXPECT_EQ(200, result->status);
    EXPECT_EQ("text/html", result->get_header_value("Content-Type"));
    EXPECT_EQ(0u, result->body.rfind("<!DOCTYPE html>", 0));
    EXPECT_TRUE(nlohmann::json::parse(result->body, nullptr, false).is_discarded());
}

TEST_F(DevServiceApiTest, FailsTheFirstRequestsOfAnEndpoint) {
    const struct {
        const char* scenario;
        const char* path;
        std::vector<std::string> outcomes;  // status, or "close" for a closed connection
        std::vector<std::string> answers;   // the record's answers
        const char* why;
    } cases[] = {
        {R"({"report":{"failFirst":2}})",
         kReport,
         {"500", "500", "200"},
         {"500 fail 1/2", "500 fail 2/2", "200 ok"},
         "status 500 unless told otherwise"},
        {R"({"edition":{"failFirst":1,"failWith":"close"}})",
         kEdition,
         {"close", "200"},
         {"close fail 1/1", "200 ok"},
         "closed without an answer"},
        {R"({"fault":{"failFirst":1,"failWith":503}})",
         kFault,
         {"503", "200"},
         {"503 fail 1/1", "200 ok"},
         "a chosen status"},
    };
    Start();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        // Setting the scenario starts the count again, also for a repeat.
        for (int round = 0; round < 2; ++round) {
            SetScenario(c.scenario);
            service().ResetRecords();
            // Another endpoint's requests do not use up the failures.
            ASSERT_TRUE(client().Get("/files/config.ini"));
            std::vector<std::string> outcomes;
            for (size_t i = 0; i < c.outcomes.size(); ++i) {
                const httplib::Result result = client().Post(c.path, "{}", "application/json");
                if (result) {
                    outcomes.push_back(std::to_string(result->status));
                } else {
                    EXPECT_EQ(httplib::Error::Read, result.error());
                    outcomes.push_back("close");
                }
            }
            EXPECT_EQ(c.outcomes, outcomes);
            std::vector<std::string> answers;
            for (const auto& request : service().Records()) {
                if (request.path == c.path) {
                    answers.push_back(request.answer);
                }
            }
            EXPECT_EQ(c.answers, answers);
        }
    }
}

}  // namespace
