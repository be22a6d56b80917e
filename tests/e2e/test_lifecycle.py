"""The real Pavlune.exe under Wine: single instance, definition file errors,
and the settings file written at exit."""
import subprocess
import unittest

from pavlune_lan import ANSWERED_SETTINGS, Lan, MAIN_WINDOW_CLASS, PROGRAM_DIR, keys_at_exit, wait_until

MENU = "#在席\n会議中\n@外出\n帰宅\\本日は帰宅しました\n"


def exited(process, seconds=30):
    try:
        return process.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        return None


class Lifecycle(unittest.TestCase):
    def setUp(self):
        self.lan = Lan(1).__enter__()
        self.addCleanup(self.lan.__exit__, None, None, None)
        self.pc = self.lan.pcs[0]
        self.pc.write("Pavlune.TXT", MENU.replace("\n", "\r\n"))
        # What SaverDisabled is written as follows from the system's flag.
        self.saver_was_active = self.pc.saver_active()

    def test_second_start_ends_at_once_and_close_writes_settings(self):
        first = self.pc.start()
        self.assertTrue(self.pc.wait_main_window(), "the main window never appeared")
        second = self.pc.start()
        self.assertEqual(exited(second), 0, "the second instance did not end with code 0")
        self.assertIsNone(first.poll(), "the first instance ended too")
        self.assertIsNone(self.pc.wait_box(seconds=1), "a second start must be silent")

        self.pc.taskkill()
        self.assertEqual(exited(first), 0)
        ini = self.pc.read("Pavlune.INI")
        self.assertEqual(ini, ANSWERED_SETTINGS + keys_at_exit(self.saver_was_active))

    def test_close_leaves_other_keys_and_sections_alone(self):
        before = ("[Other]\r\nA=1\r\n[Pavlune Settings]\r\nMyName=山田\\営業部\r\nPasswordEnabled=2\r\n"
                  "ScreenSaveJack=1\r\nKIND=1\r\n[Last]\r\nB=表示\r\n")
        self.pc.write("Pavlune.INI", before)
        process = self.pc.start()
        self.assertTrue(self.pc.wait_main_window())
        self.pc.taskkill()
        self.assertEqual(exited(process), 0)
        disabled = int(not self.saver_was_active)
        self.assertEqual(self.pc.read("Pavlune.INI"),
                         "[Other]\r\nA=1\r\n[Pavlune Settings]\r\nMyName=山田\\営業部\r\nPasswordEnabled=2\r\n"
                         "ScreenSaveJack=1\r\nKIND=1\r\nAutoReload=1\r\nSortString=0\r\nSaveString=1\r\n"
                         f"SaverDisabled={disabled}\r\nBackAtDesk=1\r\n[Last]\r\nB=表示\r\n")

    def test_faulty_definition_files_are_reported_and_end_the_program(self):
        cases = {
            "missing": (None, "メニュー定義ファイル" + PROGRAM_DIR + "\\Pavlune.TXTが見つかりません。\n\nプログラムを終了します。"),
            "empty": ("", "メニュー定義ファイルが空です。\n\nプログラムを終了します。"),
            "comments": ("// 在席表示メニュー\r\n//\r\n", "メニュー定義ファイルが空です。\n\nプログラムを終了します。"),
            "faulty": ("会議中\r\n帰宅\\  \r\n", "メニュー定義ファイルに誤りがあります。\n\nプログラムを終了します。"),
        }
        for name, (content, message) in cases.items():
            with self.subTest(name):
                ini = self.pc.file("Pavlune.INI")
                ini.unlink(missing_ok=True)
                definition = self.pc.file("Pavlune.TXT")
                definition.unlink(missing_ok=True)
                if content is not None:
                    self.pc.write("Pavlune.TXT", content)
                process = self.pc.start()
                text = self.pc.wait_box()
                self.pc.screenshot(f"definition-file-{name}")
                self.assertTrue(self.pc.press_ok())
                self.assertEqual(exited(process), 0)
                self.assertEqual(text, message)
                self.assertTrue(ini.exists(), "the settings file is written on the way out")
                # A program that is ending does not ask for the name.
                self.assertEqual(self.pc.read("Pavlune.INI"),
                                 "[Pavlune Settings]\r\n" + keys_at_exit(self.saver_was_active))

    def test_read_only_settings_file_is_reported_without_a_crash(self):
        before = "[Pavlune Settings]\r\nMyName=\r\nKIND=0\r\n"
        self.pc.write("Pavlune.INI", before)
        self.pc.file("Pavlune.INI").chmod(0o444)
        process = self.pc.start()
        self.assertTrue(self.pc.wait_main_window())
        self.pc.taskkill()
        text = self.pc.wait_box()
        self.pc.screenshot("read-only-settings")
        self.assertEqual(text, PROGRAM_DIR + "\\Pavlune.INI に書き込めません.")
        self.assertTrue(self.pc.press_ok())
        self.assertEqual(exited(process), 0)
        self.assertEqual(self.pc.read("Pavlune.INI"), before)

    def test_first_start_asks_for_the_name_once(self):
        self.pc.file("Pavlune.INI").unlink()
        # Closed while it asks (a polite taskkill), it stores no name: the next start asks.
        process = self.pc.start()
        self.assertIsNotNone(self.pc.wait_box("名前の設定"))
        self.pc.taskkill()
        self.assertEqual(exited(process), 0)
        self.assertNotIn("MyName", self.pc.read("Pavlune.INI"))
        process = self.pc.start()
        self.assertIsNotNone(self.pc.wait_box("名前の設定"), "a first start did not ask for the name")
        for fields, refusal in ((["山田", "営業部\\第一課"], "\\"), (["", "営業部"], "名前を"), (["山田", ""], "分類１を")):
            for index, text in enumerate(fields):
                self.assertEqual(self.pc.wintool("set-text", "名前の設定", text, str(index))[0], 0)
            self.assertTrue(self.pc.press_ok("名前の設定"))
            self.assertIn(refusal, self.pc.wait_box() or "", f"{fields} was not refused")
            self.assertTrue(self.pc.press_ok())
            self.assertTrue(wait_until(lambda: self.pc.wait_box(seconds=0) is None, 10))
        self.assertEqual(self.pc.wintool("set-text", "名前の設定", "営業部", "1")[0], 0)
        self.assertEqual(self.pc.wintool("set-text", "名前の設定", "第一課", "2")[0], 0)
        self.pc.screenshot("first-start-name")
        self.assertTrue(self.pc.press_ok("名前の設定"))
        self.assertEqual(self.pc.wintool("ping", MAIN_WINDOW_CLASS, "30000")[0], 0, "start-up did not end")
        self.assertIn("MyName=山田\\営業部\\第一課\r\n", self.pc.read("Pavlune.INI"))
        self.pc.taskkill()
        self.assertEqual(exited(process), 0)

        again = self.pc.start()
        self.assertTrue(self.pc.wait_main_window())
        self.assertEqual(self.pc.wintool("ping", MAIN_WINDOW_CLASS, "30000")[0], 0)
        self.assertIsNone(self.pc.wait_box("名前の設定", seconds=1), "the second start asked again")
        self.pc.taskkill()
        self.assertEqual(exited(again), 0)

    def test_main_window_is_never_shown(self):
        process = self.pc.start()
        self.assertTrue(self.pc.wait_main_window())
        # Once the main window answers, start-up is over.
        self.assertEqual(self.pc.wintool("ping", MAIN_WINDOW_CLASS, "30000")[0], 0)
        self.pc.screenshot("running")
        self.assertEqual(self.pc.wintool("visible-windows", MAIN_WINDOW_CLASS), (0, b""),
                         "the program shows a window of its own")
        self.pc.taskkill()
        self.assertEqual(exited(process), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
