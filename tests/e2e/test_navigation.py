"""Stepping through the lists, the status line and search, driven by clicks and keys."""
import os
import subprocess

from harness.session import wait_for


def start_on(make_session, files, **settings):
    s = make_session(files)
    s.write_settings({"Additional": {"Dir": str(s.photos), **settings}})
    s.launch()
    wait_for(lambda: len(s.list_lines("Photo")) == len([f for f in files if f.endswith(".jpg")]), 10,
             what="the scanned photo list")
    return s


def shown(s, entry):
    return wait_for(lambda: s.title() == f"{entry} - Orvane", 5, what=f"{entry} on screen, title {s.title()!r}")


def test_next_and_previous_step_and_wrap_around_on_both_tabs(make_session):
    s = start_on(make_session, ["a.jpg", "b.jpg", "sub/c.jpg", "v1.avi", "v2.avi"])
    lines = s.list_lines("Photo")
    next_button = s.one("push button", ">")
    for entry in lines + lines[:1]:  # past the end back to the first line
        s.click_node(next_button)
        shown(s, entry)
    s.click_node(s.one("push button", "<"))
    shown(s, lines[-1])
    # The tool bar and the menus step too.
    s.click_node(s.one("push button", "Previous"))
    shown(s, lines[-2])
    s.click_node(s.one("menu item", "Navigate"))
    s.click_node(s.one("menu item", "Go Next"))
    shown(s, lines[-1])
    # The video tab has its own position; the photo position stays.
    s.click_node(s.one("page tab", "Videos (2)"))
    videos = wait_for(lambda: s.list_lines("Video"), 5, what="the video lines")
    s.click_node(s.one("push button", ">"))
    shown(s, videos[0])
    s.click_node(s.one("page tab", "Photos (3)"))
    s.click_node(s.one("push button", ">"))
    shown(s, lines[0])


def test_the_status_line_shows_the_path_and_the_size(make_session):
    s = start_on(make_session, ["red.jpg"])
    s.click_node(s.one("push button", ">"))
    shown(s, "red.jpg")
    wait_for(lambda: s.find("label", f"{s.photos}/red.jpg  (160x120)"), 5, what="the status text")


def test_a_click_on_a_line_shows_it_and_arrows_step_only_in_compact_mode(make_session):
    s = start_on(make_session, ["a.jpg", "b.jpg", "c.jpg"])
    lines = s.list_lines("Photo")
    s.click_node(s.line(lines[1]))
    shown(s, lines[1])
    # With the list shown, the arrow keys move in the list, not the display.
    s.key("Right")
    assert s.title() == f"{lines[1]} - Orvane"
    s.click_node(s.one("push button", "Mode"))
    wait_for(lambda: not s.find("list", "Photo"), 5, what="compact mode")
    s.key("Right")
    shown(s, lines[2])
    s.key("Left")
    shown(s, lines[1])


def test_shuffle_steps_back_through_its_history(make_session):
    s = start_on(make_session, [f"p{i}.jpg" for i in range(12)])
    s.click_node(s.one("check box", "Shuffle (Random selection)"))
    wait_for(lambda: "checked" in s.one("check box", "Shuffle (Random selection)")["states"], 5)
    seen = []
    for _ in range(4):
        before = s.title()
        s.click_node(s.one("push button", ">"))
        try:  # a random pick may show the same item again
            wait_for(lambda: s.title() != before, 1.5)
        except AssertionError:
            pass
        seen.append(s.title())
    assert seen[0] != "Orvane"
    for expected in reversed(seen[:-1]):
        s.click_node(s.one("push button", "<"))
        wait_for(lambda: s.title() == expected, 5, what=f"back to {expected}, title {s.title()}")


def test_search_narrows_both_lists_and_an_empty_search_restores_them(make_session):
    s = start_on(make_session, ["Holiday/sea.jpg", "Holiday/sun.jpg", "home.jpg", "holiday.avi", "x.avi"])
    box = s.one("text", "Search")
    s.click_node(box)
    s.type("oliday")
    s.key("Return")
    s.one("page tab", "Photos (found: 2)")
    s.one("page tab", "Videos (found: 1)")
    assert sorted(s.list_lines("Photo")) == ["Holiday/sea.jpg", "Holiday/sun.jpg"]
    s.click_node(box)
    s.key("ctrl+a", "BackSpace", "Return")
    s.one("page tab", "Photos (3)")
    s.one("page tab", "Videos (2)")


def test_a_large_photo_reports_its_own_size_wherever_it_is_shown(make_session, tmp_path):
    s = make_session()
    subprocess.run(["convert", "-size", "1600x1200", "gradient:#103060-#e0e0a0", str(s.photos / "wide.jpg")],
                   check=True)
    s.write_settings({"Additional": {"Dir": str(s.photos)}})
    s.launch()
    s.click_node(s.one("push button", ">"))
    shown(s, "wide.jpg")
    wait_for(lambda: s.find("label", f"{s.photos}/wide.jpg  (1600x1200)"), 5, what="the status text")
    # The picture's context menu: "Show full path and dimentions" is its
    # seventh item while the window is shown.
    s.click_node(s.one("filler", "Picture"), button=3)
    wait_for(s.popup_menus, 5, what="the context menu")
    s.choose(6)
    box = s.one("label", name_re=r"^File name: ", timeout=5)
    assert box["name"].split() == ["File", "name:", f"{s.photos}/wide.jpg", "Width:", "1600", "Height:", "1200"]
    s.key("Return")
