"""Drawings of the art_games pictures: the monster trucks, tank duel, duck hunt
and prospector scenes.

Every drawing takes the canvas size (w, h) and returns an SVG body.  Families of
animation frames come from one function with the frame index as a parameter, so
all frames share the canvas and anchor; colour variants take the colour as a
parameter and mirrored frames reuse the drawing under a flipping transform.
"""
import math
import random

from art_palette import AMBER, BLACK, GREEN, LIME, WHITE

# Player colours: the left player is blue, the right one red (orange truck).
BLUE = (44, 124, 222)
RED = (214, 52, 44)
ORANGE = (240, 128, 30)
YELLOW_TANK = (222, 186, 42)
GREY_TANK = (128, 136, 140)

MUD = (112, 76, 44)
STEEL = (170, 176, 182)

PICTURES = {}


# ---------------------------------------------------------------- basics

def hexc(c):
    return '#%02x%02x%02x' % tuple(max(0, min(255, int(round(v)))) for v in c)


def shade(c, k):
    """Darker for k < 1, lighter towards white for k > 1."""
    if k <= 1:
        return tuple(v * k for v in c)
    t = min(1.0, k - 1)
    return tuple(v + (255 - v) * t for v in c)


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def f(v):
    return f'{v:.1f}'.rstrip('0').rstrip('.')


def pts(points):
    return ' '.join(f'{f(x)},{f(y)}' for x, y in points)


def attrs(fill=None, stroke=None, sw=None, opacity=None, extra=''):
    out = []
    if fill is not None:
        out.append(f'fill="{fill if isinstance(fill, str) else hexc(fill)}"')
    if stroke is not None:
        out.append(f'stroke="{stroke if isinstance(stroke, str) else hexc(stroke)}"')
        out.append('stroke-linejoin="round" stroke-linecap="round"')
    if sw is not None:
        out.append(f'stroke-width="{f(sw)}"')
    if opacity is not None:
        out.append(f'opacity="{f(opacity) if opacity >= 0.1 else round(opacity, 3)}"')
    if extra:
        out.append(extra)
    return ' '.join(out)


def path(d, **kw):
    return f'<path d="{d}" {attrs(**kw)}/>'


def poly(points, **kw):
    return f'<polygon points="{pts(points)}" {attrs(**kw)}/>'


def polyline(points, **kw):
    return f'<polyline points="{pts(points)}" {attrs(fill="none", **kw)}/>'


def rect(x, y, w, h, r=0, **kw):
    return (f'<rect x="{f(x)}" y="{f(y)}" width="{f(w)}" height="{f(h)}" '
            f'rx="{f(r)}" {attrs(**kw)}/>')


def circle(cx, cy, r, **kw):
    return f'<circle cx="{f(cx)}" cy="{f(cy)}" r="{f(r)}" {attrs(**kw)}/>'


def ellipse(cx, cy, rx, ry, **kw):
    return (f'<ellipse cx="{f(cx)}" cy="{f(cy)}" rx="{f(rx)}" ry="{f(ry)}" '
            f'{attrs(**kw)}/>')


def line(x1, y1, x2, y2, stroke, sw, **kw):
    return (f'<line x1="{f(x1)}" y1="{f(y1)}" x2="{f(x2)}" y2="{f(y2)}" '
            f'{attrs(stroke=stroke, sw=sw, **kw)}/>')


def text(x, y, s, size, fill, anchor='middle', extra=''):
    return (f'<text x="{f(x)}" y="{f(y)}" font-family="PT Sans" font-weight="bold" '
            f'font-size="{f(size)}" text-anchor="{anchor}" '
            f'{attrs(fill=fill, extra=extra)}>{s}</text>')


def group(body, transform='', opacity=None):
    t = f' transform="{transform}"' if transform else ''
    o = f' opacity="{opacity:.3f}"' if opacity is not None else ''
    return f'<g{t}{o}>{body}</g>'


def mirrored(w, body):
    """The drawing flipped left to right within a canvas of width w."""
    return group(body, f'translate({f(w)},0) scale(-1,1)')


def rotated(angle, cx, cy, body):
    return group(body, f'rotate({f(angle)} {f(cx)} {f(cy)})')


def placed(x, y, s, body, angle=0):
    """body drawn in its own units, moved to (x, y), scaled by s, turned by angle."""
    return group(body, f'translate({f(x)},{f(y)}) rotate({f(angle)}) scale({s:.4f})')


def stops(colours):
    """[(offset, colour, opacity)] or [(offset, colour)] as <stop> elements."""
    out = []
    for s in colours:
        off, col = s[0], s[1]
        op = s[2] if len(s) > 2 else 1
        out.append(f'<stop offset="{off}" stop-color="{hexc(col)}" '
                   f'stop-opacity="{op}"/>')
    return ''.join(out)


def linear(gid, colours, x1=0, y1=0, x2=0, y2=1, user=False):
    units = ' gradientUnits="userSpaceOnUse"' if user else ''
    return (f'<linearGradient id="{gid}" x1="{x1}" y1="{y1}" x2="{x2}" y2="{y2}"{units}>'
            f'{stops(colours)}</linearGradient>')


def radial(gid, colours, cx=0.5, cy=0.5, r=0.5, fx=None, fy=None, user=False):
    units = ' gradientUnits="userSpaceOnUse"' if user else ''
    fx = cx if fx is None else fx
    fy = cy if fy is None else fy
    return (f'<radialGradient id="{gid}" cx="{cx}" cy="{cy}" r="{r}" fx="{fx}" '
            f'fy="{fy}"{units}>{stops(colours)}</radialGradient>')


def defs(*items):
    return '<defs>' + ''.join(items) + '</defs>'


def url(gid):
    return f'url(#{gid})'


def glow(gid, cx, cy, r, colour, strength=0.8):
    """A soft light spot drawn as a radial gradient (cheap, unlike a blur)."""
    return (defs(radial(gid, [(0, colour, strength), (0.4, colour, strength * 0.35),
                              (1, colour, 0)], cx, cy, r, user=True)) +
            circle(cx, cy, r, fill=url(gid)))


def blob(cx, cy, r, rng, n=9, rough=0.25):
    """A closed, smooth, irregular outline around (cx, cy)."""
    pts_ = []
    for i in range(n):
        a = 2 * math.pi * i / n
        rr = r * (1 - rough + 2 * rough * rng.random())
        pts_.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    return smooth_closed(pts_)


def smooth_closed(points):
    """Closed Catmull-Rom curve through points, as path data."""
    n = len(points)
    d = f'M{f(points[0][0])},{f(points[0][1])}'
    for i in range(n):
        p0, p1 = points[i - 1], points[i]
        p2, p3 = points[(i + 1) % n], points[(i + 2) % n]
        c1 = (p1[0] + (p2[0] - p0[0]) / 6, p1[1] + (p2[1] - p0[1]) / 6)
        c2 = (p2[0] - (p3[0] - p1[0]) / 6, p2[1] - (p3[1] - p1[1]) / 6)
        d += f' C{f(c1[0])},{f(c1[1])} {f(c2[0])},{f(c2[1])} {f(p2[0])},{f(p2[1])}'
    return d + 'Z'


def smooth_open(points):
    d = f'M{f(points[0][0])},{f(points[0][1])}'
    n = len(points)
    for i in range(n - 1):
        p0 = points[max(0, i - 1)]
        p1, p2 = points[i], points[i + 1]
        p3 = points[min(n - 1, i + 2)]
        c1 = (p1[0] + (p2[0] - p0[0]) / 6, p1[1] + (p2[1] - p0[1]) / 6)
        c2 = (p2[0] - (p3[0] - p1[0]) / 6, p2[1] - (p3[1] - p1[1]) / 6)
        d += f' C{f(c1[0])},{f(c1[1])} {f(c2[0])},{f(c2[1])} {f(p2[0])},{f(p2[1])}'
    return d


def star_points(cx, cy, r_out, r_in, n, turn=0.0):
    out = []
    for i in range(2 * n):
        r = r_out if i % 2 == 0 else r_in
        a = turn + math.pi * i / n - math.pi / 2
        out.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return out


def frames(prefix, count, fn, *args):
    """{prefix1: fn(w, h, 0, *args), ...}: one family of animation frames."""
    return {f'{prefix}{i + 1}': (lambda w, h, i=i: fn(w, h, i, *args))
            for i in range(count)}


# ---------------------------------------------------------------- monster trucks
# The blue truck faces left and the orange one right: they pull apart, the chain
# hooked to their tails.  The near wheels are drawn over the body by the game,
# centred at 18 % and 85 % of the body width and below its bottom edge.

def truck(w, h, colour, number, face_right):
    k = w / 631
    dark = shade(colour, 0.55)
    outline = shade(colour, 0.35)
    sw = 7
    arch_r = 178
    arches = [(112, 366), (535, 366)]
    body = [defs(
        linear('paint', [(0, shade(colour, 1.35)), (0.45, colour), (1, dark)]),
        linear('glass', [(0, (150, 200, 235)), (1, (30, 50, 80))]),
        linear('steel', [(0, (120, 124, 128)), (1, (40, 42, 44))]),
        f'<clipPath id="notch"><path d="M0,0 H631 V339 H0 Z '
        + ''.join(f'M{cx - arch_r},{cy} a{arch_r},{arch_r} 0 1,0 {2 * arch_r},0 '
                  f'a{arch_r},{arch_r} 0 1,0 {-2 * arch_r},0 Z' for cx, cy in arches)
        + '" clip-rule="evenodd"/></clipPath>')]
    # Chassis between the wheels: frame rails, shocks, drive shaft.
    body.append(rect(200, 236, 240, 34, 10, fill=url('steel'), stroke=BLACK, sw=5))
    body.append(rect(250, 270, 150, 60, 14, fill=(52, 54, 56), stroke=BLACK, sw=5))
    for sx, tilt in ((228, 36), (412, -36)):
        body.append(line(sx, 226, sx + tilt, 330, (30, 30, 30), 26))
        body.append(line(sx, 232, sx + tilt * 0.55, 290, AMBER, 16))
        body.append(line(sx + tilt * 0.55, 290, sx + tilt, 330, (210, 214, 218), 8))
    # Body: hood at the front (left), cab, bed at the tail.
    shell_d = ('M8,150 L18,112 Q30,96 60,94 L196,88 L250,26 Q258,16 274,16 L392,16 '
               'Q410,16 414,34 L420,98 L606,98 Q622,98 622,114 L622,236 Q622,252 606,252 '
               'L24,252 Q8,252 8,236 Z')
    body.append('<g clip-path="url(#notch)">')
    body.append(path(shell_d, fill=url('paint'), stroke=outline, sw=sw))
    body.append(poly([(0, 205), (631, 205), (631, 225), (0, 225)], fill=shade(colour, 0.7),
                     opacity=0.55))
    body.append(path('M8,186 L622,186', stroke=LIME, sw=9, opacity=0.9))
    body.append('</g>')
    # Fender flares: rubber rims around the part of each arch cut into the body.
    for cx, cy in arches:
        fr = arch_r + 8
        dx, dy = fr * math.sin(math.radians(50)), fr * math.cos(math.radians(50))
        body.append(path(f'M{f(cx - dx)},{f(cy - dy)} A{fr},{fr} 0 0,1 {f(cx + dx)},{f(cy - dy)}',
                         fill='none', stroke=(28, 28, 28), sw=22))
    # Windows, bed rail, lights.
    body.append(path('M212,94 L262,36 Q266,30 276,30 L300,30 L300,94 Z',
                     fill=url('glass'), stroke=outline, sw=5))
    body.append(path('M316,30 L390,30 Q398,30 400,40 L404,94 L316,94 Z',
                     fill=url('glass'), stroke=outline, sw=5))
    body.append(path('M230,84 L272,40', stroke=WHITE, sw=6, opacity=0.55))
    body.append(rect(424, 84, 190, 18, 8, fill=(40, 40, 40), stroke=BLACK, sw=4))
    body.append(rect(10, 118, 28, 24, 6, fill=AMBER, stroke=outline, sw=4))
    body.append(rect(268, 2, 120, 16, 6, fill=(40, 40, 40)))
    for i in range(4):
        body.append(circle(284 + 29 * i, 10, 7, fill=(255, 240, 170)))
    body.append(rect(0, 160, 40, 30, 8, fill=url('steel'), stroke=BLACK, sw=4))
    # Tow hitch on the tail, level with the chain.
    body.append(rect(586, 90, 45, 30, 8, fill=url('steel'), stroke=BLACK, sw=5))
    body.append(circle(614, 105, 8, fill=(20, 20, 20)))
    # Door line and number plate.
    body.append(path('M306,100 L306,240', stroke=outline, sw=4, opacity=0.7))
    numbered = mirrored(631, ''.join(body)) if face_right else ''.join(body)
    cx = 631 - 360 if face_right else 360
    plate = (circle(cx, 160, 58, fill=WHITE, stroke=outline, sw=6) +
             text(cx, 160 + 27, number, 78, (20, 20, 20)))
    return group(numbered + plate, f'scale({k:.4f},{h / 339:.4f})')


def wheel(w, h, frame, hub, clockwise):
    """Knobbly tyre, 18 tread lugs and a 6-spoke hub: 10 degrees per frame."""
    cx, cy = w / 2, h / 2
    r = min(w, h) / 2 - 4
    angle = (10 * frame) * (1 if clockwise else -1)
    parts = [defs(
        radial('tyre', [(0, (70, 70, 70)), (0.75, (44, 44, 44)), (1, (20, 20, 20))]),
        radial('hub', [(0, shade(hub, 1.45)), (0.6, hub), (1, shade(hub, 0.55))],
               0.5, 0.5, 0.5, 0.35, 0.3))]
    lugs = []
    for i in range(18):
        a = i * 20
        inner = r * (0.80 if i % 2 else 0.84)
        lugs.append(rotated(a, cx, cy, poly(
            [(cx - 20, cy - inner), (cx + 20, cy - inner), (cx + 15, cy - r),
             (cx - 15, cy - r)], fill=(34, 34, 34), stroke=(12, 12, 12), sw=4)))
    parts.append(circle(cx, cy, r * 0.88, fill=url('tyre'), stroke=(12, 12, 12), sw=5))
    parts.append(''.join(lugs))
    parts.append(circle(cx, cy, r * 0.70, fill='none', stroke=(80, 80, 80), sw=4))
    # Sidewall ribs give the rotation something to show between the lugs.
    for i in range(6):
        parts.append(rotated(i * 60 + 30, cx, cy, rect(cx - 7, cy - r * 0.79, 14, r * 0.15,
                                                     5, fill=(90, 90, 90))))
    parts.append(circle(cx, cy, r * 0.52, fill=(24, 24, 24)))
    parts.append(circle(cx, cy, r * 0.47, fill=url('hub'), stroke=shade(hub, 0.4), sw=5))
    for i in range(6):
        parts.append(rotated(i * 60, cx, cy, path(
            f'M{f(cx - 11)},{f(cy - r * 0.16)} L{f(cx - 16)},{f(cy - r * 0.42)} '
            f'L{f(cx + 16)},{f(cy - r * 0.42)} L{f(cx + 11)},{f(cy - r * 0.16)} Z',
            fill=shade(hub, 0.5))))
        parts.append(rotated(i * 60 + 30, cx, cy, circle(cx, cy - r * 0.33, 7,
                                                       fill=(230, 230, 230))))
    parts.append(circle(cx, cy, r * 0.15, fill=(40, 40, 40), stroke=shade(hub, 1.4), sw=5))
    return rotated(angle, cx, cy, ''.join(parts))


def dust(w, h, frame, to_left):
    """Mud thrown back from a tyre: a short fan, a wide spray, then fading drops.
    Drawn for the left truck (spraying up and right from the lower left corner)."""
    rng = random.Random(63)
    reach = (0.45, 0.8, 0.95)[frame] * w
    fan = (0.75, 0.85, 0.0)[frame]
    drop = (0.8, 1.0, 0.7)[frame]
    ox, oy = w * 0.08, h * 0.94
    edge = shade(MUD, 0.45)
    parts = [defs(radial('mud', [(0, shade(MUD, 1.35)), (0.7, MUD), (1, shade(MUD, 0.6))],
                         0.5, 0.5, 0.5, 0.35, 0.35),
                  radial('fan', [(0, shade(MUD, 0.8)), (0.7, MUD), (1, shade(MUD, 1.3))],
                         ox, oy, reach, user=True))]
    if fan:
        # A haze of dust behind, then the clot of mud itself as overlapping lumps.
        parts.append(path(blob(ox + reach * 0.35, oy - reach * 0.35, reach * 0.45 * fan, rng,
                               9, 0.2), fill=(170, 140, 100), opacity=0.35))
        for i in range(8):
            a = math.radians(12 + 66 * i / 7)
            r = reach * fan * (0.25 + 0.3 * rng.random())
            size = reach * fan * (0.16 + 0.08 * rng.random())
            parts.append(path(blob(ox + r * math.cos(a), oy - r * math.sin(a), size, rng, 8,
                                   0.22), fill=url('mud'), stroke=edge, sw=5))
        parts.append(path(blob(ox + 20, oy - 20, reach * fan * 0.25, rng, 9, 0.2),
                          fill=url('mud'), stroke=edge, sw=5))
    for i in range(18):  # drops flung past the fan, each with a short streak
        a = math.radians(8 + 76 * rng.random())
        d = reach * (0.75 + 0.4 * rng.random())
        r = (7 + 12 * rng.random()) * drop
        x, y = ox + d * math.cos(a), oy - d * math.sin(a)
        x, y = min(x, w - r - 4), max(y, r + 4)
        parts.append(line(x - 3 * r * math.cos(a), y + 3 * r * math.sin(a), x, y, MUD, r * 1.2,
                          opacity=0.6))
        parts.append(path(blob(x, y, r, rng, 6, 0.2), fill=url('mud'), stroke=edge, sw=3))
    body = group(''.join(parts), opacity=(1.0, 1.0, 0.55)[frame])
    return mirrored(w, body) if to_left else body


def chain(w, h):
    """Steel links, alternately face-on and edge-on, across the whole width."""
    pitch = 64
    cy = h / 2
    parts = [defs(linear('link', [(0, (225, 230, 235)), (0.5, STEEL), (1, (70, 74, 78))]))]
    x = -pitch / 2
    i = 0
    while x < w + pitch:
        if i % 2 == 0:
            parts.append(rect(x - 46, cy - h * 0.42, 92, h * 0.84, h * 0.42,
                              fill=url('link'), stroke=(30, 30, 32), sw=4))
            parts.append(rect(x - 26, cy - h * 0.14, 52, h * 0.28, h * 0.14,
                              fill=(24, 24, 26)))
        else:
            parts.append(rect(x - 46, cy - h * 0.13, 92, h * 0.26, h * 0.13,
                              fill=url('link'), stroke=(30, 30, 32), sw=4))
        x += pitch
        i += 1
    return ''.join(parts)


def tray(w, h):
    """Clock panel: dark glass framed in lime, the digits go in the middle."""
    m = h * 0.06
    return (defs(linear('trayBody', [(0, (70, 70, 70)), (1, (30, 30, 30))]),
                 linear('trayFace', [(0, (10, 10, 12)), (1, (34, 34, 38))]),
                 linear('trayShine', [(0, WHITE, 0.22), (1, WHITE, 0)])) +
            rect(m / 2, m / 2, w - m, h - m, h * 0.22, fill=url('trayBody'),
                 stroke=LIME, sw=m * 0.55) +
            rect(m * 1.8, m * 1.8, w - m * 3.6, h - m * 3.6, h * 0.15, fill=url('trayFace'),
                 stroke=GREEN, sw=m * 0.25) +
            rect(m * 2.2, m * 2.2, w - m * 4.4, (h - m * 4.4) * 0.42, h * 0.12,
                 fill=url('trayShine')) +
            ''.join(circle(x, y, m * 0.35, fill=(150, 150, 150), stroke=(20, 20, 20), sw=3)
                    for x in (m * 1.1, w - m * 1.1) for y in (h * 0.5,)))


def arena_background(w, h):
    """Night stadium: floodlights over the stands, a banner wall, a dirt floor.
    The tyres stand at 81 % of the height; the caption runs across at 45 %."""
    rng = random.Random(2222)
    ground = h * 0.64
    parts = [defs(
        linear('sky', [(0, (8, 10, 18)), (1, (30, 34, 44))]),
        linear('stand', [(0, (40, 42, 50)), (1, (22, 24, 28))]),
        linear('dirt', [(0, (120, 84, 50)), (0.3, (98, 66, 38)), (1, (52, 36, 22))]),
        linear('wall', [(0, (48, 48, 52)), (1, (26, 26, 28))]))]
    parts.append(rect(0, 0, w, h, fill=url('sky')))
    # Stands: rows of spectators as small heads.
    parts.append(path(f'M0,{f(h * 0.20)} L{f(w)},{f(h * 0.20)} L{f(w)},{f(h * 0.40)} '
                      f'L0,{f(h * 0.40)} Z', fill=url('stand')))
    for row in range(7):
        y = h * 0.215 + row * h * 0.026
        x = rng.random() * 20
        while x < w:
            c = rng.choice([(70, 74, 84), (90, 92, 100), (60, 64, 72), (110, 100, 80),
                            (80, 60, 60)])
            parts.append(circle(x, y, 9 + row * 0.6, fill=c))
            x += 22 + rng.random() * 10
    # Floodlight towers, glows drawn with gradients.
    for i, lx in enumerate((0.12, 0.38, 0.62, 0.88)):
        x = w * lx
        parts.append(glow(f'flood{i}', x, h * 0.08, h * 0.30, (255, 248, 210), 0.55))
        parts.append(rect(x - 90, h * 0.055, 180, 60, 12, fill=(60, 60, 64), stroke=BLACK,
                          sw=6))
        for j in range(4):
            parts.append(circle(x - 66 + 44 * j, h * 0.055 + 30, 16, fill=(255, 250, 225)))
    # Barrier wall with banners in the application colours.
    wall_top, wall_bottom = h * 0.40, ground
    parts.append(rect(0, wall_top, w, wall_bottom - wall_top, fill=url('wall')))
    banner_top = h * 0.50
    bw = w / 5
    for i, c in enumerate([GREEN, AMBER, LIME, AMBER, GREEN]):
        x = i * bw
        parts.append(rect(x + 14, banner_top, bw - 28, h * 0.085, 12, fill=shade(c, 0.45),
                          stroke=(14, 14, 14), sw=6))
        parts.append(text(x + bw / 2, banner_top + h * 0.063, 'HXM', h * 0.06,
                          shade(c, 0.85)))
    parts.append(rect(0, h * 0.415, w, h * 0.07, fill=(16, 16, 18), opacity=0.8))
    parts.append(rect(0, wall_bottom - 16, w, 16, fill=LIME, opacity=0.8))
    # Dirt floor with ruts.
    parts.append(rect(0, ground, w, h - ground, fill=url('dirt')))
    for i in range(5):
        y = ground + (h - ground) * (0.15 + 0.17 * i)
        parts.append(path(f'M0,{f(y)} Q{f(w / 2)},{f(y + 40 + 10 * i)} {f(w)},{f(y)}',
                          fill='none', stroke=(60, 40, 24), sw=10 + 4 * i, opacity=0.45))
    for i in range(60):
        x, y = rng.random() * w, ground + 20 + rng.random() * (h - ground - 20)
        parts.append(ellipse(x, y, 10 + rng.random() * 26, 5 + rng.random() * 8,
                             fill=(140, 100, 64) if i % 2 else (58, 40, 24), opacity=0.5))
    # Gentle vignette keeps the eye in the middle.
    parts.append(defs(radial('vig', [(0, BLACK, 0), (0.7, BLACK, 0), (1, BLACK, 0.55)],
                             0.5, 0.5, 0.75)))
    parts.append(rect(0, 0, w, h, fill=url('vig')))
    return ''.join(parts)


PICTURES.update({
    'arenaBackground': arena_background,
    'truckBlue': lambda w, h: truck(w, h, BLUE, '63', False),
    'truckOrange': lambda w, h: truck(w, h, ORANGE, '54', True),
    'chain': chain,
    'tray': tray,
})
PICTURES.update(frames('wheelGreen', 6, wheel, GREEN, False))
PICTURES.update(frames('wheelYellow', 6, wheel, AMBER, True))
PICTURES.update({f'dust{i + 1}': (lambda w, h, i=i: dust(w, h, i % 3, i >= 3))
                 for i in range(6)})


# ---------------------------------------------------------------- tank duel
# Seen from above.  Logs lie in two columns over the tanks, at 36 % and 64 % of
# the field width; the tanks stand at the bottom with their guns up.

def field_background(w, h):
    rng = random.Random(1906)
    parts = [defs(
        linear('turf', [(0, (44, 78, 30)), (1, (30, 58, 22))]),
        linear('lane', [(0, (92, 74, 46), 0.0), (0.12, (96, 76, 48)), (0.88, (96, 76, 48)),
                        (1, (92, 74, 46), 0.0)], 0, 0, 1, 0),
        radial('vig', [(0, BLACK, 0), (0.65, BLACK, 0), (1, BLACK, 0.5)], 0.5, 0.5, 0.75))]
    parts.append(rect(0, 0, w, h, fill=url('turf')))
    for i in range(12):  # mown stripes
        if i % 2:
            parts.append(rect(i * w / 12, 0, w / 12, h, fill=(255, 255, 255), opacity=0.035))
    for i in range(40):  # darker patches of grass
        parts.append(path(blob(rng.random() * w, rng.random() * h, 40 + 80 * rng.random(),
                               rng, 8, 0.3), fill=(24, 48, 18), opacity=0.35))
    for lx in (0.36, 0.64):  # worn lanes the shells fly along
        x = w * lx
        parts.append(rect(x - w * 0.1, 0, w * 0.2, h, fill=url('lane'), opacity=0.55))
        for side in (-1, 1):
            tx = x + side * w * 0.06
            parts.append(line(tx, 0, tx, h, (60, 46, 28), 26, opacity=0.5))
            parts.append(line(tx, 0, tx, h, (40, 30, 18), 26, opacity=0.4,
                              extra='stroke-dasharray="10 22"'))
    for i in range(260):  # tufts
        x, y = rng.random() * w, rng.random() * h
        c = (70, 118, 40) if i % 3 else (96, 140, 52)
        parts.append(path(f'M{f(x - 8)},{f(y)} L{f(x - 12)},{f(y - 18)} M{f(x)},{f(y)} '
                          f'L{f(x)},{f(y - 24)} M{f(x + 8)},{f(y)} L{f(x + 12)},{f(y - 18)}',
                          stroke=c, sw=4, opacity=0.45))
    for i in range(14):  # stones at the edges
        x = rng.choice((rng.random() * w * 0.2, w - rng.random() * w * 0.2))
        y = rng.random() * h
        parts.append(path(blob(x, y, 14 + 20 * rng.random(), rng, 7, 0.25),
                          fill=(120, 120, 112), stroke=(60, 60, 56), sw=4))
    for i in range(8):  # bushes in the corners
        x = rng.choice((rng.random() * w * 0.12, w - rng.random() * w * 0.12))
        y = rng.random() * h
        r = 50 + 40 * rng.random()
        parts.append(path(blob(x, y, r, rng, 9, 0.2), fill=(26, 60, 22), stroke=(14, 34, 12),
                          sw=6))
        parts.append(path(blob(x - r * 0.2, y - r * 0.2, r * 0.55, rng, 8, 0.2),
                          fill=(50, 96, 36)))
    parts.append(rect(0, 0, w, h, fill=url('vig')))
    return ''.join(parts)


def tank(w, h, colour):
    """Top view, gun up: tracks either side, hull, turret low in the hull."""
    k = w / 1099
    cx = 549.5
    dark, outline = shade(colour, 0.6), shade(colour, 0.32)
    parts = [defs(
        linear('hull', [(0, shade(colour, 1.25)), (0.5, colour), (1, dark)], 0, 0, 1, 0),
        radial('turret', [(0, shade(colour, 1.4)), (0.7, colour), (1, dark)],
               0.5, 0.5, 0.55, 0.38, 0.35),
        linear('barrel', [(0, dark), (0.35, shade(colour, 1.3)), (1, dark)], 0, 0, 1, 0),
        linear('track', [(0, (30, 30, 30)), (0.5, (64, 64, 64)), (1, (30, 30, 30))],
               0, 0, 1, 0))]
    top, bottom = 560, 1770
    for tx in (40, 839):
        parts.append(rect(tx, top, 220, bottom - top, 50, fill=url('track'),
                          stroke=(12, 12, 12), sw=14))
        for y in range(top + 40, bottom - 30, 56):
            parts.append(rect(tx + 16, y, 188, 22, 6, fill=(20, 20, 20)))
    parts.append(path(f'M230,{top + 60} L280,{top - 10} L819,{top - 10} L869,{top + 60} '
                      f'L869,{bottom - 40} L819,{bottom + 4} L280,{bottom + 4} '
                      f'L230,{bottom - 40} Z',
                      fill=url('hull'), stroke=outline, sw=16))
    parts.append(rect(300, bottom - 240, 499, 180, 24, fill=dark, stroke=outline, sw=10))
    for i in range(5):
        parts.append(line(330 + i * 110, bottom - 220, 330 + i * 110, bottom - 80, outline, 14))
    parts.append(rect(300, top + 40, 150, 90, 20, fill=dark, stroke=outline, sw=8))
    parts.append(rect(649, top + 40, 150, 90, 20, fill=dark, stroke=outline, sw=8))
    # Gun: from the turret to the very top edge, with a muzzle brake.
    parts.append(rect(cx - 48, 40, 96, 1000, 20, fill=url('barrel'), stroke=outline, sw=12))
    parts.append(rect(cx - 78, 0 + 6, 156, 150, 26, fill=url('barrel'), stroke=outline, sw=12))
    parts.append(rect(cx - 30, 6, 60, 40, 12, fill=(20, 20, 20)))
    parts.append(path('M' + ' L'.join(f'{f(x)},{f(y)}' for x, y in
                                      [(cx - 300, 1000), (cx - 200, 880), (cx + 200, 880),
                                       (cx + 300, 1000), (cx + 300, 1380), (cx + 200, 1490),
                                       (cx - 200, 1490), (cx - 300, 1380)]) + ' Z',
                      fill=url('turret'), stroke=outline, sw=16))
    parts.append(circle(cx + 120, 1300, 80, fill=dark, stroke=outline, sw=10))
    parts.append(circle(cx + 120, 1300, 40, fill=shade(colour, 1.2)))
    parts.append(circle(cx - 140, 1120, 46, fill=dark, stroke=outline, sw=8))
    parts.append(rect(cx - 220, 1400, 120, 40, 12, fill=LIME, stroke=outline, sw=6))
    return group(''.join(parts), f'scale({k:.4f},{h / 1783:.4f})')


def shell(w, h):
    """A round in flight, nose up: brass body, dark tip, a short lime trail."""
    k = w / 71
    return group(
        defs(linear('brass', [(0, (150, 110, 30)), (0.4, (255, 226, 120)), (1, (140, 96, 20))],
                    0, 0, 1, 0),
             linear('trail', [(0, LIME, 0.9), (1, LIME, 0)])) +
        path('M35.5,4 C56,30 60,50 60,70 L60,112 L11,112 L11,70 C11,50 15,30 35.5,4 Z',
             fill=url('brass'), stroke=(70, 46, 10), sw=4) +
        path('M35.5,4 C48,20 53,32 55,44 L16,44 C18,32 23,20 35.5,4 Z', fill=(60, 60, 60)) +
        rect(8, 104, 55, 12, 4, fill=(110, 80, 20), stroke=(70, 46, 10), sw=3) +
        path('M18,118 L53,118 L42,140 L29,140 Z', fill=url('trail')),
        f'scale({k:.4f},{h / 141:.4f})')


def log_body(rng):
    """A whole log in its own units: 1440 x 380 around the origin, end rings right."""
    parts = [defs(
        linear('bark', [(0, (120, 84, 50)), (0.3, (150, 108, 66)), (0.75, (96, 64, 36)),
                        (1, (62, 40, 22))]),
        radial('rings', [(0, (236, 200, 140)), (0.6, (214, 170, 110)), (1, (170, 120, 70))]))]
    parts.append(rect(-700, -180, 1400, 360, 90, fill=url('bark'), stroke=(48, 30, 16), sw=14))
    for i in range(22):  # bark grooves
        y = -150 + 300 * rng.random()
        x = -660 + 1100 * rng.random()
        ln = 120 + 260 * rng.random()
        parts.append(path(f'M{f(x)},{f(y)} q{f(ln / 2)},{f(rng.uniform(-14, 14))} {f(ln)},0',
                          fill='none', stroke=(64, 42, 22), sw=9, opacity=0.8))
    parts.append(ellipse(-300, -40, 34, 22, fill=(70, 46, 24), stroke=(48, 30, 16), sw=6))
    parts.append(ellipse(640, 0, 90, 176, fill=url('rings'), stroke=(80, 52, 26), sw=12))
    for r in (60, 110, 150):
        parts.append(ellipse(640, 0, r * 0.5, r, fill='none', stroke=(170, 120, 70), sw=6))
    return ''.join(parts)


def jagged_cut(x, y0, y1, rng, depth=40, steps=6):
    """Points of a splintered edge from (x, y0) to (x, y1)."""
    return [(x + rng.uniform(-depth, depth) * (0 < i < steps), y0 + (y1 - y0) * i / steps)
            for i in range(steps + 1)]


# Log pieces per state: x cuts along the log, whether each piece is also split
# lengthwise, how far the pieces fly apart along the log and across it, and how far across
# the splinters reach (in log units), and the scale that keeps the pieces on the canvas.
# A shattered log lies as one band of debris in its own
# row: the rows are only a little more than a log's height apart.
LOG_STATES = [
    dict(cuts=[], split=False, spread=0, rise=0, cracks=0, chips=0, reach=0, fit=1),
    dict(cuts=[], split=False, spread=0, rise=0, cracks=5, chips=6, reach=None, fit=1),
    dict(cuts=[-180, 260], split=False, spread=110, rise=110, cracks=3, chips=14, reach=None,
         fit=1),
    dict(cuts=[-420, -140, 120, 400], split=True, spread=250, rise=12, cracks=0, chips=30,
         reach=200, fit=0.86),
]


def log(w, h, state):
    rng = random.Random(407)
    body = log_body(rng)
    breakage = LOG_STATES[state]
    s = w / 1473
    parts = []
    edges = [-760] + breakage['cuts'] + [760]
    cut_lines = [jagged_cut(x, -200, 200, rng) for x in breakage['cuts']]
    pieces = []
    for i in range(len(edges) - 1):
        left = cut_lines[i - 1] if i > 0 else [(-760, -200), (-760, 200)]
        right = cut_lines[i] if i < len(cut_lines) else [(760, -200), (760, 200)]
        mid_x = (edges[i] + edges[i + 1]) / 2
        if breakage['split']:
            seam = [(x, rng.uniform(-30, 30)) for x in
                    (edges[i] - 60, mid_x, edges[i + 1] + 60)]
            top = [p for p in left if p[1] < 0] + seam + [p for p in right[::-1] if p[1] < 0]
            bottom = ([p for p in left if p[1] >= 0] + [p for p in right[::-1] if p[1] >= 0]
                      + seam[::-1])
            pieces.append((top, mid_x, -1))
            pieces.append((bottom, mid_x, 1))
        else:
            pieces.append((left + right[::-1], mid_x, 0))
    for n, (outline, mid_x, side) in enumerate(pieces):
        spread = breakage['spread']
        dx = mid_x / 760 * spread * 0.5
        dy = (side if side else (1 if n % 2 else -1)) * breakage['rise'] * rng.uniform(0.45, 1.0)
        angle = rng.uniform(-1, 1) * spread / 14
        clip = f'<clipPath id="piece{n}"><polygon points="{pts(outline)}"/></clipPath>'
        parts.append(defs(clip) + group(
            f'<g clip-path="url(#piece{n})">{body}</g>',
            f'translate({f(dx)},{f(dy)}) rotate({f(angle)} {f(mid_x)} 0)'))
    for i in range(breakage['cracks']):  # dark zigzag cracks
        x = -560 + 1080 * i / max(1, breakage['cracks'] - 1) + rng.uniform(-60, 60)
        crack = [(x + rng.uniform(-50, 50), -170 + 340 * j / 5) for j in range(6)]
        parts.append(polyline(crack, stroke=(30, 18, 8), sw=22))
        parts.append(polyline(crack, stroke=(240, 210, 150), sw=6, opacity=0.6))
    for i in range(breakage['chips']):  # splinters flying off
        a = rng.uniform(0, 2 * math.pi)
        reach = (1 if state < 3 else 1.5) * rng.uniform(0.4, 1.0)
        x = math.cos(a) * 700 * reach
        across = breakage['reach'] or h / s / 2 - 40
        y = math.sin(a) * across * rng.uniform(0.75, 1.0)
        ln = rng.uniform(40, 110)
        parts.append(rotated(math.degrees(a) + rng.uniform(-40, 40), x, y, poly(
            [(x - ln / 2, y), (x, y - ln * 0.14), (x + ln / 2, y), (x, y + ln * 0.14)],
            fill=(214, 170, 110), stroke=(70, 46, 24), sw=5)))
    return group(''.join(parts),
                 f'translate({f(w / 2)},{f(h / 2)}) scale({s * breakage["fit"]:.4f})')


def blast(w, h, frame):
    """Flash, fireball, then a widening ring that fades; centred on the canvas."""
    t = frame / 6
    cx, cy = w / 2, h / 2
    R = min(w, h) / 2
    parts = [defs(
        radial('fire', [(0, (255, 255, 230)), (0.3, (255, 236, 120)), (0.6, (250, 150, 40)),
                        (0.85, (210, 60, 20), 0.8), (1, (120, 30, 10), 0)]),
        radial('smoke', [(0, (60, 56, 52), 0), (0.55, (70, 64, 58), 0.5),
                         (0.8, (90, 84, 76), 0.45), (1, (90, 84, 76), 0)]))]
    ring_r = R * (0.25 + 0.7 * t)
    parts.append(circle(cx, cy, ring_r, fill=url('smoke'), opacity=1 - 0.75 * t))
    parts.append(circle(cx, cy, ring_r * 0.96, fill='none', stroke=(255, 220, 150),
                        sw=R * 0.06 * (1 - 0.6 * t), opacity=max(0.15, 0.9 - t)))
    if frame <= 4:
        core = R * (0.22 + 0.55 * math.sin(math.pi * min(1, (frame + 1) / 6)))
        parts.append(poly(star_points(cx, cy, core * 1.35, core * 0.65, 9, frame * 0.2),
                          fill=(255, 200, 80), opacity=0.85 * (1 - frame / 5)))
        parts.append(circle(cx, cy, core, fill=url('fire'), opacity=1 - frame / 6))
    rng = random.Random(800)
    for i in range(10):  # sparks and debris thrown outwards
        a = rng.uniform(0, 2 * math.pi)
        d = R * (0.2 + 0.75 * t) * rng.uniform(0.7, 1.05)
        x, y = cx + d * math.cos(a), cy + d * math.sin(a)
        parts.append(circle(x, y, R * 0.03 * (1.2 - t), fill=(255, 210, 110) if i % 2
                            else (90, 70, 50), opacity=1 - 0.8 * t))
    return ''.join(parts)


PICTURES.update({
    'fieldBackground': field_background,
    'tankYellow': lambda w, h: tank(w, h, YELLOW_TANK),
    'tankGrey': lambda w, h: tank(w, h, GREY_TANK),
    'shell': shell,
})
PICTURES.update(frames('log', 4, log))
PICTURES.update(frames('blast', 7, blast))


# ---------------------------------------------------------------- duck hunt
# The tree stands at the left quarter on the horizon line; hunters stand low in
# the grass, the blue one aiming up and right, the red one up and left.

def meadow_background(w, h):
    rng = random.Random(1920)
    horizon = h * 0.62
    parts = [defs(
        linear('sky', [(0, (18, 34, 72)), (0.6, (52, 96, 150)), (1, (150, 176, 170))]),
        linear('meadow', [(0, (70, 120, 40)), (1, (30, 62, 22))]),
        linear('hillFar', [(0, (50, 88, 70)), (1, (40, 70, 50))]),
        linear('hillNear', [(0, (56, 104, 40)), (1, (40, 80, 30))]))]
    parts.append(rect(0, 0, w, h, fill=url('sky')))
    parts.append(glow('sun', w * 0.78, horizon - h * 0.12, h * 0.45, (255, 230, 170), 0.6))
    parts.append(circle(w * 0.78, horizon - h * 0.12, h * 0.06, fill=(255, 240, 200)))
    for i in range(6):  # clouds
        cx, cy = rng.uniform(0.05, 0.95) * w, rng.uniform(0.08, 0.38) * h
        for j in range(5):
            parts.append(ellipse(cx + (j - 2) * 70 + rng.uniform(-20, 20),
                                 cy + rng.uniform(-20, 14), 90 + rng.uniform(0, 40),
                                 40 + rng.uniform(0, 20), fill=(230, 236, 245), opacity=0.22))
    for grad, base, amp, seed in (('hillFar', horizon - h * 0.08, h * 0.06, 3),
                                  ('hillNear', horizon - h * 0.02, h * 0.04, 5)):
        r2 = random.Random(seed)
        ridge = [(x, base - amp * (0.5 + 0.5 * math.sin(x / w * 6.0 + seed) *
                                   r2.uniform(0.6, 1.0)))
                 for x in [w * i / 10 for i in range(11)]]
        parts.append(path(smooth_open(ridge) + f' L{f(w)},{f(h)} L0,{f(h)} Z',
                          fill=url(grad)))
    parts.append(rect(0, horizon, w, h - horizon, fill=url('meadow')))
    for i in range(120):  # flowers and tufts in the meadow, larger nearer
        y = horizon + (h - horizon) * rng.random() ** 0.7
        x = rng.random() * w
        s = 3 + 10 * (y - horizon) / (h - horizon)
        c = rng.choice([(240, 240, 230), AMBER, (230, 120, 160), LIME])
        parts.append(circle(x, y, s, fill=c, opacity=0.75))
    return ''.join(parts)


def grass_blades(w, top, bottom, rng, count, colours):
    out = []
    for i in range(count):
        x = w * i / count + rng.uniform(-10, 10)
        tip = top + (bottom - top) * rng.random() * 0.6
        lean = rng.uniform(-60, 60)
        base_w = rng.uniform(14, 26)
        out.append(path(f'M{f(x - base_w)},{f(bottom)} '
                        f'Q{f(x + lean * 0.3)},{f((tip + bottom) / 2)} '
                        f'{f(x + lean)},{f(tip)} Q{f(x + lean * 0.2 + base_w * 0.4)},'
                        f'{f((tip + bottom) / 2)} {f(x + base_w)},{f(bottom)} Z',
                        fill=rng.choice(colours)))
    return ''.join(out)


def grass(w, h):
    """Foreground grass along the bottom edge; the sky above stays transparent."""
    rng = random.Random(1080)
    top, solid = h * 0.70, h * 0.86
    return (defs(linear('sod', [(0, (36, 78, 24)), (1, (16, 40, 12))])) +
            grass_blades(w, top + h * 0.04, solid + 10, rng, 140,
                         [(40, 90, 28), (50, 104, 32), (34, 76, 22)]) +
            rect(0, solid, w, h - solid, fill=url('sod')) +
            grass_blades(w, top + h * 0.08, h, rng, 110,
                         [(70, 130, 40), (86, 150, 46), (60, 116, 34)]))


def tree(w, h):
    rng = random.Random(622)
    k = w / 622
    parts = [defs(
        linear('trunk', [(0, (70, 46, 26)), (0.5, (120, 84, 50)), (1, (60, 40, 22))], 0, 0, 1, 0),
        radial('leaf', [(0, (110, 170, 60)), (0.7, (60, 120, 36)), (1, (34, 80, 24))],
               0.5, 0.5, 0.5, 0.35, 0.3))]
    parts.append(path('M270,829 C280,700 282,600 262,480 L240,420 L290,440 L311,380 '
                      'L332,440 L380,410 L352,490 C336,600 340,700 352,829 Z',
                      fill=url('trunk'), stroke=(40, 26, 14), sw=10))
    parts.append(ellipse(311, 822, 160, 14, fill=BLACK, opacity=0.3))
    clusters = [(311, 250, 230), (160, 330, 150), (462, 330, 150), (220, 150, 140),
                (410, 150, 140), (311, 110, 130), (311, 360, 170)]
    for cx, cy, r in clusters:
        parts.append(path(blob(cx, cy, r, rng, 10, 0.12), fill=url('leaf'),
                          stroke=(24, 60, 18), sw=10))
    for i in range(12):  # highlights on the sunny side
        cx, cy, r = clusters[i % len(clusters)]
        parts.append(ellipse(cx + rng.uniform(-0.4, 0.3) * r, cy + rng.uniform(-0.5, 0.1) * r,
                             r * 0.18, r * 0.1, fill=(160, 210, 90), opacity=0.5))
    return group(''.join(parts), f'scale({k:.4f},{h / 829:.4f})')


def duck_figure(colour, wing):
    """A duck flying right in a 400 x 600 frame; wing 0 up, 1 level, 2 down."""
    dark, light = shade(colour, 0.45), shade(colour, 1.35)
    outline = (20, 20, 24)
    parts = [defs(
        linear('duckBody', [(0, light), (0.5, colour), (1, dark)]),
        linear('duckWing', [(0, shade(colour, 1.2)), (1, shade(colour, 0.6))]),
        radial('duckHead', [(0, (60, 170, 90)), (1, (14, 70, 40))], 0.4, 0.35, 0.6))]
    # Wings hinge at the shoulder (200, 300); tips high, level or low.
    far_wing = {0: 'M205,300 C215,220 215,150 190,80 C240,140 260,220 250,305 Z',
                1: 'M210,300 C170,270 110,262 50,272 C110,300 160,318 225,318 Z',
                2: 'M205,320 C215,400 210,470 185,530 C240,480 260,400 250,318 Z'}[wing]
    near_wing = {0: 'M160,305 C150,210 130,120 90,40 C190,70 260,180 250,310 Z',
                 1: 'M140,292 C100,250 40,236 6,246 C30,300 120,350 240,330 Z',
                 2: 'M160,320 C150,420 130,500 90,575 C190,540 260,430 250,318 Z'}[wing]
    parts.append(path(far_wing, fill=shade(colour, 0.55), stroke=outline, sw=10))
    # Tail, streamlined body, neck stretched forward, head and bill.
    parts.append(path('M80,300 L22,282 L36,314 L20,346 L84,334 Z', fill=dark, stroke=outline,
                      sw=10))
    parts.append(path('M64,318 C80,282 150,270 230,274 C290,278 320,296 322,318 '
                      'C320,342 280,358 210,358 C130,358 70,348 64,318 Z',
                      fill=url('duckBody'), stroke=outline, sw=10))
    parts.append(path('M100,340 C160,352 240,352 300,332', fill='none', stroke=WHITE, sw=8,
                      opacity=0.35))
    parts.append(path('M290,306 C310,300 322,294 338,286', fill='none', stroke=outline, sw=56))
    parts.append(path('M290,306 C310,300 322,294 338,286', fill='none', stroke=(30, 110, 60),
                      sw=40))
    parts.append(path('M300,320 L292,288', stroke=WHITE, sw=12))
    parts.append(ellipse(344, 280, 44, 38, fill=url('duckHead'), stroke=outline, sw=10))
    parts.append(path('M374,276 C386,270 396,274 398,284 C390,296 380,298 372,296 Z',
                      fill=AMBER, stroke=outline, sw=8))
    parts.append(circle(356, 270, 10, fill=WHITE))
    parts.append(circle(359, 270, 6, fill=BLACK))
    parts.append(path(near_wing, fill=url('duckWing'), stroke=outline, sw=10))
    for i in range(3):  # flight feathers along the near wing
        parts.append(path({0: f'M{140 - 14 * i},{240 - 60 * i} L{200 - 8 * i},{260 - 50 * i}',
                           1: f'M{150 - 45 * i},{300 - 14 * i} L{190 - 45 * i},{325 - 10 * i}',
                           2: f'M{140 - 14 * i},{390 + 60 * i} L{200 - 8 * i},{370 + 50 * i}'
                           }[wing], stroke=shade(colour, 0.4), sw=8))
    return ''.join(parts)


def duck(w, h, frame, colour):
    """Frames 0-2 fly right with the wing up, level, down; 3-5 mirror them."""
    body = group(duck_figure(colour, frame % 3), f'scale({w / 400:.4f},{h / 600:.4f})')
    return mirrored(w, body) if frame >= 3 else body


def hunter(w, h, colour, aim_left):
    """A hunter in a cap and jacket, rifle shouldered at about 37 degrees."""
    dark = shade(colour, 0.55)
    outline = (20, 20, 24)
    parts = [defs(linear('jacket', [(0, shade(colour, 1.3)), (1, dark)]),
                  linear('stock', [(0, (150, 96, 50)), (1, (90, 54, 26))]))]
    parts.append(path('M110,438 L120,330 L250,330 L262,438 Z', fill=(60, 64, 40),
                      stroke=outline, sw=10))
    parts.append(path('M80,340 C70,260 90,200 150,180 L230,180 C280,200 300,250 290,340 Z',
                      fill=url('jacket'), stroke=outline, sw=10))
    parts.append(path('M150,190 L185,290 L220,190', fill='none', stroke=dark, sw=10))
    # Rifle along the aiming line, stock at the shoulder, muzzle top right.
    a = math.radians(-37)
    x0, y0 = 150, 250
    x1, y1 = x0 + 300 * math.cos(a), y0 + 300 * math.sin(a)
    parts.append(line(x0, y0, x0 + 120 * math.cos(a), y0 + 120 * math.sin(a), outline, 40))
    parts.append(line(x0, y0, x0 + 120 * math.cos(a), y0 + 120 * math.sin(a),
                      (130, 84, 40), 28))
    parts.append(line(x0 + 100 * math.cos(a), y0 + 100 * math.sin(a), x1, y1, outline, 22))
    parts.append(line(x0 + 100 * math.cos(a), y0 + 100 * math.sin(a), x1, y1,
                      (110, 116, 124), 12))
    # Arms: rear hand at the grip, front hand under the barrel.
    parts.append(path('M110,220 C120,290 170,290 200,230', fill='none', stroke=outline, sw=46))
    parts.append(path('M110,220 C120,290 170,290 200,230', fill='none', stroke=colour, sw=32))
    parts.append(path('M250,210 C270,230 290,200 290,170', fill='none', stroke=outline, sw=46))
    parts.append(path('M250,210 C270,230 290,200 290,170', fill='none', stroke=colour, sw=32))
    parts.append(circle(290, 168, 20, fill=(240, 190, 150), stroke=outline, sw=8))
    parts.append(circle(200, 228, 20, fill=(240, 190, 150), stroke=outline, sw=8))
    # Head with a cap, cheek on the stock.
    parts.append(circle(178, 130, 56, fill=(240, 190, 150), stroke=outline, sw=10))
    parts.append(path('M118,118 C120,60 230,50 240,112 L270,120 L268,132 L118,130 Z',
                      fill=dark, stroke=outline, sw=10))
    parts.append(circle(205, 140, 8, fill=outline))
    body = group(''.join(parts), f'scale({w / 387:.4f},{h / 438:.4f})')
    return mirrored(w, body) if aim_left else body


def crosshair(w, h):
    cx, cy = w / 2, h / 2
    r = min(w, h) * 0.36
    sw = min(w, h) * 0.035
    parts = []
    for colour, width in ((BLACK, sw * 2.2), (LIME, sw)):
        parts.append(circle(cx, cy, r, fill='none', stroke=colour, sw=width))
        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            parts.append(line(cx + dx * r * 0.45, cy + dy * r * 0.45, cx + dx * r * 1.32,
                              cy + dy * r * 1.32, colour, width))
    parts.append(circle(cx, cy, sw * 1.4, fill=RED, stroke=BLACK, sw=sw * 0.6))
    return ''.join(parts)


def feather(length, colour):
    """One feather along the x axis from 0 to length."""
    L = length
    return (path(f'M0,0 C{f(L * 0.25)},{f(-L * 0.22)} {f(L * 0.75)},{f(-L * 0.18)} {f(L)},0 '
                 f'C{f(L * 0.75)},{f(L * 0.2)} {f(L * 0.25)},{f(L * 0.22)} 0,0 Z',
                 fill=colour, stroke=(60, 60, 70), sw=L * 0.03) +
            path(f'M{f(-L * 0.1)},0 L{f(L * 0.95)},0', stroke=(90, 90, 100), sw=L * 0.025) +
            path(f'M{f(L * 0.55)},{f(-L * 0.16)} L{f(L * 0.45)},{f(-L * 0.04)}',
                 stroke=WHITE, sw=L * 0.03, opacity=0.7))


def feathers(w, h, frame):
    """One feather, then a widening puff of them: frames 0-3."""
    rng = random.Random(1000)
    cx, cy = w / 2, h / 2
    count = (1, 7, 14, 22)[frame]
    spread = (0.0, 0.45, 0.75, 0.95)[frame]
    grow = (1.5, 1.1, 1.0, 0.9)[frame]
    parts = []
    if frame > 0:
        parts.append(defs(radial('puff', [(0, WHITE, 0.7), (0.6, WHITE, 0.3), (1, WHITE, 0)])))
        parts.append(circle(cx, cy, w * 0.12 * (1 + spread), fill=url('puff'),
                            opacity=1 - 0.25 * frame))
    colours = [(250, 250, 250), (235, 230, 215), (210, 200, 180), (250, 250, 250)]
    for i in range(22):
        a = rng.uniform(0, 2 * math.pi)
        d = rng.uniform(0.45, 1.0) * w * 0.36 * spread
        turn = rng.uniform(0, 360)
        length = rng.uniform(0.16, 0.26) * w
        colour = colours[i % len(colours)]
        if i < count:
            x, y = cx + d * math.cos(a), cy + d * math.sin(a)
            size = length * grow
            centred = group(feather(size, colour), f'translate({f(-size / 2)},0)')
            parts.append(placed(x, y, 1, centred, turn + frame * 25))
    opacity = 1.0 if frame < 3 else 0.75
    return group(''.join(parts), opacity=opacity)


def duck_hud(w, h, colour):
    """Score bar: duck at the left, the number in the middle. No rounds: nothing counts shots."""
    k = w / 2000
    outline = (14, 14, 16)
    parts = [defs(linear('hud', [(0, (44, 44, 48)), (1, (18, 18, 20))]),
                  linear('hudRim', [(0, shade(colour, 1.3)), (1, shade(colour, 0.7))]))]
    parts.append(rect(40, 50, 1920, 1100, 420, fill=url('hud'), stroke=url('hudRim'), sw=70))
    parts.append(rect(150, 130, 1700, 400, 240, fill=WHITE, opacity=0.05))
    # Duck icon in a player-coloured disc.
    parts.append(circle(460, 600, 330, fill=shade(colour, 0.55), stroke=outline, sw=24))
    parts.append(placed(460 - 210 * 1.3, 600 - 200 * 1.3, 1.3, duck_figure(colour, 0)))
    return group(''.join(parts), f'scale({k:.4f},{h / 1200:.4f})')


PICTURES.update({
    'meadowBackground': meadow_background,
    'grass': grass,
    'tree': tree,
    'duckHudBlue': lambda w, h: duck_hud(w, h, BLUE),
    'duckHudRed': lambda w, h: duck_hud(w, h, RED),
    'hunterBlue': lambda w, h: hunter(w, h, BLUE, False),
    'hunterRed': lambda w, h: hunter(w, h, RED, True),
    'crosshair': crosshair,
})
PICTURES.update(frames('duckBlue', 6, duck, BLUE))
PICTURES.update(frames('duckRed', 6, duck, RED))
PICTURES.update(frames('feathers', 4, feathers))


# ---------------------------------------------------------------- prospectors
# The pillar's rock face is at 17 % and 83 % of its width where the picks land
# (63 % of its height); the blue prospector faces right, his pick striking at
# the right edge of his canvas, 38 % from the top; the red one is his mirror.

GEM_COLOURS = {'emerald': (40, 190, 90), 'diamond': (190, 236, 255),
               'goldNugget': (240, 196, 50), 'pebble': (130, 126, 120)}


def cut_gem(w, h, colour, facets):
    """A faceted stone from a list of (polygon, brightness) in a 300 x 300 frame."""
    outline = shade(colour, 0.3)
    parts = [poly(p, fill=shade(colour, b), stroke=outline, sw=6) for p, b in facets]
    parts.append(path('M110,70 L150,60', stroke=WHITE, sw=10, opacity=0.85))
    parts.append(poly(star_points(205, 95, 26, 7, 4), fill=WHITE, opacity=0.9))
    return group(''.join(parts), f'scale({w / 300:.4f},{h / 300:.4f})')


def emerald(w, h):
    o = [(90, 20), (210, 20), (280, 90), (280, 210), (210, 280), (90, 280), (20, 210),
         (20, 90)]
    i = [(115, 75), (185, 75), (225, 115), (225, 185), (185, 225), (115, 225), (75, 185),
         (75, 115)]
    facets = [(o, 0.75)]
    for n in range(8):
        brightness = (1.3, 1.15, 0.9, 0.7, 0.6, 0.75, 0.95, 1.2)[n]
        facets.append(([o[n], o[(n + 1) % 8], i[(n + 1) % 8], i[n]], brightness))
    facets.append((i, 1.05))
    return cut_gem(w, h, GEM_COLOURS['emerald'], facets)


def diamond(w, h):
    crown_y, girdle, tip = 40, 110, 285
    xs = [15, 80, 150, 220, 285]
    facets = [([(60, crown_y), (240, crown_y), (285, girdle), (15, girdle)], 1.0)]
    tops = [(60, crown_y), (105, crown_y), (150, crown_y), (195, crown_y), (240, crown_y)]
    for n in range(4):
        facets.append(([tops[n], tops[n + 1], ((xs[n + 1] + xs[n]) / 2 + 20, girdle)],
                       (1.4, 1.2, 1.0, 0.85)[n]))
    for n in range(4):
        facets.append(([(xs[n], girdle), (xs[n + 1], girdle), (150, tip)],
                       (0.95, 0.8, 0.65, 0.55)[n]))
    return cut_gem(w, h, GEM_COLOURS['diamond'], facets)


def rounded_stone(w, h, colour, seed, bumps, rough, shine):
    rng = random.Random(seed)
    k = w / 300
    outline = shade(colour, 0.35)
    parts = [defs(radial('stone', [(0, shade(colour, 1.45)), (0.55, colour),
                                   (1, shade(colour, 0.5))], 0.5, 0.5, 0.6, 0.38, 0.32))]
    parts.append(path(blob(150, 150, 138 / (1 + rough), rng, bumps, rough), fill=url('stone'),
                      stroke=outline, sw=10))
    for i in range(4):  # dents
        parts.append(ellipse(rng.uniform(100, 210), rng.uniform(110, 210), rng.uniform(10, 22),
                             rng.uniform(6, 14), fill=shade(colour, 0.6), opacity=0.6))
    if shine:
        parts.append(ellipse(115, 100, 34, 18, fill=WHITE, opacity=0.75,
                             extra='transform="rotate(-30 115 100)"'))
        parts.append(poly(star_points(195, 90, 24, 6, 4), fill=WHITE, opacity=0.9))
    return group(''.join(parts), f'scale({k:.4f},{h / 300:.4f})')


def gold_nugget(w, h):
    return rounded_stone(w, h, GEM_COLOURS['goldNugget'], 15, 11, 0.18, True)


def pebble(w, h):
    return rounded_stone(w, h, GEM_COLOURS['pebble'], 7, 8, 0.12, False)


def rock_texture(w, h, rng, base):
    """Strata and cracks over a rock fill of colour base (within the current clip)."""
    parts = []
    for i in range(14):
        y = h * i / 14 + rng.uniform(-20, 20)
        parts.append(path(f'M0,{f(y)} Q{f(w / 3)},{f(y + rng.uniform(-40, 40))} '
                          f'{f(w / 2)},{f(y + rng.uniform(-30, 30))} T{f(w)},{f(y)}',
                          fill='none', stroke=shade(base, 0.7), sw=10, opacity=0.5))
    for i in range(40):
        x, y = rng.random() * w, rng.random() * h
        parts.append(path(blob(x, y, 20 + 50 * rng.random(), rng, 7, 0.3),
                          fill=shade(base, rng.choice((0.75, 1.2, 0.85))), opacity=0.55))
    for i in range(10):
        x, y = rng.random() * w, rng.random() * h
        crack = [(x, y)]
        for j in range(4):
            x += rng.uniform(-40, 40)
            y += rng.uniform(30, 70)
            crack.append((x, y))
        parts.append(polyline(crack, stroke=shade(base, 0.35), sw=8))
    return ''.join(parts)


def cave_background(w, h):
    rng = random.Random(2750)
    rock = (74, 62, 54)
    parts = [defs(
        radial('depth', [(0, (104, 88, 72)), (0.55, (60, 50, 44)), (1, (18, 15, 14))],
               0.5, 0.55, 0.7),
        linear('floor', [(0, (70, 58, 46)), (1, (30, 24, 20))]))]
    parts.append(rect(0, 0, w, h, fill=url('depth')))
    parts.append(group(rock_texture(w, h, rng, rock), opacity=0.6))
    floor_y = h * 0.86
    parts.append(path(smooth_open([(0, floor_y + 20), (w * 0.3, floor_y - 10),
                                   (w * 0.6, floor_y + 10), (w, floor_y - 20)]) +
                      f' L{f(w)},{f(h)} L0,{f(h)} Z', fill=url('floor')))
    for i in range(18):  # stalactites
        x = w * (i + rng.random()) / 18
        ln = h * rng.uniform(0.06, 0.2)
        wd = rng.uniform(40, 90)
        parts.append(poly([(x - wd, 0), (x + wd, 0), (x + 6, ln), (x - 6, ln)],
                          fill=shade(rock, rng.uniform(0.5, 0.8)), stroke=(20, 16, 14), sw=6))
    for x in (w * 0.1, w * 0.9):  # timber props with lanterns
        parts.append(rect(x - 40, h * 0.12, 80, h * 0.76, 8, fill=(96, 64, 36),
                          stroke=(40, 26, 14), sw=10))
        parts.append(rect(x - 170, h * 0.12, 340, 70, 8, fill=(110, 74, 40),
                          stroke=(40, 26, 14), sw=10))
        parts.append(glow(f'lamp{int(x)}', x, h * 0.32, h * 0.32, (255, 190, 90), 0.55))
        parts.append(rect(x - 30, h * 0.30, 60, 80, 14, fill=(255, 214, 120),
                          stroke=(50, 34, 20), sw=8))
    for i in range(22):  # glints of ore in the walls
        x, y = rng.random() * w, rng.random() * h * 0.8
        c = rng.choice([GEM_COLOURS['emerald'], GEM_COLOURS['goldNugget'],
                        GEM_COLOURS['diamond']])
        parts.append(poly(star_points(x, y, 16, 5, 4), fill=c, opacity=0.7))
    return ''.join(parts)


def rock_pillar(w, h):
    """A column of rock from roof to floor, studded with gems."""
    rng = random.Random(1512)
    rock = (118, 100, 84)
    left = [(110, 0), (230, 160), (280, 420), (250, 700), (254, 972), (200, 1200),
            (90, 1400), (30, 1536)]
    right = [(w - x + rng.uniform(-20, 20), y) for x, y in reversed(left)]
    outline = left + right
    parts = [defs(
        linear('pillarShade', [(0, (40, 32, 26)), (0.2, rock), (0.5, shade(rock, 1.15)),
                               (0.8, rock), (1, (40, 32, 26))], 0, 0, 1, 0),
        f'<clipPath id="pillar"><path d="{smooth_open(outline)} Z"/></clipPath>')]
    parts.append(path(smooth_open(outline) + ' Z', fill=url('pillarShade')))
    inner = [rock_texture(w, h, rng, rock)]
    gems = [('emerald', 0.35, 0.25), ('diamond', 0.6, 0.35), ('goldNugget', 0.45, 0.5),
            ('emerald', 0.68, 0.62), ('diamond', 0.32, 0.75), ('goldNugget', 0.58, 0.85),
            ('emerald', 0.5, 0.12), ('goldNugget', 0.25, 0.55), ('diamond', 0.75, 0.48)]
    for name, gx, gy in gems:
        size = rng.uniform(120, 170)
        inner.append(circle(gx * w, gy * h, size * 0.55, fill=(30, 24, 20), opacity=0.6))
        inner.append(placed(gx * w - size / 2, gy * h - size / 2, 1,
                            PICTURES[name](size, size), 0))
    parts.append(f'<g clip-path="url(#pillar)">{"".join(inner)}</g>')
    parts.append(path(smooth_open(outline) + ' Z', fill='none', stroke=(30, 24, 20), sw=18))
    return ''.join(parts)


# Pickaxe poses: hands position and handle angle (degrees, 0 = pointing right).
MINER_POSES = [((300, 430), 62), ((240, 260), -100), ((291, 319), -30)]


def pickaxe():
    """Handle along +x from the hands; the curved head at its end."""
    return (rect(-40, -13, 260, 26, 12, fill=(150, 100, 54), stroke=(50, 30, 14), sw=8) +
            path('M215,-95 C250,-60 250,60 230,100 L205,96 C220,50 222,-40 195,-80 Z',
                 fill=(176, 182, 190), stroke=(30, 30, 34), sw=8) +
            path('M215,-95 L190,-110 L205,-70 Z', fill=(140, 146, 154), stroke=(30, 30, 34),
                 sw=6))


def miner(w, h, pose, colour):
    (hx, hy), angle = MINER_POSES[pose]
    outline = (20, 18, 16)
    skin = (236, 186, 146)
    parts = [defs(linear('shirt', [(0, shade(colour, 1.3)), (1, shade(colour, 0.6))]),
                  linear('helmet', [(0, (255, 230, 120)), (1, (190, 140, 20))]))]
    # Legs and boots.
    for x0, x1 in ((190, 150), (250, 290)):
        parts.append(line(x0, 500, x1, 700, outline, 72))
        parts.append(line(x0, 500, x1, 700, (110, 80, 50), 56))
        parts.append(path(f'M{x1 - 50},735 L{x1 - 40},690 L{x1 + 40},690 L{x1 + 66},735 Z',
                          fill=(50, 36, 26), stroke=outline, sw=8))
    # Torso with braces and belt.
    parts.append(path('M140,520 C130,420 140,320 170,280 L280,280 C310,320 310,420 300,520 Z',
                      fill=url('shirt'), stroke=outline, sw=10))
    parts.append(rect(135, 490, 170, 36, 8, fill=(70, 46, 24), stroke=outline, sw=8))
    parts.append(rect(207, 494, 28, 28, 4, fill=AMBER))
    # Back arm, pickaxe, front arm: both hands on the handle.
    shoulders = ((180, 310), (260, 310))
    for i, (sx, sy) in enumerate(shoulders):
        elbow = ((sx + hx) / 2 + (-30 if i == 0 else 30), (sy + hy) / 2 + 30)
        arm = f'M{sx},{sy} Q{f(elbow[0])},{f(elbow[1])} {hx + 18 * i},{hy + 6 * i}'
        if i == 1:
            parts.append(placed(hx, hy, 1, pickaxe(), angle))
        parts.append(path(arm, fill='none', stroke=outline, sw=52))
        parts.append(path(arm, fill='none', stroke=shade(colour, 0.9 + 0.2 * i), sw=36))
        parts.append(circle(hx + 18 * i, hy + 6 * i, 24, fill=skin, stroke=outline, sw=8))
    # Head: beard, nose, helmet with a lamp.
    parts.append(circle(225, 200, 66, fill=skin, stroke=outline, sw=10))
    parts.append(path('M165,215 C170,290 280,300 290,215 C260,240 190,240 165,215 Z',
                      fill=(120, 80, 44), stroke=outline, sw=8))
    parts.append(circle(268, 205, 12, fill=(220, 150, 120)))
    parts.append(circle(250, 186, 8, fill=outline))
    parts.append(path('M150,170 C150,90 300,90 300,170 L320,176 L320,188 L140,188 L140,176 Z',
                      fill=url('helmet'), stroke=outline, sw=10))
    parts.append(rect(262, 132, 40, 34, 10, fill=(255, 250, 210), stroke=outline, sw=8))
    return group(''.join(parts), f'scale({w / 539:.4f},{h / 739:.4f})')


def miner_frame(w, h, pose, colour, facing_left):
    body = miner(w, h, pose, colour)
    return mirrored(w, body) if facing_left else body


def sack(w, h, colour):
    """A full sack in the player's colour, tied at the neck, gems peeping out."""
    k = w / 800
    outline = (24, 20, 18)
    parts = [defs(radial('sack', [(0, shade(colour, 1.15)), (0.6, shade(colour, 0.8)),
                                  (1, shade(colour, 0.4))], 0.45, 0.55, 0.6, 0.4, 0.45))]
    for name, x, y, s, a in (('emerald', 280, 40, 150, -20), ('goldNugget', 380, 20, 160, 10),
                             ('diamond', 470, 50, 140, 25)):
        parts.append(group(PICTURES[name](s, s), f'translate({x},{y}) rotate({a} {s / 2} {s / 2})'))
    parts.append(path('M300,170 C240,150 250,120 280,110 C340,130 460,130 520,110 '
                      'C550,120 560,150 500,170 Z', fill=shade(colour, 0.7), stroke=outline,
                      sw=14))
    parts.append(path('M310,180 C140,260 60,420 70,580 C80,720 240,780 400,780 '
                      'C560,780 720,720 730,580 C740,420 660,260 490,180 Z',
                      fill=url('sack'), stroke=outline, sw=16))
    parts.append(path('M290,190 C360,215 440,215 510,190', fill='none', stroke=(200, 160, 90),
                      sw=34))
    parts.append(path('M290,190 C360,215 440,215 510,190', fill='none', stroke=(130, 96, 50),
                      sw=12, extra='stroke-dasharray="20 16"'))
    parts.append(path('M170,330 C140,420 140,520 180,600', fill='none', stroke=WHITE, sw=18,
                      opacity=0.2))
    parts.append(path('M400,215 C390,300 380,340 330,360', fill='none',
                      stroke=shade(colour, 0.45), sw=10, opacity=0.6))
    return group(''.join(parts), f'scale({k:.4f},{h / 800:.4f})')


def dynamite(w, h):
    """One red stick lying down, fuse burning at the right, a timer strapped on:
    the clock digits are written onto its dark window."""
    k = w / 400
    outline = (30, 14, 10)
    parts = [defs(linear('stick', [(0, (250, 110, 90)), (0.4, (210, 40, 30)), (1, (110, 14, 10))]),
                  linear('tape', [(0, (90, 90, 96)), (1, (40, 40, 44))]),
                  radial('spark', [(0, WHITE), (0.4, (255, 230, 120)), (1, (255, 120, 20), 0)]))]
    parts.append(path('M336,92 C370,80 372,40 392,30', fill='none', stroke=(60, 50, 40), sw=8))
    parts.append(circle(390, 28, 20, fill=url('spark')))
    parts.append(poly(star_points(390, 28, 18, 5, 5), fill=(255, 250, 200)))
    parts.append(rect(8, 46, 336, 140, 40, fill=url('stick'), stroke=outline, sw=8))
    parts.append(ellipse(330, 116, 14, 62, fill=(170, 30, 24), stroke=outline, sw=6))
    parts.append(rect(68, 56, 240, 124, 18, fill=url('tape'), stroke=outline, sw=8))
    parts.append(rect(80, 68, 216, 100, 12, fill=(10, 10, 12), stroke=(70, 70, 74), sw=5))
    parts.append(line(40, 70, 40, 160, (255, 200, 180), 8, opacity=0.4))
    return group(''.join(parts), f'scale({k:.4f},{h / 200:.4f})')


PICTURES.update({
    'emerald': emerald,
    'diamond': diamond,
    'goldNugget': gold_nugget,
    'pebble': pebble,
    'caveBackground': cave_background,
    'rockPillar': rock_pillar,
    'sackBlue': lambda w, h: sack(w, h, BLUE),
    'sackRed': lambda w, h: sack(w, h, RED),
    'dynamite': dynamite,
})
PICTURES.update(frames('minerBlue', 3, miner_frame, BLUE, False))
PICTURES.update(frames('minerRed', 3, miner_frame, RED, True))
