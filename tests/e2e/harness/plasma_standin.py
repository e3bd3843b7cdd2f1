"""A stand-in for Plasma's shell on a test session's bus: owns
org.kde.plasmashell and records each script handed to evaluateScript in
$ORVANE_E2E_LOG/plasmashell.calls."""
import json
import os

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

LOG = os.path.join(os.environ.get("ORVANE_E2E_LOG", "/tmp"), "plasmashell.calls")


class Shell(dbus.service.Object):
    @dbus.service.method("org.kde.PlasmaShell", in_signature="s", out_signature="s")
    def evaluateScript(self, script):
        with open(LOG, "a") as calls:
            calls.write(json.dumps([str(script)]) + "\n")
        return ""


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName("org.kde.plasmashell", bus)  # noqa: F841 (held while running)
    Shell(bus, "/PlasmaShell")
    GLib.MainLoop().run()


if __name__ == "__main__":
    main()
