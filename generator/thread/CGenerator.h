#pragma once

#include "generator/RandomSource.h"
#include "generator/RunPlan.h"
#include "platform/os/CString.h"
#include "platform/win/Win.h"
#include "res/ControlIds.h"

#include <atomic>
#include <cstdint>

// Moves a progress bar to a fraction of its range.
class ProgressReporter {
public:
    virtual ~ProgressReporter();

    // Binds the progress bar (or none). Its range is read here, on the binding thread, so that
    // later moves from a worker need no round trip to ask for it.
    void SetControl(const CWnd& control);
    // Stores f and moves the bar to low + trunc((high - low) * f). A move to the position the bar
    // already has is not sent again.
    void SetFraction(double f);

    CWnd m_control;
    double m_fraction = 0.0;

private:
    int m_nLow = 0;
    int m_nHigh = 100;
    int m_nLastPosition = -1;
};

// The worker thread that makes one run of passwords for the main dialog: it reads the alphabet
// from the dialog's hidden alphabet box, moves the progress bar, stops after the current password
// when cancelled, and hands the result over with command 1021, sent to the main window.
class CGenerator : public CWinThread {
public:
    // Constructed on the dialog's thread: quantity and length are read from the settings record
    // here, so a later change of the record cannot race the run.
    CGenerator();
    ~CGenerator() override;

    BOOL InitInstance() override;
    int Run() override;
    int ExitInstance() override;

    void Cancel() { m_bCancel.store(true, std::memory_order_relaxed); }
    // Only while the dialog handles the completion command.
    const CString& GetResult() const { return m_strResult; }
    // Only while the dialog handles the completion command: moves the result out, without copying
    // its bytes; the thread keeps an empty text.
    CString TakeResult();
    // Only while the dialog handles the completion command: how the run ended. The result is
    // empty unless the run was Done or Cancelled.
    const RunOutcome& Outcome() const { return m_outcome; }

    std::atomic<bool> m_bCancel{false};
    CryptoRandomSource m_random;
    CString m_strResult;
    ProgressReporter m_progress;

private:
    void Generate();
    bool ReserveResult(std::size_t bytes);

    std::int32_t m_nQuantity;
    std::int32_t m_nLength;
    RunOutcome m_outcome;
};
