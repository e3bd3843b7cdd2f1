"""Stepping through the lists and search, driven by clicks and keys."""
from harness.session import wait_for


def selected(s):
    return [n["name"] for n in s.tree() if n["role"] == "list item" and "selected" in n["states"]]


def test_next_and_previous_step_and_wrap_around_on_both_tabs(make_session):
    s = make_session(["a.jpg", "b.jpg", "sub/c.jpg", "v1.avi", "v2.avi"]).open_photos()
    lines = s.list_lines("Photo")
    next_button = s.one("push button", ">")
    for entry in lines + lines[:1]:  # past the end back to the first line
        s.click_node(next_button)
        s.shown(entry)
    s.click_node(s.one("push button", "<"))
    s.shown(lines[-1])
    # The tool bar and the menus step too.
    s.click_node(s.one("push button", "Previous"))
    s.shown(lines[-2])
    s.click_node(s.one("menu item", "Navigate"))
    s.click_node(s.one("menu item", "Go Next"))
    s.shown(lines[-1])
    s.click_node(s.one("push button", "Previous"))
    s.shown(lines[1])
    # The video tab has its own position: from none, "<" goes to its last line.
    s.click_node(s.one("page tab", "Videos (2)"))
    videos = wait_for(lambda: s.list_lines("Video"), 5, what="the video lines")
    s.click_node(s.one("push button", "<"))
    s.shown(videos[-1])
    # The photo position stayed on its middle line.
    s.click_node(s.one("page tab", "Photos (3)"))
    s.click_node(s.one("push button", ">"))
    s.shown(lines[2])


def test_a_click_on_a_line_shows_it_and_arrows_step_only_in_compact_mode(make_session):
    s = make_session(["a.jpg", "b.jpg", "c.jpg"]).open_photos()
    lines = s.list_lines("Photo")
    s.click_node(s.line(lines[1]))
    s.shown(lines[1])
    # With the list shown, the arrow keys move in the list, not the display.
    s.key("Right")
    s.settle()
    assert s.title() == f"{lines[1]} - Orvane"
    s.click_node(s.one("push button", "Mode"))
    wait_for(lambda: not s.find("list", "Photo"), 5, what="compact mode")
    s.key("Right")
    s.shown(lines[2])
    s.key("Left")
    s.shown(lines[1])


def test_shuffle_steps_back_through_the_history_and_forward_at_random(make_session):
    s = make_session([f"p{i}.jpg" for i in range(12)]).open_photos()
    lines = s.list_lines("Photo")
    # Steps forward fill the history, with shuffle off too.
    for line in (5, 2, 9):
        s.click_node(s.line(lines[line]))
        s.shown(lines[line])
        s.click_node(s.one("push button", ">"))
        s.shown(lines[line + 1])
    shuffle = s.one("check box", "Shuffle (Random selection)")
    s.click_node(shuffle)
    wait_for(lambda: "checked" in s.one("check box", shuffle["name"])["states"], 5, what="shuffle ticked")
    back = s.one("push button", "<")
    for line in (9, 2, 5):  # back through the history, the highlight staying
        s.click_node(back)
        s.shown(lines[line])
    s.click_node(back)  # the history is empty: nothing happens
    s.settle()
    assert s.title() == f"{lines[5]} - Orvane" and selected(s) == [lines[10]]
    # Forward, a line is drawn at random (the current one may come again).
    # The highlighted line is unselected first, so each step shows as a
    # newly selected line, the item on display.
    drawn = [10]
    for _ in range(5):
        s.click_node(s.line(lines[drawn[-1]]), modifiers=("ctrl",))
        wait_for(lambda: not selected(s), 5, what="no line selected")
        s.click_node(s.one("push button", ">"))
        line = wait_for(lambda: [n for n in selected(s) if s.title() == f"{n} - Orvane"], 5,
                        what="the drawn line shown")[0]
        drawn.append(lines.index(line))
    print(f"\n[figure] lines drawn by shuffle from line 10: {drawn[1:]}")
    assert any((b - a) % len(lines) != 1 for a, b in zip(drawn, drawn[1:])), drawn


def test_search_narrows_both_lists_and_an_empty_search_restores_them(make_session):
    s = make_session(["Holiday/sea.jpg", "Holiday/sun.jpg", "home.jpg", "holiday.avi", "x.avi"]).open_photos()
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
