#pragma once

// The read-only multi-line box that shows a run's passwords: a text of millions of lines is kept
// once, as the system's bytes (lines ending "\r\n"), with the start of every line; only the
// visible lines are painted, and the selection is a pair of byte offsets into the text. Long lines
// are indexed by columns, so that no key, click or paint costs time in proportion to a line's
// length. It has a vertical scroll bar and scrolls sideways with the caret, without a bar, and its
// text area is a whole number of lines high.

#include "platform/win/ColumnIndex.h"
#include "platform/win/CustomControl.h"
#include "platform/win/LineIndex.h"

#include <QAbstractScrollArea>
#include <QTimer>
#include <cstddef>
#include <cstdint>

class QMenu;

namespace platform {

class OutputView : public QAbstractScrollArea, public CustomControl {
public:
    // style: the template's style bits (border, vertical scroll bar).
    OutputView(unsigned style, QWidget* parent);
    ~OutputView() override;

    // The text, byte for byte. A line ends at "\n"; a "\r" before it belongs to the break. The
    // previous text is wiped before it is freed, and so is whatever the caller's string keeps.
    void SetText(CString&& text);

    // Selection and caret as offsets into the text; the caret is the end that moves. Offsets are
    // clamped to the text and moved back to the start of a character or of a line break.
    void SetSelection(std::size_t anchor, std::size_t caret);
    std::size_t Anchor() const { return m_nAnchor; }
    std::size_t Caret() const { return m_nCaret; }
    CString SelectedText() const;
    void SelectAll();
    // Puts the selection on the clipboard, with "\n" line breaks as the platform's clipboard
    // expects; an empty selection leaves the clipboard alone.
    void Copy() const;
    void ScrollToCaret();

    // Where the caret stands at offset, in the viewport's pixels: the top of its cell's left edge.
    QPoint PositionOf(std::size_t offset) const;
    int LineHeight() const { return m_nLineHeight; }
    // How far the text is scrolled sideways, in pixels.
    std::int64_t HorizontalShift() const { return m_nShift; }
    std::size_t LineCount() const { return m_lines.Count(); }
    std::size_t FirstVisibleLine() const;
    std::size_t LineOf(std::size_t offset) const;

    // What assistive technology is told (OutputViewAccessible.cpp): the number of lines of text,
    // and where the caret or the selection is, in lines and columns counted from 1.
    QString AccessibleLines() const;
    QString AccessiblePosition() const;

    // CustomControl: EM_SETSEL, EM_SCROLLCARET and the window text.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    CString WindowText() const override { return m_text; }
    void SetWindowText(CString&& text) override { SetText(std::move(text)); }

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void MakeAccessible();
    // Tells assistive technology, where it listens, that the caret or selection moved, and with
    // linesChanged that the text changed.
    void NotifyAccessible(bool linesChanged);
    void BuildLineIndex();
    void UpdateMetrics();
    void UpdateScrollBars();
    void FitWholeLines();
    std::int64_t MaxShift() const;
    void SetShift(std::int64_t shift);
    int VisibleRows() const;

    std::size_t LineStart(std::size_t line) const { return m_lines.Start(line); }
    // End of the line's characters, before its break.
    std::size_t LineEnd(std::size_t line) const;
    std::size_t CharBytes(std::size_t offset) const;
    std::size_t Snap(std::size_t offset) const;
    std::size_t Next(std::size_t offset) const;
    std::size_t Previous(std::size_t offset) const;
    std::size_t Column(std::size_t offset) const;
    std::size_t OffsetAt(std::size_t line, std::size_t column) const;
    std::size_t OffsetAt(QPoint point) const;
    void MoveCaret(std::size_t offset, bool extend);
    void SelectWordAt(std::size_t offset);
    void DragScroll();

    CString m_text;
    LineIndex m_lines;
    ColumnIndex m_columns;         // the long lines' characters
    std::size_t m_nMaxColumns = 0; // characters in the longest line
    std::size_t m_nAnchor = 0;
    std::size_t m_nCaret = 0;
    std::size_t m_nGoalColumn = 0; // the column Up and Down keep to
    bool m_bKeepGoal = false;
    bool m_bDragging = false;
    QPoint m_dragPoint;
    QTimer m_dragTimer;
    std::int64_t m_nShift = 0; // pixels scrolled sideways
    int m_nLineHeight = 1;
    int m_nCharWidth = 1;
    int m_nAscent = 0;
};

} // namespace platform
