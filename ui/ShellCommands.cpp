// Help, the maker's web pages and the About box.

#include "app/ProgramLocation.h"
#include "platform/Shell.h"
#include "ui/MainDialog.h"

namespace {

constexpr UINT kAboutTemplate = 134;

} // namespace

// The help file lies beside the program; a program started by its bare name finds it in the
// current directory.
void MainDialog::OnHelpButton() {
    const CString path = ProgramLocation::Instance().GetDirectory() + "help.chm";
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
