#!/usr/bin/env python3
"""Benchmark of the message saver ssmarque.scr (figures only, never judged).

On one simulated PC in a Windows 10 prefix, the saver runs full screen with
a message scrolling; over 10 s it prints the saver's share of one core (and,
beside it, the shares of the wineserver and the X server, which draw for it),
then its private memory beside that of a minimal Win32 program with one
window (tests/bench/minimal_window.cpp), both read from Linux's view of the
Wine processes. The aim is a few per cent of one core at most.
"""
import os
import re
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
from pavlune_lan import DIST, Lan, wait_until  # noqa: E402

MINIMAL_WINDOW = os.environ.get("PAVLUNE_MINIMAL_WINDOW", "")
SECONDS = 10
TICKS = os.sysconf("SC_CLK_TCK")


def linux_pid(prefix, name):
    """The Linux process of the Windows program name running in prefix."""
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            cmdline = (entry / "cmdline").read_bytes()
            environ = (entry / "environ").read_bytes()
        except OSError:
            continue
        if name.encode() in cmdline and f"WINEPREFIX={prefix}".encode() in environ.split(b"\0"):
            return int(entry.name)
    return None


def cpu_seconds(pid):
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime, stime


def private_kib(pid):
    rollup = Path(f"/proc/{pid}/smaps_rollup").read_text()
    return sum(int(v) for v in re.findall(r"^Private_(?:Clean|Dirty):\s+(\d+) kB", rollup, re.M))


def emulated():
    """Whether 32-bit programs run through qemu here, as on machines without
    32-bit support in the kernel: every figure is then far above a PC's."""
    entry = Path("/proc/sys/fs/binfmt_misc/qemu-i386")
    return entry.exists() and entry.read_text().startswith("enabled")


def main():
    if not MINIMAL_WINDOW:
        print("marquee benchmark: PAVLUNE_MINIMAL_WINDOW is not set")
        return 1
    with Lan(1, versions="win10") as lan:
        pc = lan.pcs[0]
        (pc.system_dir / "ssmarque.scr").write_bytes((DIST / "ssmarque.scr").read_bytes())
        (pc.prefix / "drive_c" / "e2e" / "minimal_window.exe").write_bytes(Path(MINIMAL_WINDOW).read_bytes())
        pc.wine("reg", "add", "HKCU\\Control Panel\\Screen Saver.Marquee", "/v", "Text", "/d",
                "会議中です。15時に戻ります。", "/f")

        pc.start("C:\\windows\\system32\\ssmarque.scr", "/s")
        if pc.wintool("wait-window", "PavluneMarquee", "60000", timeout=120)[0] != 0:
            print("marquee benchmark: the saver did not start")
            return 1
        saver = linux_pid(pc.prefix, "ssmarque.scr")
        server = linux_pid(pc.prefix, "wineserver")
        display = int(pc.xvfb_pid)
        time.sleep(2)  # past the start
        watched = {"saver": saver, "wineserver": server, "X server": display}
        before = {name: cpu_seconds(pid) for name, pid in watched.items() if pid}
        started = time.monotonic()
        time.sleep(SECONDS)
        elapsed = time.monotonic() - started
        share = {name: (cpu_seconds(watched[name]) - used) / elapsed * 100 for name, used in before.items()}
        saver_memory = private_kib(saver)

        pc.start("C:\\e2e\\minimal_window.exe")
        minimal = None
        if pc.wintool("wait-window", "PavluneMinimalWindow", "60000", timeout=120)[0] == 0:
            wait_until(lambda: linux_pid(pc.prefix, "minimal_window.exe") is not None, 10)
            minimal = linux_pid(pc.prefix, "minimal_window.exe")
            time.sleep(2)
        minimal_memory = private_kib(minimal) if minimal else None

    others = ", ".join(f"{name} {value:.1f} %" for name, value in share.items() if name != "saver")
    print(f"marquee: {elapsed:.1f} s of scrolling full screen: the saver used {share['saver']:.1f} % of one core"
          f" ({others})")
    minimal_text = f"{minimal_memory / 1024:.1f} MiB" if minimal_memory is not None else "not measured"
    print(f"marquee: private memory: the saver {saver_memory / 1024:.1f} MiB,"
          f" a minimal Win32 program with one window {minimal_text}")
    if emulated():
        print("marquee: (32-bit code runs under qemu-i386 emulation on this machine: the figures include the"
              " emulator and are far above a PC's)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
