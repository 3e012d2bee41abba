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

bool IsSettingUp(const QWidget* window) {
    const auto* dialog = dynamic_cast<const DialogWidget*>(window);
    return dialog != nullptr && !dialog->IsSetUp();
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

// ---- CDialog -------------------------------------------------------------------------------

struct CDialog::Impl {
    std::unique_ptr<DialogWidget> widget;
    HWND parent = 0;
    std::optional<int> ended;   // the result, once EndDialog has been called
    QEventLoop* loop = nullptr; // the modal loop while it runs
};

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_pImpl(std::make_unique<Impl>()), m_nTemplateId(templateId) {
    m_pImpl->parent = parent ? parent->GetSafeHwnd() : 0;
}

CDialog::~CDialog() {
    if (m_hWnd != 0)
        UnregisterWindow(m_hWnd);
}

void* CDialog::NativeWindow() const {
    return m_pImpl->widget.get();
}

INT_PTR CDialog::DoModal() {
    const DialogTemplate* dialogTemplate = FindDialogTemplate(m_nTemplateId);
    if (dialogTemplate == nullptr || !EnsureGuiApplication())
        return -1;

    m_pImpl->widget = std::make_unique<DialogWidget>(this, WidgetOf(m_pImpl->parent));
    DialogWidget* widget = m_pImpl->widget.get();
    const DialogUnits units = ShapeDialogWindow(*widget, *dialogTemplate);
    WindowRecord record;
    record.widget = widget;
    record.dialog = this;
    m_hWnd = RegisterWindow(record);
    if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == this)
        g_mainWindow.store(m_hWnd);
    const std::vector<QWidget*> children = CreateControls(*widget, m_hWnd, *dialogTemplate, units);

    // As a dialog manager does: the window is created hidden, OnInitDialog fills and places it,
    // and only then is it shown, so that it appears once, where it belongs, with its values.
    m_pImpl->ended.reset();
    PrepareDialogWindow(this, widget);
    // TRUE from OnInitDialog asks for the focus on the first tab stop that can take it.
    if (OnInitDialog()) {
        for (std::size_t i = 0; i < children.size(); ++i) {
            const ControlTemplate& control = dialogTemplate->controls[i];
            if ((control.style & kTabStop) && control.visible && children[i]->isEnabled()) {
                children[i]->setFocus(Qt::TabFocusReason);
                break;
            }
        }
    }
    for (const auto& [id, control] : widget->FinishSetUp()) {
        if (m_pImpl->ended)
            break;
        widget->Command(id, control);
    }
    if (!m_pImpl->ended)
        ShowDialogWindow(widget);
    // The dialog's own loop rather than QDialog::exec, so that an end asked for at any moment,
    // even while the window is being shown, ends it.
    if (!m_pImpl->ended) {
        QEventLoop loop;
        m_pImpl->loop = &loop;
        loop.exec(QEventLoop::DialogExec);
        m_pImpl->loop = nullptr;
    }
    const int result = m_pImpl->ended.value_or(0);

    UnregisterWindow(m_hWnd);
    m_hWnd = 0;
    m_pImpl->widget.reset();
    return result;
}

void CDialog::EndDialog(int result) {
    // The end is kept, so that a dialog ended before its loop runs never shows or waits.
    m_pImpl->ended = result;
    if (m_pImpl->widget)
        m_pImpl->widget->done(result);
    if (m_pImpl->loop)
        m_pImpl->loop->exit();
}

BOOL CDialog::OnInitDialog() {
    return TRUE;
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCommand(UINT id, UINT code) {
    if (code != BN_CLICKED)
        return FALSE;
    if (id == UINT(IDOK)) {
        OnOK();
        return TRUE;
    }
    if (id == UINT(IDCANCEL)) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND)
        return OnCommand(LOWORD(wParam), HIWORD(wParam)) ? 0 : 1;
    return DefaultWindowProc(m_hWnd, message, wParam, lParam);
}
