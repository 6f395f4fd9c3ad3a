// The development service's JSON endpoints: the answer of every scenario,
// the digests the edition answer announces, and requests that fail first.
#include <openssl/evp.h>

#include <string>
#include <vector>

#include "tests/devservice_fixture.h"
#include "tests/support/testsupport.h"
#include "utils/log/textconv.h"

namespace {

using Json = nlohmann::json;

constexpr const char* kReport = "/browser/c/boostrap/report";
constexpr const char* kEdition = "/browser/c/boostrap/getEdition";
constexpr const char* kFault = "/browser/c/fault";

using DevServiceApiTest = DevServiceTest;

// SHA-256 of `bytes` in lower-case hex, by OpenSSL's one-shot digest.
std::string Sha256Hex(const std::string& bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EXPECT_EQ(1, EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr));
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += kDigits[digest[i] >> 4];
        hex += kDigits[digest[i] & 0xf];
    }
    return hex;
}

// `text` with "{installSha256}" and "{configSha256}" replaced by the digests
// of the default 1 MiB generated installer and the default config.ini.
std::string WithDefaultDigests(std::string text) {
    const std::pair<std::string, std::string> markers[] = {
        {"{installSha256}", Sha256Hex(DevServiceTest::Generated(0, 1024 * 1024))},
        {"{configSha256}", Sha256Hex(DevService::kDefaultConfigText)},
    };
    for (const auto& marker : markers) {
        for (size_t at = text.find(marker.first); at != std::string::npos;
             at = text.find(marker.first, at)) {
            text.replace(at, marker.first.size(), marker.second);
        }
    }
    return text;
}

TEST_F(DevServiceApiTest, AnswersEveryScenario) {
    const struct {
        const char* scenario;
        const char* path;
        int status;
        const char* contentType;
        const char* body;  // "{base}": the service's address; "{...Sha256}": WithDefaultDigests
        const char* why;
    } cases[] = {
        {"{}", kReport, 200, "application/json", R"({"code":0,"msg":"ok"})", "accepted report"},
        {"{}", kEdition, 200, "application/json",
         R"({"code":0,"config":"{base}/files/config.ini","configSha256":"{configSha256}",)"
         R"("data":{"installDownpath":"{base}/files/TavoSetup.exe",)"
         R"("installSha256":"{installSha256}","installSize":1048576},"msg":"ok"})",
         "the edition answer points at the service's own files, with their digests"},
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
         R"({"code":0,"configSha256":"{configSha256}","data":{"config":"{base}/files/config.ini",)"
         R"("installDownpath":"{base}/files/TavoSetup.exe","installSha256":"{installSha256}",)"
         R"("installSize":1048576},"msg":"ok"})",
         "the config URL inside \"data\" only, its digest still at the top"},
        {R"({"edition":{"config":"none","extraFiles":true},"installer":{"name":"Beta.exe"}})",
         kEdition, 200, "application/json",
         R"({"Bookmarks":"{base}/files/Bookmarks","Favicons":"{base}/files/Favicons",)"
         R"("ImportRule.ini":"{base}/files/ImportRule.ini","TopSites.ini":"{base}/files/TopSites.ini",)"
         R"("code":0,"data":{"installDownpath":"{base}/files/Beta.exe",)"
         R"("installSha256":"{installSha256}","installSize":1048576},"msg":"ok"})",
         "the four configuration file URLs, no config URL (nor its digest), another installer "
         "name"},
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
        EXPECT_EQ(WithDefaultDigests(WithBase(c.body)), result->body);
    }
}

TEST_F(DevServiceApiTest, EditionAnswerAnnouncesDigestsAsTheScenarioSays) {
    TestSupport::TempDir dir;
    const std::wstring disk = dir.Child(L"Setup.exe");
    const std::string diskBytes("MZ\0\x01payload", 11);
    ASSERT_TRUE(TestSupport::WriteBytes(disk, diskBytes));
    const std::string diskJson = Json(Utils::WideToUtf8(disk)).dump();
    const std::string missingJson = Json(Utils::WideToUtf8(dir.Child(L"no"))).dump();
    const std::string installSha = Sha256Hex(Generated(0, 1024 * 1024));
    const std::string configSha = Sha256Hex(DevService::kDefaultConfigText);
    const std::string otherSha = Sha256Hex("another body");

    const struct {
        std::string scenario;
        Json facts;  // the answer's installSha256, installSize and configSha256, where present
        const char* why;
    } cases[] = {
        {R"({"installer":{"path":)" + diskJson + R"(},"config":{"content":"[c]"}})",
         {{"installSha256", Sha256Hex(diskBytes)},
          {"installSize", 11},
          {"configSha256", Sha256Hex("[c]")}},
         "a file from disk and another text"},
        {R"({"installer":{"size":196613}})",
         {{"installSha256", Sha256Hex(Generated(0, 196613))},
          {"installSize", 196613},
          {"configSha256", configSha}},
         "another generated body"},
        {R"({"installer":{"path":)" + missingJson + "}}",
         {{"configSha256", configSha}},
         "a body that cannot be opened has no digest"},
        {R"({"installer":{"announceSha256":false,"announceSize":false},)"
         R"("config":{"announceSha256":false}})",
         Json::object(), "false leaves each out"},
        {R"({"installer":{"announceSha256":")" + otherSha +
             R"(","announceSize":5},)"
             R"("config":{"announceSha256":"abc"}})",
         {{"installSha256", otherSha}, {"installSize", 5}, {"configSha256", "abc"}},
         "wrong values go out as given"},
        {R"({"installer":{"announceSha256":null,"announceSize":-1},"config":{"announceSha256":1.5}})",
         {{"installSha256", nullptr}, {"installSize", -1}, {"configSha256", 1.5}},
         "malformed values go out as given"},
        {R"({"installer":{"announceSha256":{"a":1},"announceSize":"12"}})",
         {{"installSha256", {{"a", 1}}}, {"installSize", "12"}, {"configSha256", configSha}},
         "an object and a string for the size"},
        {R"({"edition":{"config":"none"},"config":{"announceSha256":"abc"}})",
         {{"installSha256", installSha}, {"installSize", 1048576}},
         "no config URL, no config digest"},
        {R"({"edition":{"answer":"no-data"},"installer":{"announceSha256":"abc"}})", Json::object(),
         "only the ok answer carries digests"},
    };
    Start();
    const auto factsOf = [this]() {
        const httplib::Result result = client().Post(kEdition, "{}", "application/json");
        EXPECT_TRUE(result);
        const Json answer = result ? Json::parse(result->body, nullptr, false) : Json();
        Json facts = Json::object();
        if (answer.contains("configSha256")) {
            facts["configSha256"] = answer["configSha256"];
        }
        for (const char* name : {"installSha256", "installSize"}) {
            if (answer.contains("data") && answer["data"].contains(name)) {
                facts[name] = answer["data"][name];
            }
        }
        return facts;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        SetScenario(c.scenario);
        EXPECT_EQ(c.facts, factsOf());
    }

    // A file rewritten in place is digested again.
    SetScenario(R"({"installer":{"path":)" + diskJson + "}}");
    EXPECT_EQ(Sha256Hex(diskBytes), factsOf()["installSha256"]);
    ASSERT_TRUE(TestSupport::WriteBytes(disk, "a longer body than before"));
    const Json facts = factsOf();
    EXPECT_EQ(Sha256Hex("a longer body than before"), facts["installSha256"]);
    EXPECT_EQ(25, facts["installSize"]);
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
