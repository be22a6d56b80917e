"""The tray icon and its two menus, driven with the mouse and keyboard on
Wine's tray window, as a person would."""
import subprocess
import unittest

from pavlune_lan import ANSWERED_SETTINGS, Lan, MAIN_WINDOW_CLASS, PROGRAM_DIR, keys_at_exit, wait_until

MENU = ("// 在席表示\r\n#在席\r\n会議中\r\n@外出\r\n-\r\n帰宅\\本日は帰宅しました\r\n帰宅\\明日は休みです\r\n")


def exited(process, seconds=30):
    try:
        return process.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        return None


class Tray(unittest.TestCase):
    def setUp(self):
        self.lan = Lan(1).__enter__()
        self.addCleanup(self.lan.__exit__, None, None, None)
        self.pc = self.lan.pcs[0]
        self.pc.write("Pavlune.TXT", MENU)
        self.saver_was_active = self.pc.saver_active()
        self.process = self.pc.start()
        self.assertIsNotNone(self.pc.tray_point(), "no tray icon appeared")

    def test_message_menu_opens_on_left_press(self):
        self.assertTrue(self.pc.press_on_tray(1), "no menu opened on the left button")
        self.pc.screenshot("message-menu")
        self.pc.keys("Down", "Down", "Down", "Return")  # 外出, the third message, asks for a phrase
        self.assertIsNotNone(self.pc.wait_box("追加文の入力"), "the left button did not open the message menu")
        x, y = (int(v) for v in self.pc.wintool("field-point", "追加文の入力")[1].split())
        self.pc.xdotool("mousemove", str(x), str(y), "click", "1")  # the keys go where the user clicked
        self.pc.keys("Escape")
        self.assertTrue(wait_until(lambda: self.pc.wait_box("追加文の入力", seconds=0) is None, 10))
        self.assertIsNone(self.process.poll())

    def test_command_menu_opens_on_right_press_and_exit_ends_the_program(self):
        self.assertTrue(self.pc.press_on_tray(3), "no menu opened on the right button")
        self.pc.screenshot("command-menu")
        self.pc.keys("x")  # 終了(&X), which only the command menu has
        self.assertEqual(exited(self.process), 0)
        self.assertEqual(self.pc.read("Pavlune.INI"), ANSWERED_SETTINGS + keys_at_exit(self.saver_was_active))
        self.assertTrue(wait_until(lambda: self.pc.tray_point(seconds=0) is None, 10),
                        "the tray icon stayed after the exit")

    def test_toggles_are_saved_at_exit(self):
        # 付加文字自動並べ替え has no access key: walk down to it.
        self.assertTrue(self.pc.press_on_tray(3))
        self.pc.keys(*["Down"] * 9, "Return")
        self.assertEqual(self.pc.wintool("wait-no-menu", "10000")[0], 0)
        self.assertTrue(self.pc.press_on_tray(3))
        self.pc.keys("x")
        self.assertEqual(exited(self.process), 0)
        self.assertEqual(self.pc.read("Pavlune.INI"),
                         ANSWERED_SETTINGS + keys_at_exit(self.saver_was_active, SortString=1))

    def test_reload_command_reads_the_file_again(self):
        self.pc.file("Pavlune.TXT").unlink()
        self.assertTrue(self.pc.press_on_tray(3))
        self.pc.keys("r")  # メニューリロード(&R)
        text = self.pc.wait_box()
        self.pc.screenshot("reload-missing-file")
        self.assertTrue(self.pc.press_ok())
        self.assertEqual(text, "メニュー定義ファイル" + PROGRAM_DIR +
                         "\\Pavlune.TXTが見つかりません。\n\nプログラムを終了します。")
        self.assertEqual(exited(self.process), 0, "a reload without the file ends the program")

    def test_an_edit_of_the_definition_file_reloads_the_menu_until_switched_off(self):
        # Saved as editors do: in place (as Notepad does), or another file
        # renamed over the old one. The new first line names an icon that is
        # not there, so the reload says so.
        def save(text):
            self.pc.write("Pavlune.new", text)
            self.pc.file("Pavlune.new").replace(self.pc.file("Pavlune.TXT"))

        for edit in (lambda text: self.pc.write("Pavlune.TXT", text), save):
            edit("$nothere.ico$休暇\r\n" + MENU)
            self.assertEqual(self.pc.wait_box(seconds=10), "ファイル nothere.ico は開けません.", "no reload")
            self.assertTrue(self.pc.press_ok())
            self.assertIsNone(self.process.poll(), "the program ended with the reload")

        self.assertTrue(self.pc.press_on_tray(3))
        self.pc.keys(*["Down"] * 8, "Return")  # 自動メニューリロード off
        self.assertEqual(self.pc.wintool("wait-no-menu", "10000")[0], 0)
        save("$nothere.ico$休暇\r\n" + MENU)
        self.assertIsNone(self.pc.wait_box(seconds=8), "reloaded with automatic reload off")
        self.pc.taskkill()
        self.assertEqual(exited(self.process), 0)
        self.assertEqual(self.pc.read("Pavlune.INI"),
                         ANSWERED_SETTINGS + keys_at_exit(self.saver_was_active, AutoReload=0))

    def test_about_box_opens_from_the_command_menu(self):
        self.assertTrue(self.pc.press_on_tray(3))
        self.pc.keys("a")  # Pavluneについて(&A)...
        self.assertIsNotNone(self.pc.wait_box("Pavlune バージョン情報"), "no about box")
        self.pc.screenshot("about-box")
        self.assertTrue(self.pc.press_ok("Pavlune バージョン情報"))
        self.assertTrue(wait_until(lambda: self.pc.wait_box("Pavlune バージョン情報", seconds=0) is None, 10))
        self.assertIsNone(self.process.poll(), "the program ended with the about box")

    def test_icon_comes_back_when_the_shell_restarts(self):
        # What a dying shell does to the icon, then what a new shell announces.
        self.assertEqual(self.pc.wintool("tray-delete", MAIN_WINDOW_CLASS, "1999")[0], 0)
        self.assertTrue(wait_until(lambda: self.pc.tray_point(seconds=0) is None, 10), "the icon was not removed")
        self.assertEqual(self.pc.wintool("taskbar-created")[0], 0)
        self.assertIsNotNone(self.pc.tray_point(), "the icon did not come back")
        self.assertTrue(self.pc.press_on_tray(1), "the returned icon does not answer")
        self.pc.keys("Escape")
        self.assertEqual(self.pc.wintool("wait-no-menu", "10000")[0], 0)
        self.assertNotEqual(self.pc.wintool("wait-menu", "2000")[0], 0, "the click's select opened a second menu")


if __name__ == "__main__":
    unittest.main(verbosity=2)
