"""The file list's pop-up menu: its commands act on the lines the user selected."""

from harness.session import wait_for


# The file list's pop-up menu, in order, when lines are selected.
MOVE, CHANGE, ADD, DELETE = range(4)


def open_menu_on(s, line):
    s.click_node(s.line(line), button=3)
    return wait_for(s.popup_menus, 5, what="the pop-up menu")[0]


def ask_command(s, line, command, dialog, text):
    """Selects one line, chooses a command from its pop-up menu and types
    the name into the command's dialog (left open for OK, Cancel or Enter)."""
    s.click_node(s.line(line))
    open_menu_on(s, line)
    s.choose(command)
    wait_for(lambda: "active" in s.one("dialog", dialog)["states"], 5, what=f"{dialog!r} ready for typing")
    s.type(text)


def trashed(s):
    folder = s.home / ".local/share/Trash/files"
    return sorted(p.name for p in folder.iterdir()) if folder.exists() else []


def test_a_right_click_keeps_the_selection_and_the_commands_act_on_it(make_session):
    s = make_session(["a.jpg", "b.jpg", "c.jpg"]).open_photos()
    s.click_node(s.line("a.jpg"))
    s.click_node(s.line("c.jpg"), modifiers=("ctrl",))
    wait_for(lambda: "selected" in s.line("c.jpg")["states"], 5, what="c.jpg selected")
    open_menu_on(s, "b.jpg")
    s.choose(DELETE, 0)  # "Delete", "Send to recycle bin"
    wait_for(lambda: trashed(s) == ["a.jpg", "c.jpg"], 5, what=f"a.jpg and c.jpg in the trash, have {trashed(s)}")
    assert (s.photos / "b.jpg").exists()
    assert not (s.photos / "a.jpg").exists() and not (s.photos / "c.jpg").exists()
    wait_for(lambda: s.list_lines("Photo") == ["b.jpg"], 5, what="only b.jpg left in the list")
    # The trash knows where each file came from, so the desktop can restore it.
    info = (s.home / ".local/share/Trash/info/a.jpg.trashinfo").read_text()
    assert f"Path={s.photos}/a.jpg" in info


def test_with_no_line_selected_the_menu_offers_no_command(make_session):
    s = make_session(["a.jpg", "b.jpg"]).open_photos()
    s.click_node(s.line("a.jpg"))
    _, _, _, height = open_menu_on(s, "a.jpg")  # its four commands
    s.key("Escape")
    wait_for(lambda: not s.popup_menus(), 5, what="the menu closed")
    s.click_node(s.line("a.jpg"), modifiers=("ctrl",))  # unselected again
    wait_for(lambda: not [n for n in s.tree() if n["role"] == "list item" and "selected" in n["states"]], 5,
             what="no line selected")
    s.click_node(s.line("a.jpg"), button=3)
    s.settle()
    assert all(h < height / 4 for _, _, _, h in s.popup_menus()), (s.popup_menus(), height)
    s.key("Escape")
    assert sorted(p.name for p in s.photos.iterdir()) == ["a.jpg", "b.jpg"]


def test_the_menu_comes_back_after_it_had_no_command_to_offer(make_session):
    s = make_session(["a.jpg", "b.jpg"]).open_photos()
    s.click_node(s.line("a.jpg"), button=3)
    s.settle()
    s.key("Escape")
    s.click_node(s.line("a.jpg"))
    open_menu_on(s, "a.jpg")


def test_the_folder_name_is_taken_as_typed_and_enter_is_ok(make_session):
    s = make_session(["a.jpg", "b.jpg"]).open_photos({"popfolders": "Holiday\r\n"})
    ask_command(s, "a.jpg", MOVE, "Enter folder name", "hol")
    s.key("Return")
    wait_for(lambda: not s.find("dialog", "Enter folder name"), 5, what="the dialog closed by one Enter")
    wait_for(lambda: (s.photos / "hol/a.jpg").exists(), 5, what=f"a.jpg moved into hol, have {sorted(str(p.relative_to(s.photos)) for p in s.photos.rglob('*'))}")
    assert not (s.photos / "Holiday").exists()
    wait_for(lambda: "hol/a.jpg" in s.list_lines("Photo"), 5, what="the line follows the file")
    s.close()
    assert s.read_settings()["Options"]["popfolders"] == "Holiday\r\nhol\r\n"


def test_add_to_file_name_and_cancel(make_session):
    s = make_session(["trip/x.jpg", "y.jpg"]).open_photos()
    ask_command(s, "trip/x.jpg", ADD, "Enter a part of file name", "2024")
    s.click_node(s.one("push button", "OK"))
    wait_for(lambda: (s.photos / "trip/x 2024.jpg").exists(), 5, what="the renamed file")
    # Cancel changes nothing.
    ask_command(s, "y.jpg", CHANGE, "Enter folder name", "elsewhere")
    s.click_node(s.one("push button", "Cancel"))
    wait_for(lambda: not s.find("dialog", "Enter folder name"), 5, what="the dialog closed")
    s.settle()
    assert (s.photos / "y.jpg").exists() and not (s.photos / "elsewhere").exists()
