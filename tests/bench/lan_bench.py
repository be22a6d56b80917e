#!/usr/bin/env python3
"""Benchmark on the simulated LAN (figures only, never judged).

A scripted peer on PC 2 sends 1,000 distinct status records as fast as it can
to Pavlune on PC 1; the figure is how many rows Pavlune's table holds
afterwards (everything, when the receive queue is large enough). Then, with
the status list open on those rows, it times how long one more record takes
from the socket to the refilled list, and sends 1,000 more records at full
speed while a watcher beside the list notes how soon the list shows them
all and the longest the list's window takes to answer meanwhile.
"""
import statistics
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
from pavlune_lan import Lan, encode, wait_until  # noqa: E402

RECORDS = 1000
PROBES = 20


def settled_rows(pc, seconds=120):
    """The row count of the open list once it has stopped changing."""
    last, since = None, time.monotonic()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        rows = pc.status_rows()
        count = len(rows) if rows is not None else None
        if count != last:
            last, since = count, time.monotonic()
        elif time.monotonic() - since > 3:
            break
        time.sleep(0.5)
    return last


def main():
    with Lan(2) as lan:
        pc, peer = lan.pcs
        pc.write("Pavlune.INI", "[Pavlune Settings]\r\nMyName=ベンチ\\計測\r\n")
        process = pc.start()
        if not (pc.wait_main_window() and pc.tray_point()):
            print("lan benchmark: Pavlune did not start")
            return 1
        time.sleep(1)

        started = time.monotonic()
        peer.peer_flood(pc.address, 5963, RECORDS, encode("2002/01/21 09:05:07\\会議中\\Bench"),
                        encode("\\開発部\\2課") + b"\0")
        sent = time.monotonic() - started
        if not pc.open_status_list():
            print("lan benchmark: the status list did not open")
            return 1
        rows = settled_rows(pc)
        print(f"lan: {RECORDS} status records sent in {sent * 1000:.0f} ms -> {rows} rows in the table")

        code, out = pc.wintool("refill-time", "自席表示一覧", str(PROBES), timeout=600)
        times = [float(line) for line in out.decode().split()]
        if code != 0 or not times:
            print("lan: the refill probe got no answer")
            return 1
        print(f"lan: record to refilled list of {rows + 1} rows: median {statistics.median(times):.1f} ms, "
              f"min {min(times):.1f} ms, max {max(times):.1f} ms over {len(times)} records")

        # The watcher runs inside the PC, beside the list, and notes how
        # long the list takes to show the new rows and to answer meanwhile.
        rows_before = rows + 1
        with tempfile.TemporaryFile() as out:
            watcher = pc.start("C:\\e2e\\wintool.exe", "list-watch", "自席表示一覧", str(rows_before + RECORDS),
                               "120000", stdout=out)
            time.sleep(3)  # the watcher has started and counted the rows
            peer.peer_flood(pc.address, 5963, RECORDS, encode("2002/01/21 09:06:00\\外出\\Open"),
                            encode("\\総務部") + b"\0")
            watcher.wait(timeout=300)
            out.seek(0)
            figures = out.read().split()
        rows = settled_rows(pc, 600)
        print(f"lan: {RECORDS} more records with the list open -> {rows - rows_before} new rows")
        if len(figures) == 3:
            shown, longest, reached = (float(f) for f in figures)
            print(f"lan: the open list showed {reached - rows_before:.0f} of them {shown / 1000:.2f} s after the "
                  f"first; the list's window answered within {longest:.0f} ms at worst meanwhile")
        request = encode("2002/01/01 00:00:00\\\\GETSTATE\\ \\嵐")
        heard = peer.peer_listen(5963, 6)
        peer.peer_flood(pc.address, 5963, RECORDS, request, encode("\\x") + b"\0")
        print(f"lan: {RECORDS} state requests in one burst -> {[h for h, _, _ in heard.collect()].count(pc.address)} answers")
        heard = peer.peer_listen(5963, 6)
        for _ in range(3):
            peer.peer_send(pc.address, 5963, request + encode("\\x") + b"\0")
            time.sleep(0.7)
        print(f"lan: one Refresh round (3 requests) -> {[h for h, _, _ in heard.collect()].count(pc.address)} answers")
        pc.taskkill()
        wait_until(lambda: process.poll() is not None, 30)
    return 0


if __name__ == "__main__":
    sys.exit(main())
