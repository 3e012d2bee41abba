// The messages of the standard controls: fonts and icons, check boxes, the selection of a
// single-line edit, and the progress bar's position and range.

#include "platform/win/WinInternal.h"

#include <QAbstractButton>
#include <QIcon>
#include <QLineEdit>
#include <QProgressBar>
#include <algorithm>

namespace platform {

LRESULT ControlMessage(WindowRecord& record, UINT message, WPARAM wParam, LPARAM lParam) {
    QWidget* widget = record.widget;
    switch (message) {
    case WM_SETFONT:
        if (const auto* font = reinterpret_cast<const CFont*>(wParam);
            font && font->GetSafeHandle())
            widget->setFont(static_cast<const FontData*>(font->GetSafeHandle())->font);
        return 0;
    case WM_SETICON: {
        const HICON previous = record.icon;
        record.icon = reinterpret_cast<HICON>(lParam);
        widget->setWindowIcon(record.icon ? *static_cast<const QIcon*>(record.icon) : QIcon());
        return reinterpret_cast<LRESULT>(previous);
    }
    case BM_GETCHECK:
        if (auto* box = qobject_cast<QAbstractButton*>(widget))
            return box->isChecked() ? BST_CHECKED : BST_UNCHECKED;
        return 0;
    case BM_SETCHECK:
        if (auto* box = qobject_cast<QAbstractButton*>(widget); box && box->isCheckable())
            box->setChecked(wParam != 0);
        return 0;
    case EM_SETSEL:
        // The output box handles its own selection; a single-line edit takes it here.
        if (auto* line = qobject_cast<QLineEdit*>(widget)) {
            const int length = int(line->text().size());
            const int anchor = LPARAM(wParam) < 0 ? length : std::min<int>(int(wParam), length);
            const int caret = lParam < 0 ? length : std::min<int>(int(lParam), length);
            line->setSelection(anchor, caret - anchor);
        }
        return 0;
    case EM_SCROLLCARET:
        // A single-line edit keeps its caret in view by itself.
        return 1;
    case PBM_SETPOS:
        if (auto* bar = qobject_cast<QProgressBar*>(widget)) {
            const int previous = bar->value() < bar->minimum() ? bar->minimum() : bar->value();
            bar->setValue(std::clamp<int>(int(wParam), bar->minimum(), bar->maximum()));
            return previous;
        }
        return 0;
    case PBM_GETPOS:
        if (auto* bar = qobject_cast<QProgressBar*>(widget))
            return bar->value() < bar->minimum() ? bar->minimum() : bar->value();
        return 0;
    case PBM_GETRANGE:
        if (auto* bar = qobject_cast<QProgressBar*>(widget))
            return wParam ? bar->minimum() : bar->maximum();
        return 0;
    default:
        return 0;
    }
}

} // namespace platform

using namespace platform;

void CProgressCtrl::GetRange(int& low, int& high) const {
    low = int(SendMessage(PBM_GETRANGE, TRUE));
    high = int(SendMessage(PBM_GETRANGE, FALSE));
}
