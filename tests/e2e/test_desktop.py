"""The desktop background and the desktop icons, with stand-in desktop tools
that record what the program asked of them."""
import pytest

from harness.session import wait_for

NAME = "it's a \"dune\"; $(x) 50%.jpg"  # a name only ever passed as one argument


def start_on(make_session, desktop, files=(NAME,)):
    s = make_session(list(files), desktop=desktop)
    s.write_settings({"Additional": {"Dir": str(s.photos)}})
    return s


def show_first(s):
    s.launch()
    wait_for(lambda: s.list_lines("Photo"), 10, what="the scanned list")
    s.click_node(s.one("push button", ">"))
    wait_for(lambda: s.title() != "Orvane", 5, what="a picture")
    return str(s.photos / s.list_lines("Photo")[0])


def file_uri(path):
    from urllib.parse import quote
    # Sub-delimiters may stay as they are in a path (RFC 3986).
    return "file://" + quote(path, safe="/!$&'()*+,;=:@~")


CASES = {
    "GNOME": lambda path: {"gsettings": [["set", "org.gnome.desktop.background", "picture-uri", file_uri(path)],
                                         ["set", "org.gnome.desktop.background", "picture-uri-dark", file_uri(path)]]},
    "ubuntu:GNOME": lambda path: {"gsettings": [["set", "org.gnome.desktop.background", "picture-uri", file_uri(path)],
                                                ["set", "org.gnome.desktop.background", "picture-uri-dark",
                                                 file_uri(path)]]},
    "MATE": lambda path: {"gsettings": [["set", "org.mate.background", "picture-filename", path]]},
    "X-Cinnamon": lambda path: {"gsettings": [["set", "org.cinnamon.desktop.background", "picture-uri",
                                               file_uri(path)]]},
    "LXQt": lambda path: {"pcmanfm-qt": [["--set-wallpaper", path]]},
    None: lambda path: {"feh": [["--no-fehbg", "--bg-max", path]]},
}


@pytest.mark.parametrize("desktop", list(CASES), ids=[str(d) for d in CASES])
def test_set_hands_the_file_to_the_desktops_own_tool(make_session, desktop):
    s = start_on(make_session, desktop)
    path = show_first(s)
    s.click_node(s.one("push button", "set"))
    for tool, calls in CASES[desktop](path).items():
        # The tools run side by side: their calls may land in either order.
        wait_for(lambda: sorted(c for c in s.calls(tool) if c and c[0] != "get") == sorted(calls), 5,
                 what=f"{tool} {calls}, have {s.calls(tool)}")


def test_xfce_sets_every_monitor_and_workspace_listed(make_session):
    s = start_on(make_session, "xfce")  # compared without regard to case
    for workspace in ("monitorVirtual-1/workspace0", "monitorVirtual-1/workspace1"):
        s.set_tool_state("xfconf-query", f"/backdrop/screen0/{workspace}/last-image", "/old.jpg")
    path = show_first(s)
    s.click_node(s.one("push button", "Next Background"))
    wait_for(lambda: s.title() != "Orvane", 5)
    state = wait_for(lambda: (lambda st: st if st[
        "/backdrop/screen0/monitorVirtual-1/workspace1/last-image"] == path else None)(s.tool_state("xfconf-query")),
        5, what=f"both workspaces set, have {s.tool_state('xfconf-query')}")
    assert state["/backdrop/screen0/monitorVirtual-1/workspace0/last-image"] == path


def test_plasma_gets_a_script_over_the_session_bus(make_session):
    s = start_on(make_session, "KDE")
    s.start_plasma_standin()
    path = show_first(s)
    s.click_node(s.one("push button", "set"))
    scripts = wait_for(lambda: s.calls("plasmashell"), 5, what="the script")
    assert f'"{file_uri(path)}"' in scripts[0][0]
    assert "org.kde.image" in scripts[0][0]


def test_a_desktop_without_a_way_to_set_it_says_so_and_goes_on(make_session):
    s = start_on(make_session, "KDE", files=("a.jpg", "b.jpg"))  # no Plasma shell on the bus
    show_first(s)
    s.click_node(s.one("push button", "set"))
    box = s.one(name_re="cannot be set", role="label", timeout=5)
    assert "The desktop background cannot be set" in box["name"]
    s.key("Return")
    wait_for(lambda: not s.find("label", name_re="cannot be set"), 5)
    s.click_node(s.one("push button", ">"))  # the program goes on
    wait_for(lambda: len({s.title()}) and s.title().endswith(" - Orvane"), 5)


def test_autoswitch_sets_the_next_picture_every_ten_seconds(make_session):
    s = start_on(make_session, None, files=("a.jpg", "b.jpg"))
    show_first(s)
    s.click_node(s.one("check box", "Autoswitch every"))
    calls = wait_for(lambda: s.calls("feh"), 14, interval=0.2, what="the first automatic switch")
    assert calls[0][-1] in {str(s.photos / "a.jpg"), str(s.photos / "b.jpg")}


def icon_style(s):
    return s.tool_state("xfconf-query").get("/desktop-icons/style")


def icon_writes(s):
    return [c[-1] for c in s.calls("xfconf-query") if "-s" in c and "/desktop-icons/style" in c]


def test_icons_come_back_as_the_user_had_them(make_session):
    s = start_on(make_session, "XFCE", files=("a.jpg",))
    s.set_tool_state("xfconf-query", "/desktop-icons/style", "1")
    s.launch()
    s.click_node(s.one("push button", "Hide Icons"))
    wait_for(lambda: icon_style(s) == "0", 5, what="icons hidden")
    s.click_node(s.one("push button", "Show Icons"))
    wait_for(lambda: icon_style(s) == "1", 5, what="the user's style 1 back, not 2")
    s.click_node(s.one("push button", "Hide Icons"))
    wait_for(lambda: icon_style(s) == "0", 5)
    s.close()  # the shut-down gives them back
    assert icon_style(s) == "1"


def test_a_user_who_keeps_the_icons_off_keeps_them_off(make_session):
    for desktop, tool, off in (("XFCE", "xfconf-query", "0"), ("X-Cinnamon", "gsettings", "false")):
        s = start_on(make_session, desktop, files=("a.jpg",))
        key = "/desktop-icons/style" if tool == "xfconf-query" else "org.nemo.desktop show-desktop-icons"
        s.set_tool_state(tool, key, off)
        s.launch()
        s.one("push button", "Hide Icons")
        s.close()
        assert s.tool_state(tool)[key] == off
        assert not [c for c in s.calls(tool) if c and c[0] == "set" or "-s" in c], s.calls(tool)
