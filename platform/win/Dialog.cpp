// Modal dialogs: DoModal builds the window from the template hidden, lets OnInitDialog fill and
// place it, shows it and runs its loop until EndDialog; the default handlers of the commands.

#include "platform/win/DialogBuilder.h"
#include "platform/win/DialogWidget.h"
#include "platform/win/OutputView.h"
#include "platform/win/WinInternal.h"

#include <QEventLoop>
#include <QLineEdit>
#include <optional>
#include <vector>

namespace platform {

namespace {

// As a dialog manager gives the focus to a control: an edit has its whole text selected, so that
// what the user types replaces it. (Tab does the same: the edits select their text themselves when
// the focus comes by Tab.)
void FocusFirstTabStop(const DialogTemplate& dialogTemplate,
                       const std::vector<QWidget*>& controls) {
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const ControlTemplate& control = dialogTemplate.controls[i];
        if ((control.style & kTabStop) && control.visible && controls[i]->isEnabled()) {
            QWidget* const first = controls[i];
            first->setFocus(Qt::TabFocusReason);
            if (auto* line = qobject_cast<QLineEdit*>(first))
                line->selectAll();
            else if (auto* output = dynamic_cast<OutputView*>(first))
                output->SelectAll();
            return;
        }
    }
}

} // namespace

bool IsSettingUp(const QWidget* window) {
    const auto* dialog = dynamic_cast<const DialogWidget*>(window);
    return dialog != nullptr && !dialog->IsSetUp();
}

} // namespace platform

using namespace platform;

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
    if (OnInitDialog())
        FocusFirstTabStop(*dialogTemplate, children);
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
