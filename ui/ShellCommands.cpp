// Help, the maker's web pages and the About box.

#include "app/ProgramLocation.h"
#include "platform/os/Files.h"
#include "platform/win/Shell.h"
#include "ui/MainDialog.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

constexpr const char* kHelpFile = "help.chm";
// The help as web pages, the same pages as in the help file, in a folder beside it.
constexpr const char* kHelpPagesIndex = "html/index.html";
constexpr const char* kHelpFileType = "application/vnd.ms-htmlhelp";

bool IsFile(const CString& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// The first of the folders that holds name, as that folder's path followed by name; empty when
// none does.
CString FindInFolders(const std::vector<CString>& folders, CString name) {
    std::replace(name.begin(), name.end(), '/', platform::kPathSeparator);
    for (const CString& folder : folders)
        if (IsFile(folder + name))
            return folder + name;
    return CString();
}

bool Open(const CString& path) {
    return ShellExecuteA(0, "open", path.c_str(), "", "", SW_SHOWNORMAL) > 32;
}

} // namespace

// The help file lies beside the program as its command line names it; a program started by its
// bare name finds it in the current directory. Where that names no file (a program found on the
// search path, or started by a relative path before a file dialog moved the current directory),
// the help file beside the running program's file is taken, then the one in its installed data
// folder. It is opened with the desktop's viewer for CHM files. A desktop without one (a fresh
// Linux desktop has none) gets the same help as web pages in its browser instead; where those
// are missing too, the help file is handed to the desktop all the same, and whatever it does with
// it is all that happens.
void MainDialog::OnHelpButton() {
    const std::vector<CString> folders = ProgramLocation::DataFolders();
    CString helpFile = ProgramLocation::Instance().GetDirectory() + kHelpFile;
    if (!IsFile(helpFile)) {
        const CString found = FindInFolders(folders, kHelpFile);
        helpFile = found.empty() ? folders.front() + kHelpFile : found;
    }
    const bool viewer = IsFile(helpFile) && platform::DesktopOpensType(kHelpFileType);
    if (viewer && Open(helpFile))
        return;
    // The pages lie beside the help file, or in one of the data folders.
    std::vector<CString> pageFolders = folders;
    pageFolders.insert(pageFolders.begin(),
                       helpFile.substr(0, helpFile.size() - std::strlen(kHelpFile)));
    if (const CString pages = FindInFolders(pageFolders, kHelpPagesIndex);
        !pages.empty() && Open(pages))
        return;
    if (!viewer)
        Open(helpFile);
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
