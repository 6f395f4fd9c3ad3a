// What the install worker reaches of the main window: the members the two
// threads share, and the window's message target.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

// The main window's members used by both threads. The flags and the status
// code are atomics; the two strings are guarded by a lock, so the window
// never reads one while the worker writes it.
class SharedState {
  public:
    std::atomic<int32_t> m_iStatusCode{0};  // worker: failures, 0 after a launch; window: 1001
    std::atomic<bool> m_bNeedExit{false};   // window sets it (never clears); worker polls it
    std::atomic<bool> m_bHasExited{false};  // window: the final message was handled
    std::atomic<bool> m_bUserExit{false};   // window: close glyph or system close
    // worker: the full installer found a higher version installed and its
    // browser was opened; the run is done although the status code is 4.
    // Set before 1124; the window reads it in the exit sequence.
    std::atomic<bool> m_bHigherVersionOpened{false};

    std::wstring Uuid() const;
    void SetUuid(const std::wstring& uuid);
    std::wstring AppVersion() const;
    void SetAppVersion(const std::wstring& version);

  private:
    mutable std::mutex m_mutex;
    std::wstring m_strUuid;        // guarded by m_mutex
    std::wstring m_strAppVersion;  // guarded by m_mutex
};

// The main window as the worker sees it. The window's front end implements
// Post (Windows: PostMessageW to its handle; elsewhere a queue that its UI
// thread drains in posting order).
class MainWindowLink {
  public:
    virtual ~MainWindowLink() = default;

    // Posts `message` with `payload` (a heap object of the message's type,
    // see notify.h, or 0) to the window's thread. On true the window owns the
    // payload; on false nothing was posted and the caller still owns it. Any
    // thread.
    virtual bool Post(uint32_t message, intptr_t payload) = 0;

    // The window's handle as a number for the full installer's command line;
    // 0 when the window has none.
    virtual intptr_t Handle() const { return 0; }

    SharedState& Shared() { return m_shared; }
    const SharedState& Shared() const { return m_shared; }

  private:
    SharedState m_shared;
};

// The application's main-window pointer. Set by the front end before the
// worker starts (null: no window; notifications are then dropped).
MainWindowLink* GetMainWindow();
void SetMainWindow(MainWindowLink* window);
