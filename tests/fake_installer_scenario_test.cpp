// The fake full installer's scenario: what each member asks for, and typos
// refused rather than silently ignored.
#include <gtest/gtest.h>

#include <string>

#include "tools/fake-full-installer/scenario.h"

namespace {

using FakeInstaller::Scenario;

TEST(FakeInstallerScenario, MembersAndTheirDefaults) {
    const struct {
        const char* text;
        int exitCode;
        bool browser;
        uint32_t result;
        const char* resultText;
        const char* why;
    } cases[] = {
        {"{}", 0, true, 0, "", "the default: installed"},
        {R"({"exit":-1})", -1, true, 0, "", "not started"},
        {R"({"exit":4,"browser":false})", 4, false, 0, "", "a higher version without its browser"},
        {R"({"exit":7,"resultText":"磁盘空间不足"})", 7, true, 7, "磁盘空间不足",
         "a text without a result: the result is the exit code"},
        {R"({"exit":7,"result":0,"resultText":"x"})", 7, true, 0, "x",
         "a result given stays, 0 included"},
    };
    for (const auto& c : cases) {
        Scenario s;
        std::string error;
        ASSERT_TRUE(FakeInstaller::ParseScenario(c.text, s, error)) << c.why << ": " << error;
        EXPECT_EQ(c.exitCode, s.exitCode) << c.why;
        EXPECT_EQ(c.browser, s.browser) << c.why;
        EXPECT_EQ(c.result, s.result) << c.why;
        EXPECT_EQ(c.resultText, s.resultText) << c.why;
    }
    Scenario s;
    std::string error;
    ASSERT_TRUE(
        FakeInstaller::ParseScenario(R"({"stop":true,"hangSeconds":2,"failFirst":1})", s, error));
    EXPECT_TRUE(s.stop);
    EXPECT_EQ(2u, s.hangSeconds);
    EXPECT_EQ(1u, s.failFirst);
}

TEST(FakeInstallerScenario, RefusesWithAReason) {
    const struct {
        const char* text;
        const char* reason;
        const char* why;
    } cases[] = {
        {"exit 4", "no JSON object", "not JSON"},
        {"[4]", "no JSON object", "not an object"},
        {R"({"exitCode":4})", "unknown member \"exitCode\"", "a typo"},
        {R"({"exit":"4"})", "\"exit\" must be a 32-bit integer", "a text for a number"},
        {R"({"exit":4294967295})", "\"exit\" must be a 32-bit integer", "outside 32 bits"},
        {R"({"browser":1})", "\"browser\" must be true or false", "a number for a flag"},
        {R"({"hangSeconds":-1})", "\"hangSeconds\" must be a number", "negative"},
    };
    for (const auto& c : cases) {
        Scenario s;
        std::string error;
        EXPECT_FALSE(FakeInstaller::ParseScenario(c.text, s, error)) << c.why;
        EXPECT_NE(std::string::npos, error.find(c.reason)) << c.why << ": " << error;
    }
}

}  // namespace
