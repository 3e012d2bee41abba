// The main dialog with real widgets, driven through its controls: keys, clicks and typing.

#include "ui/MainDialog.h"

#include "platform/os/RandomProvider.h"
#include "platform/win/OutputView.h"
#include "tests/ui/MainDialogRun.h"

#include <QPushButton>
#include <QTest>
#include <gmock/gmock.h>
#include <regex>
#include <string>
#include <tuple>

namespace {

using enum MainDialog::ControlId;
using testing::HasSubstr;
using testing_support::ReadFile;

// "gen.cfg" with its window geometry (bytes 5 on: a 32-bit size, then the blob) left empty.
std::string WithoutGeometry(std::string file) {
    EXPECT_EQ(file.substr(5, 4), std::string("\x31\0\0\0", 4)); // the 49-byte blob
    return file.erase(9, 49).replace(5, 4, std::string(4, '\0'));
}

// Each test is one dialog session from the defaults, in an empty folder without "gen.cfg".
class MainDialogTest : public testing_support::MainDialogSession<> {
protected:
    MainDialogTest() {
        platform::SetMessageBoxForTesting([this](const CString& text) { m_boxes += text + "|"; });
    }
    ~MainDialogTest() override { platform::SetMessageBoxForTesting({}); }
    bool On(int id) const { return Item(id).SendMessage(BM_GETCHECK) != 0; }
    // Keys and typing go to the control that has the focus, as a person's would.
    void Key(int id, Qt::Key key) {
        Item(id).SetFocus();
        QTest::keyClick(Window()->focusWidget(), key);
    }
    template <class... Ids> void Click(Ids... ids) { (Key(ids, Qt::Key_Space), ...); }
    void Type(int id, const char* text) {
        Item(id).SetWindowText("");
        Item(id).SetFocus();
        QTest::keyClicks(Window()->focusWidget(), text);
    }
    void Ask(const char* q, const char* l) { Type(kQuantity, q), Type(kLength, l); }

    std::string m_boxes;
};

// Enter in Quantity generates; the result is selected from its end, caret and view at its start.
TEST_F(MainDialogTest, FirstRunShowsDefaultsEnterGeneratesFromTheTypedNumbersAndEscStoresThem) {
    const std::tuple<const char*, const char*, const char*, int> cases[] = {
        {"+7", "x", "7x7", 63}, {"abc", "  12abc", "7x12", 98}, {"0", "-4", "1x1", 3},
        {"-4", "0", "1x1", 3},  {"200", "8", "200x8", 2000},    {"3", "8", "3x8", 30}};
    Run([&] {
        EXPECT_EQ(Text(kQuantity) + Text(kLength) + Text(kSpecialSymbols), "17_-+/*=!@$%^&()~");
        EXPECT_TRUE(On(kUpper) && On(kLower) && On(kDigits));
        EXPECT_FALSE(On(kSpecial) || Item(kSpecialSymbols).IsWindowEnabled());
        for (auto [quantity, length, shown, size] : cases) {
            Ask(quantity, length);
            Key(kQuantity, Qt::Key_Return);
            EXPECT_EQ(Text(kOutput) + Text(kGenerate), "Cancel"); // old output gone at once
            platform::WaitForWorkerThreads(); // serves the run until its notice is handled
            EXPECT_EQ(Text(kQuantity) + "x" + Text(kLength), shown);
            EXPECT_EQ(Text(kOutput).size(), std::size_t(size));
            const auto* output = dynamic_cast<platform::OutputView*>(Window()->focusWidget());
            ASSERT_NE(output, nullptr); // the focus is on the output box
            EXPECT_EQ(output->Caret(), 0u);
            EXPECT_EQ(output->Anchor(), std::size_t(size));
            EXPECT_EQ(output->FirstVisibleLine(), 0u);
        }
        Key(kQuantity, Qt::Key_Escape);
        EXPECT_FALSE(m_dialog.IsWindowVisible());
    });
    EXPECT_EQ(WithoutGeometry(ReadFile("gen.cfg")),
              std::string("\3\10\1\1\1\0\0\0\0\0\20\0\0\0_-+/*=!@$%^&()~\0\3\0\0\0", 34));
}

TEST_F(MainDialogTest, AlphabetJoinsTheCheckedClassesAndUncheckedSymbolsAreKeptAndStored) {
    const std::string alnum = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    Run([&] {
        Click(kUpper, kLower, kDigits, kGenerate); // none: the run still completes
        platform::WaitForWorkerThreads();
        EXPECT_EQ(Text(kAlphabet) + Text(kOutput) + Text(kGenerate), "Generate");
        Click(kSpecial);
        Type(kSpecialSymbols, ""); // adds nothing
        Click(kGenerate);
        EXPECT_EQ(Text(kAlphabet), "");
        Click(kUpper, kLower, kDigits);
        Type(kSpecialSymbols, "aA1");
        Click(kGenerate);
        EXPECT_EQ(Text(kAlphabet), alnum + "aA1"); // 65 characters, nothing merged
        Type(kSpecialSymbols, "#%");
        Click(kSpecial, kGenerate);
        EXPECT_EQ(Text(kAlphabet) + Text(kSpecialSymbols), alnum + "#%");
        EXPECT_FALSE(Item(kSpecialSymbols).IsWindowEnabled());
        Key(IDCANCEL, Qt::Key_Return); // on a push button Enter clicks it: "Exit" closes
        EXPECT_FALSE(m_dialog.IsWindowVisible());
    });
    EXPECT_EQ(WithoutGeometry(ReadFile("gen.cfg")),
              std::string("\1\7\1\1\1\0\0\0\0\0\3\0\0\0#%\0\1\0\0\0", 21));
}

// A second press and closing cancel a run; a failed fill and an oversized request show nothing.
TEST_F(MainDialogTest, RunsEndEarlyOnCancelFailureOrRefusalAndClosingWaitsForThem) {
    Run([&] {
        Type(kQuantity, "100000");
        Click(kGenerate);
        Type(kLength, "5");
        Click(kGenerate);
        platform::WaitForWorkerThreads(); // at least one password, of the starting length
        EXPECT_LT(Text(kOutput).size(), 900000u);
        EXPECT_TRUE(std::regex_match(Text(kOutput), std::regex("([A-Za-z0-9]{7}\r\n)+")));

        platform::SetRandomFillForTesting([](unsigned char*, std::size_t) { return false; });
        Click(kGenerate);
        platform::WaitForWorkerThreads();
        EXPECT_EQ(Text(kOutput), "");
        EXPECT_THAT(m_boxes, HasSubstr("random source failed"));
        platform::SetRandomFillForTesting({});

        Ask("2000000000", "2000000000");
        Click(kGenerate);
        EXPECT_EQ(m_dialog.GetGenerator(), nullptr);
        EXPECT_THAT(m_boxes, HasSubstr("|Cannot make 2000000000 passwords of 2000000000 "));

        Ask("100000", "7");
        Click(kGenerate);
        Key(kGenerate, Qt::Key_Escape);
        EXPECT_FALSE(m_dialog.IsWindowVisible());
        EXPECT_EQ(m_dialog.GetGenerator(), nullptr);
        EXPECT_LT(Text(kOutput).size(), 900000u);
    });
    platform::WaitForWorkerThreads(); // returns once no worker is left
    EXPECT_THAT(ReadFile("gen.cfg"), testing::EndsWith(std::string("\xA0\x86\1\0", 4)));
}

// A generator window that takes a test's input inside its set-up or when it is shown, and notes
// the handlers that ran before it was set up.
struct EagerDialog : MainDialog {
    BOOL OnInitDialog() override {
        if (m_input && m_when == kDuringSetUp)
            m_input();
        const BOOL focus = MainDialog::OnInitDialog();
        m_setUp = true;
        return focus;
    }
    void OnOK() override {
        m_early += m_setUp ? "" : "ok ";
        MainDialog::OnOK();
    }
    void OnCancel() override {
        m_early += m_setUp ? "" : "cancel ";
        MainDialog::OnCancel();
    }
    QWidget* Window() const { return static_cast<QWidget*>(NativeWindow()); }
    void OnEvent(QObject* object, QEvent* event) {
        if (event->type() == QEvent::Show && object == Window() && m_input && m_when == kAtShow)
            std::exchange(m_input, nullptr)();
    }
    enum When { kDuringSetUp, kAtShow } m_when = kDuringSetUp;
    std::function<void()> m_input;
    bool m_setUp = false;
    std::string m_early;
};

struct ShowFilter : QObject {
    explicit ShowFilter(EagerDialog& dialog) : m_dialog(dialog) { qApp->installEventFilter(this); }
    bool eventFilter(QObject* object, QEvent* event) override {
        m_dialog.OnEvent(object, event);
        return false;
    }
    EagerDialog& m_dialog;
};

class EarlyInputTest : public testing_support::DialogTest {
protected:
    // One session: input as the dialog is set up or shown; then, once it runs, steps, and Esc
    // if it is still open. A window that Esc does not close is a failure, and is ended.
    void Session(EagerDialog::When when, const std::function<void(EagerDialog&)>& input,
                 const std::function<void(EagerDialog&)>& steps = nullptr) {
        EagerDialog dialog;
        ShowFilter filter(dialog);
        m_app.m_pMainWnd = &dialog;
        dialog.m_when = when;
        if (input)
            dialog.m_input = [&] { input(dialog); };
        QTimer running;
        running.setSingleShot(true);
        QObject::connect(&running, &QTimer::timeout, [&] {
            if (steps)
                steps(dialog);
            if (dialog.IsWindowVisible())
                QTest::keyClick(dialog.Window(), Qt::Key_Escape);
            if (dialog.IsWindowVisible()) {
                ADD_FAILURE() << "Esc did not close the window";
                dialog.EndDialog(IDCANCEL);
            }
        });
        running.start(0);
        dialog.DoModal();
        platform::WaitForWorkerThreads();
        m_app.m_pMainWnd = nullptr;
        EXPECT_EQ(dialog.m_early, "");
    }
};

// Esc, a click on Exit, the close box and Enter that come before the window is set up do not
// store empty controls over the user's settings, and the window still closes.
TEST_F(EarlyInputTest, InputBeforeSetUpKeepsTheSettingsAndTheWindowCloses) {
    Session(EagerDialog::kDuringSetUp, nullptr, [](EagerDialog& dialog) {
        dialog.GetDlgItem(kQuantity).SetWindowText("5");
        dialog.GetDlgItem(kLength).SetWindowText("12");
        dialog.GetDlgItem(kLower).SendMessage(BM_SETCHECK, BST_UNCHECKED);
        dialog.GetDlgItem(kSpecial).SendMessage(BM_SETCHECK, BST_CHECKED);
        dialog.GetDlgItem(kSpecialSymbols).SetWindowText("#%");
    });
    const std::string settings = ReadFile("gen.cfg");
    ASSERT_EQ(settings.substr(0, 5), std::string("\5\14\1\0\1", 5));

    const auto key = [](Qt::Key which) {
        return [which](EagerDialog& dialog) { QTest::keyClick(dialog.Window(), which); };
    };
    const std::pair<const char*, std::function<void(EagerDialog&)>> inputs[] = {
        {"Esc", key(Qt::Key_Escape)},
        {"Exit",
         [](EagerDialog& dialog) {
             for (QPushButton* button : dialog.Window()->findChildren<QPushButton*>())
                 if (button->text() == "Exit")
                     QTest::mouseClick(button, Qt::LeftButton);
         }},
        {"close box", [](EagerDialog& dialog) { dialog.Window()->close(); }},
        {"Enter", key(Qt::Key_Return)},
    };
    for (const auto when : {EagerDialog::kDuringSetUp, EagerDialog::kAtShow}) {
        for (const auto& [name, input] : inputs) {
            SCOPED_TRACE(std::string(name) + (when == EagerDialog::kAtShow ? " at show" : ""));
            Session(when, input);
            EXPECT_EQ(ReadFile("gen.cfg"), settings);
        }
    }
}

} // namespace
