// The frame of a new window before it is shown. Under X11 the window manager draws the frame, so
// the layer asks it (EWMH's _NET_REQUEST_FRAME_EXTENTS) while the window is still unmapped, and
// first checks that a window manager runs at all: without one no frame ever comes. Under Wayland
// the toolkit draws the frame as it shows the window, or the compositor draws one it never tells
// of. Other platforms know the frame as soon as the window exists.

#include "platform/win/WinInternal.h"

#include <QGuiApplication>

#if defined(MIRRAK_XCB)
#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <xcb/xcb.h>
#endif

namespace platform {

#if defined(MIRRAK_XCB) && QT_CONFIG(xcb)
namespace {

// How long a window manager that says it answers frame requests is given to answer.
constexpr int kAnswerMs = 250;

template <class Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <class Reply> ReplyPtr<Reply> Owned(Reply* reply) {
    return ReplyPtr<Reply>(reply, &std::free);
}

// A property of a window with 32-bit items; empty when there is none. An error is taken here
// rather than reported to the toolkit.
ReplyPtr<xcb_get_property_reply_t> Property(xcb_connection_t* connection,
                                            xcb_get_property_cookie_t cookie) {
    xcb_generic_error_t* error = nullptr;
    auto reply = Owned(xcb_get_property_reply(connection, cookie, &error));
    std::free(error);
    if (reply && reply->format != 32)
        reply.reset();
    return reply;
}

bool Lists(const xcb_get_property_reply_t* reply, xcb_atom_t atom) {
    if (reply == nullptr || reply->type != XCB_ATOM_ATOM || atom == XCB_ATOM_NONE)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
    const int count = xcb_get_property_value_length(reply) / 4;
    return std::find(atoms, atoms + count, atom) != atoms + count;
}

// Ends a wait once the window manager has set the frame's extents on the window. The toolkit
// handles the same event right after this filter, so its frame margins hold when the wait ends.
class ExtentsWatch : public QAbstractNativeEventFilter {
public:
    ExtentsWatch(xcb_window_t window, xcb_atom_t extents, QEventLoop& loop)
        : m_window(window), m_extents(extents), m_loop(loop) {
        QAbstractEventDispatcher::instance()->installNativeEventFilter(this);
    }
    ~ExtentsWatch() override {
        if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
            dispatcher->removeNativeEventFilter(this);
    }
    ExtentsWatch(const ExtentsWatch&) = delete;
    ExtentsWatch& operator=(const ExtentsWatch&) = delete;

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7F) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if (notify->window == m_window && notify->atom == m_extents) {
            m_bAnswered = true;
            m_loop.quit();
        }
        return false;
    }
    bool Answered() const { return m_bAnswered; }

private:
    xcb_window_t m_window;
    xcb_atom_t m_extents;
    QEventLoop& m_loop;
    bool m_bAnswered = false;
};

FrameNotice AskX11(QWidget* widget, xcb_connection_t* connection) {
    const auto window = xcb_window_t(widget->winId());
    const char* const names[] = {"_NET_SUPPORTED", "_NET_REQUEST_FRAME_EXTENTS",
                                 "_NET_FRAME_EXTENTS"};
    xcb_intern_atom_cookie_t atomCookies[std::size(names)];
    for (std::size_t i = 0; i < std::size(names); ++i)
        atomCookies[i] =
            xcb_intern_atom(connection, 1, std::uint16_t(std::strlen(names[i])), names[i]);
    const xcb_get_geometry_cookie_t geometryCookie = xcb_get_geometry(connection, window);
    xcb_atom_t atoms[std::size(names)];
    for (std::size_t i = 0; i < std::size(names); ++i) {
        auto reply = Owned(xcb_intern_atom_reply(connection, atomCookies[i], nullptr));
        atoms[i] = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    const auto [supported, request, extents] = atoms;
    auto geometry = Owned(xcb_get_geometry_reply(connection, geometryCookie, nullptr));
    if (!geometry)
        return FrameNotice::Unknown;
    const xcb_window_t root = geometry->root;

    // Only a window manager redirects the root window's children, and the root's attributes say
    // whether any client does: one question, whichever manager it is.
    const xcb_get_window_attributes_cookie_t attributesCookie =
        xcb_get_window_attributes(connection, root);
    const xcb_get_property_cookie_t features =
        xcb_get_property(connection, 0, root, supported, XCB_ATOM_ATOM, 0, 4096);
    auto attributes = Owned(xcb_get_window_attributes_reply(connection, attributesCookie, nullptr));
    const auto supportedAtoms = Property(connection, features);
    if (!attributes)
        return FrameNotice::Unknown;
    if (!(attributes->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT))
        return FrameNotice::NoWindowManager;
    // A manager that does not list the request (or whose list is left from one that has gone)
    // is not asked, or does not answer in time.
    if (!Lists(supportedAtoms.get(), request) || !Lists(supportedAtoms.get(), extents))
        return FrameNotice::Unknown;

    QEventLoop loop;
    ExtentsWatch watch(window, extents, loop);
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = request;
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
    QTimer::singleShot(kAnswerMs, &loop, &QEventLoop::quit);
    // Nothing else of the window is on the screen yet; input for other windows keeps.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return watch.Answered() ? FrameNotice::Known : FrameNotice::Unknown;
}

} // namespace
#endif

FrameNotice AskFrameBeforeShowing(QWidget* window) {
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return FrameNotice::OnceShown;
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return FrameNotice::Known;
#if defined(MIRRAK_XCB) && QT_CONFIG(xcb)
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        return AskX11(window, x11->connection());
#else
    (void)window;
#endif
    return FrameNotice::Unknown;
}

} // namespace platform
