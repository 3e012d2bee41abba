#include "platform/win/Win.h"

#include "platform/os/Memory.h"
#include "platform/os/WindowModule.h"
#include "platform/win/DialogBuilder.h"
#include "platform/win/DialogWidget.h"
#include "platform/win/Gdi.h"
#include "platform/win/OutputView.h"
#include "platform/win/WinInternal.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace platform {

namespace {} // namespace

void DialogWidget::Command(int id, LPARAM control) {
    if (!m_bSetUp) {
        m_waiting.emplace_back(id, control);
        return;
    }
    m_pDialog->WindowProc(WM_COMMAND, MAKEWPARAM(unsigned(id), BN_CLICKED), control);
}

void DialogWidget::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            button->click();
        } else {
            Command(IDOK, 0);
        }
        return;
    case Qt::Key_Escape:
        Command(IDCANCEL, 0);
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

// The dialog paints through WM_PAINT; what it draws while the window system is painting it
// reaches the screen.
void DialogWidget::paintEvent(QPaintEvent* /*event*/) {
    QWidget* const outer = std::exchange(PaintingWidget(), this);
    DispatchToDialog(m_pDialog, WM_PAINT, 0, 0);
    PaintingWidget() = outer;
}

void DialogWidget::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    DialogGeometryChanged(m_pDialog, this, GeometryChange::Size);
}

void DialogWidget::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    DialogGeometryChanged(m_pDialog, this, GeometryChange::Move);
}

void DialogWidget::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        DialogGeometryChanged(m_pDialog, this, GeometryChange::State);
}

void DialogWidget::closeEvent(QCloseEvent* event) {
    // The close box is a cancel command; the dialog decides whether it ends.
    event->ignore();
    Command(IDCANCEL, 0);
}

bool SendMessageChecked(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    LRESULT answer = 0;
    const bool found = WithWindow(window, [&](WindowRecord& record) {
        answer = record.dialog ? DispatchToDialog(record.dialog, message, wParam, lParam)
                               : ControlMessage(record, message, wParam, lParam);
    });
    if (result)
        *result = answer;
    return found;
}

LRESULT DefaultWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT answer = 0;
    WithWindow(window, [&](WindowRecord& record) {
        answer = ControlMessage(record, message, wParam, lParam);
    });
    return answer;
}

} // namespace platform

using namespace platform;

// ---- CWnd ----------------------------------------------------------------------------------

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    LRESULT result = 0;
    SendMessageChecked(m_hWnd, message, wParam, lParam, &result);
    return result;
}
