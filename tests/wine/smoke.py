#!/usr/bin/python3
"""The Windows zip under Wine, headless under Xvfb, with a fresh Wine prefix.

  smoke.py --windows WINDOWS_BUILD --native NATIVE_BUILD

1. The package: HXM-windows-x64.zip is unpacked and hxm.exe started from its folder. The
   window must show a first frame (not black), a click on the main menu's settings button
   must reach the settings screen, and the window manager's close request must end the
   program with exit code 0, leaving hxm.db with the program's schema.
2. A second start ends through the program's own close cross, again with exit code 0.
3. The serial layer: a Wine COM port is mapped onto the virtual hub's pseudo-terminal and
   registered as a CH340 adapter, whose port SetupAPI discovery must find; the link probe (the link thread on the real Windows port layer) must open and configure
   it and read a connect, a hit and a disconnect; when the hub's terminal is closed (the
   adapter pulled out) the slot must empty and the thread go back to opening the port.
4. SetupAPI discovery against stand-in device lists (hxm-discovery-test.exe).

Where to click and what the screens look like come from the native build (hxm-screenshot
at the same screen size), so the test follows the layout. Exits 77 (skipped) when the
Windows build has not been made.
"""
import os
import queue
import subprocess
import sys
import time
import zipfile

from PIL import ImageStat

import harness as h

PACKAGE = "HXM-windows-x64"
LINE_SECONDS = 60         # one line of the link probe

# The program's schema: PRAGMA table_info rows (name, type, not null, default, primary key).
SCHEMA = {
    "user": [["id", "INTEGER", "1", "", "1"], ["uuid", "TEXT", "0", "NULL", "0"]],
    "training_hit_power": [
        ["id", "INTEGER", "1", "", "1"], ["record_position", "INTEGER", "0", "0", "0"],
        ["value", "INTEGER", "1", "", "0"], ["game_time", "REAL", "1", "", "0"],
        ["year", "INTEGER", "1", "", "0"], ["month", "INTEGER", "1", "", "0"],
        ["day", "INTEGER", "1", "", "0"], ["hour", "INTEGER", "1", "", "0"],
        ["minute", "INTEGER", "1", "", "0"], ["second", "INTEGER", "1", "", "0"],
        ["mac_address", "TEXT", "1", "", "0"]],
}


def check_database(run, path):
    run.check("hxm.db created beside hxm.exe", os.path.isfile(path))
    for table, columns in SCHEMA.items():
        rows = [row[1:] for row in h.sqlite_rows(path, "PRAGMA table_info(%s);" % table)]
        run.check("table %s has the program's columns" % table, rows == columns,
                  "" if rows == columns else "found %s" % rows)
    result = h.sqlite_rows(path, "PRAGMA integrity_check;")
    run.check("hxm.db passes the integrity check", result == [["ok"]], str(result))


def program_runs(run, wine, folder, screen, references, centres):
    menu_click = {"main_menu": centres["settingsButtonRect"]}
    program, window = h.start_program(run, wine, "hxm.exe", folder, screen, "hxm-1.log",
                                      first=True)
    first = h.wait_for(h.WINDOW_SECONDS, lambda: (
        lambda p: p if ImageStat.Stat(p.convert("L")).mean[0] > 8 else None)(screen.grab()))
    if first:
        first.save(os.path.join(run.out, "first-frame.png"))
    run.check("first frame drawn (screenshot not black)", first is not None)
    h.reach(run, screen, references, "settings", menu_click, "settings.png")
    screen.ask_to_close(window)
    code = h.wait_exit(program, h.EXIT_SECONDS)
    run.check("window close request ends the program with exit code 0", code == 0,
              "exit code %s" % code)
    check_database(run, os.path.join(folder, "hxm.db"))

    program, window = h.start_program(run, wine, "hxm.exe", folder, screen, "hxm-2.log",
                                      first=False)
    h.reach(run, screen, references, "main_menu", {}, "main-menu.png")
    screen.click(*centres["closeButtonRect"])
    code = h.wait_exit(program, h.EXIT_SECONDS)
    run.check("the close cross ends the program with exit code 0", code == 0,
              "exit code %s" % code)


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
    hub = h.hub_on_com_port(run, native, prefix)
    com = h.COM_PORT
    h.register_adapter(run, wine)
    probe = run.start([wine, probe_exe, str(com)], "link-probe.log",
                      stdout=subprocess.PIPE, text=True, bufsize=1)
    lines = h.line_reader(probe.stdout)
    expect(run, lines, "setupapi %d" % com, "Wine's SetupAPI lists the adapter on COM%d" % com)
    expect(run, lines, "open \\\\.\\COM%d ok" % com, "CreateFileA opens \\\\.\\COM%d" % com)
    expect(run, lines, "configure ok", "GetCommState, SetCommState and SetCommTimeouts succeed")
    mac = h.PAD_MAC
    hub.stdin.write("connect 1 %s\n" % mac)
    expect(run, lines, "connect 1 " + mac, "a connect message is read")
    hub.stdin.write("hit 1 200 87\n")
    expect(run, lines, "hit 1 200 87", "a hit message is read")
    hub.stdin.write("disconnect 1\n")
    expect(run, lines, "disconnect 1", "a disconnect message is read")
    hub.stdin.write("connect 1 %s\n" % mac)
    expect(run, lines, "connect 1 " + mac, "the pad connects again")
    hub.stdin.write("unplug\n")
    expect(run, lines, "disconnect 1", "pulling the adapter out empties the slot")
    expect(run, lines, "open \\\\.\\COM%d failed" % com,
           "the link goes back to opening the port, which is gone")
    code = h.wait_exit(probe, h.EXIT_SECONDS)
    run.check("link probe ends with exit code 0", code == 0, "exit code %s" % code)
    hub.stdin.close()
    h.wait_exit(hub, 10)


def discovery_runs(run, wine, discovery_exe):
    """Each case's lines, then its exit code."""
    result = subprocess.run([wine, discovery_exe], env=run.env, stdin=subprocess.DEVNULL,
                            capture_output=True, text=True, timeout=h.EXIT_SECONDS)
    lines = [l.rstrip("\r") for l in result.stdout.splitlines()]
    for line in lines:
        if line.startswith(("ok ", "FAIL ")):
            run.check("SetupAPI discovery, " + line.split(None, 1)[1], line.startswith("ok"),
                      stop=False)
    run.check("discovery test ends with exit code 0", result.returncode == 0 and len(lines) > 1,
              "exit code %s, %s" % (result.returncode, lines[-1] if lines else "no output"))


def steps(run, wine, display_name, prefix, screen, args):
    with zipfile.ZipFile(package_of(args)) as z:
        z.extractall(run.out)
    folder = os.path.join(run.out, PACKAGE)
    run.check("package unpacked", all(os.path.isfile(os.path.join(folder, f))
                                      for f in ("hxm.exe", "README.txt", "LICENSE.txt")))
    centres, references = h.native_shots(
        run, args.native, display_name,
        ["10:shot:intro", "11:screen:2", "12:shot:main_menu", "13:screen:9", "14:shot:settings"],
        ["settingsButtonRect", "closeButtonRect"])
    program_runs(run, wine, folder, screen, references, centres)
    serial_layer_runs(run, wine, prefix, args.native,
                      os.path.join(args.windows, "hxm-link-probe.exe"))
    discovery_runs(run, wine, os.path.join(args.windows, "hxm-discovery-test.exe"))


def package_of(args):
    return os.path.join(args.windows, PACKAGE + ".zip")


if __name__ == "__main__":
    sys.exit(h.main("wine-test", package_of, steps))
