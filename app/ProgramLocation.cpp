#include "app/ProgramLocation.h"

#include "platform/CommandLine.h"
#include "platform/FileSystem.h"

using platform::kPathSeparator;

ProgramLocation& ProgramLocation::Instance() {
    static ProgramLocation location;
    return location;
}

void ProgramLocation::Init() {
    SetFromCommandLine();
    m_strCurrentDirectory = GetCurrentDir();
}

void ProgramLocation::SetFromCommandLine() {
    const CString& cmd = GetCommandLineA();
    CString path;
    if (!cmd.empty() && cmd[0] == '"') {
        const std::size_t q = cmd.find('"', 1);
        if (q == CString::npos)
            return; // an unclosed quote names no program path
        m_strCommandPath = cmd.substr(0, q + 1);
        path = cmd.substr(1, q - 1);
    } else {
        path = cmd.substr(0, cmd.find(' '));
        m_strCommandPath = path;
    }
    const std::size_t k = path.rfind(kPathSeparator);
    const std::size_t directoryLength = k == CString::npos ? 0 : k + 1;
    m_strFileName = path.substr(directoryLength);
    m_strDirectory = path.substr(0, directoryLength);
}

CString ProgramLocation::AddTrailingBackslash(const CString& path) {
    if (!path.empty() && path.back() == kPathSeparator)
        return path;
    if (!path.empty() && path.back() == '"') {
        CString inner = path.size() >= 2 ? path.substr(1, path.size() - 2) : CString();
        if (inner.empty() || inner.back() != kPathSeparator)
            inner += kPathSeparator;
        return inner;
    }
    return path + kPathSeparator;
}

CString ProgramLocation::GetCurrentDir() {
    return AddTrailingBackslash(platform::GetCurrentDirectoryText(kCurrentDirBufferSize));
}
