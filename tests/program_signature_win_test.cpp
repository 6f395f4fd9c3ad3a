// The full installer's signature, end to end under Wine: the program built
// with the test signer pinned (TavoInstallerPinned) runs only a full
// installer that signer signed; the program without pins (TavoInstaller,
// as the release build) runs them all. The fakes are signed by the build
// (cmake/sign-test-installers). Under Wine, WinVerifyTrust accepts a valid
// signature whose root is not trusted: the pin is what refuses a foreign
// signer.
#include "tests/program_fixture.h"

namespace {

using namespace ProgramTests;

const struct {
    const wchar_t* fake;
    bool pinnedRuns;
    const char* trustResult;  // WinVerifyTrust's result in the fault
    const char* why;
} kFakes[] = {
    {L"tavo-fake-full-installer-signed", true, "0x00000000", "signed by the pinned signer"},
    {L"tavo-fake-full-installer", false, "0x800B0100", "unsigned (TRUST_E_NOSIGNATURE)"},
    {L"tavo-fake-full-installer-tampered", false, "0x80096010",
     "signed, then changed (TRUST_E_BAD_DIGEST)"},
    {L"tavo-fake-full-installer-foreign", false, "0x00000000",
     "signed by another signer: a valid signature, the pin refuses it"},
};

TEST_F(ProgramTest, PinnedSignerOnly) {
    program_ = L"TavoInstallerPinned";
    for (const auto& c : kFakes) {
        fake_ = TestSupport::SiblingProgram(c.fake);
        EXPECT_EQ(0, Install("{}", R"({"exit":0})")) << c.why;
        EXPECT_TRUE(LeftInstallers().empty()) << c.why << ": no installer is left";
        if (c.pinnedRuns) {
            ExpectHandOver(1);
            EXPECT_EQ(0, end_.value("statusCode", -99)) << c.why;
            EXPECT_TRUE(
                Logged("the full installer's signature is accepted: WinVerifyTrust="
                       "0x00000000 signer=\"Tavo Test Signer a\""))
                << RunLog();
            continue;
        }
        EXPECT_TRUE(runs_.empty()) << c.why << ": never run";
        EXPECT_EQ(1016, end_.value("statusCode", -99)) << c.why;
        ASSERT_EQ(std::vector<std::string>{"services-11"}, FaultIds()) << c.why;
        std::string content;
        for (const auto& r : requests_) {
            if (r.path == kFaultPath) {
                content = Parse(r.body).value("bugContent", "");
            }
        }
        EXPECT_NE(std::string::npos, content.find(std::string("WinVerifyTrust=") + c.trustResult))
            << c.why << ": " << content;
        EXPECT_NE(std::string::npos, content.find("refused")) << content;
        EXPECT_TRUE(Logged("OUT:ERROR:goto CLEAN_UP iRet:1016")) << RunLog();
    }
}

TEST_F(ProgramTest, WithoutPinsEveryInstallerRuns) {
    for (const auto& c : kFakes) {
        fake_ = TestSupport::SiblingProgram(c.fake);
        EXPECT_EQ(0, Install("{}", R"({"exit":0})")) << c.why;
        ExpectHandOver(1);
        EXPECT_EQ(0, end_.value("statusCode", -99)) << c.why;
    }
}

}  // namespace
