// The dialog's Save and Open, Help and link commands, and its pictures, with real widgets.

#include "app/ProgramLocation.h"
#include "platform/os/CommandLine.h"
#include "platform/os/Files.h"
#include "platform/win/FileDialog.h"
#include "platform/win/OutputView.h"
#include "platform/win/Shell.h"
#include "platform/win/WinInternal.h"
#include "tests/ui/MainDialogRun.h"

#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <gmock/gmock.h>

namespace {

using enum MainDialog::ControlId;
using namespace testing_support;
using testing::ElementsAre;

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
    // Acts on the next modal window of type T once it is up (a nested modal loop serves it).
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
    // The command, the path the user picks ("" cancels), the output box before and after.
    const std::tuple<int, const char*, CString, CString> steps[] = {
        {kSave, "pw.txt", passwords, passwords},
        {kOpen, "pw.txt", "x", passwords},
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
    });
    EXPECT_EQ(asked, "SOOOOSOSOS");
    EXPECT_EQ(ReadFile(dir / "pw.txt"), passwords);
    EXPECT_EQ(FileMode(dir / "pw.txt"), 0600u);
    EXPECT_EQ(ReadFile(dir / "locked.txt"), "old");
    EXPECT_FALSE(fs::exists(dir / "missing.txt"));
}

// Qt's own file dialog: the initial "*.txt" only filters; a typed name gets ".txt"; replacing a
// file asks first, and "No" keeps it.
TEST_F(MainDialogCommandsTest, TheRealFileDialogAddsTheExtensionAndAsksBeforeReplacing) {
    std::string answers;
    Run([&] {
        for (const auto& [text, button, kept] :
             {std::tuple{"one\r\n", QMessageBox::NoButton, "one\r\n"},
              {"two\r\n", QMessageBox::No, "one\r\n"},
              {"two\r\n", QMessageBox::Yes, "two\r\n"}}) {
            Item(kOutput).SetWindowText(text);
            WhenShown<QFileDialog>([](QFileDialog* dialog) {
                auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
                EXPECT_EQ(edit->text(), "*.txt");
                QTest::keyClick(edit, Qt::Key_Return);
                EXPECT_TRUE(dialog->isVisible());
                edit->clear();
                QTest::keyClicks(edit, "notes");
                QTest::keyClick(edit, Qt::Key_Return);
            });
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
    });
    EXPECT_EQ(answers, "??");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder.Path()), {}), 2); // notes, gen.cfg
}

// The shell's seam records what it opens; the desktop's viewer for CHM files is asked of a
// stand-in xdg-mime on PATH, which prints $ANSWER and exits with $STATUS.
class ShellCommandsTest : public MainDialogCommandsTest {
protected:
    ShellCommandsTest() : m_path(std::getenv("PATH") ? std::getenv("PATH") : "") {
        fs::create_directories(m_folder / "tools");
        WriteFile(m_folder / "tools/xdg-mime",
                  "#!/bin/sh\necho \"$@\" >>\"$0.asked\"\nprintf \"$ANSWER\"\nexit $STATUS\n");
        fs::permissions(m_folder / "tools/xdg-mime", fs::perms(0755));
        ToolsOnPath(true);
        fs::create_directories(m_folder / "app/html");
        WriteFile(m_chm, "ITSF");
        WriteFile(m_pages, "<html></html>");
        platform::SetShellExecuteForTesting(
            [this](HWND, const char*, const char* file, const char*, const char*, int) {
                m_opened.push_back(file);
                return m_result;
            });
    }
    ~ShellCommandsTest() override { setenv("PATH", m_path.c_str(), 1); }
    void ToolsOnPath(bool on) {
        const std::string tools = (m_folder / "tools").string();
        setenv("PATH", (on ? tools + ":" + m_path : tools + "-missing").c_str(), 1);
    }
    // Presses Help with the desktop and the shell answering as given; the files the shell was
    // asked to open.
    std::vector<std::string> Help(const char* answer, const char* status = "0",
                                  HINSTANCE result = 42) {
        setenv("ANSWER", answer, 1);
        setenv("STATUS", status, 1);
        m_result = result;
        m_opened.clear();
        Command(kHelp);
        return m_opened;
    }

    const std::string m_path;
    std::vector<std::string> m_opened;
    HINSTANCE m_result = 42;
    const CString m_app = (m_folder / "app/").string();
    const CString m_chm = m_app + "help.chm";
    const CString m_pages = m_app + "html/index.html";
};

// The help file lies beside the program as its command line names it, else beside the running
// program. With a viewer the help file opens; without one, or where it cannot be asked or fails
// to open the file, the same help opens as web pages from beside the help file; without those
// pages the help file is handed to the desktop all the same, once.
TEST_F(ShellCommandsTest, HelpOpensTheHelpFileWithAViewerAndTheWebPagesWithout) {
    const CString beside = platform::ExecutableDirectory() + "help.chm";
    ASSERT_NE(beside, "help.chm");
    const std::tuple<CString, CString, CString> programs[] = {
        {"app/mirrak-generator", m_folder.Path(), "app/help.chm"},
        {"mirrak-generator", m_app, "help.chm"},       // a bare name, in the current directory
        {"mirrak-generator", m_folder.Path(), beside}, // found on the search path
        {"app/mirrak-generator", m_app, beside},       // the current directory has moved
        {m_app + "mirrak-generator", m_folder.Path(), m_chm}, // kept for what follows
    };
    Run([&] {
        for (const auto& [program, cwd, help] : programs) {
            fs::current_path(cwd);
            const char* argv[] = {program.c_str()};
            platform::SetCommandLine(1, argv);
            ProgramLocation::Instance().SetFromCommandLine();
            EXPECT_THAT(Help("xchm.desktop\n"), ElementsAre(help)) << program;
        }
        EXPECT_THAT(ReadFile(m_folder / "tools/xdg-mime.asked"),
                    testing::StartsWith("query default application/vnd.ms-htmlhelp\n"));
        EXPECT_THAT(Help(""), ElementsAre(m_pages));
        EXPECT_THAT(Help("\n"), ElementsAre(m_pages));
        EXPECT_THAT(Help("xchm.desktop\n", "1"), ElementsAre(m_pages));
        EXPECT_THAT(Help("xchm.desktop\n", "0", SE_ERR_NOASSOC), ElementsAre(m_chm, m_pages));
        ToolsOnPath(false);
        EXPECT_THAT(Help("xchm.desktop\n"), ElementsAre(m_pages));
        ToolsOnPath(true);
        fs::remove_all(m_folder / "app/html");
        EXPECT_THAT(Help(""), ElementsAre(m_chm));
        EXPECT_THAT(Help("xchm.desktop\n", "0", SE_ERR_NOASSOC), ElementsAre(m_chm));
    });
}

// The links open their pages and then focus the output box; the welcome button opens the home
// page, which the shell takes as a web address where no such file is.
TEST_F(ShellCommandsTest, LinksAndWelcomeOpenTheirPagesAndLinksThenFocusTheOutputBox) {
    Run([&] {
        Item(kOutput).SetWindowText("out");
        for (int link : {kLink1, kLink2, kLink3, kWelcome}) {
            Item(kQuantity).SetFocus();
            Command(link);
            const auto* output = dynamic_cast<platform::OutputView*>(Window()->focusWidget());
            EXPECT_EQ(output && output->WindowText() == "out", link != kWelcome) << link;
        }
    });
    EXPECT_THAT(m_opened, ElementsAre("https://mirrak.example/guide", "https://mirrak.example/news",
                                      "https://mirrak.example/community", "www.mirrak.example"));
    const std::string cwd = fs::current_path().string();
    WriteFile(m_folder / "www.notes", "");
    const std::tuple<const char*, const char*, std::string> targets[] = {
        {"mailto:support@mirrak.example", nullptr, "mailto:support@mirrak.example"},
        {"www.mirrak.example", nullptr, "https://www.mirrak.example"},
        {"www.notes", "", "file://" + cwd + "/www.notes"},
        {"help.chm", "/opt/mirrak", "file:///opt/mirrak/help.chm"},
    };
    for (const auto& [file, directory, url] : targets)
        EXPECT_EQ(platform::ShellTarget(file, directory), url) << file;
}

// About shows its box over the window, the focus on its button; Esc closes the box alone.
TEST_F(MainDialogCommandsTest, AboutShowsItsBoxAndEscClosesItAlone) {
    Run([&] {
        QString shown;
        WhenShown<QDialog>([&](QDialog* about) {
            shown = about->windowTitle() + "|" + about->focusWidget()->property("text").toString();
            QTest::keyClick(about->focusWidget(), Qt::Key_Escape);
        });
        Command(kAbout); // returns once the box is gone
        EXPECT_EQ(shown, "About|Ok");
        EXPECT_TRUE(m_dialog.IsWindowVisible());
    });
}

// The welcome bitmap's pure white turns into the button face of the latest paint; a near-white
// pixel and the link bitmaps' white stay. Giving the flat link buttons their images again at
// every paint does not set off further paints.
TEST_F(MainDialogCommandsTest, WhiteOfTheWelcomeBitmapFollowsTheButtonFaceAtEachPaint) {
    const QRgb white = qRgb(255, 255, 255), near = qRgb(254, 255, 255);
    QImage banner(2, 1, QImage::Format_RGB32);
    banner.setPixel(0, 0, white);
    banner.setPixel(1, 0, near);
    ASSERT_TRUE(banner.save(QString::fromStdString((m_folder / "banner.bmp").string())));
    SetImages((m_folder / "banner.bmp").string());
    const QPalette original = QApplication::palette();
    const auto shown = [&](int id) { // the pixels of the image on the button
        const auto* button = qobject_cast<QPushButton*>(platform::WidgetOf(Item(id).GetSafeHwnd()));
        const QImage i = button->icon().pixmap(button->iconSize()).toImage();
        return std::pair(i.pixel(0, 0), i.pixel(1, 0));
    };
    Run([&] {
        QTest::qWait(100);
        EXPECT_EQ(shown(kWelcome),
                  std::pair(QApplication::palette().color(QPalette::Button).rgb(), near));
        EXPECT_EQ(shown(kLink1), std::pair(white, near));
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
        EXPECT_EQ(shown(kWelcome), std::pair(qRgb(10, 20, 30), near));
    });
    QApplication::setPalette(original);
}

} // namespace
