"""A stand-in for a desktop tool (gsettings, xfconf-query, feh, xdg-email ...).

Records every call's arguments as a JSON line in $ORVANE_E2E_LOG/<tool>.calls
and keeps the settings the tool would keep in $ORVANE_E2E_STATE/<tool>.json,
so reads answer what earlier writes (or the test) stored. It never touches
the machine's desktop.
"""
import fcntl
import json
import os
import sys
from pathlib import Path


def main():
    tool, args = sys.argv[1], sys.argv[2:]
    log = Path(os.environ.get("ORVANE_E2E_LOG", "/tmp"))
    state_path = Path(os.environ.get("ORVANE_E2E_STATE", "/tmp")) / f"{tool}.json"
    # Tools started side by side take turns, as the desktop's own settings
    # store would.
    lock = open(state_path.with_suffix(".lock"), "w")
    fcntl.flock(lock, fcntl.LOCK_EX)
    with open(log / f"{tool}.calls", "a") as calls:
        calls.write(json.dumps(args) + "\n")
    state = json.loads(state_path.read_text()) if state_path.exists() else {}

    def save():
        state_path.write_text(json.dumps(state))

    if tool == "gsettings" and len(args) >= 3:
        key = f"{args[1]} {args[2]}"
        if args[0] == "get":
            if key not in state:
                return 1
            print(state[key])
            return 0
        if args[0] == "set" and len(args) >= 4:
            state[key] = args[3]
            save()
        return 0
    if tool == "xfconf-query":
        prop = args[args.index("-p") + 1] if "-p" in args else None
        if "-l" in args:
            for name in sorted(state):
                print(name)
            return 0
        if prop and "-s" in args:
            state[prop] = args[args.index("-s") + 1]
            save()
            return 0
        if prop:
            if prop not in state:
                print(f'Property "{prop}" does not exist on channel "xfce4-desktop".', file=sys.stderr)
                return 1
            print(state[prop])
            return 0
        return 0
    if tool == "xdg-mime" and args[:2] == ["query", "default"]:
        handler = state.get(args[2]) if len(args) > 2 else None
        if handler:
            print(handler)
        return 0
    return int(state.get("exit", 0))


if __name__ == "__main__":
    sys.exit(main())
