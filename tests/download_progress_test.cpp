// The progress callback's estimate and throttle with a fake tick count, and
// the choice of another drive over fake drives and free space.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/download.h"
#include "services/message_queue.h"
#include "services/notify.h"
#include "services/pipeline_config.h"
#include "tests/support/testsupport.h"
#include "utils/log/textconv.h"

using TestSupport::LogCapture;

namespace {

uint32_t g_now = 0;
uint32_t FakeTick() {
    return g_now;
}

class ProgressTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetMainWindow(&window_);
        SetDownloadTickForTesting(FakeTick);
        g_now = 5000;
        progressEnabled = true;
        Services::StartProgressClock();
    }
    void TearDown() override {
        progressEnabled = false;
        SetDownloadTickForTesting(nullptr);
        SetMainWindow(nullptr);
    }

    // The progress posts so far, as "kind/value/percent".
    std::vector<std::string> Posts() {
        std::vector<std::string> out;
        QueuedMessage m{0, 0};
        while (window_.TryTake(m)) {
            EXPECT_EQ(kMsgProgress, m.message);
            const auto info = TakeProgress(m.payload);
            out.push_back(std::to_string(info->kind) + "/" + std::to_string(info->value) + "/" +
                          std::to_string(info->percent));
        }
        return out;
    }

    MessageQueue window_;
};

TEST_F(ProgressTest, RemainingTimeKindsAndPercent) {
    const struct {
        uint32_t elapsed;
        uint64_t current, total;
        const char* expected;  // "" when nothing is posted
        const char* why;
    } cases[] = {
        {20000, 10000000, 40000000, "4/1/25", "60 s left: one minute"},
        {59000, 50, 100, "5/59/50", "59 s left: seconds"},
        {3600000, 1, 2, "3/1/50", "exactly 3600 s: one hour"},
        {7199000, 1, 2, "3/1/50", "hours are whole hours"},
        {1000, 999999, 1000000, "", "the estimate rounds down to 0: nothing"},
        {1000, 0, 1000000, "", "no byte yet: nothing to estimate from"},
        {1000, 500, 0, "", "the total is unknown"},
        {1000, 1000, 1000, "", "everything arrived"},
    };
    for (const auto& c : cases) {
        g_now = 5000;
        Services::StartProgressClock();
        g_now += c.elapsed;
        EXPECT_TRUE(Services::DoProgress(c.current, c.total)) << c.why;
        const std::vector<std::string> posts = Posts();
        if (*c.expected == '\0') {
            EXPECT_TRUE(posts.empty()) << c.why;
        } else {
            EXPECT_EQ(std::vector<std::string>{c.expected}, posts) << c.why;
        }
    }
}

TEST_F(ProgressTest, AtMostOnePostEvery300Milliseconds) {
    // Calls 100 ms apart from the start: posts at 300, 600 and 900 ms.
    for (int step = 1; step <= 9; ++step) {
        g_now += 100;
        EXPECT_TRUE(Services::DoProgress(static_cast<uint64_t>(step), 1000000));
    }
    EXPECT_EQ(3u, Posts().size());
}

TEST_F(ProgressTest, ConfigDownloadPostsNothingButAStopStillEndsIt) {
    progressEnabled = false;
    g_now += 20000;
    EXPECT_TRUE(Services::DoProgress(10, 40));
    EXPECT_TRUE(Posts().empty());

    LogCapture log;
    window_.Shared().m_bNeedExit = true;
    EXPECT_FALSE(Services::DoProgress(20, 40));
    EXPECT_EQ(1u, log.Count("OUT:ERROR:exit thread\n"));
}

// A machine of fake drives; free space in GiB per folder, -1 for a failed
// query.
struct FakeDisk {
    std::wstring appData = L"C:\\Users\\u\\AppData\\Local";
    bool appDataKnown = true;
    std::vector<std::pair<std::wstring, int64_t>> freeGiB;
    std::vector<Utils::DriveRoot> drives;
    std::vector<wchar_t> usb;
};
FakeDisk* g_disk = nullptr;

bool AppData(std::wstring& out) {
    if (g_disk->appDataKnown) {
        out = g_disk->appData;
    }
    return g_disk->appDataKnown;
}
bool Free(const std::wstring& dir, int64_t* bytes) {
    for (const auto& f : g_disk->freeGiB) {
        if (f.first == dir && f.second >= 0) {
            *bytes = f.second * (int64_t{1} << 30);
            return true;
        }
    }
    return false;
}
std::vector<Utils::DriveRoot> Drives() {
    return g_disk->drives;
}
bool Usb(wchar_t letter) {
    for (const wchar_t u : g_disk->usb) {
        if (u == letter) {
            return true;
        }
    }
    return false;
}
const InstallRootSources kFakeRootSources = {AppData, Free, Drives, Usb};

TEST(ChooseInstallRoot, OnlyWhenShortOfSpaceAndOnlyAFixedLocalDriveWithOneGiB) {
    const std::vector<Utils::DriveRoot> drives = {{L'C', L"C:\\", true},  {L'D', L"D:\\", true},
                                                  {L'E', L"E:\\", false}, {L'F', L"F:\\", true},
                                                  {L'G', L"G:\\", true},  {L'H', L"H:\\", true}};
    const struct {
        int64_t threshold;
        int64_t appDataFree;  // -1: the query fails
        std::vector<std::pair<std::wstring, int64_t>> drivesFree;
        std::vector<wchar_t> usb;
        const wchar_t* expected;
        const char* why;
    } cases[] = {
        {1, 2, {{L"C:\\", 50}, {L"D:\\", 50}}, {}, L"", "enough space: no other drive"},
        {3, 3, {{L"D:\\", 50}}, {}, L"", "exactly the threshold is enough"},
        {1, -1, {{L"D:\\", 50}}, {}, L"", "the default location cannot be measured"},
        {1,
         0,
         {{L"C:\\", 5}, {L"D:\\", 50}},
         {},
         L"C:\\",
         "threshold 1: drive C is a candidate like any other"},
        {2, 0, {{L"C:\\", 50}, {L"D:\\", 5}}, {}, L"D:\\", "another threshold: C is skipped"},
        {2, 1, {{L"C:\\", 50}}, {}, L"", "C would be the only drive with space"},
        {1,
         0,
         {{L"C:\\", 0}, {L"D:\\", -1}, {L"E:\\", 50}, {L"F:\\", 50}, {L"G:\\", 50}},
         {L'F'},
         L"G:\\",
         "C too full, D unmeasurable, E not fixed (removable, network), F on USB"},
        {1, 0, {{L"D:\\", 1}}, {}, L"D:\\", "1 GiB exactly is enough on the drive"},
        {1, 0, {{L"C:\\", 0}}, {}, L"", "no drive qualifies"},
        {-3, 0, {{L"D:\\", 50}}, {}, L"", "a negative threshold never asks"},
    };
    for (const auto& c : cases) {
        FakeDisk disk;
        disk.drives = drives;
        disk.usb = c.usb;
        disk.freeGiB = c.drivesFree;
        disk.freeGiB.emplace_back(disk.appData, c.appDataFree);
        g_disk = &disk;
        SetInstallRootSourcesForTesting(&kFakeRootSources);
        diskThresholdGb = c.threshold;
        LogCapture log;
        const std::wstring root = ChooseInstallRoot();
        SetInstallRootSourcesForTesting(nullptr);
        diskThresholdGb = 1;
        EXPECT_EQ(Utils::WideToUtf8(c.expected), Utils::WideToUtf8(root)) << c.why;
        EXPECT_EQ(*c.expected != L'\0' ? 1u : 0u,
                  log.Count("OUT:INFO:use zel_install_path:" + Utils::WideToUtf8(c.expected)))
            << c.why;
    }
    g_disk = nullptr;
}

}  // namespace
