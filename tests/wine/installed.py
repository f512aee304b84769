#!/usr/bin/python3
"""The Windows installer end to end under Wine, headless under Xvfb, in a fresh Wine prefix.

  installed.py --windows WINDOWS_BUILD --native NATIVE_BUILD --version X.Y.Z

1. HXM-setup-X.Y.Z.exe /S installs the program into %LOCALAPPDATA%\\Programs\\HXM, with
   an "Apps and features" entry, and Start-menu and desktop shortcuts that start it in
   %LOCALAPPDATA%\\HXM.
2. The installed program, started as the shortcut starts it, finds a CH340 adapter on COM7
   (a virtual hub behind it) by itself; a pad connects, the program is clicked through to
   the hit-power training, the pad strikes, the hit shows, and the close cross ends the
   program with exit code 0. The hit is in hxm.db in the data folder, as the best result.
3. Installing over the installed program keeps hxm.db as it was.
4. uninstall.exe /S takes away the program, its shortcuts and its entry; hxm.db stays.
5. Installing again keeps hxm.db as it was.

Screens are recognised by comparison with the native program's own screenshots, and the
clicks land on its layout's rectangles. Exits 77 (skipped) when no installer was built.
"""
import hashlib
import os
import re
import subprocess
import sys

import harness as h
import shell_link

INSTALL_SECONDS = 180
WINDRES = "x86_64-w64-mingw32-windres"  # reads an executable's resources back
HIT_POWER = 200
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\HXM"
PROGRAM_FILES = ["hxm.exe", "uninstall.exe", "README.txt", "LICENSE.txt",
                 os.path.join("font", "hxm_font.ttf")]


class Prefix:
    """Where the installer's Windows folders are in the prefix, as Windows and Unix paths."""

    def __init__(self, path):
        self.path = path
        users = os.path.join(path, "drive_c", "users")
        self.user = [u for u in os.listdir(users) if u.lower() != "public"][0]
        self.home = "C:\\users\\%s" % self.user
        self.programs = self.home + r"\AppData\Local\Programs\HXM"
        self.data = self.home + r"\AppData\Local\HXM"
        self.start_menu = self.home + r"\AppData\Roaming\Microsoft\Windows\Start Menu\Programs"
        self.desktop = self.home + r"\Desktop"

    def unix(self, windows_path):
        assert windows_path[:3].upper() == "C:\\", windows_path
        return os.path.join(self.path, "drive_c", *windows_path[3:].split("\\"))

    def own_desktop(self):
        """Wine links the desktop to the Unix home: give the prefix a folder of its own, so
        that the shortcut lands in the prefix and nowhere else."""
        desktop = self.unix(self.desktop)
        if os.path.islink(desktop):
            os.remove(desktop)
        os.makedirs(desktop, exist_ok=True)


def run_installer(run, wine, args, what, log_name):
    """An installer or uninstaller run silently, until it and what it started have ended."""
    process = run.start([wine] + args, log_name)
    code = h.wait_exit(process, INSTALL_SECONDS)
    settled = h.wine_settle(run, INSTALL_SECONDS)
    run.check(what, code == 0 and settled, "exit code %s" % code)


def registry_values(run, wine, key):
    """{name: value} of a registry key through Wine's reg.exe; None when the key is absent."""
    result = subprocess.run([wine, "reg", "query", key], env=run.env, stdin=subprocess.DEVNULL,
                            capture_output=True, text=True, timeout=h.EXIT_SECONDS)
    if result.returncode != 0:
        return None
    values = {}
    for line in result.stdout.splitlines():
        m = re.match(r"\s+(\S+)\s+(REG_\w+)\s+(.*?)\s*$", line)
        if m:
            values[m.group(1)] = m.group(3)
    return values


def check_installed(run, wine, prefix, version):
    folder = prefix.unix(prefix.programs)
    missing = [f for f in PROGRAM_FILES if not os.path.isfile(os.path.join(folder, f))]
    run.check("the program is in %s" % prefix.programs, not missing, "missing %s" % missing)
    resources = subprocess.run([WINDRES, "-i", os.path.join(folder, "hxm.exe"), "-O", "rc"],
                               stdin=subprocess.DEVNULL, capture_output=True, text=True,
                               timeout=h.EXIT_SECONDS).stdout
    run.check("hxm.exe carries its icon and version %s" % version,
              "RT_GROUP_ICON" in resources and
              ('VALUE "ProductVersion", "%s"' % version) in resources)
    values = registry_values(run, wine, UNINSTALL_KEY) or {}
    exe_path = prefix.programs + r"\hxm.exe"
    uninstaller = prefix.programs + r"\uninstall.exe"
    expected = {
        "DisplayName": "HXM", "DisplayVersion": version, "Publisher": "HXM developers",
        "DisplayIcon": exe_path + ",0", "InstallLocation": prefix.programs,
        "UninstallString": '"%s"' % uninstaller, "QuietUninstallString": '"%s" /S' % uninstaller,
        "NoModify": "0x1", "NoRepair": "0x1"}
    wrong = {k: values.get(k) for k, v in expected.items() if values.get(k, "").lower() != v.lower()}
    size = int(values.get("EstimatedSize", "0"), 16) if values.get("EstimatedSize") else 0
    run.check("\"Apps and features\" lists HXM %s" % version, not wrong and size > 1000,
              "EstimatedSize %d KB" % size if not wrong else "wrong: %s" % wrong)
    for where, folder_name in (("Start menu", prefix.start_menu), ("desktop", prefix.desktop)):
        path = prefix.unix(folder_name + r"\HXM.lnk")
        link = shell_link.read(path) if os.path.isfile(path) else {}
        ok = (link.get("target") or "").lower() == exe_path.lower() and \
            (link.get("working_dir") or "").lower() == prefix.data.lower()
        run.check("the %s shortcut starts hxm.exe in %s" % (where, prefix.data), ok, str(link))
    return shell_link.read(prefix.unix(prefix.start_menu + r"\HXM.lnk"))


def train_one_hit(run, wine, prefix, link, screen, references, centres, hub):
    """The program as the shortcut starts it, through the menus to one stored hit."""
    program, _ = h.start_program(run, wine, prefix.unix(link["target"]),
                                 prefix.unix(link["working_dir"]), screen, "hxm.log", first=True)
    to_power = {"main_menu": centres["trainingButtonRect"],
                "training_menu": centres["hitPowerButtonRect"]}
    h.reach(run, screen, references, "power_idle", to_power, "power-idle.png")
    h.reach(run, screen, references, "power_countdown", {"power_idle": centres["playButtonRect"]},
            "power-countdown.png")
    h.reach(run, screen, references, "power_idle", {}, "power-measuring.png")
    hub.stdin.write("hit 1 %d 90\n" % HIT_POWER)
    h.reach(run, screen, references, "power_hit", {}, "installed-power-hit.png")
    screen.click(*centres["closeButtonRect"])
    code = h.wait_exit(program, h.EXIT_SECONDS)
    run.check("the close cross ends the installed program with exit code 0", code == 0,
              "exit code %s" % code)


def database_state(path):
    if not os.path.isfile(path):
        return None
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def check_uninstalled(run, wine, prefix, database, stored):
    gone = [p for p in (prefix.programs, prefix.start_menu + r"\HXM.lnk",
                        prefix.desktop + r"\HXM.lnk") if os.path.lexists(prefix.unix(p))]
    run.check("the program and its shortcuts are gone", not gone, "left: %s" % gone)
    run.check("\"Apps and features\" no longer lists HXM",
              registry_values(run, wine, UNINSTALL_KEY) is None)
    run.check("hxm.db stays, as it was", database_state(database) == stored)


def steps(run, wine, display_name, prefix_path, screen, args):
    installer = installer_of(args)
    prefix = Prefix(prefix_path)
    prefix.own_desktop()
    mac = h.PAD_MAC
    centres, references = h.native_shots(
        run, args.native, display_name,
        ["10:shot:intro", "11:screen:2", "12:shot:main_menu", "13:screen:3",
         "14:shot:training_menu", "15:screen:6", "16:hub:connect,1," + mac, "17:wait:300",
         "20:shot:power_idle", "21:key:44", "60:shot:power_countdown",
         "250:hub:hit,1,%d,90" % HIT_POWER, "251:wait:300", "350:shot:power_hit"],
        ["trainingButtonRect", "hitPowerButtonRect", "playButtonRect", "closeButtonRect"])

    run_installer(run, wine, [installer, "/S"], "silent install ends with exit code 0",
                  "install-1.log")
    link = check_installed(run, wine, prefix, args.version)

    h.register_adapter(run, wine)
    hub = h.hub_on_com_port(run, args.native, prefix_path)
    hub.stdin.write("connect 1 %s\n" % mac)
    train_one_hit(run, wine, prefix, link, screen, references, centres, hub)
    hub.stdin.close()
    database = prefix.unix(prefix.data + r"\hxm.db")
    rows = h.sqlite_rows(database, "SELECT record_position, value, mac_address "
                                    "FROM training_hit_power;")
    run.check("the hit is in %s\\hxm.db as the best result" % prefix.data,
              rows == [["1", str(HIT_POWER), mac]], "rows %s" % rows)
    run.check("no hxm.db beside the installed program", not os.path.exists(
        prefix.unix(prefix.programs + r"\hxm.db")))
    stored = database_state(database)

    run_installer(run, wine, [installer, "/S"], "installing over it ends with exit code 0",
                  "install-2.log")
    check_installed(run, wine, prefix, args.version)
    run.check("installing over it keeps hxm.db as it was", database_state(database) == stored)

    run_installer(run, wine, [prefix.unix(prefix.programs + r"\uninstall.exe"), "/S"],
                  "silent uninstall ends with exit code 0", "uninstall.log")
    check_uninstalled(run, wine, prefix, database, stored)

    run_installer(run, wine, [installer, "/S"], "installing again ends with exit code 0",
                  "install-3.log")
    check_installed(run, wine, prefix, args.version)
    run.check("installing again keeps hxm.db as it was", database_state(database) == stored)


def installer_of(args):
    return os.path.join(args.windows, "HXM-setup-%s.exe" % args.version)


if __name__ == "__main__":
    sys.exit(h.main("wine-install-test", installer_of, steps,
                    [("--version", "the version the installer carries")]))
