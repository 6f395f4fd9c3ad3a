// The development service's command line and scenario reading: what each
// option sets, and the reasons it gives for what it refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/testsupport.h"
#include "tools/devservice/options.h"
#include "tools/devservice/scenario.h"
#include "utils/log/textconv.h"

namespace {

using DevService::CommandLine;
using DevService::FileSource;

TEST(DevServiceOptionsTest, ReadsEachOption) {
    TestSupport::TempDir dir;
    const std::string scenarioFile = Utils::WideToUtf8(dir.Child(L"scenario.json"));
    ASSERT_TRUE(TestSupport::WriteBytes(dir.Child(L"scenario.json"),
                                        R"({"report":{"answer":"html"},"installer":{"rate":5}})"));
    const std::string configFile = Utils::WideToUtf8(dir.Child(L"config.ini"));
    ASSERT_TRUE(TestSupport::WriteBytes(dir.Child(L"config.ini"), "{\"k\":1}"));

    CommandLine none;
    std::string error;
    ASSERT_TRUE(DevService::ParseOptions({}, none, error)) << error;
    EXPECT_EQ(0, none.options.port);
    EXPECT_EQ(FileSource::Kind::Generated, none.options.installer.kind);
    EXPECT_EQ(DevService::kDefaultInstallerSize, none.options.installer.size);
    EXPECT_EQ("TavoSetup.exe", none.options.installerName);
    EXPECT_EQ(DevService::kDefaultConfigText, none.options.config.text);
    EXPECT_EQ(nlohmann::json::object(), none.options.scenario);

    CommandLine all;
    ASSERT_TRUE(DevService::ParseOptions(
        {"--port", "8090", "--port-file=/p", "--record", "/r.jsonl", "--scenario", scenarioFile,
         "--set", "installer.rate=1000000", "--set=edition.failFirst=2", "--set",
         "edition.failWith=close", "--installer", "/x/Full Setup.exe", "--config", configFile,
         "--verbose"},
        all, error))
        << error;
    EXPECT_EQ(8090, all.options.port);
    EXPECT_EQ("/p", all.portFile);
    EXPECT_EQ("/r.jsonl", all.options.recordPath);
    EXPECT_EQ(FileSource::Kind::Disk, all.options.installer.kind);
    EXPECT_EQ("/x/Full Setup.exe", all.options.installer.path);
    EXPECT_EQ("Full Setup.exe", all.options.installerName) << "named after the file";
    EXPECT_EQ("{\"k\":1}", all.options.config.text);
    EXPECT_TRUE(all.options.verbose);
    EXPECT_EQ(nlohmann::json::parse(R"({"report":{"answer":"html"},)"
                                    R"("installer":{"rate":1000000},)"
                                    R"("edition":{"failFirst":2,"failWith":"close"}})"),
              all.options.scenario)
        << "--set goes over the scenario file";

    CommandLine sized;
    ASSERT_TRUE(DevService::ParseOptions(
        {"--installer-size", "6M", "--installer-name", "Beta.exe", "--config-text", "c"}, sized,
        error));
    EXPECT_EQ(FileSource::Kind::Generated, sized.options.installer.kind);
    EXPECT_EQ(6u << 20, sized.options.installer.size);
    EXPECT_EQ("Beta.exe", sized.options.installerName);
    EXPECT_EQ("c", sized.options.config.text);

    CommandLine named;
    ASSERT_TRUE(DevService::ParseOptions(
        {"--installer", "/x/tavo-fake-full-installer", "--installer-name", "TavoSetup.exe"}, named,
        error));
    EXPECT_EQ("TavoSetup.exe", named.options.installerName)
        << "a name given for a file, even the default one, is kept";
}

TEST(DevServiceOptionsTest, RefusesWithAReason) {
    const struct {
        std::vector<std::string> args;
        const char* reason;
        const char* why;
    } cases[] = {
        {{"--bogus"}, "unknown option \"--bogus\"", "unknown option"},
        {{"--port"}, "--port needs a value", "a value missing"},
        {{"--port", "65536"}, "--port must be a number from 0 to 65535", "port out of range"},
        {{"--port", "1K"}, "--port must be", "a port with a suffix"},
        {{"--installer-size", "6T"}, "--installer-size must be", "an unknown suffix"},
        {{"--installer-name", "a/b.exe"}, "plain file name", "a name with a slash"},
        {{"--scenario", "/nonexistent/s.json"}, "--scenario: cannot read", "no scenario file"},
        {{"--config", "/nonexistent/c.ini"}, "--config: cannot read", "no config file"},
        {{"--set", "rate=5"}, "is not <endpoint>.<member>=<value>", "a setting without a dot"},
        {{"--set", "installer.rate=-1"},
         "installer: \"rate\" must be a whole number",
         "a setting the scenario refuses"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        CommandLine out;
        std::string error;
        EXPECT_FALSE(DevService::ParseOptions(c.args, out, error));
        EXPECT_NE(std::string::npos, error.find(c.reason)) << error;
    }
}

TEST(DevServiceScenarioTest, ReadsMembersAndRefusesWhatItDoesNotKnow) {
    DevService::Scenario s;
    std::string error;
    ASSERT_TRUE(DevService::ParseScenarioText(
        R"({"report":{"answer":"refuse","code":true,"msg":null,"failFirst":3},
            "edition":{"answer":"data-no-path","config":"none","extraFiles":true,"status":502},
            "fault":{"failWith":"close"},
            "installer":{"rate":10,"dropAfter":0,"fileName":"a.exe","path":"/i","name":"b.exe",
                         "framing":"chunked","announceSha256":false,"announceSize":"12"},
            "config":{"content":"x","failFirst":1,"failWith":404,"framing":"close",
                      "announceSha256":true}})",
        s, error))
        << error;
    EXPECT_EQ(DevService::AnswerKind::Refuse, s.report.answer);
    EXPECT_EQ(nlohmann::json(true), s.report.code);
    EXPECT_FALSE(s.report.msg.has_value());
    EXPECT_EQ(3, s.report.fail.count);
    EXPECT_EQ(500, s.report.fail.status);
    EXPECT_EQ(DevService::AnswerKind::DataNoPath, s.edition.answer);
    EXPECT_EQ(DevService::ConfigUrlAt::None, s.edition.configAt);
    EXPECT_TRUE(s.edition.extraFiles);
    EXPECT_EQ(502, s.edition.status);
    EXPECT_TRUE(s.fault.fail.close);
    EXPECT_EQ(0, s.fault.fail.count);
    EXPECT_EQ(10u, s.installer.rate);
    EXPECT_EQ(0u, s.installer.dropAfter.value_or(99));
    EXPECT_EQ("a.exe", s.installer.dispositionName);
    ASSERT_TRUE(s.installer.source.has_value());
    EXPECT_EQ("/i", s.installer.source->path);
    EXPECT_EQ("b.exe", s.installer.name);
    EXPECT_EQ(DevService::Framing::Chunked, s.installer.framing);
    EXPECT_FALSE(s.installer.announceSha256.send);
    EXPECT_TRUE(s.installer.announceSize.send);
    EXPECT_EQ(nlohmann::json("12"), s.installer.announceSize.given);
    EXPECT_EQ("x", s.config.source->text);
    EXPECT_EQ(404, s.config.fail.status);
    EXPECT_EQ(DevService::Framing::Close, s.config.framing);
    EXPECT_TRUE(s.config.announceSha256.send);
    EXPECT_FALSE(s.config.announceSha256.given.has_value());

    const struct {
        const char* text;
        const char* reason;
        const char* why;
    } refused[] = {
        {"[]", "a scenario is a JSON object", "not an object"},
        {"{", "the scenario is not JSON", "not JSON"},
        {R"({"reprot":{}})", "unknown endpoint \"reprot\"", "a misspelt endpoint"},
        {R"({"report":1})", "report: must be an object", "an endpoint that is not an object"},
        {R"({"report":{"anwser":"html"}})", "report: unknown member \"anwser\"",
         "a misspelt member"},
        {R"({"report":{"answer":"no-data"}})", "report: \"no-data\" is an edition answer",
         "an edition answer elsewhere"},
        {R"({"fault":{"config":"top"}})", "fault: unknown member \"config\"",
         "an edition member elsewhere"},
        {R"({"edition":{"config":"middle"}})", "\"config\" must be \"top\", \"data\" or \"none\"",
         "an unknown config place"},
        {R"({"edition":{"status":99}})", "\"status\" must be an HTTP status", "status too small"},
        {R"({"edition":{"failWith":"hang"}})", "\"failWith\" must be an HTTP status or \"close\"",
         "an unknown failure"},
        {R"({"installer":{"size":1,"content":"x"}})", "only one of", "two sources"},
        {R"({"config":{"name":"c.ini"}})", "config: unknown member \"name\"",
         "config.ini keeps its name"},
        {R"({"installer":{"name":"../x"}})", "plain file name", "a name with a path"},
        {R"({"report":{"msg":5}})", "\"msg\" must be a string or null", "a msg number"},
        {R"({"installer":{"framing":1}})",
         "installer: \"framing\" must be \"length\", \"close\" or \"chunked\"",
         "a framing that is not a string"},
        {R"({"config":{"framing":"gzip"}})", "config: \"framing\" must be", "an unknown framing"},
        {R"({"config":{"announceSize":5}})", "config: unknown member \"announceSize\"",
         "config.ini's size is not announced"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.why);
        EXPECT_FALSE(DevService::ParseScenarioText(c.text, s, error));
        EXPECT_NE(std::string::npos, error.find(c.reason)) << error;
    }
}

TEST(DevServiceScenarioTest, SettingsReadTheirValueAsJsonWhenTheyCan) {
    const struct {
        const char* setting;
        const char* scenario;
        const char* why;
    } cases[] = {
        {"installer.rate=1000000", R"({"installer":{"rate":1000000}})", "a number"},
        {"report.answer=html", R"({"report":{"answer":"html"}})", "a bare word is a string"},
        {"edition.extraFiles=true", R"({"edition":{"extraFiles":true}})", "a boolean"},
        {"report.msg=null", R"({"report":{"msg":null}})", "null"},
        {"config.content=a=b", R"({"config":{"content":"a=b"}})", "only the first = splits"},
        {"report.body=\"5\"", R"({"report":{"body":"5"}})", "a quoted number is a string"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        nlohmann::json value;
        std::string error;
        ASSERT_TRUE(DevService::ApplySetting(c.setting, value, error)) << error;
        EXPECT_EQ(nlohmann::json::parse(c.scenario), value);
    }
    uint64_t bytes = 0;
    EXPECT_TRUE(DevService::ParseByteCount("512K", bytes));
    EXPECT_EQ(512u * 1024, bytes);
    EXPECT_TRUE(DevService::ParseByteCount("1G", bytes));
    EXPECT_EQ(1u << 30, bytes);
    EXPECT_FALSE(DevService::ParseByteCount("", bytes));
    EXPECT_FALSE(DevService::ParseByteCount("K", bytes));
    EXPECT_FALSE(DevService::ParseByteCount("1KB", bytes));
}

}  // namespace
