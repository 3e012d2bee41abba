// Window texts: what a control shows, read and written as the system's 8-bit text, in which the
// lines of a multi-line edit end with "\r\n".

#include "platform/os/Memory.h"
#include "platform/win/CustomControl.h"
#include "platform/win/WinInternal.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>
#include <cstring>
#include <limits>

namespace platform {

std::size_t MaxWindowTextBytes() {
    const std::size_t limit = std::size_t(std::numeric_limits<int>::max());
    const std::size_t physical = PhysicalMemoryBytes();
    return physical == 0 ? limit : std::min(limit, physical / 8);
}

namespace {

// Text of a multi-line edit as the system sees it: lines separated by "\r\n". Both directions
// convert in one pass over the bytes, so that texts of millions of lines cost little.
CString ToSystemText(const QString& text, bool multiLine) {
    const QByteArray bytes = text.toUtf8();
    if (!multiLine)
        return CString(bytes.constData(), std::size_t(bytes.size()));
    const char* data = bytes.constData();
    const std::size_t size = std::size_t(bytes.size());
    CString result;
    result.reserve(size + std::size_t(std::count(data, data + size, '\n')));
    for (std::size_t start = 0; start < size;) {
        const void* found = std::memchr(data + start, '\n', size - start);
        const std::size_t end = found ? std::size_t(static_cast<const char*>(found) - data) : size;
        result.append(data + start, end - start);
        if (found)
            result += "\r\n";
        start = end + 1;
    }
    return result;
}

QString FromSystemText(const CString& text, bool multiLine) {
    if (!multiLine)
        return QString::fromUtf8(text.data(), qsizetype(text.size()));
    CString lines;
    lines.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' || i + 1 >= text.size() || text[i + 1] != '\n')
            lines += text[i];
    }
    return QString::fromUtf8(lines.data(), qsizetype(lines.size()));
}

// A multi-line edit's text as it was set: QTextDocument::toPlainText would turn a no-break space
// into a plain one, so the raw text is taken and only its block separators become line breaks.
QString PlainTextOf(const QPlainTextEdit* edit) {
    return edit->document()->toRawText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
}

} // namespace

} // namespace platform

using namespace platform;

CString CWnd::GetWindowText() const {
    CString text;
    WithWindow(m_hWnd, [&](WindowRecord& record) {
        QWidget* widget = record.widget;
        if (auto* custom = dynamic_cast<CustomControl*>(widget))
            text = custom->WindowText();
        else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget))
            text = ToSystemText(PlainTextOf(edit), true);
        else if (auto* line = qobject_cast<QLineEdit*>(widget))
            text = ToSystemText(line->text(), false);
        else if (auto* button = qobject_cast<QAbstractButton*>(widget))
            text = ToSystemText(button->text(), false);
        else if (auto* label = qobject_cast<QLabel*>(widget))
            text = ToSystemText(label->text(), false);
        else
            text = ToSystemText(widget->windowTitle(), false);
    });
    return text;
}

void CWnd::SetWindowText(const CString& text) const {
    SetWindowText(CString(text));
}

void CWnd::SetWindowText(CString&& text) const {
    WithWindow(m_hWnd, [&](WindowRecord& record) {
        QWidget* widget = record.widget;
        if (auto* custom = dynamic_cast<CustomControl*>(widget))
            custom->SetWindowText(std::move(text));
        else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget))
            edit->setPlainText(FromSystemText(text, true));
        else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
            line->setText(FromSystemText(text, false));
            line->setCursorPosition(0); // a long text shows its start, caret before it
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget))
            button->setText(FromSystemText(text, false));
        else if (auto* label = qobject_cast<QLabel*>(widget))
            label->setText(FromSystemText(text, false));
        else
            widget->setWindowTitle(FromSystemText(text, false));
    });
}
