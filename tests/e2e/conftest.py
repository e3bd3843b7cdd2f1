"""Fixtures of the end-to-end suite: sessions with their own X server, window
manager, buses and sandbox home, real photo trees, and the built program."""
import os
import shutil
import subprocess
import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parent))
from harness.session import Session  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]


def program_path():
    path = Path(os.environ.get("ORVANE_PROGRAM", ROOT / "build/test/src/app/orvane"))
    if not path.exists():
        pytest.exit(f"the program {path} is not built", returncode=2)
    return path


@pytest.fixture(scope="session")
def pictures(tmp_path_factory):
    """Small real pictures of known colours, made once per run."""
    folder = tmp_path_factory.mktemp("pictures")
    colours = {"red": "#ff0000", "green": "#00ff00", "blue": "#0000ff", "yellow": "#ffff00", "white": "#ffffff"}
    made = {}
    for name, colour in colours.items():
        path = folder / f"{name}.jpg"
        subprocess.run(["convert", "-size", "160x120", f"xc:{colour}", "-quality", "95", str(path)], check=True)
        made[name] = path.read_bytes()
    path = folder / "pattern.png"
    # Black and white stripes 8 pixels wide, for the magnifier.
    subprocess.run(["convert", "-size", "16x16", "xc:white", "-fill", "black", "-draw", "rectangle 0,0 7,15",
                    "-write", "mpr:tile", "+delete", "-size", "320x240", "tile:mpr:tile", str(path)], check=True)
    made["pattern"] = path.read_bytes()
    return made


@pytest.fixture
def make_session(tmp_path, pictures):
    """make_session(files=[...], desktop=None, tray=False, screen=(w, h)):
    a started session whose photo tree holds the given files (relative paths;
    .jpg files get a small red picture unless named after a colour)."""
    sessions = []

    def make(files=(), **options):
        session = Session(tmp_path / f"s{len(sessions)}", program_path(), **options)
        sessions.append(session)
        session.start()
        for relative in files:
            path = session.photos / relative
            path.parent.mkdir(parents=True, exist_ok=True)
            stem = Path(relative).stem
            if path.suffix.lower() in (".jpg", ".jpeg"):
                path.write_bytes(pictures.get(stem, pictures["red"]))
            elif path.suffix.lower() == ".png" and stem in pictures:
                path.write_bytes(pictures[stem])
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
    subprocess.run(["convert", "-size", "6000x4000", "gradient:#204080-#f0c020", "-quality", "90", str(path)],
                   check=True)
    return path.read_bytes()
