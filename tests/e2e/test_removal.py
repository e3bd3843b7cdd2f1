"""Removing an installed copy with "/uninstall" and resetting the settings
with "/reset": each runs without a main window, tells the user what it did
and leaves everything else as it was."""
import pytest

from harness.session import wait_for

STORED = {"Main": {"Top": 40, "Left": 30, "Width": 900, "Height": 700, "FullWidth": 900},
          "Additional": {"Dir": "/photos", "FileName": "/photos/a.jpg"},
          "Options": {"ssDelay": 3000, "bEmail": 0}}


def ends_without_a_main_window(s, since):
    assert s.wait_exit(10) == 0
    framed = s.x.managed_since(since)
    assert framed and all(kind == "DIALOG" for _, _, _, kind in framed), framed


def program_files(installed):
    return sorted(str(p.relative_to(installed)) for p in installed.rglob("*"))


@pytest.mark.parametrize("confirm", [True, False], ids=["yes", "no"])
def test_uninstall_removes_the_installed_files_only_when_the_user_says_yes(make_session, installed, confirm):
    s = make_session(["a.jpg"])
    s.program = installed / "bin/orvane"
    s.write_settings(STORED)
    neighbour = installed / "lib/neighbour.txt"
    neighbour.write_text("not ours")
    files_before = program_files(installed)
    since = s.x.mark()
    s.launch("/uninstall", wait_window=False)
    s.answer("Are you sure to remove Orvane?", "y" if confirm else "n")
    if confirm:
        s.answer("Registry entries has been removed", "Return")
        s.answer("Uninstall complete.", "Return")
    ends_without_a_main_window(s, since)
    assert neighbour.read_text() == "not ours"
    assert (s.photos / "a.jpg").exists()
    if confirm:
        left = program_files(installed)
        assert "lib/orvane/install.txt" not in left and "lib/orvane/orvane-convert" not in left
        assert "Options" not in s.read_settings()
    else:
        assert set(files_before) <= set(program_files(installed))
        assert s.read_settings() == STORED


def test_reset_forgets_the_window_place_and_the_options_and_keeps_the_rest(make_session):
    s = make_session(["a.jpg"])
    s.write_settings(STORED)
    since = s.x.mark()
    s.launch("/reset", wait_window=False)
    s.answer("Registry entries has been removed", "Return")
    ends_without_a_main_window(s, since)
    assert s.read_settings() == {"Main": {"Height": 700, "FullWidth": 900}, "Additional": STORED["Additional"]}
    # The next start: at the top left with the work area's width and the stored height.
    s.launch()
    work = s.work_area()
    wait_for(lambda: s.frame() == (0, 0, work[2], 700), 5, what=f"the frame at 0, 0, have {s.frame()}")
