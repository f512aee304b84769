"""Drawings of the interface pictures: rings, menus, results, device screen, statistics.

Each drawing takes the canvas size (w, h) and returns an SVG body for a viewBox of
0 0 w h.  Shapes are computed from the canvas size so every picture scales with it,
and line widths stay a fixed share of the picture so they survive down-scaling.
"""
import functools
import math
import struct

from art_palette import BLACK, DARK_GREY, GREEN, LIME, WHITE

RED = (214, 40, 40)

FONT = 'font-family="PT Sans" font-weight="bold"'
FONT_FILE = '/usr/share/fonts/truetype/paratype/PTS75F.ttf'

# The power scale and the rating badges share one colour ladder, from the weakest
# rank (bottom bar) to the strongest (top bar).  Only the top rank differs: its
# badge is pink while its bar is red.
RANKS = [
    # word,      badge colour,     bar colour
    ('малыш',   (140, 70, 205),  (140, 70, 205)),   # violet
    ('крепыш',  (45, 112, 225),  (45, 112, 225)),   # blue
    ('четкий',  (18, 165, 160),  (18, 165, 160)),   # teal
    ('в ударе', GREEN,           GREEN),            # green
    ('Монстр',  LIME,            LIME),             # lime
    ('Бугай',   (250, 222, 45),  (250, 222, 45)),   # yellow
    ('Титан',   (245, 170, 35),  (245, 170, 35)),   # amber
    ('Мощный',  (240, 112, 32),  (240, 112, 32)),   # orange
    ('Топчик',  (235, 75, 160),  (222, 38, 38)),    # pink badge, red bar
]

METALS = {
    'gold': ((255, 226, 110), (224, 168, 24), (150, 100, 10)),
    'silver': ((246, 248, 252), (178, 184, 194), (105, 110, 120)),
    'bronze': ((240, 170, 110), (196, 118, 52), (120, 66, 24)),
}


# ---------------------------------------------------------------- SVG helpers

def fmt(v):
    if isinstance(v, tuple):
        return rgb(v)
    if isinstance(v, float):
        return f'{v:.2f}'.rstrip('0').rstrip('.')
    return str(v)


def rgb(c):
    return '#%02x%02x%02x' % tuple(int(round(x)) for x in c)


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def lighter(c, t):
    return mix(c, WHITE, t)


def darker(c, t):
    return mix(c, BLACK, t)


def el(tag, body=None, **attrs):
    """One element; attribute names use _ for - and a trailing _ for keywords."""
    a = ''.join(f' {k.rstrip("_").replace("_", "-")}="{fmt(v)}"'
                for k, v in attrs.items() if v is not None)
    if body is None:
        return f'<{tag}{a}/>'
    return f'<{tag}{a}>{body}</{tag}>'


def _stops(stops):
    out = []
    for s in stops:
        offset, colour = s[0], s[1]
        opacity = s[2] if len(s) > 2 else 1
        out.append(el('stop', offset=float(offset), stop_color=colour, stop_opacity=float(opacity)))
    return ''.join(out)


def linear(gid, stops, x1=0, y1=0, x2=0, y2=1):
    return el('linearGradient', _stops(stops), id=gid, x1=x1, y1=y1, x2=x2, y2=y2)


def linear_user(gid, stops, x1, y1, x2, y2):
    return el('linearGradient', _stops(stops), id=gid, gradientUnits='userSpaceOnUse',
              x1=float(x1), y1=float(y1), x2=float(x2), y2=float(y2))


def radial_user(gid, stops, cx, cy, r, fx=None, fy=None):
    return el('radialGradient', _stops(stops), id=gid, gradientUnits='userSpaceOnUse',
              cx=float(cx), cy=float(cy), r=float(r),
              fx=None if fx is None else float(fx), fy=None if fy is None else float(fy))


def defs(*items):
    return el('defs', ''.join(items))


def group(body, **attrs):
    return el('g', ''.join(body) if isinstance(body, list) else body, **attrs)


def points(pts):
    return ' '.join(f'{fmt(float(x))},{fmt(float(y))}' for x, y in pts)


def polygon(pts, **attrs):
    return el('polygon', points=points(pts), **attrs)


def path_of(pts, closed=True):
    d = 'M' + ' L'.join(f'{float(x):.1f},{float(y):.1f}' for x, y in pts)
    return d + (' Z' if closed else '')


def circle(cx, cy, r, **attrs):
    return el('circle', cx=float(cx), cy=float(cy), r=float(r), **attrs)


def rect(x, y, w, h, rx=0, **attrs):
    return el('rect', x=float(x), y=float(y), width=float(w), height=float(h),
              rx=float(rx) if rx else None, **attrs)


def polar(cx, cy, r, deg):
    a = math.radians(deg)
    return cx + r * math.cos(a), cy + r * math.sin(a)


def star_points(cx, cy, r_out, r_in, n, rot=-90.0):
    return [polar(cx, cy, r_out if i % 2 == 0 else r_in, rot + i * 180.0 / n)
            for i in range(2 * n)]


def text(x, y, s, size, fill, anchor='middle', **attrs):
    return el('text', s, x=float(x), y=float(y), font_size=float(size), fill=fill,
              text_anchor=anchor, **attrs).replace('<text ', f'<text {FONT} ', 1)


def outlined_text(x, y, s, size, fill, outline, width, anchor='middle', **attrs):
    """Text with a solid outline: the outline is drawn first, under the letters."""
    return (text(x, y, s, size, outline, anchor, stroke=outline, stroke_width=float(width),
                 stroke_linejoin='round', **attrs) +
            text(x, y, s, size, fill, anchor, **attrs))


# ---------------------------------------------------------------- font metrics

@functools.lru_cache(maxsize=None)
def _font_tables():
    with open(FONT_FILE, 'rb') as f:
        data = f.read()
    count, = struct.unpack('>H', data[4:6])
    tables = {}
    for i in range(count):
        tag, _, off, length = struct.unpack('>4sIII', data[12 + 16 * i:28 + 16 * i])
        tables[tag.decode('latin-1')] = (off, length)
    upem, = struct.unpack('>H', data[tables['head'][0] + 18:tables['head'][0] + 20])
    n_metrics, = struct.unpack('>H', data[tables['hhea'][0] + 34:tables['hhea'][0] + 36])
    return data, tables, upem, n_metrics


def _glyph_index(code):
    data, tables, _, _ = _font_tables()
    base = tables['cmap'][0]
    n, = struct.unpack('>H', data[base + 2:base + 4])
    for i in range(n):
        plat, enc, off = struct.unpack('>HHI', data[base + 4 + 8 * i:base + 12 + 8 * i])
        sub = base + off
        if plat == 3 and enc == 1 and struct.unpack('>H', data[sub:sub + 2])[0] == 4:
            segs = struct.unpack('>H', data[sub + 6:sub + 8])[0] // 2
            ends = sub + 14
            starts = ends + 2 * segs + 2
            deltas = starts + 2 * segs
            ranges = deltas + 2 * segs
            for s in range(segs):
                end, = struct.unpack('>H', data[ends + 2 * s:ends + 2 * s + 2])
                if code > end:
                    continue
                start, = struct.unpack('>H', data[starts + 2 * s:starts + 2 * s + 2])
                if code < start:
                    return 0
                delta, = struct.unpack('>h', data[deltas + 2 * s:deltas + 2 * s + 2])
                roff, = struct.unpack('>H', data[ranges + 2 * s:ranges + 2 * s + 2])
                if roff == 0:
                    return (code + delta) & 0xFFFF
                at = ranges + 2 * s + roff + 2 * (code - start)
                g, = struct.unpack('>H', data[at:at + 2])
                return (g + delta) & 0xFFFF if g else 0
    return 0


@functools.lru_cache(maxsize=None)
def _advance(ch):
    data, tables, upem, n_metrics = _font_tables()
    g = min(_glyph_index(ord(ch)), n_metrics - 1)
    at = tables['hmtx'][0] + 4 * g
    return struct.unpack('>H', data[at:at + 2])[0] / upem


def text_width(s, size):
    """Advance width of s in PT Sans Bold at the given size (kerning ignored)."""
    return sum(_advance(ch) for ch in s) * size


def fit_size(s, max_w, max_h):
    """Largest font size whose capitals fit max_h and whose line fits max_w."""
    return min(max_h / 0.7, max_w / text_width(s, 1.0))


CAP = 0.70  # cap height of PT Sans, in em: baseline = centre + CAP/2 * size


# ---------------------------------------------------------------- product lettering

def hxm_letters(x, y, height, fills, gap=0.1):
    """The product mark "HXM" drawn as our own slanted block letters.

    (x, y) is the bottom-left corner of the H; fills are three paint values, one per
    letter.  Returns (svg, width of the word)."""
    t = height * 0.25          # stroke thickness
    lw = height * 0.86         # letter width
    mw = height * 1.06         # the M is wider
    g = height * gap
    top = y - height

    def h_letter(x0):
        bar0, bar1 = y - height * 0.62, y - height * 0.62 + t * 0.95
        return [[(x0, y), (x0, top), (x0 + t, top), (x0 + t, bar0), (x0 + lw - t, bar0),
                 (x0 + lw - t, top), (x0 + lw, top), (x0 + lw, y), (x0 + lw - t, y),
                 (x0 + lw - t, bar1), (x0 + t, bar1), (x0 + t, y)]]

    def x_letter(x0):
        b = t * 1.2
        return [[(x0, top), (x0 + b, top), (x0 + lw, y), (x0 + lw - b, y)],
                [(x0 + lw - b, top), (x0 + lw, top), (x0 + b, y), (x0, y)]]

    def m_letter(x0):
        mid, a = x0 + mw / 2, t * 1.15
        notch = y - height * 0.3
        return [[(x0, y), (x0, top), (x0 + a, top), (mid, notch - t * 1.15),
                 (x0 + mw - a, top), (x0 + mw, top), (x0 + mw, y), (x0 + mw - t, y),
                 (x0 + mw - t, top + height * 0.42), (mid, notch + t * 0.2),
                 (x0 + t, top + height * 0.42), (x0 + t, y)]]

    letters = [h_letter(x), x_letter(x + lw + g), m_letter(x + 2 * (lw + g))]
    width = 2 * (lw + g) + mw
    # A forward slant around the baseline gives the mark its speed.
    skew = (f'translate({fmt(float(x))},{fmt(float(y))}) skewX(-12) '
            f'translate({fmt(-float(x))},{fmt(-float(y))})')
    out = [el('path', d=' '.join(path_of(p) for p in shapes), fill=fill)
           for shapes, fill in zip(letters, fills)]
    return group(out, transform=skew), width


# ---------------------------------------------------------------- rings

def ring(w, h, pictogram=None):
    """A glowing green ring on a dark disc; pictogram(cx, cy, s) draws inside radius s."""
    cx, cy = w / 2, h / 2
    R = min(w, h) / 2
    rr = R * 0.80           # centre line of the ring
    sw = R * 0.11           # ring thickness
    inner = rr - sw / 2
    body = [defs(
        radial_user('glow', [(0, GREEN, 0), ((rr - sw) / R, GREEN, 0), (rr / R, LIME, 0.55),
                             ((rr + sw * 0.9) / R, GREEN, 0.28), (1, GREEN, 0)], cx, cy, R),
        radial_user('disc', [(0, (34, 40, 32), 0.92), (1, (16, 19, 16), 0.92)],
                    cx, cy - inner * 0.3, inner * 1.3),
        linear_user('band', [(0, lighter(LIME, 0.25)), (0.5, LIME), (1, GREEN)],
                    cx, cy - rr, cx, cy + rr),
        linear_user('ink', [(0, WHITE), (1, (222, 230, 214))], cx, cy - inner, cx, cy + inner),
    )]
    body.append(circle(cx, cy, R, fill='url(#glow)'))
    body.append(circle(cx, cy, inner, fill='url(#disc)'))
    body.append(circle(cx, cy, rr, fill='none', stroke='url(#band)', stroke_width=sw))
    body.append(circle(cx, cy, rr + sw / 2, fill='none', stroke=lighter(LIME, 0.6),
                       stroke_opacity=0.55, stroke_width=sw * 0.12))
    body.append(circle(cx, cy, inner, fill='none', stroke=darker(GREEN, 0.5),
                       stroke_opacity=0.8, stroke_width=sw * 0.12))
    if pictogram:
        body.append(pictogram(cx, cy, inner))
    return ''.join(body)


def shadowed(draw, cx, cy, s):
    """A pictogram with a soft dark copy under it, so it lifts off the disc."""
    off = s * 0.035
    return (group(draw(cx + off, cy + off * 1.5, s, BLACK), opacity=0.45) +
            draw(cx, cy, s, 'url(#ink)'))


def gear_path(cx, cy, r, teeth, hole):
    """A gear of outer radius r with square-ish teeth and a round hole."""
    root = r * 0.78
    pts = []
    step = 360.0 / teeth
    for i in range(teeth):
        a = i * step
        pts += [polar(cx, cy, root, a - step * 0.5), polar(cx, cy, root, a - step * 0.28),
                polar(cx, cy, r, a - step * 0.19), polar(cx, cy, r, a + step * 0.19),
                polar(cx, cy, root, a + step * 0.28)]
    d = path_of(pts)
    d += (f' M{cx + hole:.1f},{cy:.1f} a{hole:.1f},{hole:.1f} 0 1,0 {-2 * hole:.1f},0'
          f' a{hole:.1f},{hole:.1f} 0 1,0 {2 * hole:.1f},0 Z')
    return d


def gear_one(cx, cy, s, fill):
    return el('path', d=gear_path(cx, cy, s * 0.7, 8, s * 0.24), fill=fill, fill_rule='evenodd')


def gear_two(cx, cy, s, fill):
    big = gear_path(cx - s * 0.2, cy + s * 0.16, s * 0.5, 8, s * 0.17)
    small = gear_path(cx + s * 0.36, cy - s * 0.34, s * 0.32, 7, s * 0.11)
    return el('path', d=big + ' ' + small, fill=fill, fill_rule='evenodd')


def play_mark(cx, cy, s, fill):
    r = s * 0.56
    pts = [polar(cx + s * 0.08, cy, r, a) for a in (0, 120, 240)]
    return polygon(pts, fill=fill, stroke=fill, stroke_width=s * 0.14, stroke_linejoin='round')


def back_mark(cx, cy, s, fill):
    t = s * 0.2
    head = [(cx - s * 0.62, cy), (cx - s * 0.08, cy - s * 0.5), (cx - s * 0.08, cy + s * 0.5)]
    shaft = rect(cx - s * 0.2, cy - t / 2, s * 0.78, t, rx=t * 0.3, fill=fill)
    return polygon(head, fill=fill, stroke=fill, stroke_width=s * 0.09,
                   stroke_linejoin='round') + shaft


def repeat_mark(cx, cy, s, fill):
    """A clockwise circular arrow with its head at the top left."""
    r, t = s * 0.44, s * 0.19
    a0, a1 = -45, 215
    x0, y0 = polar(cx, cy, r, a0)
    x1, y1 = polar(cx, cy, r, a1)
    arc = el('path', d=f'M{x0:.1f},{y0:.1f} A{r:.1f},{r:.1f} 0 1,1 {x1:.1f},{y1:.1f}',
             fill='none', stroke=fill, stroke_width=t, stroke_linecap='round')
    tip = polar(x1, y1, s * 0.36, a1 + 90)
    head = polygon([tip, polar(cx, cy, r + s * 0.24, a1), polar(cx, cy, r - s * 0.24, a1)],
                   fill=fill, stroke=fill, stroke_width=s * 0.06, stroke_linejoin='round')
    return arc + head


def digit_mark(d):
    def draw(cx, cy, s, fill):
        size = s * 1.45
        return text(cx, cy + size * CAP / 2, d, size, fill)
    return draw


def word_mark(word):
    def draw(cx, cy, s, fill):
        size = fit_size(word, s * 1.5, s * 0.8)
        return text(cx, cy + size * CAP / 2, word, size, fill)
    return draw


def fist_mark(cx, cy, s, fill):
    """A clenched fist seen from the front: four knuckle rolls, the thumb across, the wrist."""
    line = (30, 36, 28)
    sw = s * 0.045
    fw = s * 0.245
    x0 = cx - s * 0.5
    parts = [rect(cx - s * 0.3, cy + s * 0.25, s * 0.6, s * 0.5, rx=s * 0.06,
                  fill=fill, stroke=line, stroke_width=sw),
             rect(x0, cy - s * 0.2, 4 * fw, s * 0.56, rx=s * 0.18,
                  fill=fill, stroke=line, stroke_width=sw)]
    # the middle fingers stand a little proud of the others
    for i, lift in enumerate((0.0, 0.06, 0.05, -0.03)):
        parts.append(rect(x0 + i * fw, cy - s * (0.52 + lift), fw, s * (0.48 + lift), rx=fw * 0.42,
                          fill=fill, stroke=line, stroke_width=sw))
    parts.append(rect(x0 - s * 0.06, cy - s * 0.1, s * 0.72, s * 0.26, rx=s * 0.13,
                      fill=fill, stroke=line, stroke_width=sw))
    return group(parts)


def trophy(cx, cy, s, body, mark, digit, outline=None):
    """A cup on a stem and base, marked with a digit; s is half its height."""
    top, rim_w = cy - s, s * 0.78
    bowl_bottom = cy + s * 0.22
    parts = []
    hw = s * 0.075
    for side in (-1, 1):
        hx = cx + side * rim_w * 0.78
        parts.append(el('path', d=f'M{cx + side * rim_w * 0.66:.1f},{top + s * 0.2:.1f} '
                                  f'C{hx + side * s * 0.55:.1f},{top + s * 0.1:.1f} '
                                  f'{hx + side * s * 0.35:.1f},{cy + s * 0.1:.1f} '
                                  f'{cx + side * s * 0.3:.1f},{cy + s * 0.12:.1f}',
                        fill='none', stroke=body, stroke_width=hw * 2, stroke_linecap='round'))
    bowl = (f'M{cx - rim_w:.1f},{top:.1f} L{cx + rim_w:.1f},{top:.1f} '
            f'C{cx + rim_w:.1f},{cy - s * 0.05:.1f} {cx + s * 0.34:.1f},{bowl_bottom:.1f} '
            f'{cx + s * 0.1:.1f},{bowl_bottom + s * 0.08:.1f} '
            f'L{cx + s * 0.1:.1f},{cy + s * 0.55:.1f} L{cx - s * 0.1:.1f},{cy + s * 0.55:.1f} '
            f'L{cx - s * 0.1:.1f},{bowl_bottom + s * 0.08:.1f} '
            f'C{cx - s * 0.34:.1f},{bowl_bottom:.1f} {cx - rim_w:.1f},{cy - s * 0.05:.1f} '
            f'{cx - rim_w:.1f},{top:.1f} Z')
    ol = {} if outline is None else {'stroke': outline, 'stroke_width': s * 0.03,
                                     'stroke_linejoin': 'round'}
    parts.append(el('path', d=bowl, fill=body, **ol))
    parts.append(rect(cx - s * 0.36, cy + s * 0.52, s * 0.72, s * 0.16, rx=s * 0.05, fill=body, **ol))
    parts.append(rect(cx - s * 0.5, cy + s * 0.7, s * 1.0, s * 0.3, rx=s * 0.07, fill=body, **ol))
    size = s * 0.78
    parts.append(text(cx, top + s * 0.58 + size * CAP / 2 - s * 0.1, digit, size, mark))
    return group(parts)


def cup_mark(cx, cy, s, fill):
    shade = BLACK if fill == BLACK else GREEN   # the shadow copy is all black
    return trophy(cx, cy + s * 0.02, s * 0.66, fill, shade, '1')


def chart_mark(cx, cy, s, fill):
    base = cy + s * 0.5
    bw = s * 0.22
    parts = [rect(cx - s * 0.66, base, s * 1.32, s * 0.1, rx=s * 0.04, fill=fill)]
    for i, hgt in enumerate((0.42, 0.7, 0.56, 1.02)):
        parts.append(rect(cx - s * 0.6 + i * s * 0.31, base - s * hgt - s * 0.04, bw, s * hgt,
                          rx=bw * 0.15, fill=fill))
    return group(parts)


def ring_picture(mark):
    return lambda w, h: ring(w, h, None if mark is None else
                             (lambda cx, cy, s: shadowed(mark, cx, cy, s)))


# ---------------------------------------------------------------- common screen parts

def background(w, h):
    cx = w / 2
    body = [defs(
        radial_user('base', [(0, (40, 46, 40)), (0.55, (24, 27, 24)), (1, (10, 11, 10))],
                    cx, h * 0.45, w * 0.62),
        linear_user('beam', [(0, LIME, 0.09), (1, LIME, 0)], 0, 0, 0, h * 0.85),
        radial_user('vignette', [(0, BLACK, 0), (0.6, BLACK, 0), (1, BLACK, 0.55)],
                    cx, h * 0.5, w * 0.7),
    ), rect(0, 0, w, h, fill='url(#base)')]
    # faint spotlight beams fanning out from above the middle
    for dx in (-0.28, 0.0, 0.28):
        x = cx + dx * w
        foot = x + dx * w * 0.5
        body.append(polygon([(x - w * 0.012, 0), (x + w * 0.012, 0),
                             (foot + w * 0.1, h), (foot - w * 0.1, h)], fill='url(#beam)'))
    # a hexagon lattice, barely there, like a padded gym wall
    r = h * 0.055
    dx, dy = r * math.sqrt(3), r * 1.5
    cells = []
    for row in range(int(h / dy) + 2):
        for col in range(int(w / dx) + 2):
            x = col * dx + (dx / 2 if row % 2 else 0)
            y = row * dy
            cells.append(path_of([polar(x, y, r * 0.94, 30 + 60 * k) for k in range(6)]))
    body.append(el('path', d=' '.join(cells), fill='none', stroke=GREEN, stroke_opacity=0.07,
                   stroke_width=h * 0.002))
    body.append(rect(0, 0, w, h, fill='url(#vignette)'))
    return ''.join(body)


def bar_shadow(w, h):
    return (defs(linear('band', [(0, BLACK, 0), (0.35, BLACK, 0.45), (0.7, BLACK, 0.8), (1, BLACK, 0.92)])) +
            rect(0, 0, w, h, fill='url(#band)'))


def target_rings(w, h):
    cx, cy = w / 2, h / 2
    R = min(w, h) / 2
    parts = [defs(radial_user('core', [(0, (62, 62, 62), 0.9), (1, (40, 40, 40), 0.9)], cx, cy, R))]
    bands = 7
    for i in range(bands):
        r_out = R * (1 - i / bands)
        grey = 36 + i * 6
        parts.append(circle(cx, cy, r_out - R * 0.035, fill='none', stroke=(grey, grey, grey),
                            stroke_opacity=0.9, stroke_width=R * 0.07))
        parts.append(circle(cx, cy, r_out - R * 0.075, fill='none', stroke=DARK_GREY,
                            stroke_opacity=0.5, stroke_width=R * 0.006))
    parts.append(circle(cx, cy, R * 0.12, fill='url(#core)'))
    return ''.join(parts)


CAPTION = 'СИЛА • СКОРОСТЬ • РЕАКЦИЯ'


def mark_defs(h):
    return (linear_user('hm', [(0, WHITE), (0.55, (226, 232, 220)), (1, (170, 180, 165))], 0, 0, 0, h) +
            linear_user('xm', [(0, lighter(LIME, 0.3)), (0.5, LIME), (1, GREEN)], 0, 0, 0, h))


def spaced_text(x0, x1, baseline, s, max_size, fill):
    """Text spread evenly from x0 to x1 by letter spacing, shrunk if it cannot fit."""
    size = min(max_size, (x1 - x0) / text_width(s, 1.0) * 0.95)
    spacing = (x1 - x0 - text_width(s, size)) / max(1, len(s) - 1)
    return text(x0, baseline, s, size, fill, anchor='start', letter_spacing=float(spacing))


def hxm_mark(x, base, letter_h, shadow):
    """The lettering in its logo colours, with a drop shadow of the given offset."""
    dark, _ = hxm_letters(x + shadow, base + shadow * 1.5, letter_h, [BLACK] * 3)
    mark, width = hxm_letters(x, base, letter_h, ['url(#hm)', 'url(#xm)', 'url(#hm)'])
    return group(dark, opacity=0.5) + mark, width


def logo(w, h):
    letter_h = h * 0.64
    base = letter_h + h * 0.02
    _, mark_w = hxm_letters(0, base, letter_h, ['', '', ''])
    x = (w - mark_w) / 2 + letter_h * 0.1
    parts = [defs(mark_defs(h))]
    # speed lines either side of the mark, following its slant
    slant = math.tan(math.radians(12))
    th = letter_h * 0.075
    for i, (yy, frac) in enumerate(((0.25, 0.8), (0.5, 1.0), (0.75, 0.65))):
        y = base - letter_h * yy
        fill = LIME if i == 1 else GREEN
        left_end = x + letter_h * yy * slant - letter_h * 0.22
        right_start = x + mark_w + letter_h * yy * slant + letter_h * 0.12
        for a, b in ((left_end - (left_end - w * 0.02) * frac, left_end),
                     (right_start, right_start + (w * 0.98 - right_start) * frac)):
            parts.append(rect(a, y - th / 2, b - a, th, rx=th / 2, fill=fill, opacity=0.9 - 0.2 * i))
    mark, _ = hxm_mark(x, base, letter_h, h * 0.012)
    parts.append(mark)
    parts.append(spaced_text(w * 0.1, w * 0.9, h * 0.97, CAPTION, h * 0.22, LIME))
    return ''.join(parts)


def logo_caption(w, h):
    letter_h = h * 0.72
    base = h * 0.84       # room below for the tail of the Ц
    mark, mark_w = hxm_mark(h * 0.15, base, letter_h, h * 0.02)
    x0 = h * 0.15 + mark_w + h * 0.45
    return (defs(mark_defs(h)) + mark +
            rect(x0, base - letter_h, h * 0.07, letter_h, fill=GREEN) +
            spaced_text(x0 + h * 0.5, w - h * 0.1, base, CAPTION, letter_h / CAP, LIME))


def frame_green(w, h):
    sw = h * 0.09
    inset = h * 0.04 + sw / 2
    return (rect(inset, inset, w - 2 * inset, h - 2 * inset, rx=h * 0.2, fill='none',
                 stroke=GREEN, stroke_width=sw) +
            rect(inset, inset, w - 2 * inset, h - 2 * inset, rx=h * 0.2, fill='none',
                 stroke=lighter(LIME, 0.4), stroke_opacity=0.6, stroke_width=sw * 0.2))


def close_cross(w, h):
    cx, cy = w / 2, h / 2
    s = min(w, h) / 2
    arm, t = s * 0.86, s * 0.34

    def bars(paint, width):
        return ''.join(el('line', x1=cx - arm * dx, y1=cy - arm, x2=cx + arm * dx, y2=cy + arm,
                          stroke=paint, stroke_width=width, stroke_linecap='round')
                       for dx in (-0.8, 0.8))
    return (defs(linear('red', [(0, lighter(RED, 0.2)), (1, darker(RED, 0.25))])) +
            bars(lighter(RED, 0.55), t * 1.22) + bars('url(#red)', t))


def panel(w, h):
    m = min(w, h) * 0.015
    r = min(w, h) * 0.06
    mark = min(w, h) * 0.16
    t = min(w, h) * 0.025
    parts = [defs(linear('p', [(0, (52, 56, 52)), (1, (26, 28, 26))])),
             rect(m, m, w - 2 * m, h - 2 * m, rx=r, fill='url(#p)', stroke=(96, 100, 96),
                  stroke_width=m * 0.6)]
    ins = m + t * 1.6
    for sx, sy in ((0, 0), (1, 0), (0, 1), (1, 1)):
        x = ins if sx == 0 else w - ins
        y = ins if sy == 0 else h - ins
        dx = mark if sx == 0 else -mark
        dy = mark if sy == 0 else -mark
        parts.append(el('path', d=f'M{x:.1f},{y + dy:.1f} L{x:.1f},{y:.1f} L{x + dx:.1f},{y:.1f}',
                        fill='none', stroke=GREEN, stroke_width=t, stroke_linecap='round',
                        stroke_linejoin='round'))
    return ''.join(parts)


def pill_button(w, h):
    m = h * 0.04
    return (defs(linear('p', [(0, (74, 78, 74)), (0.5, (44, 46, 44)), (1, (30, 32, 30))])) +
            rect(m, m, w - 2 * m, h - 2 * m, rx=(h - 2 * m) / 2, fill='url(#p)',
                 stroke=(120, 130, 110), stroke_width=m * 1.2))


def square_frame(w, h):
    sw = min(w, h) * 0.08
    return rect(sw / 2, sw / 2, w - sw, h - sw, rx=min(w, h) * 0.16, fill='none',
                stroke=WHITE, stroke_width=sw)


def check_mark(w, h):
    t = min(w, h) * 0.2
    pts = [(w * 0.12, h * 0.52), (w * 0.4, h * 0.8), (w * 0.88, h * 0.16)]
    d = path_of(pts, closed=False)
    return (defs(linear('g', [(0, LIME), (1, GREEN)])) +
            el('path', d=d, fill='none', stroke=lighter(LIME, 0.5), stroke_width=t * 1.25,
               stroke_linecap='round', stroke_linejoin='round') +
            el('path', d=d, fill='none', stroke='url(#g)', stroke_width=t,
               stroke_linecap='round', stroke_linejoin='round'))


# ---------------------------------------------------------------- fighters

# Poses in a unit box (x right, y down, 1 = fighter height); joints by name.
KICK_HIGH = {
    'head': (0.30, 0.10), 'neck': (0.33, 0.21), 'hip': (0.40, 0.50),
    'knee_b': (0.36, 0.73), 'foot_b': (0.33, 0.96), 'toe_b': (0.42, 0.97),
    'knee_f': (0.62, 0.36), 'foot_f': (0.80, 0.12), 'toe_f': (0.86, 0.06),
    'elbow_f': (0.20, 0.34), 'hand_f': (0.17, 0.22),
    'elbow_b': (0.46, 0.30), 'hand_b': (0.42, 0.19),
}

KICK_MID = {
    'head': (0.22, 0.12), 'neck': (0.27, 0.23), 'hip': (0.36, 0.52),
    'knee_b': (0.30, 0.74), 'foot_b': (0.24, 0.96), 'toe_b': (0.34, 0.97),
    'knee_f': (0.60, 0.50), 'foot_f': (0.88, 0.44), 'toe_f': (0.94, 0.39),
    'elbow_f': (0.14, 0.36), 'hand_f': (0.15, 0.24),
    'elbow_b': (0.40, 0.33), 'hand_b': (0.38, 0.21),
}


def fighter(pose, box, colour, mirror=False):
    """A kicking fighter built from round-capped limbs, fitted into box (x, y, w, h)."""
    margin = 0.11   # head radius and limb half-width around the joints
    xs = [px for px, _ in pose.values()]
    ys = [py for _, py in pose.values()]
    x0, x1 = min(xs) - margin, max(xs) + margin
    y0, y1 = min(ys) - margin, max(ys) + margin
    bx, by, bw, bh = box
    size = min(bw / (x1 - x0), bh / (y1 - y0))
    ox = bx + (bw - (x1 - x0) * size) / 2
    oy = by + (bh - (y1 - y0) * size) / 2

    def p(name):
        px, py = pose[name]
        px = (x1 - px) if mirror else (px - x0)
        return ox + px * size, oy + (py - y0) * size

    skin = colour
    shade = darker(colour, 0.25)
    edge = darker(colour, 0.62)
    light = lighter(colour, 0.55)
    limb = size * 0.085
    ol = size * 0.018

    def stroke_path(names, width, fill):
        d = path_of([p(n) for n in names], closed=False)
        return (el('path', d=d, fill='none', stroke=edge, stroke_width=width + 2 * ol,
                   stroke_linecap='round', stroke_linejoin='round') +
                el('path', d=d, fill='none', stroke=fill, stroke_width=width,
                   stroke_linecap='round', stroke_linejoin='round'))

    def glove(name, fill):
        gx, gy = p(name)
        return circle(gx, gy, size * 0.062, fill=fill, stroke=edge, stroke_width=ol)

    parts = [stroke_path(['neck', 'elbow_b', 'hand_b'], limb * 0.9, shade), glove('hand_b', shade),
             stroke_path(['hip', 'knee_b', 'foot_b', 'toe_b'], limb * 1.1, shade),
             stroke_path(['neck', 'hip'], limb * 1.9, skin)]
    hx, hy = p('hip')
    parts.append(el('line', x1=hx - size * 0.07, y1=hy - size * 0.01, x2=hx + size * 0.07,
                    y2=hy + size * 0.01, stroke=edge, stroke_width=size * 0.035,
                    stroke_linecap='round'))
    hx, hy = p('head')
    parts.append(circle(hx, hy, size * 0.085, fill=skin, stroke=edge, stroke_width=ol))
    parts.append(circle(hx - size * 0.02, hy - size * 0.025, size * 0.03, fill=light, opacity=0.7))
    parts += [stroke_path(['hip', 'knee_f', 'foot_f', 'toe_f'], limb * 1.15, skin),
              stroke_path(['neck', 'elbow_f', 'hand_f'], limb * 0.9, skin), glove('hand_f', skin)]
    return group(parts)


def fighter_single(w, h):
    return fighter(KICK_HIGH, (0, 0, w, h), LIME)


def fighters_pair(w, h):
    blue, red = (50, 120, 235), (225, 50, 45)
    return (fighter(KICK_HIGH, (0, 0, w * 0.6, h), blue) +
            fighter(KICK_MID, (w * 0.4, 0, w * 0.6, h), red, mirror=True))


# ---------------------------------------------------------------- results

def cup(metal, digit):
    hi, mid, lo = METALS[metal]

    def draw(w, h):
        s = min(w / 1.5, h) / 2 * 0.98
        return (defs(linear('m', [(0, hi), (0.55, mid), (1, lo)], 0, 0, 1, 1)) +
                trophy(w / 2, h / 2, s, 'url(#m)', darker(lo, 0.35), digit, outline=lighter(hi, 0.3)))
    return draw


def medal(metal, digit, ribbon):
    hi, mid, lo = METALS[metal]

    def draw(w, h):
        r = w * 0.48
        cx, cy = w / 2, h - r - w * 0.02
        strap = w * 0.3
        parts = [defs(linear('m', [(0, hi), (0.6, mid), (1, lo)], 0, 0, 1, 1),
                      linear('r', [(0, lighter(ribbon, 0.25)), (1, darker(ribbon, 0.3))], 0, 0, 1, 0))]
        for side in (-1, 1):
            top_x = cx + side * w * 0.18
            parts.append(polygon([(top_x - strap / 2, 0), (top_x + strap / 2, 0),
                                  (cx + side * w * 0.02 + strap / 2 * 0.6, cy - r * 0.5),
                                  (cx + side * w * 0.02 - strap / 2 * 0.6, cy - r * 0.5)],
                                 fill='url(#r)', stroke=darker(ribbon, 0.5), stroke_width=w * 0.012))
            parts.append(el('line', x1=top_x, y1=0, x2=cx + side * w * 0.02, y2=cy - r * 0.5,
                            stroke=WHITE, stroke_opacity=0.8, stroke_width=w * 0.04))
        parts.append(rect(cx - w * 0.14, cy - r * 1.08, w * 0.28, r * 0.24, rx=w * 0.04,
                          fill='url(#m)', stroke=darker(lo, 0.3), stroke_width=w * 0.012))
        parts.append(circle(cx, cy, r, fill='url(#m)', stroke=darker(lo, 0.3), stroke_width=w * 0.018))
        parts.append(circle(cx, cy, r * 0.8, fill='none', stroke=lighter(hi, 0.4),
                            stroke_opacity=0.8, stroke_width=w * 0.02))
        parts.append(polygon(star_points(cx, cy, r * 0.74, r * 0.34, 5), fill=lo, opacity=0.35))
        size = r * 1.1
        parts.append(outlined_text(cx, cy + size * CAP / 2, digit, size, lighter(hi, 0.5),
                                   darker(lo, 0.3), w * 0.03))
        return ''.join(parts)
    return draw


def badge_rays(cx, cy, R, w, colour, rank):
    """Light rays behind the star, from rank 4 up; more and brighter with the rank."""
    n = 0 if rank < 4 else 8 + 4 * (rank - 4)
    parts = []
    for i in range(n):
        a = (i + 0.5) * 360.0 / n
        half = 360.0 / n * 0.18
        reach = R * (1.0 if i % 2 == 0 else 0.84)
        tip = (cx + math.cos(math.radians(a)) * min(reach * 1.15, w / 2 * 0.99),
               cy + math.sin(math.radians(a)) * reach)
        parts.append(polygon([polar(cx, cy, R * 0.45, a - half), tip, polar(cx, cy, R * 0.45, a + half)],
                             fill=lighter(colour, 0.3), opacity=0.45 + 0.04 * rank))
    return ''.join(parts)


def badge_wings(cx, cy, R, w, colour, rank):
    """Feathered wings either side of the star: two feathers at rank 1, five at rank 9."""
    k = 2 + rank // 3
    th = R * 0.2
    r0 = R * 0.25
    parts = []
    for i in range(k):
        y = cy - R * 0.5 + i * R * 0.62 / (k - 1)
        length = (w / 2 * 0.97 - r0) * (1 - 0.13 * i)
        lift = R * (0.22 - 0.05 * i)
        fill = lighter(colour, 0.3 - 0.12 * i) if i < 3 else darker(colour, 0.1 * (i - 2))
        for side in (-1, 1):
            parts.append(polygon([(cx + side * r0, y - th / 2),
                                  (cx + side * (r0 + length), y - lift - th * 0.3),
                                  (cx + side * (r0 + length * 0.9), y - lift + th * 0.35),
                                  (cx + side * r0, y + th / 2)],
                                 fill=fill, stroke=darker(colour, 0.45), stroke_width=R * 0.02,
                                 stroke_linejoin='round'))
    return ''.join(parts)


def badge_banner(w, h, colour, word):
    """A ribbon across the lower half of the badge carrying the rank's word."""
    cx = w / 2
    bh = h * 0.28
    by = h * 0.62 - bh / 2
    bw = w * 0.96
    tail = bw * 0.07
    notch = bh * 0.35
    parts = []
    for side in (-1, 1):
        x_in = cx + side * (bw / 2 - tail * 1.3)
        x_out = cx + side * bw / 2
        parts.append(polygon([(x_in, by + bh * 0.22), (x_out, by + bh * 0.22),
                              (x_out - side * notch, by + bh * 0.71), (x_out, by + bh * 1.2),
                              (x_in, by + bh * 1.2)], fill=darker(colour, 0.45),
                             stroke=lighter(colour, 0.4), stroke_width=h * 0.006))
    parts.append(rect(cx - bw / 2 + tail, by, bw - 2 * tail, bh, rx=bh * 0.1, fill='url(#band)',
                      stroke=lighter(colour, 0.6), stroke_width=h * 0.01))
    size = fit_size(word, (bw - 2 * tail) * 0.86, bh * 0.6)
    parts.append(outlined_text(cx, by + bh / 2 + size * CAP / 2, word, size, WHITE,
                               darker(colour, 0.6), size * 0.12))
    return ''.join(parts)


def rank_badge(rank):
    """Star badges: more points, feathers, rays and sparkle the higher the rank (1..9)."""
    word, colour, _ = RANKS[rank - 1]

    def draw(w, h):
        cx, cy = w / 2, h * 0.5
        R = h * 0.5
        n_points = (5, 5, 6, 6, 7, 8, 9, 10, 12)[rank - 1]
        parts = [defs(
            radial_user('star', [(0, lighter(colour, 0.5)), (0.7, colour), (1, darker(colour, 0.2))],
                        cx, cy - R * 0.3, R * 1.1),
            radial_user('halo', [(0, colour, 0.6), (0.5, colour, 0.25), (1, colour, 0)], cx, cy,
                        min(w / 2, R * 1.05)),
            linear('band', [(0, lighter(colour, 0.15)), (0.5, colour), (1, darker(colour, 0.35))]),
        )]
        if rank >= 3:
            parts.append(el('ellipse', cx=cx, cy=cy, rx=w / 2, ry=h / 2, fill='url(#halo)'))
        parts.append(badge_rays(cx, cy, R, w, colour, rank))
        parts.append(badge_wings(cx, cy, R, w, colour, rank))
        if rank >= 7:
            burst = star_points(cx, cy, R * 0.98, R * 0.84, 24 + 4 * (rank - 7))
            parts.append(polygon(burst, fill=darker(colour, 0.35), stroke=lighter(colour, 0.5),
                                 stroke_width=h * 0.008))
        r_out = R * (0.96 if rank < 7 else 0.84)
        star = star_points(cx, cy + (R * 0.06 if n_points == 5 else 0), r_out,
                           r_out * (0.5 + 0.03 * (n_points - 5)), n_points)
        parts.append(polygon(star, fill=darker(colour, 0.55), opacity=0.6,
                             transform=f'translate(0,{fmt(h * 0.015)})'))
        parts.append(polygon(star, fill='url(#star)', stroke=lighter(colour, 0.65),
                             stroke_width=h * 0.012, stroke_linejoin='round'))
        # sparkles above the wings for the strong ranks
        for k in range(max(0, rank - 4)):
            side = -1 if k % 2 == 0 else 1
            step = k // 2
            sr = h * (0.06 - 0.008 * step)
            parts.append(polygon(star_points(cx + side * w * (0.2 + 0.1 * step), h * (0.08 + 0.05 * step),
                                             sr, sr * 0.38, 4), fill=WHITE, opacity=0.9))
        parts.append(badge_banner(w, h, colour, word))
        return ''.join(parts)
    return draw


def power_scale(w, h):
    n = len(RANKS)
    gap = h * 0.012
    bh = (h - gap * (n - 1)) / n
    parts = []
    gradients = []
    for i, (_, _, colour) in enumerate(RANKS):
        y = h - (i + 1) * bh - i * gap
        gradients.append(linear(f'b{i}', [(0, lighter(colour, 0.25)), (0.5, colour),
                                          (1, darker(colour, 0.2))], 0, 0, 1, 0))
        parts.append(rect(w * 0.02, y, w * 0.96, bh, rx=bh * 0.14, fill=f'url(#b{i})',
                          stroke=lighter(colour, 0.5), stroke_width=w * 0.012))
    return defs(*gradients) + ''.join(parts)


def stopwatch(w, h):
    cx = w / 2
    R = w / 2 * 0.99
    cy = h - R - h * 0.008
    face = R * 0.9
    parts = [defs(
        linear('case', [(0, lighter(LIME, 0.2)), (0.5, GREEN), (1, darker(GREEN, 0.35))]),
        linear('metal', [(0, (235, 238, 240)), (1, (130, 136, 140))]),
        radial_user('face', [(0, (250, 252, 248)), (1, (206, 212, 204))], cx, cy - face * 0.3, face * 1.2),
    )]
    # crown and two side buttons
    parts.append(rect(cx - R * 0.1, cy - R - h * 0.16, R * 0.2, h * 0.18, fill='url(#metal)'))
    parts.append(rect(cx - R * 0.3, h * 0.005, R * 0.6, h * 0.085, rx=h * 0.03, fill='url(#metal)',
                      stroke=(90, 94, 98), stroke_width=w * 0.01))
    for a in (-45, -135):
        bx, by = polar(cx, cy, R * 1.0, a)
        parts.append(rect(bx - R * 0.08, by - R * 0.1, R * 0.16, R * 0.2, rx=R * 0.03,
                          fill='url(#metal)', stroke=(90, 94, 98), stroke_width=w * 0.008,
                          transform=f'rotate({a + 90} {fmt(bx)} {fmt(by)})'))
    parts.append(circle(cx, cy, R * 0.985, fill='url(#case)', stroke=lighter(LIME, 0.5),
                        stroke_width=w * 0.012))
    parts.append(circle(cx, cy, face, fill='url(#face)', stroke=darker(GREEN, 0.5), stroke_width=w * 0.012))
    for i in range(60):
        major = i % 5 == 0
        x0, y0 = polar(cx, cy, face * (0.82 if major else 0.89), i * 6)
        x1, y1 = polar(cx, cy, face * 0.95, i * 6)
        parts.append(el('line', x1=x0, y1=y0, x2=x1, y2=y1, stroke=DARK_GREY if major else (120, 124, 120),
                        stroke_width=w * (0.014 if major else 0.006), stroke_linecap='round'))
    # the display window: digits are drawn into it by the program, so it stays plain
    win_x0, win_x1 = w * 0.19, w * 0.81
    win_y0, win_y1 = h * 0.33, h * 0.52
    parts.append(rect(win_x0 - w * 0.012, win_y0 - w * 0.012, win_x1 - win_x0 + w * 0.024,
                      win_y1 - win_y0 + w * 0.024, rx=w * 0.05, fill=(150, 156, 150)))
    parts.append(rect(win_x0, win_y0, win_x1 - win_x0, win_y1 - win_y0, rx=w * 0.04, fill=(20, 22, 20)))
    mark_h = h * 0.07
    _, mark_w = hxm_letters(0, 0, mark_h, ['', '', ''])
    mark, _ = hxm_letters(cx - mark_w / 2 + mark_h * 0.1, cy + face * 0.52, mark_h,
                          [DARK_GREY, GREEN, DARK_GREY])
    parts.append(mark)
    return ''.join(parts)


# ---------------------------------------------------------------- device screen

def usb_plug(lit):
    def draw(w, h):
        cy = h / 2
        body_col = GREEN if lit else (112, 116, 112)
        cable = (44, 46, 44)
        parts = [defs(
            linear('body', [(0, lighter(body_col, 0.35)), (0.5, body_col), (1, darker(body_col, 0.35))]),
            linear('metal', [(0, (236, 238, 240)), (0.5, (176, 180, 186)), (1, (112, 116, 122))]),
        )]
        parts.append(rect(0, cy - h * 0.13, w * 0.3, h * 0.26, fill=cable))
        parts.append(polygon([(w * 0.2, cy - h * 0.18), (w * 0.32, cy - h * 0.3),
                              (w * 0.32, cy + h * 0.3), (w * 0.2, cy + h * 0.18)], fill=darker(body_col, 0.3)))
        parts.append(rect(w * 0.3, cy - h * 0.4, w * 0.38, h * 0.8, rx=h * 0.12, fill='url(#body)',
                          stroke=lighter(body_col, 0.5), stroke_width=h * 0.025))
        for i in range(3):
            parts.append(rect(w * (0.36 + 0.07 * i), cy - h * 0.2, w * 0.035, h * 0.4, rx=w * 0.015,
                              fill=darker(body_col, 0.35)))
        parts.append(rect(w * 0.67, cy - h * 0.28, w * 0.32, h * 0.56, rx=h * 0.03, fill='url(#metal)',
                          stroke=(90, 94, 100), stroke_width=h * 0.02))
        for i in range(2):
            parts.append(rect(w * (0.74 + 0.12 * i), cy - h * 0.12, w * 0.06, h * 0.1,
                              fill=(60, 62, 66)))
        led = LIME if lit else (70, 72, 70)
        if lit:
            parts.append(defs(radial_user('led', [(0, LIME, 0.9), (1, LIME, 0)], w * 0.62, cy, h * 0.2)))
            parts.append(circle(w * 0.62, cy, h * 0.2, fill='url(#led)'))
        parts.append(circle(w * 0.62, cy, h * 0.07, fill=led, stroke=darker(body_col, 0.4),
                            stroke_width=h * 0.015))
        return ''.join(parts)
    return draw


def plate(w, h):
    m = min(w, h) * 0.012
    return (defs(linear('p', [(0, (66, 68, 66)), (1, (44, 45, 44))])) +
            rect(m, m, w - 2 * m, h - 2 * m, rx=min(w, h) * 0.08, fill='url(#p)',
                 stroke=(96, 100, 96), stroke_width=m * 1.2))


def tag(colour):
    def draw(w, h):
        m = h * 0.05
        bevel = h * 0.6
        pts = [(m, m), (w - m, m), (w - m - bevel, h - m), (m, h - m)]
        edge = lighter(colour, 0.35) if colour != (28, 28, 28) else (96, 96, 96)
        return (defs(linear('t', [(0, lighter(colour, 0.3)), (0.5, colour), (1, darker(colour, 0.3))])) +
                polygon(pts, fill='url(#t)', stroke=edge, stroke_width=m * 1.2, stroke_linejoin='round'))
    return draw


def warning_sign(w, h):
    cx = w / 2
    side = w * 0.96
    tri_h = side * math.sqrt(3) / 2
    top = (h - tri_h) / 2
    pts = [(cx, top), (cx + side / 2, top + tri_h), (cx - side / 2, top + tri_h)]
    inner = [(cx, top + tri_h * 0.2), (cx + side * 0.34, top + tri_h * 0.9),
             (cx - side * 0.34, top + tri_h * 0.9)]
    return (defs(linear('y', [(0, (255, 230, 80)), (1, (236, 180, 20))])) +
            polygon(pts, fill='url(#y)', stroke='url(#y)', stroke_width=w * 0.06, stroke_linejoin='round') +
            polygon(inner, fill='none', stroke=(30, 30, 30), stroke_width=w * 0.03, stroke_linejoin='round') +
            rect(cx - w * 0.04, top + tri_h * 0.38, w * 0.08, tri_h * 0.3, rx=w * 0.04, fill=(30, 30, 30)) +
            circle(cx, top + tri_h * 0.78, w * 0.045, fill=(30, 30, 30)))


# ---------------------------------------------------------------- statistics controls

def arrow_head(w, h):
    """A white arrow head pointing up."""
    pts = [(w / 2, h * 0.06), (w * 0.94, h * 0.92), (w / 2, h * 0.72), (w * 0.06, h * 0.92)]
    return polygon(pts, fill=WHITE, stroke=WHITE, stroke_width=w * 0.06, stroke_linejoin='round')


def triangle(colour):
    """A filled triangle pointing up, edge to edge."""
    def draw(w, h):
        m = min(w, h) * 0.06
        pts = [(w / 2, m), (w - m, h - m), (m, h - m)]
        return (defs(linear('t', [(0, lighter(colour, 0.2)), (1, darker(colour, 0.12))])) +
                polygon(pts, fill='url(#t)', stroke='url(#t)', stroke_width=m * 2, stroke_linejoin='round'))
    return draw


def dot(colour):
    """A filled circle touching all four edges, lit from the top left."""
    def draw(w, h):
        r = min(w, h) / 2
        return (defs(radial_user('d', [(0, lighter(colour, 0.35)), (0.7, colour), (1, darker(colour, 0.15))],
                                 w / 2, h / 2, r, fx=w * 0.38, fy=h * 0.34)) +
                circle(w / 2, h / 2, r, fill='url(#d)'))
    return draw


PICTURES = {
    'frameGreen': frame_green,
    'closeCross': close_cross,
    'ringGear': ring_picture(gear_one),
    'ringGears': ring_picture(gear_two),
    'background': background,
    'barShadow': bar_shadow,
    'targetRings': target_rings,
    'logo': logo,
    'logoCaption': logo_caption,
    'ringPlay': ring_picture(play_mark),
    'ringBack': ring_picture(back_mark),
    'ringRepeat': ring_picture(repeat_mark),
    'panel': panel,
    'pillButton': pill_button,
    'squareFrame': square_frame,
    'checkMark': check_mark,
    'ringFist': ring_picture(fist_mark),
    'ringRecords': ring_picture(cup_mark),
    'ringEmpty': ring_picture(None),
    'ringStatistics': ring_picture(chart_mark),
    'fighterSingle': fighter_single,
    'fightersPair': fighters_pair,
    'cupGold': cup('gold', '1'),
    'cupSilver': cup('silver', '2'),
    'cupBronze': cup('bronze', '3'),
    'medalGold': medal('gold', '1', (200, 40, 40)),
    'medalSilver': medal('silver', '2', (40, 90, 200)),
    'powerScale': power_scale,
    'goBadge': ring_picture(word_mark('Go')),
    'stopwatch': stopwatch,
    'usbPlugGreen': usb_plug(True),
    'usbPlugGrey': usb_plug(False),
    'plate': plate,
    'tagBlack': tag((28, 28, 28)),
    'tagGreen': tag(GREEN),
    'tagLime': tag(LIME),
    'tagOrange': tag((240, 130, 30)),
    'tagRed': tag(RED),
    'warningSign': warning_sign,
    'arrowHeadWhite': arrow_head,
    'triangleGrey': triangle((128, 128, 128)),
    'triangleWhite': triangle(WHITE),
    'dotGreen': dot(GREEN),
    'dotLime': dot(LIME),
    'dotWhite': dot(WHITE),
    'dotGrey': dot((128, 128, 128)),
}
PICTURES.update({f'ringDigit{d}': ring_picture(digit_mark(str(d))) for d in (1, 2, 3)})
PICTURES.update({f'rankTitle{r}': rank_badge(r) for r in range(1, len(RANKS) + 1)})
