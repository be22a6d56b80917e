"""The program users get: the shipped i686 dist/ on 32-bit Wine, in the
emulated PC of scripts/lib/emulated-pc, one road per Windows version.
  emulated_pc.py OUTPUT run WINTOOL STANDIN  one boot runs every version's
                                             road; logs and screenshots in OUTPUT
  emulated_pc.py OUTPUT report VERSION       one version's result
  emulated_pc.py OUTPUT guest VERSION        (in the PC) one version's road
PAVLUNE_SKIP_EMULATED=1 skips them (exit code 77)."""
import os
import shutil
import subprocess
import sys
import time
import unittest
from pathlib import Path

from pavlune_lan import DIST, LIB, PROGRAM_DIR, STANDIN, Lan, keys_at_exit
from test_road import MENU, MY_NAME, Road, exited

VERSIONS = {"win98": "Windows98", "winxp": "WindowsXp", "win10": "Windows10"}
SLOW = 300  # a first start on the emulated CPU takes half a minute: room for a loaded machine


class EmulatedPC(Road):
    """A PC of one bridge, with a copy of the image's prefix for the version."""

    def setUp(self):
        os.environ["PAVLUNE_WINE_TEMPLATE"] = f"/opt/pavlune/prefix-{self.VERSION}"
        self.lan = Lan(1).__enter__()
        self.addCleanup(self.lan.__exit__, None, None, None)
        self.a = self.peer = self.pc = self.lan.pcs[0]
        self.log = self.pc.system_dir / "standin.log"
        self.shot = f"emulated-{self.VERSION}-"


class TrayRoad(EmulatedPC):
    JACK = 0  # the NT line's saver start switches take-over on

    def test_tray_icon_message_and_polite_close_on_the_lan(self):
        pc = self.pc
        for name in self.SAVERS:
            shutil.copy(STANDIN, pc.system_dir / name)
        pc.write("Pavlune.TXT", MENU)
        settings = f"[Pavlune Settings]\r\nMyName={MY_NAME}\r\n"
        pc.write("Pavlune.INI", settings)
        saver_was_active = pc.saver_active()

        # The start-up asks three times, the same bytes each time; the PC's own answers come between.
        heard = pc.peer_listen(5963, SLOW, count=3, holding=b"\\GETSTATE\\")
        pavlune = pc.start()
        self.assertIsNotNone(pc.tray_point(SLOW), "no tray icon")
        self.pc.screenshot(self.shot + "tray-icon")
        requests = heard.collect()
        self.assertEqual(len({data for _, _, data in requests}), 1, requests)
        self.expect_record(requests[:1], "\\GETSTATE\\ ")

        heard = pc.peer_listen(5963, SLOW, count=1, holding="会議中".encode("cp932"))
        self.choose(1, screenshot=self.shot + "message-menu")
        if self.SAVERS:
            start = self.wait_saver("start", 1, SLOW)
            self.assertEqual((start[3], start[5]), ("[/S]", "会議中"), "the saver's start or text")
        self.expect_record(heard.collect(), "会議中")

        # The log-off goes out three times; repeats of the status may still be under way.
        heard = pc.peer_listen(5963, SLOW, count=3, holding=b"\\LOGOFF\\")
        pc.taskkill()
        self.assertEqual(exited(pavlune, SLOW), 0)
        logoffs = heard.collect()
        self.assertEqual(len({data for _, _, data in logoffs}), 1, logoffs)
        self.expect_record(logoffs[:1], "\\LOGOFF\\ ")
        self.assertEqual(pc.read("Pavlune.INI"), settings + keys_at_exit(saver_was_active, ScreenSaveJack=self.JACK))


class Windows98(TrayRoad, unittest.TestCase):
    VERSION = "win98"
    SAVERS = ("伝言板.SCR",)


class WindowsXp(TrayRoad, unittest.TestCase):
    VERSION = "winxp"
    JACK = 1


class Windows10(EmulatedPC, unittest.TestCase):
    VERSION = "win10"

    def test_message_saver_its_dialog_and_the_first_start_question(self):
        pc = self.pc
        saver = PROGRAM_DIR + "\\ssmarque.scr"
        pc.wine("reg", "add", "HKCU\\Control Panel\\Screen Saver.Marquee", "/v", "Text", "/d", "会議中", "/f",
                timeout=SLOW)
        shown = pc.start(saver, "/s")
        self.assertEqual(pc.wintool("wait-window", "PavluneMarquee", f"{SLOW}000", timeout=SLOW + 30)[0], 0,
                         "the message saver did not start")
        self.assertTrue(pc.text_scrolls_left(SLOW), "the message does not scroll right to left")
        self.pc.screenshot(self.shot + "message-saver")
        pc.keys("space")
        self.assertEqual(exited(shown, SLOW), 0, "a key did not end the message saver")

        configured = pc.start(saver, "/c")
        self.assertIsNotNone(pc.wait_box("伝言板の設定", SLOW), "no settings dialog")
        self.pc.screenshot(self.shot + "saver-settings")
        self.assertTrue(pc.press_ok("伝言板の設定"))
        self.assertEqual(exited(configured, SLOW), 0)

        pc.file("Pavlune.INI").unlink()
        pc.start()
        self.assertIsNotNone(pc.wait_box("名前の設定", SLOW), "a first start did not ask for the name")
        self.pc.screenshot(self.shot + "first-start")


def run(output, wintool, standin):
    """Stages the files, boots the PC; each version leaves VERSION.log and VERSION.status."""
    started = time.monotonic()
    shutil.rmtree(output, ignore_errors=True)
    staged = output / "in"
    shutil.copytree(LIB, staged / "scripts" / "lib")
    shutil.copytree(Path(__file__).parent, staged / "tests" / "e2e", ignore=shutil.ignore_patterns("__pycache__"))
    shutil.copytree(DIST, staged / "dist")
    for tool in (wintool, standin):
        shutil.copy(tool, staged)
    (output / "job").write_text(f"""cp -r /share/in /tmp/pavlune && mkdir /tmp/pavlune/build && cd /tmp/pavlune
export PAVLUNE_WINE32=1 PAVLUNE_E2E_OUTPUT=/share PYTHONDONTWRITEBYTECODE=1 PAVLUNE_DIST=$PWD/dist \\
    PAVLUNE_WINTOOL=$PWD/{Path(wintool).name} PAVLUNE_STANDIN=$PWD/{Path(standin).name}
for version in {" ".join(VERSIONS)}; do
    python3 tests/e2e/emulated_pc.py /share guest $version >/share/$version.log 2>&1; echo $? >/share/$version.status
done
""")
    booted = subprocess.run([str(LIB / "emulated-pc"), "run", str(output)]).returncode
    print(f"emulated PC: the image, one boot and {len(VERSIONS)} roads took {time.monotonic() - started:.0f} s")
    missing = [v for v in VERSIONS if not (output / f"{v}.status").exists()]
    if booted or missing:
        log = output / "job.log"
        print(f"the emulated PC did not finish the roads of {missing}:\n" + (log.read_text() if log.exists() else ""))
        return 1
    return 0


def report(output, version):
    log, status = output / f"{version}.log", output / f"{version}.status"
    if not status.exists():
        print(f"no result for {version}: emulated.pc did not finish (see its output)")
        return 1
    print(log.read_text(errors="replace"))
    return int(status.read_text())


if __name__ == "__main__":
    output, command, *args = sys.argv[1:]
    if command == "guest":
        unittest.main(argv=[sys.argv[0], "-v", VERSIONS[args[0]]])
    if os.environ.get("PAVLUNE_SKIP_EMULATED") == "1":
        print("skipped: PAVLUNE_SKIP_EMULATED=1 leaves the shipped i686 build untested")
        sys.exit(77)
    sys.exit(run(Path(output), *args) if command == "run" else report(Path(output), *args))
