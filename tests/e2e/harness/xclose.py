"""xclose.py DISPLAY PATTERN: asks the window whose title matches PATTERN to
close, as a window manager does (WM_DELETE_WINDOW); exits 1 when there is
none. Run as a process of its own: python-xlib keeps the event codes of
extensions in state shared by every connection of a process, and an X
server with other codes (Xwayland's) would spoil it for the test's own."""
import re
import sys

import Xlib.ext
from Xlib import X, display, error
from Xlib.protocol import event

# Xwayland's RandR event codes are beyond what python-xlib can register.
Xlib.ext.__extensions__ = [e for e in Xlib.ext.__extensions__ if e[0] != "RANDR"]


def windows(window):
    for child in window.query_tree().children:
        yield child
        yield from windows(child)


def main(name, pattern):
    screen = display.Display(name)
    protocols, delete = screen.intern_atom("WM_PROTOCOLS"), screen.intern_atom("WM_DELETE_WINDOW")
    for window in windows(screen.screen().root):
        try:
            title = window.get_wm_name()
        except error.XError:
            continue
        if isinstance(title, bytes):
            title = title.decode("utf-8", "replace")
        if title and re.search(pattern, title):
            message = event.ClientMessage(window=window, client_type=protocols,
                                          data=(32, [delete, X.CurrentTime, 0, 0, 0]))
            window.send_event(message, event_mask=X.NoEventMask)
            screen.flush()
            return 0
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
