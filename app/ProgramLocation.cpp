#include "app/ProgramLocation.h"

#include "platform/os/CommandLine.h"
#include "platform/os/Files.h"

#include <algorithm>
#include <filesystem>

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
    const platform::ProcessCommandLine& commandLine = platform::GetProcessCommandLine();
    if (const auto* words = std::get_if<platform::CommandLineWords>(&commandLine)) {
        if (!words->words.empty())
            SetFromProgramPath(words->words.front());
    } else {
        SetFromCommandLine(std::get<platform::CommandLineText>(commandLine).text);
    }
}

void ProgramLocation::SetFromCommandLine(const CString& cmd) {
    if (!cmd.empty() && cmd[0] == '"') {
        const std::size_t q = cmd.find('"', 1);
        if (q == CString::npos)
            return; // an unclosed quote names no program path
        SetPath(cmd.substr(0, q + 1), cmd.substr(1, q - 1));
    } else {
        const CString path = cmd.substr(0, cmd.find(' '));
        SetPath(path, path);
    }
}

void ProgramLocation::SetFromProgramPath(const CString& path) {
    SetPath(path, path);
}

void ProgramLocation::SetPath(const CString& commandPath, const CString& path) {
    m_strCommandPath = commandPath;
    const std::size_t k = path.rfind(kPathSeparator);
    const std::size_t directoryLength = k == CString::npos ? 0 : k + 1;
    m_strFileName = path.substr(directoryLength);
    m_strDirectory = path.substr(0, directoryLength);
}

std::vector<CString> ProgramLocation::DataFolders() {
    CString directory = platform::ExecutableDirectory();
    if (directory.empty())
        directory = Instance().GetDirectory();
    CString installed = MIRRAK_DATA_DIR_FROM_PROGRAM "/";
    std::replace(installed.begin(), installed.end(), '/', kPathSeparator);
    // Without its ".." steps where the folder is a full path, as it is shown to the desktop.
    const std::filesystem::path path(directory + installed);
    return {directory, path.is_absolute() ? path.lexically_normal().string() : path.string()};
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
