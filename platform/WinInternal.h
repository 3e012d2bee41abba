#pragma once

// Pieces of the window-system layer shared by its own source files only.

#include "platform/Win.h"

#include <QApplication>
#include <QFont>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <map>

struct FontData {
    QFont font;
};

namespace platform {

// Every live window, by handle. Only the window thread reads or writes this map.
struct WindowRecord {
    QPointer<QWidget> widget;
    CDialog* dialog = nullptr; // set for dialog windows
    int id = 0;
    HWND parent = 0;
    HICON icon = nullptr;
};

std::map<HWND, WindowRecord>& Windows();
// The application's main window, readable from any thread.
extern std::atomic<HWND> g_mainWindow;

bool OnWindowThread();

// Runs work on the window thread: directly when called there, otherwise queued to the window
// thread while the caller waits. Without an application object nothing runs.
template <class Work> void RunOnWindowThread(Work&& work) {
    if (OnWindowThread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(qApp, std::forward<Work>(work), Qt::BlockingQueuedConnection);
}

// Calls use(record) on the window thread for a live window; false when the window is gone.
template <class Use> bool WithWindow(HWND window, Use&& use) {
    bool found = false;
    RunOnWindowThread([&] {
        auto it = Windows().find(window);
        if (it == Windows().end() || it->second.widget.isNull())
            return;
        found = true;
        use(it->second);
    });
    return found;
}

// The default handling of a message by a window: what a control does with it.
LRESULT DefaultWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
MessageBoxFunction& MessageBoxHook();

// Pictures: messages about images and icons that a control or dialog handles by default, and the
// window being painted by the window system at this moment (null outside a paint).
LRESULT PictureMessage(WindowRecord& record, UINT message, WPARAM wParam, LPARAM lParam);
QWidget*& PaintingWidget();
} // namespace platform
