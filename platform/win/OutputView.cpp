#include "platform/win/OutputView.h"

#include "platform/os/Memory.h"
#include "platform/os/Utf8.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace platform {

CustomControl::~CustomControl() = default;

namespace {

constexpr int kMargin = 2; // pixels between the frame and the text, left and top

// A word loaded from memory holds its first byte lowest: the order the break scan relies on.
constexpr bool kLittleEndian = std::endian::native == std::endian::little;

} // namespace

OutputView::OutputView(unsigned style, QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(style & kVScroll ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
    // Long lines scroll sideways with the caret (and a sideways wheel), without a bar: the box has
    // few lines, and a bar would take one of them.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    if (!(style & kBorder))
        setFrameStyle(QFrame::NoFrame);
    viewport()->setCursor(Qt::IBeamCursor);
    m_dragTimer.setInterval(50);
    m_dragTimer.callOnTimeout([this] { DragScroll(); });
    UpdateMetrics();
    UpdateScrollBars();
    MakeAccessible();
}

OutputView::~OutputView() {
    WipeString(m_text);
}

// ---- text and lines ------------------------------------------------------------------------

void OutputView::SetText(CString&& text) {
    WipeString(m_text);
    m_text = std::move(text);
    WipeString(text); // a short text was copied, and a long one may have left our old buffer there
    BuildLineIndex();
    m_nAnchor = m_nCaret = 0;
    m_bKeepGoal = false;
    UpdateScrollBars();
    verticalScrollBar()->setValue(0);
    m_nShift = 0;
    viewport()->update();
    NotifyAccessible(true);
}

void OutputView::BuildLineIndex() {
    const char* const data = m_text.data();
    const std::size_t size = m_text.size();
    m_lines.Clear();
    m_columns.Clear();
    std::size_t maxColumns = 0;
    std::size_t start = 0;
    std::size_t line = 0;
    // Long lines are indexed, and so counted; of the others only a line with more bytes than the
    // longest so far can have more characters.
    const auto endLine = [&](std::size_t end) {
        if (end > start && data[end - 1] == '\r')
            --end;
        if (const std::optional<std::size_t> columns = m_columns.AddLine(line++, data, start, end))
            maxColumns = std::max(maxColumns, *columns);
        else if (end - start > maxColumns) {
            std::size_t columns = 0;
            for (std::size_t at = start; at < end; ++columns)
                at +=
                    Utf8SequenceLength(reinterpret_cast<const unsigned char*>(data) + at, end - at);
            maxColumns = std::max(maxColumns, columns);
        }
    };
    // Eight bytes at a time: a "\n" turns its byte of word ^ kBreaks to zero, which the classic
    // test marks. Only the lowest mark is exact (a borrow can mark a byte above a zero byte), so
    // the scan resumes after the first.
    constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
    constexpr std::uint64_t kBreaks = kOnes * '\n';
    std::size_t at = 0;
    while (at < size) {
        std::size_t found = size;
        if (kLittleEndian && size - at >= 8) {
            std::uint64_t word;
            std::memcpy(&word, data + at, 8);
            word ^= kBreaks;
            const std::uint64_t zero = (word - kOnes) & ~word & kHighs;
            if (zero == 0) {
                at += 8;
                continue;
            }
            found = at + std::size_t(std::countr_zero(zero)) / 8;
        } else {
            const void* hit = std::memchr(data + at, '\n', size - at);
            if (hit != nullptr)
                found = std::size_t(static_cast<const char*>(hit) - data);
        }
        if (found == size)
            break;
        endLine(found);
        start = at = found + 1;
        m_lines.AddLine(start);
    }
    endLine(size);
    m_nMaxColumns = maxColumns;
}

std::size_t OutputView::LineEnd(std::size_t line) const {
    if (line + 1 >= LineCount())
        return m_text.size();
    const std::size_t end = LineStart(line + 1) - 1; // the "\n"
    return end > LineStart(line) && m_text[end - 1] == '\r' ? end - 1 : end;
}

std::size_t OutputView::LineOf(std::size_t offset) const {
    return m_lines.LineOf(offset);
}

std::size_t OutputView::CharBytes(std::size_t offset) const {
    return Utf8SequenceLength(reinterpret_cast<const unsigned char*>(m_text.data()) + offset,
                              m_text.size() - offset);
}

std::size_t OutputView::Snap(std::size_t offset) const {
    offset = std::min(offset, m_text.size());
    const std::size_t line = LineOf(offset);
    const std::size_t start = LineStart(line), end = LineEnd(line);
    if (offset > end)
        return end; // inside a line break
    if (offset == end || !IsUtf8Continuation(static_cast<unsigned char>(m_text[offset])))
        return offset;
    // Inside a character when a lead byte up to three bytes back starts a sequence over offset.
    for (std::size_t back = 1; back <= 3 && back <= offset - start; ++back) {
        const std::size_t lead = offset - back;
        if (!IsUtf8Continuation(static_cast<unsigned char>(m_text[lead])))
            return CharBytes(lead) > back ? lead : offset;
    }
    return offset;
}

std::size_t OutputView::Next(std::size_t offset) const {
    if (offset >= m_text.size())
        return m_text.size();
    const std::size_t line = LineOf(offset);
    return offset == LineEnd(line) ? LineStart(line + 1) : offset + CharBytes(offset);
}

std::size_t OutputView::Previous(std::size_t offset) const {
    if (offset == 0)
        return 0;
    const std::size_t line = LineOf(offset);
    if (offset == LineStart(line))
        return LineEnd(line - 1);
    return Snap(offset - 1);
}

std::size_t OutputView::Column(std::size_t offset) const {
    const std::size_t line = LineOf(offset);
    if (const std::optional<std::size_t> column = m_columns.ColumnOf(m_text.data(), line, offset))
        return *column;
    std::size_t column = 0;
    for (std::size_t at = LineStart(line); at < offset; ++column)
        at += CharBytes(at);
    return column;
}

std::size_t OutputView::OffsetAt(std::size_t line, std::size_t column) const {
    if (const std::optional<std::size_t> at = m_columns.OffsetOf(m_text.data(), line, column))
        return *at;
    std::size_t at = LineStart(line);
    const std::size_t end = LineEnd(line);
    for (; column > 0 && at < end; --column)
        at += CharBytes(at);
    return at;
}

std::size_t OutputView::OffsetAt(QPoint point) const {
    const double row = std::floor(double(point.y() - kMargin) / m_nLineHeight);
    const double line = std::clamp(double(FirstVisibleLine()) + row, 0.0, double(LineCount() - 1));
    const double x = point.x() - kMargin + double(m_nShift);
    const double column = std::max(0.0, std::floor(x / m_nCharWidth + 0.5));
    return OffsetAt(std::size_t(line), std::size_t(column));
}

QPoint OutputView::PositionOf(std::size_t offset) const {
    const auto row = std::ptrdiff_t(LineOf(offset)) - std::ptrdiff_t(FirstVisibleLine());
    const double x = kMargin + double(Column(offset)) * m_nCharWidth - double(m_nShift);
    return {int(std::clamp(x, double(INT_MIN / 2), double(INT_MAX / 2))),
            kMargin + int(std::clamp<std::ptrdiff_t>(row, -1, INT_MAX / 2 / m_nLineHeight)) *
                          m_nLineHeight};
}

// ---- selection -----------------------------------------------------------------------------

void OutputView::SetSelection(std::size_t anchor, std::size_t caret) {
    m_nAnchor = Snap(anchor);
    m_nCaret = Snap(caret);
    m_bKeepGoal = false;
    viewport()->update();
    NotifyAccessible(false);
}

CString OutputView::SelectedText() const {
    const std::size_t start = std::min(m_nAnchor, m_nCaret);
    return m_text.substr(start, std::max(m_nAnchor, m_nCaret) - start);
}

void OutputView::SelectAll() {
    SetSelection(0, m_text.size());
}

void OutputView::Copy() const {
    const std::size_t start = std::min(m_nAnchor, m_nCaret);
    const std::size_t end = std::max(m_nAnchor, m_nCaret);
    if (start == end)
        return;
    // Lines end in "\n" on the clipboard (Qt gives Windows' clipboard its "\r\n" itself).
    CString lines;
    lines.reserve(end - start);
    const char* const data = m_text.data();
    for (std::size_t at = start; at < end;) {
        const void* found = std::memchr(data + at, '\n', end - at);
        const std::size_t stop = found ? std::size_t(static_cast<const char*>(found) - data) : end;
        const bool crlf = found && stop > at && data[stop - 1] == '\r';
        lines.append(data + at, stop - at - (crlf ? 1 : 0));
        if (found)
            lines += '\n';
        at = stop + 1;
    }
    QApplication::clipboard()->setText(QString::fromUtf8(lines.data(), qsizetype(lines.size())));
    WipeString(lines);
}

void OutputView::MoveCaret(std::size_t offset, bool extend) {
    m_nCaret = offset;
    if (!extend)
        m_nAnchor = offset;
    ScrollToCaret();
    viewport()->update();
    NotifyAccessible(false);
}

void OutputView::SelectWordAt(std::size_t offset) {
    // A word is a run of characters other than blanks: a whole password, symbols included.
    const std::size_t line = LineOf(offset);
    const std::size_t start = LineStart(line), end = LineEnd(line);
    const auto blank = [&](std::size_t at) { return m_text[at] == ' ' || m_text[at] == '\t'; };
    const std::size_t probe = offset < end ? offset : offset > start ? offset - 1 : offset;
    if (probe >= end) {
        SetSelection(offset, offset);
        return;
    }
    // A long line without blanks is one word: it is not walked.
    if (!blank(probe) && m_columns.HasBlank(line) == false) {
        SetSelection(start, end);
        return;
    }
    const bool kind = blank(probe);
    std::size_t first = probe, last = probe;
    while (first > start && blank(first - 1) == kind)
        --first;
    while (last < end && blank(last) == kind)
        ++last;
    SetSelection(first, last);
}

// ---- scrolling -----------------------------------------------------------------------------

int OutputView::VisibleRows() const {
    return std::max(1, (viewport()->height() - kMargin) / m_nLineHeight);
}

std::size_t OutputView::FirstVisibleLine() const {
    return std::size_t(verticalScrollBar()->value());
}

void OutputView::UpdateMetrics() {
    const QFontMetrics metrics(font());
    m_nLineHeight = std::max(1, metrics.height());
    m_nCharWidth = std::max(1, metrics.horizontalAdvance(QLatin1Char('0')));
    m_nAscent = metrics.ascent();
}

void OutputView::UpdateScrollBars() {
    const int rows = VisibleRows();
    const std::size_t lines = std::min<std::size_t>(LineCount(), INT_MAX);
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, int(lines) - rows));
    vertical->setPageStep(rows);
    vertical->setSingleStep(1);
    SetShift(m_nShift);
}

std::int64_t OutputView::MaxShift() const {
    const std::int64_t width =
        2 * kMargin + std::int64_t(m_nMaxColumns + 1) * std::int64_t(m_nCharWidth);
    return std::max<std::int64_t>(0, width - viewport()->width());
}

void OutputView::SetShift(std::int64_t shift) {
    shift = std::clamp<std::int64_t>(shift, 0, MaxShift());
    if (shift != m_nShift) {
        m_nShift = shift;
        viewport()->update();
    }
}

void OutputView::FitWholeLines() {
    // The text area is a whole number of lines high, below the top margin; what is left over of
    // the box's height lies under it, so that no line is shown cut.
    const int height = contentsRect().height() - kMargin;
    const int spare = height >= m_nLineHeight ? height % m_nLineHeight : 0;
    if (viewportMargins().bottom() != spare)
        setViewportMargins(0, 0, 0, spare);
}

void OutputView::ScrollToCaret() {
    const std::size_t line = LineOf(m_nCaret);
    const std::size_t rows = std::size_t(VisibleRows());
    QScrollBar* vertical = verticalScrollBar();
    if (line < FirstVisibleLine())
        vertical->setValue(int(line));
    else if (line >= FirstVisibleLine() + rows)
        vertical->setValue(int(line - rows + 1));
    const std::int64_t x = std::int64_t(Column(m_nCaret)) * m_nCharWidth;
    const int width = viewport()->width() - 2 * kMargin;
    if (x < m_nShift)
        SetShift(x);
    else if (x + m_nCharWidth > m_nShift + width)
        SetShift(x + m_nCharWidth - width + width / 4);
}

void OutputView::scrollContentsBy(int, int) {
    viewport()->update();
}

void OutputView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    FitWholeLines();
    UpdateScrollBars();
}

void OutputView::wheelEvent(QWheelEvent* event) {
    // Sideways, the wheel moves the text by three cells a notch.
    const int sideways = event->angleDelta().x();
    if (sideways == 0 || std::abs(sideways) < std::abs(event->angleDelta().y())) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    SetShift(m_nShift - std::int64_t(sideways) * 3 * m_nCharWidth / 120);
    event->accept();
}

// ---- painting ------------------------------------------------------------------------------

void OutputView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setFont(font());
    const QPalette& colors = palette();
    const QColor text = colors.color(QPalette::Text);
    const QColor selectedText = colors.color(QPalette::HighlightedText);
    const QBrush highlight = colors.brush(QPalette::Highlight);
    // Columns and x in 64 bits: a line may be wider than an int of pixels.
    const std::size_t firstColumn = std::size_t(m_nShift / m_nCharWidth);
    const std::size_t lastColumn =
        std::size_t((m_nShift + viewport()->width()) / m_nCharWidth) + 1; // exclusive
    const int firstX = kMargin - int(m_nShift % m_nCharWidth);
    const std::size_t selStart = std::min(m_nAnchor, m_nCaret);
    const std::size_t selEnd = std::max(m_nAnchor, m_nCaret);
    const auto* bytes = reinterpret_cast<const unsigned char*>(m_text.data());
    const auto xOf = [&](std::size_t column) {
        const std::int64_t cells = std::int64_t(column) - std::int64_t(firstColumn);
        return firstX +
               int(std::clamp<std::int64_t>(cells, -2, INT_MAX / 2 / m_nCharWidth)) * m_nCharWidth;
    };

    const std::size_t first = FirstVisibleLine();
    const std::size_t last = std::min(LineCount(), first + std::size_t(VisibleRows()) + 1);
    for (std::size_t line = first; line < last; ++line) {
        const int top = kMargin + int(line - first) * m_nLineHeight;
        const std::size_t end = LineEnd(line);
        std::size_t at = OffsetAt(line, firstColumn);
        std::size_t column = at < end ? firstColumn : Column(at);
        // Runs of plain characters with one selection state are drawn with one call; any other
        // character is drawn alone in its cell, so that the columns stay on the grid.
        QString run;
        std::size_t runColumn = column, runCells = 0;
        bool runSelected = false;
        const auto flush = [&] {
            if (runCells == 0)
                return;
            const int x = xOf(runColumn);
            if (runSelected)
                painter.fillRect(x, top, int(runCells) * m_nCharWidth, m_nLineHeight, highlight);
            painter.setPen(runSelected ? selectedText : text);
            painter.drawText(x, top + m_nAscent, run);
            run.clear();
            runCells = 0;
        };
        for (; at < end && column < lastColumn; ++column) {
            const std::size_t length = CharBytes(at);
            const bool selected = at >= selStart && at < selEnd;
            const bool plain = length == 1 && bytes[at] < 0x80;
            if (selected != runSelected || !plain)
                flush();
            if (runCells == 0) {
                runColumn = column;
                runSelected = selected;
            }
            if (!plain)
                run = QString::fromUtf8(m_text.data() + at, qsizetype(length));
            else
                run += bytes[at] >= 0x20 && bytes[at] < 0x7F ? QLatin1Char(char(bytes[at]))
                                                             : QLatin1Char(' ');
            ++runCells;
            if (!plain)
                flush();
            at += length;
        }
        flush();
        // A selected line break shows as half a cell after the line's last character.
        if (at == end && line + 1 < LineCount() && end >= selStart && end < selEnd)
            painter.fillRect(xOf(column), top, std::max(1, m_nCharWidth / 2), m_nLineHeight,
                             highlight);
    }

    const std::size_t caretLine = LineOf(m_nCaret);
    if (hasFocus() && caretLine >= first && caretLine < last)
        painter.fillRect(QRect(PositionOf(m_nCaret), QSize(1, m_nLineHeight)), text);
}

bool OutputView::event(QEvent* event) {
    const bool handled = QAbstractScrollArea::event(event);
    if (event->type() != QEvent::Paint)
        return handled;
    QPainter painter(this);
    // The height left under the whole lines is the text area's colour.
    const QRect text = viewport()->geometry();
    painter.fillRect(
        QRect(text.left(), text.bottom() + 1, text.width(), viewportMargins().bottom()),
        viewport()->palette().brush(viewport()->backgroundRole()));
    // The focus shows as a frame in the highlight colour, whatever the style draws.
    if (hasFocus() && frameStyle() != QFrame::NoFrame) {
        painter.setPen(palette().color(QPalette::Highlight));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    return handled;
}

void OutputView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        UpdateMetrics();
        FitWholeLines();
        UpdateScrollBars();
        viewport()->update();
    }
}

void OutputView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    // Reached by Tab, the box has all its text selected, as the dialog's other edits have.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        SelectAll();
    viewport()->update();
}

void OutputView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

// ---- keys and mouse ------------------------------------------------------------------------

void OutputView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy) ||
        (event->key() == Qt::Key_Insert && event->modifiers() == Qt::ControlModifier)) {
        Copy();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
        return;
    }
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    const std::size_t line = LineOf(m_nCaret);
    const std::size_t start = std::min(m_nAnchor, m_nCaret);
    const std::size_t end = std::max(m_nAnchor, m_nCaret);
    const auto toLine = [&](std::ptrdiff_t lines) {
        if (!m_bKeepGoal)
            m_nGoalColumn = Column(m_nCaret);
        const std::ptrdiff_t target = std::clamp<std::ptrdiff_t>(std::ptrdiff_t(line) + lines, 0,
                                                                 std::ptrdiff_t(LineCount()) - 1);
        const std::size_t goal = m_nGoalColumn;
        MoveCaret(OffsetAt(std::size_t(target), goal), extend);
        m_bKeepGoal = true;
    };
    const int page = VisibleRows();
    switch (event->key()) {
    case Qt::Key_Left:
        MoveCaret(!extend && start != end ? start : Previous(m_nCaret), extend);
        break;
    case Qt::Key_Right:
        MoveCaret(!extend && start != end ? end : Next(m_nCaret), extend);
        break;
    case Qt::Key_Up:
        toLine(-1);
        return;
    case Qt::Key_Down:
        toLine(1);
        return;
    case Qt::Key_PageUp:
        verticalScrollBar()->setValue(verticalScrollBar()->value() - page);
        toLine(-page);
        return;
    case Qt::Key_PageDown:
        verticalScrollBar()->setValue(verticalScrollBar()->value() + page);
        toLine(page);
        return;
    case Qt::Key_Home:
        MoveCaret(control ? 0 : LineStart(line), extend);
        break;
    case Qt::Key_End:
        MoveCaret(control ? m_text.size() : LineEnd(line), extend);
        break;
    default:
        // Enter, Esc and typing belong to the dialog; Tab never reaches here.
        event->ignore();
        return;
    }
    m_bKeepGoal = false;
}

void OutputView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_bKeepGoal = false;
    m_bDragging = true;
    m_dragPoint = event->position().toPoint();
    MoveCaret(OffsetAt(m_dragPoint), event->modifiers() & Qt::ShiftModifier);
    m_dragTimer.start();
}

void OutputView::mouseMoveEvent(QMouseEvent* event) {
    if (!m_bDragging || !(event->buttons() & Qt::LeftButton))
        return;
    m_dragPoint = event->position().toPoint();
    MoveCaret(OffsetAt(m_dragPoint), true);
}

void OutputView::DragScroll() {
    // Held outside the text, the button keeps the selection growing a line (or a cell) a tick.
    if (m_bDragging && !viewport()->rect().contains(m_dragPoint))
        MoveCaret(OffsetAt(m_dragPoint), true);
}

void OutputView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_bDragging = false;
        m_dragTimer.stop();
    }
}

void OutputView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    SelectWordAt(OffsetAt(event->position().toPoint()));
}

void OutputView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copy = menu.addAction(QStringLiteral("&Copy"));
    copy->setEnabled(m_nAnchor != m_nCaret);
    QObject::connect(copy, &QAction::triggered, this, [this] { Copy(); });
    menu.addSeparator();
    QAction* all = menu.addAction(QStringLiteral("Select &All"));
    all->setEnabled(!m_text.empty());
    QObject::connect(all, &QAction::triggered, this, [this] { SelectAll(); });
    menu.exec(event->globalPos());
}

// ---- messages ------------------------------------------------------------------------------

bool OutputView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case EM_SETSEL: {
        // Offsets into the window text; a negative one is the end.
        const auto offset = [this](LPARAM value) {
            return value < 0 ? m_text.size() : std::min(std::size_t(value), m_text.size());
        };
        SetSelection(offset(LPARAM(wParam)), offset(lParam));
        result = 0;
        return true;
    }
    case EM_SCROLLCARET:
        ScrollToCaret();
        result = 1;
        return true;
    default:
        return false;
    }
}

} // namespace platform
