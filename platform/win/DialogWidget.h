#pragma once

// The window of a dialog. Dialog.cpp creates and runs it; what the window system tells it (keys,
// button clicks, the close box, paints, size and move) becomes the dialog's messages in
// MessageRouting.cpp.

#include "platform/win/Win.h"

#include <QDialog>
#include <utility>
#include <vector>

namespace platform {

class DialogWidget : public QDialog {
public:
    DialogWidget(CDialog* dialog, QWidget* parent) : QDialog(parent), m_pDialog(dialog) {}

    // Every command from the user reaches the dialog here. Until the dialog is set up (its
    // OnInitDialog has returned) a command waits, as input waits in a window system's queue,
    // so that no handler sees controls that are not filled yet.
    void Command(int id, LPARAM control);
    // The dialog is set up: commands are handed over from now on. Returns those that waited, in
    // their order.
    std::vector<std::pair<int, LPARAM>> FinishSetUp() {
        m_bSetUp = true;
        return std::exchange(m_waiting, {});
    }
    bool IsSetUp() const { return m_bSetUp; }

protected:
    bool event(QEvent* event) override;

private:
    CDialog* m_pDialog;
    bool m_bSetUp = false;
    std::vector<std::pair<int, LPARAM>> m_waiting;
};

} // namespace platform
