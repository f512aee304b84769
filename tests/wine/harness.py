"""What the Wine tests share: the processes a run starts, a headless X screen with its
pictures and clicks, a fresh Wine prefix, the native program's own screenshots to recognise
screens by, and a virtual hub behind a Wine COM port.

Every wait has a time limit; a failed check stops the run (Failure) unless told otherwise.
"""
import argparse
import os
import queue
import select
import shutil
import subprocess
import threading
import time

from PIL import Image, ImageChops, ImageStat
from Xlib import X, display as xdisplay, error as xerror
from Xlib.ext import xtest

SKIPPED = 77
WIDTH, HEIGHT = 1920, 1080
COM_PORT = 7
PAD_MAC = "A1B2C3D4E5F6"

PREFIX_SECONDS = 600      # wineboot of a fresh prefix on a busy machine
WINDOW_SECONDS = 180      # first start: Wine loads its DLLs and the program its pictures
SCREEN_SECONDS = 120      # reaching a screen, clicking again if a click was lost
EXIT_SECONDS = 60
WAIT_SECONDS = 180        # for the prefix's background processes to settle
NATIVE_SECONDS = 300      # the native program's pictures, on a busy machine


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


def wine_settle(run, seconds=WAIT_SECONDS):
    """Waits for every process of the prefix to end (a Wine program may leave helpers)."""
    try:
        subprocess.run([wineserver_of(), "-w"], env=run.env, stdin=subprocess.DEVNULL,
                       timeout=seconds)
        return True
    except subprocess.TimeoutExpired:
        return False


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


def fresh_prefix(run, wine, display_name, prefix):
    """A new Wine prefix on this screen; run.env then runs programs in it."""
    run.env = dict(os.environ, DISPLAY=display_name, WINEPREFIX=prefix, WINEARCH="win64",
                   WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
    started = time.time()
    boot = run.start([wine, "wineboot", "--init"], "wineboot.log")
    code = wait_exit(boot, PREFIX_SECONDS)
    wine_settle(run)  # still settling after that: later steps have time limits of their own
    run.check("fresh Wine prefix created", code == 0 and os.path.isdir(
        os.path.join(prefix, "dosdevices")), "%.0f s" % (time.time() - started))


def stop_wine(run):
    if run.env:
        try:
            subprocess.run([wineserver_of(), "-k"], env=run.env, timeout=60,
                           stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            pass


def native_shots(run, native, screen_name, steps, rects):
    """The native program's screenshots (hxm-screenshot's steps) at this screen size, as
    pictures by name, and the centres of the named layout rectangles, to click."""
    shots = os.path.join(run.out, "native")
    os.makedirs(shots, exist_ok=True)
    steps = ["1:where:%s" % r for r in rects] + steps
    tool = os.path.join(native, "tools", "hxm-screenshot")
    result = subprocess.run([tool, shots] + steps, cwd=os.path.join(native, "run"),
                            stdin=subprocess.DEVNULL,
                            env=dict(os.environ, DISPLAY=screen_name, SDL_AUDIODRIVER="dummy"),
                            capture_output=True, text=True, timeout=NATIVE_SECONDS)
    centres = {}
    for line in result.stdout.splitlines():
        words = line.split()
        if len(words) == 3 and words[0] in rects:
            centres[words[0]] = (int(words[1]), int(words[2]))
    ok = result.returncode == 0 and len(centres) == len(rects)
    run.check("native references", ok, "" if ok else result.stderr.strip()[-300:])
    names = [s.split(":")[2] for s in steps if s.split(":")[1] == "shot"]
    pictures = {name: Image.open(os.path.join(shots, name + ".png")).convert("RGB")
                for name in names}
    return centres, pictures


def thumbnail(image):
    return image.resize((192, 108), Image.BILINEAR)


def distance(a, b):
    return sum(ImageStat.Stat(ImageChops.difference(thumbnail(a), thumbnail(b))).mean) / 3


def nearest(picture, references):
    scores = {name: distance(picture, ref) for name, ref in references.items()}
    return min(scores, key=scores.get), scores


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


def wait_for(seconds, probe, pause=0.5):
    deadline = time.time() + seconds
    while True:
        value = probe()
        if value or time.time() > deadline:
            return value
        time.sleep(pause)


def wait_exit(process, seconds):
    try:
        return process.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        return None


def start_program(run, wine, exe, folder, screen, log_name, first):
    """exe started with folder as its working folder, until its window shows."""
    program = run.start([wine, exe], log_name, cwd=folder)
    window = wait_for(WINDOW_SECONDS, lambda: screen.window("HXM"))
    run.check("window \"HXM\" shown" + (" (fresh prefix)" if first else ""), window is not None)
    return program, window


def reach(run, screen, references, target, clicks, shot_name, seconds=SCREEN_SECONDS):
    """Until the target screen shows: whenever a screen named in clicks shows, clicks there."""
    last = {}

    def look():
        picture = screen.grab()
        name, scores = nearest(picture, references)
        last.update(name=name, scores=scores, picture=picture)
        if name == target:
            return True
        if name in clicks:
            screen.click(*clicks[name])
        return False

    ok = wait_for(seconds, look, pause=1.0)
    last["picture"].save(os.path.join(run.out, shot_name))
    detail = "nearest %s, distances %s" % (
        last["name"], ", ".join("%s %.1f" % kv for kv in sorted(last["scores"].items())))
    run.check("reached the %s screen" % target.replace("_", " "), ok, detail)


def line_reader(stream):
    lines = queue.Queue()

    def pump():
        for line in stream:
            lines.put(line.rstrip("\r\n"))
        lines.put(None)

    threading.Thread(target=pump, daemon=True).start()
    return lines


def hub_on_com_port(run, native, prefix):
    """A virtual hub whose pseudo-terminal is the prefix's COM7. Commands go to its stdin."""
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
    return hub


def sqlite_rows(path, sql):
    """sqlite3's rows for sql on the database at path, each a list of its columns."""
    result = subprocess.run(["sqlite3", "-batch", "-separator", "|", path, sql],
                            stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=30)
    return [line.split("|") for line in result.stdout.splitlines()]


def main(out_name, needed, steps, extra_args=()):
    """A whole test: its arguments (--windows, --native and extra_args), skipped (77) when the
    file needed(args) names was not built; else Xvfb and a fresh Wine prefix in
    WINDOWS/out_name, steps(run, wine, display_name, prefix, screen, args), and everything
    stopped after. Exits 0 only if every check passed."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--windows", required=True, help="the Windows build directory")
    parser.add_argument("--native", required=True, help="a native build directory")
    for name, what in extra_args:
        parser.add_argument(name, required=True, help=what)
    args = parser.parse_args()
    args.windows = os.path.abspath(args.windows)
    args.native = os.path.abspath(args.native)
    if not os.path.isfile(needed(args)):
        print("skipped: not built (make windows makes %s)" % needed(args))
        return SKIPPED

    out = os.path.join(args.windows, out_name)
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    run = Run(out)
    wine = wine_loader()
    screen = None
    try:
        run.check("Wine installed", wine is not None)
        display_name = start_xvfb(run)
        prefix = os.path.join(out, "prefix")
        fresh_prefix(run, wine, display_name, prefix)
        screen = Screen(display_name)
        steps(run, wine, display_name, prefix, screen, args)
    except Failure:
        pass
    except Exception as e:  # a broken step is a failure, never a hang
        run.check("the test itself", False, "%s: %s" % (type(e).__name__, e), stop=False)
    finally:
        if screen:
            screen.close()
        run.stop_all()
        stop_wine(run)
    failed = run.results.count(False)
    print("wine: %d passed, %d failed (logs and screenshots in %s)"
          % (run.results.count(True), failed, out))
    return 1 if failed or not run.results else 0


# The adapter as Plug and Play would list it: a USB device of the Ports class whose COM-port
# interface is present, with the friendly name the CH340 driver gives it.
CH340_REG = r"""REGEDIT4

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Enum\{instance}]
"ClassGUID"="{{4D36E978-E325-11CE-BFC1-08002BE10318}}"
"FriendlyName"="USB-SERIAL CH340 (COM{com})"

[{interface}]
"DeviceInstance"="{instance_value}"

[{interface}\#]
"SymbolicLink"="\\\\?\\{link}"

[{interface}\#\Control]
"Linked"=dword:00000001
"""


def register_adapter(run, wine, com=COM_PORT):
    """Makes Wine's SetupAPI list a CH340 adapter on COMn, as Windows does once it is plugged
    in, so that the program finds the port by itself."""
    interface_class = "{86E0D1E0-8089-11D0-9CE4-08003E301F73}"
    instance = r"USB\VID_1A86&PID_7523\5&HXM&0&1"
    link = instance.replace("\\", "#") + "#" + interface_class
    text = CH340_REG.format(
        instance=instance, com=com, instance_value=instance.replace("\\", "\\\\"),
        link=link, interface=r"HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control"
        r"\DeviceClasses" + "\\" + interface_class + "\\##?#" + link)
    path = os.path.join(run.out, "ch340.reg")
    with open(path, "w") as f:
        f.write(text)
    result = subprocess.run([wine, "regedit", "/S", "Z:" + path.replace("/", "\\")],
                            env=run.env, stdin=subprocess.DEVNULL, capture_output=True,
                            timeout=EXIT_SECONDS)
    run.check("a CH340 adapter on COM%d registered as Plug and Play lists it" % com,
              result.returncode == 0, "regedit exit code %s" % result.returncode)
