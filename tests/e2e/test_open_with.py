"""Opening a file or folder with the program, as a file manager does:
`orvane PATH`."""
import subprocess

from harness.session import wait_for


def test_a_file_named_at_start_is_shown_with_its_line_selected_and_next_steps_in_its_folder(make_session):
    s = make_session(["stored/red.jpg", "trip/-a b.jpg", "trip/green.jpg", "trip/blue.jpg"])
    s.write_settings({"Additional": {"Dir": str(s.photos / "stored"), "FileName": str(s.photos / "stored/red.jpg")}})
    s.launch(str(s.photos / "trip/-a b.jpg"))
    s.shown("-a b.jpg")
    wait_for(lambda: len(s.list_lines("Photo")) == 3, 10, what="the file's folder scanned")
    wait_for(lambda: "selected" in s.line("-a b.jpg")["states"], 5, what="its line selected")
    s.click_node(s.one("push button", ">"))
    wait_for(lambda: s.title() not in ("-a b.jpg - Orvane", "Orvane"), 5, what="the next picture")
    shown = s.title().removesuffix(" - Orvane")
    assert shown in ("green.jpg", "blue.jpg")
    s.close()
    assert s.read_settings()["Additional"]["Dir"] == str(s.photos / "trip")


def test_a_path_that_cannot_be_opened_is_named_and_the_stored_root_opens(make_session):
    s = make_session(["stored/red.jpg"])
    s.write_settings({"Additional": {"Dir": str(s.photos / "stored")}})
    missing = s.photos / "gone; rm -rf ~.jpg"
    s.launch(str(missing), wait_window=False)
    s.answer(f'Cannot open "{missing}": there is no such file or folder.', "Return")
    s.window = wait_for(s.main_window, 20, what="the main window")
    wait_for(lambda: s.list_lines("Photo") == ["red.jpg"], 10, what="the stored root scanned")


def test_the_installed_menu_entry_opens_a_file_as_a_file_manager_does(make_session, installed):
    s = make_session(["trip/green.jpg", "trip/blue.jpg"])
    entry = installed / "share/applications/orvane.desktop"
    assert subprocess.run(["desktop-file-validate", str(entry)], capture_output=True, text=True).stdout == ""
    metainfo = installed / "share/metainfo/com.kestrin.orvane.metainfo.xml"
    subprocess.run(["appstreamcli", "validate", "--pedantic", "--no-net", str(metainfo)], check=True,
                   capture_output=True)
    for size in (16, 22, 24, 32, 48, 64, 128, 256):
        assert (installed / f"share/icons/hicolor/{size}x{size}/apps/orvane.png").is_file()
    # What a double-click does: the desktop launches the entry with the file.
    photo = s.photos / "trip/blue.jpg"
    env = {**s.env, "PATH": f"{installed / 'bin'}:{s.env['PATH']}"}
    subprocess.run(["gio", "launch", str(entry), str(photo)], env=env, check=True)
    s.app = None
    s.window = wait_for(s.main_window, 20, what="the main window")
    s.shown("blue.jpg", timeout=10)
    wait_for(lambda: s.find("label", f"{photo}  (160x120)"), 5, what="its path in the status line")
