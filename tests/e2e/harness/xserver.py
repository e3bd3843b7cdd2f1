"""What the X server of a test session says, through one long-lived
connection: window titles, geometry and states, the pointer, pixels of the
screen, and which windows the window manager took on (mapped) when.

Polling through one connection costs a round trip, not a process, so the
program keeps the cores it needs while a case waits for it.
"""
import re
import time

from Xlib import X, Xatom, Xutil, display, error
from Xlib.protocol import event

# A window can vanish between two requests about it.
GONE = (error.BadWindow, error.BadDrawable, error.BadMatch)


class Screen:
    def __init__(self, name):
        self.display = display.Display(name)
        self.root = self.display.screen().root
        # Framed windows arrive as substructure events, answers to pings as
        # structure events of the root window.
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask | X.StructureNotifyMask)
        self._atoms = {}
        self._pings = 0
        self._answered = set()
        self.managed = []  # (sequence, window id, pid, window type) as the window manager framed them
        self.panel = None

    def close(self):
        self.display.close()

    def atom(self, name):
        if name not in self._atoms:
            self._atoms[name] = self.display.intern_atom(name)
        return self._atoms[name]

    def atom_name(self, atom):
        return self.display.get_atom_name(atom)

    def window(self, wid):
        return self.display.create_resource_object("window", wid)

    # ----- events ---------------------------------------------------------------
    def drain(self):
        """Reads the events that arrived: windows framed by the window manager
        and answers to pings."""
        while self.display.pending_events():
            e = self.display.next_event()
            if e.type == X.ReparentNotify and e.parent.id != self.root.id:
                try:
                    info = (self.pid(e.window.id), self.window_type(e.window.id))
                except GONE:
                    info = (None, None)
                self.managed.append((len(self.managed), e.window.id) + info)
            elif e.type == X.ClientMessage and e.client_type == self.atom("WM_PROTOCOLS"):
                if e.data[1][0] == self.atom("_NET_WM_PING"):
                    self._answered.add(e.data[1][1])

    def mark(self):
        """A point in the stream of framed windows, for managed_since."""
        self.drain()
        return len(self.managed)

    def managed_since(self, mark):
        self.drain()
        return self.managed[mark:]

    def ping(self, wid):
        """Sends the window manager's ping to a window; returns its number,
        answered once the program's event loop has handled everything that
        reached it before."""
        self._pings += 1
        number = 0x10000 + self._pings
        message = event.ClientMessage(window=self.window(wid), client_type=self.atom("WM_PROTOCOLS"),
                                      data=(32, [self.atom("_NET_WM_PING"), number, wid, 0, 0]))
        self.window(wid).send_event(message, event_mask=X.NoEventMask)
        self.display.flush()
        return number

    def answered(self, number):
        self.drain()
        return number in self._answered

    # ----- properties ------------------------------------------------------------
    def property(self, wid, name, kind=X.AnyPropertyType):
        value = self.window(wid).get_full_property(self.atom(name), kind)
        return value.value if value is not None else None

    def title(self, wid):
        value = self.property(wid, "_NET_WM_NAME") or self.property(wid, "WM_NAME")
        return value.decode("utf-8", "replace") if isinstance(value, bytes) else None

    def pid(self, wid):
        value = self.property(wid, "_NET_WM_PID", Xatom.CARDINAL)
        return int(value[0]) if value is not None and len(value) else None

    def window_type(self, wid):
        value = self.property(wid, "_NET_WM_WINDOW_TYPE", Xatom.ATOM)
        return self.atom_name(value[0]).replace("_NET_WM_WINDOW_TYPE_", "") if value is not None and len(value) else None

    def wm_class(self, wid):
        value = self.window(wid).get_wm_class()
        return tuple(value) if value else None

    def wm_state(self, wid):
        """The window manager's states of a window ("MAXIMIZED_VERT", "ABOVE", ...)."""
        value = self.property(wid, "_NET_WM_STATE", Xatom.ATOM)
        return {self.atom_name(a).replace("_NET_WM_STATE_", "") for a in (value if value is not None else [])}

    def frame_extents(self, wid):
        value = self.property(wid, "_NET_FRAME_EXTENTS", Xatom.CARDINAL)
        return tuple(int(v) for v in value) if value is not None and len(value) == 4 else None

    def geometry(self, wid):
        """The inside of a window: x, y, width, height on the screen."""
        window = self.window(wid)
        size = window.get_geometry()
        origin = window.translate_coords(self.root, 0, 0)
        return (-origin.x, -origin.y, size.width, size.height)

    def viewable(self, wid):
        return self.window(wid).get_attributes().map_state == X.IsViewable

    def work_area(self):
        value = self.property(self.root.id, "_NET_WORKAREA", Xatom.CARDINAL)
        return tuple(int(v) for v in value[:4]) if value is not None else None

    def clients(self):
        """The windows the window manager manages, oldest first."""
        value = self.property(self.root.id, "_NET_CLIENT_LIST", Xatom.WINDOW)
        return [int(w) for w in value] if value is not None else []

    def named(self, pattern, pid=None):
        found = []
        for wid in self.clients():
            try:
                title = self.title(wid)
                if title is not None and re.search(pattern, title) and (pid is None or self.pid(wid) in (pid, None)):
                    found.append(wid)
            except GONE:
                continue
        return found

    def tree(self, window=None, depth=0):
        """(window, depth, x, y, width, height) of every window below window,
        positions on the screen."""
        window = window or self.root
        out = []
        for child in window.query_tree().children:
            try:
                size = child.get_geometry()
                origin = child.translate_coords(self.root, 0, 0)
                out.append((child, depth, -origin.x, -origin.y, size.width, size.height))
                out += self.tree(child, depth + 1)
            except GONE:
                continue
        return out

    def popups(self, wm_class):
        """Viewable override-redirect windows of a program: its pop-up menus."""
        found = []
        for child in self.root.query_tree().children:
            try:
                attributes = child.get_attributes()
                if not attributes.override_redirect or attributes.map_state != X.IsViewable:
                    continue
                if (child.get_wm_class() or ("", ""))[1] != wm_class:
                    continue
                size = child.get_geometry()
                if size.width > 8 and size.height > 8:
                    found.append((size.x, size.y, size.width, size.height))
            except GONE:
                continue
        return found

    def pointer(self):
        answer = self.root.query_pointer()
        return answer.root_x, answer.root_y

    def picture(self, x=0, y=0, width=None, height=None):
        """The screen's pixels (what a user sees, windows included)."""
        geometry = self.root.get_geometry()
        width, height = width or geometry.width, height or geometry.height
        image = self.root.get_image(x, y, width, height, X.ZPixmap, 0xFFFFFFFF)
        return Picture(width, height, image.data, x, y)

    # ----- a panel that takes space from the work area ---------------------------
    def add_panel(self, height):
        """A dock along the bottom of the screen that reserves its height,
        as a desktop's task bar does."""
        geometry = self.root.get_geometry()
        screen = self.display.screen()
        panel = self.root.create_window(0, geometry.height - height, geometry.width, height, 0, screen.root_depth,
                                        background_pixel=0x404040)
        panel.set_wm_name("test panel")
        panel.set_wm_normal_hints(flags=Xutil.USPosition | Xutil.USSize, x=0, y=geometry.height - height,
                                  width=geometry.width, height=height)
        panel.set_wm_class("panel", "TestPanel")
        panel.change_property(self.atom("_NET_WM_WINDOW_TYPE"), Xatom.ATOM, 32, [self.atom("_NET_WM_WINDOW_TYPE_DOCK")])
        panel.change_property(self.atom("_NET_WM_STRUT"), Xatom.CARDINAL, 32, [0, 0, 0, height])
        panel.change_property(self.atom("_NET_WM_STRUT_PARTIAL"), Xatom.CARDINAL, 32,
                              [0, 0, 0, height, 0, 0, 0, 0, 0, 0, 0, geometry.width - 1])
        self.panel = panel
        self._map_panel()

    def _map_panel(self):
        self.panel.unmap()
        self.panel.map()
        self.display.flush()
        self._panel_mapped_at = time.monotonic()

    def panel_managed(self):
        """Whether the window manager took the panel on; a window manager
        still starting up may have missed it, so it is mapped again."""
        if self.property(self.panel.id, "WM_STATE"):
            return True
        if time.monotonic() - self._panel_mapped_at > 0.1:
            self._map_panel()
        return False


class Picture:
    """Pixels of a part of the screen, as (red, green, blue)."""

    def __init__(self, width, height, data, x=0, y=0):
        self.width, self.height, self.data, self.x, self.y = width, height, data, x, y

    def pixel(self, x, y):
        i = ((y - self.y) * self.width + (x - self.x)) * 4
        blue, green, red = self.data[i], self.data[i + 1], self.data[i + 2]
        return (red, green, blue)

    def row(self, x, y, width):
        return [self.pixel(xx, y) for xx in range(x, x + width)]


def close_to(colour, expected, tolerance=12):
    """Whether a pixel shows this colour (pictures are JPEG-coded and scaled)."""
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))
