#include "views/console_frontend.h"

#include <cstdio>

#include "services/main_window_link.h"
#include "services/notify.h"
#include "utils/log/textconv.h"

std::string DescribeNotification(uint32_t message, intptr_t payload) {
    switch (message) {
        case kMsgStatusText: {
            const auto text = TakeText(payload);
            return text ? "[status] " + Utils::WideToUtf8(*text) : std::string();
        }
        case kMsgErrorText: {
            const auto text = TakeText(payload);
            return text ? "[error] " + Utils::WideToUtf8(*text) : std::string();
        }
        case kMsgProgress: {
            const auto info = TakeProgress(payload);
            if (!info || ProgressText(*info).empty()) {
                return {};
            }
            const std::string percent =
                info->percent != 0 ? " " + std::to_string(info->percent) + "%" : std::string();
            return "[progress" + percent + "] " + Utils::WideToUtf8(ProgressText(*info));
        }
        case kMsgBusy: {
            const auto busy = TakeBusy(payload);
            return busy ? (*busy ? "[busy] on" : "[busy] off") : std::string();
        }
        case kMsgWorkerDone: {
            const MainWindowLink* window = GetMainWindow();
            const int32_t status = window != nullptr ? window->Shared().m_iStatusCode.load() : 0;
            return "[done] status code " + std::to_string(status);
        }
        default:
            FreePayload(message, payload);
            return {};
    }
}

bool ShowNotification(uint32_t message, intptr_t payload) {
    const std::string line = DescribeNotification(message, payload);
    if (!line.empty()) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    return message == kMsgWorkerDone;
}
