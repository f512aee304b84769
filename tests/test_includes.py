#!/usr/bin/env python3
"""check-includes on small trees: a clean one passes, and each rule, broken by one added line,
is reported on exactly that line; include-graph draws the same line as an arrow against the
floors. Usage: test_includes.py SOURCE_ROOT"""
import os
import subprocess
import sys
import tempfile

SCRIPTS = os.path.join(sys.argv[1], "scripts")

CLEAN = {
    "core/clock.h": ["#include <stdint.h>"],
    "core/lock.h": ['#include "core/clock.h"'],
    "core/display.h": ["#include <SDL.h>", '#include "core/clock.h"'],
    "core/frame.h": ['#include "core/display.h"'],
    "assets/catalog.h": ['#include "core/display.h"'],
    "link/reader.h": ['#include "core/clock.h"'],
    "link/reader.cpp": ['#include "link/reader.h"', '#include "core/lock.h"'],
    "store/store.h": ["#include <sqlite3.h>"],
    "store/store.cpp": ['#include "store/store.h"', '#include "core/lock.h"'],
    "ui/label.h": ['#include "core/frame.h"', '#include "assets/catalog.h"'],
    "screens/menu.h": ['#include "ui/label.h"'],
    "screens/menu.cpp": ['#include "menu.h"', '#include "link/reader.h"', '#include "store/store.h"'],
    "games/duel.h": ['#include "ui/label.h"', '#include "store/store.h"'],
    "app/program.h": ['#include "screens/menu.h"', '#include "games/duel.h"'],
    "tests/support.h": ['#include "app/program.h"'],
}

# (file, added line, the rule's words)
BROKEN = [
    ("screens/menu.cpp", '#include "app/program.h"', "app/ is the roof"),
    ("games/duel.h", '#include "../app/program.h"', "app/ is the roof"),
    ("link/reader.cpp", '#include "core/display.h"', "core/display.h is not one of core/'s SDL-free"),
    ("store/store.cpp", '#include "core/frame.h"', "core/frame.h is not one of core/'s SDL-free"),
    ("link/reader.h", "#include <SDL2/SDL.h>", "link/ builds without SDL"),
    ("games/duel.h", '#include "screens/menu.h"', "screens/ is not below it"),
    ("ui/label.h", '#include "store/store.h"', "ui/ includes only core/ assets/;"),
    ("assets/catalog.h", '#include "link/reader.h"', "link/ is not below it"),
    ("link/reader.cpp", '#include "store/store.h"', "store/ is not below it"),
    ("core/display.h", '#include "assets/catalog.h"', "core/ is the ground"),
    ("screens/menu.cpp", '#include "tests/support.h"', "tests/ is not a floor"),
]


def tree(root, extra=None):
    """Writes the clean tree, `extra`'s line added to its file; returns where that line is."""
    where = None
    for path, lines in CLEAN.items():
        if extra and extra[0] == path:
            lines = lines + [extra[1]]
            where = f"{path}:{len(lines) + 1}:{extra[1]}  <- "
        os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
        with open(os.path.join(root, path), "w") as f:
            f.write("#pragma once\n" + "".join(line + "\n" for line in lines))
    return where


def run(*args):
    p = subprocess.run(args, capture_output=True, text=True)
    return p.returncode, p.stdout.splitlines()


failures = []
with tempfile.TemporaryDirectory() as clean:
    tree(clean)
    rc, out = run(os.path.join(SCRIPTS, "check-includes"), clean)
    if (rc, out) != (0, []):
        failures.append(f"clean tree: exit {rc}, {out}")
    rc, out = run(os.path.join(SCRIPTS, "include-graph"), os.path.join(clean, "g.svg"), clean)
    if (rc, out) != (0, []) or "#d0312d\" stroke-width" in open(os.path.join(clean, "g.svg")).read():
        failures.append(f"graph of the clean tree: exit {rc}, {out}")

for case in BROKEN:
    with tempfile.TemporaryDirectory() as root:
        where = tree(root, case)
        rc, out = run(os.path.join(SCRIPTS, "check-includes"), root)
        if rc != 1 or len(out) != 1 or not out[0].startswith(where) or case[2] not in out[0]:
            failures.append(f"{case}: exit {rc}, {out}")

with tempfile.TemporaryDirectory() as root:
    tree(root, BROKEN[5])
    rc, out = run(os.path.join(SCRIPTS, "include-graph"), os.path.join(root, "g.svg"), root)
    if out != ["against the floors: games/ -> screens/ (1 include line)"]:
        failures.append(f"graph with games/ on screens/: exit {rc}, {out}")

for failure in failures:
    print("FAILED", failure)
print(f"{len(BROKEN) + 3 - len(failures)} of {len(BROKEN) + 3} cases pass")
sys.exit(1 if failures else 0)
