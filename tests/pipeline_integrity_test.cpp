// The whole pipeline against the development service when the full
// installer that arrives is not the one the edition answer announced: every
// attempt fails and is retried on the stage's schedule, each leaves its fault
// and no file, the run ends with its status and nothing is launched. The
// pauses go to a clock of the test's own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/main_window_link.h"
#include "services/message_queue.h"
#include "services/notify.h"
#include "services/pipeline_config.h"
#include "services/services.h"
#include "services/stages.h"
#include "services/status_codes.h"
#include "tests/download_fixture.h"
#include "utils/log/textconv.h"

namespace {

constexpr const char* kBody = "TAVO-FULL-INSTALLER-0123456789";

class PipelineIntegrityTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(service_.ok()) << service_.error();
        ParseCommandLine({L"TavoInstaller", L"--test"});
        SetMainWindow(&window_);
        Utils::ClearPendingFaultsForTesting();
        stages_ = DefaultStages();
        stages_.getDeviceInfo = [](DeviceInfo& device) {
            device.osName = L"test";
            return 0;
        };
        stages_.createUuid = [](std::wstring& uuid) {
            uuid = L"UUID";
            return 0;
        };
        stages_.chooseInstallRoot = [this] { return root_.path() + Utils::PathSeparator(); };
        stages_.excuteVersion = [this](const LaunchRequest& request) {
            launched_.push_back(TestSupport::ReadBytes(request.installerPath));
            window_.Shared().m_iStatusCode = 0;
        };
        clock_.tick = [this] { return now_; };
        clock_.sleep = [this](uint32_t ms) {
            pauses_.push_back(ms);
            now_ += ms;
        };
    }
    void TearDown() override {
        SetMainWindow(nullptr);
        ParseCommandLine({L"TavoInstaller"});
        Utils::ClearPendingFaultsForTesting();
    }

    // Runs the pipeline once under `scenario` (merged into one that serves
    // kBody as the installer) and returns the status the run ended with.
    int Run(const std::string& installer, const std::string& others = "") {
        const std::string scenario = std::string(R"({"installer":{"content":")") + kBody + "\"" +
                                     (installer.empty() ? "" : "," + installer) + "}" +
                                     (others.empty() ? "" : "," + others) + "}";
        EXPECT_TRUE(service_.SetScenario(scenario)) << service_.error();
        EXPECT_TRUE(service_.ResetRequests());
        Utils::ClearPendingFaultsForTesting();
        launched_.clear();
        pauses_.clear();
        window_.Shared().m_iStatusCode = 0;
        Services::RunPipeline(stages_, clock_);
        QueuedMessage m{0, 0};
        while (window_.TryTake(m)) {
            FreePayload(m.message, m.payload);
        }
        return window_.Shared().m_iStatusCode;
    }

    size_t Requests(const std::string& endpoint) {
        size_t n = 0;
        for (const auto& r : service_.Requests()) {
            n += r.endpoint == endpoint ? 1 : 0;
        }
        return n;
    }

    std::vector<std::string> FaultIds() const {
        std::vector<std::string> ids;
        for (const Utils::FaultInfo& f : Utils::PendingFaults()) {
            ids.push_back(f.strErrorId);
        }
        return ids;
    }

    TestSupport::LogCapture log_;
    TestSupport::TestService service_;
    const TestSupport::ScopedEnv base_{kTestBaseUrlVariable, service_.BaseUrl()};
    MessageQueue window_;
    TestSupport::TempDir root_;
    PipelineStages stages_;
    PipelineClock clock_;
    uint32_t now_ = 1000;
    std::vector<uint32_t> pauses_;
    std::vector<std::string> launched_;
};

const std::vector<uint32_t> kDownloadPauses = {500,  1000,  2000,  3500,  5500,
                                               8000, 11000, 14500, 18500, 23000};

TEST_F(PipelineIntegrityTest, TheAnnouncedInstallerIsLaunched) {
    EXPECT_EQ(0, Run(""));
    ASSERT_EQ(std::vector<std::string>{kBody}, launched_);
    EXPECT_EQ(1u, Requests("installer"));
    EXPECT_TRUE(FaultIds().empty());
    EXPECT_EQ(1u, FilesIn(root_.Child(L"tempdir") + Utils::PathSeparator()))
        << "the launched installer is removed with its folder; the configuration file's "
           "folder stays for the full installer";
}

TEST_F(PipelineIntegrityTest, AnotherFileIsRetriedAndNeverLaunched) {
    const std::string other(64, '1');
    const struct {
        std::string installer;
        const char* fault;  // queued by each attempt, "" for none
        const char* why;
    } cases[] = {
        {R"("announceSha256":")" + other + "\"", "http-5", "the hash differs"},
        {R"("announceSize":31)", "http-5", "the size differs"},
        {R"("framing":"close","announceSize":20)", "http-5", "longer than announced"},
        {R"("framing":"close","dropAfter":10)", "http-5",
         "short, without a length, the size announced"},
        {R"("framing":"close","dropAfter":10,"announceSize":false)", "http-5",
         "short, without a length, only the hash announced"},
        {R"("dropAfter":10)", "", "short of its Content-Length"},
        {R"("framing":"chunked","dropAfter":10)", "", "chunked, the last chunk missing"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kStatusDownloadFailed, Run(c.installer)) << c.why;
        EXPECT_TRUE(launched_.empty()) << c.why;
        EXPECT_EQ(10u, Requests("installer")) << c.why;
        EXPECT_EQ(kDownloadPauses, pauses_) << c.why << ": the stage's schedule";
        EXPECT_EQ(
            *c.fault == '\0' ? std::vector<std::string>{} : std::vector<std::string>(10, c.fault),
            FaultIds())
            << c.why;
        EXPECT_EQ(0u, FilesIn(root_.Child(L"tempdir") + Utils::PathSeparator()))
            << c.why << ": no file and no folder is left";
    }
    EXPECT_GE(log_.Count("OUT:ERROR:http download failed.\n"), 7u);
}

TEST_F(PipelineIntegrityTest, AMalformedDigestIsABadEditionAnswer) {
    EXPECT_EQ(kStatusMissingField, Run(R"("announceSha256":"abc")"));
    EXPECT_EQ(10u, Requests("edition")) << "retried as any bad answer";
    EXPECT_EQ(0u, Requests("installer"));
    EXPECT_EQ(std::vector<std::string>(10, "services-9"), FaultIds());
    EXPECT_TRUE(launched_.empty());
}

TEST_F(PipelineIntegrityTest, ReleaseModeRefusesPlainHttpWithoutItsHash) {
    // Release mode with the test service's address: the seam is the mode
    // itself, set after the command line was read.
    releaseMode = false;
    ParseCommandLine({L"TavoInstaller", L"--test"});
    releaseMode = true;
    const int status = Run(R"("announceSha256":false)", R"("config":{"announceSha256":false})");
    releaseMode = false;
    EXPECT_EQ(kStatusDownloadFailed, status);
    EXPECT_EQ(0u, Requests("installer")) << "refused before any request";
    EXPECT_EQ(0u, Requests("config"));
    EXPECT_EQ(std::vector<std::string>(10, "services-10"), FaultIds());
    EXPECT_TRUE(launched_.empty());
}

}  // namespace
