// The entry point of the window module, which the program loads when it opens its window.

#include "app/CommandLineParser.h"
#include "platform/win/Win.h"
#include "res/Resources.h"
#include "ui/MainDialog.h"

extern "C" __attribute__((visibility("default"))) int MirrakWindowMain() {
    platform::SetResources(&res::FindDialogTemplate, &res::FindImageResource);
    if (!platform::EnsureGuiApplication())
        return kExitUsage;
    CWinApp app;
    MainDialog dialog;
    app.m_pMainWnd = &dialog;
    dialog.DoModal();
    app.m_pMainWnd = nullptr;
    platform::WaitForWorkerThreads();
    return kExitWritten;
}
