#!/usr/bin/env python3
"""Benchmark of Pavlune's exit (figures only, never judged).

On one simulated PC, Pavlune runs with both change watchers (automatic menu
reload and the desktop settings) and is closed politely, as a polite
taskkill or the end of a session closes it. The figure is the time from the
polite taskkill to the end of its process, set beside the same figure for a
minimal program with a tray icon (tests/bench/minimal_tray.cpp) closed the
same way in the same prefix, in two set-ups. Each is the median of a few runs.
"""
import os
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
from pavlune_lan import LIB, SCREEN_SIZE, Lan  # noqa: E402

MINIMAL_TRAY = os.environ.get("PAVLUNE_MINIMAL_TRAY", "")
RUNS = 5
SETUPS = (("with a Wine desktop", None, SCREEN_SIZE), ("in an XP prefix with Wine's stand-alone tray", "winxp", "off"))


def time_exit(pc, program, image, window_class):
    """Seconds from a polite taskkill to the end of the program's process,
    and how long the process outlived taskkill (its own exit, mostly)."""
    process = pc.start(program)
    if pc.wintool("wait-window", window_class, "60000", timeout=120)[0] != 0:
        return None
    time.sleep(2)  # past the start: the watchers wait, the icon is in the tray
    # The clock includes taskkill's own start, the same for both programs.
    started = time.monotonic()
    pc.wine("taskkill", "/im", image)
    asked = time.monotonic()
    process.wait(timeout=60)
    ended = time.monotonic()
    return ended - started, ended - asked


def median_exit(pc, program, image, window_class):
    times = [time_exit(pc, program, image, window_class) for _ in range(RUNS)]
    if None in times:
        return None
    return tuple(statistics.median(run[i] for run in times) for i in range(2))


def main():
    if not MINIMAL_TRAY:
        print("exit benchmark: PAVLUNE_MINIMAL_TRAY is not set")
        return 1
    return max([setup_exit(*setup) for setup in SETUPS])


def setup_exit(name, version, desktop):
    with Lan(1, versions=version) as lan:
        pc = lan.pcs[0]
        subprocess.run([str(LIB / "wine-desktop"), str(pc.prefix), desktop], check=True)
        (pc.prefix / "drive_c" / "e2e" / "minimal_tray.exe").write_bytes(Path(MINIMAL_TRAY).read_bytes())
        minimal = median_exit(pc, "C:\\e2e\\minimal_tray.exe", "minimal_tray.exe", "PavluneMinimalWindow")
        pavlune = median_exit(pc, "C:\\Pavlune\\Pavlune.exe", "Pavlune.exe", "TPavluneMainForm")
    if minimal is None or pavlune is None:
        print(f"exit benchmark {name}: a program did not start")
        return 1
    print(f"exit {name}: closed politely, Pavlune with both watchers ended {pavlune[0]:.2f} s after the taskkill"
          f" ({pavlune[1]:.2f} s after taskkill had ended), a minimal tray program {minimal[0]:.2f} s"
          f" ({minimal[1]:.2f} s) (medians of {RUNS})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
