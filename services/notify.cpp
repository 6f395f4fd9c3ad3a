#include "services/notify.h"

#include <chrono>
#include <cwchar>
#include <random>

#include "services/main_window_link.h"

namespace {

// Hands `payload` to the main window; frees it when there is no window or
// the post fails, so a payload is never lost without an owner.
void Post(uint32_t message, intptr_t payload) {
    MainWindowLink* window = GetMainWindow();
    if (window == nullptr || !window->Post(message, payload)) {
        FreePayload(message, payload);
    }
}

template <class T>
intptr_t Payload(T* object) {
    return reinterpret_cast<intptr_t>(object);
}

}  // namespace

void NotifyStatus(const std::wstring& text, int32_t code) {
    if (code == 0) {
        Post(kMsgStatusText, Payload(new std::wstring(text)));
        return;
    }
    if (!text.empty()) {
        NotifyError(text);
        return;
    }
    wchar_t buffer[256] = {};
    std::swprintf(buffer, 256, L"安装过程遇到错误 0x8%07X", static_cast<uint32_t>(code));
    NotifyError(buffer);
}

void NotifyError(const std::wstring& text) {
    Post(kMsgErrorText, Payload(new std::wstring(text)));
}

void NotifyProgress(int32_t kind, int32_t value, int32_t percent) {
    Post(kMsgProgress, Payload(new ProgressInfo{kind, value, percent}));
}

void NotifyBusy() {
    Post(kMsgBusy, Payload(new bool(true)));
}

void NotifyWorkerDone() {
    Post(kMsgWorkerDone, 0);
}

std::wstring ProgressText(const ProgressInfo& info) {
    wchar_t buffer[128] = {};
    switch (info.kind) {
        case 1:
            return L"正在联网…";
        case 2:
            return L"正在下载…";
        case 3:
            std::swprintf(buffer, 128, L"正在下载…，还需%d小时", info.value);
            return buffer;
        case 4:
            std::swprintf(buffer, 128, L"正在下载…，还需%d分钟", info.value);
            return buffer;
        case 5:
            std::swprintf(buffer, 128, L"正在下载…，还需%d秒", info.value);
            return buffer;
        case 6:
            return L"下载完毕。";
        case 7:
            return L"安装准备中…";
        case 8:
            return L"正在安装…";
        case 9:
            return L"安装完毕。";
        default:
            return {};
    }
}

std::unique_ptr<std::wstring> TakeText(intptr_t payload) {
    return std::unique_ptr<std::wstring>(reinterpret_cast<std::wstring*>(payload));
}

std::unique_ptr<ProgressInfo> TakeProgress(intptr_t payload) {
    return std::unique_ptr<ProgressInfo>(reinterpret_cast<ProgressInfo*>(payload));
}

std::unique_ptr<bool> TakeBusy(intptr_t payload) {
    return std::unique_ptr<bool>(reinterpret_cast<bool*>(payload));
}

void FreePayload(uint32_t message, intptr_t payload) {
    switch (message) {
        case kMsgStatusText:
        case kMsgErrorText:
            TakeText(payload);
            break;
        case kMsgProgress:
            TakeProgress(payload);
            break;
        case kMsgBusy:
            TakeBusy(payload);
            break;
        default:
            break;
    }
}

uintptr_t WorkerMessageCookie() {
    static const uintptr_t cookie = [] {
        std::random_device device;
        uint64_t value = (uint64_t{device()} << 32) ^ device();
        // Mixed with the clock in case the random device is a fixed sequence.
        value ^= static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        const auto cookieValue = static_cast<uintptr_t>(value);
        return cookieValue != 0 ? cookieValue : uintptr_t{1};
    }();
    return cookie;
}

bool IsForgedWorkerMessage(uint32_t message, uintptr_t wParam) {
    return message >= kMsgWorkerDone && message <= kMsgBusy && wParam != WorkerMessageCookie();
}
