#pragma once

// Which of Qt's window systems the window runs on, chosen before the application object exists,
// and whether any display answers there at all: Qt ends the process when the platform it starts
// on cannot reach its display, so the window layer asks first.

#include <functional>
#include <string>

namespace platform {

struct WindowPlatformChoice {
    // False when no display that the window could use answers: the window cannot open.
    bool available = false;
    // The platform to start Qt on ("xcb", "wayland"); empty leaves the choice to Qt, which
    // then follows QT_QPA_PLATFORM.
    std::string platform;
};

// Whether a display answers, asked only when the choice depends on it.
struct DisplayProbes {
    std::function<bool()> x11;           // an X server at DISPLAY
    std::function<bool()> wayland;       // a Wayland compositor at WAYLAND_DISPLAY
    std::function<bool()> waylandPlugin; // Qt's Wayland platform plugin is installed
};

// userChoice is QT_QPA_PLATFORM (null when unset): a list of platforms separated by ';' that Qt
// tries in order, each used as it stands; the window can open when one of them can reach its
// display (xcb an X server, wayland a compositor and its plugin, which comes in a package of its
// own; any other, such as offscreen, needs none).
// Without a choice the window runs on X11 wherever an X server answers, on a Wayland desktop too
// (XWayland): there it can be placed where it was, which a Wayland compositor does not let a
// window ask for. Otherwise it runs on Wayland when a compositor answers.
WindowPlatformChoice ChooseWindowPlatform(const char* userChoice, const DisplayProbes& probes);

// The probes of the running session: an X connection to DISPLAY, a connection to the Wayland
// socket that WAYLAND_DISPLAY names (within XDG_RUNTIME_DIR unless it is a path).
bool XServerAnswers();
bool WaylandCompositorAnswers();
// Whether Qt's plugin folders (QT_PLUGIN_PATH, then Qt's own) hold a Wayland platform plugin.
bool WaylandPluginInstalled();

} // namespace platform
