"""Mail from the two send buttons: the mail client's compose window gets the
recipient, the subject, the text and the files; every way of failing to
reach a client ends in what the user is told, and the program goes on."""
from urllib.parse import parse_qs

import pytest

from harness.session import wait_for

MESSAGE = "Hi,\r\nsee these\r\n-- me"


def with_default_mail_client(s, entry="thunderbird.desktop", command="thunderbird"):
    """The user's mail client: its desktop entry and the default handler of
    mailto in mimeapps.list, where xdg-mime and the program find them."""
    (s.home / ".local/share/applications" / entry).write_text(
        f"[Desktop Entry]\nType=Application\nName=Mail\nExec={command} %u\nMimeType=x-scheme-handler/mailto;\n")
    (s.home / ".config/mimeapps.list").write_text(f"[Default Applications]\nx-scheme-handler/mailto={entry}\n")


def composed(s):
    calls = wait_for(lambda: s.calls("thunderbird"), 10, what="the mail client")
    assert len(calls) == 1 and "rejected" not in calls[0], calls
    return calls[0]["compose"]


def test_send_selected_attaches_the_selected_lines_in_their_order(make_session):
    s = make_session(["a.jpg", "b.jpg", "c.jpg"])
    with_default_mail_client(s)
    s.open_photos({"mess": MESSAGE})
    lines = s.list_lines("Photo")
    s.click_node(s.line(lines[2]))
    s.click_node(s.line(lines[0]), modifiers=("ctrl",))
    s.click_node(s.one("text", "To:"))
    s.type("ann@example.org")
    s.click_node(s.one("push button", "Send selected"))
    assert composed(s) == {"to": "ann@example.org", "subject": "Files (2)", "body": MESSAGE,
                           "attachment": [str(s.photos / lines[0]), str(s.photos / lines[2])]}
    # The program goes on while the client stays open.
    s.click_node(s.one("push button", ">"))
    s.shown(lines[1])


def test_send_current_sends_the_shown_file_under_its_own_name(make_session):
    name = "-it's, \"odd\"; $(x) 100%.jpg"
    s = make_session([name])
    with_default_mail_client(s)
    s.write_settings({"Additional": {"Dir": str(s.photos), "FileName": str(s.photos / name), "Edit2": "bo@x.org"},
                      "Options": {"mess": MESSAGE}})
    s.launch()
    s.shown(name)
    s.click_node(s.one("push button", "Send current"))
    assert composed(s) == {"to": "bo@x.org", "subject": name, "body": MESSAGE, "attachment": [str(s.photos / name)]}
    assert (s.photos / name).exists()


# Ways a send can miss: the client fails (then xdg-email runs it again), no
# client at all, and a client that xdg-email can hand no attachments to.
FAILURES = {
    "the client fails": dict(client="thunderbird", opener_exit=0, message=None, thunderbird_calls=2),
    "no mail client": dict(client=None, opener_exit=3, message="Error while trying to send email",
                           thunderbird_calls=0),
    "a client without attachments": dict(client="mutt", opener_exit=0,
                                         message="could not take these files as attachments", thunderbird_calls=0),
}


@pytest.mark.parametrize("case", list(FAILURES))
def test_a_send_that_misses_says_what_happened_and_the_program_goes_on(make_session, case):
    failure = FAILURES[case]
    s = make_session(["a.jpg", "b.jpg"])
    if failure["client"] == "thunderbird":
        with_default_mail_client(s)
        s.set_tool_state("thunderbird", "exit", 1)
    elif failure["client"]:
        with_default_mail_client(s, f"{failure['client']}.desktop", failure["client"])
    s.set_tool_state("xdg-open", "exit", failure["opener_exit"])
    s.open_photos({"mess": MESSAGE}, Edit2="cy@x.org")
    lines = s.list_lines("Photo")
    s.click_node(s.line(lines[0]))
    s.shown(lines[0])
    s.click_node(s.one("push button", "Send current"))
    if failure["message"]:
        box = s.one("label", name_re=failure["message"], timeout=10)
        if failure["client"]:
            assert str(s.photos / lines[0]) in box["name"]
        s.key("Return")
    else:
        wait_for(lambda: len(s.calls("thunderbird")) == 2, 10, what="the client tried again through xdg-email")
    assert len(s.calls("thunderbird")) == failure["thunderbird_calls"]
    if failure["client"] != "thunderbird":  # xdg-email handed the message to the desktop's opener
        (opened,) = s.calls("xdg-open")
        address, _, query = opened["args"][0].partition("?")
        assert address == "mailto:cy@x.org"
        assert parse_qs(query) == {"subject": [lines[0]], "body": [MESSAGE], "attach": [str(s.photos / lines[0])]}
    s.click_node(s.one("push button", ">"))
    s.shown(lines[1])
