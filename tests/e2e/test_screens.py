"""The program on screens and sessions other than a plain X11 one at scale
1: a scaled (HiDPI) screen and a Wayland session."""
import os
import re
import subprocess
from pathlib import Path

import pytest

from conftest import convert
from harness.session import wait_for

HARNESS = Path(__file__).parent / "harness"


def pairing_contrast(pixels):
    """How much neighbouring screen pixels differ in each pairing along a
    row: (0,1), (2,3), ... and (1,2), (3,4), ... A picture enlarged from
    half the screen's pixels repeats each pixel, so the first pairing shows
    nothing; one painted at the screen's pixels differs as much in both."""
    green = [p[1] for p in pixels]
    even = sum(abs(green[i] - green[i + 1]) for i in range(0, len(green) - 2, 2))
    odd = sum(abs(green[i + 1] - green[i + 2]) for i in range(0, len(green) - 2, 2))
    return even, odd


def test_at_scale_two_the_picture_shows_its_detail_at_the_screens_pixels(make_session):
    s = make_session()
    photo = s.photos / "noise.jpg"
    convert("-seed", "7", "-size", "2400x1800", "xc:gray", "+noise", "Random", "-quality", "95", photo)
    s.env["QT_SCALE_FACTOR"] = "2"
    s.launch(str(photo))
    s.shown("noise.jpg")
    s.settle()
    # The accessibility tree speaks in the program's own (logical) pixels:
    # the screen's are twice as many each way.
    x, y, w, h = (2 * v for v in s.one("filler", "Picture")["extents"])
    middle = y + h // 2
    row = s.x.picture(x, middle, w, 1).row(x + w // 4, middle, w // 2)
    even, odd = pairing_contrast(row)
    assert even > 0 and 0.6 < odd / even < 1.6, (even, odd)
    # And as much as the picture holds at that size: decoded for half the
    # pixels and enlarged, neighbours differ by about 2 levels, not 8.
    assert even / len(row) > 5, even / len(row)


class Weston:
    """Debian's Wayland compositor on its headless backend, with Xwayland
    when asked: a Wayland session as GNOME and KDE start them."""

    def __init__(self, folder, xwayland):
        self.runtime = folder / "wayland-runtime"
        self.runtime.mkdir(mode=0o700)
        self.log = folder / "weston.log"
        argv = ["weston", "--backend=headless-backend.so", "--socket=wayland-orvane", f"--log={self.log}",
                "--width=1280", "--height=1024"] + (["--xwayland"] if xwayland else [])
        self.process = subprocess.Popen(argv, env={**os.environ, "XDG_RUNTIME_DIR": str(self.runtime)},
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(lambda: (self.runtime / "wayland-orvane").exists(), 10, what="the Wayland socket")
        self.display = None
        if xwayland:
            found = wait_for(lambda: re.search(r"xserver listening on display (:\d+)", self.log.read_text()), 10,
                             what="Xwayland's display")
            self.display = found.group(1)

    def session_env(self, env):
        """The session's environment as a Wayland session sets it: the
        program chooses its platform itself."""
        env = {k: v for k, v in env.items() if k not in ("QT_QPA_PLATFORM", "DISPLAY")}
        env.update({"XDG_SESSION_TYPE": "wayland", "WAYLAND_DISPLAY": "wayland-orvane",
                    "XDG_RUNTIME_DIR": str(self.runtime)})
        if self.display:
            env["DISPLAY"] = self.display
        return env

    def close_window(self, pattern):
        """Asks the Xwayland window titled so to close; whether there was one."""
        return subprocess.run(["/usr/bin/python3", str(HARNESS / "xclose.py"), self.display, pattern]).returncode == 0

    def stop(self):
        self.process.terminate()
        self.process.wait(10)


@pytest.fixture
def weston(tmp_path):
    started = []

    def start(xwayland):
        started.append(Weston(tmp_path, xwayland))
        return started[-1]

    yield start
    for compositor in started:
        compositor.stop()


def start_in_wayland_session(s, compositor):
    photo = s.photos / "red.jpg"
    s.write_settings({"Additional": {"Dir": str(s.photos), "FileName": str(photo)}})
    s.env = compositor.session_env(s.env)
    s.launch(wait_window=False)
    wait_for(lambda: s.find("label", f"{photo}  (160x120)"), 20, what="the stored picture in the status line")


def test_a_wayland_session_with_xwayland_runs_the_program_as_an_x11_client(make_session, weston):
    s = make_session(["red.jpg"])
    compositor = weston(xwayland=True)
    start_in_wayland_session(s, compositor)
    wait_for(lambda: compositor.close_window(r"^red\.jpg - Orvane$"), 10, what="the window on Xwayland")
    assert s.app.wait(15) == 0
    assert s.read_settings()["Additional"]["FileName"] == str(s.photos / "red.jpg")
    assert "Wayland client" not in (s.log_dir / "orvane.out").read_text()


def test_a_wayland_session_without_an_x_server_says_once_what_it_cannot_do(make_session, weston):
    s = make_session(["red.jpg"])
    start_in_wayland_session(s, weston(xwayland=False))
    output = (s.log_dir / "orvane.out").read_text()
    assert output.count("runs as a Wayland client") == 1
    assert "magnifier are not available" in output
