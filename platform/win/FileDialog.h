#pragma once

// The file dialog of the open and save commands.

#include "platform/win/Win.h"

#include <cstdint>
#include <functional>

using DWORD = std::uint32_t;

inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x2;
inline constexpr DWORD OFN_HIDEREADONLY = 0x4;

// A modal dialog that asks for one file to open or to save. The filter is either a bare pattern
// ("*.txt") or pairs of description and pattern, each followed by '|'. A typed name without an
// extension gets the default extension. An accepted dialog makes the chosen file's folder the
// process's current directory. With OFN_OVERWRITEPROMPT a save dialog asks before it accepts an
// existing file.
class CFileDialog {
public:
    CFileDialog(BOOL open, const char* defaultExtension = nullptr, const char* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                CWnd* parent = nullptr);

    // IDOK when the user chose a file, IDCANCEL otherwise.
    INT_PTR DoModal();
    // The chosen file's full path.
    CString GetPathName() const { return m_strPath; }

private:
    BOOL m_bOpen;
    CString m_strDefaultExtension;
    CString m_strFileName;
    DWORD m_nFlags;
    CString m_strFilter;
    HWND m_hParent;
    CString m_strPath;
};

namespace platform {

// Test seam: while set, a file dialog is not shown; this function answers in its place (IDOK with
// a path, or IDCANCEL), told whether it is an open dialog. The answer is then taken as the
// user's, current directory included.
struct FileDialogAnswer {
    INT_PTR result;
    CString path;
};
using FileDialogFunction = std::function<FileDialogAnswer(BOOL open)>;
void SetFileDialogForTesting(FileDialogFunction answer);

} // namespace platform
