"""The program on screens and sessions other than a plain X11 one at scale
1: a scaled (HiDPI) screen and a Wayland session."""
from conftest import convert
from harness.session import wait_for


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
    convert("-size", "2400x1800", "xc:gray", "+noise", "Random", "-quality", "95", photo)
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
