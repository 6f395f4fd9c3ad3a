#include "services/message_queue.h"

#include "services/notify.h"

MessageQueue::~MessageQueue() {
    for (const QueuedMessage& m : m_messages) {
        FreePayload(m.message, m.payload);
    }
}

bool MessageQueue::Post(uint32_t message, intptr_t payload) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_closed) {
            return false;
        }
        m_messages.push_back({message, payload});
    }
    m_ready.notify_one();
    if (m_wakeUp) {
        m_wakeUp();
    }
    return true;
}

bool MessageQueue::Take(QueuedMessage& out, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_ready.wait_for(lock, timeout, [this] { return !m_messages.empty(); })) {
        return false;
    }
    out = m_messages.front();
    m_messages.pop_front();
    return true;
}

bool MessageQueue::TryTake(QueuedMessage& out) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_messages.empty()) {
        return false;
    }
    out = m_messages.front();
    m_messages.pop_front();
    return true;
}

void MessageQueue::SetWakeUp(std::function<void()> wakeUp) {
    m_wakeUp = std::move(wakeUp);
}

void MessageQueue::Close() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_closed = true;
}
