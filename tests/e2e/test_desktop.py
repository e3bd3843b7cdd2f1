"""The desktop background and the desktop icons, set through each desktop's
own tools and read back from them."""
import re
import time
from urllib.parse import quote

import pytest

from harness.session import wait_for
from harness.xserver import close_to

NAME = "it's a \"dune\"; $(x) 50%.jpg"  # a name only ever passed as one argument
# A window that leaves the right of the screen to the desktop background.
SMALL_WINDOW = {"Top": 0, "Left": 0, "Width": 700, "Height": 900}
BACKGROUND_SPOT = (1000, 700)


def start_on(make_session, desktop, files=(NAME,)):
    s = make_session(list(files), desktop=desktop)
    s.write_settings({"Main": SMALL_WINDOW, "Additional": {"Dir": str(s.photos)}})
    s.launch()
    lines = wait_for(lambda: s.list_lines("Photo"), 10, what="the scanned list")
    s.click_node(s.one("push button", ">"))
    s.shown(lines[0])
    return s, lines


def file_uri(path):
    # Sub-delimiters may stay as they are in a path (RFC 3986).
    return "file://" + quote(path, safe="/!$&'()*+,;=:@~")


def background_colour(s):
    return s.screenshot().pixel(*BACKGROUND_SPOT)


def lxqt_wallpaper(s):
    for settings in (s.home / ".config/pcmanfm-qt").glob("*/settings.conf"):
        for line in settings.read_text().splitlines():
            if line.startswith("Wallpaper="):
                value = line[len("Wallpaper="):]  # an INI value, quoted where it must be
                return re.sub(r"\\(.)", r"\1", value[1:-1]) if value.startswith('"') else value
    return None


def gnome_background(s):
    return tuple(s.gsettings("org.gnome.desktop.background", key) for key in ("picture-uri", "picture-uri-dark"))


# How each desktop answers what its background is, and what it should say
# for a path.
BACKGROUND = {
    "GNOME": (gnome_background, lambda path: (file_uri(path), file_uri(path))),
    "ubuntu:GNOME": (gnome_background, lambda path: (file_uri(path), file_uri(path))),
    "MATE": (lambda s: s.gsettings("org.mate.background", "picture-filename"), lambda path: path),
    "X-Cinnamon": (lambda s: s.gsettings("org.cinnamon.desktop.background", "picture-uri"), file_uri),
    "LXQt": (lxqt_wallpaper, lambda path: path),
}


@pytest.mark.parametrize("desktop", list(BACKGROUND))
def test_set_makes_the_file_the_desktops_background(make_session, desktop):
    s, lines = start_on(make_session, desktop)
    background, expected = BACKGROUND[desktop]
    wanted = expected(str(s.photos / lines[0]))
    assert background(s) != wanted
    s.click_node(s.one("push button", "set"))
    wait_for(lambda: background(s) == wanted, 10, what=f"the background {wanted!r}, have {background(s)!r}")


def test_a_plain_x_session_shows_the_picture_on_the_root_window(make_session):
    s, _ = start_on(make_session, None)
    assert not close_to(background_colour(s), (255, 0, 0))
    s.click_node(s.one("push button", "set"))
    wait_for(lambda: close_to(background_colour(s), (255, 0, 0)), 10, what="the red picture behind the windows")


def test_xfce_sets_every_monitor_and_workspace_listed(make_session):
    s = make_session([NAME], desktop="xfce")  # compared without regard to case
    workspaces = [f"/backdrop/screen0/monitorVirtual-1/workspace{i}/last-image" for i in (0, 1)]
    for workspace in workspaces:
        s.xfconf(workspace, "/old.jpg")
    s.write_settings({"Additional": {"Dir": str(s.photos)}})
    s.launch()
    s.click_node(s.one("push button", "Next Background"))
    s.shown(NAME)
    path = str(s.photos / NAME)
    wait_for(lambda: [s.xfconf(w) for w in workspaces] == [path, path], 10,
             what=f"both workspaces set, have {[s.xfconf(w) for w in workspaces]}")


def test_plasma_gets_a_script_over_the_session_bus(make_session):
    s = make_session([NAME], desktop="KDE")
    s.start_plasma_standin()
    s.write_settings({"Additional": {"Dir": str(s.photos), "FileName": str(s.photos / NAME)}})
    s.launch()
    s.shown(NAME)
    s.click_node(s.one("push button", "set"))
    scripts = wait_for(lambda: s.calls("plasmashell"), 5, what="the script")
    assert f'"{file_uri(str(s.photos / NAME))}"' in scripts[0][0]
    assert "org.kde.image" in scripts[0][0]


def test_a_desktop_without_a_way_to_set_it_says_so_and_goes_on(make_session):
    s, lines = start_on(make_session, "KDE", files=("a.jpg", "b.jpg"))  # no Plasma shell on the bus
    s.click_node(s.one("push button", "set"))
    box = s.one(name_re="cannot be set", role="label", timeout=5)
    assert "The desktop background cannot be set" in box["name"]
    s.key("Return")
    wait_for(lambda: not s.find("label", name_re="cannot be set"), 5, what="the message closed")
    s.click_node(s.one("push button", ">"))  # the program goes on
    s.shown(lines[1])


def test_autoswitch_sets_the_next_picture_ten_seconds_after_the_interval_is_chosen(make_session):
    s, lines = start_on(make_session, None, files=("green.jpg", "blue.jpg"))
    s.click_node(s.one("check box", "Autoswitch every"))
    wait_for(lambda: "checked" in s.one("check box", "Autoswitch every")["states"], 5, what="ticked")
    # Choosing an interval starts its period anew.
    for key, choice in (("Down", "1 minute"), ("Up", "10 seconds")):
        s.click_node(s.one("combo box", name_re=r"^(10 seconds|1 minute)$"))
        s.key(key, "Return")
        s.one("combo box", choice, timeout=5)
    chosen = time.monotonic()
    colour = (0, 0, 255) if lines[1] == "blue.jpg" else (0, 255, 0)
    wait_for(lambda: close_to(background_colour(s), colour), 16, what=f"the next picture, {lines[1]}, as the background")
    waited = time.monotonic() - chosen
    print(f"\n[figure] auto-switch after choosing \"10 seconds\": {waited:.1f} s")
    assert waited > 8.0
    s.shown(lines[1])


def test_icons_come_back_as_the_user_had_them(make_session):
    s = make_session(["a.jpg"], desktop="XFCE")
    s.xfconf("/desktop-icons/style", "1", "int")  # minimised windows only
    s.launch()
    for button, style in (("Hide Icons", "0"), ("Show Icons", "1"), ("Hide Icons", "0")):
        s.click_node(s.one("push button", button))
        wait_for(lambda: s.xfconf("/desktop-icons/style") == style, 5, what=f"icon style {style} after {button}")
    s.close()  # the shut-down gives them back
    assert s.xfconf("/desktop-icons/style") == "1"


@pytest.mark.parametrize("desktop", ["XFCE", "X-Cinnamon"])
def test_a_user_who_keeps_the_icons_off_keeps_them_off(make_session, desktop):
    s = make_session(["a.jpg"], desktop=desktop)
    if desktop == "XFCE":
        s.xfconf("/desktop-icons/style", "0", "int")
        icons = lambda: s.xfconf("/desktop-icons/style")  # noqa: E731
    else:
        s.gsettings("org.nemo.desktop", "show-desktop-icons", "false")
        icons = lambda: s.gsettings("org.nemo.desktop", "show-desktop-icons")  # noqa: E731
    off = icons()
    s.launch()
    s.one("push button", "Hide Icons")
    s.close()
    assert icons() == off
