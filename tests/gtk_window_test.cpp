// Linux only: the real TavoInstaller with its GTK window on a private X
// display (Xvfb) against the development service: what the window shows
// while it downloads and after a failure, checked on screenshots; the
// single-instance rule between real processes; SIGUSR1 as the outside stop
// request. Skipped where Xvfb or xdotool is missing.
#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "tests/gtk_window_pixels.h"
#include "tests/support/test_service.h"
#include "tests/support/testsupport.h"
#include "tests/support/xsession_posix.h"
#include "utils/log/textconv.h"

namespace {

using TestSupport::ChildProcess;
using TestSupport::Image;
using TestSupport::kGuiPatienceMs;
using TestSupport::ScreenRect;

constexpr char kMainTitle[] = "^Tavo浏览器安装程序$";
constexpr char kMessageBoxTitle[] = "^TavoInstaller$";
constexpr char kReportPath[] = "/browser/c/boostrap/report";

// A 64 MiB installer at 256 KiB/s: a percent every 2.56 s, so the run
// stays in its working state for minutes.
constexpr int64_t kSlowSize = 64 << 20;
constexpr int64_t kSlowRate = 256 << 10;
const std::string kSlowScenario = "{\"installer\":{\"size\":" + std::to_string(kSlowSize) +
                                  ",\"rate\":" + std::to_string(kSlowRate) + "}}";

class GtkWindow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (TestSupport::OnPath("Xvfb") && TestSupport::OnPath("xdotool")) {
            server_ = new TestSupport::XvfbServer;
        }
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }

    void SetUp() override {
        if (server_ == nullptr) {
            GTEST_SKIP() << "Xvfb or xdotool is not installed; scripts/setup-deps installs them";
        }
        ASSERT_TRUE(server_->ok()) << server_->error();
        ASSERT_TRUE(TestSupport::OpenGtk(server_->display()));
        ASSERT_TRUE(service_.ok()) << service_.error();
    }

    const std::string& Display() const { return server_->display(); }

    // Starts TavoInstaller --test with its window on the test's display, its
    // log in `tmp_` and its single-instance lock in `runtime_`.
    std::unique_ptr<ChildProcess> StartInstaller() {
        const std::string program =
            Utils::WideToUtf8(TestSupport::SiblingProgram(L"TavoInstaller"));
        return std::make_unique<ChildProcess>(
            std::vector<std::string>{program, "--test"},
            std::map<std::string, std::string>{
                {"DISPLAY", Display()},
                {"TMP", Utils::WideToUtf8(tmp_.path())},
                {"XDG_RUNTIME_DIR", Utils::WideToUtf8(runtime_.path())},
                {"TAVO_TEST_BASE_URL", service_.BaseUrl()},
                {"TAVO_HEADLESS", ""},
                {"GDK_SCALE", ""}});
    }

    // The main window's rectangle once it shows.
    ScreenRect MainWindow() {
        const std::string id = TestSupport::WaitForWindow(Display(), kMainTitle, kGuiPatienceMs);
        ScreenRect rect;
        EXPECT_FALSE(id.empty()) << "the window never showed";
        EXPECT_TRUE(id.empty() || TestSupport::WindowGeometry(Display(), id, rect));
        return rect;
    }

    // A screenshot of `rect`, also saved for a look by hand.
    Image Shot(const ScreenRect& rect, const std::string& name) {
        Image image;
        const std::string png =
            Utils::WideToUtf8(TestSupport::TempBase()) + "/gtk-window-" + name + ".png";
        EXPECT_TRUE(TestSupport::Capture(rect, image, png));
        return image;
    }

    std::vector<std::string> Endpoints() {
        std::vector<std::string> endpoints;
        for (const auto& r : service_.Requests()) {
            endpoints.push_back(r.endpoint);
        }
        return endpoints;
    }

    // The final report's status code, or -9999 when there is none.
    int FinalReportStatus() {
        for (const auto& r : service_.RequestsTo(kReportPath)) {
            const auto body = nlohmann::json::parse(r.body, nullptr, false);
            if (body.value("type", "") == "0") {
                return body.value("statusCode", -9999);
            }
        }
        return -9999;
    }

    static TestSupport::XvfbServer* server_;
    TestSupport::TestService service_;
    TestSupport::TempDir tmp_;
    TestSupport::TempDir runtime_;
};

TestSupport::XvfbServer* GtkWindow::server_ = nullptr;

void Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

TEST_F(GtkWindow, WorkingStateShowsTheDownloadOnTheBarAndTheStatusInACjkFace) {
    ASSERT_TRUE(service_.SetScenario(kSlowScenario)) << service_.error();
    const auto started = std::chrono::steady_clock::now();
    auto installer = StartInstaller();
    ASSERT_TRUE(installer->started());
    const ScreenRect window = MainWindow();
    ASSERT_GT(window.width, 0);
    const WindowLayout layout = ExpectedLayout();
    ASSERT_EQ(layout.window.width, window.width) << "431 dialog units of the dialog font";
    ASSERT_EQ(layout.window.height, window.height) << "185 dialog units of the dialog font";

    // The runner moves until the first percent arrives; from then on the
    // bar grows from its left edge. Three shots over a second tell them
    // apart: a runner that starts at the edge has left it after 20 ticks.
    Image shot;
    BarSpan spans[3];
    bool steady = false;
    for (int tries = 0; !steady && tries < kGuiPatienceMs / 1000; ++tries) {
        for (BarSpan& span : spans) {
            shot = Shot(window, "working");
            span = ReadBar(shot, layout.bar);
            Sleep(500);
        }
        steady = spans[0].clean && spans[2].clean && spans[0].start == 0 && spans[1].start == 0 &&
                 spans[2].start == 0 && spans[0].end > 0 && spans[2].end >= spans[0].end;
    }
    ASSERT_TRUE(steady) << "the bar never showed the download's percent";
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    const BarSpan& bar = spans[2];
    EXPECT_TRUE(bar.clean) << "only #4592FD over #B6B6B6 inside the bar";
    // The fill is trunc(p x length / 100) for the percent p that has
    // arrived: at least 1, and no more than the throttle let through.
    const int maxPercent = static_cast<int>(100.0 * (kSlowRate * (seconds + 0.1)) / kSlowSize) + 1;
    EXPECT_TRUE(IsPercentWidth(bar.end, layout.bar.width, 1, maxPercent))
        << bar.end << " of " << layout.bar.width << " pixels, at most " << maxPercent << "%";

    EXPECT_EQ(
        0, CountOtherThanOutside(shot, kBackground,
                                 {layout.status, layout.bar, layout.minimize, layout.closeGlyph}))
        << "#FBFBFB everywhere but the status line, the bar and the glyphs: the error view "
           "is hidden";
    EXPECT_TRUE(ShowsPicture(shot, layout.minimize)) << "the minimise glyph is drawn";
    EXPECT_GT(StatusTextMatch(shot, layout.status, "正在下载…，还需"), 0.8)
        << "the status line is drawn in the window's CJK face";

    installer->Signal(SIGKILL);
}

TEST_F(GtkWindow, ErrorStateShowsPictureTextAndButtonsAndCloseEndsTheRun) {
    auto installer = StartInstaller();
    ASSERT_TRUE(installer->started());
    const ScreenRect window = MainWindow();
    ASSERT_GT(window.width, 0);
    const WindowLayout layout = ExpectedLayout();

    // The launch fails at once after a fast download: the error view.
    Image shot;
    bool errorView = false;
    for (int tries = 0; !errorView && tries < kGuiPatienceMs / 100; ++tries) {
        shot = Shot(window, "error");
        errorView = CountOtherThan(shot, kBackground, layout.bar) == 0 &&
                    CountOtherThan(shot, kBackground, layout.close) > 0;
        if (!errorView) {
            Sleep(100);
        }
    }
    ASSERT_TRUE(errorView) << "the window never switched to its error view";
    Sleep(300);  // let the last paint settle
    shot = Shot(window, "error");
    EXPECT_EQ(0, CountOtherThanOutside(shot, kBackground,
                                       {layout.minimize, layout.closeGlyph, layout.errorPicture,
                                        layout.errorText, layout.help, layout.close}))
        << "#FBFBFB everywhere but the error view and the glyphs: status line and bar hidden";
    EXPECT_GT(CountInk(shot, layout.errorText), 50) << "the error text is drawn";
    EXPECT_GT(CountInk(shot, layout.help), 20) << "Help shows its text";
    EXPECT_GT(CountInk(shot, layout.close), 20) << "Close shows its text";
    EXPECT_TRUE(ShowsPicture(shot, layout.errorPicture)) << "the error picture is drawn";
    EXPECT_TRUE(ShowsPicture(shot, layout.closeGlyph)) << "the close glyph is drawn";

    // Close: the window vanishes, the final report goes out, exit code 0.
    ASSERT_TRUE(Click(Display(), window, layout.close));
    int code = 0;
    ASSERT_TRUE(installer->Wait(kGuiPatienceMs, code));
    EXPECT_EQ(0, code);
    EXPECT_NE(-9999, FinalReportStatus()) << "the exit sequence sent its report";
}

TEST_F(GtkWindow, SecondCopyExitsWithMinusOneAndACopyAfterAKilledOneRuns) {
    ASSERT_TRUE(service_.SetScenario(kSlowScenario)) << service_.error();
    auto first = StartInstaller();
    ASSERT_GT(MainWindow().width, 0);

    auto second = StartInstaller();
    const std::string box = TestSupport::WaitForWindow(Display(), kMessageBoxTitle, kGuiPatienceMs);
    ASSERT_FALSE(box.empty()) << "the second copy shows its message box";
    ScreenRect boxRect;
    ASSERT_TRUE(TestSupport::WindowGeometry(Display(), box, boxRect));
    Shot(boxRect, "second-copy");
    int code = 0;
    EXPECT_FALSE(second->Wait(300, code)) << "it waits for OK";
    ASSERT_TRUE(PressEnter(Display(), box));
    ASSERT_TRUE(second->Wait(kGuiPatienceMs, code));
    EXPECT_EQ(-1, code);
    EXPECT_TRUE(first->Running()) << "the first copy carries on";

    first->Signal(SIGKILL);
    ASSERT_TRUE(first->Wait(kGuiPatienceMs, code));
    auto third = StartInstaller();
    ASSERT_GT(MainWindow().width, 0) << "the killed copy's lock is free again";
    EXPECT_TRUE(third->Running());
    third->Signal(SIGKILL);
}

TEST_F(GtkWindow, Sigusr1HidesTheWindowStopsTheDownloadAndEndsTheRun) {
    ASSERT_TRUE(service_.SetScenario(kSlowScenario)) << service_.error();
    auto installer = StartInstaller();
    ASSERT_GT(MainWindow().width, 0);
    // Once the installer's download runs, the stop request aborts it.
    for (int tries = 0; tries < kGuiPatienceMs / 100; ++tries) {
        if (!service_.RequestsTo("/files/TavoSetup.exe").empty()) {
            break;
        }
        Sleep(100);
    }
    installer->Signal(SIGUSR1);
    int code = 1;
    ASSERT_TRUE(installer->Wait(kGuiPatienceMs, code)) << "the run ends after the stop request";
    EXPECT_EQ(0, code);
    EXPECT_EQ((std::vector<std::string>{"report", "edition", "installer", "report"}), Endpoints());
    EXPECT_EQ(1015, FinalReportStatus()) << "stopped on request";
}

TEST_F(GtkWindow, EscapeAndEnterDoNothingAltF4HidesTheWindowAndTheRunGoesOn) {
    ASSERT_TRUE(service_.SetScenario(kSlowScenario)) << service_.error();
    auto installer = StartInstaller();
    ASSERT_GT(MainWindow().width, 0);
    const std::string id = TestSupport::WaitForWindow(Display(), kMainTitle, 0);
    ASSERT_TRUE(PressKeys(Display(), id, {"Escape", "Return", "KP_Enter"}));
    Sleep(300);
    EXPECT_TRUE(TestSupport::WindowVisible(Display(), kMainTitle)) << "neither key ends the window";

    ASSERT_TRUE(PressKeys(Display(), id, {"alt+F4"}));
    for (int tries = 0; tries < kGuiPatienceMs / 100; ++tries) {
        if (!TestSupport::WindowVisible(Display(), kMainTitle)) {
            break;
        }
        Sleep(100);
    }
    EXPECT_FALSE(TestSupport::WindowVisible(Display(), kMainTitle))
        << "hidden as by the close glyph";
    EXPECT_TRUE(installer->Running()) << "the download goes on invisibly";
    const std::string log = TestSupport::ReadBytes(tmp_.Child(L"Tavo_installer.log"));
    EXPECT_NE(std::string::npos, log.find("OUT:INFO:user trigger WM_DESTROY event"));
    EXPECT_NE(std::string::npos, log.find("OUT:INFO:CVorlinInstallerDlg::OnBnClickedButtonExit"));
    installer->Signal(SIGKILL);
}

}  // namespace
