// The window layer: sends across threads and to ended dialogs, fonts and dialog units, default
// processing, workers, and input that comes while a dialog is being set up.

#include "platform/win/Win.h"

#include "platform/win/DialogBuilder.h"
#include "tests/support/TestTemplate.h"
#include "tests/support/WindowRects.h"

#include <QApplication>
#include <QDialog>
#include <QFontInfo>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using testing_support::Native;
constexpr UINT kPing = 0x0400; // a message of the test's own

// A dialog of the test template that hands kPing to the test's handler. Modal runs steps once it
// is up, then ends it with 3 unless it has ended.
struct Window : CDialog {
    Window() : CDialog(testing_support::kTestTemplate) {
        testing_support::UseTestTemplate();
        EXPECT_TRUE(platform::EnsureGuiApplication());
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        return message == kPing ? m_handler(wParam) : CDialog::WindowProc(message, wParam, lParam);
    }
    INT_PTR Modal(const std::function<void()>& steps) {
        QTimer timer; // goes with the session, also when the dialog ends before it runs
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            steps();
            if (Native(*this)->isVisible())
                EndDialog(3);
        });
        timer.start(0);
        return DoModal();
    }
    std::function<LRESULT(WPARAM)> m_handler;
};

// A worker's send is answered on the window thread, also inside a nested modal loop (which it
// ends here); the handler's own send there is a direct call, as a queued one would deadlock.
TEST(WinTest, SendsWaitForTheWindowThreadAlsoInANestedModalLoop) {
    Window window;
    const auto windowThread = std::this_thread::get_id();
    window.Modal([&] {
        QDialog nested(Native(window));
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

// The dialog is sized in units of its font and takes the fonts set on it; once it has ended, its
// handle, never reused, finds nothing from any thread.
TEST(WinTest, DialogFollowsItsFontsAndItsHandleFindsNothingOnceEnded) {
    Window window;
    HWND gone = 0;
    window.Modal([&] {
        gone = window.GetSafeHwnd();
        EXPECT_TRUE(platform::SendMessageChecked(gone, PBM_GETPOS, 0, 0));
        EXPECT_EQ(Native(window)->size(), QSize(345, 283)); // 230 x 174 units of 1.5 x 1.625 px
        // A positive font height is the character cell; Courier New may be Liberation Mono.
        CFont font;
        font.CreateFontA(17, 0, 0, 0, 0, FALSE, FALSE, FALSE, 0, 0, 0, 0, 0, "Courier New");
        window.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(&font), TRUE);
        const QFont set = Native(window)->font();
        EXPECT_NEAR(QFontMetrics(set).ascent() + QFontMetrics(set).descent(), 17, 1);
        EXPECT_TRUE(QFontInfo(set).family() == "Courier New" ||
                    QFontInfo(set).family() == "Liberation Mono");
    });
    window.Modal([&] { EXPECT_FALSE(platform::SendMessageChecked(gone, PBM_GETPOS, 0, 0)); });
    std::atomic<int> sent{-1};
    std::thread worker([&] { sent = platform::SendMessageChecked(gone, PBM_GETPOS, 0, 0); });
    platform::PumpMessagesUntil([&] { return sent >= 0; });
    worker.join();
    EXPECT_EQ(sent, 0);
}

// A point size is a whole number of pixels at the screen's DPI; a dialog unit is the font's
// average character width / 4 across and its cell / 8 down, the ascent and the descent each
// rounded up to whole pixels.
TEST(WinTest, DialogUnitsComeFromTheFontAtTheScreensDpi) {
    ASSERT_TRUE(platform::EnsureGuiApplication());
    const std::tuple<double, int, double, double> cases[] = {
        {96, 11, 1.5, 1.625}, {120, 13, 2, 1.875}, {192, 21, 3, 3.125}};
    for (const auto& [dpi, pixels, x, y] : cases) {
        const QFont font = platform::DialogFont("MS Sans Serif", 8, dpi);
        EXPECT_EQ(font.pixelSize(), pixels) << dpi;
        EXPECT_EQ(platform::UnitsOf(font).x, x) << dpi;
        EXPECT_EQ(platform::UnitsOf(font).y, y) << dpi;
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
    EXPECT_EQ(dialog.Modal([&] { QTest::keyClick(Native(dialog)->focusWidget(), Qt::Key_Return); }),
              IDOK);
    EXPECT_EQ(dialog.Modal([&] { Native(dialog)->close(); }), IDCANCEL);
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

// A dialog that logs its handlers, where a step of the test runs in OnInitDialog, and its outer
// rectangle each time it is shown.
struct Probe : Window, QObject {
    Probe() { qApp->installEventFilter(this); }
    BOOL OnInitDialog() override {
        m_log += IsWindowVisible() ? "init visible " : "init ";
        m_inInit();
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
    void Click(const char* caption) const {
        for (QPushButton* button : Native(*this)->findChildren<QPushButton*>())
            if (button->text() == caption)
                button->click();
    }
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Show && object == Native(*this))
            m_shown.emplace_back(testing_support::WindowRect(*this), IsZoomed());
        return false;
    }
    std::function<void()> m_inInit;
    std::string m_log;
    std::vector<std::pair<RECT, bool>> m_shown;
};

// Keys, clicks and the close box that come while the dialog is being set up wait until
// OnInitDialog has returned, in their order; one that ends the dialog ends it before it shows.
// Otherwise the window is shown once OnInitDialog has placed it: where it was moved, maximized if
// it was.
TEST(WinTest, InputDuringSetUpWaitsForOnInitDialogAndTheWindowAppearsOnceWhereItWasPut) {
    Probe probe;
    probe.m_inInit = [&] {
        QTest::keyClick(Native(probe), Qt::Key_Return);
        probe.Click("Generate");
        QTest::keyClick(Native(probe), Qt::Key_Escape);
        Native(probe)->close();
        probe.Click("Exit");
    };
    EXPECT_EQ(probe.Modal([] {}), IDCANCEL);
    EXPECT_EQ(probe.m_log, "init command1 ok command1006 command2 cancel ");
    EXPECT_TRUE(probe.m_shown.empty());

    probe.m_inInit = [&] { probe.MoveWindow(120, 90, 500, 400); };
    probe.Modal([] {});
    probe.m_inInit = [&] {
        probe.MoveWindow(130, 70, 450, 350);
        EXPECT_FALSE(probe.ShowWindow(SW_MAXIMIZE)); // not shown yet, and still not
        EXPECT_TRUE(probe.IsZoomed() && !probe.IsWindowVisible());
    };
    probe.Modal([&] {
        testing_support::Show(probe, SW_RESTORE);
        EXPECT_EQ(testing_support::WindowRect(probe), (RECT{130, 70, 580, 420}));
    });
    EXPECT_EQ(probe.m_log.substr(probe.m_log.size() - 10), "init init ");
    EXPECT_EQ(probe.m_shown, (std::vector<std::pair<RECT, bool>>{{{120, 90, 620, 490}, false},
                                                                 {{130, 70, 580, 420}, true}}));
}

} // namespace
