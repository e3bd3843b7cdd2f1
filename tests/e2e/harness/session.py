"""One end-to-end test session: a private X server with a window manager and
a panel that takes its share of the screen, a private session bus with the
accessibility bus and the desktop's settings services, a sandbox home with
its own XDG folders, the real desktop tools where the system has them and
stand-ins for those it cannot have, and the real program.

Everything a case learns comes from outside the program: window geometry,
titles and pixels from the X server, widgets from the accessibility tree,
settings from the desktop's own tools, and files on disk.
"""
import json
import os
import re
import signal
import subprocess
import time
from pathlib import Path

from gi.repository import GLib

from harness.xserver import GONE, Screen

HERE = Path(__file__).resolve().parent
STANDIN = HERE / "standin.py"
AGENT = HERE / "a11y_agent.py"
MAIN_TITLE = r"(^Orvane$)|( - Orvane$)"
PANEL_HEIGHT = 32

# Programs a user has that this machine cannot: they record their calls.
STANDIN_TOOLS = ("thunderbird", "xdg-open")


class Timeout(AssertionError):
    pass


def wait_for(condition, timeout=10.0, what="condition", interval=0.02, longest=0.25):
    """Polls condition() with a pause growing up to longest until it returns
    something true; returns that. Only a window vanishing between two
    requests counts as "not yet"; any other error ends the wait."""
    deadline = time.monotonic() + timeout
    note = ""
    while True:
        try:
            value = condition()
            note = ""
        except GONE as error:
            value, note = None, repr(error)
        if value:
            return value
        if time.monotonic() > deadline:
            raise Timeout(f"timed out after {timeout} s waiting for {what} {note}")
        time.sleep(interval)
        interval = min(interval * 1.5, longest)


class Session:
    def __init__(self, root, program, screen=(1280, 1024), desktop=None, tray=False):
        self.root = Path(root)
        self.program = Path(program)
        self.screen = screen
        self.desktop = desktop
        self.tray = tray
        self.processes = []
        self.app = None
        self.agent = None
        self.x = None
        self.bus_pid = None
        self.home = self.root / "home"
        self.photos = self.home / "Pictures"
        self.log_dir = self.root / "log"
        self.state_dir = self.root / "state"
        self.bin_dir = self.root / "bin"

    # ----- set-up and tear-down -------------------------------------------------
    def start(self):
        for folder in (self.photos, self.log_dir, self.state_dir, self.bin_dir, self.home / ".config",
                       self.home / ".local/share/applications", self.home / ".cache", self.home / "Desktop"):
            folder.mkdir(parents=True, exist_ok=True)
        runtime = self.root / "runtime"
        runtime.mkdir(mode=0o700, exist_ok=True)
        for tool in STANDIN_TOOLS:
            path = self.bin_dir / tool
            path.write_text(f'#!/bin/sh\nexec /usr/bin/python3 "{STANDIN}" "{tool}" "$@"\n')
            path.chmod(0o755)
        # The server picks a free display itself and says which once it listens.
        read_end, write_end = os.pipe()
        width, height = self.screen
        self._spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24", "-nolisten", "tcp",
                     "-noreset"], "xvfb", pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end) as answer:
            self.number = int(answer.readline())
        self.env = {
            "PATH": f"{self.bin_dir}:/usr/local/bin:/usr/bin:/bin",
            "HOME": str(self.home),
            "USER": os.environ.get("USER", "tester"),
            "LANG": "C.UTF-8",
            "DISPLAY": f":{self.number}",
            "XDG_CONFIG_HOME": str(self.home / ".config"),
            "XDG_DATA_HOME": str(self.home / ".local/share"),
            "XDG_CACHE_HOME": str(self.home / ".cache"),
            "XDG_RUNTIME_DIR": str(runtime),
            "XDG_DESKTOP_DIR": str(self.home / "Desktop"),
            "ORVANE_E2E_LOG": str(self.log_dir),
            "ORVANE_E2E_STATE": str(self.state_dir),
            "QT_QPA_PLATFORM": "xcb",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "QT_ACCESSIBILITY": "1",
            "NO_AT_BRIDGE": "0",
        }
        if self.desktop:
            self.env["XDG_CURRENT_DESKTOP"] = self.desktop
        self.x = Screen(f":{self.number}")
        bus = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1",
                              "--nosyslog"], env=self.env, capture_output=True, text=True, check=True)
        address, pid = bus.stdout.split("\n")[:2]
        self.bus_pid = int(pid)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address.strip()
        self._spawn(["openbox", "--sm-disable"], "openbox")
        wait_for(lambda: self.x.property(self.x.root.id, "_NET_SUPPORTING_WM_CHECK"), 10, what="the window manager")
        self.x.add_panel(PANEL_HEIGHT)
        wait_for(self.x.panel_managed, 10, what="the panel taken on by the window manager")
        wait_for(lambda: self.x.work_area() == (0, 0, width, height - PANEL_HEIGHT), 10,
                 what="the work area above the panel")
        if self.desktop == "LXQt":  # its desktop manager keeps the background
            self._spawn(["pcmanfm-qt", "--desktop"], "pcmanfm-qt")
            wait_for(lambda: [w for w in self.x.clients() if self.x.window_type(w) == "DESKTOP"], 10,
                     what="the LXQt desktop")
        if self.tray:
            self._spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120",
                         "--heighttype", "pixel", "--height", "28", "--SetDockType", "true", "--expand", "false",
                         "--transparent", "false", "--tint", "0x808080"], "trayer")
            wait_for(lambda: self.x.named("^panel$"), 10, what="the tray")
        return self

    def stop(self):
        if self.app and self.app.poll() is None:
            self.app.kill()
            self.app.wait(5)
        if self.agent and self.agent.poll() is None:
            self.agent.kill()
            self.agent.wait(5)
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(3)
                except subprocess.TimeoutExpired:
                    process.kill()
        if self.bus_pid:
            try:
                os.kill(self.bus_pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        if self.x:
            try:
                self.x.close()
            except Exception:  # the server is gone already
                pass

    def _spawn(self, argv, name, pass_fds=()):
        log = open(self.log_dir / f"{name}.out", "w")
        process = subprocess.Popen(argv, env=getattr(self, "env", None), stdout=log, stderr=subprocess.STDOUT,
                                   stdin=subprocess.DEVNULL, start_new_session=True, pass_fds=pass_fds)
        self.processes.append(process)
        return process

    def run(self, argv, check=True, timeout=20):
        return subprocess.run(argv, env=self.env, capture_output=True, text=True, check=check, timeout=timeout)

    # ----- the program ----------------------------------------------------------
    def launch(self, *args, wait_window=True):
        """Starts the program; waits until the window manager has framed its
        main window."""
        log = open(self.log_dir / "orvane.out", "a")
        self.app = subprocess.Popen([str(self.program), *args], env=self.env, stdout=log, stderr=subprocess.STDOUT,
                                    stdin=subprocess.DEVNULL)
        if wait_window:
            self.window = wait_for(self.main_window, 20, what="the main window")
            wait_for(lambda: self.x.frame_extents(self.window), 5, what="the window frame")
        return self.app

    def open_photos(self, options=None, **additional):
        """Starts the program on the photo folder (with these stored options
        and "Additional" values) and waits for its scanned photo list."""
        photos = [p for p in self.photos.rglob("*") if p.suffix.lower() in (".jpg", ".jpeg")]
        self.write_settings({"Additional": {"Dir": str(self.photos), **additional}, "Options": options or {}})
        self.launch()
        wait_for(lambda: len(self.list_lines("Photo")) == len(photos), 10, what=f"{len(photos)} scanned photo lines")
        return self

    def main_window(self):
        """The X window of the main window (title "Orvane" or "... - Orvane")."""
        for wid in self.x.named(MAIN_TITLE, self.app.pid if self.app else None):
            if self.x.window_type(wid) == "NORMAL":
                return wid
        return None

    def wait_exit(self, timeout=10):
        try:
            return self.app.wait(timeout)
        except subprocess.TimeoutExpired:
            # What is still open tells why (a modal box keeps the window from closing).
            windows = [(n["role"], n["name"]) for n in self.tree() if n["depth"] == 1]
            raise Timeout(f"the program did not end within {timeout} s; its windows: {windows}")

    def close(self):
        """Closes the main window the way a user does: the window manager's
        close, which the program hears as a close request."""
        self.run(["wmctrl", "-i", "-c", hex(self.window)], check=False)
        return self.wait_exit(15)

    def settle(self):
        """Returns once the program has handled all the input it was given
        and the timer ticks due by now: a ping to its window is answered by
        its event loop, twice over."""
        for _ in range(2):
            number = self.x.ping(self.window)
            wait_for(lambda: self.x.answered(number), 10, what="the program's answer to a ping")

    # ----- what the X server says -----------------------------------------------
    def title(self, wid=None):
        return self.x.title(wid or self.window)

    def shown(self, entry, timeout=5):
        """Waits for the entry's title: the item on display."""
        return wait_for(lambda: self.title() == f"{entry} - Orvane", timeout, what=f"{entry}, title {self.title()!r}")

    def geometry(self, wid=None):
        return self.x.geometry(wid or self.window)

    def frame(self, wid=None):
        """The outer (frame) rectangle of a window: x, y, width, height."""
        x, y, w, h = self.geometry(wid)
        left, right, top, bottom = self.x.frame_extents(wid or self.window) or (0, 0, 0, 0)
        return (x - left, y - top, w + left + right, h + top + bottom)

    def wm_state(self, wid=None):
        return self.x.wm_state(wid or self.window)

    def work_area(self):
        return self.x.work_area()

    def mapped(self, wid=None):
        return self.x.viewable(wid or self.window)

    def popup_menus(self):
        """The program's pop-up menus on screen, as (x, y, width, height).
        (Qt leaves pop-up menus out of the accessibility tree.)"""
        return self.x.popups("Orvane")

    def tray_icon(self):
        """The program's icon embedded in the notification area: x, y, width, height."""
        for window, depth, x, y, w, h in self.x.tree():
            if depth >= 2 and w <= 64 and h <= 64 and self.x.wm_class(window.id) == ("orvane", "Orvane") \
                    and self.x.viewable(window.id):
                return (x, y, w, h)
        return None

    def screenshot(self):
        return self.x.picture()

    def choose(self, *indexes):
        """Chooses in the open pop-up menu with the keyboard, as a user does:
        the item at indexes[0] among the shown items, then in its submenu."""
        for depth, index in enumerate(indexes):
            for _ in range(index + 1):
                self.key("Down")
            self.key("Right" if depth < len(indexes) - 1 else "Return")
        # A click while the menu is still up would only close it.
        wait_for(lambda: not self.popup_menus(), 5, what="the menu closed")

    # ----- input, as a user gives it (through the X server's test devices) ------
    def key(self, *keys):
        self.run(["xdotool", "key", "--clearmodifiers", *keys])

    def type(self, text):
        self.run(["xdotool", "type", "--delay", "20", "--", text])

    def move_pointer(self, x, y):
        if self.x.pointer() == (x, y):
            return
        self.run(["xdotool", "mousemove", str(x), str(y)])
        wait_for(lambda: self.x.pointer() == (x, y), 5, what="the pointer")

    def click(self, x, y, button=1, repeat=1, modifiers=()):
        self.move_pointer(x, y)
        argv = ["xdotool"]
        for modifier in modifiers:
            argv += ["keydown", modifier]
        argv += ["click", "--repeat", str(repeat), "--delay", "80", str(button)]
        for modifier in modifiers:
            argv += ["keyup", modifier]
        self.run(argv)

    def click_node(self, node, button=1, repeat=1, modifiers=()):
        x, y, w, h = node["extents"]
        self.click(x + w // 2, y + h // 2, button, repeat, modifiers)

    # ----- the accessibility tree -----------------------------------------------
    def tree(self):
        self.x.drain()  # windows framed meanwhile are noted while they exist
        if self.agent is None or self.agent.poll() is not None:
            self.agent = subprocess.Popen(["/usr/bin/python3", str(AGENT)], env=self.env, stdin=subprocess.PIPE,
                                          stdout=subprocess.PIPE, stderr=open(self.log_dir / "agent.err", "a"),
                                          text=True)
        self.agent.stdin.write(json.dumps({"op": "tree", "app": "orvane"}) + "\n")
        self.agent.stdin.flush()
        answer = json.loads(self.agent.stdout.readline())
        if not answer.get("ok"):
            return []
        return answer["nodes"]

    def find(self, role=None, name=None, showing=True, nodes=None, name_re=None):
        """The nodes of the tree with this role and name (exact, or a pattern)."""
        found = []
        for node in nodes if nodes is not None else self.tree():
            if role and node["role"] != role:
                continue
            if name is not None and node["name"] != name:
                continue
            if name_re is not None and not re.search(name_re, node["name"]):
                continue
            if showing and "showing" not in node["states"]:
                continue
            found.append(node)
        return found

    def one(self, role=None, name=None, timeout=10, showing=True, name_re=None):
        """Waits for exactly one such node and returns it."""
        def look():
            nodes = self.find(role, name, showing, name_re=name_re)
            return nodes[0] if len(nodes) >= 1 else None
        return wait_for(look, timeout, what=f"{role} {name or name_re!r}")

    def answer(self, text, *keys, timeout=15):
        """Waits for a message with this text to be the active window, then
        answers it with keys."""
        def ready():
            nodes = self.tree()
            labels = [n for n in nodes if n["role"] == "label" and n["name"] == text and "showing" in n["states"]]
            window = [n for n in nodes if labels and n["path"] == labels[0]["path"][:1]]
            return window and "active" in window[0]["states"]
        wait_for(ready, timeout, what=f"the message {text!r}")
        self.x.drain()
        self.key(*keys)

    def children(self, parent, nodes=None, role=None):
        """The nodes below parent in the tree (all depths), optionally of one role."""
        nodes = nodes if nodes is not None else self.tree()
        prefix = parent["path"]
        return [n for n in nodes if n["path"][:len(prefix)] == prefix and len(n["path"]) > len(prefix)
                and (role is None or n["role"] == role)]

    def list_lines(self, name="Photo"):
        """The lines of a file list, as the accessibility tree shows them."""
        nodes = self.tree()
        lists = [n for n in nodes if n["role"] == "list" and n["name"] == name]
        if not lists:
            return []
        return [n["name"] for n in self.children(lists[0], nodes, "list item")]

    def line(self, text, list_name="Photo"):
        """The list item showing this entry."""
        def look():
            nodes = self.tree()
            lists = [n for n in nodes if n["role"] == "list" and n["name"] == list_name]
            items = [n for n in self.children(lists[0], nodes, "list item") if n["name"] == text] if lists else []
            return items[0] if items else None
        return wait_for(look, 10, what=f"the line {text}")

    # ----- the desktop's tools ------------------------------------------------------
    def calls(self, tool):
        """What a stand-in was called with, one record per call."""
        path = self.log_dir / f"{tool}.calls"
        if not path.exists():
            return []
        return [json.loads(line) for line in path.read_text().splitlines() if line.strip()]

    def set_tool_state(self, tool, key, value):
        path = self.state_dir / f"{tool}.json"
        state = json.loads(path.read_text()) if path.exists() else {}
        state[key] = value
        path.write_text(json.dumps(state))

    def gsettings(self, schema, key, value=None):
        """Reads (or sets) a setting through the real gsettings and dconf."""
        if value is not None:
            self.run(["gsettings", "set", schema, key, value])
            return value
        return GLib.Variant.parse(None, self.run(["gsettings", "get", schema, key]).stdout.strip()).unpack()

    def xfconf(self, prop, value=None, kind="string"):
        """Reads (or creates and sets) a property of the Xfce desktop through
        the real xfconf-query and xfconfd; None where it does not exist."""
        channel = ["xfconf-query", "-c", "xfce4-desktop", "-p", prop]
        if value is not None:
            self.run(channel + ["-n", "-t", kind, "-s", value])
            return value
        answer = self.run(channel, check=False)
        return answer.stdout.strip() if answer.returncode == 0 else None

    def start_plasma_standin(self):
        self._spawn(["/usr/bin/python3", str(HERE / "plasma_standin.py")], "plasmashell")
        wait_for(lambda: "boolean true" in self.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
             "org.freedesktop.DBus.NameHasOwner", "string:org.kde.plasmashell"], check=False).stdout, 10,
            what="the Plasma stand-in on the bus")

    # ----- settings ---------------------------------------------------------------
    def settings_path(self):
        return self.home / ".config/orvane/user.reg"

    def write_settings(self, values):
        """Writes a settings file: {key: {name: int or str}} under the program's keys."""
        lines = ["Windows Registry Editor Version 5.00", ""]
        for key, entries in values.items():
            lines.append(f"[HKEY_CURRENT_USER\\Software\\Kestrin\\Orvane\\{key}]")
            for name, value in entries.items():
                if isinstance(value, bool) or isinstance(value, int):
                    lines.append(f'"{name}"=dword:{int(value) & 0xFFFFFFFF:08x}')
                else:
                    escaped = str(value).replace("\\", "\\\\").replace('"', '\\"')
                    lines.append(f'"{name}"="{escaped}"')
            lines.append("")
        path = self.settings_path()
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(("\n".join(lines) + "\n").encode("utf-8"))

    def read_settings(self):
        """The settings file as {key: {name: value}}; strings keep their CR LF."""
        text = self.settings_path().read_bytes().decode("utf-8")
        values, key = {}, None
        token = re.compile(r'\[HKEY_CURRENT_USER\\Software\\Kestrin\\Orvane\\(\w+)\]'
                           r'|"((?:[^"\\]|\\.)*)"=dword:([0-9a-fA-F]{8})'
                           r'|"((?:[^"\\]|\\.)*)"="((?:[^"\\]|\\.)*)"', re.S)
        for m in token.finditer(text):
            if m.group(1):
                key = m.group(1)
                values.setdefault(key, {})
            elif m.group(2) is not None and key:
                raw = int(m.group(3), 16)
                values[key][_unescape(m.group(2))] = raw - (1 << 32) if raw & 0x80000000 else raw
            elif m.group(4) is not None and key:
                values[key][_unescape(m.group(4))] = _unescape(m.group(5))
        return values


def _unescape(text):
    return re.sub(r"\\(.)", lambda m: m.group(1), text)
