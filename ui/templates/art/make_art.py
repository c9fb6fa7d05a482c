#!/usr/bin/env python3
"""Draws the artwork of the player's windows and writes it byte by byte.

Python 3 standard library only.  Every picture is drawn with signed distance
functions (one evaluation per pixel, edges smoothed over one pixel) and then
encoded by the small writers at the end of this file: GIF89a (LZW), 24-bit
BMP and ICO (32-bit BGRA images with AND masks).

    python3 make_art.py            # writes the files next to this script
    python3 make_art.py OUTDIR     # writes them into OUTDIR

The output is deterministic: running it twice gives identical bytes.
"""

import math
import os
import struct
import sys

# ---------------------------------------------------------------------------
# Colours and small helpers
# ---------------------------------------------------------------------------

PANEL = (0x1B, 0x22, 0x30)  # assumed dark panel colour behind opaque bitmaps


def hexrgb(s):
    s = s.lstrip("#")
    return (int(s[0:2], 16), int(s[2:4], 16), int(s[4:6], 16))


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c1, c2, t):
    return tuple(lerp(a, b, t) for a, b in zip(c1, c2))


def ramp(stops, t):
    """Colour at t (0..1) along a list of (position, colour) stops."""
    t = clamp(t)
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, 0.0 if p1 == p0 else (t - p0) / (p1 - p0))
    return stops[-1][1]


def smooth(d):
    """Coverage of a pixel whose centre is d pixels outside an edge."""
    return clamp(0.5 - d)


# ---------------------------------------------------------------------------
# Signed distance functions (negative inside)
# ---------------------------------------------------------------------------

def sd_round_rect(px, py, x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r
    qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - r


def sd_circle(px, py, cx, cy, r):
    return math.hypot(px - cx, py - cy) - r


def sd_segment(px, py, ax, ay, bx, by, r):
    dx, dy = bx - ax, by - ay
    wx, wy = px - ax, py - ay
    dd = dx * dx + dy * dy
    h = clamp((wx * dx + wy * dy) / dd) if dd else 0.0
    return math.hypot(wx - dx * h, wy - dy * h) - r


def sd_ellipse(px, py, cx, cy, a, b, angle):
    """Approximate distance to a rotated ellipse (good near its edge)."""
    ca, sa = math.cos(angle), math.sin(angle)
    x, y = px - cx, py - cy
    u, v = x * ca + y * sa, -x * sa + y * ca
    k0 = math.hypot(u / a, v / b)
    k1 = math.hypot(u / (a * a), v / (b * b))
    if k1 == 0.0:
        return -min(a, b)
    return k0 * (k0 - 1.0) / k1


def sd_polygon(px, py, pts):
    d = (px - pts[0][0]) ** 2 + (py - pts[0][1]) ** 2
    s = 1.0
    n = len(pts)
    j = n - 1
    for i in range(n):
        ex, ey = pts[j][0] - pts[i][0], pts[j][1] - pts[i][1]
        wx, wy = px - pts[i][0], py - pts[i][1]
        h = clamp((wx * ex + wy * ey) / (ex * ex + ey * ey))
        bx, by = wx - ex * h, wy - ey * h
        d = min(d, bx * bx + by * by)
        c1 = py >= pts[i][1]
        c2 = py < pts[j][1]
        c3 = ex * wy > ey * wx
        if (c1 and c2 and c3) or (not c1 and not c2 and not c3):
            s = -s
        j = i
    return s * math.sqrt(d)


# ---------------------------------------------------------------------------
# A canvas of straight (not premultiplied) RGBA floats, 0..255 and 0..1
# ---------------------------------------------------------------------------

class Canvas:
    def __init__(self, w, h, bg=(0, 0, 0), alpha=0.0):
        self.w, self.h = w, h
        self.px = [[(float(bg[0]), float(bg[1]), float(bg[2]), alpha)
                    for _ in range(w)] for _ in range(h)]

    def blend(self, x, y, rgb, a):
        if a <= 0.0:
            return
        r0, g0, b0, a0 = self.px[y][x]
        ao = a + a0 * (1.0 - a)
        if ao <= 0.0:
            return
        k = a / ao
        self.px[y][x] = (lerp(r0, rgb[0], k), lerp(g0, rgb[1], k),
                         lerp(b0, rgb[2], k), ao)

    def screen(self, x, y, rgb, a):
        """Lighten like light falling on the pixel (screen blend)."""
        if a <= 0.0:
            return
        r0, g0, b0, a0 = self.px[y][x]
        lit = tuple(255.0 - (255.0 - c0) * (255.0 - c) / 255.0
                    for c0, c in zip((r0, g0, b0), rgb))
        self.px[y][x] = tuple(lerp(c0, c1, a) for c0, c1 in zip((r0, g0, b0), lit)) + (a0,)

    def paint(self, sdf, colour, clip=None, mode="over"):
        """Composite a shape.  sdf(x, y) and colour(x, y) take pixel centres;
        colour returns (r, g, b) or (r, g, b, alpha)."""
        put = self.screen if mode == "screen" else self.blend
        for y in range(self.h):
            for x in range(self.w):
                cx, cy = x + 0.5, y + 0.5
                d = sdf(cx, cy)
                if clip is not None:
                    d = max(d, clip(cx, cy))
                cov = smooth(d)
                if cov <= 0.0:
                    continue
                c = colour(cx, cy)
                a = c[3] if len(c) > 3 else 1.0
                put(x, y, c[:3], cov * a)

    def rgb_rows(self):
        return [[tuple(int(round(clamp(v, 0, 255))) for v in p[:3])
                 for p in row] for row in self.px]

    def rgba_rows(self):
        out = []
        for row in self.px:
            o = []
            for r, g, b, a in row:
                o.append((int(round(clamp(r, 0, 255))), int(round(clamp(g, 0, 255))),
                          int(round(clamp(b, 0, 255))), int(round(clamp(a) * 255))))
            out.append(o)
        return out


# ---------------------------------------------------------------------------
# Skinned button: three states, 90 x 20, the button shows the left 74 x 20
# ---------------------------------------------------------------------------

BTN_W, BTN_H, BTN_FACE_W = 90, 20, 74

BUTTON_STATES = {
    # upper (glossy) half, lower half, outline, top rim light, bottom glow
    "normal": dict(
        upper=[(0.0, hexrgb("5b7fae")), (1.0, hexrgb("34557f"))],
        lower=[(0.0, hexrgb("1d3a63")), (1.0, hexrgb("2a4c7a"))],
        edge=hexrgb("0a1424"), rim=(hexrgb("a9c6ea"), 0.55),
        glow=(hexrgb("4f7fbf"), 0.35), split=0.5, shade_top=0.0),
    "hot": dict(
        upper=[(0.0, hexrgb("74a0d6")), (1.0, hexrgb("42689b"))],
        lower=[(0.0, hexrgb("22487c")), (1.0, hexrgb("2f68ab"))],
        edge=hexrgb("0b1a30"), rim=(hexrgb("d2e6ff"), 0.70),
        glow=(hexrgb("6fc4ff"), 0.60), split=0.5, shade_top=0.0),
    "pressed": dict(
        upper=[(0.0, hexrgb("1a3152")), (1.0, hexrgb("244268"))],
        lower=[(0.0, hexrgb("1a3559")), (1.0, hexrgb("2b4d7c"))],
        edge=hexrgb("060d18"), rim=(hexrgb("6d8fbb"), 0.0),
        glow=(hexrgb("3d6aa6"), 0.45), split=0.55, shade_top=0.55),
}


def draw_button(state):
    """Returns rows of (r, g, b) or None (transparent) pixels."""
    st = BUTTON_STATES[state]
    W, H = BTN_FACE_W, BTN_H
    radius = 3.5
    cv = Canvas(BTN_W, BTN_H, PANEL, 0.0)

    def outer(x, y):
        return sd_round_rect(x, y, 0, 0, W, H, radius)

    def inner(x, y):
        return sd_round_rect(x, y, 1, 1, W - 1, H - 1, radius - 1)

    split = st["split"] * H

    def face(x, y):
        if y < split:
            c = ramp(st["upper"], y / split)
        else:
            c = ramp(st["lower"], (y - split) / (H - split))
        # a faint sheen across the width keeps the face from looking flat
        c = mix(c, (255, 255, 255), 0.05 * max(0.0, 1.0 - abs(x - W * 0.35) / (W * 0.5)))
        return c

    cv.paint(outer, lambda x, y: st["edge"])
    cv.paint(inner, face)
    # one-pixel rim light just inside the top edge
    rim_c, rim_a = st["rim"]
    if rim_a > 0:
        cv.paint(lambda x, y: max(inner(x, y), abs(y - 1.5) - 0.5),
                 lambda x, y: rim_c + (rim_a,))
    # soft glow rising from the bottom edge
    glow_c, glow_a = st["glow"]
    cv.paint(inner, lambda x, y: glow_c + (glow_a * clamp((y - (H - 6)) / 5.0) ** 1.5,))
    # pressed: shadow inside the top and left edges
    if st["shade_top"] > 0:
        cv.paint(inner, lambda x, y: (0, 0, 0, st["shade_top"] *
                                      max(clamp(1.0 - (y - 1) / 4.0) ** 2,
                                          0.6 * clamp(1.0 - (x - 1) / 3.0) ** 2)))

    rows = []
    for y, row in enumerate(cv.rgba_rows()):
        out = []
        for x, (r, g, b, a) in enumerate(row):
            if x >= W or a < 128:
                out.append(None)
            else:
                # partly covered corner pixels: settle them on the panel colour
                t = a / 255.0
                out.append(tuple(int(round(lerp(p, c, t))) for p, c in zip(PANEL, (r, g, b))))
        rows.append(out)
    return rows


# ---------------------------------------------------------------------------
# Playback knob 30 x 8 and its track 130 x 12 (opaque, 24-bit)
# ---------------------------------------------------------------------------

def draw_knob():
    W, H = 30, 8
    cv = Canvas(W, H, PANEL, 1.0)

    def body(x, y):
        return sd_round_rect(x, y, 0, 0, W, H, 3.5)

    cv.paint(body, lambda x, y: hexrgb("0a1424"))
    cv.paint(lambda x, y: sd_round_rect(x, y, 1, 1, W - 1, H - 1, 2.5),
             lambda x, y: ramp([(0.0, hexrgb("e4eefb")), (0.45, hexrgb("9fb6d3")),
                                (0.5, hexrgb("6f89ac")), (1.0, hexrgb("8aa6cc"))],
                               (y - 1) / (H - 2)))
    # grip: three engraved lines in the middle
    for gx in (12.5, 15.0, 17.5):
        cv.paint(lambda x, y, gx=gx: sd_segment(x, y, gx, 2.5, gx, 5.5, 0.45),
                 lambda x, y: hexrgb("2d4468") + (0.85,))
        cv.paint(lambda x, y, gx=gx: sd_segment(x, y, gx + 1.0, 2.5, gx + 1.0, 5.5, 0.45),
                 lambda x, y: (255, 255, 255, 0.45))
    return cv.rgb_rows()


def draw_track():
    W, H = 130, 12
    cv = Canvas(W, H, PANEL, 1.0)
    gy0, gy1 = 6.0, 11.0  # groove rows; its centre lines up with the knob's
    # tick marks along the top every tenth of the length
    for i in range(11):
        tx = 3.0 + i * (W - 6.0) / 10.0
        tall = 3.2 if i % 5 == 0 else 1.8
        cv.paint(lambda x, y, tx=tx, tall=tall: sd_segment(x, y, tx, 1.0, tx, 1.0 + tall, 0.5),
                 lambda x, y: hexrgb("5d7aa3") + (0.9,))
    # groove: dark channel, shadow at the top, light lip at the bottom
    cv.paint(lambda x, y: sd_round_rect(x, y, 0.5, gy0 - 0.5, W - 0.5, gy1 + 0.5, 2.5),
             lambda x, y: hexrgb("3f5677"))
    cv.paint(lambda x, y: sd_round_rect(x, y, 1, gy0 - 0.5, W - 1, gy1, 2.0),
             lambda x, y: ramp([(0.0, hexrgb("03070d")), (1.0, hexrgb("122038"))],
                               (y - gy0) / (gy1 - gy0)))
    cv.paint(lambda x, y: sd_round_rect(x, y, 3, gy0 + 1.5, W - 3, gy0 + 2.5, 0.5),
             lambda x, y: hexrgb("2a5a9a") + (0.6,))
    return cv.rgb_rows()


# ---------------------------------------------------------------------------
# Progress bar of the status row: 301 x 24, a trough and its filled look
# ---------------------------------------------------------------------------

BAR_W, BAR_H = 301, 24


def draw_bar(filled):
    W, H = BAR_W, BAR_H
    cv = Canvas(W, H, PANEL, 1.0)
    cv.paint(lambda x, y: sd_round_rect(x, y, 0, 0, W, H, 4),
             lambda x, y: hexrgb("5a6f8e"))              # light outer lip
    cv.paint(lambda x, y: sd_round_rect(x, y, 0, 0, W, H - 1, 4),
             lambda x, y: hexrgb("070c14"))              # dark frame
    inner = lambda x, y: sd_round_rect(x, y, 2, 2, W - 2, H - 3, 2.5)
    if not filled:
        cv.paint(inner, lambda x, y: ramp([(0.0, hexrgb("05090f")), (0.35, hexrgb("0d1524")),
                                           (1.0, hexrgb("172338"))], (y - 2) / (H - 5)))
        # faint segment marks every ten pixels
        for sx in range(12, W - 4, 10):
            cv.paint(lambda x, y, sx=sx: max(inner(x, y), abs(x - (sx + 0.5)) - 0.5),
                     lambda x, y: hexrgb("24344f") + (0.55,))
    else:
        def fill(x, y):
            t = (y - 2) / (H - 5)
            return ramp([(0.0, hexrgb("bfe9ff")), (0.12, hexrgb("7fd0ff")),
                         (0.48, hexrgb("3aa0ee")), (0.52, hexrgb("1a6fc4")),
                         (1.0, hexrgb("2f8fe6"))], t)
        cv.paint(inner, fill)
        # gentle segments, lighter between, so that motion is visible
        for sx in range(12, W - 4, 10):
            cv.paint(lambda x, y, sx=sx: max(inner(x, y), abs(x - (sx + 0.5)) - 0.5),
                     lambda x, y: hexrgb("0e4c8f") + (0.35,))
        cv.paint(lambda x, y: max(inner(x, y), abs(y - 3.5) - 0.5),
                 lambda x, y: (255, 255, 255, 0.45))
    return cv.rgb_rows()


# ---------------------------------------------------------------------------
# Menu styling: a strip for the highlighted item and one for the side column
# ---------------------------------------------------------------------------

def draw_menu_select():
    """1 x 20, stretched across the width of a highlighted menu item."""
    H = 20
    stops = [(0.0, hexrgb("a9cdf5")), (0.08, hexrgb("6d9fdb")), (0.5, hexrgb("4a7fc4")),
             (0.52, hexrgb("2f63a8")), (0.95, hexrgb("3d78c0")), (1.0, hexrgb("1c3f70"))]
    return [[tuple(int(round(v)) for v in ramp(stops, (y + 0.5) / H))] for y in range(H)]


def draw_menu_side():
    """24 x 1, stretched down the height of the menu as its left column."""
    W = 24
    stops = [(0.0, hexrgb("102446")), (0.85, hexrgb("2c5288")), (0.92, hexrgb("3a66a3")),
             (0.96, hexrgb("9fc0ea")), (1.0, hexrgb("1a2f52"))]
    return [[tuple(int(round(v)) for v in ramp(stops, (x + 0.5) / W)) for x in range(W)]]


# ---------------------------------------------------------------------------
# Main window / tray icon: a spotlight throwing its beam on a music note
# ---------------------------------------------------------------------------

ICON_SIZES = (128, 64, 48, 32, 16)


def draw_icon(S):
    cv = Canvas(S, S, (0, 0, 0), 0.0)
    u = S  # one unit of the normalised drawing = the icon's size in pixels
    small = S <= 16

    def P(v):
        return v * u

    # --- tile ---------------------------------------------------------------
    m = 0.0 if small else 0.03 * u
    rad = 0.2 * u
    tile = lambda x, y: sd_round_rect(x, y, m, m, S - m, S - m, rad)
    cv.paint(tile, lambda x, y: ramp([(0.0, hexrgb("45308f")), (0.55, hexrgb("1e1a55")),
                                      (1.0, hexrgb("0b0c26"))], y / S))
    if not small:
        # thin light edge along the top of the tile
        cv.paint(lambda x, y: max(tile(x, y), -tile(x, y) - max(1.0, 0.012 * u)),
                 lambda x, y: hexrgb("8f7fe0") + (0.55 * clamp(1.0 - y / (0.6 * S)),))

    # --- beam of light --------------------------------------------------------
    lx, ly = P(0.235), P(0.235)  # lens of the spotlight
    ang = math.radians(45)      # beam axis, pointing down and to the right
    spread = math.radians(21)
    far = 1.6 * u
    a1, a2 = ang - spread, ang + spread
    cone = [(lx, ly),
            (lx + far * math.cos(a1), ly + far * math.sin(a1)),
            (lx + far * math.cos(a2), ly + far * math.sin(a2))]

    def beam_alpha(x, y):
        dist = math.hypot(x - lx, y - ly) / u
        return (0.75 if small else 0.7) * clamp(1.0 - dist * 0.9) ** 1.3

    cv.paint(lambda x, y: sd_polygon(x, y, cone),
             lambda x, y: hexrgb("ffcf5c") + (beam_alpha(x, y),), clip=tile)
    if not small:
        # brighter core along the axis
        core = [(lx, ly),
                (lx + far * math.cos(ang - spread * 0.45), ly + far * math.sin(ang - spread * 0.45)),
                (lx + far * math.cos(ang + spread * 0.45), ly + far * math.sin(ang + spread * 0.45))]
        cv.paint(lambda x, y: sd_polygon(x, y, core),
                 lambda x, y: hexrgb("fff1b8") + (0.35 * beam_alpha(x, y) / 0.5,), clip=tile,
                 mode="screen")

    # --- rays around the lamp -------------------------------------------------
    ray_w = max(0.55, 0.022 * u)
    # symmetric about the beam axis, away from it and from the tile corner
    rays = [] if small else [-105, -60, 60, 105]
    for deg in rays:
        t = ang + math.radians(deg)
        r0, r1 = 0.135, 0.2
        cv.paint(lambda x, y, t=t, r0=r0, r1=r1: sd_segment(
                     x, y, lx + P(r0) * math.cos(t), ly + P(r0) * math.sin(t),
                     lx + P(r1) * math.cos(t), ly + P(r1) * math.sin(t), ray_w),
                 lambda x, y: hexrgb("ffe38a") + (0.95,), clip=tile)

    # --- the spotlight --------------------------------------------------------
    # body: a short barrel behind the lens, pointing along the beam
    bx, by = lx - P(0.08) * math.cos(ang), ly - P(0.08) * math.sin(ang)
    barrel_r = P(0.085) if not small else 1.9
    cv.paint(lambda x, y: sd_segment(x, y, bx, by, lx, ly, barrel_r),
             lambda x, y: ramp([(0.0, hexrgb("c9cfe0")), (1.0, hexrgb("56607c"))],
                               clamp((x + y - (bx + by) + barrel_r * 1.4) / (barrel_r * 2.8))),
             clip=tile)
    # glowing lens
    glow_r = P(0.13) if not small else 3.4
    cv.paint(lambda x, y: sd_circle(x, y, lx, ly, glow_r),
             lambda x, y: hexrgb("ffe7a0") + (0.55 * clamp(1.0 - math.hypot(x - lx, y - ly) / glow_r) ** 1.2,),
             clip=tile)
    lens_r = P(0.06) if not small else 1.6
    cv.paint(lambda x, y: sd_circle(x, y, lx, ly, lens_r),
             lambda x, y: mix(hexrgb("fffdf0"), hexrgb("ffd24d"),
                              clamp(math.hypot(x - lx, y - ly) / lens_r)), clip=tile)

    # --- the music note -------------------------------------------------------
    hx, hy = P(0.47), P(0.75)
    ha, hb = P(0.155), P(0.112)
    tilt = math.radians(-22)
    stem_w = max(0.85, 0.032 * u)
    sx = hx + ha * math.cos(tilt) - stem_w * 0.9
    st_top = P(0.2)
    st_bot = hy - P(0.02)
    if small:
        # snapped to whole pixels so that the stem is two crisp columns
        hx, hy, ha, hb = 6.5, 12.0, 3.1, 2.3
        stem_w = 1.0
        sx = 9.0
        st_top, st_bot = 2.5, 11.5

    # flag: a thick curve from the top of the stem, down and to the right
    def flag_pts():
        p0 = (sx, st_top)
        p1 = (sx + P(0.20), st_top + P(0.10))
        p2 = (sx + P(0.17), st_top + P(0.33))
        if small:
            p1 = (sx + 4.0, st_top + 1.6)
            p2 = (sx + 3.3, st_top + 6.2)
        pts = []
        for i in range(13):
            t = i / 12.0
            pts.append(((1 - t) ** 2 * p0[0] + 2 * (1 - t) * t * p1[0] + t * t * p2[0],
                        (1 - t) ** 2 * p0[1] + 2 * (1 - t) * t * p1[1] + t * t * p2[1]))
        return pts

    fp = flag_pts()
    w0 = max(1.1, 0.055 * u) if not small else 1.0
    w1 = max(0.55, 0.012 * u)

    def flag(x, y):
        d = 1e9
        n = len(fp) - 1
        for i in range(n):
            w = lerp(w0, w1, (i + 0.5) / n)
            d = min(d, sd_segment(x, y, fp[i][0], fp[i][1], fp[i + 1][0], fp[i + 1][1], w))
        return d

    def note(x, y):
        return min(sd_ellipse(x, y, hx, hy, ha, hb, tilt),
                   sd_segment(x, y, sx, st_top, sx, st_bot, stem_w),
                   flag(x, y))

    # dark halo so the note stands clear of the beam, then the note itself
    halo = max(1.0, 0.03 * u)
    cv.paint(lambda x, y: note(x, y) - halo,
             lambda x, y: hexrgb("120f33") + (0.85 if not small else 0.9,), clip=tile)
    cv.paint(note, lambda x, y: ramp([(0.0, hexrgb("ffffff")), (0.55, hexrgb("fff3cf")),
                                      (1.0, hexrgb("ffc94a"))], y / S), clip=tile)
    if not small:
        # highlight on the note head
        cv.paint(lambda x, y: sd_ellipse(x, y, hx - ha * 0.35, hy - hb * 0.35,
                                         ha * 0.35, hb * 0.25, tilt),
                 lambda x, y: (255, 255, 255, 0.8))

    # --- sparkles (large sizes only) -----------------------------------------
    if S >= 48:
        for cx, cy, r in ((0.80, 0.16, 0.06), (0.86, 0.80, 0.04), (0.18, 0.62, 0.035)):
            cx, cy, r = P(cx), P(cy), P(r)
            w = max(0.5, 0.01 * u)
            star = lambda x, y, cx=cx, cy=cy, r=r, w=w: min(
                sd_segment(x, y, cx - r, cy, cx + r, cy, w),
                sd_segment(x, y, cx, cy - r, cx, cy + r, w))
            cv.paint(star, lambda x, y: (255, 240, 200, 0.85), clip=tile)
    return cv.rgba_rows()


# ---------------------------------------------------------------------------
# Writers
# ---------------------------------------------------------------------------

def bmp24(rows):
    """Windows bitmap, BITMAPINFOHEADER, 24 bits, bottom-up, no compression."""
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        data += line
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return head + info + bytes(data)


def median_cut(colours, limit):
    """Reduce a dict colour -> count to at most `limit` representative colours."""
    boxes = [list(colours.items())]
    while len(boxes) < limit:
        best, best_i, best_ch = -1, None, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for ch in range(3):
                vals = [c[ch] for c, _ in box]
                span = max(vals) - min(vals)
                if span > best:
                    best, best_i, best_ch = span, i, ch
        if best_i is None or best <= 0:
            break
        box = sorted(boxes.pop(best_i), key=lambda e: e[0][best_ch])
        total = sum(n for _, n in box)
        acc, cut = 0, 1
        for k, (_, n) in enumerate(box):
            acc += n
            if acc * 2 >= total:
                cut = max(1, min(len(box) - 1, k + 1))
                break
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(int(round(sum(c[ch] * n for c, n in box) / total)) for ch in range(3)))
    return palette


def lzw_encode(indices, min_code_size):
    """GIF variable-length LZW, least significant bit first."""
    clear = 1 << min_code_size
    eoi = clear + 1
    out = bytearray()
    bitbuf = 0
    nbits = 0

    def emit(code, size):
        nonlocal bitbuf, nbits
        bitbuf |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(bitbuf & 0xFF)
            bitbuf >>= 8
            nbits -= 8

    def reset():
        return {(i,): i for i in range(clear)}, eoi + 1, min_code_size + 1

    table, next_code, size = reset()
    emit(clear, size)
    prefix = ()
    for idx in indices:
        cand = prefix + (idx,)
        if cand in table:
            prefix = cand
            continue
        emit(table[prefix], size)
        if next_code < 4096:
            table[cand] = next_code
            next_code += 1
            if next_code > (1 << size) and size < 12:
                size += 1
        else:
            emit(clear, size)
            table, next_code, size = reset()
        prefix = (idx,)
    if prefix:
        emit(table[prefix], size)
    emit(eoi, size)
    if nbits:
        out.append(bitbuf & 0xFF)
    return bytes(out)


def gif(rows):
    """GIF89a with a global colour table; None pixels become transparent.
    Returns the file and the pixels as stored (after any colour reduction)."""
    h, w = len(rows), len(rows[0])
    counts = {}
    has_clear = False
    for row in rows:
        for p in row:
            if p is None:
                has_clear = True
            else:
                counts[p] = counts.get(p, 0) + 1
    room = 255 if has_clear else 256
    if len(counts) <= room:
        palette = sorted(counts)
        lookup = {c: i for i, c in enumerate(palette)}
    else:
        palette = median_cut(counts, room)
        lookup = {}
        for c in counts:
            lookup[c] = min(range(len(palette)), key=lambda i: sum(
                (a - b) ** 2 for a, b in zip(c, palette[i])))
    clear_index = None
    if has_clear:
        clear_index = len(palette)
        palette = palette + [PANEL]
    bits = 1
    while (1 << bits) < len(palette):
        bits += 1
    table = palette + [(0, 0, 0)] * ((1 << bits) - len(palette))
    indices = [clear_index if p is None else lookup[p] for row in rows for p in row]

    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", w, h, 0x80 | 0x70 | (bits - 1), 0, 0)
    for c in table:
        out += bytes(c)
    if has_clear:
        out += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, 0x01, 0, clear_index, 0)
    out += struct.pack("<BHHHHB", 0x2C, 0, 0, w, h, 0)
    min_code = max(2, bits)
    out.append(min_code)
    data = lzw_encode(indices, min_code)
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    out.append(0x3B)
    stored = [[None if p is None else palette[lookup[p]] for p in row] for row in rows]
    return bytes(out), stored


def ico(images):
    """Icon file; every image 32-bit BGRA (bottom-up) followed by its AND mask."""
    entries = []
    blobs = []
    for rows in images:
        n = len(rows)
        xor = bytearray()
        for row in reversed(rows):
            for r, g, b, a in row:
                xor += bytes((b, g, r, a))
        mask_stride = ((n + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            line = bytearray(mask_stride)
            for x, p in enumerate(row):
                if p[3] == 0:
                    line[x >> 3] |= 0x80 >> (x & 7)
            mask += line
        info = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 32, 0,
                           len(xor) + len(mask), 0, 0, 0, 0)
        blob = info + bytes(xor) + bytes(mask)
        blobs.append(blob)
        entries.append(n)
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for n, blob in zip(entries, blobs):
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


# ---------------------------------------------------------------------------

def artwork():
    """Every file: name -> (bytes, pixel rows as stored in the file)."""
    files = {}
    for state, name in (("normal", "btn_normal.gif"), ("hot", "btn_hot.gif"),
                        ("pressed", "btn_pressed.gif")):
        files[name] = gif(draw_button(state))
    for name, rows in (("knob.bmp", draw_knob()), ("knob_track.bmp", draw_track()),
                       ("bar_back.bmp", draw_bar(False)), ("bar_fill.bmp", draw_bar(True)),
                       ("menu_select.bmp", draw_menu_select()),
                       ("menu_side.bmp", draw_menu_side())):
        files[name] = (bmp24(rows), rows)
    icons = [draw_icon(s) for s in ICON_SIZES]
    files["dancehall.ico"] = (ico(icons), icons)
    return files


def main(argv):
    outdir = argv[1] if len(argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(outdir, exist_ok=True)
    for name, (data, _) in sorted(artwork().items()):
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(data)
        print("%-16s %7d bytes" % (name, len(data)))


if __name__ == "__main__":
    main(sys.argv)
