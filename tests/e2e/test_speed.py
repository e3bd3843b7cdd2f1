"""What a user waits for, printed as figures (not pass/fail timings)."""
import time

from harness.session import wait_for


def test_figure_right_key_to_the_next_24_megapixel_picture(make_session, big_jpeg):
    s = make_session()
    for name in ("big1.jpg", "big2.jpg", "big3.jpg"):
        (s.photos / name).write_bytes(big_jpeg)
    s.write_settings({"Additional": {"Dir": str(s.photos), "HideList": 1}})
    s.launch()
    s.key("Right")
    wait_for(lambda: s.title().startswith("big"), 30, what="the first picture")  # any of the three
    figures = []
    for _ in range(2):
        before = s.title()
        start = time.monotonic()
        s.key("Right")
        wait_for(lambda: s.title() != before, 30, interval=0.005, longest=0.005, what="the next picture")
        figures.append(time.monotonic() - start)
    print(f"\n[figure] Right key to the next 24-megapixel picture's title (compact mode): "
          f"{', '.join(f'{f * 1000:.0f} ms' for f in figures)}")
    assert s.app.poll() is None
