#include "platform/win/WindowPlatform.h"

#include <QByteArray>
#include <QDir>
#include <QLibraryInfo>
#include <QList>
#include <QStringList>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#if defined(MIRRAK_XCB)
#include <xcb/xcb.h>
#endif

namespace platform {

namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

} // namespace

WindowPlatformChoice ChooseWindowPlatform(const char* userChoice, const DisplayProbes& probes) {
    if (userChoice != nullptr && userChoice[0] != '\0') {
        for (const QByteArray& entry : QByteArray(userChoice).split(';')) {
            // An entry may carry arguments after a colon ("xcb:dpi=96").
            const QByteArray name = entry.split(':').front().trimmed().toLower();
            if (name.isEmpty())
                continue;
            const bool reachable = name == "xcb" ? probes.x11()
                                   : name.startsWith("wayland")
                                       ? probes.wayland() && probes.waylandPlugin()
                                       : true;
            if (reachable)
                return {true, ""};
        }
        return {false, ""};
    }
    if (probes.x11())
        return {true, "xcb"};
    if (probes.wayland() && probes.waylandPlugin())
        return {true, "wayland"};
    return {false, ""};
}

bool XServerAnswers() {
    if (!IsSet("DISPLAY"))
        return false;
#if defined(MIRRAK_XCB)
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool connected = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return connected;
#else
    return true; // without xcb to ask, the display is taken as it is named
#endif
}

bool WaylandCompositorAnswers() {
    if (IsSet("WAYLAND_SOCKET"))
        return true; // a connection handed over by the compositor that started the program
    if (!IsSet("WAYLAND_DISPLAY"))
        return false;
    std::string path = std::getenv("WAYLAND_DISPLAY");
    if (path.front() != '/') {
        if (!IsSet("XDG_RUNTIME_DIR"))
            return false;
        path = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/" + path;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool connected =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    close(fd);
    return connected;
}

bool WaylandPluginInstalled() {
    QStringList folders = qEnvironmentVariable("QT_PLUGIN_PATH").split(u':', Qt::SkipEmptyParts);
    folders.append(QLibraryInfo::path(QLibraryInfo::PluginsPath));
    for (const QString& folder : folders) {
        const QDir platforms(folder + QStringLiteral("/platforms"));
        if (!platforms.entryList({QStringLiteral("*wayland*")}, QDir::Files).isEmpty())
            return true;
    }
    return false;
}

} // namespace platform
