// Fakes for the window's logic: a view and exit services that record every
// call, in order, in one shared list, so a test reads the whole story of a
// scenario ("hide", "report ...", "sleep 500", "end 0").
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "services/notify.h"
#include "utils/log/textconv.h"
#include "views/exit_services.h"
#include "views/main_view.h"
#include "views/vorlininstallerdlg.h"

namespace ViewsTest {

using Calls = std::vector<std::string>;

// A view that keeps the control texts and records every call.
class FakeView : public MainView {
  public:
    explicit FakeView(Calls& calls) : m_calls(calls) {}

    void ShowControl(int id, bool show) override {
        Add("show " + std::to_string(id) + (show ? " 1" : " 0"));
    }
    void SetControlText(int id, const std::wstring& text) override {
        m_texts[id] = text;
        Add("text " + std::to_string(id) + " " + Utils::WideToUtf8(text));
    }
    std::wstring GetControlText(int id) const override {
        const auto it = m_texts.find(id);
        return it == m_texts.end() ? std::wstring() : it->second;
    }
    void HideWindow() override { Add("hide"); }
    void MinimizeWindow() override { Add("minimise"); }
    uintptr_t StartTimer(uintptr_t id, uint32_t ms) override {
        Add("timer+ " + std::to_string(id) + " " + std::to_string(ms));
        return timerResult == 0 ? 0 : id;
    }
    void KillTimer(uintptr_t id) override { Add("timer- " + std::to_string(id)); }
    void StartAnimation() override { Add("anim on"); }
    void StopAnimation() override { Add("anim off"); }
    void SetProgressPos(int percent) override { Add("pos " + std::to_string(percent)); }
    void OpenUrl(const std::wstring& url) override { Add("url " + Utils::WideToUtf8(url)); }
    void EndProcess(int code) override {
        Add("end " + std::to_string(code));
        ++ends;
    }

    // Sets a text without recording it (the state a scenario starts from).
    void Preset(int id, const std::wstring& text) { m_texts[id] = text; }

    int timerResult = 1;  // 0: StartTimer fails
    int ends = 0;

  private:
    void Add(const std::string& call) { m_calls.push_back(call); }

    Calls& m_calls;
    std::map<int, std::wstring> m_texts;
};

// Exit services that record their calls; results set by the test.
struct FakeExitServices {
    explicit FakeExitServices(Calls& calls) : m_calls(calls) {}

    ExitServices Make() {
        ExitServices s;
        s.createUuid = [this](std::wstring& uuid) {
            m_calls.push_back("createUuid");
            if (uuidResult == 0) {
                uuid = L"NEWUUID";
            }
            return uuidResult;
        };
        s.getDeviceInfo = [this](DeviceInfo& device) {
            m_calls.push_back("device");
            device.osName = L"os";
            return 0;
        };
        s.uploadCountInfo = [this](const std::string& url, const DeviceInfo& device,
                                   const std::wstring& uuid, uint8_t type, int32_t status,
                                   std::wstring appVersion) {
            m_calls.push_back("report " + url + " type " + std::to_string(type) + " status " +
                              std::to_string(status) + " uuid " + Utils::WideToUtf8(uuid) +
                              " app " + Utils::WideToUtf8(appVersion) + " os " +
                              Utils::WideToUtf8(device.osName));
            if (onUpload) {
                onUpload();
            }
            const auto it = reportResults.find(url);
            return it == reportResults.end() ? 0 : it->second;
        };
        s.flushFaultReports = [this] { m_calls.push_back("flush"); };
        s.sleep = [this](uint32_t ms) { m_calls.push_back("sleep " + std::to_string(ms)); };
        return s;
    }

    int uuidResult = 0;
    std::map<std::string, int> reportResults;  // by URL; 0 when not listed
    std::function<void()> onUpload;            // runs inside each report call

  private:
    Calls& m_calls;
};

// The window's logic on fakes: every call of view and exit services lands
// in `calls`. Results can be changed after construction.
struct FakeWindow {
    Calls calls;
    FakeView view{calls};
    FakeExitServices services{calls};
    SharedState shared;
    CVorlinInstallerDlg dlg{view, shared, services.Make(),
                            [] { return std::wstring(L"https://help.example/?sourceType=2"); }};
};

// Heap payloads as the posting functions make them.
inline intptr_t TextPayload(const std::wstring& text) {
    return reinterpret_cast<intptr_t>(new std::wstring(text));
}
inline intptr_t ProgressPayload(int32_t kind, int32_t value, int32_t percent) {
    return reinterpret_cast<intptr_t>(new ProgressInfo{kind, value, percent});
}
inline intptr_t BusyPayload(bool on) {
    return reinterpret_cast<intptr_t>(new bool(on));
}

}  // namespace ViewsTest
