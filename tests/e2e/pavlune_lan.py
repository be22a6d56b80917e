"""Simulated PCs for the end-to-end tests.

Each PC is a network namespace on one bridge, or in an office of two subnets
joined by a router (so broadcasts never leave the test), with a Wine prefix of its own holding a copy of dist/ in C:\\Pavlune,
and a virtual display of its own (its screen, with Wine's tray window).
Everything is removed again on exit, also when a test fails.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
LIB = ROOT / "scripts" / "lib"
DIST = Path(os.environ.get("PAVLUNE_DIST", ROOT / "dist"))
WINTOOL = os.environ.get("PAVLUNE_WINTOOL", "")
# The stand-in screen saver (tests/saver): it logs how it was started.
STANDIN = os.environ.get("PAVLUNE_STANDIN", "")
WINE = str(LIB / "wine")
PEER = Path(__file__).resolve().parent / "peer.py"
# A DLL leaving "<its path>.loaded", planted under the names of the DLLs outside Windows' known list
# the programs use; not VERSION.DLL, which Wine's own USER32 imports (Windows' does not).
PLANTED_DLL = os.environ.get("PAVLUNE_PLANTED_DLL", "")
PLANTED_NAMES = ("wsock32", "wtsapi32", "mpr")
# Windows' firewall as tests/e2e/standin_firewall.cpp stands in for it, under the class ids of its Policy2, Rule and
# Products, which the prefix then takes from it (not from Wine's own hnetcfg.dll).
STANDIN_FIREWALL = os.environ.get("PAVLUNE_STANDIN_FIREWALL", "")
FIREWALL_CLASSES = ("E2B3C97F-6AE1-41AC-817A-F6F92166D7DD", "2C5BC43E-3369-4C33-AB0C-BE9469677AF4",
                    "CC19079B-8272-4D73-BB70-CDB533527B61")
OUTPUT = Path(os.environ.get("PAVLUNE_E2E_OUTPUT", ROOT / "build" / "e2e-output"))

PROGRAM_DIR = "C:\\Pavlune"
PROGRAM = PROGRAM_DIR + "\\Pavlune.exe"
MAIN_WINDOW_CLASS = "TPavluneMainForm"
STATUS_LIST_TITLE = "自席表示一覧"
SCREEN_SIZE = "1024x768"
# A settings file whose first-start question for the name was cancelled:
# the program asks no more. Every PC starts with it.
ANSWERED_SETTINGS = "[Pavlune Settings]\r\nMyName=\r\n"
TRAY_ICON_ID = "1999"


def encode(text):
    """The program's files and texts are code page 932."""
    return text.encode("cp932")


class PC:
    def __init__(self, lan, index, version=None):
        self.lan = lan
        self.index = index
        self.namespace = f"{lan.name}-pc{index}"
        self.prefix = lan.work / f"pc{index}"
        # Wine on a heavily loaded machine now and then fails a new prefix's first command: one more try.
        make = [str(LIB / "wine-prefix"), str(self.prefix), *([version] if version else [])]
        if subprocess.run(make).returncode != 0:
            subprocess.run(make, check=True)
        self.system_dir = self.prefix / "drive_c" / "windows" / "system32"
        self.windows_dir = self.prefix / "drive_c" / "windows"
        self.extra_env = {}  # more environment for the Windows programs of this PC
        # Like any Windows, the PC has a screen saver installed.
        if STANDIN:
            shutil.copy(STANDIN, self.system_dir / "ssmarque.scr")
        self.program_dir = self.prefix / "drive_c" / "Pavlune"
        shutil.copytree(DIST, self.program_dir)
        (self.program_dir / "Pavlune.INI").write_bytes(encode(ANSWERED_SETTINGS))
        tools = self.prefix / "drive_c" / "e2e"
        tools.mkdir()
        shutil.copy(WINTOOL, tools / "wintool.exe")
        subprocess.run([str(LIB / "wine-desktop"), str(self.prefix), SCREEN_SIZE], check=True)
        self.processes = []
        started = subprocess.run([str(LIB / "xvfb"), "start", SCREEN_SIZE], check=True, capture_output=True,
                                 text=True)
        self.xvfb_pid, self.display = started.stdout.split()

    def install_firewall(self, text):
        """The stand-in firewall with that state: "profiles enabled-bits products" on line 1, then one rule a line,
        "Name ApplicationName Enabled Direction Protocol LocalPorts Profiles Action" TAB-separated."""
        tools = self.prefix / "drive_c" / "e2e"
        shutil.copy(STANDIN_FIREWALL, tools / "standin_firewall.dll")
        (tools / "firewall.txt").write_text(text)
        (tools / "firewall.reg").write_text("REGEDIT4\n" + "".join(
            f'\n[HKEY_CLASSES_ROOT\\CLSID\\{{{clsid}}}\\InprocServer32]\n@="C:\\\\e2e\\\\standin_firewall.dll"\n'
            '"ThreadingModel"="Both"\n' for clsid in FIREWALL_CLASSES))
        assert self.wine("regedit", "/S", "C:\\e2e\\firewall.reg")[0] == 0, "the stand-in firewall is not registered"

    def firewall_text(self):
        """The stand-in firewall's state as it is now, rules added by the programs included (LF line ends)."""
        return (self.prefix / "drive_c" / "e2e" / "firewall.txt").read_text()

    # A scripted peer in this PC's namespace (tests/e2e/peer.py).

    def peer_send(self, host, port, *datagrams):
        subprocess.run(["ip", "netns", "exec", self.namespace, sys.executable, str(PEER), "send", host, str(port),
                        *[d.hex() for d in datagrams]], check=True)

    def peer_flood(self, host, port, count, prefix, suffix=b""):
        subprocess.run(["ip", "netns", "exec", self.namespace, sys.executable, str(PEER), "flood", host, str(port),
                        str(count), prefix.hex(), suffix.hex()], check=True, timeout=120)

    def peer_listen(self, port, seconds, count=None, holding=b""):
        """Starts listening (to the datagrams that hold those bytes); .collect() waits and returns [(from, port, bytes)]."""
        return Listener(self.namespace, port, seconds, count, holding)

    def plant_dlls(self, folder):
        """Plants them in folder, Wine preferring them as Windows does; returns what lists those loaded since."""
        for name in PLANTED_NAMES:
            shutil.copy(PLANTED_DLL, folder / f"{name}.dll")
        self.extra_env["WINEDLLOVERRIDES"] = "mscoree,mshtml=;" + ",".join(PLANTED_NAMES) + "=n,b"
        return lambda: sorted(path.name for path in folder.glob("*.loaded"))

    def lose_presence(self, percent):
        """Drops that share of the presence datagrams this PC receives, at random, as a busy Wi-Fi does."""
        rules = (f"table inet loss {{ chain input {{ type filter hook input priority 0; "
                 f"udp dport 5963 numgen random mod 100 <= {percent - 1} drop; }}; }}")
        subprocess.run(["ip", "netns", "exec", self.namespace, "nft", "-f", "-"], input=rules, text=True, check=True)

    @property
    def address(self):
        shown = subprocess.run(["ip", "-n", self.namespace, "-4", "-o", "addr", "show", "dev", "eth0"],
                               capture_output=True, text=True).stdout.split()
        return shown[shown.index("inet") + 1].split("/")[0]

    def env(self):
        return {
            "WINEPREFIX": str(self.prefix),
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
            "LC_ALL": "ja_JP.UTF-8",
            "DISPLAY": self.display,
            **self.extra_env,
        }

    def _command(self, *args):
        env = [f"{k}={v}" for k, v in self.env().items()]
        return ["ip", "netns", "exec", self.namespace, "env", *env, *args]

    def wine(self, *args, timeout=60):
        """Runs a Windows program to its end; returns (exit code, stdout bytes).

        The output goes through a file, not a pipe: the first Wine program of a
        prefix starts Wine's own background processes, which would hold a pipe
        open long after the program has ended."""
        with tempfile.TemporaryFile() as out:
            done = subprocess.run(self._command(WINE, *args), stdout=out, stderr=subprocess.DEVNULL,
                                  timeout=timeout)
            out.seek(0)
            return done.returncode, out.read()

    def start(self, program=PROGRAM, *args, stdout=subprocess.DEVNULL):
        """Starts Pavlune.exe (or another program) in the background; returns
        its process, which is ended with the PC at the latest."""
        process = subprocess.Popen(self._command(WINE, program, *args), stdout=stdout, stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def wintool(self, *args, timeout=60):
        return self.wine("C:\\e2e\\wintool.exe", *args, timeout=timeout)

    def wait_main_window(self, seconds=30):
        code, _ = self.wintool("wait-window", MAIN_WINDOW_CLASS, str(seconds * 1000), timeout=seconds + 30)
        return code == 0

    def wait_box(self, caption="Pavlune", seconds=30):
        """The text of the message box with that caption, or None."""
        code, out = self.wintool("wait-box", caption, str(seconds * 1000), timeout=seconds + 30)
        return out.decode("cp932") if code == 0 else None

    def press_ok(self, caption="Pavlune"):
        code, _ = self.wintool("press-ok", caption)
        return code == 0

    def taskkill(self):
        """A polite taskkill: WM_CLOSE to the program's windows."""
        return self.wine("taskkill", "/im", "Pavlune.exe")[0]

    def file(self, name):
        return self.program_dir / name

    def write(self, name, text):
        self.file(name).write_bytes(encode(text))

    def read(self, name):
        return self.file(name).read_bytes().decode("cp932")

    def stop(self):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
        subprocess.run(self._command("wineserver", "-k"), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for process in self.processes:
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass
        subprocess.run([str(LIB / "xvfb"), "stop", self.xvfb_pid])

    # The screen, as a person sees it.

    def xdotool(self, *args):
        done = subprocess.run(["xdotool", *args], capture_output=True, text=True,
                              env={**os.environ, "DISPLAY": self.display})
        return done.stdout

    def tray_point(self, seconds=30):
        """Screen point of Pavlune's tray icon (the shell must hold it), or None."""
        found = None

        def visible():
            nonlocal found
            code, out = self.wintool("tray-point", MAIN_WINDOW_CLASS, TRAY_ICON_ID)
            if code == 0:
                found = tuple(int(v) for v in out.split())
            return code == 0

        return found if wait_until(visible, seconds, step=0.2) else None

    def press_on_tray(self, button):
        """Clicks a mouse button on the tray icon; True once a menu is open
        (on the press for 95, 98 and NT4, on the release for later ones)."""
        x, y = self.tray_point()
        self.xdotool("mousemove", str(x), str(y), "click", str(button))
        return self.wintool("wait-menu", "10000")[0] == 0

    def keys(self, *names):
        self.wintool("keys", *names)

    def open_status_list(self):
        """Chooses 他の人の状況表示 in the command menu; True once the list is open."""
        if not self.press_on_tray(3):
            return False
        self.keys(*["Down"] * 12, "Return")
        return wait_until(lambda: self.wintool("read-list", STATUS_LIST_TITLE)[0] == 0, 20)

    def refresh(self):
        """Chooses 最新情報の取得 in the command menu."""
        if not self.press_on_tray(3):
            return False
        self.keys(*["Down"] * 13, "Return")
        return True

    def choose_message(self, downs=1):
        """Picks the entry that many places down in the message menu."""
        if not self.press_on_tray(1):
            return False
        self.keys(*["Down"] * downs, "Return")
        return True

    def status_rows(self):
        """The rows of the open status list, cells split by TAB; None when it is not open."""
        code, out = self.wintool("read-list", STATUS_LIST_TITLE)
        return out.decode("cp932").splitlines() if code == 0 else None

    def saver_active(self):
        """The system's screen-saver-active flag, as a program starting now finds it."""
        return self.wintool("saver-settings")[1].split()[1] == b"1"

    def screenshot(self, name):
        """Keeps a picture of this PC's screen as evidence."""
        OUTPUT.mkdir(parents=True, exist_ok=True)
        path = OUTPUT / f"{name}.png"
        subprocess.run(["import", "-display", self.display, "-window", "root", str(path)], capture_output=True)
        return path

    def text_left_edge(self):
        """The leftmost screen column holding text (white on the default
        black), or None."""
        ppm = subprocess.run(["import", "-display", self.display, "-window", "root", "-depth", "8", "ppm:-"],
                             capture_output=True).stdout
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
        width, height = int(header.group(1)), int(header.group(2))
        pixels = ppm[header.end():]
        edges = []
        for row in range(height):
            line = pixels[row * width * 3:(row + 1) * width * 3]
            at = line.find(b"\xff\xff\xff")
            while at >= 0 and at % 3:
                at = line.find(b"\xff\xff\xff", at + 1)
            if at >= 0:
                edges.append(at // 3)
        return min(edges) if edges else None

    def text_scrolls_left(self, seconds=30):
        """True once the text's left edge has moved left in three pictures
        in a row (a new pass starts again on the right)."""
        edges = []

        def moving_left():
            edges.append(self.text_left_edge())
            last = edges[-3:]
            return len(last) == 3 and None not in last and last[0] > last[1] > last[2]

        return wait_until(moving_left, seconds, step=0.2)


class Listener:
    def __init__(self, namespace, port, seconds, count, holding=b""):
        args = [sys.executable, str(PEER), "listen", str(port), str(seconds)]
        if count is not None:
            args += [str(count), holding.hex()]
        self.process = subprocess.Popen(["ip", "netns", "exec", namespace, *args], stdout=subprocess.PIPE,
                                        text=True)
        self.process.stdout.readline()  # bound and listening
        self.seconds = seconds

    def collect(self, stop=False):
        if stop:  # what was awaited has come: the rest of the window is not waited out
            self.process.terminate()
        out, _ = self.process.communicate(timeout=self.seconds + 30)
        self.heard = [json.loads(line) for line in out.splitlines()]
        return [(record["from"], record["port"], bytes.fromhex(record["hex"])) for record in self.heard]

    def most_at_one_per(self, host, seconds):
        """How many datagrams host can have sent at one per that many seconds,
        judged by when they were heard: one per period from the first to the
        last, one at the start and two for late reads."""
        times = [record["at"] for record in self.heard if record["from"] == host]
        return 3 + int((times[-1] - times[0]) / seconds) if times else 0


class Lan:
    """with Lan(3) as lan: lan.pcs[0] ...

    versions: the Windows version each PC's prefix reports (win98, winxp,
    ...), one for all or a list; None keeps Wine's default. layout: the four
    PCs of scripts/lib/lan's "office" of two subnets or of its "vpn23" and
    "vpn25" layouts instead of one bridge."""

    def __init__(self, count=1, versions=None, layout=None):
        self.layout = layout
        count = 4 if layout else count
        self.count = count
        self.versions = versions if isinstance(versions, list) else [versions] * count
        self.name = f"pvl{os.getpid() % 100000}"
        self.pcs = []
        self.work = None

    def __enter__(self):
        try:
            self.work = Path(tempfile.mkdtemp(prefix="pavlune-e2e-", dir=ROOT / "build"))
            layout = [self.layout, self.name] if self.layout else ["create", self.name, str(self.count)]
            subprocess.run([str(LIB / "lan"), *layout], check=True)
            for index in range(1, self.count + 1):
                self.pcs.append(PC(self, index, self.versions[index - 1]))
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        for pc in self.pcs:
            pc.stop()
        subprocess.run([str(LIB / "lan"), "destroy", self.name])
        if self.work:
            shutil.rmtree(self.work, ignore_errors=True)
        return False



def keys_at_exit(saver_was_active, **changed):
    """The option keys an exit writes, in their order, with a first start's
    values; SaverDisabled is checked when the saver was off at start."""
    keys = dict(KIND=1, AutoReload=1, SortString=0, SaveString=1, SaverDisabled=int(not saver_was_active),
                ScreenSaveJack=0, BackAtDesk=1) | changed
    return "".join(f"{key}={value}\r\n" for key, value in keys.items())


def ini_section(path, name):
    """A section of a settings file, its header and every line, as the file
    holds it; None when the file or the section is missing."""
    text = path.read_bytes().decode("cp932") if path.exists() else ""
    match = re.search(rf"^\[{re.escape(name)}\]\r\n(?:[^\[\r\n][^\r\n]*\r\n|\r\n)*", text, re.M | re.I)
    return match.group(0) if match else None


def wait_until(condition, seconds=30, step=0.1):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(step)
    return condition()
