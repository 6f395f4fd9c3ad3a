#include "views/queue_loop.h"

#include <algorithm>

#include "services/notify.h"
#include "views/vorlininstallerdlg.h"

uintptr_t TimerTable::Start(uintptr_t id, uint32_t periodMs, uint64_t nowMs) {
    if (id == 0) {
        return 0;
    }
    m_timers[id] = Timer{periodMs, nowMs + periodMs};
    return id;
}

void TimerTable::Kill(uintptr_t id) {
    m_timers.erase(id);
}

bool TimerTable::NextDeadline(uint64_t& deadlineMs) const {
    if (m_timers.empty()) {
        return false;
    }
    deadlineMs = UINT64_MAX;
    for (const auto& entry : m_timers) {
        deadlineMs = std::min(deadlineMs, entry.second.deadlineMs);
    }
    return true;
}

std::vector<uintptr_t> TimerTable::TakeDue(uint64_t nowMs) {
    std::vector<std::pair<uint64_t, uintptr_t>> due;
    for (auto& entry : m_timers) {
        Timer& timer = entry.second;
        if (timer.deadlineMs <= nowMs) {
            due.emplace_back(timer.deadlineMs, entry.first);
            // A late loop fires once and catches up, as SetTimer does.
            timer.deadlineMs = nowMs + std::max<uint32_t>(timer.periodMs, 1);
        }
    }
    std::sort(due.begin(), due.end());
    std::vector<uintptr_t> ids;
    for (const auto& d : due) {
        ids.push_back(d.second);
    }
    return ids;
}

uint64_t SteadyNowMs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

LoopClock SteadyLoopClock() {
    LoopClock clock;
    clock.nowMs = SteadyNowMs;
    clock.take = [](MessageQueue& queue, QueuedMessage& out, std::chrono::milliseconds timeout) {
        return queue.Take(out, timeout);
    };
    return clock;
}

void CloseWhenWaitingForUser(CVorlinInstallerDlg& dlg) {
    if (dlg.WaitsForUser()) {
        dlg.OnBnClickedButtonClose();
    }
}

void RunQueueLoop(MessageQueue& queue, CVorlinInstallerDlg& dlg, TimerTable& timers,
                  const LoopClock& clock) {
    // Without a timer the loop still wakes now and then; nothing depends on it.
    constexpr std::chrono::milliseconds kIdleWait = std::chrono::hours(1);
    while (!dlg.Ending()) {
        std::chrono::milliseconds wait = kIdleWait;
        uint64_t deadline = 0;
        if (timers.NextDeadline(deadline)) {
            const uint64_t now = clock.nowMs();
            wait = std::chrono::milliseconds(deadline > now ? deadline - now : 0);
            wait = std::min(wait, kIdleWait);
        }
        QueuedMessage m{0, 0};
        if (clock.take(queue, m, wait)) {
            if (m.message == kMsgConsoleInterrupt) {
                dlg.OnBnClickedButtonExit();
            } else if (!dlg.HandleMessage(m.message, m.payload)) {
                FreePayload(m.message, m.payload);
            }
        }
        // Also after a message: a steady stream of them must not hold a
        // timer back.
        if (!dlg.Ending()) {
            for (const uintptr_t id : timers.TakeDue(clock.nowMs())) {
                dlg.OnTimer(id);
                if (dlg.Ending()) {
                    break;
                }
            }
        }
        if (!dlg.Ending()) {
            CloseWhenWaitingForUser(dlg);
        }
    }
}
