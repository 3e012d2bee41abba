#pragma once

// Pieces of the window-system layer shared by its own source files only.

#include "platform/win/Win.h"

#include <QApplication>
#include <QFont>
#include <QPointer>
#include <QWidget>
#include <atomic>

// What a CFont holds (Font.cpp).
struct FontData {
    QFont font;
};

namespace platform {

// ---- The handle registry (Handles.cpp): the window thread's alone --------------------------

// What the layer knows of a live window.
struct WindowRecord {
    QPointer<QWidget> widget;
    CDialog* dialog = nullptr; // set for dialog windows
    int id = 0;
    HWND parent = 0;
    HICON icon = nullptr;
};

// Gives a new window its handle.
HWND RegisterWindow(const WindowRecord& record);
// Forgets a window and the controls it is the parent of; a main window that goes is no longer the
// main window.
void UnregisterWindow(HWND window);
// The record of a live window; null when the window is gone.
WindowRecord* FindWindowRecord(HWND window);
// The widget of a live window; null when the window is gone or the handle is 0.
QWidget* WidgetOf(HWND window);
// The application's main window, readable from any thread.
extern std::atomic<HWND> g_mainWindow;

// ---- The window thread (WindowThread.cpp) --------------------------------------------------

// True on the thread that owns the windows, and on every thread before the application object
// exists.
bool OnWindowThread();

// Runs work on the window thread: directly when called there, otherwise queued to the window
// thread while the caller waits.
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
        if (WindowRecord* record = FindWindowRecord(window)) {
            found = true;
            use(*record);
        }
    });
    return found;
}

// What read(record) gives for a live window, read on the window thread; fallback when the window
// is gone.
template <class Result, class Read> Result ReadWindow(HWND window, Result fallback, Read&& read) {
    WithWindow(window, [&](WindowRecord& record) { fallback = read(record); });
    return fallback;
}

// A widget's yes-or-no state (isEnabled, isVisible, ...), read on the window thread; FALSE when
// the window is gone.
inline BOOL WidgetState(HWND window, bool (QWidget::*state)() const) {
    return ReadWindow(window, FALSE,
                      [&](WindowRecord& record) { return BOOL((record.widget->*state)()); });
}

// ---- Message routing (MessageRouting.cpp) and where messages end up ------------------------

// Hands a message to a dialog's WindowProc, recording it for CDialog::Default.
LRESULT DispatchToDialog(CDialog* dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The default handling of a message by a window: what a control does with it.
LRESULT DefaultWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The messages of the standard controls (ControlMessages.cpp); 0 for any other message.
LRESULT ControlMessage(WindowRecord& record, UINT message, WPARAM wParam, LPARAM lParam);
// Messages about images and icons that a control or dialog handles by default (Gdi.cpp).
LRESULT PictureMessage(WindowRecord& record, UINT message, WPARAM wParam, LPARAM lParam);
// The window being painted by the window system at this moment; null outside a paint (Gdi.cpp).
QWidget*& PaintingWidget();

// ---- Dialogs (Dialog.cpp) and their geometry (WinGeometry.cpp, WinX11.cpp) -----------------

// True while a dialog window is being set up: created, its OnInitDialog not yet returned.
bool IsSettingUp(const QWidget* window);

// Before OnInitDialog: creates the window without showing it, learns the frame it will have, so
// that outer rectangles hold from the start, asks the dialog for its size limits and puts the
// window at its default place. Where the frame cannot be known before the window is shown, the
// window is shown and its frame waited for.
void PrepareDialogWindow(CDialog* dialog, QWidget* widget);
// Shows a set-up dialog window, modal over its owner when it has one.
void ShowDialogWindow(QWidget* widget);

// What the window system says about a new window's frame before the window is shown
// (WinX11.cpp). Known: the window's frame margins hold it now. NoWindowManager: nothing will
// frame the window. Unknown: the frame is known only once the window is on the screen.
// OnceShown: the toolkit frames the window itself as it shows it (Wayland's client-side
// decorations), or the compositor does and never tells: the window is shown first, and nothing is
// waited for.
enum class FrameNotice { Known, NoWindowManager, Unknown, OnceShown };
FrameNotice AskFrameBeforeShowing(QWidget* window);
// Size, move and window-state changes reach the dialog as WM_SIZE and WM_MOVE; a changed frame
// converts the outer size limits to client pixels again.
enum class GeometryChange { Size, Move, State };
void DialogGeometryChanged(CDialog* dialog, QWidget* widget, GeometryChange change);

} // namespace platform
