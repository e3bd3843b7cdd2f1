"""The magnifier: with the pointer outside the window, the viewing area shows
the screen around the pointer enlarged by twice the zoom level."""
import time

from conftest import convert
from harness.session import wait_for
from harness.xserver import close_to

RED = (255, 0, 0)


def start_beside_stripes(make_session, tmp_path, options=None):
    """The program at the left showing a red picture, and right of it a
    window of vertical stripes, 8 pixels black and 8 white. Returns the
    session, the viewing area and the middle of the stripes."""
    s = make_session(["red.jpg"])
    s.write_settings({"Main": {"Top": 0, "Left": 0, "Width": 700, "Height": 900},
                      "Additional": {"Dir": str(s.photos), "FileName": str(s.photos / "red.jpg")},
                      "Options": options or {}})
    s.launch()
    s.shown("red.jpg")
    pattern = tmp_path / "stripes.png"
    convert("-size", "16x16", "xc:white", "-fill", "black", "-draw", "rectangle 0,0 7,15", "-write", "mpr:tile",
            "+delete", "-size", "400x400", "tile:mpr:tile", pattern)
    s._spawn(["display", "-title", "stripes", "-geometry", "+800+200", str(pattern)], "display")
    stripes = wait_for(lambda: (s.x.named("^stripes$") or [None])[0], 10, what="the stripes window")
    sx, sy, sw, sh = wait_for(lambda: (lambda g: g if g[2] == 400 else None)(s.geometry(stripes)), 5,
                              what="the stripes shown")
    return s, s.one("filler", "Picture")["extents"], (sx + sw // 2 + 1, sy + sh // 2)


def centre_colour(s, area):
    x, y, w, h = area
    return s.screenshot().pixel(x + w // 2, y + h // 2)


def stripe_widths(s, area):
    """Widths of the inner runs of one colour along the middle row of the
    viewing area (the outer two may be cut by its edges)."""
    x, y, w, h = area
    row = s.x.picture(x, y + h // 2, w, 1).row(x, y + h // 2, w)
    runs, length = [], 1
    for before, colour in zip(row, row[1:]):
        if colour == before:
            length += 1
        else:
            runs.append(length)
            length = 1
    return runs[1:]


def test_the_enlargement_follows_the_zoom_level_and_the_picture_returns(make_session, tmp_path):
    s, area, outside = start_beside_stripes(make_session, tmp_path)
    slider = s.one("slider", "Zoom level")
    assert slider["value"] == 1
    for level in (1, 3):
        if level != slider["value"]:
            s.click_node(slider)  # a click on the groove steps one page towards it
            s.key("Home", *["Right"] * (level - 1))
            wait_for(lambda: s.one("slider", "Zoom level")["value"] == level, 5, what=f"zoom level {level}")
        s.move_pointer(*outside)
        width = 8 * 2 * level
        runs = wait_for(lambda: (lambda r: r if len(r) >= 3 and all(abs(v - width) <= 2 for v in r) else None)(
            stripe_widths(s, area)), 5, what=f"stripes {width} pixels wide, have {stripe_widths(s, area)}")
        print(f"\n[figure] zoom level {level}: stripes {runs} pixels wide")
        # Back over the window, the picture returns.
        s.move_pointer(area[0] + area[2] // 2, area[1] + area[3] // 2)
        wait_for(lambda: close_to(centre_colour(s, area), RED), 5, what="the red picture again")


def test_do_not_use_magnifier_leaves_the_picture(make_session, tmp_path):
    s, area, outside = start_beside_stripes(make_session, tmp_path, {"bDisMag": 1})
    s.move_pointer(*outside)
    time.sleep(0.2)  # a few of the magnifier's ticks fall due
    s.settle()
    assert close_to(centre_colour(s, area), RED)
