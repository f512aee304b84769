#!/usr/bin/python3
"""The Windows build under Wine, headless under Xvfb, with a fresh Wine prefix.

  smoke.py --windows WINDOWS_BUILD --native NATIVE_BUILD

1. The package: HXM-windows-x64.zip is unpacked and hxm.exe started from its folder. The
   window must show a first frame (not black), a click on the main menu's settings button
   must reach the settings screen, and the window manager's close request must end the
   program with exit code 0, leaving hxm.db with the program's schema.
2. A second start ends through the program's own close cross, again with exit code 0.
3. The serial layer: a Wine COM port is mapped onto the virtual hub's pseudo-terminal, and
   the link probe (the link thread on the real Windows port layer) must open and configure
   it and read a connect, a hit and a disconnect; when the hub's terminal is closed (the
   adapter pulled out) the slot must empty and the thread go back to opening the port.

Where to click and what the screens look like come from the native build (hxm-screenshot
at the same screen size), so the test follows the layout. Every wait has a time limit;
the slow one is the first start of a fresh Wine prefix. Exits 77 (skipped) when the
Windows build has not been made.
"""
import argparse
import os
import queue
import select
import shutil
import subprocess
import sys
import threading
import time
import zipfile

from PIL import Image, ImageChops, ImageStat
from Xlib import X, Xatom, display as xdisplay, error as xerror
from Xlib.ext import xtest

SKIPPED = 77
WIDTH, HEIGHT = 1920, 1080
PACKAGE = "HXM-windows-x64"
COM_PORT = 7

PREFIX_SECONDS = 600      # wineboot of a fresh prefix on a busy machine
WINDOW_SECONDS = 180      # first start: Wine loads its DLLs and the program its pictures
SCREEN_SECONDS = 120      # reaching a screen, clicking again if a click was lost
EXIT_SECONDS = 60
WAIT_SECONDS = 180        # for the prefix's background processes to settle
NATIVE_SECONDS = 300      # the native program's pictures, on a busy machine
LINE_SECONDS = 60         # one line of the link probe

# The program's schema: PRAGMA table_info rows (name, type, not null, default, primary key).
SCHEMA = {
    "user": [("id", "INTEGER", "1", "", "1"), ("uuid", "TEXT", "0", "NULL", "0")],
    "training_hit_power": [
        ("id", "INTEGER", "1", "", "1"), ("record_position", "INTEGER", "0", "0", "0"),
        ("value", "INTEGER", "1", "", "0"), ("game_time", "REAL", "1", "", "0"),
        ("year", "INTEGER", "1", "", "0"), ("month", "INTEGER", "1", "", "0"),
        ("day", "INTEGER", "1", "", "0"), ("hour", "INTEGER", "1", "", "0"),
        ("minute", "INTEGER", "1", "", "0"), ("second", "INTEGER", "1", "", "0"),
        ("mac_address", "TEXT", "1", "", "0")],
}


class Failure(Exception):
    pass


class Run:
    """What one test run has started, so that all of it is stopped at the end."""

    def __init__(self, out):
        self.out = out
        self.processes = []
        self.results = []
        self.env = None

    def check(self, name, ok, detail="", stop=True):
        self.results.append(ok)
        print(("ok    " if ok else "FAIL  ") + name + (": " + detail if detail else ""), flush=True)
        if not ok and stop:
            raise Failure(name)

    def start(self, args, log_name, **kw):
        log = open(os.path.join(self.out, log_name), "w")
        kw.setdefault("stdin", subprocess.DEVNULL)  # CI may run with no standard input
        p = subprocess.Popen(args, stdout=kw.pop("stdout", log), stderr=log, env=self.env, **kw)
        self.processes.append(p)
        return p

    def stop_all(self):
        for p in reversed(self.processes):
            if p.poll() is None:
                p.kill()
                try:
                    p.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    pass


def wine_loader():
    for path in (shutil.which("wine64"), "/usr/lib/wine/wine64", shutil.which("wine")):
        if path and os.access(path, os.X_OK):
            return path
    return None


def wineserver_of():
    for path in (shutil.which("wineserver"), "/usr/lib/wine/wineserver64"):
        if path and os.access(path, os.X_OK):
            return path
    return "wineserver"


def start_xvfb(run):
    read_end, write_end = os.pipe()
    xvfb = run.start(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                      "%dx%dx24" % (WIDTH, HEIGHT), "-nolisten", "tcp"], "xvfb.log",
                     pass_fds=(write_end,))
    os.close(write_end)
    number = b""
    deadline = time.time() + 60
    while not number.endswith(b"\n") and time.time() < deadline:
        if xvfb.poll() is not None:
            break
        ready, _, _ = select.select([read_end], [], [], 1)
        if ready:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
    os.close(read_end)
    run.check("Xvfb started", number.strip().isdigit())
    return ":" + number.decode().strip()


def native_reference(run, native, screen):
    """Centres of the buttons the test clicks, and the native program's own pictures of the
    intro, the main menu and the settings screen at this screen size."""
    shots = os.path.join(run.out, "native")
    os.makedirs(shots, exist_ok=True)
    steps = ["1:where:settingsButtonRect", "1:where:closeButtonRect", "10:shot:intro",
             "11:screen:2", "12:shot:main_menu", "13:screen:9", "14:shot:settings"]
    tool = os.path.join(native, "tools", "hxm-screenshot")
    result = subprocess.run([tool, shots] + steps, cwd=os.path.join(native, "run"),
                            stdin=subprocess.DEVNULL,
                            env=dict(os.environ, DISPLAY=screen, SDL_AUDIODRIVER="dummy"),
                            capture_output=True,
                            text=True, timeout=180)
    centres = {}
    for line in result.stdout.splitlines():
        words = line.split()
        if len(words) == 3 and words[0].endswith("Rect"):
            centres[words[0]] = (int(words[1]), int(words[2]))
    ok = result.returncode == 0 and len(centres) == 2
    run.check("native references", ok, "" if ok else result.stderr.strip()[-300:])
    pictures = {name: Image.open(os.path.join(shots, name + ".png")).convert("RGB")
                for name in ("intro", "main_menu", "settings")}
    return centres, pictures


def thumbnail(image):
    return image.resize((192, 108), Image.BILINEAR)


def distance(a, b):
    return sum(ImageStat.Stat(ImageChops.difference(thumbnail(a), thumbnail(b))).mean) / 3


class Screen:
    def __init__(self, name):
        self.d = xdisplay.Display(name)
        self.root = self.d.screen().root

    def close(self):
        self.d.close()

    def window(self, title):
        """The mapped top-level window with this title, or None."""
        net_name = self.d.intern_atom("_NET_WM_NAME")
        utf8 = self.d.intern_atom("UTF8_STRING")
        try:
            for w in self.root.query_tree().children:
                if w.get_attributes().map_state != X.IsViewable:
                    continue
                name = w.get_full_property(net_name, utf8)
                if (name and name.value == title.encode()) or w.get_wm_name() == title:
                    return w
        except xerror.XError:
            pass  # a window went away while we looked
        return None

    def grab(self):
        raw = self.root.get_image(0, 0, WIDTH, HEIGHT, X.ZPixmap, 0xFFFFFFFF)
        return Image.frombytes("RGB", (WIDTH, HEIGHT), raw.data, "raw", "BGRX")

    def click(self, x, y):
        xtest.fake_input(self.d, X.MotionNotify, x=x, y=y)
        self.d.sync()
        time.sleep(0.3)
        xtest.fake_input(self.d, X.ButtonPress, 1)
        self.d.sync()
        time.sleep(0.1)
        xtest.fake_input(self.d, X.ButtonRelease, 1)
        self.d.sync()

    def ask_to_close(self, window):
        """What a window manager sends when the title bar's close button is pressed."""
        protocols = self.d.intern_atom("WM_PROTOCOLS")
        delete = self.d.intern_atom("WM_DELETE_WINDOW")
        from Xlib.protocol import event
        message = event.ClientMessage(window=window, client_type=protocols,
                                      data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        window.send_event(message, event_mask=X.NoEventMask)
        self.d.sync()


def wait_for(what, seconds, probe, pause=0.5):
    deadline = time.time() + seconds
    while True:
        value = probe()
        if value or time.time() > deadline:
            return value
        time.sleep(pause)


def nearest(picture, references):
    scores = {name: distance(picture, ref) for name, ref in references.items()}
    return min(scores, key=scores.get), scores


def wait_exit(process, seconds):
    try:
        return process.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        return None


def start_program(run, wine, folder, screen, log_name, first):
    program = run.start([wine, "hxm.exe"], log_name, cwd=folder)
    window = wait_for("window", WINDOW_SECONDS, lambda: screen.window("HXM"))
    run.check("window \"HXM\" shown" + (" (fresh prefix)" if first else ""), window is not None)
    return program, window


def reach(run, screen, references, target, click_at, shot_name):
    """Clicks click_at whenever the main menu shows, until the target screen shows."""
    last = {}

    def look():
        picture = screen.grab()
        name, scores = nearest(picture, references)
        last.update(name=name, scores=scores, picture=picture)
        if name == target:
            return True
        if name == "main_menu" and click_at:
            screen.click(*click_at)
        return False

    ok = wait_for(target, SCREEN_SECONDS, look, pause=1.0)
    last["picture"].save(os.path.join(run.out, shot_name))
    detail = "nearest %s, distances %s" % (
        last["name"], ", ".join("%s %.1f" % kv for kv in sorted(last["scores"].items())))
    run.check("reached the %s screen" % target.replace("_", " "), ok, detail)


def check_database(run, path):
    run.check("hxm.db created beside hxm.exe", os.path.isfile(path))
    for table, columns in SCHEMA.items():
        result = subprocess.run(["sqlite3", "-batch", "-separator", "|", path,
                                 "PRAGMA table_info(%s);" % table],
                                stdin=subprocess.DEVNULL, capture_output=True, text=True,
                                timeout=30)
        rows = [tuple(line.split("|")[1:]) for line in result.stdout.splitlines()]
        run.check("table %s has the program's columns" % table, rows == columns,
                  "" if rows == columns else "found %s" % rows)
    result = subprocess.run(["sqlite3", "-batch", path, "PRAGMA integrity_check;"],
                            stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=30)
    run.check("hxm.db passes the integrity check", result.stdout.strip() == "ok",
              result.stdout.strip())


def program_runs(run, wine, folder, screen, references, centres):
    program, window = start_program(run, wine, folder, screen, "hxm-1.log", first=True)
    first = wait_for("first frame", WINDOW_SECONDS, lambda: (
        lambda p: p if ImageStat.Stat(p.convert("L")).mean[0] > 8 else None)(screen.grab()))
    if first:
        first.save(os.path.join(run.out, "first-frame.png"))
    run.check("first frame drawn (screenshot not black)", first is not None)
    reach(run, screen, references, "settings", centres["settingsButtonRect"], "settings.png")
    screen.ask_to_close(window)
    code = wait_exit(program, EXIT_SECONDS)
    run.check("window close request ends the program with exit code 0", code == 0,
              "exit code %s" % code)
    check_database(run, os.path.join(folder, "hxm.db"))

    program, window = start_program(run, wine, folder, screen, "hxm-2.log", first=False)
    reach(run, screen, references, "main_menu", None, "main-menu.png")
    screen.click(*centres["closeButtonRect"])
    code = wait_exit(program, EXIT_SECONDS)
    run.check("the close cross ends the program with exit code 0", code == 0,
              "exit code %s" % code)


def line_reader(stream):
    lines = queue.Queue()

    def pump():
        for line in stream:
            lines.put(line.rstrip("\r\n"))
        lines.put(None)

    threading.Thread(target=pump, daemon=True).start()
    return lines


def expect(run, lines, prefix, what):
    deadline = time.time() + LINE_SECONDS
    seen = []
    while time.time() < deadline:
        try:
            line = lines.get(timeout=max(0.1, deadline - time.time()))
        except queue.Empty:
            break
        if line is None:
            break
        seen.append(line)
        if line.startswith(prefix):
            run.check(what, True, line)
            return line
    run.check(what, False, "probe said %s" % (seen or "nothing"))


def serial_layer_runs(run, wine, prefix, native, probe_exe):
    hub = run.start([os.path.join(native, "tools", "hxm-virtual-hub")], "virtual-hub.log",
                    stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
    hub_lines = line_reader(hub.stdout)
    try:
        terminal = hub_lines.get(timeout=30)
    except queue.Empty:
        terminal = None
    run.check("virtual hub serves a pseudo-terminal", bool(terminal), str(terminal))
    port = os.path.join(prefix, "dosdevices", "com%d" % COM_PORT)
    if os.path.lexists(port):
        os.remove(port)
    os.symlink(terminal, port)

    probe = run.start([wine, probe_exe, str(COM_PORT)], "link-probe.log",
                      stdout=subprocess.PIPE, text=True, bufsize=1)
    lines = line_reader(probe.stdout)
    found = expect(run, lines, "setupapi ", "SetupAPI discovery answers")
    print("      (a port mapped by Wine is not a Plug and Play device: discovery found %s)"
          % ("COM" + found.split()[1] if found.split()[1] != "0" else "none"), flush=True)
    expect(run, lines, "open \\\\.\\COM%d ok" % COM_PORT, "CreateFileA opens \\\\.\\COM%d" % COM_PORT)
    expect(run, lines, "configure ok", "GetCommState, SetCommState and SetCommTimeouts succeed")
    hub.stdin.write("connect 1 A1B2C3D4E5F6\n")
    expect(run, lines, "connect 1 A1B2C3D4E5F6", "a connect message is read")
    hub.stdin.write("hit 1 200 87\n")
    expect(run, lines, "hit 1 200 87", "a hit message is read")
    hub.stdin.write("disconnect 1\n")
    expect(run, lines, "disconnect 1", "a disconnect message is read")
    hub.stdin.write("connect 1 A1B2C3D4E5F6\n")
    expect(run, lines, "connect 1 A1B2C3D4E5F6", "the pad connects again")
    hub.stdin.write("unplug\n")
    expect(run, lines, "disconnect 1", "pulling the adapter out empties the slot")
    expect(run, lines, "open \\\\.\\COM%d failed" % COM_PORT,
           "the link goes back to opening the port, which is gone")
    code = wait_exit(probe, EXIT_SECONDS)
    run.check("link probe ends with exit code 0", code == 0, "exit code %s" % code)
    hub.stdin.close()
    wait_exit(hub, 10)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--windows", required=True, help="the Windows build directory")
    parser.add_argument("--native", required=True, help="a native build directory")
    args = parser.parse_args()
    windows = os.path.abspath(args.windows)
    native = os.path.abspath(args.native)
    package = os.path.join(windows, PACKAGE + ".zip")
    probe_exe = os.path.join(windows, "hxm-link-probe.exe")
    if not os.path.isfile(package):
        print("skipped: no Windows build (make windows makes %s)" % package)
        return SKIPPED

    out = os.path.join(windows, "wine-test")
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    run = Run(out)
    wine = wine_loader()
    screen = None
    try:
        run.check("Wine installed", wine is not None)
        with zipfile.ZipFile(package) as z:
            z.extractall(out)
        folder = os.path.join(out, PACKAGE)
        run.check("package unpacked", os.path.isfile(os.path.join(folder, "hxm.exe")))
        display_name = start_xvfb(run)
        prefix = os.path.join(out, "prefix")
        run.env = dict(os.environ, DISPLAY=display_name, WINEPREFIX=prefix, WINEARCH="win64",
                       WINEDEBUG="-all",
                       WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        started = time.time()
        boot = run.start([wine, "wineboot", "--init"], "wineboot.log")
        code = wait_exit(boot, PREFIX_SECONDS)
        try:
            subprocess.run([wineserver_of(), "-w"], env=run.env, stdin=subprocess.DEVNULL,
                           timeout=WAIT_SECONDS)
        except subprocess.TimeoutExpired:
            pass  # still settling: the program's start has time limits of its own
        run.check("fresh Wine prefix created", code == 0 and os.path.isdir(
            os.path.join(prefix, "dosdevices")), "%.0f s" % (time.time() - started))
        screen = Screen(display_name)
        centres, references = native_reference(run, native, display_name)
        program_runs(run, wine, folder, screen, references, centres)
        serial_layer_runs(run, wine, prefix, native, probe_exe)
    except Failure:
        pass
    except Exception as e:  # a broken step is a failure, never a hang
        run.check("the test itself", False, "%s: %s" % (type(e).__name__, e), stop=False)
    finally:
        if screen:
            screen.close()
        run.stop_all()
        if run.env:
            try:
                subprocess.run([wineserver_of(), "-k"], env=run.env, timeout=60,
                               stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            except subprocess.TimeoutExpired:
                pass
    failed = run.results.count(False)
    print("wine: %d passed, %d failed (logs and screenshots in %s)"
          % (run.results.count(True), failed, out))
    return 1 if failed or not run.results else 0


if __name__ == "__main__":
    sys.exit(main())
