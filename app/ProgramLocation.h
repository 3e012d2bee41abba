#pragma once

#include "platform/os/CString.h"

#include <vector>

// Where the program lives, as its command line names it: the directory (up to and including the
// last path separator of the program path), the path as written, the file name, and the current
// directory at start-up. The "backslash" of these texts is the platform's path separator.
class ProgramLocation {
public:
    static ProgramLocation& Instance();

    void Init();
    // The program path from the process's command line, by the rules of its form.
    void SetFromCommandLine();
    // The head of a whole command-line text: up to the first blank, or a double-quoted path.
    void SetFromCommandLine(const CString& commandLine);
    // A program path that is one word of its own (argv[0]), taken exactly as it stands.
    void SetFromProgramPath(const CString& path);
    const CString& GetDirectory() const { return m_strDirectory; }
    const CString& GetCommandPath() const { return m_strCommandPath; }
    const CString& GetFileName() const { return m_strFileName; }
    const CString& GetCurrentDirectory() const { return m_strCurrentDirectory; }

    // The folders that may hold the program's data files (help.chm, the help pages), in the order
    // they are looked in: the folder of the program's real file (the build tree keeps them there),
    // then the data folder installed with it, share/mirrak-generator/ beside the program's bin/.
    // The program's real file is found through the system (/proc/self/exe), whatever name or link
    // started it; where the system cannot tell, the directory of the command line stands in.
    static std::vector<CString> DataFolders();

    static CString AddTrailingBackslash(const CString& path);
    static CString GetCurrentDir();

    // The size of the buffer the current directory is read into.
    static constexpr std::size_t kCurrentDirBufferSize = 0x4000;

private:
    void SetPath(const CString& commandPath, const CString& path);

    CString m_strDirectory;
    CString m_strCommandPath;
    CString m_strFileName;
    CString m_strCurrentDirectory;
};
