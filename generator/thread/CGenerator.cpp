#include "generator/thread/CGenerator.h"

#include "generator/Alphabet.h"
#include "generator/GeneratorSettings.h"
#include "generator/PasswordMaker.h"
#include "platform/os/Memory.h"

#include <ctime>
#include <exception>

ProgressReporter::~ProgressReporter() = default;

void ProgressReporter::SetControl(const CWnd& control) {
    m_control = control;
    m_nLastPosition = -1;
    if (m_control.GetSafeHwnd() != 0)
        CProgressCtrl(m_control).GetRange(m_nLow, m_nHigh);
}

void ProgressReporter::SetFraction(double f) {
    m_fraction = f;
    if (m_control.GetSafeHwnd() == 0)
        return;
    const int position = m_nLow + int((m_nHigh - m_nLow) * f);
    if (position == m_nLastPosition)
        return;
    m_nLastPosition = position;
    // The worker does not wait for the bar: the move is queued ahead of its end notice.
    m_control.SendNotifyMessage(PBM_SETPOS, WPARAM(position), 0);
}

CGenerator::CGenerator()
    : m_nQuantity(GeneratorSettings::Instance().m_nQuantity),
      m_nLength(GeneratorSettings::Instance().m_nLength) {
    m_random.SeedWithValue(static_cast<std::int32_t>(std::time(nullptr)));
    m_progress.SetControl(AfxGetThread()->GetMainWnd().GetDlgItem(MainDialogIds::kProgress));
    m_bCancel = false;
}

CGenerator::~CGenerator() {
    platform::WipeString(m_strResult);
}

bool CGenerator::ReserveResult(std::size_t bytes) {
    try {
        m_strResult.reserve(bytes);
        platform::PreferLargePages(m_strResult.data(), bytes);
        m_strResult.resize(bytes);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

CString CGenerator::TakeResult() {
    CString result = std::move(m_strResult);
    platform::WipeString(m_strResult); // what a short text leaves behind in the string object
    return result;
}

BOOL CGenerator::InitInstance() {
    return TRUE;
}

int CGenerator::ExitInstance() {
    return CWinThread::ExitInstance();
}

int CGenerator::Run() {
    Generate();
    AfxGetThread()->GetMainWnd().SendMessage(WM_COMMAND,
                                             MAKEWPARAM(MainDialogIds::kComplete, BN_CLICKED), 0);
    return 0;
}

void CGenerator::Generate() {
    m_progress.SetFraction(0.0);
    const Alphabet alphabet(
        AfxGetThread()->GetMainWnd().GetDlgItem(MainDialogIds::kAlphabet).GetWindowText());
    // The passwords are made straight into the result text, which is wiped when it goes: the whole
    // output is held at once.
    const RunPlan plan(m_nQuantity, m_nLength, alphabet);
    m_outcome = plan.HoldingWhole();
    if (m_outcome.status != RunStatus::Done)
        return;
    if (!ReserveResult(plan.BufferBytes())) {
        m_outcome = {RunStatus::TooLarge, 0, plan.OutputBytes()};
        return;
    }

    const std::int32_t quantity = plan.Quantity();
    PasswordMaker maker(m_random, alphabet, plan.Length());
    char* const buffer = m_strResult.data();
    std::size_t used = 0;
    std::size_t sinceProgress = 0;
    std::int32_t finished = 0;
    while (finished < quantity) {
        const std::size_t line = maker.MakeOne(buffer + used);
        used += line;
        sinceProgress += line;
        ++finished;
        if (m_random.Failed())
            break;
        if (sinceProgress > 1000) {
            m_progress.SetFraction(double(finished) / quantity);
            sinceProgress = 0;
        }
        if (m_bCancel.load(std::memory_order_relaxed))
            break;
    }
    if (m_random.Failed()) {
        // Nothing made from bytes the OS did not supply is ever shown.
        m_outcome.status = RunStatus::RandomFailed;
        platform::WipeString(m_strResult);
        return;
    }
    if (finished < quantity)
        m_outcome.status = RunStatus::Cancelled;
    m_strResult.resize(used);
    m_progress.SetFraction(double(finished) / quantity);
}
