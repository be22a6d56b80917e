"""Windows' firewall on a PC of the LAN, played by tests/e2e/standin_firewall.cpp."""
import subprocess
import time
import unittest

from pavlune_lan import wait_until
from test_lan import NAMES, LayoutTest


class FirewallTest(LayoutTest):
    """A's firewall (the stand-in) blocks Pavlune as Windows does for a user never asked."""
    # A's own rules, by Enabled, Protocol, Profiles and Action.
    LAYOUT, RULE = "vpn23", "Pavlune\tC:\\Pavlune\\Pavlune.exe\t{}\t1\t{}\t*\t{}\t{}"

    def block_and_start(self, products=0, declined=""):
        self.settings(self.a)
        with open(self.a.file("Pavlune.INI"), "ab") as ini:
            ini.write(declined.encode())
        self.a.install_firewall(f"2 7 {products}\n{self.RULE.format(1, 17, 7, 0)}\n{self.RULE.format(1, 256, 2, 0)}\n")
        self.start(self.a)
        return self.a.wait_box(seconds=10)


    def test_a_blocked_pc_is_told_once_and_mended(self):
        self.start(self.b)
        self.assertTrue(self.b.choose_message(2))
        self.a.lose_presence(100)  # what the firewall drops
        # A block other than the one declined before is told.
        self.assertIn("ファイアウォールが Pavlune の受信をふさいでいる", self.block_and_start(0, "FirewallDeclined=1\r\n") or "")
        self.a.screenshot("firewall-blocks")
        time.sleep(5)  # A's start-up requests and B's status repeats are over: only a new round brings B
        subprocess.run(["ip", "netns", "exec", self.a.namespace, "nft", "delete", "table", "inet", "loss"], check=True)
        self.assertTrue(self.a.press_ok())  # the mend, elevated: the own block rules keep Public only, ours is added
        wait_until(lambda: "5963-5964" in self.a.firewall_text())
        ours = self.RULE.format(1, 17, 3, 1).replace("*", "5963-5964")
        self.assertEqual(self.a.firewall_text().splitlines()[1:],
                         [self.RULE.format(1, 17, 4, 0), self.RULE.format(0, 256, 2, 0), ours])
        self.assertTrue(self.a.open_status_list())
        self.wait_list(self.a, "外出", NAMES[2].split("\\")[0])  # the round after the mend
        self.assertIn("FirewallDeclined=\r\n", self.a.read("Pavlune.INI"))  # let through, the no is forgotten
        self.assertTrue(self.a.press_on_tray(3))
        self.a.keys("w")  # ファイアウォールの確認 answers whatever it finds
        self.assertEqual(self.a.wait_box(), "Windows のファイアウォールは Pavlune の受信を許しています。")
        self.assertTrue(self.a.press_ok())
        # Declined, the same block asks nothing at the next start; nor does another firewall.
        self.stop(self.a)
        self.assertIsNotNone(self.block_and_start())
        self.a.keys("Escape")
        wait_until(lambda: "FirewallDeclined=2" in self.a.read("Pavlune.INI"))
        self.stop(self.a)
        self.start(self.a)
        self.assertIsNone(self.a.wait_box(seconds=10))
        self.stop(self.a)
        self.assertIsNone(self.block_and_start(products=1))


if __name__ == "__main__":
    unittest.main(verbosity=2)
