"""Fixtures of the end-to-end suite: sessions with their own X server, window
manager, buses and sandbox home, real pictures and a real video, an
installed copy of the program, and the built program."""
import os
import subprocess
import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parent))
from harness.session import Session  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
COLOURS = {"red": (255, 0, 0), "green": (0, 255, 0), "blue": (0, 0, 255), "yellow": (255, 255, 0),
           "white": (255, 255, 255)}


def program_path():
    path = Path(os.environ.get("ORVANE_PROGRAM", ROOT / "build/test/src/app/orvane"))
    if not path.exists():
        pytest.exit(f"the program {path} is not built", returncode=2)
    return path


def convert(*args):
    subprocess.run(["convert", *map(str, args)], check=True)


@pytest.fixture(scope="session")
def media(tmp_path_factory):
    """Small real pictures of known colours, a striped one and a video of a
    moving ball, made once per run."""
    folder = tmp_path_factory.mktemp("media")
    made = {}
    for name, rgb in COLOURS.items():
        convert("-size", "160x120", f"xc:rgb{rgb}", "-quality", "95", folder / f"{name}.jpg")
        made[f"{name}.jpg"] = (folder / f"{name}.jpg").read_bytes()
    subprocess.run(["gst-launch-1.0", "-q", "videotestsrc", "num-buffers=1500", "pattern=ball", "!",
                    "video/x-raw,width=160,height=120,framerate=25/1", "!", "jpegenc", "!", "avimux", "!",
                    "filesink", f"location={folder / 'ball.avi'}"], check=True)
    made["ball.avi"] = (folder / "ball.avi").read_bytes()
    return made


@pytest.fixture
def make_session(tmp_path, media):
    """make_session(files=[...], desktop=None, tray=False, screen=(w, h)):
    a started session whose photo tree holds the given files (relative
    paths). A .jpg is a small picture of the colour it is named after (red
    otherwise), "ball.avi" a real video; other files hold a line of text."""
    sessions = []

    def make(files=(), **options):
        session = Session(tmp_path / f"s{len(sessions)}", program_path(), **options)
        sessions.append(session)
        session.start()
        for relative in files:
            path = session.photos / relative
            path.parent.mkdir(parents=True, exist_ok=True)
            if path.name in media:
                path.write_bytes(media[path.name])
            elif path.suffix.lower() in (".jpg", ".jpeg"):
                path.write_bytes(media["red.jpg"])
            else:
                path.write_bytes(b"not a picture: " + relative.encode())
        return session

    yield make
    for session in sessions:
        session.stop()


@pytest.fixture(scope="session")
def big_jpeg(tmp_path_factory):
    """A 24-megapixel photo (6000 x 4000), made once per run."""
    path = tmp_path_factory.mktemp("big") / "big.jpg"
    convert("-size", "6000x4000", "gradient:#204080-#f0c020", "-quality", "90", path)
    return path.read_bytes()


@pytest.fixture
def installed(tmp_path):
    """A real install made by the install step into a temporary prefix."""
    build = program_path().parents[2]
    prefix = tmp_path / "prefix"
    subprocess.run(["cmake", "--install", str(build), "--prefix", str(prefix)], check=True, capture_output=True)
    return prefix
