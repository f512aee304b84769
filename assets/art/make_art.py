#!/usr/bin/env python3
"""Builds the compiled-in pictures: SVG sources, rasterised to exact-size RGBA PNGs.

Every picture named by an IMAGE line of assets/catalog.def is drawn by a function
registered in one of the family modules (art_ui, art_games).  A drawing function
takes (w, h) and returns the SVG body for a canvas of exactly w x h user units;
this script wraps it, writes <out>/<name>.svg and rasterises it with rsvg-convert
to <out>/<name>.png at exactly w x h pixels, 8-bit RGBA (colour type 6).

The output depends only on the sources: no timestamps, no randomness without a
fixed seed, and text in PT Sans Bold so the result does not vary between machines.

  make_art.py --catalog assets/catalog.def --out DIR [--only a,b,c] [--jobs N]
  make_art.py --catalog assets/catalog.def --out DIR --contact-sheet FILE.png
"""
import argparse
import concurrent.futures
import os
import re
import struct
import subprocess
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import art_ui  # noqa: E402
import art_games  # noqa: E402

IMAGE_RE = re.compile(r'^IMAGE\((\w+),\s*(\d+),\s*(\d+)\)')


def read_catalog(path):
    images = []
    with open(path, encoding='utf-8') as f:
        for line in f:
            m = IMAGE_RE.match(line.strip())
            if m:
                images.append((m.group(1), int(m.group(2)), int(m.group(3))))
    return images


def drawers():
    table = {}
    for module in (art_ui, art_games):
        for name, fn in module.PICTURES.items():
            if name in table:
                sys.exit(f'make_art: {name} is drawn twice')
            table[name] = fn
    return table


def svg_document(body, w, h):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            f'<svg xmlns="http://www.w3.org/2000/svg" '
            f'xmlns:xlink="http://www.w3.org/1999/xlink" '
            f'width="{w}" height="{h}" viewBox="0 0 {w} {h}">\n{body}\n</svg>\n')


def png_header(path):
    """(width, height, bit depth, colour type) read from a PNG's IHDR."""
    with open(path, 'rb') as f:
        head = f.read(33)
    if head[:8] != b'\x89PNG\r\n\x1a\n' or head[12:16] != b'IHDR':
        return None
    w, h, depth, ctype = struct.unpack('>IIBB', head[16:26])
    return w, h, depth, ctype


def rasterise(svg_path, png_path, w, h):
    subprocess.run(['rsvg-convert', '-w', str(w), '-h', str(h), '-f', 'png',
                    '-o', png_path, svg_path], check=True)
    info = png_header(png_path)
    if info is None or info[:2] != (w, h):
        raise RuntimeError(f'{png_path}: size {info} instead of {w}x{h}')
    if info[2:] != (8, 6):
        force_rgba(png_path)


def force_rgba(png_path):
    """Rewrites an opaque RGB PNG as RGBA (the loader expects colour type 6)."""
    with open(png_path, 'rb') as f:
        data = f.read()
    pos, chunks = 8, []
    while pos < len(data):
        n, = struct.unpack('>I', data[pos:pos + 4])
        chunks.append((data[pos + 4:pos + 8], data[pos + 8:pos + 8 + n]))
        pos += 12 + n
    ihdr = chunks[0][1]
    w, h, depth, ctype = struct.unpack('>IIBB', ihdr[:10])
    if depth != 8 or ctype not in (2, 6):
        raise RuntimeError(f'{png_path}: unsupported PNG depth {depth} type {ctype}')
    raw = zlib.decompress(b''.join(c[1] for c in chunks if c[0] == b'IDAT'))
    bpp = 3 if ctype == 2 else 4
    stride = w * bpp
    out = bytearray()
    prev = bytearray(stride)
    for y in range(h):
        ftype = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if ftype == 1:
                line[i] = (line[i] + a) & 255
            elif ftype == 2:
                line[i] = (line[i] + b) & 255
            elif ftype == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif ftype == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pr = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pr) & 255
        prev = line
        out.append(0)
        for x in range(w):
            out += line[x * bpp:x * bpp + 3] + b'\xff'
    def chunk(tag, body):
        return (struct.pack('>I', len(body)) + tag + body +
                struct.pack('>I', zlib.crc32(tag + body) & 0xffffffff))
    png = (b'\x89PNG\r\n\x1a\n' +
           chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0)) +
           chunk(b'IDAT', zlib.compress(bytes(out), 9)) + chunk(b'IEND', b''))
    with open(png_path, 'wb') as f:
        f.write(png)


def build_one(name, w, h, fn, out):
    svg_path = os.path.join(out, name + '.svg')
    png_path = os.path.join(out, name + '.png')
    text = svg_document(fn(w, h), w, h)
    with open(svg_path, 'w', encoding='utf-8') as f:
        f.write(text)
    rasterise(svg_path, png_path, w, h)
    return name


def contact_sheet(images, out, sheet_path):
    """One PNG of every picture, labelled with its name and size, on mid grey."""
    cell, pad, label = 320, 16, 40
    cols = 9
    rows = (len(images) + cols - 1) // cols
    W = cols * (cell + pad) + pad
    H = rows * (cell + label + pad) + pad
    parts = [f'<rect width="{W}" height="{H}" fill="#808080"/>']
    for i, (name, w, h) in enumerate(images):
        cx = pad + (i % cols) * (cell + pad)
        cy = pad + (i // cols) * (cell + label + pad)
        s = min(cell / w, cell / h)
        dw, dh = w * s, h * s
        href = os.path.abspath(os.path.join(out, name + '.png'))
        parts.append(f'<rect x="{cx}" y="{cy}" width="{cell}" height="{cell}" '
                     f'fill="none" stroke="#6a6a6a" stroke-width="1"/>')
        parts.append(f'<image x="{cx + (cell - dw) / 2:.1f}" y="{cy + (cell - dh) / 2:.1f}" '
                     f'width="{dw:.1f}" height="{dh:.1f}" xlink:href="file://{href}"/>')
        parts.append(f'<text x="{cx + cell / 2}" y="{cy + cell + 17}" font-family="PT Sans" '
                     f'font-weight="bold" font-size="16" text-anchor="middle" fill="#000">'
                     f'{name}</text>')
        parts.append(f'<text x="{cx + cell / 2}" y="{cy + cell + 35}" font-family="PT Sans" '
                     f'font-size="14" text-anchor="middle" fill="#111">{w}×{h}</text>')
    svg_path = sheet_path[:-4] + '.svg'
    with open(svg_path, 'w', encoding='utf-8') as f:
        f.write(svg_document('\n'.join(parts), W, H))
    subprocess.run(['rsvg-convert', '-f', 'png', '-o', sheet_path, svg_path], check=True)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--catalog', required=True)
    ap.add_argument('--out', required=True)
    ap.add_argument('--only', default='')
    ap.add_argument('--jobs', type=int, default=os.cpu_count() or 2)
    ap.add_argument('--contact-sheet', default='')
    args = ap.parse_args()

    images = read_catalog(args.catalog)
    os.makedirs(args.out, exist_ok=True)
    if args.contact_sheet:
        contact_sheet(images, args.out, args.contact_sheet)
        return
    table = drawers()
    only = set(filter(None, args.only.split(',')))
    todo = [(n, w, h) for n, w, h in images if not only or n in only]
    missing = [n for n, _, _ in todo if n not in table]
    if missing:
        sys.exit('make_art: no drawing for ' + ', '.join(missing))
    with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
        futures = [pool.submit(build_one, n, w, h, table[n], args.out) for n, w, h in todo]
        for fut in futures:
            fut.result()


if __name__ == '__main__':
    main()
