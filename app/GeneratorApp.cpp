#include "app/GeneratorApp.h"

#include "app/CommandLineParser.h"
#include "app/ProgramLocation.h"
#include "platform/CommandLine.h"
#include "ui/MainDialog.h"

#include <cstdio>

BOOL GeneratorApp::InitInstance() {
    ProgramLocation::Instance().Init();

    if (RunFromCommandLine(platform::GetProcessCommandLine(), m_nExitStatus))
        return FALSE;

    if (!platform::EnsureGuiApplication()) {
        std::fputs("mirrak-generator: no display for the window; usage: mirrak-generator "
                   "[count:N] [length:N] [symbols:aA0\"SET\"] OUTPUT-FILE\n",
                   stderr);
        m_nExitStatus = kExitUsage;
        return FALSE;
    }
    MainDialog dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    platform::WaitForWorkerThreads();
    m_nExitStatus = kExitWritten;
    return FALSE;
}
