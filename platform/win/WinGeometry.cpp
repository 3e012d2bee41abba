// Window geometry of the window-system layer: outer and client rectangles, moving windows and
// controls, maximized and minimized states, size limits, and the size and move notifications.

#include "platform/win/Win.h"
#include "platform/win/WinInternal.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdint>
#include <limits>

namespace platform {

namespace {

// The frame around a top-level window: what the window manager (or the offscreen platform) adds
// around the client area. Controls have none.
QMargins FrameOf(const QWidget* widget) {
    if (!widget->isWindow() || widget->windowHandle() == nullptr)
        return {};
    return widget->windowHandle()->frameMargins();
}

// The client area of a widget in screen pixels. Controls are placed from their dialog's client
// origin, so that a control's screen rectangle mapped back by its dialog is exactly its geometry.
QRect ScreenClientRect(const QWidget* widget) {
    const QWidget* top = widget->window();
    const QPoint origin = top->geometry().topLeft();
    if (widget == top)
        return QRect(origin, widget->size());
    return QRect(origin + widget->mapTo(top, QPoint(0, 0)), widget->size());
}

// Rectangles asked for from elsewhere (a saved geometry, a dialog's arithmetic) may lie anywhere
// in 32 bits. Positions and sizes are kept within the range a widget can take, so that no sum of
// them leaves an int.
constexpr std::int64_t kCoordinateLimit = QWIDGETSIZE_MAX;

int ClampedPosition(std::int64_t value) {
    return int(std::clamp(value, -kCoordinateLimit, kCoordinateLimit));
}
int ClampedSize(std::int64_t value) {
    return int(std::clamp<std::int64_t>(value, 0, kCoordinateLimit));
}

// Puts a window's client area at rect. A window not shown yet gets its native window placed too,
// so that it is shown where it was put and un-maximizes to there.
void SetClientGeometry(QWidget* widget, const QRect& rect) {
    widget->setGeometry(rect);
    if (widget->isWindow() && !widget->isVisible() && widget->windowHandle() != nullptr)
        widget->windowHandle()->setGeometry(widget->geometry());
}

RECT ToRect(const QRect& rect) {
    return {LONG(rect.left()), LONG(rect.top()), LONG(rect.left() + rect.width()),
            LONG(rect.top() + rect.height())};
}

LPARAM MakeLParam(int low, int high) {
    return LPARAM(MAKEWPARAM(unsigned(low), unsigned(high)));
}

// Asks the dialog for its size limits and applies them to the client area: the outer sizes the
// dialog names, less the current frame.
void ApplyMinMaxInfo(CDialog* dialog, QWidget* widget) {
    const QMargins frame = FrameOf(widget);
    widget->setProperty("mirrakFrame", QVariant::fromValue(frame));
    const int frameWidth = frame.left() + frame.right();
    const int frameHeight = frame.top() + frame.bottom();
    const QScreen* screen = widget->screen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 0, 0);
    MINMAXINFO info{};
    info.ptMaxSize = {LONG(available.width()), LONG(available.height())};
    info.ptMaxPosition = {LONG(available.left()), LONG(available.top())};
    info.ptMinTrackSize = {LONG(frameWidth), LONG(frameHeight)};
    // No window grows beyond the desktop of all screens and its frame: a size asked for from
    // elsewhere (a moved or stale saved rectangle) would otherwise make an unseen window whose
    // pixels alone take gigabytes.
    const QSize desktop = screen ? screen->virtualSize() : QSize();
    info.ptMaxTrackSize = desktop.isEmpty() ? POINT{LONG(QWIDGETSIZE_MAX), LONG(QWIDGETSIZE_MAX)}
                                            : POINT{LONG(desktop.width() + frameWidth),
                                                    LONG(desktop.height() + frameHeight)};
    const MINMAXINFO asked = info;
    DispatchToDialog(dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    if (info.ptMinTrackSize.x != asked.ptMinTrackSize.x ||
        info.ptMinTrackSize.y != asked.ptMinTrackSize.y)
        widget->setMinimumSize(ClampedSize(std::int64_t(info.ptMinTrackSize.x) - frameWidth),
                               ClampedSize(std::int64_t(info.ptMinTrackSize.y) - frameHeight));
    widget->setMaximumSize(ClampedSize(std::int64_t(info.ptMaxTrackSize.x) - frameWidth),
                           ClampedSize(std::int64_t(info.ptMaxTrackSize.y) - frameHeight));
}

// Where a dialog opens unless its OnInitDialog moves it: centred on its owner, or on its screen,
// with its outer rectangle kept inside the screen's available area.
void PlaceAtDefault(QWidget* widget) {
    const QMargins frame = FrameOf(widget);
    QRect outer(QPoint(0, 0), widget->size().grownBy(frame));
    const QScreen* screen = widget->screen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    const QWidget* owner = widget->parentWidget() ? widget->parentWidget()->window() : nullptr;
    const QRect area = owner && owner->isVisible()
                           ? ScreenClientRect(owner).marginsAdded(FrameOf(owner))
                           : available;
    outer.moveCenter(area.center());
    if (!available.isEmpty()) {
        outer.moveLeft(std::max(available.left(),
                                std::min(outer.left(), available.right() + 1 - outer.width())));
        outer.moveTop(std::max(available.top(),
                               std::min(outer.top(), available.bottom() + 1 - outer.height())));
    }
    SetClientGeometry(widget,
                      QRect(outer.topLeft() + QPoint(frame.left(), frame.top()), widget->size()));
}

} // namespace

void PrepareDialogWindow(CDialog* dialog, QWidget* widget) {
    widget->winId(); // the window exists from here on, not shown
    const FrameNotice notice = AskFrameBeforeShowing(widget);
    // Shown before it has drawn anything, so that its outer size holds from OnInitDialog on; the
    // compositor places it, and sees only the size the dialog gives it.
    if (notice == FrameNotice::OnceShown)
        ShowDialogWindow(widget);
    if (notice == FrameNotice::Unknown) {
        // An X11 window manager that does not say beforehand decorates and places a new window
        // only once it is asked to map it; a move or a maximize asked for before that may be
        // overridden by its own placement. The window is shown and its frame waited for, so that
        // the outer size the dialog sees holds from OnInitDialog on. Input that comes meanwhile
        // waits for the dialog to be set up.
        ShowDialogWindow(widget);
        const auto placed = [&] {
            return !FrameOf(widget).isNull() && widget->windowHandle()->isExposed();
        };
        QTimer tick;
        tick.start(10);
        QElapsedTimer waited;
        waited.start();
        while (!placed() && waited.elapsed() < 1000)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                            QEventLoop::WaitForMoreEvents);
    }
    ApplyMinMaxInfo(dialog, widget);
    if (!widget->isVisible())
        PlaceAtDefault(widget);
}

void ShowDialogWindow(QWidget* widget) {
    // Modality takes effect when a window is shown. A dialog without an owner blocks no other
    // window; declared modal, window managers would refuse to maximize it.
    if (widget->parentWidget() != nullptr)
        widget->setAttribute(Qt::WA_ShowModal, true);
    widget->show();
}

void DialogGeometryChanged(CDialog* dialog, QWidget* widget, GeometryChange change) {
    // The frame can change at any time (decorations come late, a maximized window may lose its
    // border): the outer limits then mean another client size.
    if (widget->property("mirrakFrame").isValid() &&
        widget->property("mirrakFrame").value<QMargins>() != FrameOf(widget))
        ApplyMinMaxInfo(dialog, widget);
    const QRect client = widget->geometry();
    if (change == GeometryChange::Move) {
        DispatchToDialog(dialog, WM_MOVE, 0, MakeLParam(client.x(), client.y()));
        return;
    }
    const WPARAM type = widget->isMinimized()   ? SIZE_MINIMIZED
                        : widget->isMaximized() ? SIZE_MAXIMIZED
                                                : SIZE_RESTORED;
    DispatchToDialog(dialog, WM_SIZE, type, MakeLParam(client.width(), client.height()));
}

} // namespace platform

using namespace platform;

void CWnd::GetWindowRect(RECT* rect) const {
    WithWindow(m_hWnd, [&](WindowRecord& record) {
        *rect = ToRect(ScreenClientRect(record.widget).marginsAdded(FrameOf(record.widget)));
    });
}

void CWnd::GetClientRect(RECT* rect) const {
    WithWindow(m_hWnd, [&](WindowRecord& record) {
        *rect = {0, 0, LONG(record.widget->width()), LONG(record.widget->height())};
    });
}

void CWnd::ScreenToClient(RECT* rect) const {
    WithWindow(m_hWnd, [&](WindowRecord& record) {
        const QPoint origin = ScreenClientRect(record.widget).topLeft();
        const auto shifted = [](LONG value, int by) {
            return LONG(std::clamp<std::int64_t>(std::int64_t(value) - by,
                                                 std::numeric_limits<LONG>::min(),
                                                 std::numeric_limits<LONG>::max()));
        };
        *rect = {shifted(rect->left, origin.x()), shifted(rect->top, origin.y()),
                 shifted(rect->right, origin.x()), shifted(rect->bottom, origin.y())};
    });
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) const {
    WithWindow(m_hWnd, [&](WindowRecord& record) {
        QWidget* widget = record.widget;
        // A window's client goes inside the frame it has now. Under X11 the window manager
        // carries the move out later, and the toolkit's own idea of the frame may still be the
        // undecorated one, so the frame position is not left to it.
        const QMargins frame = widget->isWindow() ? FrameOf(widget) : QMargins();
        SetClientGeometry(widget,
                          QRect(ClampedPosition(std::int64_t(x) + frame.left()),
                                ClampedPosition(std::int64_t(y) + frame.top()),
                                ClampedSize(std::int64_t(width) - frame.left() - frame.right()),
                                ClampedSize(std::int64_t(height) - frame.top() - frame.bottom())));
        // A window not shown yet hears of the change at once, as a shown one does.
        if (record.dialog != nullptr && !widget->isVisible()) {
            DialogGeometryChanged(record.dialog, widget, GeometryChange::Move);
            DialogGeometryChanged(record.dialog, widget, GeometryChange::Size);
        }
        if (repaint)
            widget->update();
    });
}

BOOL CWnd::RedrawWindow(const RECT* updateRect, const void* /*updateRegion*/, UINT flags) const {
    return WithWindow(m_hWnd, [&](WindowRecord& record) {
        QWidget* widget = record.widget;
        const QRect area =
            updateRect ? QRect(ClampedPosition(updateRect->left), ClampedPosition(updateRect->top),
                               ClampedSize(std::int64_t(updateRect->right) - updateRect->left),
                               ClampedSize(std::int64_t(updateRect->bottom) - updateRect->top))
                       : widget->rect();
        if (flags & RDW_UPDATENOW)
            widget->repaint(area);
        else if (flags & (RDW_INVALIDATE | RDW_ERASE))
            widget->update(area);
    });
}

BOOL CWnd::IsZoomed() const {
    return WidgetState(m_hWnd, &QWidget::isMaximized);
}

BOOL CWnd::IsIconic() const {
    return WidgetState(m_hWnd, &QWidget::isMinimized);
}

BOOL CWnd::ShowWindow(int command) const {
    BOOL wasVisible = FALSE;
    WithWindow(m_hWnd, [&](WindowRecord& record) {
        QWidget* widget = record.widget;
        wasVisible = widget->isVisible();
        if (!wasVisible && IsSettingUp(widget)) {
            // A dialog being set up is shown once that is done: until then it takes the state
            // asked for, and then appears in it.
            Qt::WindowStates state =
                widget->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
            if (command == SW_MAXIMIZE)
                state |= Qt::WindowMaximized;
            else if (command == SW_MINIMIZE)
                state |= Qt::WindowMinimized;
            widget->setWindowState(state);
            return;
        }
        switch (command) {
        case SW_MAXIMIZE:
            widget->showMaximized();
            break;
        case SW_MINIMIZE:
            widget->showMinimized();
            break;
        case SW_RESTORE:
        case SW_SHOWNORMAL:
            widget->showNormal();
            break;
        default:
            widget->show();
            break;
        }
    });
    return wasVisible;
}
