// A download is the file the service announced, or nothing: its size and
// SHA-256 against the edition answer's, whole bodies however they are
// framed, the release mode's refusal of plain http without a SHA-256, and the
// folders nobody else can touch.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/download.h"
#include "services/stages.h"
#include "tests/download_fixture.h"
#include "utils/http/http.h"
#include "utils/log/textconv.h"
#include "utils/system/disk.h"
#include "utils/system/private_dir.h"

namespace {

// The installer the tests serve, and its SHA-256 (sha256sum).
constexpr const char* kBody = "TAVO-FULL-INSTALLER-0123456789";
constexpr int64_t kSize = 30;
constexpr const char* kSha256 = "0e713146a84bda57c1a7824b38ab10eb751f1cf5c9eab24ce2265aa5f8fac63b";
// ... of its first 10 bytes.
constexpr const char* kShortSha256 =
    "dcaca11b529ba08820db224d7d14fa3e26b474f9ebafc4af0f3c9a96e22a1881";
constexpr const char* kOtherSha256 =
    "1111111111111111111111111111111111111111111111111111111111111111";

std::vector<std::string> FaultIds() {
    std::vector<std::string> ids;
    for (const Utils::FaultInfo& f : Utils::PendingFaults()) {
        ids.push_back(f.strErrorId);
    }
    return ids;
}

std::string Installer(const std::string& members) {
    return std::string(R"({"installer":{"content":")") + kBody + "\"" +
           (members.empty() ? "" : "," + members) + "}}";
}

TEST_F(DownloadTest, TheBodyMustBeTheAnnouncedFile) {
    const int kMismatch = 0x2000 + Utils::HTTP_ERROR_CONTENT_MISMATCH;
    const int kRead = 0x2000 + 4;  // the library's Read
    const struct {
        std::string scenario;
        Utils::HttpExpectedBody expected;
        int result;
        const char* detail;  // in the fault "http-5" ("" for none) and the log
        const char* why;
    } cases[] = {
        {Installer(""), {kSha256, kSize}, 0, "", "size and hash as announced"},
        {Installer(""),
         {"0E713146A84BDA57C1A7824B38AB10EB751F1CF5C9EAB24CE2265AA5F8FAC63B", -1},
         0,
         "",
         "a hash in capitals"},
        {Installer(""),
         {kOtherSha256, kSize},
         kMismatch,
         "size expected 30 actual 30, sha256 expected "
         "1111111111111111111111111111111111111111111111"
         "111111111111111111 actual "
         "0e713146a84bda57c1a7824b38ab10eb751f1cf5c9eab24ce2265aa5f8fac63b",
         "another file of the same size"},
        {Installer(""),
         {"", 31},
         kMismatch,
         "size expected 31 actual 30 (Content-Length)",
         "a Content-Length other than the announced size stops at the headers"},
        {Installer(R"("framing":"close")"),
         {"", 20},
         kMismatch,
         "size expected 20 actual more than 20",
         "longer than announced, without a length"},
        {Installer(R"("framing":"close","dropAfter":10)"),
         {"", kSize},
         kMismatch,
         "size expected 30 actual 10",
         "cut short without a length, the size announced"},
        {Installer(R"("framing":"close","dropAfter":10)"),
         {kSha256, -1},
         kMismatch,
         "sha256 expected 0e713146a84bda57c1a7824b38ab10eb751f1cf5c9eab24ce2265aa5f8fac63b actual "
         "dcaca11b529ba08820db224d7d14fa3e26b474f9ebafc4af0f3c9a96e22a1881",
         "cut short without a length, only the hash announced"},
        {Installer(R"("framing":"close","dropAfter":10)"),
         {kShortSha256, -1},
         0,
         "",
         "without a length or a size, nothing tells a cut body: its hash is the one that counts"},
        {Installer(R"("dropAfter":10)"), {}, kRead, "", "cut short of its Content-Length"},
        {Installer(R"("framing":"chunked")"), {kSha256, kSize}, 0, "", "chunked, whole"},
        {Installer(R"("framing":"chunked","dropAfter":10)"),
         {},
         kRead,
         "",
         "chunked, its last chunk missing"},
    };
    for (const auto& c : cases) {
        Utils::ClearPendingFaultsForTesting();
        ASSERT_TRUE(service_.SetScenario(c.scenario)) << service_.error();
        std::wstring path = L"untouched";
        EXPECT_EQ(c.result, Services::DownloadFile(Url("TavoSetup.exe"), Root(), path, c.expected))
            << c.why;
        if (c.result == 0) {
            EXPECT_EQ(c.expected.size == -1 && c.expected.sha256 == kShortSha256
                          ? std::string(kBody).substr(0, 10)
                          : kBody,
                      TestSupport::ReadBytes(path))
                << c.why;
            RemoveDownloadedInstaller(path);
        } else {
            EXPECT_EQ(L"untouched", path) << c.why;
        }
        EXPECT_EQ(0u, FilesIn(TempFolder())) << c.why << ": nothing is left";
        const auto faults = Utils::PendingFaults();
        if (*c.detail == '\0') {
            EXPECT_TRUE(faults.empty()) << c.why;
            continue;
        }
        ASSERT_EQ(std::vector<std::string>{"http-5"}, FaultIds()) << c.why;
        EXPECT_EQ(Url("TavoSetup.exe") + " " + c.detail, faults[0].strContent) << c.why;
        EXPECT_GE(log_.Count(std::string("is not the announced file: ") + c.detail + "\n"), 1u)
            << c.why << ": expected and actual values are logged";
    }
}

TEST_F(DownloadTest, ReleaseModeTakesPlainHttpOnlyWithItsHash) {
    ASSERT_TRUE(service_.SetScenario(Installer("")));
    releaseMode = true;
    std::wstring path;
    EXPECT_EQ(0x2000 + Utils::HTTP_ERROR_UNVERIFIED_HTTP,
              Services::DownloadFile(Url("TavoSetup.exe"), Root(), path, {"", kSize}));
    EXPECT_TRUE(service_.RequestsTo("/files/TavoSetup.exe").empty()) << "nothing was fetched";
    ASSERT_EQ(std::vector<std::string>{"services-10"}, FaultIds());
    EXPECT_EQ(Url("TavoSetup.exe"), Utils::PendingFaults()[0].strContent);
    EXPECT_EQ(1u, log_.Count("plain http without a SHA-256 in the service's answer"));

    EXPECT_EQ(0, Services::DownloadFile(Url("TavoSetup.exe"), Root(), path, {kSha256, -1}))
        << "with its hash it is downloaded and checked";
    RemoveDownloadedInstaller(path);

    // https needs no hash (nothing listens on port 1: the connection fails,
    // but the download is tried).
    EXPECT_EQ(0x2000 + 2,
              Services::DownloadFile("https://127.0.0.1:1/TavoSetup.exe", Root(), path, {}));
}

TEST_F(DownloadTest, FoldersNobodyElseCanTouch) {
    // The first name tried is prepared in advance, with a file of the
    // download's name in it: it is never used.
    const std::wstring sep = Utils::PathSeparator();
    const std::wstring planted = TempFolder() + L"tavo-planted";
    Utils::CreateDirectories(planted);
    ASSERT_TRUE(TestSupport::WriteBytes(planted + sep + L"TavoSetup.exe", "planted"));
    int tries = 0;
    Utils::SetPrivateDirectoryNamesForTesting(
        [&tries] { return ++tries == 1 ? L"tavo-planted" : L"tavo-fresh"; });
    std::wstring path;
    const int code = Services::DownloadFile(Url("TavoSetup.exe"), Root(), path);
    Utils::SetPrivateDirectoryNamesForTesting(nullptr);
    ASSERT_EQ(0, code);
    EXPECT_EQ(Utils::WideToUtf8(TempFolder() + L"tavo-fresh" + sep + L"TavoSetup.exe"),
              Utils::WideToUtf8(path));
    EXPECT_EQ("planted", TestSupport::ReadBytes(planted + sep + L"TavoSetup.exe"));
    std::string why;
    EXPECT_TRUE(TestSupport::PrivateToUser(TempFolder() + L"tavo-fresh", why)) << why;
    EXPECT_TRUE(TestSupport::PrivateToUser(root_.Child(L"tempdir"), why))
        << "tempdir, made by this program: " << why;
    RemoveDownloadedInstaller(path);

    // Without a root: a new folder in the temporary folder, private too.
    ASSERT_EQ(0, Services::DownloadFile(Url("TavoSetup.exe"), L"", path));
    const std::wstring folder = FolderOf(path);
    EXPECT_TRUE(TestSupport::PrivateToUser(folder.substr(0, folder.size() - 1), why)) << why;
    RemoveDownloadedInstaller(path);
}

}  // namespace
