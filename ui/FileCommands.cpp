// The Save and Open commands of the output box and of the alphabet.

#include "platform/os/Files.h"
#include "platform/os/Memory.h"
#include "platform/os/ReplacementFile.h"
#include "platform/win/FileDialog.h"
#include "ui/MainDialog.h"

#include <cstdio>

namespace {

// Runs the file dialog that all four commands share; the chosen path, or none.
bool AskForFile(BOOL open, CString& path) {
    CFileDialog dialog(open, "txt", "*.txt", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, "*.txt");
    if (dialog.DoModal() != IDOK)
        return false;
    path = dialog.GetPathName();
    return true;
}

} // namespace

void MainDialog::OnSave() {
    if (CString path; AskForFile(FALSE, path))
        SavePasswords(path);
}

void MainDialog::OnOpen() {
    if (CString path; AskForFile(TRUE, path))
        LoadPasswords(path);
}

void MainDialog::OnSaveAlphabet() {
    if (CString path; AskForFile(FALSE, path))
        SaveAlphabet(path);
}

void MainDialog::OnOpenAlphabet() {
    if (CString path; AskForFile(TRUE, path))
        LoadAlphabet(path);
}

void MainDialog::SavePasswords(const CString& path) {
    // The copy of the passwords is wiped, as every buffer that held them is.
    CString text = GetDlgItem(kOutput).GetWindowText();
    WriteTextFile(path, text);
    platform::WipeString(text);
}

void MainDialog::LoadPasswords(const CString& path) {
    GetDlgItem(kOutput).SetWindowText(ReadTextFile(path));
}

void MainDialog::SaveAlphabet(const CString& path) {
    ShowFilePath(path);
    WriteTextFile(path, GetDlgItem(kAlphabet).GetWindowText());
}

void MainDialog::LoadAlphabet(const CString& path) {
    ShowFilePath(path);
    GetDlgItem(kAlphabet).SetWindowText(ReadTextFile(path));
}

void MainDialog::ShowFilePath(const CString& path) {
    const CWnd edit = GetDlgItem(kAlphabetPath);
    edit.SetWindowText(path);
    edit.SendMessage(EM_SETSEL, WPARAM(path.size()), LPARAM(path.size()));
    edit.SendMessage(EM_SCROLLCARET);
}

// The file's bytes up to the first NUL; empty when it cannot be read, or when it is larger than
// a window can hold.
CString MainDialog::ReadTextFile(const CString& path) {
    std::FILE* file = platform::OpenRegularFile(path.c_str());
    if (file == nullptr)
        return CString();
    CString text;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file);
        if (size > 0 && std::size_t(size) <= platform::MaxWindowTextBytes() &&
            std::fseek(file, 0, SEEK_SET) == 0) {
            text.resize(std::size_t(size));
            text.resize(std::fread(text.data(), 1, text.size(), file));
        }
    }
    std::fclose(file);
    if (const std::size_t nul = text.find('\0'); nul != CString::npos)
        text.resize(nul);
    return text;
}

// The text's bytes become the file's content only once all of them are written: a failed write
// leaves an existing file as it was and no new one. A read-only file is not written; a file this
// writes anew is readable by its owner only, as it may hold passwords.
void MainDialog::WriteTextFile(const CString& path, const CString& text) {
    platform::ReplaceOptions options;
    options.clearReadOnly = false;
    platform::WriteWholeFile(path.c_str(), text.data(), text.size(), options);
}
