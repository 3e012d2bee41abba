// The window system chosen before Qt starts, and whether a Wayland compositor answers: Qt itself
// would end the process on a display that does not. The end-to-end tests see the X server's probe.

#include "platform/win/WindowPlatform.h"

#include "tests/support/Files.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Without a choice of the user's: X11 wherever an X server answers, else Wayland where a
// compositor and Qt's plugin for it are there, else no window. The user's choice is left to Qt
// as it stands; the window opens when any platform of the list can reach its display, and only
// the displays that matter are asked.
TEST(WindowPlatformTest, X11WinsWithoutAChoiceAndTheUsersChoiceNeedsItsDisplay) {
    // QT_QPA_PLATFORM, x11, wayland, plugin, expected, displays asked
    const std::tuple<const char*, bool, bool, bool, std::string, int> cases[] = {
        {nullptr, true, true, true, "open on 'xcb'", 1},
        {"", false, true, true, "open on 'wayland'", 2},
        {nullptr, false, true, false, "no display", 2},
        {nullptr, false, false, true, "no display", 2},
        {"offscreen", false, false, false, "open on ''", 0},
        {"xcb", false, true, true, "no display", 1},
        {"XCB:dpi=96", true, false, true, "open on ''", 1},
        {"wayland", true, false, true, "no display", 1},
        {"wayland", false, true, true, "open on ''", 1},
        {"wayland-egl", false, true, false, "no display", 1},
        {"wayland;xcb", true, false, true, "open on ''", 2},
        {"xcb;minimal", false, false, true, "open on ''", 1},
        {";", true, true, true, "no display", 0},
    };
    for (const auto& [choice, x11, wayland, plugin, expected, asked] : cases) {
        int count = 0;
        const platform::WindowPlatformChoice chosen = platform::ChooseWindowPlatform(
            choice, {[&, x11 = x11] { return ++count, x11; },
                     [&, wayland = wayland] { return ++count, wayland; },
                     [plugin = plugin] { return plugin; }});
        EXPECT_EQ(chosen.available ? "open on '" + chosen.platform + "'" : "no display", expected)
            << (choice ? choice : "(unset)");
        EXPECT_EQ(count, asked) << (choice ? choice : "(unset)");
    }
}

// The Wayland probe connects to the socket that WAYLAND_DISPLAY names, by name within
// XDG_RUNTIME_DIR or by path; a socket nobody listens on does not answer. The probe reads this
// process's environment, set here as each case needs.
TEST(WindowPlatformTest, TheWaylandProbeConnectsToTheNamedSocket) {
    const testing_support::TempDir runtime;
    const std::string path = (runtime / "wayland-test").string();
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof(address.sun_path) - 1);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    unsetenv("WAYLAND_SOCKET");
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    for (const auto& [display, answers] : {std::pair<std::string, bool>{"wayland-test", true},
                                           {path, true},
                                           {"wayland-none", false},
                                           {"", false}}) {
        setenv("WAYLAND_DISPLAY", display.c_str(), 1);
        EXPECT_EQ(platform::WaylandCompositorAnswers(), answers) << display;
    }
    close(listener);
    setenv("WAYLAND_DISPLAY", "wayland-test", 1);
    EXPECT_FALSE(platform::WaylandCompositorAnswers()); // the socket is left, its listener gone
}

} // namespace
