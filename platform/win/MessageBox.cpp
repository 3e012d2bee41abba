// The message box: a warning with an OK button over the main window, or the test's stand-in.

#include "platform/win/WinInternal.h"

#include <QMessageBox>
#include <utility>

namespace platform {

namespace {

MessageBoxFunction& MessageBoxHook() {
    static MessageBoxFunction hook;
    return hook;
}

} // namespace

void SetMessageBoxForTesting(MessageBoxFunction show) {
    MessageBoxHook() = std::move(show);
}

} // namespace platform

using namespace platform;

void AfxMessageBox(const CString& text) {
    RunOnWindowThread([&] {
        if (!EnsureGuiApplication())
            return;
        if (const MessageBoxFunction& hook = MessageBoxHook()) {
            hook(text);
            return;
        }
        QMessageBox::warning(WidgetOf(g_mainWindow.load()), QStringLiteral("Mirrak Generator"),
                             QString::fromUtf8(text.c_str()));
    });
}
