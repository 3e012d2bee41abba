// The main dialog with real widgets, driven through its controls: keys, clicks and typing.

#include "ui/MainDialog.h"

#include "platform/os/RandomProvider.h"
#include "platform/win/OutputView.h"
#include "tests/ui/MainDialogRun.h"

#include <QTest>
#include <gmock/gmock.h>
#include <regex>
#include <string>
#include <tuple>

namespace {

using enum MainDialog::ControlId;
using testing::HasSubstr;
using testing_support::ReadFile;

// "gen.cfg" with its window geometry (a 32-bit size at byte 5, then a 49-byte blob) left out.
std::string WithoutGeometry(std::string file) {
    EXPECT_EQ(file.substr(5, 4), std::string("\x31\0\0\0", 4));
    return file.erase(9, 49).replace(5, 4, std::string(4, '\0'));
}

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

// Enter in Quantity generates from the numbers as typed (a number that does not read keeps the
// last one, less than 1 is 1); the result is selected from its end, caret and view at its start.
TEST_F(MainDialogTest, FirstRunShowsDefaultsEnterGeneratesFromTheTypedNumbersAndEscStoresThem) {
    const std::tuple<const char*, const char*, const char*, std::size_t> cases[] = {
        {"+7", "x", "7x7", 63}, {"0", "-4", "1x1", 3}, {"abc", "  8abc", "1x8", 10}};
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
            const auto* output = dynamic_cast<platform::OutputView*>(Window()->focusWidget());
            ASSERT_NE(output, nullptr);
            EXPECT_EQ(std::tuple(output->WindowText().size(), output->Anchor(), output->Caret(),
                                 output->FirstVisibleLine()),
                      std::tuple(size, size, 0u, 0u));
        }
        Key(kQuantity, Qt::Key_Escape);
        EXPECT_FALSE(m_dialog.IsWindowVisible());
    });
    EXPECT_EQ(WithoutGeometry(ReadFile("gen.cfg")),
              std::string("\1\10\1\1\1\0\0\0\0\0\20\0\0\0_-+/*=!@$%^&()~\0\1\0\0\0", 34));
}

TEST_F(MainDialogTest, AlphabetJoinsTheCheckedClassesAndUncheckedSymbolsAreKeptAndStored) {
    const std::string alnum = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    Run([&] {
        Click(kUpper, kLower, kDigits, kGenerate); // none: the run still completes
        platform::WaitForWorkerThreads();
        EXPECT_EQ(Text(kAlphabet) + Text(kOutput) + Text(kGenerate), "Generate");
        Click(kUpper, kLower, kDigits, kSpecial);
        Type(kSpecialSymbols, "aA1");
        Click(kGenerate);
        EXPECT_EQ(Text(kAlphabet), alnum + "aA1"); // nothing merged
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
        platform::SetRandomFillForTesting({});
        EXPECT_EQ(Text(kOutput), "");
        EXPECT_THAT(m_boxes, HasSubstr("random source failed"));

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

} // namespace
