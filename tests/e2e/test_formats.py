"""Photos as phones and cameras write them: upright by their EXIF
orientation, in the colours of their embedded profile, and in today's
formats (HEIC, AVIF, WebP, JPEG XL, GIF, animated too), each made by the
format's own tool and shown in the real window."""
import subprocess

from conftest import convert
from harness.session import wait_for
from harness.xserver import close_to

NEW_TYPES = "jpg|jpeg|heic|avif|webp|jxl|gif"
SWAPPED_PROFILE = "/usr/share/color/icc/colord/SwappedRedAndGreen.icc"


def tool(*args):
    subprocess.run([str(a) for a in args], check=True, capture_output=True)


def start_on(s, count, types=NEW_TYPES):
    """The program on the photo folder with these photo types, once its
    photo list holds count lines."""
    s.write_settings({"Additional": {"Dir": str(s.photos)}, "Options": {"FileTypes": types}})
    s.launch()
    wait_for(lambda: len(s.list_lines("Photo")) == count, 10, what=f"{count} scanned photo lines")


def shown_pixel(s, dx=0, dy=0):
    """The colour a user sees at the picture area's centre, moved by dx, dy."""
    x, y, w, h = s.one("filler", "Picture")["extents"]
    cx, cy = x + w // 2 + dx, y + h // 2 + dy
    return s.x.picture(cx, cy, 1, 1).pixel(cx, cy)


def wait_colour(s, expected, what, dx=0, dy=0, timeout=5):
    wait_for(lambda: close_to(shown_pixel(s, dx, dy), expected, 40), timeout,
             what=f"{what}: {expected} shown, have {shown_pixel(s, dx, dy)}")


def test_a_portrait_phone_photo_shows_upright_with_its_upright_size(make_session):
    s = make_session()
    # Stored 400 x 200, red left and blue right; the camera was held upright
    # (orientation 6): upright it is 200 x 400, red on top.
    photo = s.photos / "portrait.jpg"
    convert("-size", "200x200", "xc:red", "-size", "200x200", "xc:blue", "+append", "-quality", "95", photo)
    tool("exiftool", "-q", "-overwrite_original", "-Orientation=6", "-n", photo)
    s.open_photos()
    s.click_node(s.one("push button", ">"))
    s.shown("portrait.jpg")
    wait_for(lambda: s.find("label", f"{photo}  (200x400)"), 5, what="the upright size in the status line")
    wait_colour(s, (255, 0, 0), "red on top", dy=-100)
    wait_colour(s, (0, 0, 255), "blue below", dy=100)


def test_a_profile_that_swaps_red_and_green_shows_red_as_green(make_session):
    s = make_session()
    photo = s.photos / "swapped.jpg"
    convert("-size", "160x120", "xc:red", "-quality", "95", photo)
    tool("exiftool", "-q", "-overwrite_original", f"-ICC_Profile<={SWAPPED_PROFILE}", photo)
    s.open_photos()
    s.click_node(s.one("push button", ">"))
    s.shown("swapped.jpg")
    wait_colour(s, (0, 255, 0), "the profile's colours")


def test_each_new_format_opens_in_the_window(make_session, tmp_path):
    s = make_session()
    source = tmp_path / "source.png"
    made = {"a-green.heic": (0, 255, 0), "b-blue.avif": (0, 0, 255), "c-yellow.webp": (255, 255, 0),
            "d-magenta.jxl": (255, 0, 255), "e-cyan.gif": (0, 255, 255)}
    for name, rgb in made.items():
        # 8 bits a sample: heif-enc misreads 16-bit PNGs (half the picture
        # another colour).
        convert("-size", "160x120", f"xc:rgb{rgb}", "-depth", "8", f"PNG24:{source}")
        target = s.photos / name
        {".heic": lambda: tool("heif-enc", "-q", "90", "-o", target, source),
         ".avif": lambda: tool("avifenc", "--min", "10", "--max", "10", source, target),
         ".webp": lambda: tool("cwebp", "-quiet", "-q", "90", source, "-o", target),
         ".jxl": lambda: tool("cjxl", "--quiet", source, target),
         ".gif": lambda: convert(source, target)}[target.suffix]()
    start_on(s, len(made))
    for name, rgb in made.items():
        s.click_node(s.line(name))
        s.shown(name)
        wait_colour(s, rgb, name)
        assert s.find("label", f"{s.photos / name}  (160x120)"), f"the size of {name} in the status line"


def test_an_animated_gif_plays_its_frames_and_stops_when_stepped_away(make_session):
    s = make_session()
    # Red for 0.2 s, then blue for 0.2 s, for ever.
    convert("-delay", "20", "-size", "160x120", "xc:red", "xc:blue", "-loop", "0", s.photos / "a-blink.gif")
    convert("-size", "160x120", "xc:white", s.photos / "b-still.gif")
    start_on(s, 2)
    s.click_node(s.line("a-blink.gif"))
    s.shown("a-blink.gif")
    for _ in range(2):
        wait_colour(s, (255, 0, 0), "the first frame")
        wait_colour(s, (0, 0, 255), "the second frame")
    s.click_node(s.line("b-still.gif"))
    s.shown("b-still.gif")
    wait_colour(s, (255, 255, 255), "the still picture")
    s.settle()
    assert close_to(shown_pixel(s), (255, 255, 255), 40), "no frame of the animation over the next picture"
