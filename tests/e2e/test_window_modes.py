"""Compact mode, full screen and the slide show, under a real window manager."""
import time

from conftest import COLOURS
from harness.session import wait_for
from harness.xserver import close_to

SCREEN = (1280, 1024)


def above(s):
    return "ABOVE" in s.wm_state()


def test_compact_mode_narrows_the_frame_stays_on_top_and_comes_back(make_session):
    s = make_session(["a.jpg"]).open_photos()
    wait_for(lambda: s.frame() == s.work_area(), 5, what="the first start's frame")
    window = s.window
    s.click_node(s.one("push button", "Mode"))
    # The frame is the left column (257) plus 8 pixels wide; no menu, on top.
    wait_for(lambda: s.frame()[2] == 257 + 8, 5, what=f"the compact frame, have {s.frame()}")
    wait_for(lambda: above(s), 5, what="the topmost state")
    assert not s.find("menu bar")
    assert s.main_window() == window  # the same window, not re-created
    s.click_node(s.one("push button", "Mode"))
    wait_for(lambda: s.frame()[2] == SCREEN[0], 5, what="the full width again")
    wait_for(lambda: not above(s), 5, what="a normal window")
    s.one("menu bar")
    s.close()
    assert s.read_settings()["Main"]["Width"] == SCREEN[0]


def test_a_long_status_text_never_widens_the_compact_window(make_session):
    long_name = "a" * 180 + ".jpg"
    s = make_session([long_name]).open_photos()
    s.click_node(s.one("push button", "Mode"))
    wait_for(lambda: s.frame()[2] == 265, 5, what="the compact frame")
    s.key("Right")
    s.shown(long_name)
    assert s.frame()[2] == 265
    s.close()
    assert s.read_settings()["Main"]["Width"] == 265


def test_full_screen_covers_the_screen_in_black_with_the_three_buttons(make_session):
    s = make_session(["red.jpg", "green.jpg"]).open_photos()
    before = wait_for(lambda: s.frame() if s.frame() == s.work_area() else None, 5)
    lines = s.list_lines("Photo")
    first = lines[0]
    s.click_node(s.one("push button", ">"))
    s.shown(first)
    s.click_node(s.one("filler", "Picture"), repeat=2)
    wait_for(lambda: s.geometry() == (0, 0) + SCREEN, 5, what=f"the whole screen, have {s.geometry()}")
    buttons = {name: s.one("push button", name) for name in ("<", "set", ">")}
    tops = {name: b["extents"][1] for name, b in buttons.items()}
    lefts = {name: b["extents"][0] for name, b in buttons.items()}
    assert set(tops.values()) == {SCREEN[1] - 30}
    assert lefts == {"<": 0, "set": (SCREEN[0] - 25) // 2, ">": SCREEN[0] - 25 - 1}
    assert not s.find("push button", "Next") and not s.find("menu bar") and not s.find("status bar")
    picture = s.screenshot()
    assert picture.pixel(5, 5) == (0, 0, 0)  # black around the picture
    assert close_to(picture.pixel(SCREEN[0] // 2, SCREEN[1] // 2), COLOURS[first.split(".")[0]])
    # The arrow keys step in full screen; Escape brings the window back.
    s.key("Right")
    s.shown(lines[1])
    s.key("Escape")
    wait_for(lambda: s.frame() == before, 5, what=f"the old frame, have {s.frame()}")
    s.one("status bar")
    s.one("menu bar")


def test_full_screen_left_from_a_maximised_window_is_maximised_again(make_session):
    s = make_session(["red.jpg"]).open_photos()
    s.run(["wmctrl", "-i", "-r", hex(s.window), "-b", "remove,maximized_vert,maximized_horz"])
    s.run(["wmctrl", "-i", "-r", hex(s.window), "-e", "0,100,80,800,600"])
    wait_for(lambda: s.geometry()[2:] == (800, 600), 5, what="a smaller window")
    s.run(["wmctrl", "-i", "-r", hex(s.window), "-b", "add,maximized_vert,maximized_horz"])
    wait_for(lambda: "MAXIMIZED_VERT" in s.wm_state(), 5, what="maximised")
    s.click_node(s.one("filler", "Picture"), repeat=2)
    wait_for(lambda: s.geometry() == (0, 0) + SCREEN, 5, what="full screen")
    s.key("Escape")
    wait_for(lambda: {"MAXIMIZED_VERT", "MAXIMIZED_HORZ"} <= s.wm_state(), 5,
             what=f"maximised again, state {s.wm_state()}")
    wait_for(lambda: s.frame() == s.work_area(), 5, what=f"the work area, have {s.frame()}")


def test_the_slide_show_steps_after_one_delay_without_buttons_and_escape_stops_it(make_session):
    s = make_session(["a.jpg", "b.jpg", "c.jpg"]).open_photos({"ssDelay": 600})
    lines = s.list_lines("Photo")
    s.click_node(s.one("push button", ">"))
    s.shown(lines[0])
    s.click_node(s.one("push button", "Slide show"))
    wait_for(lambda: s.geometry() == (0, 0) + SCREEN, 5, what="full screen")
    assert not s.find("push button", "<") and not s.find("push button", ">")
    s.shown(lines[1], timeout=3)
    s.shown(lines[2], timeout=3)
    s.key("Escape")
    wait_for(lambda: s.find("status bar"), 5, what="the normal window")
    stopped_at = s.title()
    time.sleep(2 * 0.6)  # two delays, then every tick due has been handled
    s.settle()
    assert s.title() == stopped_at


def test_hide_buttons_in_full_screen_shows_only_the_picture(make_session):
    s = make_session(["red.jpg"]).open_photos({"bHide": 1})
    s.click_node(s.one("filler", "Picture"), repeat=2)
    wait_for(lambda: s.geometry() == (0, 0) + SCREEN, 5, what="full screen")
    assert not s.find("push button", "<") and not s.find("push button", "set")


def test_leaving_full_screen_in_compact_mode_is_on_top_again_without_a_menu(make_session):
    s = make_session(["red.jpg"])
    s.write_settings({"Main": {"Width": 265, "Height": 700}, "Additional": {
        "Dir": str(s.photos), "HideList": 1, "FileName": str(s.photos / "red.jpg")}})
    s.launch()
    wait_for(lambda: s.title() == "red.jpg - Orvane", 5)
    wait_for(lambda: above(s), 5, what="compact mode on top")
    s.move_pointer(100, 200)  # over the narrow window: the magnifier gives way to the picture
    s.click_node(s.one("filler", "Picture"), repeat=2)
    wait_for(lambda: s.geometry() == (0, 0) + SCREEN, 5, what="full screen")
    wait_for(lambda: not above(s), 5, what="not on top in full screen")
    s.key("Escape")
    wait_for(lambda: s.frame()[2:] == (265, 700), 5, what=f"the compact window again, have {s.frame()}")
    wait_for(lambda: above(s), 5, what="on top again")
    assert not s.find("menu bar")
