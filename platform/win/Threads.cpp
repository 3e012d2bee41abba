// Threads: the application object of the main thread, worker threads started by AfxBeginThread
// that delete themselves when their run ends, and the wait for them all.

#include "platform/win/WinInternal.h"

#include <atomic>
#include <system_error>
#include <thread>

namespace platform {

namespace {

CWinApp* g_pApp = nullptr;
thread_local CWinThread* t_pThread = nullptr;
std::atomic<int> g_nRunningThreads{0};

} // namespace

bool StartThread(CWinThread* thread) {
    ++g_nRunningThreads;
    try {
        std::thread([thread] {
            t_pThread = thread;
            if (thread->InitInstance())
                thread->Run();
            thread->ExitInstance();
            delete thread;
            t_pThread = nullptr;
            --g_nRunningThreads;
        }).detach();
    } catch (const std::system_error&) {
        --g_nRunningThreads;
        return false;
    }
    return true;
}

void WaitForWorkerThreads() {
    PumpMessagesUntil([] { return g_nRunningThreads.load() == 0; });
}

} // namespace platform

using namespace platform;

CWinThread::CWinThread() = default;
CWinThread::~CWinThread() = default;
BOOL CWinThread::InitInstance() {
    return FALSE;
}
int CWinThread::Run() {
    return 0; // nothing to run; the thread's ExitInstance follows
}
int CWinThread::ExitInstance() {
    return 0;
}
CWnd CWinThread::GetMainWnd() const {
    return CWnd(g_mainWindow.load());
}

CWinApp::CWinApp() {
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this)
        g_pApp = nullptr;
}

CWnd CWinApp::GetMainWnd() const {
    return m_pMainWnd ? CWnd(m_pMainWnd->GetSafeHwnd()) : CWnd();
}

CWinApp* AfxGetApp() {
    return g_pApp;
}

CWinThread* AfxGetThread() {
    return t_pThread != nullptr ? t_pThread : g_pApp;
}
