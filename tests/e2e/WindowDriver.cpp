// Drives the real program's window from inside its process, where no input can be sent from
// outside (a headless Wayland compositor takes no synthetic input): preloaded with LD_PRELOAD, it
// hooks the start of Qt's application object, waits for the window "Mirrak Generator" to be on
// the screen and then works it with key events as a person would, through the widgets' own event
// handling.
//
// MIRRAK_DRIVER_STEPS   what to do, in order, separated by commas:
//                         generate   Ctrl+A, the quantity 300, Tab, Ctrl+A, the length 23, Enter;
//                                    waits until the output box holds 300 lines
//                         resize     makes the client area 600 x 450
//                         maximize   maximizes the window
//                       then Escape closes the window.
// MIRRAK_DRIVER_REPORT  a file that gets one "key=value" line per fact: platform, shown_ms (from
//                       the start of the process to the window on the screen), client (WxH),
//                       maximized (0 or 1), lines, and "done" once the window was told to close,
//                       or "failed=STEP" when a step did not come about within 20 s.

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <functional>

namespace {

QElapsedTimer& SinceStart() {
    static QElapsedTimer timer;
    return timer;
}

// Started while the process starts, before the program's main.
const bool g_started = (SinceStart().start(), true);

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
    if (output == nullptr)
        return 0;
    const QScrollBar* bar = output->verticalScrollBar();
    return bar->maximum() > 0 ? bar->maximum() + bar->pageStep() : 0;
}

// Keys go to the widget that has the focus within the window: a compositor without input
// devices never makes the window active, so the application's own focus stays unset.
void Keys(QWidget* window, const QString& text) {
    QTest::keyClicks(window->focusWidget() ? window->focusWidget() : window, text);
}

void Key(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, key, modifiers);
}

class Driver {
public:
    Driver()
        : m_steps(qEnvironmentVariable("MIRRAK_DRIVER_STEPS").split(u',', Qt::SkipEmptyParts)) {
        QObject::connect(&m_tick, &QTimer::timeout, [this] { Tick(); });
        m_tick.start(20);
    }

private:
    void Tick() {
        if (m_window == nullptr) {
            m_window = ShownWindow();
            if (m_window == nullptr)
                return;
            Report(QStringLiteral("platform=") + QGuiApplication::platformName());
            Report(QStringLiteral("shown_ms=%1").arg(SinceStart().elapsed()));
            Begin();
            return;
        }
        if (m_waitingFor && !m_waitingFor()) {
            if (m_stepTime.elapsed() > 20000) {
                Report(QStringLiteral("failed=") + m_step);
                m_waitingFor = nullptr;
                Close();
            }
            return;
        }
        m_waitingFor = nullptr;
        if (m_step == QLatin1String("generate"))
            Report(QStringLiteral("lines=%1").arg(OutputLines(m_window)));
        Begin();
    }

    // Starts the next step, or closes the window after the last one.
    void Begin() {
        Report(QStringLiteral("client=%1x%2").arg(m_window->width()).arg(m_window->height()));
        Report(QStringLiteral("maximized=%1").arg(m_window->isMaximized() ? 1 : 0));
        if (m_steps.isEmpty()) {
            Close();
            return;
        }
        m_step = m_steps.takeFirst();
        m_stepTime.start();
        QWidget* window = m_window;
        if (m_step == QLatin1String("generate")) {
            Key(window, Qt::Key_A, Qt::ControlModifier);
            Keys(window, QStringLiteral("300"));
            Key(window, Qt::Key_Tab);
            // The field that the Tab reached selects its text as it takes the focus only in an
            // active window.
            Key(window, Qt::Key_A, Qt::ControlModifier);
            Keys(window, QStringLiteral("23"));
            Key(window, Qt::Key_Return);
            m_waitingFor = [window] { return OutputLines(window) >= 300; };
        } else if (m_step == QLatin1String("resize")) {
            window->resize(600, 450);
            m_waitingFor = [window] { return window->size() == QSize(600, 450); };
        } else if (m_step == QLatin1String("maximize")) {
            window->showMaximized();
            m_waitingFor = [window] { return window->isMaximized(); };
        } else {
            Report(QStringLiteral("failed=unknown step ") + m_step);
            Close();
        }
    }

    void Close() {
        m_tick.stop();
        Key(m_window, Qt::Key_Escape);
        Report(QStringLiteral("done"));
    }

    QStringList m_steps;
    QString m_step;
    QTimer m_tick;
    QElapsedTimer m_stepTime;
    QWidget* m_window = nullptr;
    std::function<bool()> m_waitingFor;
};

// The driver, made as the application object is made, on its thread; it lives until the process
// ends.
Driver* g_driver = nullptr;

void StartDriver() {
    (void)g_started;
    g_driver = new Driver;
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(StartDriver)
