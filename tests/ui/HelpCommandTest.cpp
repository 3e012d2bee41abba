// Help with and without a viewer for CHM files: the desktop's answer comes from a stand-in
// xdg-mime on PATH, and the shell's seam records what is opened.

#include "app/ProgramLocation.h"
#include "platform/os/CommandLine.h"
#include "platform/win/Shell.h"
#include "tests/ui/MainDialogRun.h"

#include <cstdlib>
#include <gmock/gmock.h>

namespace {

using enum MainDialog::ControlId;
using namespace testing_support;

class HelpCommandTest : public MainDialogSession<> {
protected:
    HelpCommandTest() : m_path(std::getenv("PATH") ? std::getenv("PATH") : "") {
        // The stand-in says what the answer file holds, with the exit status of the status file.
        fs::create_directory(m_folder / "tools");
        WriteFile(m_folder / "tools/xdg-mime",
                  "#!/bin/sh\necho \"$@\" >>'" + (m_folder / "asked").string() + "'\ncat '" +
                      (m_folder / "answer").string() + "' 2>/dev/null\nexit $(cat '" +
                      (m_folder / "status").string() + "' 2>/dev/null || echo 0)\n");
        fs::permissions(m_folder / "tools/xdg-mime", fs::perms(0755));
        ToolsOnPath(true);
        fs::create_directories(m_folder / "app/html");
        WriteFile(m_folder / "app/help.chm", "ITSF");
        WriteFile(m_folder / "app/html/index.html", "<html></html>");
        const CString program = (m_folder / "app/mirrak-generator").string();
        const char* argv[] = {program.c_str()};
        platform::SetCommandLine(1, argv);
        ProgramLocation::Instance().SetFromCommandLine();
        platform::SetShellExecuteForTesting(
            [this](HWND, const char*, const char* file, const char*, const char*, int) {
                m_opened.push_back(file);
                return m_opened.size() == 1 ? m_firstResult : HINSTANCE(42);
            });
    }
    ~HelpCommandTest() override {
        platform::SetShellExecuteForTesting({});
        setenv("PATH", m_path.c_str(), 1);
    }
    void ToolsOnPath(bool on) {
        const std::string tools = (m_folder / "tools").string();
        setenv("PATH", (on ? tools + ":" + m_path : tools + "-missing").c_str(), 1);
    }
    // Presses Help in the running window with the desktop answering as given; returns the files
    // the shell was asked to open.
    std::vector<std::string> Help(const std::string& answer, int status = 0,
                                  HINSTANCE firstResult = 42) {
        WriteFile(m_folder / "answer", answer);
        WriteFile(m_folder / "status", std::to_string(status));
        m_firstResult = firstResult;
        m_opened.clear();
        m_dialog.SendMessage(WM_COMMAND, MAKEWPARAM(unsigned(kHelp), BN_CLICKED));
        return m_opened;
    }

    const std::string m_path;
    std::vector<std::string> m_opened;
    HINSTANCE m_firstResult = 42;
    const std::string m_chm = (m_folder / "app/help.chm").string();
    const std::string m_pages = (m_folder / "app/html/index.html").string();
};

// With a viewer the help file opens; without one, or where it cannot be asked or fails to open
// the file, the same help opens as web pages from the folder beside the help file.
TEST_F(HelpCommandTest, TheHelpFileWithAViewerAndTheWebPagesWithout) {
    using testing::ElementsAre;
    Run([&] {
        EXPECT_THAT(Help("xchm.desktop\n"), ElementsAre(m_chm));
        EXPECT_EQ(ReadFile(m_folder / "asked"), "query default application/vnd.ms-htmlhelp\n");
        EXPECT_THAT(Help(""), ElementsAre(m_pages));
        EXPECT_THAT(Help("\n"), ElementsAre(m_pages));
        EXPECT_THAT(Help("xchm.desktop\n", 1), ElementsAre(m_pages));
        EXPECT_THAT(Help("xchm.desktop\n", 0, SE_ERR_NOASSOC), ElementsAre(m_chm, m_pages));
        ToolsOnPath(false);
        EXPECT_THAT(Help("xchm.desktop\n"), ElementsAre(m_pages));
    });
}

// Without the web pages and without a viewer, the help file is handed to the desktop all the
// same, once; whatever comes of it, the window stays as it was.
TEST_F(HelpCommandTest, WithoutWebPagesTheHelpFileIsHandedOverOnce) {
    fs::remove_all(m_folder / "app/html");
    Run([&] {
        Item(kQuantity).SetWindowText("12");
        EXPECT_THAT(Help(""), testing::ElementsAre(m_chm));
        EXPECT_THAT(Help("xchm.desktop\n", 0, SE_ERR_NOASSOC), testing::ElementsAre(m_chm));
        EXPECT_EQ(Text(kQuantity), "12");
        EXPECT_TRUE(Window()->isVisible());
    });
}

} // namespace
