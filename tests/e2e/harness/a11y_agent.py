"""Reads the accessibility tree of a running program for the end-to-end tests.

Runs inside a test session's environment (its display and session bus) and
answers one JSON request per line on standard input with one JSON line on
standard output. Requests:
  {"op": "tree", "app": "orvane"}  every accessible of the application's windows
The answer for "tree" is a list of nodes: role, name, text (where the node
has text), states, extents [x, y, w, h] on the screen, depth, index path.
"""
import json
import sys

import pyatspi


def text_of(node):
    try:
        t = node.queryText()
        return t.getText(0, t.characterCount)
    except Exception:
        return None


def value_of(node):
    try:
        return node.queryValue().currentValue
    except Exception:
        return None


def extents_of(node):
    try:
        e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return [e.x, e.y, e.width, e.height]
    except Exception:
        return None


def walk(node, depth, path, out, limit):
    if node is None or len(out) >= limit:
        return
    try:
        role = node.getRoleName()
        name = node.name or ""
        states = [pyatspi.stateToString(s) for s in node.getState().getStates()]
        count = node.childCount
    except Exception:
        return
    out.append({
        "role": role,
        "name": name,
        "text": text_of(node),
        "value": value_of(node),
        "states": states,
        "extents": extents_of(node),
        "depth": depth,
        "path": path,
    })
    # Huge lists: their first lines are enough for any test.
    for i in range(min(count, 400)):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        walk(child, depth + 1, path + [i], out, limit)


def find_app(name):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        try:
            if app is not None and (app.name or "").lower() == name.lower():
                return app
        except Exception:
            continue
    return None


def main():
    for line in sys.stdin:
        request = json.loads(line)
        answer = None
        try:
            if request["op"] == "tree":
                app = find_app(request.get("app", "orvane"))
                if app is None:
                    answer = {"ok": False, "error": "no such application"}
                else:
                    try:
                        app.clearCache()
                    except Exception:
                        pass
                    out = []
                    walk(app, 0, [], out, request.get("limit", 5000))
                    answer = {"ok": True, "nodes": out}
            else:
                answer = {"ok": False, "error": "unknown op"}
        except Exception as error:  # the program may be closing
            answer = {"ok": False, "error": repr(error)}
        sys.stdout.write(json.dumps(answer) + "\n")
        sys.stdout.flush()


if __name__ == "__main__":
    main()
