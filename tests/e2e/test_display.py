"""The item on display: a playing video, and the commands on the current
file (shell open, the clipboard, its path and size), the About box."""
import re
from urllib.parse import unquote, urlsplit

from conftest import ROOT, convert
from harness.session import wait_for

VERSION = re.search(r"project\(Orvane VERSION (\d+)\.(\d+)\.(\d+)", (ROOT / "CMakeLists.txt").read_text()).groups()


def opened(s):
    """What the desktop's opener was handed, as paths for file URLs."""
    found = []
    for call in s.calls("xdg-open"):
        url = urlsplit(call["args"][0])
        found.append(unquote(url.path) if url.scheme == "file" else call["args"][0])
    return found


def test_a_video_plays_in_the_viewing_area(make_session):
    s = make_session(["a.jpg", "clips/ball.avi"])
    s.open_photos()
    s.click_node(s.one("page tab", "Videos (1)"))
    s.click_node(s.one("push button", ">"))
    s.shown("clips/ball.avi")
    x, y, w, h = s.one("filler", "Picture")["extents"]

    def frame():
        return bytes(s.x.picture(x, y, w, h).data)
    # A ball moves over a dark ground: two looks a moment apart differ.
    first = wait_for(lambda: (lambda f: f if max(f[2::4]) > 200 and min(f[2::4]) < 50 else None)(frame()), 10,
                     what="a frame of the video")
    wait_for(lambda: frame() != first, 5, what="the next frames")


def test_the_current_file_opens_goes_to_the_clipboard_and_tells_its_size(make_session):
    s = make_session()
    convert("-size", "1600x1200", "gradient:#103060-#e0e0a0", s.photos / "wide view.jpg")
    path = str(s.photos / "wide view.jpg")
    s.open_photos()
    s.click_node(s.one("push button", ">"))
    s.shown("wide view.jpg")
    wait_for(lambda: s.find("label", f"{path}  (1600x1200)"), 5, what="the path and size in the status line")
    picture = s.one("filler", "Picture")
    s.click_node(picture, button=2)  # a middle click opens it in its program
    wait_for(lambda: opened(s) == [path], 5, what=f"{path} opened, have {opened(s)}")
    # The picture's context menu: "Copy full path ..." and "Show full path
    # and dimentions" are its sixth and seventh items while the window is shown.
    # (Each right click lands elsewhere: two at one spot make a double click.)
    x, y, w, h = picture["extents"]
    for item in (5, 6):
        s.click(x + w // item, y + h // 2, button=3)
        wait_for(s.popup_menus, 5, what=f"the context menu for item {item}")
        s.choose(item)
    clipboard = lambda: s.run(["xclip", "-selection", "clipboard", "-o"], check=False, timeout=5).stdout  # noqa: E731
    box = s.one("label", name_re=r"^File name: ", timeout=5)
    assert box["name"].splitlines() == [f"File name: {path}", "Width: 1600", "Height: 1200"]
    s.answer(box["name"], "Return")
    wait_for(lambda: clipboard() == path, 5, what=f"the path on the clipboard, have {clipboard()!r}")


def test_the_about_box_shows_the_version_and_opens_the_web_page(make_session):
    s = make_session()
    s.launch()
    s.click_node(s.one("push button", "About"))
    s.one("dialog", "About")
    major, minor, patch = VERSION
    s.one("label", f"Version {major}.{minor}.{patch} build 0")
    s.one("label", "Use on your own risk")
    link = s.one("label", name_re=r"^https?://")
    for label in (s.one("label", "Orvane"), link):
        s.click_node(label)
    wait_for(lambda: opened(s) == [link["name"]] * 2, 5, what=f"the web page opened twice, have {opened(s)}")
    s.click_node(s.one("push button", "OK"))
    wait_for(lambda: not s.find("dialog", "About"), 5, what="the box closed")
