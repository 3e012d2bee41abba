#pragma once

// Rectangles of real windows on the offscreen platform, where every window has a 2-pixel frame:
// a window's outer rectangle, a control's in its dialog's client pixels, and a window sized or
// shown as a person would.

#include "platform/win/Win.h"

#include <QApplication>
#include <QSize>
#include <QWidget>
#include <ostream>

inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline void PrintTo(const RECT& r, std::ostream* out) {
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace testing_support {

inline constexpr int kFrame = 2;

inline QWidget* Native(const CDialog& dialog) {
    return static_cast<QWidget*>(dialog.NativeWindow());
}
inline RECT WindowRect(const CWnd& window) {
    RECT rect{};
    window.GetWindowRect(&rect);
    return rect;
}
inline RECT ControlRect(const CWnd& dialog, int id) {
    RECT rect = WindowRect(dialog.GetDlgItem(id));
    dialog.ScreenToClient(&rect);
    return rect;
}
// The window as a person sizes it: the client gets the outer size less the frame.
inline void SizeOuter(const CDialog& dialog, QSize outer) {
    Native(dialog)->resize(outer - QSize(2 * kFrame, 2 * kFrame));
}
// The offscreen platform carries out a change of window state once its events are handled.
inline void Show(const CWnd& window, int command) {
    window.ShowWindow(command);
    QApplication::processEvents();
}

} // namespace testing_support
