"""The magnifier: with the pointer outside the window, the viewing area shows
the screen around the pointer enlarged."""
import subprocess
import time

from harness.session import wait_for


def stripes_window(s, tmp_path):
    """A window right of the program showing vertical stripes, 8 pixels black
    and 8 white; returns its inside on the screen."""
    pattern = tmp_path / "stripes.png"
    subprocess.run(["convert", "-size", "16x16", "xc:white", "-fill", "black", "-draw", "rectangle 0,0 7,15",
                    "-write", "mpr:tile", "+delete", "-size", "400x400", "tile:mpr:tile", str(pattern)], check=True)
    s._spawn(["display", "-title", "stripes", "-geometry", "+800+200", str(pattern)], "display")
    window = wait_for(lambda: (s.windows_named("^stripes$") or [None])[0], 10, what="the stripes window")
    return s.geometry(window)


def runs_along(picture, x, y, width):
    """Lengths of the runs of equal colour along a row, inner runs only."""
    runs, length, last = [], 0, None
    for xx in range(x, x + width):
        colour = picture.pixel(xx, y)
        if colour == last:
            length += 1
        else:
            if last is not None:
                runs.append(length)
            length, last = 1, colour
    return runs[1:]  # the first run may be cut by the edge


def test_outside_the_window_the_viewing_area_shows_the_screen_enlarged(make_session, tmp_path):
    s = make_session(["red.jpg"])
    s.write_settings({"Main": {"Top": 0, "Left": 0, "Width": 700, "Height": 900},
                      "Additional": {"Dir": str(s.photos), "FileName": str(s.photos / "red.jpg")}})
    s.launch()
    wait_for(lambda: s.title() == "red.jpg - Orvane", 5)
    sx, sy, sw, sh = stripes_window(s, tmp_path)
    x, y, w, h = s.one("filler", "Picture")["extents"]
    s.move_pointer(sx + sw // 2 + 1, sy + sh // 2)
    def stripes():
        picture = s.screenshot()
        runs = runs_along(picture, x, y + h // 2, w)
        return runs if len(runs) > 8 and all(14 <= r <= 18 for r in runs[:-1]) else None
    runs = wait_for(stripes, 5, interval=0.1, what="stripes twice as wide (zoom level 1)")
    # Back over the window, the picture returns.
    s.move_pointer(x + w // 2, y + h // 2)
    def red():
        r, g, b = s.screenshot().pixel(x + w // 2, y + h // 2)
        return r > 240 and g < 20 and b < 20
    wait_for(red, 5, interval=0.1, what="the red picture again")
    assert len(runs) >= 10


def test_do_not_use_magnifier_leaves_the_picture(make_session, tmp_path):
    s = make_session(["red.jpg"])
    s.write_settings({"Main": {"Top": 0, "Left": 0, "Width": 700, "Height": 900},
                      "Additional": {"Dir": str(s.photos), "FileName": str(s.photos / "red.jpg")},
                      "Options": {"bDisMag": 1}})
    s.launch()
    wait_for(lambda: s.title() == "red.jpg - Orvane", 5)
    sx, sy, sw, sh = stripes_window(s, tmp_path)
    x, y, w, h = s.one("filler", "Picture")["extents"]
    s.move_pointer(sx + sw // 2, sy + sh // 2)
    time.sleep(0.5)
    r, g, b = s.screenshot().pixel(x + w // 2, y + h // 2)
    assert r > 240 and g < 20 and b < 20
