// The generator thread against a real window: it reads the alphabet box, moves the progress bar
// and hands its result over with the completion command; and the progress reporter.

#include "generator/CGenerator.h"

#include "generator/GeneratorSettings.h"
#include "platform/RandomProvider.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <optional>

namespace {

bool WaitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    platform::PumpMessagesUntil(
        [&] { return done() || std::chrono::steady_clock::now() > deadline; });
    return done();
}

// A worker whose objects are counted, to see when the thread object deletes itself.
std::atomic<int> g_nLiveWorkers{0};
struct CountedGenerator : CGenerator {
    CountedGenerator() { ++g_nLiveWorkers; }
    ~CountedGenerator() override { --g_nLiveWorkers; }
};

// The main window of these tests: the main dialog's controls, and a handler of the completion
// command that collects the worker's result.
class Host : public CDialog {
public:
    Host() : CDialog(102) {}
    BOOL OnCommand(UINT id, UINT code) override {
        if (id != UINT(CGenerator::kCompleteId) || code != BN_CLICKED || m_pWorker == nullptr)
            return CDialog::OnCommand(id, code);
        // The worker waits inside its send, alive, while the window thread handles the notice.
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        EXPECT_EQ(g_nLiveWorkers, 1);
        m_result = m_pWorker->GetResult();
        m_bRandomFailed = m_pWorker->RandomFailed();
        m_pWorker = nullptr;
        return TRUE;
    }
    CGenerator* m_pWorker = nullptr;
    std::optional<CString> m_result;
    bool m_bRandomFailed = false;
};

class CGeneratorTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(platform::EnsureGuiApplication()); }
    CGeneratorTest() { m_app.m_pMainWnd = &m_host; }
    ~CGeneratorTest() override { platform::SetRandomFillForTesting({}); }

    // Runs the host window; steps run while it is up, and every worker ends before it closes.
    void Modal(const std::function<void()>& steps) {
        QTimer::singleShot(0, [&] {
            steps();
            platform::WaitForWorkerThreads(); // serves their sends meanwhile
            EXPECT_EQ(g_nLiveWorkers, 0);
            m_host.EndDialog(IDCANCEL);
        });
        m_host.DoModal();
    }

    // Starts a worker on the given alphabet and settings and returns at once.
    CGenerator* Start(const CString& alphabet, int quantity, int length) {
        GeneratorSettings::Instance().m_nQuantity = quantity;
        GeneratorSettings::Instance().m_nLength = length;
        m_host.GetDlgItem(CGenerator::kAlphabetId).SetWindowText(alphabet);
        m_host.m_result.reset();
        return m_host.m_pWorker = AfxBeginThread<CountedGenerator>();
    }
    // The result, once the worker has reported.
    CString Result() {
        EXPECT_TRUE(WaitFor([&] { return m_host.m_result.has_value(); }));
        return m_host.m_result.value_or("(no completion)");
    }

    CProgressCtrl Bar() const { return CProgressCtrl(m_host.GetDlgItem(CGenerator::kProgressId)); }
    int Position() const { return int(Bar().SendMessage(PBM_GETPOS)); }

    CWinApp m_app;
    Host m_host;
};

TEST_F(CGeneratorTest, ReporterMovesTheBarToTheTruncatedFractionOfItsRange) {
    Modal([&] {
        ProgressReporter unbound;
        unbound.SetFraction(0.7); // no bar: the fraction is only kept
        EXPECT_EQ(unbound.m_fraction, 0.7);

        Bar().SendMessage(PBM_SETRANGE32, 10, 30);
        ProgressReporter reporter;
        reporter.SetControl(Bar());
        for (auto [fraction, position] : {std::pair{0.5, 20}, {0.999, 29}, {1.0, 30}, {0.0, 10}}) {
            reporter.SetFraction(fraction);
            EXPECT_EQ(Position(), position) << fraction;
        }
    });
}

TEST_F(CGeneratorTest, BarMovesAfterMoreThan1000BytesAndAtBothEnds) {
    struct Case {
        CString alphabet;
        int quantity, length;
        std::vector<int> positions;
    } const cases[] = {
        {"ABC", 1, 7, {0, 100}},
        {"ABC", 200, 7, {0, 56, 100}},         // 112 lines of 9 bytes pass 1000
        {"ABC", 4, 998, {0, 50, 100}},         // 1000 bytes a line: every second line
        {"ABC", 4, 999, {0, 25, 50, 75, 100}}, // 1001 bytes a line: every line
        {"", 5, 7, {0}},                       // nothing to draw from
    };
    Modal([&] {
        auto* bar = static_cast<QWidget*>(m_host.NativeWindow())->findChild<QProgressBar*>();
        ASSERT_NE(bar, nullptr);
        std::vector<int> positions;
        QObject::connect(bar, &QProgressBar::valueChanged,
                         [&](int to) { positions.push_back(to); });
        for (const Case& c : cases) {
            Bar().SetPos(100);
            positions.clear();
            Start(c.alphabet, c.quantity, c.length);
            const std::size_t size = Result().size();
            platform::WaitForWorkerThreads();
            EXPECT_EQ(positions, c.positions) << c.quantity << " x " << c.length;
            EXPECT_EQ(size, c.alphabet.empty() ? 0 : std::size_t(c.quantity * (c.length + 2)));
        }
        EXPECT_EQ(Position(), 0);
    });
}

TEST_F(CGeneratorTest, DrawsScaleTheRandomValueOntoTheAlphabet) {
    // Big-endian 32-bit values; on four characters they give the indices 0 0 1 2 3 3.
    const unsigned char values[] = {0x00, 0x00, 0x00, 0x00, 0x3F, 0xFF, 0xFF, 0xFF,
                                    0x40, 0x00, 0x00, 0x00, 0xBF, 0xFF, 0xFF, 0xFF,
                                    0xC0, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF};
    platform::SetRandomFillForTesting([&](unsigned char* buffer, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i)
            buffer[i] = values[i % sizeof values];
        return true;
    });
    Modal([&] {
        Start("ABCD", 2, 6);
        EXPECT_EQ(Result(), "AABCDD\r\nAABCDD\r\n");
    });
}

TEST_F(CGeneratorTest, CancelWhileTheTenthPasswordIsDrawnKeepsExactlyTen) {
    // With length 16384 every password takes exactly one 65,536-byte fill.
    std::atomic<int> fills{0};
    std::atomic<CGenerator*> worker{nullptr};
    platform::SetRandomFillForTesting([&](unsigned char* buffer, std::size_t size) {
        std::memset(buffer, 0, size);
        if (++fills == 10)
            worker.load()->Cancel();
        return true;
    });
    Modal([&] {
        worker = Start("AB", 50, 16384);
        std::string expected;
        for (int i = 0; i < 10; ++i)
            expected += std::string(16384, 'A') + "\r\n";
        EXPECT_EQ(Result(), expected);
        EXPECT_EQ(fills, 10);
        EXPECT_EQ(Position(), 20); // 10 of 50
    });
}

TEST_F(CGeneratorTest, FailedFillAnywhereInTheRunYieldsNothing) {
    for (int failing : {1, 2}) {
        int fills = 0;
        platform::SetRandomFillForTesting([&](unsigned char* buffer, std::size_t size) {
            std::memset(buffer, 0, size);
            return ++fills != failing;
        });
        Modal([&] {
            Start("ABC", 3, 16384);
            EXPECT_EQ(Result(), "") << failing;
            EXPECT_TRUE(m_host.m_bRandomFailed);
        });
    }
}

} // namespace
