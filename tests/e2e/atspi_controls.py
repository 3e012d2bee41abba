#!/usr/bin/python3
"""Prints the program's window as assistive technology sees it over the AT-SPI bus: one line per
shown control, "role<TAB>name<TAB>x y width height<TAB>description", sizes in screen pixels, the
dialog first. Ends with
status 1 when no application called mirrak-generator is on the bus within the given seconds."""
import sys
import time

import dbus

ACCESSIBLE = "org.a11y.atspi.Accessible"


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 10
    session = dbus.SessionBus()
    address = session.get_object("org.a11y.Bus", "/org/a11y/bus").GetAddress(
        dbus_interface="org.a11y.Bus")
    bus = dbus.bus.BusConnection(address)

    def get(name, path, what):
        return bus.get_object(name, path).Get(
            ACCESSIBLE, what, dbus_interface="org.freedesktop.DBus.Properties")

    def walk(name, path, out):
        node = bus.get_object(name, path)
        extents = [int(v) for v in node.GetExtents(
            dbus.UInt32(0), dbus_interface="org.a11y.atspi.Component")]
        if extents[2] > 0 and extents[3] > 0:
            out.append("%s\t%s\t%s\t%s" % (node.GetRoleName(dbus_interface=ACCESSIBLE),
                                           get(name, path, "Name"),
                                           " ".join(str(v) for v in extents),
                                           get(name, path, "Description")))
        for child_name, child_path in node.GetChildren(dbus_interface=ACCESSIBLE):
            walk(child_name, child_path, out)

    deadline = time.monotonic() + seconds
    root = bus.get_object("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root")
    while True:
        for name, path in root.GetChildren(dbus_interface=ACCESSIBLE):
            if get(name, path, "Name") != "mirrak-generator":
                continue
            app = bus.get_object(name, path)
            for child_name, child_path in app.GetChildren(dbus_interface=ACCESSIBLE):
                out = []
                walk(child_name, child_path, out)
                if out:
                    print("\n".join(out))
                    return 0
        if time.monotonic() > deadline:
            return 1
        time.sleep(0.2)


if __name__ == "__main__":
    sys.exit(main())
