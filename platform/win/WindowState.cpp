// A window's state that the user sees apart from its place: enabled, visible, focused.

#include "platform/win/WinInternal.h"

using namespace platform;

void CWnd::EnableWindow(BOOL enable) const {
    WithWindow(m_hWnd, [&](WindowRecord& record) { record.widget->setEnabled(enable != FALSE); });
}

BOOL CWnd::IsWindowEnabled() const {
    return WidgetState(m_hWnd, &QWidget::isEnabled);
}

BOOL CWnd::IsWindowVisible() const {
    return WidgetState(m_hWnd, &QWidget::isVisible);
}

void CWnd::SetFocus() const {
    WithWindow(m_hWnd,
               [&](WindowRecord& record) { record.widget->setFocus(Qt::OtherFocusReason); });
}
