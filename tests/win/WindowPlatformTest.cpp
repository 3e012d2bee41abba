// The window system chosen before Qt starts, and whether any display answers: Qt itself would end
// the process on a display that does not.

#include "platform/win/WindowPlatform.h"

#include "tests/support/Files.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using platform::ChooseWindowPlatform;
using platform::DisplayProbes;
using testing_support::TempDir;

// Probes that answer as told and count how often they were asked.
struct Probes {
    bool x11 = false, wayland = false, plugin = true;
    int asked = 0;
    DisplayProbes Get() {
        return {[this] { return ++asked, x11; }, [this] { return ++asked, wayland; },
                [this] { return plugin; }};
    }
};

std::string Describe(const platform::WindowPlatformChoice& choice) {
    return choice.available ? "open on '" + choice.platform + "'" : "no display";
}

// Without a choice of the user's: X11 wherever an X server answers, else Wayland where a
// compositor and Qt's plugin for it are there, else no window.
TEST(WindowPlatformTest, WithoutAChoiceX11WinsWhereAnXServerAnswers) {
    // x11, wayland, plugin, expected
    const std::tuple<bool, bool, bool, std::string> cases[] = {
        {true, true, true, "open on 'xcb'"},      {true, false, false, "open on 'xcb'"},
        {false, true, true, "open on 'wayland'"}, {false, true, false, "no display"},
        {false, false, true, "no display"},
    };
    for (const auto& [x11, wayland, plugin, expected] : cases) {
        Probes probes{x11, wayland, plugin};
        EXPECT_EQ(Describe(ChooseWindowPlatform(nullptr, probes.Get())), expected)
            << x11 << wayland << plugin;
        EXPECT_EQ(Describe(ChooseWindowPlatform("", probes.Get())), expected);
    }
}

// The user's choice is left to Qt as it stands; the window opens when any platform of the list
// can reach its display, and only the displays that matter are asked.
TEST(WindowPlatformTest, TheUsersChoiceStandsAndNeedsItsDisplay) {
    // QT_QPA_PLATFORM, x11, wayland, plugin, expected, displays asked
    const std::tuple<const char*, bool, bool, bool, std::string, int> cases[] = {
        {"offscreen", false, false, false, "open on ''", 0},
        {"xcb", false, true, true, "no display", 1},
        {"xcb", true, false, true, "open on ''", 1},
        {"XCB:dpi=96", true, false, true, "open on ''", 1},
        {"wayland", true, false, true, "no display", 1},
        {"wayland", false, true, true, "open on ''", 1},
        {"wayland-egl", false, true, false, "no display", 1},
        {"wayland;xcb", true, false, true, "open on ''", 2},
        {"xcb;minimal", false, false, true, "open on ''", 1},
        {";", true, true, true, "no display", 0},
    };
    for (const auto& [choice, x11, wayland, plugin, expected, asked] : cases) {
        Probes probes{x11, wayland, plugin};
        EXPECT_EQ(Describe(ChooseWindowPlatform(choice, probes.Get())), expected) << choice;
        EXPECT_EQ(probes.asked, asked) << choice;
    }
}

// Sets an environment variable for one scope, or removes it (null).
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        m_bHad = std::getenv(name) != nullptr;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedVariable() { m_bHad ? setenv(m_name, m_old.c_str(), 1) : unsetenv(m_name); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
    std::string m_old;
    bool m_bHad = false;
};

// The Wayland probe connects to the socket that WAYLAND_DISPLAY names, by name within
// XDG_RUNTIME_DIR or by path; a socket nobody listens on does not answer.
TEST(WindowPlatformTest, TheWaylandProbeConnectsToTheNamedSocket) {
    const TempDir runtime;
    const std::string path = (runtime / "wayland-test").string();
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof(address.sun_path) - 1);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    const ScopedVariable noSocket("WAYLAND_SOCKET", nullptr);
    const ScopedVariable folder("XDG_RUNTIME_DIR", runtime.Path().c_str());
    for (const auto& [display, answers] : {std::pair<const char*, bool>{"wayland-test", true},
                                           {path.c_str(), true},
                                           {"wayland-none", false},
                                           {nullptr, false},
                                           {"", false}}) {
        const ScopedVariable named("WAYLAND_DISPLAY", display);
        EXPECT_EQ(platform::WaylandCompositorAnswers(), answers) << (display ? display : "unset");
    }
    close(listener);
    const ScopedVariable named("WAYLAND_DISPLAY", "wayland-test");
    EXPECT_FALSE(platform::WaylandCompositorAnswers()); // the socket is left, its listener gone
}

// An X display that nobody serves does not answer.
TEST(WindowPlatformTest, AnXDisplayThatNobodyServesDoesNotAnswer) {
    int number = 77;
    while (access(("/tmp/.X11-unix/X" + std::to_string(number)).c_str(), F_OK) == 0)
        ++number;
    std::string display = ":";
    display += std::to_string(number);
    const ScopedVariable named("DISPLAY", display.c_str());
    EXPECT_FALSE(platform::XServerAnswers());
    const ScopedVariable unset("DISPLAY", nullptr);
    EXPECT_FALSE(platform::XServerAnswers());
}

} // namespace
