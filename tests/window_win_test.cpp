// The Windows program's window on a real display (under Wine: the Xvfb
// display that the test prefix runs on): the real TavoInstaller.exe against
// the development service, what its window shows on the screen in the
// working and in the error state, the single-instance rule, and the stop
// request that another process posts to the window's handle.
//
// With TAVO_SCREENSHOT_DIR set (a folder this program can write to), the
// screenshots of the two states are saved there as win-working.png and
// win-error.png (scripts/screenshots win).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "services/notify.h"
#include "tests/support/image.h"
#include "tests/support/running_program_win.h"
#include "tests/support/screen_win.h"
#include "tests/support/test_service.h"
#include "tests/support/testsupport.h"
#include "utils/log/textconv.h"
#include "utils/system/dpi.h"
#include "views/main_view.h"
#include "views/startup.h"
#include "views/window_fonts.h"
#include "views/window_frontend.h"

namespace {

using TestSupport::Image;

// How long the test waits at most for something that must happen: generous,
// since a cold Wine is slow. Never a measure of speed.
constexpr DWORD kPatienceMs = 60000;

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr wchar_t kTitle[] = L"Tavo浏览器安装程序";
constexpr uint32_t kBackground = 0xFBFBFB;
constexpr uint32_t kBarColour = 0x4592FD;
constexpr uint32_t kBarGround = 0xB6B6B6;
// The CJK face that the test prefix puts in place of the window's face.
constexpr wchar_t kCjkFace[] = L"WenQuanYi Micro Hei";

// 4 MiB at 256 KiB/s: a quarter of a minute of download, more than a test
// needs; every test ends the run itself.
constexpr const char* kSlowDownload = R"({"installer": {"size": 4194304, "rate": 262144}})";
// The default service: the run reaches the launch quickly, which fails on
// the service's generated installer, and the window shows its error view.
constexpr const char* kQuickFailure = "{}";

bool WaitFor(const std::function<bool()>& condition, DWORD ms) {
    const ULONGLONG deadline = GetTickCount64() + ms;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(50);
    }
}

RECT ClientRectOnScreen(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    POINT topLeft{0, 0};
    ClientToScreen(window, &topLeft);
    OffsetRect(&client, topLeft.x, topLeft.y);
    return client;
}

std::string Hex(uint32_t rgb) {
    char text[16];
    std::snprintf(text, sizeof text, "#%06X", rgb);
    return text;
}

// `text` drawn as a centred, wrapping static control draws it, in `face`
// at `height` pixels, on the window's background.
Image RenderLikeStatic(const std::wstring& text, const wchar_t* face, int height, int width,
                       int boxHeight, bool& allGlyphs) {
    TestSupport::DibSurface surface(width, boxHeight);
    const HDC dc = surface.Dc();
    allGlyphs = false;
    if (dc == nullptr) {
        return Image{};
    }
    const HFONT font = CreateFontW(height, 0, 0, 0, kWindowFontWeight, FALSE, FALSE, FALSE,
                                   DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                   DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
    const HGDIOBJ oldFont = SelectObject(dc, font);
    std::vector<WORD> glyphs(text.size());
    GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                     GGI_MARK_NONEXISTING_GLYPHS);
    allGlyphs = true;
    for (WORD g : glyphs) {
        allGlyphs = allGlyphs && g != 0xFFFF;
    }
    RECT box{0, 0, width, boxHeight};
    const HBRUSH ground = CreateSolidBrush(RGB(0xFB, 0xFB, 0xFB));
    FillRect(dc, &box, ground);
    SetBkColor(dc, RGB(0xFB, 0xFB, 0xFB));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextW(dc, text.c_str(), -1, &box, DT_CENTER | DT_EXPANDTABS | DT_WORDBREAK);
    const Image image = surface.Pixels();
    SelectObject(dc, oldFont);
    DeleteObject(font);
    DeleteObject(ground);
    return image;
}

// What differs between the ink (pixels other than the background) of the
// captured status line and of `text` rendered in the CJK face: "" when they
// agree. Boxes in place of the characters, or another face, do not.
std::string CompareWithCjkRendering(const Image& shown, const std::wstring& text) {
    const int height = FontHeightsForScale(Utils::GetDpiScale()).status;
    bool allGlyphs = false;
    const Image wanted =
        RenderLikeStatic(text, kCjkFace, height, shown.width, shown.height, allGlyphs);
    if (!allGlyphs) {
        return "the test's own CJK face lacks glyphs of the text: is fonts-wqy-microhei installed?";
    }
    int shownInk = 0, wantedInk = 0, differing = 0;
    for (size_t i = 0; i < shown.pixels.size(); ++i) {
        const bool a = shown.pixels[i].Rgb() != kBackground;
        const bool b = wanted.pixels[i].Rgb() != kBackground;
        shownInk += a;
        wantedInk += b;
        differing += a != b;
    }
    if (wantedInk < 50) {
        return "the rendering of the text has almost no ink";
    }
    if (differing * 20 > std::max(shownInk, wantedInk)) {
        return "the status line's ink differs from the CJK face's rendering of its text (" +
               std::to_string(differing) + " of " + std::to_string(wantedInk) + " pixels)";
    }
    return {};
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!WindowCanOpen()) {
            GTEST_SKIP() << "no X display: Xvfb is not installed (scripts/setup-deps installs "
                            "it), so the window tests are skipped";
        }
        ASSERT_TRUE(service_.ok()) << service_.error();
    }

    std::unique_ptr<TestSupport::RunningProgram> Start(const char* scenario) {
        EXPECT_TRUE(service_.SetScenario(scenario)) << service_.error();
        auto program = std::make_unique<TestSupport::RunningProgram>(
            TestSupport::SiblingProgram(L"TavoInstaller"), L"TavoInstaller --test");
        EXPECT_TRUE(program->started());
        return program;
    }

    static HWND WaitForDialog(TestSupport::RunningProgram& program) {
        return program.WaitForWindow(kDialogClass, kTitle, false, true, kPatienceMs);
    }

    // The status code of the run's final report, or -12345 without one.
    int FinalStatus() {
        const auto reports = service_.RequestsTo("/browser/c/boostrap/report");
        if (reports.empty()) {
            return -12345;
        }
        const auto end = nlohmann::json::parse(reports.back().body, nullptr, false);
        return end.value("type", "") == "0" ? end.value("statusCode", -12345) : -12345;
    }

    // The log that the run's final report carried ("" without one).
    std::string FinalLog() {
        const auto reports = service_.RequestsTo("/browser/c/boostrap/report");
        if (reports.empty()) {
            return {};
        }
        const auto end = nlohmann::json::parse(reports.back().body, nullptr, false);
        return end.value("errLog", "");
    }

    static void SaveScreenshot(const Image& image, const char* name) {
        const char* folder = std::getenv("TAVO_SCREENSHOT_DIR");
        if (folder != nullptr && *folder != '\0') {
            EXPECT_TRUE(
                TestSupport::WriteBytes(Utils::Utf8ToWide(std::string(folder) + "\\" + name),
                                        TestSupport::EncodePng(image)));
        }
    }

    TestSupport::TestService service_;
    TestSupport::TempDir tmp_;
    TestSupport::ScopedEnv logFolder_{"TMP", Utils::WideToUtf8(tmp_.path())};
    TestSupport::ScopedEnv base_{"TAVO_TEST_BASE_URL", service_.BaseUrl()};
    TestSupport::ScopedEnv window_{"TAVO_HEADLESS", TestSupport::ScopedEnv::Unset{}};
};

// The problems of the window's look in the working state ("" when none):
// background, picture glyphs, the bar filled from the left to a width
// between those of `posBefore` and `posAfter`, and the status text drawn in
// the CJK face.
std::string CheckWorkingState(HWND dialog, const Image& shot, POINT origin, int posBefore,
                              int posAfter, const std::wstring& status) {
    std::string problems;
    const RECT client = ClientRectOnScreen(dialog);
    for (POINT p :
         {POINT{client.left + 10, client.top + 10}, POINT{client.left + 10, client.bottom - 10}}) {
        const uint32_t rgb = shot.At(p.x - origin.x, p.y - origin.y).Rgb();
        if (rgb != kBackground) {
            problems += "background " + Hex(rgb) + "; ";
        }
    }
    const Image bar = Crop(shot, origin, TestSupport::ControlRect(dialog, kCtrlProgress));
    if (bar.width < 100) {
        return problems + "no progress bar on screen; ";
    }
    for (int y : {0, bar.height / 2, bar.height - 1}) {
        int filled = 0;
        while (filled < bar.width && bar.At(filled, y).Rgb() == kBarColour) {
            ++filled;
        }
        for (int x = filled; x < bar.width; ++x) {
            if (bar.At(x, y).Rgb() != kBarGround) {
                problems += "bar row " + std::to_string(y) + " has " + Hex(bar.At(x, y).Rgb()) +
                            " at " + std::to_string(x) + "; ";
                break;
            }
        }
        const int low = posBefore * bar.width / 100;
        const int high = posAfter * bar.width / 100;
        if (filled < low || filled > high) {
            problems += "bar filled " + std::to_string(filled) + " px, expected " +
                        std::to_string(low) + " to " + std::to_string(high) + "; ";
        }
    }
    const Image glyph = Crop(shot, origin, TestSupport::ControlRect(dialog, kCtrlCloseGlyph));
    bool ink = false;
    for (const auto& p : glyph.pixels) {
        ink = ink || (p.r < 0x80 && p.r == p.g && p.g == p.b);
    }
    if (!ink) {
        problems += "the close glyph shows no dark ink; ";
    }
    const std::string text = CompareWithCjkRendering(
        Crop(shot, origin, TestSupport::ControlRect(dialog, kCtrlStatus)), status);
    return text.empty() ? problems : problems + text + "; ";
}

TEST_F(WindowTest, WorkingStateShowsStatusAndBarAndAnOutsideStopRequestEndsTheRun) {
    auto program = Start(kSlowDownload);
    const HWND dialog = WaitForDialog(*program);
    ASSERT_NE(nullptr, dialog);
    // The download's progress: the runner has stopped (the position stands
    // still; running, it moves ten steps in a tenth of a second) and the
    // bar shows a fifth of the download at least.
    const HWND bar = GetDlgItem(dialog, kCtrlProgress);
    auto position = [bar] { return static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0)); };
    ASSERT_TRUE(WaitFor(
        [&] {
            const int first = position();
            Sleep(200);
            return first >= 20 && position() == first;
        },
        kPatienceMs))
        << Utils::WideToUtf8(TestSupport::ControlText(dialog, kCtrlStatus));

    std::string problems;
    Image window;
    const bool looksRight = WaitFor(
        [&] {
            const std::wstring statusBefore = TestSupport::ControlText(dialog, kCtrlStatus);
            const int before = position();
            const RECT rect = TestSupport::ScreenRectOf(dialog);
            if (!TestSupport::CaptureScreen(rect, window)) {
                problems = "no screenshot";
                return false;
            }
            const int after = position();
            if (TestSupport::ControlText(dialog, kCtrlStatus) != statusBefore) {
                problems = "the status changed while the screen was read";
                return false;
            }
            problems = CheckWorkingState(dialog, window, {rect.left, rect.top}, before, after,
                                         statusBefore);
            return problems.empty();
        },
        kPatienceMs);
    EXPECT_TRUE(looksRight) << problems;
    SaveScreenshot(window, "win-working.png");

    ASSERT_TRUE(PostMessageW(dialog, kMsgStopRequest, 0, 0));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(dialog); }, kPatienceMs))
        << "the stop request hides the window at once";
    DWORD code = 12345;
    ASSERT_TRUE(program->WaitForExit(kPatienceMs, code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(1015, FinalStatus()) << "stopped on request";
}

TEST_F(WindowTest, ErrorStateShowsThePictureTheTextAndTheButtons) {
    auto program = Start(kQuickFailure);
    const HWND dialog = WaitForDialog(*program);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(GetDlgItem(dialog, kCtrlErrorPicture)); },
                        kPatienceMs));
    for (int id : {kCtrlStatus, kCtrlProgress}) {
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, id))) << id;
    }
    for (int id : {kCtrlErrorText, kCtrlHelp, kCtrlClose, kCtrlMinimize, kCtrlCloseGlyph}) {
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, id))) << id;
    }
    EXPECT_FALSE(TestSupport::ControlText(dialog, kCtrlErrorText).empty());

    std::string problems;
    Image window;
    const bool looksRight = WaitFor(
        [&] {
            const RECT rect = TestSupport::ScreenRectOf(dialog);
            if (!TestSupport::CaptureScreen(rect, window)) {
                problems = "no screenshot";
                return false;
            }
            const POINT origin{rect.left, rect.top};
            problems.clear();
            const RECT client = ClientRectOnScreen(dialog);
            if (window.At(client.left + 10 - origin.x, client.top + 10 - origin.y).Rgb() !=
                kBackground) {
                problems += "background; ";
            }
            const Image picture =
                Crop(window, origin, TestSupport::ControlRect(dialog, kCtrlErrorPicture));
            size_t grey = 0;
            for (const auto& p : picture.pixels) {
                grey += p.r == p.g && p.g == p.b && p.r >= 0x60 && p.r <= 0xD0;
            }
            if (picture.pixels.empty() || grey * 10 < picture.pixels.size() ||
                picture.At(0, 0).Rgb() != kBackground) {
                problems += "the robot is not on the error picture (" + std::to_string(grey) +
                            " grey pixels); ";
            }
            for (int id : {kCtrlErrorText, kCtrlHelp, kCtrlClose}) {
                const Image part = Crop(window, origin, TestSupport::ControlRect(dialog, id));
                size_t dark = 0;
                for (const auto& p : part.pixels) {
                    dark += p.r < 0x80 && p.g < 0x80 && p.b < 0x80;
                }
                if (dark < 20) {
                    problems += "no text on control " + std::to_string(id) + "; ";
                }
            }
            return problems.empty();
        },
        kPatienceMs);
    EXPECT_TRUE(looksRight) << problems;
    SaveScreenshot(window, "win-error.png");

    const HWND close = GetDlgItem(dialog, kCtrlClose);
    ASSERT_TRUE(PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(kCtrlClose, BN_CLICKED),
                             reinterpret_cast<LPARAM>(close)));
    DWORD code = 12345;
    ASSERT_TRUE(program->WaitForExit(kPatienceMs, code));
    EXPECT_EQ(0u, code) << "the Close button ends the run through the exit sequence";
}

TEST_F(WindowTest, SecondCopyTellsTheUserAndEndsWithMinusOneWhileTheFirstRuns) {
    auto first = Start(kSlowDownload);
    const HWND dialog = WaitForDialog(*first);
    ASSERT_NE(nullptr, dialog);

    TestSupport::RunningProgram second(TestSupport::SiblingProgram(L"TavoInstaller"),
                                       L"TavoInstaller --test");
    const HWND box = second.WaitForWindow(kDialogClass, nullptr, false, true, kPatienceMs);
    ASSERT_NE(nullptr, box) << "the second copy shows a message box";
    EXPECT_EQ(std::wstring(kAlreadyRunningText), TestSupport::ControlText(box, 0xFFFF));
    ASSERT_TRUE(PostMessageW(box, WM_COMMAND, IDOK, 0));
    DWORD code = 12345;
    ASSERT_TRUE(second.WaitForExit(kPatienceMs, code));
    EXPECT_EQ(static_cast<DWORD>(-1), code);
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the first copy carries on";

    // Once the first copy is gone (killed: nothing released the name but
    // the process end), a new copy runs.
    first->Kill();
    auto third = Start(kSlowDownload);
    const HWND thirdDialog = WaitForDialog(*third);
    ASSERT_NE(nullptr, thirdDialog);
    ASSERT_TRUE(PostMessageW(thirdDialog, kMsgStopRequest, 0, 0));
    ASSERT_TRUE(third->WaitForExit(kPatienceMs, code));
    EXPECT_EQ(0u, code);
}

TEST_F(WindowTest, KeysMinimiseAboutAndSystemCloseGoWhereTheyShould) {
    auto program = Start(kSlowDownload);
    const HWND dialog = WaitForDialog(*program);
    ASSERT_NE(nullptr, dialog);

    // Escape and Enter never end the dialog; the minimise glyph, handled
    // after them, minimises it.
    for (WPARAM key : {WPARAM{VK_ESCAPE}, WPARAM{VK_RETURN}}) {
        ASSERT_TRUE(PostMessageW(dialog, WM_KEYDOWN, key, 0));
    }
    ASSERT_TRUE(PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(kCtrlMinimize, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(dialog, kCtrlMinimize))));
    EXPECT_TRUE(WaitFor([&] { return IsIconic(dialog) != FALSE; }, kPatienceMs));
    EXPECT_TRUE(IsWindowVisible(dialog)) << "minimised, not hidden";
    ShowWindow(dialog, SW_RESTORE);

    // The system menu's about item.
    ASSERT_TRUE(PostMessageW(dialog, WM_SYSCOMMAND, 0x10, 0));
    const HWND about =
        program->WaitForWindow(kDialogClass, L"关于 TavoInstaller", false, true, kPatienceMs);
    ASSERT_NE(nullptr, about);
    bool versionShown = false;
    for (HWND child = GetWindow(about, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t text[64] = {};
        GetWindowTextW(child, text, 64);
        versionShown = versionShown || std::wstring(text) == L"TavoInstaller，版本 1.0";
    }
    EXPECT_TRUE(versionShown);
    ASSERT_TRUE(PostMessageW(about, WM_COMMAND, IDOK, 0));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(about); }, kPatienceMs));

    // A system close (Alt+F4, the taskbar) is the close glyph: the window
    // hides and the run goes on until it ends; here a stop request ends it.
    ASSERT_TRUE(PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0));
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(dialog); }, kPatienceMs));
    DWORD code = 12345;
    EXPECT_FALSE(program->WaitForExit(0, code)) << "still running, hidden";
    ASSERT_TRUE(PostMessageW(dialog, kMsgStopRequest, 0, 0));
    ASSERT_TRUE(program->WaitForExit(kPatienceMs, code));
    EXPECT_EQ(0u, code);
    const std::string log = FinalLog();
    EXPECT_NE(std::string::npos, log.find("OUT:INFO:CVorlinInstallerDlg::OnBnClickedButtonMini"));
    EXPECT_NE(std::string::npos, log.find("OUT:INFO:user trigger SC_CLOSE event"));
    EXPECT_NE(std::string::npos, log.find("OUT:INFO:CVorlinInstallerDlg::OnBnClickedButtonExit"));
    EXPECT_EQ(std::string::npos, log.find("user trigger WM_DESTROY event"))
        << "Escape did not become a cancel command";
}

TEST_F(WindowTest, WorkerMessagesFromAnotherProcessAreDropped) {
    auto program = Start(kSlowDownload);
    const HWND dialog = WaitForDialog(*program);
    ASSERT_NE(nullptr, dialog);
    // Pointers that are not the program's: reading or freeing one would
    // crash the program, and a forged 1124 would end the run as a success.
    for (UINT message = kMsgWorkerDone; message <= kMsgBusy; ++message) {
        ASSERT_TRUE(PostMessageW(dialog, message, 0, 0x10));
    }
    // Handled after the forged ones, in posting order.
    ASSERT_TRUE(PostMessageW(dialog, kMsgStopRequest, 0, 0));
    DWORD code = 12345;
    ASSERT_TRUE(program->WaitForExit(kPatienceMs, code));
    EXPECT_EQ(0u, code) << "not an access violation";
    EXPECT_EQ(1015, FinalStatus()) << "the run ended on the stop request, not on a forged 1124";
}

}  // namespace
