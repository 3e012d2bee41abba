// The window layer itself: sending across threads, windows that are gone, window texts, dialog
// units, fonts and the commands that end a dialog.

#include "platform/Win.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

constexpr UINT kPing = 0x0400; // a message of the test's own

bool WaitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    platform::PumpMessagesUntil(
        [&] { return done() || std::chrono::steady_clock::now() > deadline; });
    return done();
}

// Runs work on a thread of its own while the window thread serves messages.
void OnWorker(const std::function<void()>& work) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    EXPECT_TRUE(WaitFor([&] { return done.load(); }));
    worker.join();
}

bool OnWindowThread() {
    return QThread::currentThread() == qApp->thread();
}

// A dialog of the main template that hands kPing to a handler of the test.
class Window : public CDialog {
public:
    Window() : CDialog(102) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kPing && m_handler)
            return m_handler(wParam);
        return CDialog::WindowProc(message, wParam, lParam);
    }
    std::function<LRESULT(WPARAM)> m_handler;
};

class WinTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(platform::EnsureGuiApplication()); }
    WinTest() { m_app.m_pMainWnd = &m_window; }

    // Runs the window modally; steps run once it is up, then it is closed unless already.
    INT_PTR Modal(const std::function<void()>& steps) {
        QTimer::singleShot(0, [&] {
            steps();
            if (Native()->isVisible())
                m_window.EndDialog(kClosedByTest);
        });
        return m_window.DoModal();
    }
    QWidget* Native() const { return static_cast<QWidget*>(m_window.NativeWindow()); }

    static constexpr int kClosedByTest = 3;
    CWinApp m_app;
    Window m_window;
};

TEST_F(WinTest, SendsAreHandledOnTheWindowThreadAlsoInANestedModalLoop) {
    Modal([&] {
        // The first worker's message runs a modal loop; a second worker's message, served inside
        // it, ends it. A send on the window thread itself is a direct call.
        QDialog nested(Native());
        std::thread second;
        std::vector<WPARAM> handled;
        m_window.m_handler = [&](WPARAM which) -> LRESULT {
            EXPECT_TRUE(OnWindowThread());
            handled.push_back(which);
            if (which == 0)
                return 1000;
            if (which == 2) {
                nested.done(QDialog::Accepted);
                return 2;
            }
            second = std::thread([&] { m_window.SendMessage(kPing, 2); });
            QTimer::singleShot(10000, &nested, [&] { nested.done(QDialog::Rejected); });
            return nested.exec() + m_window.SendMessage(kPing, 0);
        };
        LRESULT answer = 0;
        std::vector<WPARAM> handledWhenAnswered;
        OnWorker([&] {
            answer = m_window.SendMessage(kPing, 1);
            handledWhenAnswered = handled;
        });
        second.join();
        EXPECT_EQ(answer, QDialog::Accepted + 1000);
        EXPECT_EQ(handledWhenAnswered, (std::vector<WPARAM>{1, 2, 0}));
        EXPECT_EQ(m_window.SendMessage(kPing, 0), 1000);
        EXPECT_EQ(handled.size(), 4u);
    });
}

TEST_F(WinTest, SendToAWindowThatIsGoneReturnsFalseFromAnyThread) {
    HWND gone = 0;
    HWND goneChild = 0;
    int handled = 0;
    m_window.m_handler = [&](WPARAM) -> LRESULT { return ++handled; };
    Modal([&] {
        gone = m_window.GetSafeHwnd();
        goneChild = m_window.GetDlgItem(1001).GetSafeHwnd();
        EXPECT_TRUE(platform::SendMessageChecked(gone, kPing, 0, 0));
    });
    EXPECT_EQ(m_window.GetSafeHwnd(), 0u);
    LRESULT result = 7;
    EXPECT_FALSE(platform::SendMessageChecked(gone, kPing, 0, 0, &result));
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(CWnd(goneChild).IsWindow());
    EXPECT_EQ(CWnd(gone).GetDlgItem(1001).GetSafeHwnd(), 0u);
    OnWorker([&] { EXPECT_FALSE(platform::SendMessageChecked(gone, kPing, 0, 0)); });

    // The same dialog opened again gets a new handle; the old one stays dead.
    Modal([&] {
        EXPECT_NE(m_window.GetSafeHwnd(), gone);
        EXPECT_FALSE(platform::SendMessageChecked(gone, kPing, 0, 0));
    });
    EXPECT_EQ(handled, 1);
}

TEST_F(WinTest, WindowTextsAndIconsComeBackAsTheyWereSet) {
    Modal([&] {
        // A null icon (no icon resource exists yet) is no icon.
        EXPECT_EQ(m_app.LoadIcon(128), nullptr);
        EXPECT_EQ(m_window.SendMessage(WM_SETICON, ICON_BIG, 0), 0);
        EXPECT_TRUE(Native()->windowIcon().isNull());
        // Multi-line edits show "\r\n" as line breaks; a no-break space stays what it is.
        for (auto [id, text] :
             {std::pair{1000, "a\u00A0b\r\n\r\nc\u20AC\r\n"}, {1001, "\u00A0x"}}) {
            m_window.GetDlgItem(id).SetWindowText(text);
            EXPECT_EQ(m_window.GetDlgItem(id).GetWindowText(), text);
        }
    });
}

TEST_F(WinTest, DialogUnitsComeFromTheDialogFont) {
    Modal([&] {
        const QFontMetrics metrics(Native()->font());
        const int letters = metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        const int average = (letters / 26 + 1) / 2;
        EXPECT_EQ(Native()->width(), qRound(230 * average / 4.0));
        EXPECT_EQ(Native()->height(), qRound(174 * metrics.height() / 8.0));
        QWidget* quantity = Native()->focusWidget(); // the first tab stop: edit 1001, 14 high
        ASSERT_NE(quantity, nullptr);
        EXPECT_EQ(quantity->height(), qRound(14 * metrics.height() / 8.0));
        // So captions fit their buttons at this font.
        for (QPushButton* button : Native()->findChildren<QPushButton*>()) {
            EXPECT_TRUE(!button->isVisible() || button->text().startsWith("Button") ||
                        button->width() >= metrics.horizontalAdvance(button->text()))
                << button->text().toStdString();
        }
    });
}

TEST_F(WinTest, PositiveFontHeightIsTheCellAndCourierFallsBackToLiberationMono) {
    Modal([&] {
        for (int height : {12, 17, 24, -20}) {
            CFont font;
            font.CreateFontA(height, 0, 0, 0, 0, FALSE, FALSE, FALSE, 0, 0, 0, 0, 0, "Courier New");
            m_window.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(&font), TRUE);
            const QFontMetrics metrics(Native()->font());
            const QFontInfo info(Native()->font());
            // A negative height is the em.
            EXPECT_NEAR(height > 0 ? metrics.ascent() + metrics.descent() : info.pixelSize(),
                        std::abs(height), height > 0 ? 1 : 0);
            EXPECT_TRUE(info.fixedPitch());
            EXPECT_TRUE(QFontDatabase::hasFamily(QStringLiteral("Courier New")) ||
                        info.family() == QStringLiteral("Liberation Mono"));
        }
    });
}

TEST_F(WinTest, KeysAndTheCloseBoxEndTheDialogWithTheirCommand) {
    EXPECT_EQ(Modal([&] { QTest::keyClick(Native()->focusWidget(), Qt::Key_Return); }), IDOK);
    EXPECT_EQ(Modal([&] { QTest::keyClick(Native()->focusWidget(), Qt::Key_Escape); }), IDCANCEL);
    EXPECT_EQ(Modal([&] { Native()->close(); }), IDCANCEL);
}

} // namespace
