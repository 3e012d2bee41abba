// The generator window as a careful user meets it, with real widgets on a 1280 x 1024 screen of the
// offscreen platform: where the focus starts and what Tab selects, the focus mark of the image
// buttons, what assistive technology is told, and a window without overlapping or clipped
// controls from its smallest size to maximized. Registered twice: as it is, and with every
// logical pixel two on the screen (QT_SCALE_FACTOR=2).

#include "platform/win/OutputView.h"
#include "platform/win/WinInternal.h"
#include "tests/ui/MainDialogRun.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <gmock/gmock.h>

namespace {

using enum MainDialog::ControlId;
using platform::OutputView;

class MainDialogLookTest : public testing_support::MainDialogSession<> {
protected:
    // The offscreen platform's one screen is made 1280 x 1024 logical pixels at the scale factor
    // the test runs with, before the application object exists.
    static void SetUpTestSuite() {
        if (qApp == nullptr) {
            const double scale = qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
                                     ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
                                     : 1.0;
            const QString path = QDir::temp().filePath(
                QStringLiteral("mirrak-screen-%1.json").arg(QCoreApplication::applicationPid()));
            QFile config(path);
            ASSERT_TRUE(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
            config.write(QStringLiteral("{\"screens\": [{\"name\": \"test\", \"x\": 0, \"y\": 0, "
                                        "\"width\": %1, \"height\": %2, \"logicalDpi\": 96}]}")
                             .arg(qRound(1280 * scale))
                             .arg(qRound(1024 * scale))
                             .toUtf8());
            config.close();
            qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + path).toUtf8());
            DialogTest::SetUpTestSuite(); // the platform reads the file as the application starts
            QFile::remove(path);
            return;
        }
        DialogTest::SetUpTestSuite();
    }

    QWidget* Widget(int id) const { return platform::WidgetOf(Item(id).GetSafeHwnd()); }
    QWidget* FocusWidget() const { return Window()->focusWidget(); }
    void Press(Qt::Key key) { QTest::keyClick(FocusWidget(), key); }
    void Activate() {
        Window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window()));
    }
};

// The focus starts in Quantity with its text selected, so typing replaces it; Tab selects the
// whole text of the edit it reaches, the output box's too; a click places the caret instead.
TEST_F(MainDialogLookTest, TypingAtTheStartReplacesTheQuantityAndTabSelectsWhatItReaches) {
    Run([&] {
        Activate();
        auto* quantity = qobject_cast<QLineEdit*>(FocusWidget());
        ASSERT_NE(quantity, nullptr);
        EXPECT_EQ(quantity->selectedText(), "1");
        QTest::keyClicks(FocusWidget(), "3");
        Press(Qt::Key_Return);
        platform::WaitForWorkerThreads();
        EXPECT_EQ(Text(kQuantity), "3");
        EXPECT_EQ(Text(kOutput).size(), 3u * 9); // three passwords of 7 characters

        // A click in the output box places the caret there; Tab selects all of it again.
        auto* output = dynamic_cast<OutputView*>(Widget(kOutput));
        ASSERT_NE(output, nullptr);
        QTest::mouseClick(output->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
        EXPECT_EQ(output->SelectedText(), "");
        quantity->setFocus(Qt::MouseFocusReason);
        Press(Qt::Key_Tab); // to Length
        EXPECT_EQ(qobject_cast<QLineEdit*>(FocusWidget())->selectedText(), "7");
        Press(Qt::Key_Tab); // to Generate
        Press(Qt::Key_Tab); // to the output box: all of it, as Ctrl+A would
        EXPECT_EQ(FocusWidget(), output);
        EXPECT_EQ(output->SelectedText(), Text(kOutput));

        auto* length = qobject_cast<QLineEdit*>(Widget(kLength));
        output->setFocus(Qt::MouseFocusReason);
        QTest::mouseClick(length, Qt::LeftButton, {}, QPoint(length->width() - 4, 5));
        EXPECT_EQ(FocusWidget(), length);
        EXPECT_FALSE(length->hasSelectedText());
        EXPECT_EQ(length->cursorPosition(), 1);
    });
}

// Tabbing onto an image button draws a focus mark inside it; leaving it takes the mark away.
TEST_F(MainDialogLookTest, TheFocusedImageButtonShowsAFocusMark) {
    Run([&] {
        Activate();
        QApplication::processEvents(); // the images are shown one turn after they are set
        Widget(kOutput)->setFocus(Qt::MouseFocusReason);
        QWidget* buttons[] = {Widget(kLink1), Widget(kLink2), Widget(kLink3)};
        QImage unfocused[3];
        for (int i = 0; i < 3; ++i)
            unfocused[i] = buttons[i]->grab().toImage();
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(i);
            Press(Qt::Key_Tab); // the symbols edit is disabled: from the output to the first
            ASSERT_EQ(FocusWidget(), buttons[i]);
            const QImage focused = buttons[i]->grab().toImage();
            EXPECT_NE(focused, unfocused[i]);
            // The mark lies inside the button, over its image: the border rows keep their colour.
            EXPECT_EQ(focused.copy(0, 0, focused.width(), 1),
                      unfocused[i].copy(0, 0, focused.width(), 1));
            if (i > 0) {
                EXPECT_EQ(buttons[i - 1]->grab().toImage(), unfocused[i - 1]);
            }
        }
        Press(Qt::Key_Tab);
        EXPECT_EQ(buttons[2]->grab().toImage(), unfocused[2]);

        // The hidden welcome button is a bitmap button of the same kind.
        QWidget* welcome = Widget(kWelcome);
        welcome->show();
        QApplication::processEvents();
        const QImage before = welcome->grab().toImage();
        welcome->setFocus(Qt::TabFocusReason);
        EXPECT_NE(welcome->grab().toImage(), before);
        Widget(kOutput)->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(welcome->grab().toImage(), before);
        welcome->hide();
    });
}

struct Accessible {
    QString name;
    QAccessible::Role role;
};

Accessible Describe(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    if (face == nullptr)
        return {"(none)", QAccessible::NoRole};
    return {face->text(QAccessible::Name), face->role()};
}

// Every shown control has a name and a role: its caption, the label before an edit, or what the
// image buttons open. The progress bar tells its value; the output box its lines and selection.
TEST_F(MainDialogLookTest, EveryShownControlHasANameAndARoleForAssistiveTechnology) {
    const std::tuple<int, const char*, QAccessible::Role> expected[] = {
        {kQuantityLabel, "Quantity", QAccessible::StaticText},
        {kQuantity, "Quantity", QAccessible::EditableText},
        {kLengthLabel, "Length", QAccessible::StaticText},
        {kLength, "Length", QAccessible::EditableText},
        {kGenerate, "Generate", QAccessible::Button},
        {kSave, "Save...", QAccessible::Button},
        {kOpen, "Open...", QAccessible::Button},
        {kAbout, "About...", QAccessible::Button},
        {kHelp, "Help...", QAccessible::Button},
        {IDCANCEL, "Exit", QAccessible::Button},
        {kOutput, "Passwords", QAccessible::EditableText},
        {kUpper, "Upper letters", QAccessible::CheckBox},
        {kLower, "Lower letters", QAccessible::CheckBox},
        {kDigits, "Numbers", QAccessible::CheckBox},
        {kSpecial, "Special symbols", QAccessible::CheckBox},
        {kSpecialSymbols, "Special symbols", QAccessible::EditableText},
        {kProgress, "Progress", QAccessible::ProgressBar},
        {kLink1, "Guide", QAccessible::Button},
        {kLink2, "News", QAccessible::Button},
        {kLink3, "Community", QAccessible::Button},
    };
    Run([&] {
        QAccessible::setActive(true);
        int shown = 0;
        for (QWidget* child : Window()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            shown += child->isVisible();
        EXPECT_EQ(shown, int(std::size(expected)));
        for (const auto& [id, name, role] : expected) {
            SCOPED_TRACE(id);
            QWidget* widget = Widget(id);
            ASSERT_NE(widget, nullptr);
            const Accessible got = Describe(widget);
            EXPECT_EQ(got.name, name);
            EXPECT_EQ(got.role, role);
        }

        QProgressBar* bar = Window()->findChild<QProgressBar*>();
        Item(kProgress).SendMessage(PBM_SETPOS, 40);
        QAccessibleValueInterface* value =
            QAccessible::queryAccessibleInterface(bar)->valueInterface();
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(value->currentValue().toInt(), 40);
        EXPECT_EQ(value->maximumValue().toInt(), 100);

        // The output box tells how many lines it has and where the selection is, never its text.
        QAccessibleInterface* output = QAccessible::queryAccessibleInterface(Widget(kOutput));
        Item(kOutput).SetWindowText("Ab3$x-9Q\r\nsecond\r\nthird");
        EXPECT_EQ(output->text(QAccessible::Description), "3 lines");
        Item(kOutput).SendMessage(EM_SETSEL, 2, 12);
        EXPECT_EQ(output->text(QAccessible::Value),
                  "selected from line 1, column 3 to line 2, column 3");
        Item(kOutput).SendMessage(EM_SETSEL, 20, 20);
        EXPECT_EQ(output->text(QAccessible::Value), "line 3, column 3");
        EXPECT_TRUE(output->state().readOnly && output->state().multiLine);
        Item(kOutput).SetWindowText("one line");
        EXPECT_EQ(output->text(QAccessible::Description), "1 line");
        Item(kOutput).SetWindowText("a\r\nb\r\n"); // a break at the end starts no line
        EXPECT_EQ(output->text(QAccessible::Description), "2 lines");
        QTest::keyClick(Widget(kOutput), Qt::Key_Down);
        EXPECT_EQ(output->text(QAccessible::Value), "line 2, column 1");
        Item(kOutput).SetWindowText("one line");
        for (const auto kind : {QAccessible::Name, QAccessible::Value, QAccessible::Description})
            EXPECT_FALSE(output->text(kind).contains("one line"));
    });
}

// The window's controls at an outer size: each inside the client area, none over another, each
// text in full; the image buttons side by side as the template has them, in the middle.
void ExpectTidy(QWidget* window) {
    std::vector<QWidget*> shown;
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isVisible())
            shown.push_back(child);
    ASSERT_FALSE(shown.empty());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        QWidget* a = shown[i];
        SCOPED_TRACE(a->metaObject()->className() + (" at " + std::to_string(a->x())) + "," +
                     std::to_string(a->y()));
        EXPECT_TRUE(window->rect().contains(a->geometry()));
        for (std::size_t j = i + 1; j < shown.size(); ++j)
            EXPECT_FALSE(a->geometry().intersects(shown[j]->geometry()))
                << shown[j]->metaObject()->className() << " at " << shown[j]->x() << ","
                << shown[j]->y();
        if (auto* label = qobject_cast<QLabel*>(a)) {
            EXPECT_LE(label->sizeHint().width(), label->width());
            EXPECT_LE(label->fontMetrics().height(), label->height());
        } else if (auto* box = qobject_cast<QCheckBox*>(a)) {
            EXPECT_LE(box->sizeHint().width(), box->width());
            EXPECT_LE(box->fontMetrics().height(), box->height());
        } else if (auto* button = qobject_cast<QPushButton*>(a)) {
            if (button->text().isEmpty()) {
                EXPECT_LE(button->iconSize().width(), button->width());
                EXPECT_LE(button->iconSize().height(), button->height());
            } else {
                const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin);
                EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 2 * margin,
                          button->width());
                EXPECT_LE(button->fontMetrics().height() + 4, button->height());
            }
        } else if (auto* line = qobject_cast<QLineEdit*>(a)) {
            const int frame = line->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
            EXPECT_LE(line->fontMetrics().height() + 2 * frame, line->height());
        }
    }
}

TEST_F(MainDialogLookTest, NothingOverlapsOrClipsFromTheSmallestWindowToMaximized) {
    Run([&] {
        QWidget* window = Window();
        const QMargins frame = window->windowHandle()->frameMargins();
        m_dialog.MoveWindow(10, 10, MainDialog::kMinWidth, MainDialog::kMinHeight);
        QApplication::processEvents();
        EXPECT_EQ(window->frameGeometry().size(),
                  QSize(MainDialog::kMinWidth, MainDialog::kMinHeight));
        {
            SCOPED_TRACE("smallest");
            ExpectTidy(window);
        }
        QWidget* links[] = {Widget(kLink1), Widget(kLink2), Widget(kLink3)};
        const int gap = links[1]->x() - links[0]->x();
        const int gap2 = links[2]->x() - links[1]->x();

        m_dialog.ShowWindow(SW_MAXIMIZE);
        QApplication::processEvents();
        EXPECT_EQ(window->size().grownBy(frame), QSize(1280, 1024));
        {
            SCOPED_TRACE("maximized");
            ExpectTidy(window);
        }
        // Bunched in the middle as the proportional group places them, not spread out.
        EXPECT_EQ(links[1]->x() - links[0]->x(), gap);
        EXPECT_EQ(links[2]->x() - links[1]->x(), gap2);
        const int middle = (links[0]->geometry().left() + links[2]->geometry().right()) / 2;
        EXPECT_NEAR(middle, window->width() / 2, window->width() / 20);
    });
}

} // namespace
