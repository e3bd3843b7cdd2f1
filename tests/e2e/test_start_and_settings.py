"""Start-up, the window's bounds and the settings file, as a user meets them."""
import time

import pytest

from harness.session import wait_for

MAIN = "Main"
ADDITIONAL = "Additional"
OPTIONS = "Options"


def test_first_start_fills_the_work_area_with_the_whole_window(make_session):
    s = make_session()
    s.launch()
    work = s.work_area()
    # The frame, not the inside, takes the work area: the status line and the
    # tabs are on the screen.
    wait_for(lambda: s.frame() == work, 5, what=f"frame {work}, have {s.frame()}")
    status = s.one("status bar")
    x, y, w, h = status["extents"]
    assert y + h <= work[1] + work[3]
    tabs = s.one("page tab", "Photo")
    assert tabs["extents"][1] + tabs["extents"][3] <= y
    assert s.title() == "Orvane"


def test_a_stored_frame_comes_back_as_it_was(make_session):
    s = make_session()
    s.write_settings({MAIN: {"Top": 40, "Left": 30, "Width": 900, "Height": 700, "FullWidth": 900}})
    s.launch()
    wait_for(lambda: s.frame() == (30, 40, 900, 700), 5, what=f"the stored frame, have {s.frame()}")
    s.close()
    main = s.read_settings()[MAIN]
    assert (main["Left"], main["Top"], main["Width"], main["Height"]) == (30, 40, 900, 700)


def test_shut_down_writes_what_was_on_screen(make_session):
    s = make_session(["a.jpg", "b.jpg", "clips/c.avi"])
    s.write_settings({ADDITIONAL: {"Dir": str(s.photos)}})
    s.launch()
    s.one("page tab", "Photos (2)")
    first = wait_for(lambda: s.list_lines("Photo"), 5, what="the photo lines")[0]
    s.click_node(s.one("push button", ">"))
    s.shown(first)
    s.click_node(s.one("page tab", "Videos (1)"))
    s.close()
    values = s.read_settings()
    assert values[ADDITIONAL]["FileName"] == str(s.photos / first)
    assert values[ADDITIONAL]["Dir"] == str(s.photos)
    assert values[OPTIONS]["aIndex"] == 1
    assert values[OPTIONS]["iFileIndex"] == 0
    assert values[OPTIONS]["vFileIndex"] == -1


@pytest.mark.parametrize("stored,expected,saved", [(1, "Video", 1), (7, None, -1)])
def test_the_stored_tab_is_shown_and_an_unknown_one_leaves_no_tab_active(make_session, stored, expected, saved):
    s = make_session(["a.jpg"])
    s.write_settings({OPTIONS: {"aIndex": stored}})
    s.launch()
    s.one("page tab", "Photo")
    # The active tab's list is the one on screen (Qt marks the current tab
    # as focused).
    shown = [n["name"] for n in s.find("list") if n["name"] in ("Photo", "Video")]
    current = [n["name"] for n in s.find("page tab") if "focused" in n["states"] and n["name"]]
    assert shown == ([expected] if expected else [])
    assert current == shown
    s.close()
    assert s.read_settings()[OPTIONS]["aIndex"] == saved


def test_start_up_shows_the_stored_picture(make_session, big_jpeg):
    s = make_session([f"folder{i // 100}/p{i}.jpg" for i in range(300)])
    (s.photos / "big.jpg").write_bytes(big_jpeg)
    s.write_settings({ADDITIONAL: {"Dir": str(s.photos), "FileName": str(s.photos / "big.jpg")}})
    start = time.monotonic()
    s.launch(wait_window=False)
    wait_for(lambda: s.main_window() and s.title(s.main_window()) == "big.jpg - Orvane", 30, interval=0.005, longest=0.005,
             what="the stored picture")
    print(f"\n[figure] start to the stored 24-megapixel picture shown: {time.monotonic() - start:.3f} s")
