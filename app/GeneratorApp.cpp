#include "app/GeneratorApp.h"

#include "app/CommandLineParser.h"
#include "app/ProgramInfo.h"
#include "app/ProgramLocation.h"
#include "platform/os/CommandLine.h"
#include "platform/os/Files.h"
#include "platform/os/WindowModule.h"

#include <cstdio>

namespace {

void PrintUsage(const char* reason) {
    std::fprintf(stderr,
                 "mirrak-generator: %s; usage: mirrak-generator [count:N] [length:N] "
                 "[symbols:aA0\"SET\"] OUTPUT-FILE (see mirrak-generator --help)\n",
                 reason);
}

} // namespace

bool GeneratorApp::InitInstance() {
    ProgramLocation::Instance().Init();

    const platform::ProcessCommandLine& commandLine = platform::GetProcessCommandLine();
    if (const InfoRequest request = FindInfoRequest(commandLine); request != InfoRequest::None) {
        m_nExitStatus = PrintInfo(request);
        return false;
    }
    if (RunFromCommandLine(commandLine, m_nExitStatus))
        return false;

    // Without a display (or in a build without the window) the window module is not even loaded.
    if (const CString reason = platform::NoWindowReason(); !reason.empty()) {
        PrintUsage(reason.c_str());
        m_nExitStatus = kExitUsage;
        return false;
    }
    CString error;
    const int status = platform::RunWindowModule(WindowModuleCandidates(), error);
    if (status < 0) {
        PrintUsage(("the window cannot be opened: " + error).c_str());
        m_nExitStatus = kExitUsage;
    } else if (status == kExitUsage) {
        PrintUsage("no display for the window");
        m_nExitStatus = kExitUsage;
    } else {
        m_nExitStatus = kExitWritten;
    }
    return false;
}

std::vector<CString> GeneratorApp::WindowModuleCandidates() {
    CString directory = platform::ExecutableDirectory();
    if (directory.empty())
        directory = ProgramLocation::Instance().GetDirectory();
    const CString separator(1, platform::kPathSeparator);
    return {directory + MIRRAK_WINDOW_MODULE, directory + ".." + separator +
                                                  MIRRAK_WINDOW_MODULE_DIR + separator +
                                                  MIRRAK_WINDOW_MODULE};
}
