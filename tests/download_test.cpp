// One download of the pipeline against the development service: where the
// file goes, the names a server may choose, and every way a transfer ends
// without leaving a file behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "services/download.h"
#include "services/notify.h"
#include "services/stages.h"
#include "tests/download_fixture.h"
#include "utils/log/log.h"
#include "utils/log/textconv.h"

namespace {

namespace fs = std::filesystem;
using TestSupport::TempDir;

TEST_F(DownloadTest, WithoutARootEveryCallGetsANewFolder) {
    std::wstring first, second;
    ASSERT_EQ(0, Services::DownloadFile(Url("TavoSetup.exe"), L"", first));
    ASSERT_EQ(0, Services::DownloadFile(Url("TavoSetup.exe"), L"", second));
    EXPECT_NE(FolderOf(first), FolderOf(second));
    for (const std::wstring& path : {first, second}) {
        EXPECT_EQ(L"TavoSetup.exe", path.substr(FolderOf(path).size()));
        EXPECT_EQ(1048576u, fs::file_size(Utils::NativePath(path)));
        fs::remove_all(Utils::NativePath(FolderOf(path)));
    }
}

TEST_F(DownloadTest, NamesTheServerMayChoose) {
    const struct {
        const char* scenario;
        const char* url;
        const wchar_t* name;
        const char* why;
    } cases[] = {
        {"{}", "TavoSetup.exe", L"TavoSetup.exe", "the URL's last segment"},
        {R"({"installer":{"fileName":"Tavo_1.0.exe"}})", "TavoSetup.exe", L"Tavo_1.0.exe",
         "Content-Disposition"},
        {R"({"installer":{"fileName":"../../evil.exe"}})", "TavoSetup.exe", L"evil.exe",
         "a relative path keeps only its last component"},
        {R"({"installer":{"fileName":"/etc/evil.exe"}})", "TavoSetup.exe", L"evil.exe",
         "an absolute path too"},
        {R"({"installer":{"fileName":".."}})", "TavoSetup.exe", L"TavoSetup.exe",
         "\"..\" falls back to the URL's name"},
        {"{}", "TavoSetup.exe?v=2#top", L"TavoSetup.exe", "query and fragment dropped"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(service_.SetScenario(c.scenario)) << service_.error();
        std::wstring path;
        ASSERT_EQ(0, Services::DownloadFile(Url(c.url), Root(), path)) << c.why;
        // <root>tempdir/<a folder of its own>/<name>
        const std::wstring folder = FolderOf(path);
        EXPECT_EQ(Utils::WideToUtf8(TempFolder()),
                  Utils::WideToUtf8(FolderOf(folder.substr(0, folder.size() - 1))))
            << c.why;
        EXPECT_EQ(Utils::WideToUtf8(c.name), Utils::WideToUtf8(path.substr(folder.size())))
            << c.why;
        EXPECT_EQ(1u, FilesIn(folder)) << c.why << ": nothing written elsewhere";
        EXPECT_EQ(1u, FilesIn(TempFolder())) << c.why;
        EXPECT_EQ(1u, FilesIn(root_.path())) << c.why;
        RemoveDownloadedInstaller(path);
        EXPECT_EQ(0u, FilesIn(TempFolder())) << c.why << ": the file and its folder are gone";
    }
}

TEST_F(DownloadTest, FailedTransfersLeaveNoFile) {
    const struct {
        const char* scenario;
        bool stop;     // the window asks the run to stop
        int expected;  // 0: any failure code of 0x2000 + n
        const char* why;
    } cases[] = {
        {R"({"installer":{"status":404}})", false, 0x2000 + 404, "not found"},
        {R"({"installer":{"status":500}})", false, 0x2000 + 500, "server error"},
        {R"({"installer":{"size":4194304,"dropAfter":65536}})", false, 0,
         "connection dropped in the middle"},
        {R"({"installer":{"size":4194304,"rate":4194304}})", true, 0x2007,
         "stopped through the progress callback"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(service_.SetScenario(c.scenario)) << service_.error();
        window_.Shared().m_bNeedExit = c.stop;
        std::wstring path = L"untouched";
        const int code = Services::DownloadFile(Url("TavoSetup.exe"), Root(), path);
        window_.Shared().m_bNeedExit = false;
        if (c.expected != 0) {
            EXPECT_EQ(c.expected, code) << c.why;
        } else {
            EXPECT_GT(code, 0x2000) << c.why;
        }
        EXPECT_EQ(L"untouched", path) << c.why;
        EXPECT_EQ(0u, FilesIn(TempFolder())) << c.why;
    }
    EXPECT_EQ(1u, log_.Count("OUT:ERROR:HttpDownload failed ret:404,strErrMsg:\n"));
}

TEST_F(DownloadTest, UncreatableFolderIsAFailedAttemptWithItsFault) {
    // A file where the root folder should be: "tempdir" cannot be made below.
    const std::wstring file = root_.Child(L"not-a-folder");
    ASSERT_TRUE(TestSupport::WriteBytes(file, "x"));
    std::wstring path;
    EXPECT_EQ(0x2000,
              Services::DownloadFile(Url("TavoSetup.exe"), file + Utils::PathSeparator(), path));
    const auto faults = Utils::PendingFaults();
    ASSERT_EQ(1u, faults.size());
    EXPECT_EQ("services-8", faults[0].strErrorId);
    EXPECT_EQ(
        Utils::WideToUtf8(file + Utils::PathSeparator() + L"tempdir" + Utils::PathSeparator()),
        faults[0].strContent);
    EXPECT_EQ(1u, log_.Count(" failed create.\n"));
    EXPECT_TRUE(service_.RequestsTo("/files/TavoSetup.exe").empty()) << "nothing was fetched";
}

TEST_F(DownloadTest, ProgressIsPostedWhileTheInstallerArrives) {
    // 2 MiB at 1 MiB/s: posts every 300 ms with a falling estimate.
    ASSERT_TRUE(service_.SetScenario(R"({"installer":{"size":2097152,"rate":1048576}})"));
    progressEnabled = true;
    std::wstring path;
    const int code = Services::DownloadFile(Url("TavoSetup.exe"), Root(), path);
    progressEnabled = false;
    ASSERT_EQ(0, code);
    std::vector<int32_t> percents;
    QueuedMessage m{0, 0};
    while (window_.TryTake(m)) {
        ASSERT_EQ(kMsgProgress, m.message);
        const auto info = TakeProgress(m.payload);
        EXPECT_EQ(5, info->kind) << "seconds left";
        percents.push_back(info->percent);
    }
    ASSERT_FALSE(percents.empty());
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_LT(percents.back(), 100);
}

}  // namespace
