"""What a Windows shortcut (.lnk, the Shell Link format) starts: its target and its working
folder, as Windows paths. Only the parts a shortcut made by the installer uses are read."""
import struct

HEADER_SIZE = 0x4C
HAS_ID_LIST, HAS_LINK_INFO, HAS_NAME, HAS_RELATIVE_PATH, HAS_WORKING_DIR = 1, 2, 4, 8, 16
IS_UNICODE = 0x80


def _c_string(data, at, wide):
    if wide:
        end = at
        while data[end:end + 2] != b"\0\0":
            end += 2
        return data[at:end].decode("utf-16-le")
    return data[at:data.index(b"\0", at)].decode("latin-1")


def read(path):
    """{"target": ..., "working_dir": ...}; a value is None when the shortcut lacks it."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < HEADER_SIZE or struct.unpack_from("<I", data, 0)[0] != HEADER_SIZE:
        raise ValueError("%s is not a shortcut" % path)
    flags = struct.unpack_from("<I", data, 20)[0]
    at = HEADER_SIZE
    if flags & HAS_ID_LIST:
        at += 2 + struct.unpack_from("<H", data, at)[0]
    target = None
    if flags & HAS_LINK_INFO:
        size, header_size = struct.unpack_from("<II", data, at)
        base = struct.unpack_from("<I", data, at + 16)[0]
        if header_size >= 0x24:
            wide_base = struct.unpack_from("<I", data, at + 28)[0]
            target = _c_string(data, at + wide_base, True) if wide_base else None
        if target is None and base:
            target = _c_string(data, at + base, False)
        at += size
    strings = {}
    wide = bool(flags & IS_UNICODE)
    for name, bit in (("name", HAS_NAME), ("relative_path", HAS_RELATIVE_PATH),
                      ("working_dir", HAS_WORKING_DIR)):
        if flags & bit:
            count = struct.unpack_from("<H", data, at)[0]
            width = 2 if wide else 1
            raw = data[at + 2:at + 2 + count * width]
            # Some writers count the closing NUL as a character.
            strings[name] = raw.decode("utf-16-le" if wide else "latin-1").rstrip("\0")
            at += 2 + count * width
    return {"target": target, "working_dir": strings.get("working_dir")}
