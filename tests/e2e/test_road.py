"""The main road, as a person takes it: a message chosen in the tray's
message menu becomes the saver's text, goes out to the LAN and starts the
saver. PC A runs Pavlune on a Windows 98 or XP prefix with the stand-in
saver installed, PC B runs Pavlune with its status list open, PC C is a
scripted peer that listens on the presence port."""
import re
import shutil
import subprocess
import time
import unittest

from pavlune_lan import Lan, MAIN_WINDOW_CLASS, STANDIN, encode, ini_section, keys_at_exit, wait_until

MY_NAME = "山田\\開発部\\2課"
MENU = "#会議中\r\n@外出\r\n帰宅\r\n"
STAMP = r"\d{4}/\d\d/\d\d \d\d:\d\d:\d\d"


def exited(process, seconds=30):
    try:
        return process.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        return None


class Road:
    """What both roads share; the subclasses set the Windows version."""
    VERSION = None
    SAVERS = ()

    def setUp(self):
        self.lan = Lan(3, versions=[self.VERSION, None, None]).__enter__()
        self.addCleanup(self.lan.__exit__, None, None, None)
        self.a, self.b, self.peer = self.lan.pcs
        for name in self.SAVERS:
            shutil.copy(STANDIN, self.a.system_dir / name)
        self.log = self.a.system_dir / "standin.log"
        self.a.write("Pavlune.TXT", MENU)
        self.a.write("Pavlune.INI", f"[Pavlune Settings]\r\nMyName={MY_NAME}\r\n")
        # Somebody who may write the program's folder put DLLs there: none may ever load.
        self.planted_loaded = self.a.plant_dlls(self.a.program_dir)
        self.b.write("Pavlune.INI", "[Pavlune Settings]\r\nMyName=鈴木\\総務部\r\n")

    def start(self, pc):
        process = pc.start()
        self.assertTrue(pc.wait_main_window(), "Pavlune did not start")
        self.assertIsNotNone(pc.tray_point(), "no tray icon")
        time.sleep(3)  # the start-up's three state requests are out before anything listens
        return process

    def saver_lines(self):
        if not self.log.exists():
            return []
        return [line.split("\t") for line in self.log.read_bytes().decode("cp932").splitlines()]

    def wait_saver(self, event, count, seconds=30):
        """The count-th log line of that event (start or end) of the stand-in."""
        def seen():
            return len([line for line in self.saver_lines() if line[0] == event]) >= count
        self.assertTrue(wait_until(seen, seconds, step=0.2), f"the saver did not {event}")
        time.sleep(3.5 if event == "end" else 0)  # back at the desk, the default message goes out for 3 s
        return [line for line in self.saver_lines() if line[0] == event][count - 1]

    def choose(self, downs, screenshot=None):
        """Opens the message menu with the left button and picks the entry
        that many places down."""
        self.assertTrue(self.a.press_on_tray(1), "no message menu")
        if screenshot:
            self.a.screenshot(screenshot)
        self.a.keys(*["Down"] * downs, "Return")

    def phrase_dialog(self):
        """Waits for the phrase dialog and clicks into its field, as a person
        would before typing."""
        self.assertIsNotNone(self.a.wait_box("追加文の入力"), "no phrase dialog")
        x, y = (int(v) for v in self.a.wintool("field-point", "追加文の入力")[1].split())
        self.a.xdotool("mousemove", str(x), str(y), "click", "1")

    def expect_record(self, heard, whereabouts):
        self.assertEqual(len(heard), 1, heard)
        host, _, data = heard[0]
        self.assertEqual(host, self.a.address)
        self.assertRegex(data[:19].decode(), f"^{STAMP}$")
        self.assertEqual(data[19:], encode(f"\\{whereabouts}\\{MY_NAME}") + b"\0")
        return data[:19].decode()


PREVIOUS_TEXT = "[Screen Saver.伝言板]\r\nText=前の文\r\n"


class Windows98Road(Road, unittest.TestCase):
    VERSION = "win98"
    SAVERS = ("伝言板.SCR", "3D テキスト (OpenGL).SCR")

    def setUp(self):
        super().setUp()
        (self.a.windows_dir / "control.ini").write_bytes(encode(PREVIOUS_TEXT))
        self.a.extra_env["PAVLUNE_STANDIN_MS"] = "3000"

    def control_ini_section(self):
        return ini_section(self.a.windows_dir / "control.ini", "Screen Saver.伝言板")

    def test_choosing_a_message_sets_the_saver_text_tells_the_lan_and_starts_the_saver(self):
        self.start(self.b)
        self.assertTrue(self.b.open_status_list(), "no status list at B")
        a = self.start(self.a)

        listener = self.peer.peer_listen(5963, 20, count=1)
        self.choose(1, screenshot="road-message-menu")
        start = self.wait_saver("start", 1)
        self.assertEqual(start[3], "[/S]", "the saver got other arguments")
        self.assertEqual(start[5], "会議中", "the saver did not see the message")
        self.assertEqual(start[6], "0", "the saver flag was not off while the saver ran")
        stamp = self.expect_record(listener.collect(), "会議中")
        self.assertTrue(wait_until(lambda: self.b.status_rows() == [f"山田\t会議中\t{stamp}\t開発部\t2課"], 20),
                        self.b.status_rows())
        self.b.screenshot("road-status-at-b")

        # Without take-over the old text is back once the saver has ended.
        self.wait_saver("end", 1)
        self.assertTrue(wait_until(lambda: self.control_ini_section() == PREVIOUS_TEXT, 10), self.control_ini_section())

        # 外出 asks for a phrase.
        self.a.write("Pavlune.2.txt", "10時戻り\r\n")
        listener = self.peer.peer_listen(5963, 30, count=1)
        self.choose(2)
        self.phrase_dialog()
        self.assertEqual(self.a.wintool("set-text", "追加文の入力", "15時戻り")[0], 0)
        self.a.screenshot("road-phrase-dialog")
        self.a.keys("Return")
        start = self.wait_saver("start", 2)
        self.assertEqual(start[5], "外出(15時戻り)")
        self.expect_record(listener.collect(), "外出(15時戻り)")
        self.assertEqual(self.a.read("Pavlune.2.txt"), "15時戻り\r\n10時戻り\r\n")

        # Cancel: nothing written, sent or started. A waits for a saver it
        # starts, so its answer to a request sent after Cancel comes last:
        # the default message, sent as the user came back from the saver.
        self.wait_saver("end", 2)
        self.assertTrue(self.a.press_on_tray(3))
        self.a.keys("p")  # パスワードの変更: the system's dialog, from MPR.DLL
        listener = self.peer.peer_listen(5963, 60, count=1)
        self.choose(2)
        self.phrase_dialog()
        self.a.keys("Escape")
        self.assertTrue(wait_until(lambda: self.a.wait_box("追加文の入力", seconds=0) is None, 10))
        self.peer.peer_send(self.a.address, 5963, encode("2002/01/01 00:00:00\\\\GETSTATE\\ \\鈴木\\総務部\0"))
        self.expect_record(listener.collect(), "会議中")
        self.assertEqual(len(self.saver_lines()), 4, "Cancel started the saver")
        self.assertEqual(self.control_ini_section(), PREVIOUS_TEXT)

        # A missing phrase file beeps, says so, and is created at the close.
        self.a.file("Pavlune.2.txt").unlink()
        self.choose(2)
        self.assertEqual(self.a.wait_box(), "C:\\Pavlune\\Pavlune.2.txtを開けません")
        self.assertTrue(self.a.press_ok())
        self.phrase_dialog()
        self.a.keys("Escape")
        self.assertTrue(wait_until(lambda: self.a.file("Pavlune.2.txt").exists(), 10))
        self.assertEqual(self.a.file("Pavlune.2.txt").read_bytes(), b"")

        self.a.taskkill()
        self.assertEqual(exited(a), 0)
        self.assertEqual(self.planted_loaded(), [])


CHOICES_MENU = (
    "// 伝言の一覧\r\n"
    "#会議中\r\n"
    "@外出\r\n"
    "@\r\n"
    "\r\n"
    "表示中\\ソフト開発\r\n"
    "@表示中\\表計算\r\n"
    "@行き先.txt@出張\r\n"
    "-\r\n"
    "帰宅\\本日は帰宅しました\r\n"
)

# keys in the message menu, the phrase typed (None: no dialog), the message
CHOICES = [
    (["Down"], None, "会議中"),
    (["Down"] * 2, "", "外出"),                               # OK on an empty field: no brackets
    (["Down"] * 3, "直帰します", "直帰します"),                 # the "@" line: the phrase is the message
    (["Down"] * 3, "", ""),                                   # ... and may be empty
    (["Down"] * 4, None, ""),                                 # the blank line: empty message, no dialog
    (["Down"] * 5 + ["Right"], None, "ソフト開発"),            # a group whose name holds 表 (0x5C)
    (["Down"] * 5 + ["Right", "Down"], "表\\ソ", "表計算(表\\ソ)"),  # a typed backslash stays
    (["Down"] * 6, "大阪", "出張(大阪)"),                      # a phrase file of its own
    (["Up", "Right"], None, "本日は帰宅しました"),
]


class MessageChoices(Road, unittest.TestCase):
    """Many choices of one definition file, each compared with the saver's
    text, the datagram and the phrase files."""
    VERSION = "win98"
    SAVERS = ("伝言板.SCR", "3D テキスト (OpenGL).SCR")

    def setUp(self):
        super().setUp()
        self.a.write("Pavlune.TXT", CHOICES_MENU)
        self.a.write("行き先.txt", "名古屋\r\n")
        self.a.write("Pavlune.2.txt", "15時戻り\r\n")
        self.a.extra_env["PAVLUNE_STANDIN_MS"] = "1000"

    def test_many_choices_give_the_expected_message_everywhere(self):
        a = self.start(self.a)
        for number, (keys, phrase, message) in enumerate(CHOICES, start=1):
            with self.subTest(message=message, keys=keys):
                listener = self.peer.peer_listen(5963, 20, count=1)
                self.assertTrue(self.a.press_on_tray(1), "no message menu")
                self.a.keys(*keys, "Return")
                if phrase is not None:
                    self.phrase_dialog()
                    self.assertEqual(self.a.wintool("set-text", "追加文の入力", phrase)[0], 0)
                    self.a.keys("Return")
                start = self.wait_saver("start", number)
                self.assertEqual(start[5], message, "the saver's text")
                self.expect_record(listener.collect(), message or " ")  # an empty message goes as a blank
                self.wait_saver("end", number)
        self.assertEqual(self.a.read("行き先.txt"), "大阪\r\n名古屋\r\n")
        self.assertEqual(self.a.read("Pavlune.2.txt"), "表\\ソ\r\n直帰します\r\n15時戻り\r\n")

        # A double-click on the tray icon repeats the default entry. Under
        # Wine the menu that opens on the first press takes the second one,
        # so the shell's notice of the double-click is sent directly.
        listener = self.peer.peer_listen(5963, 20, count=1)
        self.assertEqual(self.a.wintool("post", MAIN_WINDOW_CLASS, "33673", "1999", "0x0203")[0], 0)
        start = self.wait_saver("start", len(CHOICES) + 1)
        self.assertEqual(start[5], "会議中")
        self.expect_record(listener.collect(), "会議中")
        self.a.screenshot("road-saver")
        self.wait_saver("end", len(CHOICES) + 1)

        self.a.taskkill()
        self.assertEqual(exited(a), 0)

    def test_three_d_text_keeps_16_bytes_while_the_lan_hears_it_all(self):
        previous = "[Screen Saver.3DText]\r\nText=前の文\r\nDemoType=2\r\n"
        (self.a.windows_dir / "control.ini").write_bytes(encode(previous))
        self.a.write("Pavlune.INI", f"[Pavlune Settings]\r\nMyName={MY_NAME}\r\nKIND=0\r\n")
        self.a.write("Pavlune.2.txt", "")
        a = self.start(self.a)
        listener = self.peer.peer_listen(5963, 20, count=1)
        self.choose(2)
        self.phrase_dialog()
        self.assertEqual(self.a.wintool("set-text", "追加文の入力", "15時戻り予定です")[0], 0)
        self.a.keys("Return")
        start = self.wait_saver("start", 1)
        self.assertTrue(start[1].endswith("3D テキスト (OpenGL).SCR"), start[1])
        self.assertEqual(start[5], "外出(15時戻り予")  # 16 bytes would split 定
        self.expect_record(listener.collect(), "外出(15時戻り予定です)")
        self.wait_saver("end", 1)
        section = lambda: ini_section(self.a.windows_dir / "control.ini", "Screen Saver.3DText")
        self.assertTrue(wait_until(lambda: section() == previous, 10), section())
        self.a.taskkill()
        self.assertEqual(exited(a), 0)


BOOT_WITH_THE_MESSAGE_SAVER = "[boot]\r\nSCRNSAVE.EXE=C:\\windows\\system32\\ssmarque.SCR\r\n"


class WindowsXpRoad(Road, unittest.TestCase):
    VERSION = "winxp"
    SAVERS = ("ssmarque.scr", "sstext3d.scr")

    def setUp(self):
        super().setUp()
        code, _ = self.a.wine("reg", "add", "HKCU\\Control Panel\\Screen Saver.Marquee", "/v", "Text", "/d",
                              "前の文", "/f")
        self.assertEqual(code, 0)

    def registry_text(self):
        code, out = self.a.wine("reg", "query", "HKCU\\Control Panel\\Screen Saver.Marquee", "/v", "Text")
        match = re.search(r"Text\s+REG_SZ\s+([^\r\n]*)", out.decode("cp932", "replace"))
        return match.group(1) if match else None

    def system_ini_boot(self):
        return ini_section(self.a.windows_dir / "system.ini", "boot")

    def saver_settings(self):
        code, out = self.a.wintool("saver-settings")
        self.assertEqual(code, 0)
        return tuple(int(v) for v in out.split())

    def test_choosing_a_message_takes_the_saver_over(self):
        saver_was_active = self.a.saver_active()
        a = self.start(self.a)
        before = self.saver_settings()
        listener = self.peer.peer_listen(5963, 20, count=1)
        self.choose(1)
        # The saver is left to the idle time-out: 1 second, for 3 seconds.
        seen = []
        deadline = time.monotonic() + 8
        while time.monotonic() < deadline:
            seen.append((round(time.monotonic(), 1), *self.saver_settings()))
        self.assertIn((1, 1), [sample[1:] for sample in seen], seen)
        short = [t for t, timeout, _ in seen if timeout == 1]
        self.assertLess(short[-1] - short[0], 3.6, seen)
        self.assertEqual(seen[-1][1:], (before[0], 1), "the time-out was not put back")
        self.expect_record(listener.collect(), "会議中")
        # Wine starts no saver from the idle time-out: the settings tell.
        self.assertTrue(wait_until(lambda: self.system_ini_boot() == BOOT_WITH_THE_MESSAGE_SAVER, 15),
                        self.system_ini_boot())
        self.assertEqual(self.registry_text(), "会議中", "the message did not stay in the saver's settings")

        # The listed saver and the current one start by the process method.
        self.assertTrue(self.a.press_on_tray(3))
        self.a.keys("Down", "Right")  # スクリーンセーバースタート > 現在設定中のセーバー
        self.a.screenshot("road-saver-submenu")
        self.a.keys("Return")
        start = self.wait_saver("start", 1)
        self.assertEqual(start[3], "[/S]")
        self.assertTrue(start[1].lower().endswith("ssmarque.scr"), start[1])
        self.wait_saver("end", 1)

        # The same item chosen with the right button opens the saver's settings
        # (Wine's shell passes the saver no argument for them).
        self.assertTrue(self.a.press_on_tray(3))
        self.a.keys("Down", "Right")
        x, y = self.a.wintool("menu-point")[1].split()
        self.a.xdotool("mousemove", x.decode(), y.decode(), "click", "3")
        start = self.wait_saver("start", 2)
        self.assertEqual(start[3], "", "the right button did not open the settings")
        self.assertTrue(start[1].lower().endswith("ssmarque.scr"), start[1])

        self.a.taskkill()
        self.assertEqual(exited(a), 0)
        self.assertEqual(self.a.read("Pavlune.INI"), f"[Pavlune Settings]\r\nMyName={MY_NAME}\r\n" +
                         keys_at_exit(saver_was_active, ScreenSaveJack=1), "take-over was not checked")
        self.assertEqual(self.planted_loaded(), [])


class Windows10Road(WindowsXpRoad):
    """The same road on the Windows that offices run today."""
    VERSION = "win10"

    def test_three_d_text_shows_the_message_from_its_own_key(self):
        key = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Screensavers\\ssText3d"
        self.assertEqual(self.a.wine("reg", "add", key, "/v", "DisplayTime", "/t", "REG_DWORD", "/d", "1", "/f")[0], 0)
        self.a.write("Pavlune.INI", f"[Pavlune Settings]\r\nMyName={MY_NAME}\r\nKIND=0\r\n")
        a = self.start(self.a)
        self.choose(1)
        self.assertTrue(wait_until(lambda: (self.system_ini_boot() or "").lower().endswith("\\sstext3d.scr\r\n"), 15))
        # Taken over: the message stays, shown as text instead of the clock.
        values = self.a.wine("reg", "query", key)[1].decode("cp932", "replace")
        self.assertRegex(values, r"DisplayString\s+REG_SZ\s+会議中")
        self.assertRegex(values, r"DisplayTime\s+REG_DWORD\s+0x0\b")
        self.a.taskkill()
        self.assertEqual(exited(a), 0)
        # At the close the saver's own values come back; one that was not there goes again.
        values = self.a.wine("reg", "query", key)[1].decode("cp932", "replace")
        self.assertRegex(values, r"DisplayTime\s+REG_DWORD\s+0x1\b")
        self.assertNotIn("DisplayString", values)
        # At the session's end (the process then ended, as Windows does) and at
        # the next start after a kill, they come back as well.
        query = lambda: self.a.wine("reg", "query", key)[1].decode("cp932", "replace")  # noqa: E731
        for road in ("end-session", "kill"):
            a = self.start(self.a)
            self.choose(1)
            self.assertTrue(wait_until(lambda: re.search(r"DisplayTime\s+REG_DWORD\s+0x0\b", query()), 15))
            if road == "kill":
                a.kill()
                a.wait()
                a = self.start(self.a)
            else:
                self.assertEqual(self.a.wintool("end-session", MAIN_WINDOW_CLASS)[0], 0)
            values = query()
            self.assertRegex(values, r"DisplayTime\s+REG_DWORD\s+0x1\b", road)
            self.assertNotIn("DisplayString", values, road)
            a.kill()


if __name__ == "__main__":
    unittest.main(verbosity=2)
