// What assistive technology learns of the output box: an editable-text role, read-only and
// multi-line, named by its template ("Passwords"); its description is its number of lines and its
// value where the caret and the selection are. Its text is never handed over whole: a run can
// leave a million lines in it.

#include "platform/win/OutputView.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace platform {

namespace {

class OutputViewAccessible : public QAccessibleWidget {
public:
    explicit OutputViewAccessible(OutputView* view)
        : QAccessibleWidget(view, QAccessible::EditableText), m_pView(view) {}

    QString text(QAccessible::Text kind) const override {
        switch (kind) {
        case QAccessible::Description:
            return m_pView->AccessibleLines();
        case QAccessible::Value:
            return m_pView->AccessiblePosition();
        default:
            return QAccessibleWidget::text(kind);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        state.selectableText = true;
        return state;
    }

private:
    OutputView* m_pView;
};

} // namespace

void OutputView::MakeAccessible() {
    // Interfaces registered for an object are found before the toolkit's own factories, which
    // would describe the box as a plain scroll area. The cache deletes it with the box.
    QAccessible::registerAccessibleInterface(new OutputViewAccessible(this));
}

void OutputView::NotifyAccessible(bool linesChanged) {
    if (!QAccessible::isActive()) // no one listens: nothing is worked out
        return;
    if (linesChanged) {
        QAccessibleEvent event(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    }
    QAccessibleValueChangeEvent event(this, AccessiblePosition());
    QAccessible::updateAccessibility(&event);
}

QString OutputView::AccessibleLines() const {
    // A break at the end starts no further line of text.
    std::size_t lines = m_text.empty() ? 0 : LineCount();
    if (lines > 1 && LineStart(lines - 1) == m_text.size())
        --lines;
    return lines == 1 ? QStringLiteral("1 line") : QStringLiteral("%1 lines").arg(lines);
}

QString OutputView::AccessiblePosition() const {
    const auto where = [this](std::size_t offset) {
        return QStringLiteral("line %1, column %2").arg(LineOf(offset) + 1).arg(Column(offset) + 1);
    };
    if (m_nAnchor == m_nCaret)
        return where(m_nCaret);
    return QStringLiteral("selected from %1 to %2")
        .arg(where(std::min(m_nAnchor, m_nCaret)), where(std::max(m_nAnchor, m_nCaret)));
}

} // namespace platform
