// The dialog's Save and Open, Help, links and About commands, and its pictures, with real widgets.

#include "app/ProgramLocation.h"
#include "platform/os/CommandLine.h"
#include "platform/os/Files.h"
#include "platform/win/FileDialog.h"
#include "platform/win/OutputView.h"
#include "platform/win/Shell.h"
#include "tests/ui/MainDialogRun.h"

#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <csignal>
#include <gmock/gmock.h>
#include <sys/resource.h>

namespace {

using enum MainDialog::ControlId;
using namespace testing_support;

// A dialog that counts its paints.
struct CountingDialog : MainDialog {
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        paints += message == WM_PAINT;
        return MainDialog::WindowProc(message, wParam, lParam);
    }
    int paints = 0;
};

void SetImages(const std::string& file) { // the welcome and link bitmaps
    for (UINT id : {157u, 25012u, 25013u, 25014u})
        platform::SetImageFileForTesting(id, file);
}

class MainDialogCommandsTest : public MainDialogSession<CountingDialog> {
protected:
    ~MainDialogCommandsTest() override {
        platform::SetFileDialogForTesting({});
        platform::SetShellExecuteForTesting({});
        SetImages("");
    }
    void Command(int id) { m_dialog.SendMessage(WM_COMMAND, MAKEWPARAM(unsigned(id), BN_CLICKED)); }
    // Runs act on the next modal window of type T once it is up (a nested modal loop serves it).
    template <class T> static void WhenShown(std::function<void(T*)> act) {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [timer, act] {
            if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
                timer->deleteLater();
                timer->stop();
                act(window);
            }
        });
        timer->start(10);
    }
};

// The file dialog's seam answers for the user; the current directory follows each accepted path.
TEST_F(MainDialogCommandsTest, FilesHoldTheEditsBytesAndOnlyAcceptedDialogsChangeAnything) {
    fs::create_directory(m_folder / "sub");
    const fs::path dir = fs::canonical(m_folder / "sub");
    WriteFile(dir / "empty.txt", "");
    WriteFile(dir / "nul.txt", std::string("ab\0cd", 5));
    WriteFile(dir / "locked.txt", "old");
    fs::permissions(dir / "locked.txt", fs::perms(0444));
    std::string asked;
    CString answer;
    platform::SetFileDialogForTesting([&](BOOL open) {
        asked += open ? "O" : "S";
        return platform::FileDialogAnswer{answer.empty() ? IDCANCEL : IDOK, answer};
    });
    const CString passwords = "Ab3\xC3\xA9x\r\n\r\nq7\r\n";
    // Each step: the command, the path the user picks ("" cancels), the output box before and
    // after.
    const std::tuple<int, const char*, CString, CString> steps[] = {
        {kSave, "pw.txt", passwords, passwords},
        {kOpen, "pw.txt", "x", passwords},
        {kSave, "zero.txt", "", ""},
        {kOpen, "empty.txt", "x", ""},
        {kOpen, "nul.txt", "x", "ab"},
        {kOpen, "missing.txt", "x", ""},
        {kSave, "locked.txt", "new", "new"},
        {kOpen, "", "kept", "kept"},
        {kSave, "", "kept", "kept"},
    };
    Run([&] {
        for (const auto& [command, name, before, after] : steps) {
            fs::current_path(m_folder.Path());
            answer = *name ? (dir / name).string() : "";
            Item(kOutput).SetWindowText(before);
            Command(command);
            EXPECT_EQ(Text(kOutput), after) << name;
            EXPECT_EQ(fs::current_path(), *name ? dir : m_folder.Path()) << name;
        }
        answer = (dir / "alphabet.txt").string();
        WriteFile(answer, "xyz");
        Command(kOpenAlphabet);
        EXPECT_EQ(Text(kAlphabet) + "|" + Text(kAlphabetPath), "xyz|" + answer);
        answer = (dir / "alphabet2.txt").string();
        Command(kSaveAlphabet);
        EXPECT_EQ(ReadFile(answer) + "|" + Text(kAlphabetPath), "xyz|" + answer);
        // A write that fails part-way (past the file size limit: EFBIG) leaves an existing file
        // as it was and no new one.
        signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit lower{4096, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &lower);
        Item(kOutput).SetWindowText(std::string(100000, 'x'));
        for (const char* name : {"pw.txt", "big.txt"}) {
            answer = (dir / name).string();
            Command(kSave);
        }
        setrlimit(RLIMIT_FSIZE, &saved);
    });
    EXPECT_EQ(asked, "SOSOOOSOSOSSS");
    EXPECT_EQ(ReadFile(dir / "pw.txt"), passwords);
    EXPECT_EQ(FileMode(dir / "pw.txt"), 0600u);
    EXPECT_TRUE(fs::exists(dir / "zero.txt") && fs::file_size(dir / "zero.txt") == 0);
    EXPECT_EQ(ReadFile(dir / "locked.txt"), "old");
    EXPECT_FALSE(fs::exists(dir / "missing.txt") || fs::exists(dir / "big.txt"));
}

// Qt's own file dialog: a typed name gets ".txt"; replacing a file asks first, and "No" keeps
// it; the initial "*.txt" only filters.
TEST_F(MainDialogCommandsTest, TheRealFileDialogAddsTheExtensionAndAsksBeforeReplacing) {
    const auto type = [](const char* name) {
        WhenShown<QFileDialog>([name](QFileDialog* dialog) {
            auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(edit, nullptr);
            // The initial name is a filter: taking it leaves the dialog open, no file written.
            EXPECT_EQ(edit->text(), "*.txt");
            QTest::keyClick(edit, Qt::Key_Return);
            EXPECT_TRUE(dialog->isVisible());
            edit->clear();
            QTest::keyClicks(edit, name);
            QTest::keyClick(edit, Qt::Key_Return);
        });
    };
    std::string answers;
    Run([&] {
        // The first save makes the file; then "No" keeps it and "Yes" replaces it.
        const std::tuple<const char*, QMessageBox::StandardButton, const char*> saves[] = {
            {"one\r\n", QMessageBox::NoButton, "one\r\n"},
            {"two\r\n", QMessageBox::No, "one\r\n"},
            {"two\r\n", QMessageBox::Yes, "two\r\n"}};
        for (const auto& [text, button, kept] : saves) {
            Item(kOutput).SetWindowText(text);
            type("notes");
            if (button != QMessageBox::NoButton)
                WhenShown<QMessageBox>([&answers, button = button](QMessageBox* box) {
                    answers += box->text().contains("notes.txt") ? "?" : "!";
                    box->button(button)->click();
                    if (button == QMessageBox::No) // the file dialog stays open: cancel it
                        WhenShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
                });
            Command(kSave);
            EXPECT_EQ(ReadFile(m_folder / "notes.txt"), kept);
        }
        Item(kOutput).SetWindowText("");
        type("notes");
        Command(kOpen);
        EXPECT_EQ(Text(kOutput), "two\r\n");
    });
    EXPECT_EQ(answers, "??");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder.Path()), {}), 2); // notes, gen.cfg
}

// Help opens the help file beside the program as its command line names it; a program started
// by its bare name finds it in the current directory, and where the name leads to no file, the
// one beside the running program is taken.
TEST_F(MainDialogCommandsTest, HelpLinksAndWelcomeAskTheShellAndLinksThenFocusTheOutputBox) {
    std::vector<std::string> calls;
    platform::SetShellExecuteForTesting([&](HWND owner, const char* verb, const char* file,
                                            const char* parameters, const char* directory,
                                            int show) {
        const auto text = [](const char* s) { return s ? std::string(s) : std::string("null"); };
        calls.push_back(std::to_string(owner) + "|" + text(verb) + "|" + text(file) + "|" +
                        text(parameters) + "|" + text(directory) + "|" + std::to_string(show));
        return HINSTANCE(42);
    });
    fs::create_directory(m_folder / "app");
    WriteFile(m_folder / "app/help.chm", "");
    const CString app = (m_folder / "app/").string();
    const CString beside = platform::ExecutableDirectory() + "help.chm";
    ASSERT_NE(beside, "help.chm");
    // Each case: how the program was started, the current directory, the help file opened.
    const std::tuple<CString, CString, CString> programs[] = {
        {app + "mirrak-generator", m_folder.Path(), app + "help.chm"},
        {"app/mirrak-generator", m_folder.Path(), "app/help.chm"},
        {"mirrak-generator", app, "help.chm"},
        {"mirrak-generator", m_folder.Path(), beside}, // found on the search path
        {"app/mirrak-generator", app, beside},         // the current directory has moved
    };
    Run([&] {
        for (const auto& [program, cwd, help] : programs) {
            fs::current_path(cwd);
            const char* argv[] = {program.c_str()};
            platform::SetCommandLine(1, argv);
            ProgramLocation::Instance().SetFromCommandLine();
            Command(kHelp);
            EXPECT_EQ(calls.back(), "0|open|" + help + "|||1") << program;
        }
        Item(kOutput).SetWindowText("out");
        for (int link : {kLink1, kLink2, kLink3, kWelcome}) {
            Item(kQuantity).SetFocus();
            Command(link);
            const auto* output = dynamic_cast<platform::OutputView*>(Window()->focusWidget());
            EXPECT_EQ(output && output->WindowText() == "out", link != kWelcome) << link;
        }
    });
    calls.erase(calls.begin(), calls.begin() + 5);
    EXPECT_THAT(calls, testing::ElementsAre("0|Open|https://mirrak.example/guide|||1",
                                            "0|Open|https://mirrak.example/news|||1",
                                            "0|Open|https://mirrak.example/community|||1",
                                            "0|open|www.mirrak.example|null|null|1"));
}

// What the shell opens: addresses as they stand, files from the given or the current directory,
// and a "www." name that is no file as a web address.
TEST(ShellTargetTest, AddressesFilesAndBareHostNames) {
    const TempDir dir(true);
    WriteFile(dir / "www.notes", "");
    const std::string cwd = fs::current_path().string();
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {"https://mirrak.example/guide", "", "https://mirrak.example/guide"},
        {"mailto:support@mirrak.example", nullptr, "mailto:support@mirrak.example"},
        {"www.mirrak.example", nullptr, "https://www.mirrak.example"},
        {"www.notes", "", "file://" + cwd + "/www.notes"},
        {"bin/help.chm", "", "file://" + cwd + "/bin/help.chm"},
        {"help.chm", "/opt/mirrak", "file:///opt/mirrak/help.chm"},
        {"/opt/mirrak/help.chm", "/elsewhere", "file:///opt/mirrak/help.chm"},
    };
    for (const auto& [file, directory, url] : cases)
        EXPECT_EQ(platform::ShellTarget(file, directory), url) << file;
}

// The About box shows its texts and closes with its button, Enter, Esc and the close box.
TEST_F(MainDialogCommandsTest, AboutShowsItsTextsAndClosesWithOkEnterEscOrTheCloseBox) {
    const std::vector<std::string> texts = {
        "MIRRAK Generator for\nWindows 95/98/Me/NT/2000/XP\nCopyright (C) 2003-2026\nMirrak "
        "Software\nAll rights reserved.",
        "Version information:\nMIRRAK Generator 2.4",
        "Vendor information:\nhttps://mirrak.example/\nE-mail: support@mirrak.example"};
    const std::function<void(QWidget*)> closers[] = {
        [](QWidget* about) { about->findChild<QPushButton*>()->click(); },
        [](QWidget* about) { QTest::keyClick(about->focusWidget(), Qt::Key_Return); },
        [](QWidget* about) { QTest::keyClick(about->focusWidget(), Qt::Key_Escape); },
        [](QWidget* about) { about->close(); },
    };
    Run([&] {
        for (const auto& close : closers) {
            WhenShown<QDialog>([&](QDialog* about) {
                std::vector<std::string> shown;
                for (const QLabel* label : about->findChildren<QLabel*>())
                    shown.push_back(label->text().toStdString());
                EXPECT_EQ(shown, texts);
                EXPECT_EQ(about->windowTitle(), "About");
                EXPECT_EQ(qobject_cast<QPushButton*>(about->focusWidget())->text(), "Ok");
                close(about);
            });
            Command(kAbout); // returns once the box is gone
            EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        }
    });
}

// The minimised window's icon is centred; a negative difference truncates toward zero.
TEST(MainDialogPaintingTest, TheMinimisedIconIsCentredInTheClientArea) {
    const std::tuple<int, int, int> cases[] = {
        {33, 32, 1}, {32, 32, 0}, {100, 32, 34}, {30, 32, 0}, {0, 32, -15}};
    for (const auto& [client, icon, offset] : cases)
        EXPECT_EQ(MainDialog::CentredIconOffset(client, icon), offset) << client;
}

// The welcome bitmap's pure white turns into the button face of the latest paint; a near-white
// pixel and the link bitmaps' white stay. Giving the flat link buttons their images again at
// every paint does not set off further paints.
TEST_F(MainDialogCommandsTest, WhiteOfTheWelcomeBitmapFollowsTheButtonFaceAtEachPaint) {
    const QRgb white = qRgb(255, 255, 255), near1 = qRgb(254, 255, 255),
               near2 = qRgb(255, 255, 254);
    QImage banner(6, 2, QImage::Format_RGB32);
    banner.fill(white);
    banner.setPixel(1, 0, near1);
    banner.setPixel(2, 0, near2);
    banner.setPixel(0, 1, qRgb(200, 0, 0));
    ASSERT_TRUE(banner.save(QString::fromStdString((m_folder / "banner.bmp").string())));
    SetImages((m_folder / "banner.bmp").string());
    const QPalette original = QApplication::palette();
    // Pixels of the image on the hidden welcome button, or on a (visible) link button.
    const auto shown = [&](int id) {
        for (const auto* button : Window()->findChildren<QPushButton*>())
            if (button->text().isEmpty() && button->isVisibleTo(Window()) == (id != kWelcome) &&
                !button->icon().isNull()) {
                const QImage i = button->icon().pixmap(button->iconSize()).toImage();
                return std::vector<QRgb>{i.pixel(0, 0), i.pixel(5, 1), i.pixel(1, 0), i.pixel(2, 0),
                                         i.pixel(0, 1)};
            }
        return std::vector<QRgb>();
    };
    Run([&] {
        QTest::qWait(100);
        const QRgb face = QApplication::palette().color(QPalette::Button).rgb();
        EXPECT_THAT(shown(kWelcome),
                    testing::ElementsAre(face, face, near1, near2, qRgb(200, 0, 0)));
        EXPECT_EQ(shown(kLink1)[0], white);

        m_dialog.paints = 0;
        Window()->update();
        QTest::qWait(300);
        EXPECT_GE(m_dialog.paints, 1);
        EXPECT_LE(m_dialog.paints, 3);

        QPalette changed = original;
        changed.setColor(QPalette::Button, QColor(10, 20, 30));
        QApplication::setPalette(changed);
        Window()->repaint();
        QTest::qWait(100);
        EXPECT_THAT(shown(kWelcome), testing::ElementsAre(qRgb(10, 20, 30), qRgb(10, 20, 30), near1,
                                                          near2, qRgb(200, 0, 0)));
    });
    QApplication::setPalette(original);
}

} // namespace
