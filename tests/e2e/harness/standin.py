"""Stand-ins for desktop programs this machine cannot have: the mail client
(Thunderbird's command line) and the desktop's opener (xdg-open).

Each call is recorded as a JSON line in $ORVANE_E2E_LOG/<tool>.calls. A
stand-in reads its arguments as strictly as the real program does and fails
(status 2, with its reason on standard error) where the real one would
reject them; $ORVANE_E2E_STATE/<tool>.json {"exit": n} makes it fail on
purpose with status n.
"""
import json
import os
import sys
from pathlib import Path
from urllib.parse import unquote, urlsplit

COMPOSE_KEYS = {"to", "cc", "bcc", "subject", "body", "attachment", "from", "format", "message", "newsgroups"}


class Rejected(Exception):
    pass


def compose_fields(text):
    """Thunderbird's -compose option: key=value pairs separated by commas,
    a value in single or double quotes when it may hold a comma."""
    fields, i = {}, 0
    while i < len(text):
        equals = text.find("=", i)
        if equals < 0:
            raise Rejected(f"no '=' after {text[i:]!r}")
        key = text[i:equals]
        if key not in COMPOSE_KEYS or key in fields:
            raise Rejected(f"unknown or repeated field {key!r}")
        i = equals + 1
        if i < len(text) and text[i] in "'\"":
            close = text.find(text[i], i + 1)
            while close >= 0 and close + 1 < len(text) and text[close + 1] != ",":
                close = text.find(text[i], close + 1)
            if close < 0:
                raise Rejected(f"unterminated quote in {key}")
            value, i = text[i + 1:close], close + 1
        else:
            comma = text.find(",", i)
            comma = len(text) if comma < 0 else comma
            value, i = text[i:comma], comma
        if i < len(text):
            if text[i] != ",":
                raise Rejected(f"junk after {key}")
            i += 1
        fields[key] = value
    return fields


def attachments(value):
    """The files of an attachment list: file URLs separated by commas."""
    files = []
    for url in value.split(","):
        parts = urlsplit(url)
        if parts.scheme != "file" or parts.netloc not in ("", "localhost"):
            raise Rejected(f"not a file URL: {url!r}")
        path = unquote(parts.path)
        if not os.path.isfile(path):
            raise Rejected(f"no such file: {path!r}")
        files.append(path)
    return files


def thunderbird(args):
    if len(args) != 2 or args[0] != "-compose":
        raise Rejected(f"expected -compose and one option, have {args!r}")
    fields = compose_fields(args[1])
    if "attachment" in fields:
        fields["attachment"] = attachments(fields["attachment"])
    return fields


def main():
    tool, args = sys.argv[1], sys.argv[2:]
    state_path = Path(os.environ["ORVANE_E2E_STATE"]) / f"{tool}.json"
    state = json.loads(state_path.read_text()) if state_path.exists() else {}
    record = {"args": args}
    status = int(state.get("exit", 0))
    try:
        if tool == "thunderbird":
            record["compose"] = thunderbird(args)
        elif len(args) != 1:
            raise Rejected(f"xdg-open takes one file or URL, have {args!r}")
    except Rejected as reason:
        record["rejected"] = str(reason)
        print(f"{tool}: {reason}", file=sys.stderr)
        status = 2
    with open(Path(os.environ["ORVANE_E2E_LOG"]) / f"{tool}.calls", "a") as calls:
        calls.write(json.dumps(record) + "\n")
    return status


if __name__ == "__main__":
    sys.exit(main())
