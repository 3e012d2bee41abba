#pragma once

// A modal dialog run with real widgets on the offscreen platform, for the tests of the window's
// libraries.

#include "platform/win/Win.h"

#include <QTimer>
#include <functional>

namespace testing_support {

// Runs a modal session of dialog: steps once it is up, then it is closed unless it was.
template <class Dialog> void Session(Dialog& dialog, const std::function<void()>& steps) {
    QTimer::singleShot(0, [&] {
        steps();
        if (dialog.IsWindowVisible())
            dialog.OnCancel();
    });
    dialog.DoModal();
}

} // namespace testing_support
