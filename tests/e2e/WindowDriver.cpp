// Preloaded into the real program, it works the window from inside, where a headless Wayland
// compositor takes no synthetic input: once "Mirrak Generator" is shown it does MIRRAK_DRIVER_STEP
// ("resize" to 600 x 450, "maximize" or nothing), within 20 s, then presses Escape. It appends to
// MIRRAK_DRIVER_REPORT: platform=, shown_ms= (since the process started), client=WxH and
// maximized=0|1 as the window is shown; failed=STEP; done.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QWindow>

namespace {

QElapsedTimer g_sinceStart;
const bool g_started = (g_sinceStart.start(), true); // as the process starts, before main

void Report(const QString& line) {
    QFile report(qEnvironmentVariable("MIRRAK_DRIVER_REPORT"));
    if (report.open(QIODevice::Append | QIODevice::Text))
        report.write((line + QLatin1Char('\n')).toUtf8());
}

QWidget* ShownWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->windowTitle() == QLatin1String("Mirrak Generator") &&
            widget->windowHandle() != nullptr && widget->windowHandle()->isExposed())
            return widget;
    return nullptr;
}

// Polls, so that the step waits inside no event loop that the program runs at the time.
class Driver : public QObject {
    void timerEvent(QTimerEvent*) override {
        if (m_window == nullptr) {
            if ((m_window = ShownWindow()) == nullptr)
                return;
            Report(QStringLiteral("platform=") + QGuiApplication::platformName());
            Report(QStringLiteral("shown_ms=%1").arg(g_sinceStart.elapsed()));
            Report(QStringLiteral("client=%1x%2").arg(m_window->width()).arg(m_window->height()));
            Report(QStringLiteral("maximized=%1").arg(m_window->isMaximized() ? 1 : 0));
            m_shown.start();
            if (m_step == u"resize")
                m_window->resize(600, 450);
            else if (m_step == u"maximize")
                m_window->showMaximized();
            else if (!m_step.isEmpty())
                Report(QStringLiteral("failed=unknown step ") + m_step);
        }
        QWidget* window = m_window;
        const bool done = m_step == u"resize"     ? window->size() == QSize(600, 450)
                          : m_step == u"maximize" ? window->isMaximized()
                                                  : true;
        if (!done && m_shown.elapsed() < 20000)
            return;
        if (!done)
            Report(QStringLiteral("failed=") + m_step);
        killTimer(m_timer);
        // A compositor without input devices never makes the window active: the key goes to the
        // widget that has the focus within the window, not to the application's focus.
        QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, Qt::Key_Escape);
        Report(QStringLiteral("done"));
    }

    const QString m_step = qEnvironmentVariable("MIRRAK_DRIVER_STEP");
    QElapsedTimer m_shown;
    QWidget* m_window = nullptr;
    int m_timer = startTimer(20);
};

// Made as the application object is made, on its thread; it lives until the process ends.
Driver* g_driver = nullptr;
void StartDriver() {
    (void)g_started;
    g_driver = new Driver;
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(StartDriver)
