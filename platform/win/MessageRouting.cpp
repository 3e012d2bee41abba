// Message routing: where every message that the layer delivers goes.
//
// - A message to a dialog goes to its WindowProc, recorded as the message being handled, so that
//   CDialog::Default gives that message its default processing.
// - A message to a control, and a dialog's default processing of a message, go first to a custom
//   control of the layer's own (which answers what it handles itself), then to the picture
//   messages (Gdi.cpp) or the standard controls' messages (ControlMessages.cpp).
// - What the window system tells a dialog's window becomes the dialog's messages: a paint is
//   WM_PAINT while the window system paints it; Enter, Esc, button clicks and the close box are
//   WM_COMMAND, held until the dialog is set up; size, move and state changes are WM_SIZE and
//   WM_MOVE, worked out by WinGeometry.cpp.

#include "platform/win/CustomControl.h"
#include "platform/win/DialogWidget.h"
#include "platform/win/Gdi.h"
#include "platform/win/WinInternal.h"

#include <QKeyEvent>
#include <QPushButton>
#include <utility>

namespace platform {

namespace {

// The message that DispatchToDialog is handing to a dialog on this thread, for Default.
struct CurrentMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
thread_local CurrentMessage t_current;

// A message to a control, or the default processing of a message by any window.
LRESULT ToControl(WindowRecord& record, UINT message, WPARAM wParam, LPARAM lParam) {
    if (auto* custom = dynamic_cast<CustomControl*>(record.widget.data())) {
        LRESULT answer = 0;
        if (custom->HandleMessage(message, wParam, lParam, answer))
            return answer;
    }
    switch (message) {
    case BM_SETIMAGE:
    case WM_ICONERASEBKGND:
        return PictureMessage(record, message, wParam, lParam);
    default:
        return ControlMessage(record, message, wParam, lParam);
    }
}

} // namespace

LRESULT DispatchToDialog(CDialog* dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    const CurrentMessage outer = t_current;
    t_current = {message, wParam, lParam};
    const LRESULT result = dialog->WindowProc(message, wParam, lParam);
    t_current = outer;
    return result;
}

bool SendMessageChecked(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    LRESULT answer = 0;
    const bool found = WithWindow(window, [&](WindowRecord& record) {
        answer = record.dialog ? DispatchToDialog(record.dialog, message, wParam, lParam)
                               : ToControl(record, message, wParam, lParam);
    });
    if (result)
        *result = answer;
    return found;
}

LRESULT DefaultWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ReadWindow(window, LRESULT(0), [&](WindowRecord& record) {
        return ToControl(record, message, wParam, lParam);
    });
}

// ---- the dialog window's events ------------------------------------------------------------

void DialogWidget::Command(int id, LPARAM control) {
    if (!m_bSetUp) {
        m_waiting.emplace_back(id, control);
        return;
    }
    DispatchToDialog(m_pDialog, WM_COMMAND, MAKEWPARAM(unsigned(id), BN_CLICKED), control);
}

// The window system's events for the dialog's window: keys, paints and the close box become the
// dialog's messages here; size, move and state changes after the window has taken them.
bool DialogWidget::event(QEvent* event) {
    const auto thenNotify = [&](GeometryChange change) {
        const bool handled = QDialog::event(event);
        DialogGeometryChanged(m_pDialog, this, change);
        return handled;
    };
    switch (event->type()) {
    case QEvent::KeyPress:
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
                button->click();
            else
                Command(IDOK, 0);
            return true;
        case Qt::Key_Escape:
            Command(IDCANCEL, 0);
            return true;
        default:
            return QDialog::event(event);
        }
    case QEvent::Paint: {
        // The dialog paints through WM_PAINT; what it draws while the window system is painting
        // it reaches the screen.
        QWidget* const outer = std::exchange(PaintingWidget(), this);
        DispatchToDialog(m_pDialog, WM_PAINT, 0, 0);
        PaintingWidget() = outer;
        return true;
    }
    case QEvent::Close:
        // The close box is a cancel command; the dialog decides whether it ends.
        event->ignore();
        Command(IDCANCEL, 0);
        return true;
    case QEvent::Resize:
        return thenNotify(GeometryChange::Size);
    case QEvent::Move:
        return thenNotify(GeometryChange::Move);
    case QEvent::WindowStateChange:
        return thenNotify(GeometryChange::State);
    default:
        return QDialog::event(event);
    }
}

} // namespace platform

using namespace platform;

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    LRESULT result = 0;
    SendMessageChecked(m_hWnd, message, wParam, lParam, &result);
    return result;
}

LRESULT CDialog::Default() {
    return CDialog::WindowProc(t_current.message, t_current.wParam, t_current.lParam);
}
