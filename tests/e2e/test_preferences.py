"""The Preferences dialog: options copied in, applied on OK, kept on Cancel."""
from harness.session import wait_for


def open_preferences(s):
    s.click_node(s.one("push button", "Preferences"))
    return s.one("dialog", "Preferences")


def page(s, name):
    s.click_node(s.one("table cell", name))


def press(s, name):
    s.click_node(s.one("push button", name))
    wait_for(lambda: not s.find("dialog", "Preferences"), 5, what="the dialog closed")


def test_ok_applies_the_view_colour_and_general_options(make_session):
    s = make_session(["red.jpg"])
    s.write_settings({"Additional": {"Dir": str(s.photos)}})
    s.launch()
    open_preferences(s)
    page(s, "General")
    s.click_node(s.one("check box", "Hide buttons in fullscreen mode"))
    page(s, "View")
    s.click_node(s.one("check box", "E-Mail"))
    page(s, "Color scheme")  # the page the dialog is left on: 4
    s.click_node(s.one("combo box", "White"))  # (a combo box is named by its choice)
    s.key("Down", "Return")  # White -> Silver
    press(s, "OK")
    wait_for(lambda: not s.find("panel", " E-Mail pictures "), 5, what="the mail group hidden")
    magnifier = s.one("panel", " Magnifier ")
    search = s.one("panel", " Search ")
    assert magnifier["extents"][1] == search["extents"][1] + search["extents"][3]  # no gap left
    x, y, w, h = s.one("panel", " Desktop background ")["extents"]
    assert s.screenshot().pixel(x + w // 2, y + h + 20) == (192, 192, 192)  # the silver window below the groups
    s.close()
    options = s.read_settings()["Options"]
    assert (options["bEmail"], options["cScheme"], options["bHide"], options["actPage"]) == (0, 2, 1, 4)


def test_cancel_keeps_every_option_and_ok_keeps_an_unedited_mail_text(make_session):
    s = make_session()
    s.write_settings({"Options": {"mess": "Hi\r\nthere\nsee you", "ssDelay": 3000}})
    s.launch()
    open_preferences(s)
    page(s, "View")
    s.click_node(s.one("check box", "Search"))
    page(s, "Slideshow")
    s.click_node(s.one("text", "Slideshow delay, ms"))
    s.key("ctrl+a")
    s.type("100")
    press(s, "Cancel")
    s.one("panel", " Search ")
    open_preferences(s)
    page(s, "E-Mail")
    assert s.one("text", "Defaul e-mail message")["text"].replace("\r", "") == "Hi\nthere\nsee you"
    page(s, "Slideshow")
    assert s.one("text", "Slideshow delay, ms")["text"] == "3000"
    press(s, "OK")
    s.close()
    options = s.read_settings()["Options"]
    assert options["mess"] == "Hi\r\nthere\nsee you"  # exactly as stored
    assert options["ssDelay"] == 3000 and options["bSearch"] == 1
    assert options["actPage"] == 5
