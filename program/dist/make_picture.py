#!/usr/bin/env python3
"""Draws the style editor's picture, lb/1.jpg: a dance floor under a mirror ball.

Writes picture.ppm (standard library only); the JPEG is made from it with
    python3 make_picture.py && cjpeg -quality 88 picture.ppm > 1.jpg
(or `convert picture.ppm -quality 88 1.jpg`). The build copies the committed 1.jpg.
"""
import math
import random

W, H = 416, 584  # twice the picture box, so stretching it down stays sharp
random.seed(7)

def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))

def clamp(c):
    return bytes(max(0, min(255, int(v))) for v in c)

BALL = (W / 2, 118, 62)
BEAMS = [  # origin x, angle, colour
    (W / 2, math.radians(112), (255, 70, 160)),
    (W / 2, math.radians(68), (60, 170, 255)),
    (W / 2, math.radians(96), (255, 210, 80)),
    (W / 2, math.radians(80), (120, 255, 160)),
]
FLOOR_TOP = 400
sparkles = [(random.uniform(0, W), random.uniform(0, FLOOR_TOP), random.uniform(0.6, 1.8))
            for _ in range(70)]

def beam_light(x, y):
    light = [0.0, 0.0, 0.0]
    bx, by, r = BALL
    for ox, angle, colour in BEAMS:
        dx, dy = x - ox, y - by
        if dy <= 0:
            continue
        off = abs(math.atan2(dy, dx) - angle)
        width = 0.09
        if off < width:
            k = (1 - off / width) ** 2 * 0.55 * min(1, dy / 160)
            for i in range(3):
                light[i] += colour[i] * k
    return light

def ball(x, y):
    bx, by, r = BALL
    dx, dy = x - bx, y - by
    d = math.hypot(dx, dy)
    if d > r:
        return None
    z = math.sqrt(r * r - d * d) / r
    lat = math.asin(dy / r)
    lon = math.atan2(dx, z * r)
    tile = (int((lat + 2) / 0.16) + int((lon + 2) / 0.16)) % 2
    shade = 0.35 + 0.65 * z * (0.75 + 0.25 * (-dx - dy) / (2 * r) + 0.5)
    base = (190, 200, 220) if tile else (120, 130, 160)
    grout = min(abs(math.sin(lat / 0.16 * math.pi)), abs(math.sin(lon / 0.16 * math.pi)))
    if grout < 0.18:
        base = (40, 40, 60)
    glint = max(0.0, 1 - math.hypot(dx + r * 0.35, dy + r * 0.35) / (r * 0.35)) * 200
    return tuple(base[i] * shade + glint for i in range(3))

def floor(x, y):
    t = (y - FLOOR_TOP) / (H - FLOOR_TOP)
    depth = 1 / (0.15 + t)
    u = (x - W / 2) * (0.2 + t) / 40
    v = depth * 2.2
    tile = (math.floor(u) + math.floor(v)) % 2
    base = mix((40, 20, 60), (90, 40, 110), 0.5 if tile else 0)
    glow = math.exp(-((x - W / 2) / 120) ** 2) * (1 - t) * 90
    return tuple(base[i] + glow * (1.0, 0.6, 1.2)[i] for i in range(3))

pixels = bytearray()
for y in range(H):
    for x in range(W):
        if y >= FLOOR_TOP:
            c = floor(x, y)
        else:
            c = mix((8, 6, 28), (46, 18, 70), y / FLOOR_TOP)
            for sx, sy, sr in sparkles:
                d = math.hypot(x - sx, y - sy)
                if d < sr * 2.5:
                    c = mix(c, (255, 250, 220), max(0.0, 1 - d / (sr * 2.5)))
            b = ball(x, y)
            if b is not None:
                c = b
        light = beam_light(x, y)
        c = tuple(c[i] + light[i] for i in range(3))
        if abs(y - FLOOR_TOP) < 1.5:
            c = mix(c, (200, 140, 255), 0.5)
        pixels += clamp(c)

# The ball's string.
for y in range(0, int(BALL[1] - BALL[2])):
    i = (y * W + W // 2) * 3
    pixels[i:i + 3] = b"\xa0\xa0\xb4"

with open("picture.ppm", "wb") as out:
    out.write(b"P6\n%d %d\n255\n" % (W, H))
    out.write(pixels)
