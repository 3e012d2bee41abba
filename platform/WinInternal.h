#pragma once

// Pieces of the window-system layer shared by its own source files only.

#include "platform/Win.h"

#include <QFont>

struct FontData {
    QFont font;
};

namespace platform {
// The default handling of a message by a window: what a control does with it.
LRESULT DefaultWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
MessageBoxFunction& MessageBoxHook();
} // namespace platform
