"""Minimising into the notification area and back, with a real tray."""
import time

from harness.session import wait_for

ITEM = 22


def start(make_session, **options):
    s = make_session(["a.jpg", "b.jpg"], tray=True)
    s.write_settings({"Additional": {"Dir": str(s.photos)}, "Options": options})
    s.launch()
    wait_for(lambda: s.list_lines("Photo"), 10, what="the scanned list")
    return s


def minimise(s):
    s.run(["xdotool", "windowminimize", str(s.window)])


def click_icon(s, button=1):
    # Where the icon has settled in the tray (it is placed, then embedded).
    seen = []
    def settled():
        seen.append(s.tray_icon())
        return seen[-1] if len(seen) >= 3 and seen[-1] and seen[-1] == seen[-2] == seen[-3] else None
    x, y, w, h = wait_for(settled, 5, interval=0.1, what="the tray icon")
    s.click(x + w // 2, y + h // 2, button)


def test_minimise_goes_to_the_tray_and_a_click_restores_maximised_and_on_top(make_session):
    s = start(make_session)
    s.run(["wmctrl", "-i", "-r", hex(s.window), "-b", "add,maximized_vert,maximized_horz"])
    wait_for(lambda: "MAXIMIZED_HORZ" in s.wm_state(), 5, what="maximised")
    assert s.tray_icon() is None  # no icon before the first minimise
    minimise(s)
    wait_for(s.tray_icon, 5, what="the tray icon")
    wait_for(lambda: not s.mapped(), 5, what="the window and its taskbar button gone")
    click_icon(s)
    wait_for(s.mapped, 5, what="the window back")
    wait_for(lambda: "MAXIMIZED_HORZ" in s.wm_state() and "MAXIMIZED_VERT" in s.wm_state(), 5,
             what=f"still maximised, state {s.wm_state()}")
    wait_for(lambda: "_NET_WM_STATE_ABOVE" in s.wm_state(), 5, what="topmost after a tray click")
    wait_for(lambda: s.tray_icon() is None, 5, what="the icon removed")


def test_the_tray_menu_offers_restore_and_exit_and_exit_ends_the_program(make_session):
    s = start(make_session)
    s.click_node(s.one("filler", "Picture"), button=3)
    (_, _, _, normal_height) = wait_for(s.popup_menus, 5, what="the window's context menu")[0]
    s.key("Escape")
    wait_for(lambda: not s.popup_menus(), 5)
    minimise(s)
    wait_for(lambda: not s.mapped(), 5, what="the window in the tray")
    # The tray embeds a new icon in a few steps; a click that lands before
    # the embedding is done goes nowhere, so click again like a user would.
    menus = []
    for _ in range(3):
        click_icon(s, button=3)
        try:
            menus = wait_for(s.popup_menus, 2, what="the tray menu")
            break
        except AssertionError:
            continue
    assert menus, "no menu from the tray icon"
    (_, _, _, tray_height) = menus[0]
    # "Restore" and "Exit" (with the separators beside them) only while minimised.
    assert tray_height >= normal_height + 2 * ITEM
    s.key("Up", "Return")  # the last item: "Exit"
    assert s.wait_exit(10) == 0
    assert not s.mapped()
    assert "HideList" in s.read_settings()["Additional"]


def test_with_do_not_minimize_to_tray_the_program_stays_on_the_taskbar(make_session):
    s = start(make_session, bNotTray=1)
    minimise(s)
    wait_for(lambda: "_NET_WM_STATE_HIDDEN" in s.wm_state(), 5, what="minimised")
    time.sleep(0.5)
    assert s.tray_icon() is None


def test_without_a_tray_minimising_leaves_the_program_on_the_taskbar(make_session):
    s = make_session(["a.jpg"])  # no notification area in this session
    s.launch()
    minimise(s)
    wait_for(lambda: "_NET_WM_STATE_HIDDEN" in s.wm_state(), 5, what="minimised")
    time.sleep(0.5)
    assert "_NET_WM_STATE_HIDDEN" in s.wm_state()  # still there to be restored
    s.run(["wmctrl", "-i", "-a", hex(s.window)])
    wait_for(lambda: "_NET_WM_STATE_HIDDEN" not in s.wm_state(), 5, what="restored from the taskbar")
