// The generator window as a careful user meets it, on a 1280 x 1024 screen of the offscreen
// platform: where the focus starts and what Tab selects, the image buttons' focus mark, what
// assistive technology is told, and no overlapping or clipped controls from the smallest window
// to maximized. Registered twice: as it is, and with QT_SCALE_FACTOR=2.

#include "platform/win/OutputView.h"
#include "platform/win/WinInternal.h"
#include "tests/ui/MainDialogRun.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <algorithm>

namespace {

using enum MainDialog::ControlId;
using platform::OutputView;

class MainDialogLookTest : public testing_support::MainDialogSession<> {
protected:
    // A 1280 x 1024 screen at the test's scale factor, read as the application starts.
    static void SetUpTestSuite() {
        const testing_support::TempDir dir;
        if (qApp == nullptr) {
            const int scale = std::max(1, qEnvironmentVariableIntValue("QT_SCALE_FACTOR"));
            testing_support::WriteFile(dir / "screen.json",
                                       "{\"screens\": [{\"name\": \"test\", \"x\": 0, \"y\": 0, "
                                       "\"width\": " +
                                           std::to_string(1280 * scale) +
                                           ", \"height\": " + std::to_string(1024 * scale) +
                                           ", \"logicalDpi\": 96}]}");
            qputenv("QT_QPA_PLATFORM",
                    ("offscreen:configfile=" + (dir / "screen.json").string()).c_str());
        }
        DialogTest::SetUpTestSuite();
    }
    QWidget* Widget(int id) const { return platform::WidgetOf(Item(id).GetSafeHwnd()); }
    QWidget* FocusWidget() const { return Window()->focusWidget(); }
    void Press(Qt::Key key) { QTest::keyClick(FocusWidget(), key); }
    void Activate() {
        Window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window()));
        QApplication::processEvents(); // the images are shown one turn after they are set
    }
};

// The focus starts in Quantity with its text selected, so typing replaces it; Tab selects the
// whole text of the edit it reaches, the output box's too.
TEST_F(MainDialogLookTest, TheFocusStartsInQuantityAndTabSelectsWhatItReachesOrMarksIt) {
    Run([&] {
        Activate();
        auto* quantity = qobject_cast<QLineEdit*>(FocusWidget());
        ASSERT_NE(quantity, nullptr);
        EXPECT_EQ(quantity->selectedText(), "1");
        Item(kOutput).SetWindowText("Ab3\r\nq7\r\n");
        Press(Qt::Key_Tab); // to Length
        EXPECT_EQ(qobject_cast<QLineEdit*>(FocusWidget())->selectedText(), "7");
        Press(Qt::Key_Tab); // to Generate
        Press(Qt::Key_Tab); // to the output box: all of it, as Ctrl+A would
        auto* output = dynamic_cast<OutputView*>(FocusWidget());
        ASSERT_NE(output, nullptr);
        EXPECT_EQ(output->SelectedText(), "Ab3\r\nq7\r\n");

        // Tabbing onto an image button draws a mark inside it, over its image, which goes when
        // the focus leaves. The symbols edit is disabled: from the output box to the first.
        QWidget* buttons[] = {Widget(kLink1), Widget(kLink2), Widget(kLink3)};
        const auto look = [](QWidget* button) { return button->grab().toImage(); };
        const QImage unfocused = look(buttons[0]);
        Press(Qt::Key_Tab);
        ASSERT_EQ(FocusWidget(), buttons[0]);
        const QImage focused = look(buttons[0]);
        EXPECT_NE(focused, unfocused);
        EXPECT_EQ(focused.copy(0, 0, focused.width(), 1), unfocused.copy(0, 0, focused.width(), 1));
        Press(Qt::Key_Tab);
        EXPECT_EQ(FocusWidget(), buttons[1]);
        EXPECT_EQ(look(buttons[0]), unfocused);
    });
}

// Every shown control has a name and a role: its caption, the label before an edit, or what an
// image button opens. The progress bar tells its value; the output box its lines and selection,
// never its text.
TEST_F(MainDialogLookTest, EveryShownControlHasANameAndARoleForAssistiveTechnology) {
    const std::pair<int, const char*> derived[] = {
        {kQuantity, "Quantity"}, {kLength, "Length"},     {kSpecialSymbols, "Special symbols"},
        {kOutput, "Passwords"},  {kProgress, "Progress"}, {kLink1, "Guide"},
        {kLink2, "News"},        {kLink3, "Community"}};
    Run([&] {
        QAccessible::setActive(true);
        int shown = 0;
        for (QWidget* child : Window()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!child->isVisible())
                continue;
            ++shown;
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(child);
            ASSERT_NE(face, nullptr);
            EXPECT_FALSE(face->text(QAccessible::Name).isEmpty())
                << child->metaObject()->className();
            EXPECT_NE(face->role(), QAccessible::NoRole);
        }
        EXPECT_EQ(shown, 20);
        for (const auto& [id, name] : derived)
            EXPECT_EQ(QAccessible::queryAccessibleInterface(Widget(id))->text(QAccessible::Name),
                      name);

        Item(kProgress).SendMessage(PBM_SETPOS, 40);
        QAccessibleValueInterface* value =
            QAccessible::queryAccessibleInterface(Widget(kProgress))->valueInterface();
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(value->currentValue().toInt(), 40);

        QAccessibleInterface* output = QAccessible::queryAccessibleInterface(Widget(kOutput));
        EXPECT_EQ(output->role(), QAccessible::EditableText);
        EXPECT_TRUE(output->state().readOnly && output->state().multiLine);
        Item(kOutput).SetWindowText(
            "Ab3$x-9Q\r\nsecond\r\nthird\r\n"); // the last break starts no line
        EXPECT_EQ(output->text(QAccessible::Description), "3 lines");
        Item(kOutput).SendMessage(EM_SETSEL, 2, 12);
        EXPECT_EQ(output->text(QAccessible::Value),
                  "selected from line 1, column 3 to line 2, column 3");
        Item(kOutput).SendMessage(EM_SETSEL, 12, 12);
        QTest::keyClick(Widget(kOutput), Qt::Key_Down);
        EXPECT_EQ(output->text(QAccessible::Value), "line 3, column 3");
        for (const auto kind : {QAccessible::Name, QAccessible::Value, QAccessible::Description})
            EXPECT_FALSE(output->text(kind).contains("second"));
    });
}

// Each shown control inside the client area, none over another, each text in full.
void ExpectTidy(QWidget* window) {
    std::vector<QWidget*> shown;
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isVisible())
            shown.push_back(child);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        QWidget* a = shown[i];
        SCOPED_TRACE(a->metaObject()->className() + (" at " + std::to_string(a->x())) + "," +
                     std::to_string(a->y()));
        EXPECT_TRUE(window->rect().contains(a->geometry()));
        for (std::size_t j = i + 1; j < shown.size(); ++j)
            EXPECT_FALSE(a->geometry().intersects(shown[j]->geometry())) << shown[j]->x();
        const int lineHeight = a->fontMetrics().height();
        auto* button = qobject_cast<QPushButton*>(a);
        if (qobject_cast<QLabel*>(a) || qobject_cast<QCheckBox*>(a)) {
            EXPECT_LE(a->sizeHint().width(), a->width());
            EXPECT_LE(lineHeight, a->height());
        } else if (button && button->text().isEmpty()) {
            EXPECT_LE(button->iconSize().width(), button->width());
            EXPECT_LE(button->iconSize().height(), button->height());
        } else if (button) {
            const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin);
            EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 2 * margin,
                      button->width());
            EXPECT_LE(lineHeight + 4, button->height());
        } else if (qobject_cast<QLineEdit*>(a)) {
            const int frame = a->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
            EXPECT_LE(lineHeight + 2 * frame, a->height());
        }
    }
}

// The image buttons stay side by side as the template has them, bunched in the middle.
TEST_F(MainDialogLookTest, NothingOverlapsOrClipsFromTheSmallestWindowToMaximized) {
    Run([&] {
        QWidget* window = Window();
        m_dialog.MoveWindow(10, 10, 100, 100);
        QApplication::processEvents();
        EXPECT_EQ(window->frameGeometry().size(),
                  QSize(MainDialog::kMinWidth, MainDialog::kMinHeight));
        ExpectTidy(window);
        QWidget* links[] = {Widget(kLink1), Widget(kLink2), Widget(kLink3)};
        const int gaps[] = {links[1]->x() - links[0]->x(), links[2]->x() - links[1]->x()};

        m_dialog.ShowWindow(SW_MAXIMIZE);
        QApplication::processEvents();
        EXPECT_EQ(window->frameGeometry().size(), QSize(1280, 1024));
        ExpectTidy(window);
        EXPECT_EQ(links[1]->x() - links[0]->x(), gaps[0]);
        EXPECT_EQ(links[2]->x() - links[1]->x(), gaps[1]);
        const int middle = (links[0]->geometry().left() + links[2]->geometry().right()) / 2;
        EXPECT_NEAR(middle, window->width() / 2, window->width() / 20);
    });
}

} // namespace
