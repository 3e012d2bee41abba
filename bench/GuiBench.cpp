// GUI figures of the generator window, driven through its controls on Qt's offscreen platform:
// the time from a Generate press until the passwords are shown, the longest time the dialog's
// thread goes without handling events meanwhile, what the worker's progress messages cost the
// worker, and the process's peak memory. Prints "name: value unit" lines on stdout and the single
// measurements on stderr.
// Run it in an empty folder: the dialog reads and writes "gen.cfg" in the current directory.
//   gui-bench [REPETITIONS]
//   gui-bench --long-line [LENGTH]    one password of LENGTH (300,000,000) characters: the time of
//                                     End and the other keys and clicks on its line, painted
// The link wraps CWnd::SendNotifyMessage (bench/CMakeLists.txt), so that every progress message
// the worker sends is counted and timed where the worker hands it over.
#include "generator/Alphabet.h"
#include "generator/PasswordMaker.h"
#include "generator/RandomSource.h"
#include "generator/RunPlan.h"
#include "platform/win/OutputView.h"
#include "res/Resources.h"
#include "ui/MainDialog.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProgressBar>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

constexpr int kLength = 16;

// Progress messages sent off the window thread, and the time their senders waited for them.
std::atomic<int> g_progressMessages{0};
std::atomic<long long> g_progressWaitNs{0};
std::thread::id g_windowThread;

struct Run {
    int quantity = 0;
    double shownMs = 0;    // press until the passwords are painted in the output box
    double workerMs = 0;   // press until the worker's end notice arrives
    double pressMs = 0;    // the press itself (settings, clearing the output, starting the worker)
    double completeMs = 0; // handling the end notice (text into the box, selection, scroll)
    double maxStallMs = 0; // longest gap between two ticks of the 1 ms timer
    int progressMessages = 0;
    double progressWaitMs = 0; // the worker's wait for its progress messages
    int barChanges = 0;        // value changes of the progress bar: one per message
};

// The dialog, with the arrival and the handling time of the worker's end notice recorded.
class BenchDialog : public MainDialog {
public:
    BOOL OnCommand(UINT id, UINT code) override {
        if (id != kComplete)
            return MainDialog::OnCommand(id, code);
        completeAt = Clock::now();
        const BOOL handled = MainDialog::OnCommand(id, code);
        completeEnd = Clock::now();
        return handled;
    }
    Clock::time_point completeAt;
    Clock::time_point completeEnd;
};

// The worker's loop without the window: the same passwords into one buffer, no messages.
double PureGenerationMs(int quantity) {
    const Alphabet alphabet("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789");
    CryptoRandomSource source;
    SecretBuffer buffer;
    const Clock::time_point start = Clock::now();
    if (!buffer.Allocate(RunPlan(quantity, kLength, alphabet).BufferBytes()))
        return 0;
    PasswordMaker maker(source, alphabet, kLength);
    std::size_t used = 0;
    for (int i = 0; i < quantity; ++i)
        used += maker.MakeOne(buffer.Data() + used);
    return Ms(Clock::now() - start);
}

// Drives the dialog from a 1 ms timer: for each run it types the numbers, waits until the event
// loop is idle, presses Generate and watches until the passwords are shown; then it closes the
// dialog.
class Driver {
public:
    Driver(BenchDialog& dialog, std::vector<int> quantities)
        : m_dialog(dialog), m_quantities(std::move(quantities)) {}

    std::vector<Run> runs;
    bool failed = false;

    void Start() {
        m_widget = static_cast<QWidget*>(m_dialog.NativeWindow());
        m_bar = m_widget->findChild<QProgressBar*>();
        QObject::connect(m_bar, &QProgressBar::valueChanged, [this] { ++m_run.barChanges; });
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.callOnTimeout([this] { Tick(); });
        m_last = Clock::now();
        m_timer.start(1);
    }

private:
    void Tick() {
        const Clock::time_point now = Clock::now();
        if (m_running)
            m_run.maxStallMs = std::max(m_run.maxStallMs, Ms(now - m_last));
        m_last = now;
        if (m_running) {
            if (m_dialog.GetGenerator() == nullptr && m_dialog.completeAt > m_press)
                Finish(now);
        } else if (m_next < m_quantities.size()) {
            if (++m_idleTicks == 1)
                Prepare(m_quantities[m_next]);
            else if (m_idleTicks > 30)
                Press();
        } else {
            m_timer.stop();
            m_dialog.OnCancel();
        }
    }

    void Prepare(int quantity) {
        // Every press starts from an empty output box and a bar that no message has set, so that
        // each value change of the bar is one progress message.
        const Clock::time_point start = Clock::now();
        m_dialog.GetDlgItem(MainDialog::kOutput).SetWindowText(CString());
        const double clearMs = Ms(Clock::now() - start);
        if (clearMs > 5)
            std::fprintf(stderr, "  clearing the output box took %.1f ms\n", clearMs);
        m_bar->reset();
        m_dialog.GetDlgItem(MainDialog::kQuantity).SetWindowText(std::to_string(quantity));
        m_dialog.GetDlgItem(MainDialog::kLength).SetWindowText(std::to_string(kLength));
        m_run = Run{};
        m_run.quantity = quantity;
        g_progressMessages = 0;
        g_progressWaitNs = 0;
    }

    void Press() {
        m_press = Clock::now();
        m_running = true;
        m_dialog.OnGenerate();
        m_run.pressMs = Ms(Clock::now() - m_press);
    }

    void Finish(Clock::time_point now) {
        m_widget->repaint(); // the passwords are on the screen once this returns
        const Clock::time_point shown = Clock::now();
        m_run.maxStallMs = std::max(m_run.maxStallMs, Ms(shown - now));
        m_run.shownMs = Ms(shown - m_press);
        m_run.workerMs = Ms(m_dialog.completeAt - m_press);
        m_run.completeMs = Ms(m_dialog.completeEnd - m_dialog.completeAt);
        m_run.progressMessages = g_progressMessages;
        m_run.progressWaitMs = double(g_progressWaitNs) / 1e6;
        const std::size_t expected = std::size_t(m_run.quantity) * (kLength + 2);
        const std::size_t got = m_dialog.GetDlgItem(MainDialog::kOutput).GetWindowText().size();
        if (got != expected) {
            std::fprintf(stderr, "gui-bench: the output box holds %zu bytes, not %zu\n", got,
                         expected);
            failed = true;
        }
        runs.push_back(m_run);
        m_running = false;
        m_idleTicks = 0;
        ++m_next;
        m_last = Clock::now();
    }

    BenchDialog& m_dialog;
    std::vector<int> m_quantities;
    QWidget* m_widget = nullptr;
    QProgressBar* m_bar = nullptr;
    QTimer m_timer;
    Clock::time_point m_last;
    Clock::time_point m_press;
    std::size_t m_next = 0;
    int m_idleTicks = 0;
    bool m_running = false;
    Run m_run;
};

const Run& Best(const std::vector<Run>& runs, int quantity) {
    const Run* best = nullptr;
    for (const Run& run : runs)
        if (run.quantity == quantity && (best == nullptr || run.shownMs < best->shownMs))
            best = &run;
    return *best;
}

// One password of the given length through the dialog, then keys and a click on its line, each
// timed from the event until the window is painted again.
int LongLine(long long length) {
    BenchDialog dialog;
    AfxGetApp()->m_pMainWnd = &dialog;
    bool failed = false;
    QTimer::singleShot(0, [&] {
        auto* window = static_cast<QWidget*>(dialog.NativeWindow());
        dialog.GetDlgItem(MainDialog::kQuantity).SetWindowText("1");
        dialog.GetDlgItem(MainDialog::kLength).SetWindowText(std::to_string(length));
        const Clock::time_point press = Clock::now();
        dialog.OnGenerate();
        platform::WaitForWorkerThreads();
        // The output box has the focus, with the password's line and the empty one after it.
        auto* view = dynamic_cast<platform::OutputView*>(window->focusWidget());
        if (view == nullptr || view->LineCount() != 2) {
            std::fputs("gui-bench: the output box does not hold the password's line\n", stderr);
            failed = true;
            dialog.OnCancel();
            return;
        }
        window->repaint();
        std::fprintf(stderr,
                     "  one password of %lld characters shown %.1f ms after the press "
                     "(the end notice, the text into the box, %.1f ms)\n",
                     length, Ms(Clock::now() - press), Ms(dialog.completeEnd - dialog.completeAt));
        QWidget* output = view;
        const auto timed = [&](const char* what, const std::function<void()>& act) {
            const Clock::time_point start = Clock::now();
            act();
            window->repaint();
            const double ms = Ms(Clock::now() - start);
            std::fprintf(stderr, "  %s: %.1f ms\n", what, ms);
            return ms;
        };
        const auto key = [&](Qt::Key which, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
            return [=] {
                QKeyEvent down(QEvent::KeyPress, which, modifiers);
                QApplication::sendEvent(output, &down);
                QKeyEvent up(QEvent::KeyRelease, which, modifiers);
                QApplication::sendEvent(output, &up);
            };
        };
        const auto click = [&](QPoint at) {
            return [=] {
                QWidget* area = output->childAt(at) ? output->childAt(at) : output;
                const QPoint local = area->mapFrom(output, at);
                const QPoint global = area->mapToGlobal(local);
                QMouseEvent down(QEvent::MouseButtonPress, local, global, Qt::LeftButton,
                                 Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(area, &down);
                QMouseEvent up(QEvent::MouseButtonRelease, local, global, Qt::LeftButton,
                               Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(area, &up);
            };
        };
        timed("Home", key(Qt::Key_Home));
        const double end = timed("End", key(Qt::Key_End));
        // End put the caret after the last character, in view.
        const int caretX = view->PositionOf(view->Caret()).x();
        if (view->Caret() != std::size_t(length) || caretX < 0 ||
            caretX >= view->viewport()->width()) {
            std::fprintf(stderr, "gui-bench: End left the caret at %zu, x %d\n", view->Caret(),
                         caretX);
            failed = true;
        }
        timed("Left", key(Qt::Key_Left));
        timed("click in the line's shown part", click(QPoint(40, 8)));
        timed("Home again", key(Qt::Key_Home));
        timed("Ctrl+End", key(Qt::Key_End, Qt::ControlModifier));
        timed("Shift+Home (the whole line selected)", key(Qt::Key_Home, Qt::ShiftModifier));
        timed("Up", key(Qt::Key_Up));
        std::printf("gui_long_line_end_ms: %.1f ms\n", end);
        dialog.OnCancel();
    });
    dialog.DoModal();
    AfxGetApp()->m_pMainWnd = nullptr;
    platform::WaitForWorkerThreads();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("gui_long_line_peak_rss_bytes: %.0f bytes\n", double(usage.ru_maxrss) * 1024);
    return failed ? 1 : 0;
}

} // namespace

extern "C" BOOL __real__ZNK4CWnd17SendNotifyMessageEjml(const CWnd* window, UINT message,
                                                        WPARAM wParam, LPARAM lParam);

// CWnd::SendNotifyMessage, with the progress messages of other threads counted and timed.
extern "C" BOOL __wrap__ZNK4CWnd17SendNotifyMessageEjml(const CWnd* window, UINT message,
                                                        WPARAM wParam, LPARAM lParam) {
    if (message != PBM_SETPOS || std::this_thread::get_id() == g_windowThread)
        return __real__ZNK4CWnd17SendNotifyMessageEjml(window, message, wParam, lParam);
    const Clock::time_point start = Clock::now();
    const BOOL result = __real__ZNK4CWnd17SendNotifyMessageEjml(window, message, wParam, lParam);
    g_progressWaitNs += std::chrono::nanoseconds(Clock::now() - start).count();
    ++g_progressMessages;
    return result;
}

int main(int argc, char** argv) {
    const bool longLine = argc > 1 && std::string(argv[1]) == "--long-line";
    const int repetitions = argc > 1 && !longLine ? std::max(1, std::atoi(argv[1])) : 3;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    g_windowThread = std::this_thread::get_id();
    CWinApp app;
    platform::SetResources(&res::FindDialogTemplate, &res::FindImageResource);
    if (!platform::EnsureGuiApplication()) {
        std::fputs("gui-bench: no window system\n", stderr);
        return 1;
    }
    if (longLine)
        return LongLine(argc > 2 ? std::max(1LL, std::atoll(argv[2])) : 300000000LL);

    // A small run first, so that fonts and the output box's layout are warm.
    std::vector<int> quantities{1000};
    for (const int quantity : {100000, 1000000})
        quantities.insert(quantities.end(), std::size_t(repetitions), quantity);

    BenchDialog dialog;
    app.m_pMainWnd = &dialog;
    Driver driver(dialog, quantities);
    QTimer::singleShot(0, [&] { driver.Start(); });
    dialog.DoModal();
    app.m_pMainWnd = nullptr;
    platform::WaitForWorkerThreads();
    if (driver.failed || driver.runs.size() != quantities.size())
        return 1;

    for (const Run& run : driver.runs)
        std::fprintf(stderr,
                     "  %7d x %d: shown %.1f ms (press %.1f, worker %.1f, end notice %.1f), "
                     "longest stall %.1f ms, %d progress messages (%d bar moves) waited "
                     "%.2f ms\n",
                     run.quantity, kLength, run.shownMs, run.pressMs, run.workerMs, run.completeMs,
                     run.maxStallMs, run.progressMessages, run.barChanges, run.progressWaitMs);
    // As with the times, the best of the repetitions counts: on a shared machine the others add
    // the stalls of other programs.
    const Run& small = Best(driver.runs, 100000);
    const Run& large = Best(driver.runs, 1000000);
    double maxStall = 0;
    for (const int quantity : {100000, 1000000}) {
        double best = 1e300;
        for (const Run& run : driver.runs)
            if (run.quantity == quantity)
                best = std::min(best, run.maxStallMs);
        maxStall = std::max(maxStall, best);
    }
    for (const Run* run : {&small, &large}) {
        double pure = 1e300;
        for (int i = 0; i < repetitions; ++i)
            pure = std::min(pure, PureGenerationMs(run->quantity));
        std::fprintf(stderr, "  %7d x %d: generation alone %.1f ms, in the worker %.1f ms\n",
                     run->quantity, kLength, pure, run->workerMs);
    }

    std::printf("gui_1e5x16_ms: %.1f ms\n", small.shownMs);
    std::printf("gui_1e6x16_ms: %.1f ms\n", large.shownMs);
    std::printf("gui_max_stall_ms: %.1f ms\n", maxStall);
    std::printf("gui_progress_messages: %d messages\n", small.progressMessages);
    std::printf("gui_progress_share_percent: %.2f %%\n",
                100.0 * small.progressWaitMs / small.workerMs);
    // The peak of the whole process over every run; the largest run dominates it. The budget is
    // three times that run's output plus 64 MiB.
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peak = double(usage.ru_maxrss) * 1024;
    const double output = 1e6 * (kLength + 2);
    std::printf("gui_peak_rss_bytes: %.0f bytes\n", peak);
    std::printf("gui_output_bytes: %.0f bytes\n", output);
    std::printf("gui_peak_budget_left_mib: %.2f MiB\n",
                (3 * output + 64 * 1048576.0 - peak) / 1048576);
    return 0;
}
