"""Choosing the root folder through the folder dialog, as a new user does."""
from harness.session import wait_for


def test_select_folder_scans_the_chosen_tree_and_shows_its_first_picture(make_session):
    s = make_session(["trip/a.jpg", "trip/deep/b.jpg", "trip/_/skipped.jpg", "trip/c.avi", "other/x.jpg"])
    s.launch()
    assert s.one("page tab", "Photo")  # no scan yet: the design captions
    s.click_node(s.one("push button", "Select Folder"))
    wait_for(lambda: "active" in s.one("dialog", "Select a folder")["states"], 5, what="the folder dialog ready")
    s.key("ctrl+a")
    s.type(str(s.photos / "trip"))
    s.key("Return")
    wait_for(lambda: not s.find("dialog", "Select a folder"), 5, what="the dialog closed")
    s.one("page tab", "Photos (2)")
    s.one("page tab", "Videos (1)")
    first = s.list_lines("Photo")[0]
    s.shown(first)
    assert sorted(s.list_lines("Photo")) == ["a.jpg", "deep/b.jpg"]  # "_" is a bad folder
    s.close()
    assert s.read_settings()["Additional"]["Dir"] == str(s.photos / "trip")
