"""One end-to-end test session: a private X server with a window manager, a
private session bus with the accessibility bus, a sandbox home with its own
XDG folders, stand-in desktop tools on PATH, and the real program.

Everything a case learns comes from outside the program: window geometry and
titles from the X server, widgets from the accessibility tree, pixels from
screenshots, and files on disk.
"""
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
STANDIN = HERE / "standin.py"
AGENT = HERE / "a11y_agent.py"

# Tools of the desktop the program may run; in a test they are stand-ins
# that record their arguments and never touch the machine's desktop.
STANDIN_TOOLS = [
    "feh", "gsettings", "xfconf-query", "pcmanfm-qt", "xdg-open", "xdg-email", "xdg-mime",
    "thunderbird", "qdbus", "qdbus6", "gio", "kioclient5", "kde-open5",
]


class Timeout(AssertionError):
    pass


def wait_for(condition, timeout=10.0, interval=0.05, what="condition"):
    """Polls condition() until it returns something true; returns that."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        try:
            last = condition()
        except Exception as error:  # the window may be between states
            last = None
            error_text = repr(error)
        else:
            error_text = ""
        if last:
            return last
        if time.monotonic() > deadline:
            raise Timeout(f"timed out after {timeout} s waiting for {what} {error_text}")
        time.sleep(interval)


def _free_display():
    for number in range(50, 400):
        if not os.path.exists(f"/tmp/.X{number}-lock") and not os.path.exists(f"/tmp/.X11-unix/X{number}"):
            return number
    raise RuntimeError("no free X display number")


class Session:
    def __init__(self, root, program, screen=(1280, 1024), desktop=None, tray=False, wm=True):
        self.root = Path(root)
        self.program = Path(program)
        self.screen = screen
        self.desktop = desktop
        self.tray = tray
        self.wm = wm
        self.processes = []
        self.app = None
        self.agent = None
        self.home = self.root / "home"
        self.photos = self.home / "Pictures"
        self.log_dir = self.root / "log"
        self.state_dir = self.root / "state"
        self.bin_dir = self.root / "bin"

    # ----- set-up and tear-down -------------------------------------------------
    def start(self):
        for folder in (self.home, self.photos, self.log_dir, self.state_dir, self.bin_dir,
                       self.home / ".config", self.home / ".local/share", self.home / ".cache",
                       self.home / "Desktop"):
            folder.mkdir(parents=True, exist_ok=True)
        runtime = self.root / "runtime"
        runtime.mkdir(mode=0o700, exist_ok=True)
        for tool in STANDIN_TOOLS:
            path = self.bin_dir / tool
            path.write_text(f'#!/bin/sh\nexec /usr/bin/python3 "{STANDIN}" "{tool}" "$@"\n')
            path.chmod(0o755)
        self.number = _free_display()
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
            "QT_XCB_NO_XI2": os.environ.get("QT_XCB_NO_XI2", ""),
            "NO_AT_BRIDGE": "0",
        }
        if self.desktop:
            self.env["XDG_CURRENT_DESKTOP"] = self.desktop
        width, height = self.screen
        self._spawn(["Xvfb", f":{self.number}", "-screen", "0", f"{width}x{height}x24", "-nolisten", "tcp",
                     "-noreset"], "xvfb")
        wait_for(lambda: os.path.exists(f"/tmp/.X11-unix/X{self.number}") and
                 self.run(["xdpyinfo"], check=False).returncode == 0, 10, what="the X server")
        bus = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1",
                              "--nosyslog"], env=self.env, capture_output=True, text=True, check=True)
        address, pid = bus.stdout.split("\n")[:2]
        self.bus_pid = int(pid)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address.strip()
        if self.wm:
            self._spawn(["openbox", "--sm-disable"], "openbox")
            wait_for(lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in self.run(["xprop", "-root"]).stdout, 10,
                     what="the window manager")
        if self.tray:
            self._spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120",
                         "--heighttype", "pixel", "--height", "28", "--SetDockType", "true", "--expand", "false",
                         "--transparent", "false", "--tint", "0x808080"], "trayer")
            wait_for(lambda: "panel" in self.run(["xwininfo", "-root", "-tree"]).stdout, 10, what="the tray")
        return self

    def stop(self):
        if self.app and self.app.poll() is None:
            self.app.kill()
            self.app.wait(5)
        if self.agent:
            try:
                self.agent.kill()
                self.agent.wait(5)
            except Exception:
                pass
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(3)
                except subprocess.TimeoutExpired:
                    process.kill()
        try:
            os.kill(self.bus_pid, signal.SIGTERM)
        except Exception:
            pass

    def _spawn(self, argv, name):
        log = open(self.log_dir / f"{name}.out", "w")
        process = subprocess.Popen(argv, env=self.env, stdout=log, stderr=subprocess.STDOUT,
                                   stdin=subprocess.DEVNULL, start_new_session=True)
        self.processes.append(process)
        return process

    def run(self, argv, check=True, timeout=20):
        return subprocess.run(argv, env=self.env, capture_output=True, text=True, check=check, timeout=timeout)

    # ----- the program ----------------------------------------------------------
    def launch(self, *args, wait_window=True):
        """Starts the program; waits until its main window is mapped."""
        log = open(self.log_dir / "orvane.out", "a")
        self.started_at = time.monotonic()
        self.app = subprocess.Popen([str(self.program), *args], env=self.env, stdout=log, stderr=subprocess.STDOUT,
                                    stdin=subprocess.DEVNULL)
        if wait_window:
            self.window = wait_for(self.main_window, 20, what="the main window")
            # Let the window manager frame it and the program settle.
            wait_for(lambda: self.frame_extents() is not None or not self.wm, 5, what="the window frame")
        return self.app

    def main_window(self):
        """The X window id of the main window (title "Orvane" or "... - Orvane")."""
        result = self.run(["xdotool", "search", "--onlyvisible", "--name", r"(^Orvane$)|( - Orvane$)"], check=False)
        ids = [int(x) for x in result.stdout.split()]
        pid = self.app.pid if self.app else None
        for wid in ids:
            if pid is None or self.window_pid(wid) in (pid, None):
                return wid
        return None

    def window_pid(self, wid):
        out = self.run(["xprop", "-id", str(wid), "_NET_WM_PID"], check=False).stdout
        m = re.search(r"= (\d+)", out)
        return int(m.group(1)) if m else None

    def wait_exit(self, timeout=10):
        try:
            return self.app.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Timeout("the program did not end")

    def close(self):
        """Closes the main window the way a user does: the window manager's
        close (Alt+F4 in openbox), which the program hears as a close request."""
        self.run(["wmctrl", "-i", "-c", hex(self.window)], check=False)
        return self.wait_exit(15)

    def output(self):
        return (self.log_dir / "orvane.out").read_text(errors="replace")

    # ----- what the X server says -----------------------------------------------
    def title(self, wid=None):
        out = self.run(["xprop", "-id", str(wid or self.window), "_NET_WM_NAME"], check=False).stdout
        m = re.search(r'= "(.*)"\s*$', out)
        return m.group(1).encode("latin-1", "backslashreplace").decode("unicode_escape").encode("latin-1").decode(
            "utf-8") if m else None

    def geometry(self, wid=None):
        """The inside of a window: x, y, width, height on the screen."""
        out = self.run(["xwininfo", "-id", str(wid or self.window)]).stdout
        value = lambda key: int(re.search(key + r":\s+(-?\d+)", out).group(1))
        return (value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"), value("Height"))

    def frame_extents(self, wid=None):
        out = self.run(["xprop", "-id", str(wid or self.window), "_NET_FRAME_EXTENTS"], check=False).stdout
        m = re.search(r"= (\d+), (\d+), (\d+), (\d+)", out)
        return tuple(int(x) for x in m.groups()) if m else None  # left, right, top, bottom

    def frame(self, wid=None):
        """The outer (frame) rectangle of a window: x, y, width, height."""
        x, y, w, h = self.geometry(wid)
        left, right, top, bottom = self.frame_extents(wid) or (0, 0, 0, 0)
        return (x - left, y - top, w + left + right, h + top + bottom)

    def wm_state(self, wid=None):
        return self.run(["xprop", "-id", str(wid or self.window), "_NET_WM_STATE"], check=False).stdout

    def work_area(self):
        out = self.run(["xprop", "-root", "_NET_WORKAREA"]).stdout
        return tuple(int(x) for x in re.findall(r"-?\d+", out.split("=")[1])[:4])

    def windows_named(self, pattern):
        result = self.run(["xdotool", "search", "--onlyvisible", "--name", pattern], check=False)
        return [int(x) for x in result.stdout.split()]

    def popup_menus(self):
        """The program's pop-up menus on screen, as (x, y, width, height).

        (Qt leaves pop-up menus out of the accessibility tree's windows, so
        they are found as the X server's override-redirect windows.)"""
        out = self.run(["xwininfo", "-root", "-children"]).stdout
        found = []
        for m in re.finditer(r'(0x[0-9a-f]+) "[^"]*": \("orvane" "Orvane"\)\s+(\d+)x(\d+)\+(-?\d+)\+(-?\d+)', out):
            info = self.run(["xwininfo", "-id", m.group(1)], check=False).stdout
            if "IsViewable" in info and "Override Redirect State: yes" in info:
                w, h, x, y = (int(v) for v in m.groups()[1:])
                if w > 8 and h > 8:
                    found.append((x, y, w, h))
        return found

    def tray_icon(self):
        """The program's icon in the notification area: x, y, width, height."""
        out = self.run(["xwininfo", "-root", "-tree"]).stdout
        for m in re.finditer(r'^( +)0x[0-9a-f]+ "[^"]*": \("orvane" "Orvane"\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+'
                             r'\+(-?\d+)\+(-?\d+)', out, re.M):
            indent, w, h, x, y = len(m.group(1)), *(int(v) for v in m.groups()[1:])
            if indent > 8 and w <= 64 and h <= 64:  # embedded in the tray's panel
                return (x, y, w, h)
        return None

    def mapped(self, wid=None):
        return "IsViewable" in self.run(["xwininfo", "-id", str(wid or self.window)], check=False).stdout

    def choose(self, *indexes):
        """Chooses in the open pop-up menu with the keyboard, as a user does:
        the item at indexes[0] among the shown items, then in its submenu."""
        for depth, index in enumerate(indexes):
            for _ in range(index + 1):
                self.key("Down")
            self.key("Right" if depth < len(indexes) - 1 else "Return")

    def screenshot(self, path=None):
        """The screen as (width, height, rgb bytes)."""
        data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=self.env,
                              capture_output=True, check=True, timeout=20).stdout
        width, height, pixels = _parse_ppm(data)
        if path:
            Path(path).write_bytes(data)
        return Picture(width, height, pixels)

    # ----- input, as a user gives it ----------------------------------------------
    def key(self, *keys):
        self.run(["xdotool", "key", "--clearmodifiers", *keys])

    def type(self, text):
        self.run(["xdotool", "type", "--delay", "20", "--", text])

    def pointer(self):
        out = self.run(["xdotool", "getmouselocation", "--shell"]).stdout
        values = dict(line.split("=", 1) for line in out.split())
        return int(values["X"]), int(values["Y"])

    def move_pointer(self, x, y):
        # (xdotool's own --sync waits for a motion that never comes when the
        # pointer is already there.)
        if self.pointer() == (x, y):
            return
        self.run(["xdotool", "mousemove", str(x), str(y)])
        wait_for(lambda: self.pointer() == (x, y), 5, interval=0.01, what="the pointer")

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

    def activate(self, wid=None):
        self.run(["xdotool", "windowactivate", "--sync", str(wid or self.window)], check=False)

    # ----- the accessibility tree -----------------------------------------------
    def tree(self):
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

    def status_text(self):
        labels = [n for n in self.find("label") if n["name"] and n["extents"] and
                  n["extents"][1] > self.geometry()[1] + self.geometry()[3] - 30]
        return labels[0]["name"] if labels else ""

    # ----- stand-in tools ---------------------------------------------------------
    def calls(self, tool):
        path = self.log_dir / f"{tool}.calls"
        if not path.exists():
            return []
        return [json.loads(line) for line in path.read_text().splitlines() if line.strip()]

    def set_tool_state(self, tool, key, value):
        path = self.state_dir / f"{tool}.json"
        state = json.loads(path.read_text()) if path.exists() else {}
        state[key] = value
        path.write_text(json.dumps(state))

    def tool_state(self, tool):
        path = self.state_dir / f"{tool}.json"
        return json.loads(path.read_text()) if path.exists() else {}

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


class Picture:
    def __init__(self, width, height, pixels):
        self.width, self.height, self.pixels = width, height, pixels

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])

    def region_colours(self, x, y, w, h, step=4):
        colours = set()
        for yy in range(max(0, y), min(self.height, y + h), step):
            for xx in range(max(0, x), min(self.width, x + w), step):
                colours.add(self.pixel(xx, yy))
        return colours


def _parse_ppm(data):
    # P6 <w> <h> <max>\n<bytes>
    parts = []
    i = 0
    while len(parts) < 4:
        while data[i:i + 1].isspace():
            i += 1
        if data[i:i + 1] == b"#":
            while data[i:i + 1] != b"\n":
                i += 1
            continue
        j = i
        while not data[j:j + 1].isspace():
            j += 1
        parts.append(data[i:j])
        i = j
    i += 1
    assert parts[0] == b"P6", parts[0]
    return int(parts[1]), int(parts[2]), data[i:]
