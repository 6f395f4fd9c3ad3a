// Worker-to-window notifications. The worker never touches the window: it
// posts one of five messages whose payload the window takes over and frees.
// The posting functions run on the worker thread; the Take* functions on the
// window's thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Message numbers (WM_USER + 100 ... + 105).
inline constexpr uint32_t kMsgWorkerDone = 1124;   // payload 0: the worker has finished
inline constexpr uint32_t kMsgStatusText = 1125;   // std::wstring*: the status line
inline constexpr uint32_t kMsgErrorText = 1126;    // std::wstring*: switch to the error view
inline constexpr uint32_t kMsgProgress = 1127;     // ProgressInfo*: progress text and bar
inline constexpr uint32_t kMsgBusy = 1128;         // bool*: the running animation on/off
inline constexpr uint32_t kMsgStopRequest = 1129;  // from outside: hide and ask the worker to stop

// The payload of 1127.
struct ProgressInfo {
    int32_t kind;     // 1..9, selects the text (ProgressText)
    int32_t value;    // hours, minutes or seconds left for kinds 3, 4, 5
    int32_t percent;  // 0..100; 0 leaves the bar as it is
};

// With code 0: posts 1125 with a copy of `text` (an empty text blanks the
// line). Otherwise the error view: NotifyError with `text`, or, when it is
// empty, with "安装过程遇到错误 0x8%07X" formatted with the code as an
// unsigned 32-bit number.
void NotifyStatus(const std::wstring& text, int32_t code);
// Posts 1126 with a copy of `text`.
void NotifyError(const std::wstring& text);
// Posts 1127 with a new ProgressInfo.
void NotifyProgress(int32_t kind, int32_t value, int32_t percent);
// Posts 1128 with a new bool set to true.
void NotifyBusy();
// Posts 1124 (no payload): the worker's very last act.
void NotifyWorkerDone();

// The status text of a progress step: kinds 3 to 5 with `value` in place of
// %d; "" for a kind outside 1 to 9.
std::wstring ProgressText(const ProgressInfo& info);

// Takes over the payload of a received message (null for a null payload).
std::unique_ptr<std::wstring> TakeText(intptr_t payload);
std::unique_ptr<ProgressInfo> TakeProgress(intptr_t payload);
std::unique_ptr<bool> TakeBusy(intptr_t payload);

// Frees the payload of any of the messages above.
void FreePayload(uint32_t message, intptr_t payload);

// A random number drawn once per process, never 0. Where the window has a
// handle that other processes can post to (Windows), the worker's messages
// carry it in wParam, so the window can tell them from messages that
// another process posts to the same handle. Any thread.
uintptr_t WorkerMessageCookie();
// True for a 1124 to 1128 whose wParam is not this process's cookie: it did
// not come from the worker, and its payload is a number from another
// process, never to be read or freed. The window drops such a message.
// 1129 is meant to come from outside and is never forged.
bool IsForgedWorkerMessage(uint32_t message, uintptr_t wParam);
