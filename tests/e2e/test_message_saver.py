"""The away sign on an NT-line Windows: Pavlune's own message saver,
installed as the README says, on a profile that never configured it.
Wine starts no saver from the idle time-out, so wintool's idle-saver does
what Windows does: once the time-out has passed without input, it starts
the saver SYSTEM.INI names with "/s"."""
import re
import shutil
import unittest

from pavlune_lan import ANSWERED_SETTINGS, DIST, PROGRAM, Lan, ini_section, keys_at_exit, wait_until
from test_road import BOOT_WITH_THE_MESSAGE_SAVER, MENU, exited

SAVER_CLASS = "PavluneMarquee"
WINTOOL = "C:\\e2e\\wintool.exe"


class MessageSaverRoad:
    """The road on an NT-line Windows with Pavlune's own message saver
    installed as the README says and a profile that never configured it.
    Wine starts no saver from the idle time-out, so wintool's idle-saver
    does what Windows does: once the time-out has passed without input, it
    starts the saver SYSTEM.INI names with "/s"."""
    VERSION = None
    # Where dist/ was unzipped to, below C:\ (None: C:\Pavlune).
    FOLDER = None

    def setUp(self):
        self.lan = Lan(1, versions=self.VERSION).__enter__()
        self.addCleanup(self.lan.__exit__, None, None, None)
        self.pc = self.lan.pcs[0]
        shutil.copy(DIST / "ssmarque.scr", self.pc.system_dir / "ssmarque.scr")
        self.pc.write("Pavlune.TXT", MENU)
        # Only Pavlune's one-second time-out may start the saver, not the
        # test's own pauses between keys.
        self.pc.wine("reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "ScreenSaveTimeOut", "/d", "3600", "/f")
        self.program, self.program_dir = PROGRAM, self.pc.program_dir
        if self.FOLDER:
            self.program_dir = self.pc.prefix / "drive_c" / self.FOLDER
            shutil.copytree(self.pc.program_dir, self.program_dir)
            self.program = "C:\\" + self.FOLDER.replace("/", "\\") + "\\Pavlune.exe"

    def assert_current_saver(self, boot):
        self.assertEqual(boot, BOOT_WITH_THE_MESSAGE_SAVER)

    def registry_text(self):
        code, out = self.pc.wine("reg", "query", "HKCU\\Control Panel\\Screen Saver.Marquee", "/v", "Text")
        match = re.search(r"Text\s+REG_SZ\s+([^\r\n]*)", out.decode("cp932", "replace"))
        return match.group(1) if code == 0 and match else None

    def saver_running(self):
        return self.pc.wintool("ping", SAVER_CLASS, "2000")[0] == 0

    def choose_and_watch_the_saver(self, downs, message, screenshot=None):
        self.assertTrue(self.pc.press_on_tray(1), "no message menu")
        self.pc.keys(*["Down"] * downs, "Return")
        self.assertEqual(self.pc.wintool("wait-window", SAVER_CLASS, "60000", timeout=120)[0], 0,
                         "the message saver did not start")
        self.assertTrue(self.pc.text_scrolls_left(), "the message does not scroll right to left")
        if screenshot:
            self.pc.screenshot(screenshot)
        self.assertEqual(self.registry_text(), message)
        self.pc.keys("space")
        self.assertTrue(wait_until(lambda: not self.saver_running(), 20), "a key did not end the saver")

    def test_a_chosen_message_scrolls_on_the_message_saver_until_a_key(self):
        self.assertIsNone(self.registry_text(), "the profile has the Marquee saver's key already")
        saver_was_active = self.pc.saver_active()
        self.pc.start(WINTOOL, "idle-saver", "0")
        pavlune = self.pc.start(self.program)
        self.assertTrue(self.pc.wait_main_window(), "Pavlune did not start")
        self.assertIsNotNone(self.pc.tray_point(), "no tray icon")

        shot = f"message-saver-{self.VERSION}" + ("-beside-the-program" if self.FOLDER else "")
        self.choose_and_watch_the_saver(1, "会議中", screenshot=shot)
        # Take-over: the message saver stays current and the message stays.
        self.assert_current_saver(ini_section(self.pc.windows_dir / "system.ini", "boot"))
        self.assertEqual(self.registry_text(), "会議中")
        self.choose_and_watch_the_saver(3, "帰宅")
        self.assertEqual(self.registry_text(), "帰宅", "the previous text came back")

        self.pc.taskkill()
        self.assertEqual(exited(pavlune), 0)
        self.assertEqual((self.program_dir / "Pavlune.INI").read_bytes().decode("cp932"),
                         ANSWERED_SETTINGS + keys_at_exit(saver_was_active, ScreenSaveJack=1))


class Windows10MessageSaver(MessageSaverRoad, unittest.TestCase):
    VERSION = "win10"


class WindowsXpMessageSaver(MessageSaverRoad, unittest.TestCase):
    VERSION = "winxp"


class Windows10SaverBesideTheProgram(MessageSaverRoad, unittest.TestCase):
    """dist/ unzipped by a user without administrator rights into a folder
    whose path holds a blank and Japanese characters; the system folder has
    no message saver, so the one beside the program serves."""
    VERSION = "win10"
    FOLDER = "社内 ツール/伝言板"

    def setUp(self):
        super().setUp()
        (self.pc.system_dir / "ssmarque.scr").unlink()
        planted_loaded = self.pc.plant_dlls(self.program_dir)  # the saver is started from there
        self.addCleanup(lambda: self.assertEqual(planted_loaded(), []))

    def assert_current_saver(self, boot):
        current = re.fullmatch(r"\[boot\]\r\nSCRNSAVE\.EXE=([^\r\n]*)\r\n", boot).group(1)
        self.assertNotIn(" ", current, "a path with blanks would be misread")
        self.assertTrue(current.lower().endswith("\\ssmarque.scr"), current)
        self.assertFalse(current.lower().startswith("c:\\windows"), current)




if __name__ == "__main__":
    unittest.main()
