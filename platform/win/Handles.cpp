// The handle registry: every live window by its handle, the controls of a dialog by their ids,
// and the application's main window. Handles count up from 1 and are never reused.

#include "platform/win/WinInternal.h"

#include <map>

namespace platform {

std::atomic<HWND> g_mainWindow{0};

namespace {

// Only the window thread reads or writes this map.
std::map<HWND, WindowRecord>& Windows() {
    static std::map<HWND, WindowRecord> windows;
    return windows;
}

HWND g_nextHandle = 1;

} // namespace

HWND RegisterWindow(const WindowRecord& record) {
    const HWND handle = g_nextHandle++;
    Windows()[handle] = record;
    return handle;
}

void UnregisterWindow(HWND window) {
    for (auto it = Windows().begin(); it != Windows().end();) {
        if (it->first == window || it->second.parent == window)
            it = Windows().erase(it);
        else
            ++it;
    }
    if (g_mainWindow.load() == window)
        g_mainWindow.store(0);
}

WindowRecord* FindWindowRecord(HWND window) {
    auto it = Windows().find(window);
    if (it == Windows().end() || it->second.widget.isNull())
        return nullptr;
    return &it->second;
}

QWidget* WidgetOf(HWND window) {
    const WindowRecord* record = FindWindowRecord(window);
    return record ? record->widget.data() : nullptr;
}

} // namespace platform

using namespace platform;

CWnd::~CWnd() = default;

CWnd CWnd::GetDlgItem(int id) const {
    HWND found = 0;
    RunOnWindowThread([&] {
        for (const auto& [handle, record] : Windows()) {
            if (record.parent == m_hWnd && record.id == id && m_hWnd != 0) {
                found = handle;
                break;
            }
        }
    });
    return CWnd(found);
}
