// The window layer: sends across threads and to gone windows, texts, dialog units, fonts, keys.

#include "platform/win/Win.h"

#include "platform/win/DialogBuilder.h"
#include "tests/support/TestTemplate.h"

#include <QApplication>
#include <QDialog>
#include <QFontInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr UINT kPing = 0x0400; // a message of the test's own

// A dialog of the main template that hands kPing to the test's handler. Modal runs it: steps run
// once it is up, then it is closed unless a step ended it.
struct Window : CDialog {
    Window() : CDialog(testing_support::kTestTemplate) {
        testing_support::UseTestTemplate();
        EXPECT_TRUE(platform::EnsureGuiApplication());
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        return message == kPing ? m_handler(wParam) : CDialog::WindowProc(message, wParam, lParam);
    }
    INT_PTR Modal(const std::function<void()>& steps) {
        QTimer::singleShot(0, [&] {
            steps();
            if (Native()->isVisible())
                EndDialog(3);
        });
        return DoModal();
    }
    QWidget* Native() const { return static_cast<QWidget*>(NativeWindow()); }
    std::function<LRESULT(WPARAM)> m_handler;
};

// A worker's send is answered on the window thread, also inside a nested modal loop (which it
// ends here); the handler's own send there is a direct call, as a queued one would deadlock.
TEST(WinTest, SendsWaitForTheWindowThreadAlsoInANestedModalLoop) {
    Window window;
    const auto windowThread = std::this_thread::get_id();
    window.Modal([&] {
        QDialog nested(window.Native());
        window.m_handler = [&](WPARAM which) -> LRESULT {
            EXPECT_EQ(std::this_thread::get_id(), windowThread);
            if (which == 0)
                return 10;
            nested.done(QDialog::Accepted);
            return window.SendMessage(kPing, 0) + 1;
        };
        LRESULT answer = 0;
        std::thread worker([&] { answer = window.SendMessage(kPing, 1); });
        QTimer::singleShot(10000, &nested, [&] { nested.done(QDialog::Rejected); });
        EXPECT_EQ(nested.exec(), QDialog::Accepted);
        worker.join();
        EXPECT_EQ(answer, 11);
    });
}

// One dialog's sessions: sized in dialog units from its font, fonts set on controls,
// ended by Enter, Esc or the close box; then its handle, never reused, finds nothing.
TEST(WinTest, DialogFollowsItsFontsEndsByKeyOrCloseBoxAndIsThenGone) {
    Window window;
    HWND gone = 0;
    INT_PTR ended = window.Modal([&] {
        gone = window.GetSafeHwnd();
        EXPECT_TRUE(platform::SendMessageChecked(gone, PBM_GETPOS, 0, 0));
        // The template's 8-point font has base units of 6 x 13 pixels at 96 DPI, in the logical
        // pixels of every scale factor: 230 x 174 units are 345 x 283 pixels.
        EXPECT_EQ(window.Native()->size(), QSize(345, 283));
        EXPECT_EQ(QFontInfo(window.Native()->font()).pixelSize(), 11);
        // A positive font height is the character cell; Courier New may be Liberation Mono.
        CFont font;
        font.CreateFontA(17, 0, 0, 0, 0, FALSE, FALSE, FALSE, 0, 0, 0, 0, 0, "Courier New");
        window.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(&font), TRUE);
        const QFont set = window.Native()->font();
        EXPECT_NEAR(QFontMetrics(set).ascent() + QFontMetrics(set).descent(), 17, 1);
        EXPECT_TRUE(QFontInfo(set).family() == "Courier New" ||
                    QFontInfo(set).family() == "Liberation Mono");
        QTest::keyClick(window.Native()->focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(ended, IDOK);
    ended = window.Modal([&] {
        EXPECT_FALSE(platform::SendMessageChecked(gone, PBM_GETPOS, 0, 0));
        QTest::keyClick(window.Native()->focusWidget(), Qt::Key_Escape);
    });
    EXPECT_EQ(ended, IDCANCEL);
    EXPECT_EQ(window.Modal([&] { window.Native()->close(); }), IDCANCEL);
    std::atomic<int> sent{-1};
    std::thread worker([&] { sent = platform::SendMessageChecked(gone, PBM_GETPOS, 0, 0); });
    platform::PumpMessagesUntil([&] { return sent >= 0; });
    worker.join();
    EXPECT_EQ(sent, 0);
}

// Dialog units follow the dialog font: x is its average character width / 4, y its character cell
// / 8, the cell being the ascent and the descent each rounded up to whole pixels. A point size is
// a whole number of pixels at the screen's logical DPI, so the units grow with the DPI.
TEST(WinTest, DialogUnitsComeFromTheFontAtTheScreensDpi) {
    ASSERT_TRUE(platform::EnsureGuiApplication());
    const struct {
        double dpi;
        int pixels;
        platform::DialogUnits units;
    } cases[] = {{96, 11, {1.5, 1.625}}, {120, 13, {2, 1.875}}, {192, 21, {3, 3.125}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dpi);
        const QFont font = platform::DialogFont("MS Sans Serif", 8, c.dpi);
        EXPECT_EQ(font.pixelSize(), c.pixels);
        const platform::DialogUnits units = platform::UnitsOf(font);
        EXPECT_EQ(units.x, c.units.x);
        EXPECT_EQ(units.y, c.units.y);
    }
    // A face that is wider and taller gives larger units: its texts keep their room.
    const QFont dejaVu = platform::DialogFont("DejaVu Sans", 8, 96);
    if (QFontInfo(dejaVu).family() == "DejaVu Sans") {
        EXPECT_GT(platform::UnitsOf(dejaVu).x, 1.5);
        EXPECT_GT(platform::UnitsOf(dejaVu).y, 1.625);
    }
}

// Default is the default processing of the message being handled, for the user's commands (Enter,
// the close box) as for a sent one: a dialog that leaves its commands to it ends as CDialog does.
TEST(WinTest, DefaultHandlesTheUsersCommandsAsSentOnes) {
    struct Deferring : Window {
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
            return message == WM_COMMAND ? Default() : Window::WindowProc(message, wParam, lParam);
        }
    } dialog;
    EXPECT_EQ(
        dialog.Modal([&] { QTest::keyClick(dialog.Native()->focusWidget(), Qt::Key_Return); }),
        IDOK);
    EXPECT_EQ(dialog.Modal([&] { dialog.Native()->close(); }), IDCANCEL);
    EXPECT_EQ(dialog.Modal([&] { dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)); }),
              IDOK);
}

// A worker runs InitInstance, Run and ExitInstance once each on its own thread, also when it keeps
// the default Run, and the wait for the workers returns once it has deleted itself.
TEST(WinTest, AWorkerEndsOnceAndTheWaitSeesItGone) {
    static std::atomic<int> exits{0}, alive{0};
    struct Worker : CWinThread {
        Worker() { ++alive; }
        ~Worker() override { --alive; }
        BOOL InitInstance() override { return AfxGetThread() == this; }
        int ExitInstance() override { return ++exits; }
    };
    ASSERT_NE(AfxBeginThread<Worker>(), nullptr);
    platform::WaitForWorkerThreads();
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(alive, 0);
}

// A dialog that logs its handlers and runs a step of the test inside OnInitDialog.
struct Probe : Window {
    BOOL OnInitDialog() override {
        m_log += "init(";
        m_visibleInInit = IsWindowVisible();
        if (m_inInit)
            m_inInit();
        m_log += ") ";
        return TRUE;
    }
    void OnOK() override { m_log += "ok "; }
    void OnCancel() override {
        m_log += "cancel ";
        CDialog::OnCancel();
    }
    BOOL OnCommand(UINT id, UINT code) override {
        m_log += "command" + std::to_string(id) + " ";
        return CDialog::OnCommand(id, code);
    }
    QPushButton* Button(const char* caption) const {
        for (QPushButton* button : Native()->findChildren<QPushButton*>())
            if (button->text() == caption)
                return button;
        return nullptr;
    }
    std::function<void()> m_inInit;
    std::string m_log;
    bool m_visibleInInit = true;
};

// Notes the outer rectangle and the state of a window each time it is shown.
struct ShowWatch : QObject {
    explicit ShowWatch(const Probe& dialog) : m_dialog(dialog) { qApp->installEventFilter(this); }
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Show && object == m_dialog.Native()) {
            RECT rect{};
            m_dialog.GetWindowRect(&rect);
            m_shown.push_back(std::to_string(rect.left) + "," + std::to_string(rect.top) + " " +
                              std::to_string(rect.right - rect.left) + "x" +
                              std::to_string(rect.bottom - rect.top) +
                              (m_dialog.IsZoomed() ? " maximized" : ""));
        }
        return false;
    }
    const Probe& m_dialog;
    std::vector<std::string> m_shown;
};

// Keys, clicks and the close box that come while the dialog is being set up wait until
// OnInitDialog has returned, in their order; one that ends the dialog ends it before it shows.
TEST(WinTest, InputDuringSetUpWaitsForOnInitDialogAndAnEndThenKeepsTheWindowHidden) {
    Probe probe;
    ShowWatch shows(probe);
    probe.m_inInit = [&] {
        QTest::keyClick(probe.Native(), Qt::Key_Return);
        probe.Button("Generate")->click();
        QTest::keyClick(probe.Native(), Qt::Key_Escape);
        probe.Native()->close();
        probe.Button("Exit")->click();
    };
    // Ends a dialog that did not end itself, so that a failure does not hang the test.
    QTimer stop;
    stop.setSingleShot(true);
    QObject::connect(&stop, &QTimer::timeout, [&] { probe.EndDialog(3); });
    stop.start(0);
    EXPECT_EQ(probe.DoModal(), IDCANCEL);
    stop.stop();
    EXPECT_EQ(probe.m_log, "init() command1 ok command1006 command2 cancel ");
    EXPECT_FALSE(probe.m_visibleInInit);
    EXPECT_TRUE(shows.m_shown.empty());

    // Set up without input, the same dialog closes on each of them.
    probe.m_inInit = nullptr;
    const std::pair<const char*, std::function<void()>> closers[] = {
        {"Esc", [&] { QTest::keyClick(probe.Native()->focusWidget(), Qt::Key_Escape); }},
        {"Exit", [&] { QTest::mouseClick(probe.Button("Exit"), Qt::LeftButton); }},
        {"close box", [&] { probe.Native()->close(); }},
    };
    for (const auto& [name, close] : closers) {
        SCOPED_TRACE(name);
        probe.m_log.clear();
        EXPECT_EQ(probe.Modal(close), IDCANCEL);
        EXPECT_EQ(probe.m_log, "init() command2 cancel ");
    }
}

// The first tab stop has the focus when the window appears, and an edit there has its whole text
// selected, so that typing replaces it; a click into it places the caret instead.
TEST(WinTest, TheFirstEditHasTheFocusWithItsTextSelectedWhenTheWindowAppears) {
    Probe probe;
    probe.m_inInit = [&] { probe.GetDlgItem(1001).SetWindowText("12"); };
    QString selected = "(not shown)";
    struct Watch : QObject {
        bool eventFilter(QObject* object, QEvent* event) override {
            if (event->type() == QEvent::Show)
                m_shown(object);
            return false;
        }
        std::function<void(QObject*)> m_shown;
    } watch;
    watch.m_shown = [&](QObject* object) {
        if (object != probe.Native())
            return;
        const auto* edit = qobject_cast<QLineEdit*>(probe.Native()->focusWidget());
        selected = edit ? edit->selectedText() : "(no edit)";
    };
    qApp->installEventFilter(&watch);
    probe.Modal([&] {
        auto* edit = qobject_cast<QLineEdit*>(probe.Native()->focusWidget());
        ASSERT_NE(edit, nullptr);
        edit->clearFocus();
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 3, 5));
        EXPECT_FALSE(edit->hasSelectedText());
        EXPECT_EQ(edit->cursorPosition(), 2);
    });
    qApp->removeEventFilter(&watch);
    EXPECT_EQ(selected, "12");
}

// The window is shown once OnInitDialog has placed it: where it was moved, maximized if it was.
TEST(WinTest, WindowAppearsOnceWhereOnInitDialogPutIt) {
    Probe probe;
    ShowWatch shows(probe);
    probe.m_inInit = [&] { probe.MoveWindow(120, 90, 500, 400); };
    probe.Modal([] {});
    probe.m_inInit = [&] {
        probe.MoveWindow(130, 70, 450, 350);
        EXPECT_FALSE(probe.ShowWindow(SW_MAXIMIZE)); // not shown yet, and still not
        EXPECT_TRUE(probe.IsZoomed() && !probe.IsWindowVisible());
    };
    probe.Modal([&] {
        probe.ShowWindow(SW_RESTORE);
        QApplication::processEvents();
        RECT rect{};
        probe.GetWindowRect(&rect);
        EXPECT_EQ(rect.left + rect.top + rect.right + rect.bottom, 130 + 70 + 580 + 420);
    });
    EXPECT_FALSE(probe.m_visibleInInit);
    EXPECT_EQ(shows.m_shown,
              (std::vector<std::string>{"120,90 500x400", "130,70 450x350 maximized"}));
}

} // namespace
