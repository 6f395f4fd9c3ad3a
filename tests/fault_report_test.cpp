// The fault report: what a flush posts, in which order, to which service
// address.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <regex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "services/fault_report.h"
#include "services/message_queue.h"
#include "services/pipeline_config.h"
#include "tests/support/http_server.h"
#include "tests/support/testsupport.h"
#include "utils/log/textconv.h"
#include "utils/system/faults.h"
#include "utils/system/fileversion.h"
#include "utils/system/identity.h"

namespace {

// One service address: records what reaches /browser/c/fault and answers
// with `status`.
class FaultService {
  public:
    explicit FaultService(int status) : status_(status) {
        server_.server().Post("/browser/c/fault",
                              [this](const httplib::Request& req, httplib::Response& res) {
                                  std::lock_guard<std::mutex> lock(mutex_);
                                  requests_.push_back(req);
                                  res.status = status_;
                                  res.set_content("{\"code\":0}", "application/json");
                              });
        started_ = server_.Start();
    }
    bool started() const { return started_; }
    std::string Base() const { return server_.Url(""); }
    std::vector<httplib::Request> Requests() {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }
    std::vector<nlohmann::ordered_json> Bodies() {
        std::vector<nlohmann::ordered_json> bodies;
        for (const httplib::Request& req : Requests()) {
            bodies.push_back(nlohmann::ordered_json::parse(req.body, nullptr, false));
        }
        return bodies;
    }

  private:
    const int status_;
    std::mutex mutex_;
    std::vector<httplib::Request> requests_;  // guarded by mutex_
    // Last, so it is stopped (its threads joined) before the state its
    // handlers write is destroyed.
    TestSupport::LocalHttpServer server_;
    bool started_ = false;
};

class FaultReportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        savedBases_ = activeBaseUrls;
        Utils::ClearPendingFaultsForTesting();
        window_.Shared().SetUuid(L"UUID-1");
        SetMainWindow(&window_);
        Services::InstallFaultSender();
    }
    void TearDown() override {
        Utils::SetFaultSender(nullptr);
        SetMainWindow(nullptr);
        Utils::ClearPendingFaultsForTesting();
        activeBaseUrls = savedBases_;
    }

    TestSupport::LogCapture log_;
    MessageQueue window_;
    std::vector<std::string> savedBases_;
};

TEST_F(FaultReportTest, FlushPostsEveryFaultInQueueingOrder) {
    FaultService service(200);
    ASSERT_TRUE(service.started());
    activeBaseUrls = {service.Base()};
    Utils::ReportFault("services-2", 900, "Response empty", false);
    Utils::ReportFault("system-1", 900, "dwExitCode==-1", false);

    Utils::FlushFaultReports();

    const std::vector<nlohmann::ordered_json> bodies = service.Bodies();
    ASSERT_EQ(2u, bodies.size());
    EXPECT_EQ("services-2 Response empty", bodies[0]["bugContent"]);
    EXPECT_EQ("system-1 dwExitCode==-1", bodies[1]["bugContent"]);
    EXPECT_EQ(2u, Utils::PendingFaults().size()) << "the list is left as it was";

    const nlohmann::ordered_json& body = bodies[0];
    std::vector<std::string> keys;
    for (const auto& item : body.items()) {
        keys.push_back(item.key());
    }
    EXPECT_EQ((std::vector<std::string>{"bugCode", "bugContent", "bugLevel", "bugTime", "comBit",
                                        "comSystem", "coreVer", "infoDisk", "infoMemory",
                                        "installpath", "onlyKey", "token", "version"}),
              keys)
        << "members in byte order of their names";
    EXPECT_EQ(900, body["bugCode"]);
    EXPECT_EQ(0, body["bugLevel"]);
    EXPECT_TRUE(std::regex_match(body["bugTime"].get<std::string>(),
                                 std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")))
        << body["bugTime"];
    EXPECT_EQ(Utils::GetOSBits() == 64 ? 1 : 0, body["comBit"]);
    for (const char* empty : {"comSystem", "coreVer", "infoDisk", "infoMemory", "token"}) {
        EXPECT_EQ("", body[empty]) << empty;
    }
    EXPECT_EQ(Utils::WideToUtf8(Utils::GetSelfPath()), body["installpath"]);
    EXPECT_EQ("UUID-1", body["onlyKey"]);
    EXPECT_EQ("1.1.1.2", body["version"]);

    const httplib::Request request = service.Requests()[0];
    EXPECT_EQ("Vezez", request.get_header_value("User-Agent"));
    EXPECT_EQ("application/json", request.get_header_value("Content-Type"));
}

TEST_F(FaultReportTest, NothingQueuedSendsNothing) {
    FaultService service(200);
    ASSERT_TRUE(service.started());
    activeBaseUrls = {service.Base()};
    Utils::FlushFaultReports();
    EXPECT_TRUE(service.Requests().empty());
}

TEST_F(FaultReportTest, FirstAddressThatAcceptsEndsTheWalk) {
    FaultService accepting(200);
    FaultService failing(500);
    FaultService second(200);
    ASSERT_TRUE(accepting.started() && failing.started() && second.started());
    const std::string closed = "http://127.0.0.1:" + std::to_string(TestSupport::ClosedLocalPort());
    const struct {
        std::vector<std::string> bases;
        size_t toSecond;
        const char* why;
    } cases[] = {
        {{accepting.Base(), second.Base()}, 0, "the first accepts: the second is not asked"},
        {{failing.Base(), second.Base()}, 1, "the first answers 500: on to the second"},
        {{closed, second.Base()}, 2, "the first refuses the connection: on to the second"},
    };
    Utils::ReportFault("http-2", 900, "detail", false);
    for (const auto& c : cases) {
        activeBaseUrls = c.bases;
        Utils::FlushFaultReports();
        EXPECT_EQ(c.toSecond, second.Requests().size()) << c.why;
    }
    EXPECT_EQ(1u, accepting.Requests().size());
    EXPECT_EQ(1u, failing.Requests().size());
}

TEST_F(FaultReportTest, BodyTakesWhatIsKnownAtSending) {
    SetMainWindow(nullptr);
    const std::string noWindow = Services::BuildFaultBody({"http-1", "", 900});
    const nlohmann::json body = nlohmann::json::parse(noWindow, nullptr, false);
    EXPECT_EQ("", body["onlyKey"]) << "no window, no UUID";
    EXPECT_EQ("http-1 ", body["bugContent"]) << "an empty content leaves the blank";

    const nlohmann::json invalid = nlohmann::json::parse(
        Services::BuildFaultBody({"services-3", "a\xff", 900}), nullptr, false);
    EXPECT_EQ("services-3 a\xEF\xBF\xBD", invalid["bugContent"]) << "invalid UTF-8 replaced";
}

TEST_F(FaultReportTest, HeaderTextHoldsTheTwoLinesInOrder) {
    EXPECT_EQ("\r\nUser-Agent: Vezez\r\nContent-Type: application/json", Services::FaultHeaders());
}

}  // namespace
