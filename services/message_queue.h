// A main-window message target without a platform window: a queue that keeps
// the posting order and hands each message to the thread that drains it.
// The Linux front ends and the tests use it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include "services/main_window_link.h"

struct QueuedMessage {
    uint32_t message;
    intptr_t payload;  // owned by whoever took the message off the queue
};

class MessageQueue : public MainWindowLink {
  public:
    MessageQueue() = default;
    // Frees the payloads of messages nobody took.
    ~MessageQueue() override;

    // Any thread. Appends the message and calls the wake-up function (if one
    // is set) so a UI loop can drain the queue. Refused (false) after Close().
    bool Post(uint32_t message, intptr_t payload) override;

    // Takes the oldest message, waiting up to `timeout` for one. False when
    // none arrived in time.
    bool Take(QueuedMessage& out, std::chrono::milliseconds timeout);
    // Takes the oldest message if there is one, without waiting.
    bool TryTake(QueuedMessage& out);

    // Called after every post, on the posting thread (for example to schedule
    // the draining on a GTK main loop). Set before the worker starts.
    void SetWakeUp(std::function<void()> wakeUp);

    // Refuses every later post.
    void Close();

  private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<QueuedMessage> m_messages;  // guarded by m_mutex
    bool m_closed = false;                 // guarded by m_mutex
    std::function<void()> m_wakeUp;
};
