#include "services/main_window_link.h"

std::wstring SharedState::Uuid() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_strUuid;
}

void SharedState::SetUuid(const std::wstring& uuid) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_strUuid = uuid;
}

std::wstring SharedState::AppVersion() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_strAppVersion;
}

void SharedState::SetAppVersion(const std::wstring& version) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_strAppVersion = version;
}

namespace {
std::atomic<MainWindowLink*> g_mainWindow{nullptr};
}

MainWindowLink* GetMainWindow() {
    return g_mainWindow.load();
}

void SetMainWindow(MainWindowLink* window) {
    g_mainWindow.store(window);
}
