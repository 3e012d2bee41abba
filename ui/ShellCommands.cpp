// Help, the maker's web pages and the About box.

#include "app/ProgramLocation.h"
#include "platform/os/Files.h"
#include "platform/win/Shell.h"
#include "ui/MainDialog.h"

#include <filesystem>

// The help file lies beside the program as its command line names it; a program started by its
// bare name finds it in the current directory. Where that names no file (a program found on the
// search path, or started by a relative path before a file dialog moved the current directory),
// the help file beside the running program's file is opened.
void MainDialog::OnHelpButton() {
    CString path = ProgramLocation::Instance().GetDirectory() + "help.chm";
    if (std::error_code error; !std::filesystem::exists(path, error)) {
        if (const CString directory = platform::ExecutableDirectory(); !directory.empty())
            path = directory + "help.chm";
    }
    ShellExecuteA(0, "open", path.c_str(), "", "", SW_SHOWNORMAL);
}

void MainDialog::OnLink1() {
    ShellExecuteA(0, "Open", kLink1Address, "", "", SW_SHOWNORMAL);
    GetDlgItem(kOutput).SetFocus();
}

void MainDialog::OnLink2() {
    ShellExecuteA(0, "Open", kLink2Address, "", "", SW_SHOWNORMAL);
    GetDlgItem(kOutput).SetFocus();
}

void MainDialog::OnLink3() {
    ShellExecuteA(0, "Open", kLink3Address, "", "", SW_SHOWNORMAL);
    GetDlgItem(kOutput).SetFocus();
}

void MainDialog::OnWelcome() {
    ShellExecuteA(0, "open", kHomePage, nullptr, nullptr, SW_SHOWNORMAL);
}

void MainDialog::OnAbout() {
    CDialog about(kAboutTemplate, this);
    about.DoModal();
}
