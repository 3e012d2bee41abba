// The generator thread against a real window: progress, cancel and the completion notice.

#include "generator/thread/CGenerator.h"

#include "generator/GeneratorSettings.h"
#include "platform/os/RandomProvider.h"
#include "tests/support/DialogRun.h"
#include "tests/support/TestTemplate.h"

#include <QProgressBar>
#include <cstring>
#include <gtest/gtest.h>
#include <tuple>

namespace {

// The main window, with a completion handler keeping the result.
struct Host : CDialog {
    Host() : CDialog(testing_support::kTestTemplate) { m_app.m_pMainWnd = this; }
    BOOL OnCommand(UINT id, UINT code) override {
        if (id != UINT(MainDialogIds::kComplete) || m_pWorker == nullptr)
            return CDialog::OnCommand(id, code);
        m_result = m_pWorker->GetResult();
        m_status = m_pWorker->Outcome().status;
        m_pWorker = nullptr;
        return TRUE;
    }
    // One run in this window; the positions that the bar, first at 100, moved to.
    std::vector<int> Run(const CString& alphabet, int quantity, int length) {
        testing_support::UseTestTemplate();
        EXPECT_TRUE(platform::EnsureGuiApplication());
        GeneratorSettings::Instance().m_nQuantity = quantity;
        GeneratorSettings::Instance().m_nLength = length;
        std::vector<int> moves;
        m_result = "(no completion)";
        testing_support::Session(*this, [&] {
            auto* bar = static_cast<QWidget*>(NativeWindow())->findChild<QProgressBar*>();
            bar->setValue(100);
            QObject::connect(bar, &QProgressBar::valueChanged,
                             [&](int to) { moves.push_back(to); });
            GetDlgItem(MainDialogIds::kAlphabet).SetWindowText(alphabet);
            m_pWorker = AfxBeginThread<CGenerator>();
            platform::WaitForWorkerThreads(); // serves the worker's sends meanwhile
        });
        return moves;
    }

    CWinApp m_app;
    CGenerator* m_pWorker = nullptr;
    CString m_result;
    RunStatus m_status = RunStatus::Done;
};

TEST(CGeneratorTest, BarMovesAfterMoreThan1000BytesAndAtBothEndsAndTheNoticeAlwaysComes) {
    Host host;
    for (const auto& [alphabet, quantity, length, moves] :
         {std::tuple{"ABC", 200, 7, std::vector{0, 56, 100}}, // 112 lines of 9 bytes pass 1000
          {"ABC", 4, 998, std::vector{0, 50, 100}},           // 1000 bytes a line: every second
          {"ABC", 4, 999, std::vector{0, 25, 50, 75, 100}},   // 1001 bytes a line: every line
          {"", 5, 7, std::vector{0}}}) {                      // nothing to draw from
        EXPECT_EQ(host.Run(alphabet, quantity, length), moves) << quantity << " x " << length;
        EXPECT_EQ(host.m_result.size(), *alphabet ? std::size_t(quantity * (length + 2)) : 0u);
        EXPECT_EQ(host.m_status, *alphabet ? RunStatus::Done : RunStatus::EmptyAlphabet);
    }
    // Cancelled while the tenth password is drawn (one fill of 65,536 bytes each at length
    // 16384), the run keeps exactly ten.
    int fills = 0;
    platform::SetRandomFillForTesting([&](unsigned char* buffer, std::size_t size) {
        std::memset(buffer, 0, size);
        if (++fills == 10)
            static_cast<CGenerator*>(AfxGetThread())->Cancel();
        return true;
    });
    EXPECT_EQ(host.Run("AB", 50, 16384), (std::vector{0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20}));
    platform::SetRandomFillForTesting({});
    EXPECT_EQ(host.m_result.size(), 10u * (16384 + 2));
    EXPECT_EQ(host.m_status, RunStatus::Cancelled);
    EXPECT_EQ(host.m_result.find_first_not_of("A\r\n"), CString::npos);
}

} // namespace
