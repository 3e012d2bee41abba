// Preloaded into the real program, it works the window from inside, where a headless Wayland
// compositor takes no synthetic input: once the window "Mirrak Generator" is shown it does the
// steps of MIRRAK_DRIVER_STEPS (comma-separated: generate 300 passwords of 23 characters, resize
// to 600 x 450, maximize) with key events through the widgets' own handling, each within 20 s,
// and closes the window with Escape. MIRRAK_DRIVER_REPORT gets "key=value" lines: as the window
// is shown platform, shown_ms (since the process started), client (WxH) and maximized (0 or 1);
// "failed=STEP" for a step that did not come about; "done" as it closes the window.

#include <QAbstractScrollArea>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTest>
#include <QWindow>
#include <functional>

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

int OutputLines(QWidget* window) {
    const auto* output = window->findChild<QAbstractScrollArea*>();
    const QScrollBar* bar = output ? output->verticalScrollBar() : nullptr;
    return bar && bar->maximum() > 0 ? bar->maximum() + bar->pageStep() : 0;
}

// A compositor without input devices never makes the window active, so keys go to the widget
// that has the focus within the window rather than to the application's focus.
void Key(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, key, modifiers);
}
void Type(QWidget* window, const char* text) {
    QTest::keyClicks(window->focusWidget() ? window->focusWidget() : window, text);
}

// Polls, so that no step waits inside whatever event loop the program runs at the time.
class Driver : public QObject {
    void timerEvent(QTimerEvent*) override {
        if (m_window == nullptr) {
            if ((m_window = ShownWindow()) == nullptr)
                return;
            Report(QStringLiteral("platform=") + QGuiApplication::platformName());
            Report(QStringLiteral("shown_ms=%1").arg(g_sinceStart.elapsed()));
            Report(QStringLiteral("client=%1x%2").arg(m_window->width()).arg(m_window->height()));
            Report(QStringLiteral("maximized=%1").arg(m_window->isMaximized() ? 1 : 0));
        } else if (!m_done()) {
            if (m_stepTime.elapsed() < 20000)
                return;
            Report(QStringLiteral("failed=") + m_step);
            m_steps.clear();
        }
        QWidget* window = m_window;
        m_step = m_steps.isEmpty() ? QString() : m_steps.takeFirst();
        m_stepTime.start();
        if (m_step == QLatin1String("generate")) {
            // Only in an active window does the field that Tab reaches select its text.
            Key(window, Qt::Key_A, Qt::ControlModifier);
            Type(window, "300");
            Key(window, Qt::Key_Tab);
            Key(window, Qt::Key_A, Qt::ControlModifier);
            Type(window, "23");
            Key(window, Qt::Key_Return);
            m_done = [window] { return OutputLines(window) >= 300; };
        } else if (m_step == QLatin1String("resize")) {
            window->resize(600, 450);
            m_done = [window] { return window->size() == QSize(600, 450); };
        } else if (m_step == QLatin1String("maximize")) {
            window->showMaximized();
            m_done = [window] { return window->isMaximized(); };
        } else {
            if (!m_step.isEmpty())
                Report(QStringLiteral("failed=unknown step ") + m_step);
            killTimer(m_timer);
            Key(window, Qt::Key_Escape);
            Report(QStringLiteral("done"));
        }
    }

    QStringList m_steps =
        qEnvironmentVariable("MIRRAK_DRIVER_STEPS").split(u',', Qt::SkipEmptyParts);
    QString m_step;
    QElapsedTimer m_stepTime;
    QWidget* m_window = nullptr;
    std::function<bool()> m_done;
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
