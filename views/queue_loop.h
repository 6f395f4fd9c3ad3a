// The window's message loop over a MessageQueue, for front ends without a
// platform message loop (the headless front end on Linux): worker messages,
// window timers with real deadlines, and the console's interrupt.
//
// Threads: the window's (UI) thread runs the loop and owns the timers; any
// thread may post to the queue.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "services/message_queue.h"

class CVorlinInstallerDlg;

// A message the console posts when the user presses Ctrl+C: the window
// treats it like its close glyph. Outside the worker's range, no payload.
inline constexpr uint32_t kMsgConsoleInterrupt = 0x8000 + 1;

// Window timers in the manner of SetTimer: periodic, one per id, restarted
// when started again. Times are steady milliseconds.
class TimerTable {
  public:
    // Returns `id` (0 is refused and returns 0).
    uintptr_t Start(uintptr_t id, uint32_t periodMs, uint64_t nowMs);
    void Kill(uintptr_t id);
    // The earliest deadline, or false when no timer runs.
    bool NextDeadline(uint64_t& deadlineMs) const;
    // The ids whose deadline has come, earliest first; each is re-armed for
    // its next period.
    std::vector<uintptr_t> TakeDue(uint64_t nowMs);

  private:
    struct Timer {
        uint32_t periodMs;
        uint64_t deadlineMs;
    };
    std::map<uintptr_t, Timer> m_timers;
};

// How the loop reads time and waits: production uses the steady clock and
// MessageQueue::Take; tests jump their clock to the deadline instead of
// waiting.
struct LoopClock {
    std::function<uint64_t()> nowMs;
    std::function<bool(MessageQueue& queue, QueuedMessage& out, std::chrono::milliseconds timeout)>
        take;
};
LoopClock SteadyLoopClock();

// Milliseconds of the steady clock.
uint64_t SteadyNowMs();

// Hands every message of `queue` to `dlg` (kMsgConsoleInterrupt to
// OnBnClickedButtonExit) and every due timer of `timers` to OnTimer, waiting
// for whichever comes first. After each of them, a window that waits for the
// user after a failure is closed as with its Close button, so an unattended
// run always ends. Returns once the exit sequence has decided to end the
// process, which in production ends it before that.
void RunQueueLoop(MessageQueue& queue, CVorlinInstallerDlg& dlg, TimerTable& timers,
                  const LoopClock& clock);

// What an unattended front end does after each event: a window that waits
// for the user (the run failed, the worker finished) is closed as with its
// Close button.
void CloseWhenWaitingForUser(CVorlinInstallerDlg& dlg);
