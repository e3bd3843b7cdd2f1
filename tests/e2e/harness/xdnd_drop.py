"""xdnd_drop.py DISPLAY WINDOW X Y URI: drops URI on the window at the root
position X, Y as a file manager does, through the X drag-and-drop protocol
(XDND 5): enter, position, drop, then the dropped data handed over as
text/uri-list when the window asks for it. Exits 0 once the window says it
has finished, 1 when it refused the drop, 2 when it did not answer."""
import sys
import time

from Xlib import X, display
from Xlib.protocol import event


def main(name, target_id, x, y, uri):
    d = display.Display(name)
    atom = d.intern_atom
    root = d.screen().root
    source = root.create_window(-10, -10, 1, 1, 0, d.screen().root_depth, override_redirect=True)
    uri_list = atom("text/uri-list")
    target = d.create_resource_object("window", target_id)
    source.set_selection_owner(atom("XdndSelection"), X.CurrentTime)

    def send(kind, data):
        target.send_event(event.ClientMessage(window=target, client_type=atom(kind), data=(32, data)),
                          event_mask=X.NoEventMask)
        d.flush()

    send("XdndEnter", [source.id, 5 << 24, uri_list, 0, 0])
    send("XdndPosition", [source.id, 0, (x << 16) | y, X.CurrentTime, atom("XdndActionCopy")])
    deadline = time.monotonic() + 10
    dropped = False
    while time.monotonic() < deadline:
        if not d.pending_events():
            time.sleep(0.01)
            continue
        e = d.next_event()
        if e.type == X.ClientMessage and e.client_type == atom("XdndStatus") and not dropped:
            if not e.data[1][1] & 1:
                send("XdndLeave", [source.id, 0, 0, 0, 0])
                return 1
            send("XdndDrop", [source.id, 0, X.CurrentTime, 0, 0])
            dropped = True
        elif e.type == X.SelectionRequest:
            requestor = e.requestor
            if e.target == uri_list:
                requestor.change_property(e.property, uri_list, 8, (uri + "\r\n").encode())
                prop = e.property
            else:
                prop = X.NONE
            requestor.send_event(event.SelectionNotify(time=e.time, requestor=requestor, selection=e.selection,
                                                       target=e.target, property=prop), event_mask=X.NoEventMask)
            d.flush()
        elif e.type == X.ClientMessage and e.client_type == atom("XdndFinished"):
            return 0
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], int(sys.argv[2], 0), int(sys.argv[3]), int(sys.argv[4]), sys.argv[5]))
