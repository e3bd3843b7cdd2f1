"""Mail from the two send buttons, and removing an installed copy with
"/uninstall", as a user meets them."""
import subprocess
from pathlib import Path

import pytest

from harness.session import wait_for

ROOT = Path(__file__).resolve().parents[2]


def with_default_mail_client(s):
    """A Thunderbird-like default mail client: its desktop entry, found the
    way the desktop finds it, runs the stand-in that records its arguments."""
    s.set_tool_state("xdg-mime", "x-scheme-handler/mailto", "thunderbird.desktop")
    entries = s.home / ".local/share/applications"
    entries.mkdir(parents=True, exist_ok=True)
    (entries / "thunderbird.desktop").write_text(
        "[Desktop Entry]\nType=Application\nName=Mail\nExec=thunderbird %u\n"
        "MimeType=x-scheme-handler/mailto;\n")


def compose_option(s):
    calls = wait_for(lambda: s.calls("thunderbird"), 10, what="the mail client")
    args = calls[-1]
    assert args[0] == "-compose"
    return args[1]


def test_send_selected_opens_the_compose_window_with_both_files(make_session):
    s = make_session(["a.jpg", "b.jpg", "c.jpg"])
    with_default_mail_client(s)
    s.write_settings({"Additional": {"Dir": str(s.photos)}})
    s.launch()
    wait_for(lambda: len(s.list_lines("Photo")) == 3, 10)
    s.click_node(s.line("a.jpg"))
    s.click_node(s.line("c.jpg"), modifiers=("ctrl",))
    s.click_node(s.one("text", "To:"))
    s.type("ann@example.org")
    s.click_node(s.one("push button", "Send selected"))
    option = compose_option(s)
    assert "to='ann@example.org'" in option
    assert "subject='Files (2)'" in option
    for name in ("a.jpg", "c.jpg"):
        assert f"file://{s.photos}/{name}" in option
    assert "b.jpg" not in option
    # The program goes on while the client stays open.
    s.click_node(s.one("push button", ">"))
    wait_for(lambda: s.title().endswith(" - Orvane"), 5)


def test_send_current_takes_the_shown_files_name_as_subject(make_session):
    name = "-it's, \"odd\"; $(x) 100%.jpg"
    s = make_session([name])
    with_default_mail_client(s)
    s.write_settings({"Additional": {"Dir": str(s.photos), "FileName": str(s.photos / name), "Edit2": "bo@x.org"}})
    s.launch()
    wait_for(lambda: s.title() == f"{name} - Orvane", 10)
    s.click_node(s.one("push button", "Send current"))
    option = compose_option(s)
    assert "to='bo@x.org'" in option or 'to="bo@x.org"' in option
    assert name in option  # the subject, carried whole
    assert (s.photos / name).exists()


@pytest.fixture
def installed(tmp_path):
    """A real install made by the install step into a temporary prefix."""
    build = Path(__import__("os").environ.get("ORVANE_PROGRAM", ROOT / "build/test/src/app/orvane")).parents[2]
    prefix = tmp_path / "prefix"
    subprocess.run(["cmake", "--install", str(build), "--prefix", str(prefix)], check=True, capture_output=True)
    return prefix


def test_uninstall_answered_yes_removes_the_program_folder_and_nothing_else(make_session, installed):
    s = make_session(["a.jpg"])
    s.program = installed / "bin/orvane"
    neighbour = installed / "lib/neighbour.txt"
    neighbour.write_text("not ours")
    s.launch("/uninstall", wait_window=False)
    s.one(name="Are you sure to remove Orvane?", role="label", timeout=15)
    s.key("y")  # Yes
    s.one(name="Registry entries has been removed", role="label", timeout=10)
    s.key("Return")
    s.one(name="Uninstall complete.", role="label", timeout=10)
    s.key("Return")
    assert s.wait_exit(10) == 0
    assert not s.main_window()
    left = sorted(p.name for p in (installed / "lib/orvane").iterdir()) if (installed / "lib/orvane").exists() else []
    assert "install.txt" not in left and "orvane-convert" not in left
    assert neighbour.read_text() == "not ours"
    assert (s.photos / "a.jpg").exists()
