// The main dialog with real widgets, driven through its controls: keys, clicks and typing.

#include "ui/MainDialog.h"

#include "generator/CGenerator.h"
#include "generator/GeneratorSettings.h"
#include "platform/RandomProvider.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <regex>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using enum MainDialog::ControlId;
using testing::ElementsAre;
using testing::HasSubstr;

const std::string kAlnum = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
const std::string kSymbols = "_-+/*=!@$%^&()~";

// Serves the window thread's events until done() holds or the time is up; true when it holds.
bool WaitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    platform::PumpMessagesUntil(
        [&] { return done() || std::chrono::steady_clock::now() > deadline; });
    return done();
}

std::string FileBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string Int32(std::uint32_t value) {
    return {char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
}

// "gen.cfg" as the dialog writes it: five leading bytes, the record's geometry blob, the special
// flag, the symbols with their zero byte, the full quantity (34 bytes for the defaults).
std::string SettingsFile(int quantity, int length, int upper, int lower, int digits, int special,
                         const std::string& symbols) {
    const ByteBuffer& geometry = GeneratorSettings::Instance().m_geometry;
    return std::string{char(quantity), char(length), char(upper), char(lower), char(digits)} +
           Int32(std::uint32_t(geometry.GetSize())) +
           std::string(reinterpret_cast<const char*>(geometry.GetData()),
                       std::size_t(geometry.GetSize())) +
           char(special) + Int32(std::uint32_t(symbols.size() + 1)) + symbols + '\0' +
           Int32(std::uint32_t(quantity));
}

class MainDialogTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(platform::EnsureGuiApplication()); }

    // Each test starts from the defaults in an empty folder of its own, without "gen.cfg".
    MainDialogTest() {
        char folder[] = "/tmp/mirrak-dialog-XXXXXX";
        m_folder = ::mkdtemp(folder);
        m_previous = fs::current_path();
        fs::current_path(m_folder);
        GeneratorSettings::Instance() = GeneratorSettings();
        GeneratorSettings::Instance().SetDefaults();
        m_app.m_pMainWnd = &m_dialog;
        platform::SetMessageBoxForTesting([this](const CString& text) { m_boxes.push_back(text); });
    }
    ~MainDialogTest() override {
        platform::SetRandomFillForTesting({});
        platform::SetMessageBoxForTesting({});
        fs::current_path(m_previous);
        fs::remove_all(m_folder);
    }

    // Runs the dialog; steps run once it is up, then it is closed unless a step closed it.
    INT_PTR Run(const std::function<void()>& steps) {
        QTimer::singleShot(0, [&] {
            steps();
            if (Window()->isVisible())
                m_dialog.OnCancel();
        });
        return m_dialog.DoModal();
    }

    QWidget* Window() const { return static_cast<QWidget*>(m_dialog.NativeWindow()); }
    // The widget of a control: the dialog's children follow the template's order.
    template <class W = QWidget> W* Widget(int id) const {
        const auto& controls = platform::FindDialogTemplate(102)->controls;
        const auto children = Window()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (std::size_t i = 0;
             i < controls.size() && children.size() == qsizetype(controls.size()); ++i)
            if (controls[i].id == id)
                return qobject_cast<W*>(children[qsizetype(i)]);
        return nullptr;
    }
    CWnd Item(int id) const { return m_dialog.GetDlgItem(id); }
    CString Text(int id) const { return Item(id).GetWindowText(); }
    bool Checked(int id) const { return Item(id).SendMessage(BM_GETCHECK) == BST_CHECKED; }

    void Click(int id) { QTest::mouseClick(Widget(id), Qt::LeftButton); }
    void Type(int id, const char* text) {
        Widget<QLineEdit>(id)->clear();
        QTest::keyClicks(Widget(id), text);
    }
    void Key(Qt::Key key) { QTest::keyClick(Window()->focusWidget(), key); }
    // True once the worker has reported (or none runs).
    bool Idle() {
        return WaitFor([&] { return m_dialog.GetGenerator() == nullptr; });
    }
    void Generate() {
        Click(kGenerate);
        ASSERT_TRUE(Idle());
    }

    CWinApp m_app;
    MainDialog m_dialog;
    std::vector<CString> m_boxes;
    fs::path m_folder;
    fs::path m_previous;
};

TEST_F(MainDialogTest, FirstRunShowsTheDefaultsAndExitWritesThem) {
    const INT_PTR result = Run([&] {
        EXPECT_EQ(Text(kQuantity) + "x" + Text(kLength), "1x7");
        EXPECT_TRUE(Checked(kUpper) && Checked(kLower) && Checked(kDigits));
        EXPECT_FALSE(Checked(kSpecial) || Item(kSpecialSymbols).IsWindowEnabled());
        EXPECT_EQ(Text(kSpecialSymbols), kSymbols);
        EXPECT_EQ(Text(kGenerate), "Generate");
        ASSERT_NE(Widget(kQuantity), nullptr);
        EXPECT_EQ(Window()->focusWidget(), Widget(kQuantity));
        Item(IDCANCEL).SetFocus();
        Key(Qt::Key_Return); // Enter on a push button clicks it: "Exit" closes, nothing is made
        EXPECT_FALSE(Window()->isVisible());
        EXPECT_EQ(m_dialog.GetGenerator(), nullptr);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(platform::RunningWorkerThreads(), 0);
    EXPECT_EQ(FileBytes("gen.cfg"), SettingsFile(1, 7, 1, 1, 1, 0, kSymbols));
}

TEST_F(MainDialogTest, SavedChoicesShowAsStoredAndTheCloseBoxStoresTheEditedOnes) {
    std::ofstream("gen.cfg", std::ios::binary) << SettingsFile(0, 0, 0, 1, 0, 1, "%%");
    const INT_PTR result = Run([&] {
        EXPECT_EQ(Text(kQuantity) + "x" + Text(kLength), "0x0"); // raised only by an exchange
        EXPECT_FALSE(Checked(kUpper) || Checked(kDigits));
        EXPECT_TRUE(Checked(kLower) && Checked(kSpecial) &&
                    Item(kSpecialSymbols).IsWindowEnabled());
        EXPECT_EQ(Text(kSpecialSymbols), "%%");
        Type(kLength, "8");
        Click(kUpper);
        Type(kSpecialSymbols, "#!");
        Window()->close();
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(FileBytes("gen.cfg"), SettingsFile(1, 8, 1, 1, 0, 1, "#!"));
}

TEST_F(MainDialogTest, NumbersAreReadFromTheirLeadingDigitsAndRaisedToOne) {
    struct Case {
        const char *quantity, *length;
        int q, l;
    } const cases[] = {{"5", "7", 5, 7},
                       {"abc", "-4", 5, 1},
                       {"0", "  12abc", 1, 12},
                       {"+7", "x", 7, 12},
                       {"-4", "+7", 1, 7}};
    Run([&] {
        for (const Case& c : cases) {
            Type(kQuantity, c.quantity);
            Type(kLength, c.length);
            Item(kQuantity).SetFocus();
            Key(Qt::Key_Return); // Enter in an edit generates
            ASSERT_TRUE(Idle());
            EXPECT_EQ(Text(kQuantity) + "x" + Text(kLength),
                      std::to_string(c.q) + "x" + std::to_string(c.l));
            EXPECT_EQ(GeneratorSettings::Instance().m_nQuantity, c.q);
            EXPECT_EQ(GeneratorSettings::Instance().m_nLength, c.l);
            EXPECT_EQ(Text(kOutput).size(), std::size_t(c.q * (c.l + 2)));
        }
    });
}

TEST_F(MainDialogTest, AlphabetJoinsTheCheckedClassesAndUncheckedSymbolsAreStillSaved) {
    Run([&] {
        for (int id : {kUpper, kLower, kDigits})
            Click(id);
        Generate();
        EXPECT_EQ(Text(kAlphabet), "");
        EXPECT_EQ(Text(kOutput), ""); // an empty alphabet still completes
        EXPECT_EQ(Text(kGenerate), "Generate");

        Click(kSpecial);
        EXPECT_TRUE(Item(kSpecialSymbols).IsWindowEnabled());
        Type(kSpecialSymbols, "");
        Generate();
        EXPECT_EQ(Text(kAlphabet), "");

        for (int id : {kUpper, kLower, kDigits})
            Click(id);
        Type(kSpecialSymbols, "aA1");
        Generate();
        EXPECT_EQ(Text(kAlphabet), kAlnum + "aA1"); // 65 characters, nothing merged

        Type(kSpecialSymbols, "#%"); // edited, then unchecked
        Click(kSpecial);
        EXPECT_FALSE(Item(kSpecialSymbols).IsWindowEnabled());
        Generate();
        EXPECT_EQ(Text(kAlphabet), kAlnum);
        EXPECT_EQ(Text(kSpecialSymbols), "#%");
        EXPECT_EQ(GeneratorSettings::Instance().m_special.GetText(), "#%");
        Click(IDCANCEL);
    });
    EXPECT_EQ(FileBytes("gen.cfg"), SettingsFile(1, 7, 1, 1, 1, 0, "#%"));
}

TEST_F(MainDialogTest, SymbolsBeyondAsciiComeThroughWhole) {
    Run([&] {
        for (int id : {kUpper, kLower, kDigits, kSpecial})
            Click(id);
        Item(kSpecialSymbols).SetWindowText("\u00A0\u20AC"); // no-break space, euro sign
        Type(kQuantity, "20");
        Generate();
        EXPECT_EQ(Text(kAlphabet), "\u00A0\u20AC");
        EXPECT_TRUE(std::regex_match(Text(kOutput), std::regex("((\u00A0|\u20AC){7}\r\n){20}")));
    });
}

TEST_F(MainDialogTest, ResultIsSelectedFromItsEndWithTheCaretOnTheFirstLine) {
    Run([&] {
        auto* output = Widget<QPlainTextEdit>(kOutput);
        ASSERT_NE(output, nullptr);
        for (const char* quantity : {"3", "200", "3"}) {
            Type(kQuantity, quantity);
            Type(kLength, "8");
            Click(kGenerate);
            // The previous output goes at once; the button cancels while the worker runs.
            EXPECT_EQ(Text(kOutput) + Text(kGenerate), "Cancel");
            ASSERT_TRUE(Idle());
            EXPECT_EQ(Text(kGenerate), "Generate");
            EXPECT_EQ(Window()->focusWidget(), output);
            EXPECT_EQ(output->textCursor().position(), 0);
            EXPECT_EQ(output->textCursor().anchor(), output->document()->characterCount() - 1);
            EXPECT_EQ(output->cursorForPosition(QPoint(1, 1)).blockNumber(), 0);
            EXPECT_EQ(output->verticalScrollBar()->value(), 0);
            EXPECT_TRUE(quantity != std::string("200") || output->verticalScrollBar()->maximum());
        }
        EXPECT_TRUE(std::regex_match(Text(kOutput), std::regex("([A-Za-z0-9]{8}\r\n){3}")));
        Key(Qt::Key_Return); // Enter in the read-only output generates again
        EXPECT_EQ(Text(kGenerate), "Cancel");
        ASSERT_TRUE(Idle());
    });
}

TEST_F(MainDialogTest, SecondPressCancelsAndTheRunKeepsTheNumbersItStartedWith) {
    Run([&] {
        Type(kQuantity, "1000000");
        Click(kGenerate);
        Type(kQuantity, "3");
        Type(kLength, "5");
        // The worker cannot finish a password before this thread serves its alphabet read, so
        // the cancel comes before the first password is done: exactly one is made.
        Click(kGenerate);
        EXPECT_EQ(GeneratorSettings::Instance().m_nQuantity, 3);
        EXPECT_EQ(GeneratorSettings::Instance().m_nLength, 5);
        EXPECT_EQ(Text(kGenerate), "Cancel");
        ASSERT_TRUE(Idle());
        EXPECT_TRUE(std::regex_match(Text(kOutput), std::regex("[A-Za-z0-9]{7}\r\n")));
        EXPECT_EQ(Text(kGenerate), "Generate");
        EXPECT_EQ(Widget<QProgressBar>(kProgress)->value(), 0); // 1 of 1000000
    });
}

TEST_F(MainDialogTest, FailedRandomFillShowsNoPasswordsAndSaysWhy) {
    platform::SetRandomFillForTesting([](unsigned char*, std::size_t) { return false; });
    Run([&] {
        Generate();
        EXPECT_EQ(Text(kOutput), "");
        EXPECT_EQ(Text(kGenerate), "Generate");
        EXPECT_THAT(m_boxes, ElementsAre(HasSubstr("random source failed")));
    });
}

TEST_F(MainDialogTest, TooLargeRequestIsRefusedBeforeAnyWork) {
    Run([&] {
        Generate();
        const CString previous = Text(kOutput);
        Type(kQuantity, "2000000000");
        Type(kLength, "2000000000");
        Click(kGenerate);
        EXPECT_EQ(m_dialog.GetGenerator(), nullptr);
        EXPECT_EQ(platform::RunningWorkerThreads(), 0);
        EXPECT_THAT(m_boxes, ElementsAre(HasSubstr("2000000000 passwords of 2000000000")));
        EXPECT_EQ(Text(kOutput), previous);
        EXPECT_EQ(Text(kGenerate), "Generate");
    });
}

TEST_F(MainDialogTest, ClosingDuringARunCancelsItAndWaitsForIt) {
    // With length 16384 every password takes exactly one 65,536-byte fill. The fifth fill is
    // held until the dialog has asked the worker to stop.
    std::atomic<int> fills{0};
    std::atomic<CGenerator*> worker{nullptr};
    platform::SetRandomFillForTesting([&](unsigned char* buffer, std::size_t size) {
        std::memset(buffer, 0, size);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        if (CGenerator* running = worker; ++fills == 5 && running != nullptr)
            while (!running->m_bCancel && std::chrono::steady_clock::now() < deadline)
                std::this_thread::yield();
        return true;
    });
    const INT_PTR result = Run([&] {
        Type(kQuantity, "50");
        Type(kLength, "16384");
        Click(kGenerate);
        worker = m_dialog.GetGenerator();
        ASSERT_TRUE(WaitFor([&] { return fills == 5; }));
        Key(Qt::Key_Escape);
        EXPECT_FALSE(Window()->isVisible());
        EXPECT_EQ(m_dialog.GetGenerator(), nullptr);
        const std::string line = std::string(16384, 'A') + "\r\n";
        EXPECT_EQ(Text(kOutput), line + line + line + line + line);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(WaitFor([] { return platform::RunningWorkerThreads() == 0; }));
    EXPECT_EQ(FileBytes("gen.cfg"), SettingsFile(50, 16384, 1, 1, 1, 0, kSymbols));
}

} // namespace
