// The output box (edit 1000 of the test template) through the layer's messages and window text,
// and through keys and mouse on the real widget.

#include "platform/win/OutputView.h"

#include "tests/support/TestTemplate.h"

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <string>
#include <tuple>

namespace {

using platform::OutputView;

// Steps run while the test template's dialog is up, with the focus in its output box; Enter and
// Esc are only counted.
class OutputViewTest : public testing::Test, CDialog {
protected:
    OutputViewTest() : CDialog(testing_support::kTestTemplate) {}
    static void SetUpTestSuite() {
        testing_support::UseTestTemplate();
        ASSERT_TRUE(platform::EnsureGuiApplication());
    }
    void OnOK() override { ++m_oks; }
    void OnCancel() override { ++m_cancels; }
    void Run(const std::function<void()>& steps) {
        QTimer::singleShot(0, [&] {
            m_output = GetDlgItem(1000);
            if ((m_view = Native()->findChild<OutputView*>()) != nullptr) {
                m_output.SetFocus();
                steps();
            }
            EndDialog(IDCANCEL);
        });
        DoModal();
        ASSERT_NE(m_view, nullptr);
    }
    QWidget* Native() const { return static_cast<QWidget*>(NativeWindow()); }
    void Set(const CString& text) { m_output.SetWindowText(text); }
    void Select(LPARAM anchor, LPARAM caret) {
        m_output.SendMessage(EM_SETSEL, WPARAM(anchor), caret);
    }
    std::pair<std::size_t, std::size_t> Selection() const {
        return {m_view->Anchor(), m_view->Caret()};
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(m_view, Qt::Key(key), modifiers);
    }
    // Inside the cell whose left edge is offset's caret position.
    QPoint At(std::size_t offset) const {
        return m_view->PositionOf(offset) + QPoint(1, m_view->LineHeight() / 2);
    }
    QString Clipboard() const { return QApplication::clipboard()->text(); }

    CWnd m_output;
    OutputView* m_view = nullptr;
    int m_oks = 0, m_cancels = 0;
};

// Texts come back byte for byte; EM_SETSEL offsets (-1 the end) land on characters and breaks.
TEST_F(OutputViewTest, KeepsTextsByteForByteAndSelectsWhatEmSetSelNames) {
    const std::tuple<CString, std::size_t> texts[] = {
        {"", 1},
        {"ab\r\ncd\r\n", 3},
        {"\xE9t\xE9\r\n\xFF\r\n", 3},        // 8-bit bytes that are no UTF-8
        {"\xE2\x82\xAC\xC2\xA0\r\r\n\n", 3}, // UTF-8 (a no-break space), a lone "\r", a bare "\n"
    };
    const std::tuple<LPARAM, LPARAM, std::size_t, std::size_t> selections[] = {
        {-1, 0, 12, 0},               // all, caret at the start, as after a run
        {0, -1, 0, 12}, {1, 3, 1, 2}, // 3 is inside "\r\n": back to the break's start
        {5, 99, 4, 12},               // 5 is inside "€": back to its first byte
        {7, 7, 7, 7},
    };
    Run([&] {
        for (const auto& [text, lines] : texts) {
            Set(text);
            EXPECT_EQ(m_output.GetWindowText(), text);
            EXPECT_EQ(m_view->LineCount(), lines);
        }
        Set("ab\r\n\xE2\x82\xAC\r\nxyz");
        for (const auto& [anchor, caret, wantAnchor, wantCaret] : selections) {
            Select(anchor, caret);
            EXPECT_EQ(Selection(), std::make_pair(wantAnchor, wantCaret)) << anchor << "," << caret;
        }
    });
}

// Keys move the caret by characters, breaks, lines at the kept column, pages and ends; Shift
// extends, Ctrl+A selects all, Ctrl+C and Ctrl+Insert copy; Enter, Esc and Tab are not taken.
TEST_F(OutputViewTest, KeysMoveSelectAndCopyAndLeaveDialogKeysAlone) {
    Run([&] {
        Set("abcdef\r\n\r\n\xC3\xA9\xC3\xA9xyzw\r\n");
        const std::tuple<int, Qt::KeyboardModifiers, std::size_t, std::size_t> steps[] = {
            {Qt::Key_End, Qt::NoModifier, 6, 6},
            {Qt::Key_Left, Qt::NoModifier, 5, 5},
            {Qt::Key_Down, Qt::NoModifier, 8, 8},   // the empty line
            {Qt::Key_Down, Qt::NoModifier, 17, 17}, // column 5 again: "éé" are 2 bytes each
            {Qt::Key_Home, Qt::ShiftModifier, 17, 10},
            {Qt::Key_Right, Qt::ShiftModifier, 17, 12}, // over "é" whole
            {Qt::Key_Left, Qt::NoModifier, 12, 12},     // a selection collapses to its start
            {Qt::Key_Up, Qt::ShiftModifier, 12, 8},
            {Qt::Key_Left, Qt::ShiftModifier, 12, 6}, // back over the "\r\n" as one step
            {Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier, 12, 20},
            {Qt::Key_PageUp, Qt::NoModifier, 0, 0}, // a page is more than these lines
            {Qt::Key_A, Qt::ControlModifier, 0, 20},
        };
        for (const auto& [key, modifiers, anchor, caret] : steps) {
            Key(key, modifiers);
            EXPECT_EQ(Selection(), std::make_pair(anchor, caret)) << QTest::toString(key);
        }
        Select(8, 12);
        Key(Qt::Key_C, Qt::ControlModifier); // the clipboard gets "\n" breaks
        EXPECT_EQ(Clipboard(), QString::fromUtf8("\n\xC3\xA9"));
        Select(0, 3);
        Key(Qt::Key_Insert, Qt::ControlModifier);
        EXPECT_EQ(Clipboard(), "abc");
        Key(Qt::Key_Return);
        Key(Qt::Key_Escape);
        Key(Qt::Key_X);
        EXPECT_EQ(m_oks * 10 + m_cancels, 11); // Enter and Esc reach the dialog
        EXPECT_EQ(Native()->focusWidget(), m_view);
        Key(Qt::Key_Tab);
        EXPECT_NE(Native()->focusWidget(), m_view);
    });
}

// Click, shift-click and drag select; a double click selects a word.
TEST_F(OutputViewTest, MouseSelectsByClickShiftClickDragAndWord) {
    Run([&] {
        Set("Ab3$x-9Q\r\nsecond line\r\nthird\r\n");
        QWidget* area = m_view->viewport();
        QTest::mouseClick(area, Qt::LeftButton, {}, At(3));
        EXPECT_EQ(Selection(), std::make_pair(std::size_t(3), std::size_t(3)));
        QTest::mouseClick(area, Qt::LeftButton, Qt::ShiftModifier, At(13));
        EXPECT_EQ(Selection(), std::make_pair(std::size_t(3), std::size_t(13)));
        QTest::mousePress(area, Qt::LeftButton, {}, At(17));
        QTest::mouseMove(area, At(27));
        QTest::mouseRelease(area, Qt::LeftButton, {}, At(27));
        EXPECT_EQ(Selection(), std::make_pair(std::size_t(17), std::size_t(27)));
        QTest::mouseDClick(area, Qt::LeftButton, {}, At(4));
        EXPECT_EQ(m_view->SelectedText(), "Ab3$x-9Q"); // symbols are part of a password
    });
}

// The box has a vertical scroll bar and none across; its text area is a whole number of lines high
// at any height, the rest under it in the text's colour; a long line scrolls sideways with the
// caret and with a sideways wheel.
TEST_F(OutputViewTest, ShowsWholeLinesWithAVerticalBarAndNoneAcross) {
    Run([&] {
        CString text;
        for (int i = 0; i < 30; ++i)
            text += (i == 3 ? std::string(300, 'w') : "line " + std::to_string(i)) + "\r\n";
        Set(text);
        QWidget* area = m_view->viewport();
        EXPECT_TRUE(m_view->verticalScrollBar()->isVisible());
        EXPECT_FALSE(m_view->horizontalScrollBar()->isVisible());
        const int line = m_view->LineHeight();
        const QSize start = m_view->size();
        for (int height = start.height(); height < start.height() + 2 * line; height += 3) {
            SCOPED_TRACE(height);
            m_view->resize(start.width(), height);
            EXPECT_EQ((area->height() - 2) % line, 0); // 2: the top margin
            EXPECT_GT(area->height() + line, m_view->contentsRect().height());
            // The last visible line ends inside the text area.
            Key(Qt::Key_End, Qt::ControlModifier);
            EXPECT_LE(m_view->PositionOf(text.size()).y() + line, area->height());
            const QImage shown = m_view->grab().toImage();
            const QRect band(area->geometry().bottomLeft() + QPoint(0, 1),
                             m_view->contentsRect().bottomRight() - QPoint(20, 0));
            if (band.height() > 0) {
                EXPECT_EQ(shown.pixelColor(band.center()), area->palette().color(QPalette::Base));
            }
        }
        m_view->resize(start);
        Select(24, 24);   // line 3
        Key(Qt::Key_End); // the caret takes the text sideways, and Home back
        const std::int64_t shift = m_view->HorizontalShift();
        EXPECT_GT(shift, 0);
        EXPECT_LT(m_view->PositionOf(m_view->Caret()).x(), area->width());
        Key(Qt::Key_Home);
        EXPECT_EQ(m_view->HorizontalShift(), 0);
        Key(Qt::Key_End);
        QWheelEvent back(QPointF(10, 10), area->mapToGlobal(QPointF(10, 10)), {}, {120, 0},
                         Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(area, &back);
        EXPECT_EQ(m_view->HorizontalShift(),
                  shift - 3 * QFontMetrics(m_view->font()).horizontalAdvance('0'));
    });
}

// On a long line a column and an offset convert by the line's index, also where its characters
// take several bytes: the caret keeps its column across lines, a click lands on the character
// under it wherever the line is scrolled, and a line without blanks is one word.
TEST_F(OutputViewTest, LongLinesKeepColumnsByTheirIndex) {
    std::string wide;
    for (int i = 0; i < 5000; ++i)
        wide += "\xC3\xA9"; // é, two bytes
    const std::string text = wide + "xyz\r\n" + std::string(9000, 'a') + "\r\nshort";
    const std::size_t second = wide.size() + 5; // the start of the line of a's
    Run([&] {
        Set(text);
        Select(0, 0);
        Key(Qt::Key_End);
        EXPECT_EQ(m_view->Caret(), wide.size() + 3);
        const int cell = QFontMetrics(m_view->font()).horizontalAdvance('0');
        // Columns, not bytes: "xyz" ends 5003 cells from the start.
        EXPECT_EQ(m_view->PositionOf(wide.size() + 3).x() - m_view->PositionOf(2 * 4000).x(),
                  1003 * cell);
        Select(second + 6000, second + 6000);
        Key(Qt::Key_Up); // column 6000 is past the first line's 5003: its end
        EXPECT_EQ(m_view->Caret(), wide.size() + 3);
        Select(2 * 4321, 2 * 4321);
        Key(Qt::Key_Down);
        EXPECT_EQ(m_view->Caret(), second + 4321);
        Key(Qt::Key_Up);
        EXPECT_EQ(m_view->Caret(), 2u * 4321);
        Key(Qt::Key_Right);
        EXPECT_EQ(m_view->Caret(), 2u * 4322);
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, At(2 * 4317));
        EXPECT_EQ(m_view->Caret(), 2u * 4317);
        QTest::mouseDClick(m_view->viewport(), Qt::LeftButton, {}, At(second + 8990));
        EXPECT_EQ(m_view->SelectedText(), std::string(9000, 'a'));
    });
}

// A million lines: scrolled to the end by Ctrl+End, where a click lands on the last line, which
// is copied whole; Ctrl+A Ctrl+C copies them all.
TEST_F(OutputViewTest, AMillionLinesScrollToTheEndAndCopyTheirLastLine) {
    constexpr std::size_t kLines = 1000000;
    CString text;
    for (std::size_t i = 0; i < kLines; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "p%014zu\r\n", i);
        text += line;
    }
    Run([&] {
        Set(text);
        ASSERT_EQ(m_view->LineCount(), kLines + 1);
        Key(Qt::Key_End, Qt::ControlModifier);
        Key(Qt::Key_Up);
        EXPECT_EQ(m_view->FirstVisibleLine(),
                  kLines + 1 - std::size_t(m_view->verticalScrollBar()->pageStep()));
        m_view->viewport()->repaint();
        const std::size_t last = text.size() - 17;
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, At(last + 3));
        EXPECT_EQ(m_view->Caret(), last + 3);
        Key(Qt::Key_Home);
        Key(Qt::Key_End, Qt::ShiftModifier);
        Key(Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(Clipboard(), "p00000000999999");
        Key(Qt::Key_A, Qt::ControlModifier);
        Key(Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(std::size_t(Clipboard().size()), kLines * 16);
        EXPECT_TRUE(Clipboard().endsWith("999998\np00000000999999\n"));
    });
}

} // namespace
