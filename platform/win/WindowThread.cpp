// The window thread: the window system's application object, whose thread owns every window, the
// thread's event loop, and calls handed to it from other threads.

#include "platform/os/WindowModule.h"
#include "platform/win/WinInternal.h"
#include "platform/win/WindowPlatform.h"

#include <QApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace platform {

bool OnWindowThread() {
    return qApp == nullptr || QThread::currentThread() == qApp->thread();
}

void PumpMessagesUntil(const std::function<bool()>& done) {
    if (qApp == nullptr) {
        while (!done())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return;
    }
    // The timer wakes the loop so that a condition that changes without an event is seen.
    QTimer tick;
    tick.start(5);
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

bool EnsureGuiApplication() {
    if (qApp != nullptr)
        return true;
    if (!DisplayAvailable())
        return false;
    // Asked once: Qt would end the process on a display that does not answer.
    static const WindowPlatformChoice choice =
        ChooseWindowPlatform(std::getenv("QT_QPA_PLATFORM"),
                             {&XServerAnswers, &WaylandCompositorAnswers, &WaylandPluginInstalled});
    if (!choice.available)
        return false;
    // The platform goes to Qt as its "-platform" argument rather than through the environment,
    // which the programs that the shell opens (a browser, a help viewer) inherit.
    static char name[] = "mirrak-generator";
    static char platformOption[] = "-platform";
    static std::string platformName = choice.platform;
    static char* argv[] = {name, platformOption, platformName.data(), nullptr};
    static int argc = platformName.empty() ? 1 : 3;
    static QApplication* application = new QApplication(argc, argv);
    return application != nullptr;
}

} // namespace platform

using namespace platform;

BOOL CWnd::SendNotifyMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (OnWindowThread()) {
        SendMessageChecked(m_hWnd, message, wParam, lParam);
        return TRUE;
    }
    const HWND window = m_hWnd;
    QMetaObject::invokeMethod(
        qApp, [=] { SendMessageChecked(window, message, wParam, lParam); }, Qt::QueuedConnection);
    return TRUE;
}
