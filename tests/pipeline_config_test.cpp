#include <gtest/gtest.h>

#include "services/deployment.h"
#include "services/pipeline_config.h"
#include "tests/support/testsupport.h"

namespace {

class PipelineConfigTest : public ::testing::Test {
  protected:
    void TearDown() override { ParseCommandLine({L"TavoInstaller"}); }

    TestSupport::ScopedEnv noOverride_{kTestBaseUrlVariable, TestSupport::ScopedEnv::Unset{}};
};

TEST_F(PipelineConfigTest, SwitchTable) {
    const struct {
        std::vector<std::wstring> args;
        bool release;
        int64_t disk;
        const char* why;
    } cases[] = {
        {{L"p"}, true, 1, "defaults"},
        {{L"p", L"--test"}, false, 1, "test switch"},
        {{L"p", L"x--testy"}, false, 1, "a substring match, not a prefix"},
        {{L"p", L"--disk=5"}, true, 5, "threshold"},
        {{L"p", L"--disk=abc"}, true, 1, "no leading integer"},
        {{L"p", L"--disk="}, true, 1, "empty number"},
        {{L"p", L"--disk=-3"}, true, -3, "negative: never look for another drive"},
        {{L"p", L"--disk=5GB"}, true, 5, "stops at the first non-digit"},
        {{L"p", L"--disk= +7"}, true, 7, "leading blank and sign"},
        {{L"p", L"--disk=2147483647"}, true, 2147483647, "largest 32-bit value"},
        {{L"p", L"--disk=2147483648"}, true, 1, "out of the signed 32-bit range"},
        {{L"p", L"--disk=-2147483649"}, true, 1, "below the signed 32-bit range"},
        {{L"p", L"--disk=99999999999999999999"}, true, 1, "beyond 64 bits"},
        {{L"p", L"--test --disk=5"}, false, 1, "one argument with both: only test mode"},
        {{L"p", L"--disk=5", L"--test"}, false, 5, "two arguments: both apply"},
        {{L"p", L"a=1--disk=9"}, true, 1, "the number after the first '='"},
        {{L"--test"}, true, 1, "the program name is not examined"},
    };
    for (const auto& c : cases) {
        ParseCommandLine(c.args);
        EXPECT_EQ(c.release, releaseMode) << c.why;
        EXPECT_EQ(c.disk, diskThresholdGb) << c.why;
    }
}

TEST_F(PipelineConfigTest, ReleaseModeUsesBothProductionBasesInOrder) {
    ParseCommandLine({L"p"});
    const std::string first = Services::Deployment::kProductionBaseUrl1;
    const std::string second = Services::Deployment::kProductionBaseUrl2;
    EXPECT_EQ(0u, first.rfind("https://", 0));
    EXPECT_EQ(std::string::npos, first.find(':', 8)) << "default port";
    EXPECT_EQ(second.size() - 4, second.rfind(":443")) << "port written out";
    EXPECT_EQ(activeBaseUrls, productionBaseUrls);
    EXPECT_EQ((std::vector<std::string>{first + "/browser/c/boostrap/report",
                                        second + "/browser/c/boostrap/report"}),
              reportUrls);
    EXPECT_EQ((std::vector<std::string>{first + "/browser/c/boostrap/getEdition",
                                        second + "/browser/c/boostrap/getEdition"}),
              editionUrls);
}

TEST_F(PipelineConfigTest, TestModeUsesTheOneTestBase) {
    ParseCommandLine({L"p", L"--test"});
    const std::string base = Services::Deployment::kTestBaseUrl;
    EXPECT_EQ(0u, base.rfind("http://", 0));
    EXPECT_EQ(base.size() - 3, base.rfind(":90"));
    EXPECT_EQ(std::vector<std::string>{base}, activeBaseUrls);
    EXPECT_EQ(std::vector<std::string>{base + "/browser/c/boostrap/report"}, reportUrls);
    EXPECT_EQ(std::vector<std::string>{base + "/browser/c/boostrap/getEdition"}, editionUrls);
}

TEST_F(PipelineConfigTest, EnvironmentReplacesTheTestBaseInTestModeOnly) {
    TestSupport::SetEnv(kTestBaseUrlVariable, "http://127.0.0.1:8090");
    ParseCommandLine({L"p", L"--test"});
    EXPECT_EQ(std::vector<std::string>{"http://127.0.0.1:8090"}, activeBaseUrls);
    EXPECT_EQ(std::vector<std::string>{"http://127.0.0.1:8090/browser/c/boostrap/report"},
              reportUrls);

    ParseCommandLine({L"p"});
    EXPECT_EQ(productionBaseUrls, activeBaseUrls) << "release mode ignores the variable";

    TestSupport::SetEnv(kTestBaseUrlVariable, "");
    ParseCommandLine({L"p", L"--test"});
    EXPECT_EQ(std::vector<std::string>{Services::Deployment::kTestBaseUrl}, activeBaseUrls)
        << "an empty variable changes nothing";
}

TEST_F(PipelineConfigTest, ListsAreRebuiltOnEveryCall) {
    ParseCommandLine({L"p"});
    ParseCommandLine({L"p"});
    EXPECT_EQ(2u, reportUrls.size());
}

}  // namespace
