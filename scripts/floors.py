"""The floors of the source and the rules its includes follow; read by check-includes and
include-graph, so the order lives here only."""

import os
import re

# From the ground up. A folder includes its own files and the folders on the floors below it;
# folders on one floor do not include each other.
FLOORS = [
    ["core"],
    ["assets", "link", "store"],
    ["ui"],
    ["screens", "games"],
    ["app"],
]
# Folders that stand on fewer than all the floors below them.
NARROWER = {"ui": ["core", "assets"]}
# Folders that build without SDL: of core they include only the headers that build without it.
WITHOUT_SDL = ["link", "store"]
ROOF = FLOORS[-1][0]
GROUND = FLOORS[0][0]

SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cpp", ".def", ".inc")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')

FLOOR_OF = {folder: n for n, floor in enumerate(FLOORS) for folder in floor}


def stands_on(folder):
    """The folders whose files `folder` may include, besides its own."""
    if folder in NARROWER:
        return NARROWER[folder]
    return [f for floor in FLOORS[:FLOOR_OF[folder]] for f in floor]


def is_sdl(name):
    return os.path.basename(name).startswith("SDL") or name.startswith("SDL2/")


class Include:
    """One include line: the file and line holding it, what it names, and which of our folders
    that is (None for a system or library header)."""

    def __init__(self, path, line_no, text, name, target):
        self.path, self.line_no, self.text, self.name, self.target = (
            path, line_no, text, name, target)

    @property
    def folder(self):
        return self.path.split("/", 1)[0]


def scan(root):
    """{path: its include lines} for every source file under the floors' folders."""
    top_dirs = {d for d in os.listdir(root) if os.path.isdir(os.path.join(root, d))}
    found = {}
    for folder in sorted(FLOOR_OF):
        for dirpath, dirs, files in os.walk(os.path.join(root, folder)):
            dirs.sort()
            for name in sorted(files):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                full = os.path.join(dirpath, name)
                path = os.path.relpath(full, root).replace(os.sep, "/")
                lines = found[path] = []
                with open(full, encoding="utf-8", errors="replace") as f:
                    for line_no, text in enumerate(f, 1):
                        m = INCLUDE.match(text)
                        if m:
                            lines.append(Include(path, line_no, text.rstrip("\n"), m.group(2),
                                                 _target(root, top_dirs, path, m.group(1),
                                                         m.group(2))))
    return found


def _target(root, top_dirs, path, quote, name):
    if quote != '"':
        return None
    head = name.split("/", 1)[0]
    if "/" in name and head in top_dirs:
        return name
    beside = os.path.normpath(os.path.join(os.path.dirname(path), name)).replace(os.sep, "/")
    return beside if os.path.isfile(os.path.join(root, beside)) else None


def sdl_free_headers(by_file):
    """The core headers that build without SDL: those including no SDL header and, of ours,
    only other such headers."""
    free = {p for p in by_file if p.startswith(GROUND + "/") and p.endswith((".h", ".hpp"))}
    changed = True
    while changed:
        changed = False
        for header in sorted(free):
            if any(is_sdl(inc.name) if inc.target is None else inc.target not in free
                   for inc in by_file.get(header, [])):
                free.discard(header)
                changed = True
    return free


def broken_rule(inc, sdl_free):
    """Why this include line breaks the floors, or None when it keeps them."""
    folder = inc.folder
    if inc.target is None:
        if folder in WITHOUT_SDL and is_sdl(inc.name):
            return f"{folder}/ builds without SDL"
        return None
    to = inc.target.split("/", 1)[0]
    if to == folder:
        return None
    if to not in FLOOR_OF:
        return f"{to}/ is not a floor of the program"
    if to == ROOF:
        return f"{ROOF}/ is the roof: nothing below it includes it"
    if folder in WITHOUT_SDL and to == GROUND and inc.target not in sdl_free:
        return f"{folder}/ builds without SDL: {inc.target} is not one of {GROUND}/'s SDL-free headers"
    allowed = stands_on(folder)
    if not allowed:
        return f"{folder}/ is the ground: it includes nothing of ours"
    if to not in allowed:
        below = " ".join(f + "/" for f in allowed)
        return f"{folder}/ includes only {below}; {to}/ is not below it"
    return None


def violations(root):
    """(include, rule) for every include line that breaks the floors."""
    by_file = scan(root)
    sdl_free = sdl_free_headers(by_file)
    return [(inc, rule) for lines in by_file.values() for inc in lines
            for rule in [broken_rule(inc, sdl_free)] if rule]


def folder_edges(by_file):
    """{(from, to): [count, broken]} for the includes between two different floor folders."""
    sdl_free = sdl_free_headers(by_file)
    edges = {}
    for inc in (inc for lines in by_file.values() for inc in lines):
        if inc.target is None:
            continue
        to = inc.target.split("/", 1)[0]
        if to == inc.folder or to not in FLOOR_OF:
            continue
        edge = edges.setdefault((inc.folder, to), [0, False])
        edge[0] += 1
        edge[1] = edge[1] or broken_rule(inc, sdl_free) is not None
    return edges
