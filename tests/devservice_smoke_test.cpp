// TestService on every platform: under Wine it reaches the native service
// that the devservice fixture started, and drives it through the control
// API; on Linux it runs the service in-process (and, once more, through the
// fixture). Each check goes from a scenario to the wire and back to the
// record.
#include <gtest/gtest.h>

#include <string>

#include <httplib.h>

#include "tests/support/test_service.h"
#include "tests/support/testsupport.h"

namespace {

using TestSupport::TestService;

constexpr const char* kReport = "/browser/c/boostrap/report";

httplib::Client ClientFor(const TestService& service) {
    httplib::Client client(service.BaseUrl());
    client.set_connection_timeout(5, 0);
    client.set_read_timeout(10, 0);
    return client;
}

TEST(DevServiceSmokeTest, ScenarioReachesTheWireAndTheRecordComesBack) {
    TestService service;
    ASSERT_TRUE(service.ok()) << service.error();
    EXPECT_EQ(0u, service.BaseUrl().rfind("http://127.0.0.1:", 0)) << service.BaseUrl();
    ASSERT_TRUE(service.SetScenario(R"({"report":{"answer":"html"}})")) << service.error();

    httplib::Client client = ClientFor(service);
    const httplib::Result answer =
        client.Post(kReport, {{"User-Agent", "Vezez"}}, R"({"type":"1"})", "application/json");
    ASSERT_TRUE(answer) << httplib::to_string(answer.error());
    EXPECT_EQ("text/html", answer->get_header_value("Content-Type"));

    const auto requests = service.RequestsTo(kReport);
    ASSERT_EQ(1u, requests.size()) << service.error();
    EXPECT_EQ(R"({"type":"1"})", requests[0].body);
    EXPECT_EQ("Vezez", requests[0].Header("User-Agent"));
    EXPECT_EQ("200 html", requests[0].answer);

    ASSERT_TRUE(service.ResetRequests());
    EXPECT_TRUE(service.Requests().empty());
}

TEST(DevServiceSmokeTest, EachTestServiceStartsAfresh) {
    {
        TestService first;
        ASSERT_TRUE(first.ok()) << first.error();
        ASSERT_TRUE(first.SetScenario(R"({"fault":{"status":500}})"));
        httplib::Client client = ClientFor(first);
        ASSERT_TRUE(client.Post("/browser/c/fault", "{}", "application/json"));
    }
    TestService second;
    ASSERT_TRUE(second.ok()) << second.error();
    EXPECT_TRUE(second.Requests().empty());
    httplib::Client client = ClientFor(second);
    const httplib::Result answer = client.Post("/browser/c/fault", "{}", "application/json");
    ASSERT_TRUE(answer);
    EXPECT_EQ(200, answer->status) << "the default scenario again";

    EXPECT_FALSE(second.SetScenario(R"({"fault":{"anwser":"html"}})"));
    EXPECT_NE(std::string::npos, second.error().find("unknown member \"anwser\""))
        << second.error();
}

TEST(DevServiceSmokeTest, ServesAFileOfThisTestsFileSystem) {
    TestSupport::TempDir dir;
    const std::wstring file = dir.Child(L"fake installer.exe");
    const std::string bytes("MZ\x90\0fake", 8);
    ASSERT_TRUE(TestSupport::WriteBytes(file, bytes));
    TestService service;
    ASSERT_TRUE(service.ok()) << service.error();
    const std::string path = TestService::ServicePath(file);
    std::string quoted;
    for (char c : path) {
        quoted += c == '\\' || c == '"' ? std::string("\\") + c : std::string(1, c);
    }
    ASSERT_TRUE(service.SetScenario(R"({"installer":{"path":")" + quoted + R"("}})"))
        << service.error();

    httplib::Client client = ClientFor(service);
    const httplib::Result download = client.Get("/files/TavoSetup.exe");
    ASSERT_TRUE(download);
    EXPECT_EQ(200, download->status) << download->body << " (" << path << ")";
    EXPECT_EQ(bytes, download->body);
}

}  // namespace
