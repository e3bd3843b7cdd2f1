"""Minimising into the notification area and back, with a real tray."""
import pytest

from harness.session import wait_for


def start(make_session, tray=True, **options):
    s = make_session(["a.jpg", "b.jpg"], tray=tray)
    return s.open_photos(options)


def minimise(s):
    s.run(["xdotool", "windowminimize", str(s.window)])


def icon_menu(s, button=3):
    """Clicks the tray icon where it has settled (it is placed, then
    embedded); a click that lands before the embedding is done goes
    nowhere, so a right click is given again like a user would."""
    seen = []

    def settled():
        seen.append(s.tray_icon())
        return seen[-1] if len(seen) >= 3 and seen[-1] and seen[-1] == seen[-2] == seen[-3] else None
    x, y, w, h = wait_for(settled, 5, what="the tray icon")
    for _ in range(3):
        s.click(x + w // 2, y + h // 2, button)
        if button != 3:
            return None
        try:
            return wait_for(s.popup_menus, 2, what="the tray menu")
        except AssertionError:
            continue
    raise AssertionError("no menu from the tray icon")


def test_minimise_goes_to_the_tray_and_a_click_restores_maximised_and_on_top(make_session):
    s = start(make_session)
    s.run(["wmctrl", "-i", "-r", hex(s.window), "-b", "add,maximized_vert,maximized_horz"])
    wait_for(lambda: "MAXIMIZED_HORZ" in s.wm_state(), 5, what="maximised")
    assert s.tray_icon() is None  # no icon before the first minimise
    minimise(s)
    wait_for(s.tray_icon, 5, what="the tray icon")
    wait_for(lambda: not s.mapped() and s.window not in s.x.clients(), 5,
             what="the window and its taskbar button gone")
    icon_menu(s, button=1)
    wait_for(s.mapped, 5, what="the window back")
    wait_for(lambda: {"MAXIMIZED_HORZ", "MAXIMIZED_VERT", "ABOVE"} <= s.wm_state(), 5,
             what=f"maximised and on top, state {s.wm_state()}")
    wait_for(lambda: s.tray_icon() is None, 5, what="the icon removed")


def test_restore_and_exit_are_offered_only_from_the_tray(make_session):
    s = start(make_session)
    # The window's own menu ends with "Show full path and dimentions", not "Exit".
    s.click_node(s.one("filler", "Picture"), button=3)
    wait_for(s.popup_menus, 5, what="the window's context menu")
    s.key("Up", "Return")
    s.answer(s.one("label", name_re="^File name: ")["name"], "Return")
    # From the tray, the first item is "Restore": the window comes back as it
    # was, not on top.
    minimise(s)
    wait_for(lambda: not s.mapped(), 5, what="the window in the tray")
    icon_menu(s)
    s.key("Down", "Return")
    wait_for(s.mapped, 5, what="the window restored")
    s.settle()
    assert "ABOVE" not in s.wm_state()
    # And the last is "Exit": the program ends without showing its window.
    minimise(s)
    wait_for(lambda: not s.mapped(), 5, what="the window in the tray again")
    since = s.x.mark()
    icon_menu(s)
    s.key("Up", "Return")
    assert s.wait_exit(10) == 0
    assert s.window not in [wid for _, wid, _, _ in s.x.managed_since(since)]
    assert "HideList" in s.read_settings()["Additional"]


@pytest.mark.parametrize("tray,options", [(True, {"bNotTray": 1}), (False, {})],
                         ids=["do not minimize to tray", "no tray"])
def test_minimising_leaves_the_program_on_the_taskbar(make_session, tray, options):
    s = start(make_session, tray, **options)
    minimise(s)
    wait_for(lambda: "HIDDEN" in s.wm_state(), 5, what="minimised")
    s.settle()
    assert s.tray_icon() is None
    assert s.window in s.x.clients()  # still there to be restored
    s.run(["wmctrl", "-i", "-a", hex(s.window)])
    wait_for(lambda: "HIDDEN" not in s.wm_state() and s.mapped(), 5, what="restored from the taskbar")
