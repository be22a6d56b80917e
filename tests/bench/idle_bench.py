#!/usr/bin/env python3
"""Wake-ups of an idle Pavlune with both watches set, for a minute (figures only): Wine runs
each Windows thread as a Linux thread, whose voluntary context switches in /proc are its wake-ups."""
import re
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
from pavlune_lan import Lan  # noqa: E402


def wakeups(prefix):
    """{thread id: wake-ups so far} of Pavlune.exe in that Wine prefix, the main thread's id first."""
    for process in Path("/proc").glob("[0-9]*"):
        try:
            if (process / "comm").read_text() == "Pavlune.exe\n" and \
                    f"WINEPREFIX={prefix}\0".encode() in (process / "environ").read_bytes():
                tasks = sorted((process / "task").iterdir(), key=lambda task: task.name != process.name)
                return {task.name: int(re.search(r"voluntary_ctxt_switches:\s+(\d+)", (task / "status").read_text())[1])
                        for task in tasks}
        except OSError:
            continue
    return {}


with Lan(1) as lan:
    pc = lan.pcs[0]
    pc.start()
    pc.wait_main_window()
    time.sleep(5)  # past the start: the watches are set, the LAN's answers are in
    before = wakeups(pc.prefix)
    time.sleep(60)
    after = wakeups(pc.prefix)
    pc.taskkill()
woken = [after[tid] - before[tid] for tid in before if tid in after]
if not woken:
    sys.exit("idle benchmark: Pavlune did not run")
print(f"idle: Pavlune with both watches set woke its threads {sum(woken)} times in a minute"
      f" (main thread {woken[0]}, the others {woken[1:]})")
