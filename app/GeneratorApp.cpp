#include "app/GeneratorApp.h"

#include "app/CommandLineParser.h"
#include "app/ProgramLocation.h"
#include "platform/CommandLine.h"

#include <cstdio>

int GeneratorApp::InitInstance() {
    ProgramLocation::Instance().Init();

    int exitStatus = kExitWritten;
    if (RunFromCommandLine(GetCommandLineA(), exitStatus))
        return exitStatus;

    // The window comes in a later version; until then a start without an output file explains
    // how to name one.
    std::fputs("usage: mirrak-generator [count:N] [length:N] [symbols:aA0\"SET\"] OUTPUT-FILE\n",
               stderr);
    return kExitUsage;
}
