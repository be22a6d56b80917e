"""Pavlune on a simulated LAN: PCs A, B and C run Pavlune, PC D runs a
scripted peer that speaks the wire format."""
import re
import subprocess
import time
import unittest

from pavlune_lan import Lan, MAIN_WINDOW_CLASS, STATUS_LIST_TITLE as LIST_TITLE, encode, wait_until

NAMES = {1: "安藤\\営業部\\1課", 2: "ソフト太郎\\開発部", 3: "表田\\総務部\\2課"}  # ソ and 表 end in 0x5C


def exited(process, seconds=30):
    try:
        return process.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        return None


def record(stamp, whereabouts, my_name):
    return encode(f"{stamp}\\{whereabouts}\\{my_name}") + b"\0"


class LanTest(unittest.TestCase):
    def setUp(self):
        self.lan = Lan(4).__enter__()
        self.addCleanup(self.lan.__exit__, None, None, None)
        self.a, self.b, self.c, self.peer = self.lan.pcs
        self.processes = {}
        for index, pc in ((1, self.a), (2, self.b), (3, self.c)):
            pc.write("Pavlune.INI", f"[Pavlune Settings]\r\nMyName={NAMES[index]}\r\n")

    def start(self, pc):
        process = pc.start()
        self.assertTrue(pc.wait_main_window(), "Pavlune did not start")
        self.assertIsNotNone(pc.tray_point(), "no tray icon")
        return process

    def open_status_list(self, pc):
        self.assertTrue(pc.open_status_list(), "no status list")

    def rows(self, pc):
        rows = pc.status_rows()
        self.assertIsNotNone(rows, "the status list is not open")
        return rows

    def wait_rows(self, pc, expected, seconds=20):
        wait_until(lambda: self.rows(pc) == expected, seconds, step=0.3)
        self.assertEqual(self.rows(pc), expected)

    def test_presence_between_three_pcs_and_a_peer(self):
        a = self.start(self.a)
        self.start(self.c)

        # B's start-up asks everybody; A, C and B itself answer, each with
        # the bare log-off reply since none has set a status yet.
        listener = self.peer.peer_listen(5963, 10)
        self.start(self.b)
        by_sender = {}
        for host, _, data in listener.collect():
            by_sender.setdefault(host, []).append(data)
        request = by_sender[self.b.address][0]
        payload = encode("\\\\GETSTATE\\ \\" + NAMES[2]) + b"\0"
        self.assertRegex(request[:19].decode(), r"^\d{4}/\d\d/\d\d \d\d:\d\d:\d\d$")
        self.assertEqual(request[19:], payload)
        for pc in (self.a, self.b, self.c):
            answer = rb"^\d{4}/\d\d/\d\d \d\d:\d\d:\d\d\\\\LOGOFF\0$"
            self.assertTrue(any(re.match(answer, d) for d in by_sender.get(pc.address, [])), f"PC {pc.index}")

        # A status record from the peer reaches every table.
        self.open_status_list(self.b)
        self.open_status_list(self.c)
        self.peer.peer_send("255.255.255.255", 5963, record("2002/01/21 09:05:07", "会議中", "山田\\開発部\\2課"))
        expected = ["山田\t会議中\t2002/01/21 09:05:07\t開発部\t2課"]
        self.wait_rows(self.b, expected)
        self.wait_rows(self.c, expected)
        self.b.screenshot("status-list")

        # A personal message from B's list goes to the peer's own address.
        messages = self.peer.peer_listen(5964, 30, count=1)
        x, y = (int(v) for v in self.b.wintool("list-point", LIST_TITLE, "0")[1].split())
        self.b.xdotool("mousemove", str(x), str(y), "click", "--repeat", "2", "--delay", "80", "1")
        self.assertIsNotNone(self.b.wait_box("送付メッセージ入力"), "no input dialog")
        self.b.screenshot("personal-message-input")
        self.b.keys("Return")
        [(host, port, data)] = messages.collect()
        self.assertEqual((host, port), (self.b.address, 5965))
        self.assertRegex(data.decode("cp932"), r"^ソフト太郎\n<<\d{4}/\d\d/\d\d \d\d:\d\d>>\nもしもし$")

        # A's row goes when A logs off.
        self.peer.peer_send("255.255.255.255", 5963, record("2002/01/21 09:10:00", "在席", NAMES[1]))
        self.wait_rows(self.b, ["安藤\t在席\t2002/01/21 09:10:00\t営業部\t1課", expected[0]])
        self.a.taskkill()
        self.assertEqual(exited(a), 0)
        self.wait_rows(self.b, expected)
        self.wait_rows(self.c, expected)

        # A personal message pops up on C.
        self.peer.peer_send(self.c.address, 5964, encode("山田\n<<2002/01/21 09:12>>\nお先に失礼します"))
        self.assertEqual(self.c.wait_box(), "山田\n<<2002/01/21 09:12>>\nお先に失礼します")
        self.c.screenshot("personal-message")
        self.assertTrue(self.c.press_ok())

        # Awake after sleep, C asks everybody (three times) and repeats its last word once,
        # the same bytes; the second notice of the same wake adds nothing.
        listener = self.peer.peer_listen(5963, 8)
        for event in ("0x12", "7"):  # PBT_APMRESUMEAUTOMATIC, PBT_APMRESUMESUSPEND
            self.assertEqual(self.c.wintool("post", MAIN_WINDOW_CLASS, "0x218", event, "0")[0], 0)
        heard = [data for host, _, data in listener.collect() if host == self.c.address]
        self.assertEqual([d for d in heard if d != heard[0]], [d for d in by_sender[self.c.address] if d.endswith(b"\\LOGOFF\0")][:1], heard)
        self.assertEqual(heard[0][19:], encode("\\\\GETSTATE\\ \\" + NAMES[3]) + b"\0")

    def test_hostile_datagrams_change_the_table_only_as_the_rules_say(self):
        b = self.start(self.b)
        self.open_status_list(self.b)
        hostile = [
            b"", b"\0", b"\\", b"\\\\", b"no separators at all", b"\\\\\\\\\\\\",
            encode("2002/01/01 00:00:00\\\\getstate\\ \\小文字\\課"),   # other letter case: a record
            encode("2002/01/01 00:00:00\\\\LOGOFF"),                     # bare log-off reply
            encode("2002/01/01 00:00:00\\表示中\\名無し") + b"\0",        # no separator after the name
            encode("2002/01/01 00:00:00\\在席\\ゼロ\\前") + b"\0" + encode("後ろ\\は無視"),
            b"\xff" * 3000,                                                # longer than the buffer
            bytes(range(256)),
            encode("2002/01/01 00:00:00\\外出\\ソ\\表\\2\\3"),               # no zero byte at all
        ]
        self.peer.peer_send("255.255.255.255", 5963, *hostile)
        # Six backslashes read as an empty command word, then an empty
        # whereabouts, an empty name and an empty category 2.
        self.wait_rows(self.b, [
            "\t\t\t\t",
            "ゼロ\t在席\t2002/01/01 00:00:00\t前\t",
            "ソ\t外出\t2002/01/01 00:00:00\t表\t2\\3",
            "小文字\t \t2002/01/01 00:00:00\t課\t",
        ])
        self.assertEqual(self.b.wintool("ping", MAIN_WINDOW_CLASS, "5000")[0], 0)
        self.assertIsNone(b.poll())

    def test_flood_of_personal_messages_leaves_the_program_responsive(self):
        a = self.start(self.a)
        self.peer.peer_flood(self.a.address, 5964, 10000, encode("洪水\n<<2002/01/21 09:00>>\n"))
        self.assertIsNotNone(self.a.wait_box(), "no message shown")
        self.assertEqual(self.a.wintool("ping", MAIN_WINDOW_CLASS, "5000")[0], 0, "the main window hangs")
        self.assertTrue(self.a.press_on_tray(3), "the tray menu does not open during the flood")
        self.a.keys("Escape")
        self.a.taskkill()
        self.assertEqual(exited(a, 60), 0, "the program did not end cleanly")

    def test_a_storm_of_state_requests_gets_a_few_answers(self):
        a = self.start(self.a)
        listener = self.peer.peer_listen(5963, 6)
        # 1,000 requests in well under a second, each from another "requester".
        self.peer.peer_flood(self.a.address, 5963, 1000, encode("2002/01/01 00:00:00\\\\GETSTATE\\ \\嵐"),
                             encode("\\x\0"))
        answers = [data for host, _, data in listener.collect() if host == self.a.address]
        self.assertGreaterEqual(len(answers), 1, "the requests were not answered")
        self.assertLessEqual(len(answers), listener.most_at_one_per(self.a.address, 0.5), f"{len(answers)} answers")

        self.a.taskkill()
        self.assertEqual(exited(a), 0)

    def test_on_a_lossy_lan_a_status_reaches_everyone_and_a_refresh_converges(self):
        pcs, wire = (self.a, self.b, self.c), self.peer  # the peer hears every datagram
        for pc in pcs:
            pc.write("Pavlune.TXT", "会議中\r\n外出\r\n")
            pc.lose_presence(20)
            self.start(pc)
            self.open_status_list(pc)
        status = dict(zip([NAMES[pc.index].split("\\")[0] for pc in pcs], ("会議中", "外出", "会議中")))
        heard = wire.peer_listen(5963, 20)
        for pc, downs in zip(pcs, (1, 2, 1)):
            self.assertTrue(pc.choose_message(downs))
        chosen = time.monotonic()
        pairs = lambda: sum(OfficeTest.whereabouts(self, pc).get(n) == w for pc in pcs for n, w in status.items())  # noqa: E731
        wait_until(lambda: pairs() == 9, 15, step=0.5)
        self.assertGreaterEqual(pairs(), 8, "a status did not reach its colleagues")
        records = heard.collect()
        for pc in pcs:  # each status three times, the same bytes
            sent = [d for h, _, d in records if h == pc.address and d[20:21] != b"\\"]
            self.assertTrue(len(sent) == 3 and len(set(sent)) == 1, sent)

        # A ghost is greyed by a Refresh and goes with the next; no Refresh loses a live colleague.
        wire.peer_send("255.255.255.255", 5963, *[record("2002/01/21 09:05:07", "幽霊", "幽霊\\x")] * 3)
        self.assertTrue(wait_until(lambda: OfficeTest.whereabouts(self, self.a).get("幽霊") == "幽霊", 20))
        live = lambda: {n for n in list(status)[1:] if OfficeTest.whereabouts(self, self.a).get(n) == status[n]}  # noqa: E731
        before = live()
        time.sleep(max(0.0, chosen + 4 - time.monotonic()))  # the repeats are over
        heard = wire.peer_listen(5963, 8)
        self.assertTrue(self.a.refresh())
        records = heard.collect()
        requests = [d for h, _, d in records if h == self.a.address and b"GETSTATE" in d]
        self.assertTrue(len(requests) == 3 and len(set(requests)) == 1, requests)
        for pc in (self.b, self.c):
            self.assertLessEqual(len([d for h, _, d in records if h == pc.address]), 2, "answered more than twice")
        self.assertTrue(live() >= before and "幽霊" in OfficeTest.whereabouts(self, self.a), "after the first Refresh")
        others = lambda: OfficeTest.whereabouts(self, self.a) == {n: status[n] for n in list(status)[1:]}  # noqa: E731
        self.assertTrue(any(self.a.refresh() and wait_until(others, 6) for _ in range(2)))

        heard = wire.peer_listen(5963, 5)
        self.a.taskkill()
        logoffs = [d for h, _, d in heard.collect() if h == self.a.address]
        self.assertTrue(len(logoffs) == 3 and len(set(logoffs)) == 1 and b"LOGOFF\\" in logoffs[0], logoffs)


FLOOR_1, FLOOR_2 = "10.59.1.255", "10.59.2.255"
STAMP = rb"\d{4}/\d\d/\d\d \d\d:\d\d:\d\d"


class LayoutTest(unittest.TestCase):
    """Four PCs of a layout of scripts/lib/lan; D runs no Pavlune."""
    LAYOUT = None

    def setUp(self):
        self.lan = Lan(layout=self.LAYOUT).__enter__()
        self.addCleanup(self.lan.__exit__, None, None, None)
        self.a, self.b, self.c, self.d = self.lan.pcs
        self.processes = {}
        for index, pc in ((1, self.a), (2, self.b), (3, self.c)):
            pc.write("Pavlune.TXT", "会議中\r\n外出\r\n")
            self.settings(pc)

    def settings(self, pc, broadcast_to=None):
        extra = f"BroadcastTo={broadcast_to}\r\n" if broadcast_to is not None else ""
        pc.write("Pavlune.INI", f"[Pavlune Settings]\r\nMyName={NAMES[pc.index]}\r\n{extra}")

    def start(self, pc):
        self.processes[pc.index] = LanTest.start(self, pc)

    def stop(self, pc):
        pc.taskkill()
        self.assertEqual(exited(self.processes.pop(pc.index)), 0)

    def whereabouts(self, pc):
        """Name -> whereabouts in pc's open status list."""
        rows = pc.status_rows() or []
        return {row.split("\t")[0]: row.split("\t")[1] for row in rows}

    def wait_list(self, pc, expected, name=None, seconds=20):
        """Waits for pc's whole list, or with name for that row's whereabouts."""
        seen = lambda: self.whereabouts(pc).get(name) if name else self.whereabouts(pc)  # noqa: E731
        wait_until(lambda: seen() == expected, seconds, step=0.1)
        self.assertEqual(seen(), expected, f"{name or 'the list'} at PC {pc.index}")


class OfficeTest(LayoutTest):
    """Two floors joined by a router that forwards directed broadcasts: A on
    floor 1, B on floor 2, C at home reached only through the router's host
    route (a VPN); D on floor 2 listens and floods."""
    LAYOUT = "office"

    def test_presence_across_the_router_and_over_the_vpn(self):
        a_name, b_name, c_name = (NAMES[i].split("\\")[0] for i in (1, 2, 3))

        # Without BroadcastTo each floor keeps to itself, and B sends exactly
        # what it always sent: one request, one answer, nothing else.
        heard = self.d.peer_listen(5963, 600)  # stopped once B has said all it says
        self.start(self.a)
        self.start(self.b)
        self.assertTrue(self.a.open_status_list())
        self.assertTrue(self.b.open_status_list())
        self.assertTrue(self.a.choose_message())
        self.wait_list(self.a, "会議中", a_name)
        self.d.peer_send("255.255.255.255", 5963, record("2002/01/21 09:05:07", "印", "印\\floor2"))
        self.wait_list(self.b, "印", "印")
        self.assertEqual(self.whereabouts(self.b), {"印": "印"}, "floor 1 reached floor 2 without BroadcastTo")
        wire = heard.collect(stop=True)
        self.assertNotIn(self.a.address, [host for host, _, _ in wire])
        from_b = [data for host, _, data in wire if host == self.b.address]
        kinds = list(dict.fromkeys(from_b))  # the request three times, its own answer twice
        self.assertEqual([from_b.count(kind) for kind in kinds], [3, 2], from_b)
        self.assertRegex(kinds[0], STAMP + re.escape(encode("\\\\GETSTATE\\ \\" + NAMES[2]) + b"\0") + b"$")
        self.assertRegex(kinds[1], STAMP + rb"\\\\LOGOFF\0$")
        self.stop(self.a)
        self.stop(self.b)

        # Each floor lists the other; A's list also holds junk, named once at start-up.
        junk_and_floor_2 = f"server1, {FLOOR_2} 0.0.0.0,224.0.0.251"
        self.settings(self.a, junk_and_floor_2)
        self.settings(self.b, FLOOR_1)
        self.start(self.b)
        self.assertTrue(self.b.open_status_list())
        self.start(self.a)
        box = self.a.wait_box()
        self.assertEqual(box, "設定ファイルの BroadcastTo にある次の宛先は使えないため、無視します。\n\n"
                              "server1\n0.0.0.0\n224.0.0.251")
        self.a.screenshot("broadcast-to-skipped")
        self.assertTrue(self.a.press_ok())

        # A message chosen on floor 1 shows on floor 2, and a refresh there finds it again.
        self.assertTrue(self.a.choose_message())
        chosen = time.monotonic()
        self.wait_list(self.b, "会議中", a_name)
        print(f"\nfloor 1 to floor 2: {time.monotonic() - chosen:.2f} s from the choice to the other list", flush=True)
        self.d.peer_send("255.255.255.255", 5963, record("2002/01/21 09:05:07", "印", "印\\floor2"))
        self.wait_list(self.b, "印", "印")
        self.assertTrue(self.b.refresh())
        time.sleep(3.5)  # the first greys 印, the second drops it
        self.assertTrue(self.b.refresh())
        self.wait_list(self.b, {a_name: "会議中"})
        self.assertTrue(self.b.choose_message(2))
        self.assertTrue(self.a.open_status_list())
        self.wait_list(self.a, "外出", b_name)

        # At home, listing floor 1 only: a refresh finds floor 1, and nobody
        # needs to list home for floor 1 to see C's message.
        self.settings(self.c, FLOOR_1)
        self.start(self.c)
        self.assertTrue(self.c.open_status_list())
        self.assertTrue(self.c.refresh())
        self.wait_list(self.c, {a_name: "会議中"})
        self.c.screenshot("broadcast-to-home")
        self.assertTrue(self.c.choose_message())
        self.wait_list(self.a, "会議中", c_name)
        self.a.screenshot("broadcast-to-floor-1")

        # Once C's status repeats are over, Refresh on floor 1 lists floor 2 again (home is not asked).
        time.sleep(3.5)
        self.assertTrue(self.a.refresh())
        time.sleep(3.5)  # C and A's own row are greyed first
        self.assertTrue(self.a.refresh())
        self.wait_list(self.a, {b_name: "外出"})

        # 1,000 requests from home in one burst: a few answers come back.
        self.stop(self.c)
        answers = self.c.peer_listen(5963, 6)
        self.c.peer_flood(FLOOR_1, 5963, 1000, encode("2002/01/01 00:00:00\\\\GETSTATE\\ \\嵐"), encode("\\x\0"))
        from_a = [data for host, _, data in answers.collect() if host == self.a.address]
        print(f"1,000 requests from home: {len(from_a)} answers from floor 1", flush=True)
        self.assertGreaterEqual(len(from_a), 1, "home got no answer")
        self.assertLessEqual(len(from_a), answers.most_at_one_per(self.a.address, 0.5), f"{len(from_a)} answers")
        self.stop(self.a)


class TwoAdapterTest(LayoutTest):
    """A has a second adapter, a VPN whose far end C runs no Pavlune and
    takes A's default route. B and D are on the other /24 of a /23 office."""
    LAYOUT, BROADCAST_TO = "vpn23", None

    def test_the_office_hears_a_pc_whose_default_route_is_a_vpn(self):
        a_name, b_name = (NAMES[i].split("\\")[0] for i in (1, 2))
        self.settings(self.a, self.BROADCAST_TO)
        self.start(self.b)
        self.assertTrue(self.b.open_status_list())
        self.assertTrue(self.b.choose_message(2))
        # A's request at start-up and A's status go out by the office adapter's broadcast too.
        self.start(self.a)
        self.assertTrue(self.a.open_status_list())
        self.wait_list(self.a, "外出", b_name)
        self.assertTrue(self.a.choose_message())
        self.wait_list(self.b, "会議中", a_name)
        # D is in A's subnet or in the list: A's answers are broadcasts only, two a round.
        time.sleep(5)  # A's own requests and status repeats are over
        answers = self.d.peer_listen(5963, 5)
        self.d.peer_send("255.255.255.255", 5963, encode("2002/01/01 00:00:00\\\\GETSTATE\\ \\嵐\\x") + b"\0")
        heard = [host for host, _, _ in answers.collect()]
        self.assertEqual(heard.count(self.a.address), 2, heard)
        self.stop(self.a)
        self.stop(self.b)


class HalfSubnetTest(TwoAdapterTest):
    """The same on a /25: B and D are in the other half, which A lists."""
    LAYOUT, BROADCAST_TO = "vpn25", "10.59.63.255"


if __name__ == "__main__":
    unittest.main(verbosity=2)
