#!/usr/bin/env python3
"""Checks the artwork files in this folder.

For every file: the format and pixel size the windows expect, and that the
decoded pixels are exactly the pixels make_art.py draws (the GIF is decoded
with an independent LZW decoder below, the BMP and ICO images are read back
field by field).  Also checks that the committed files are what the script
writes now, so a changed drawing cannot be forgotten.

    python3 check_art.py        # exit status 0 when everything holds
"""

import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import make_art  # noqa: E402

EXPECTED = {
    "btn_normal.gif": ("gif", 90, 20),
    "btn_hot.gif": ("gif", 90, 20),
    "btn_pressed.gif": ("gif", 90, 20),
    "knob.bmp": ("bmp", 30, 8),
    "knob_track.bmp": ("bmp", 130, 12),
    "bar_back.bmp": ("bmp", 301, 24),
    "bar_fill.bmp": ("bmp", 301, 24),
    "menu_select.bmp": ("bmp", 1, 20),
    "menu_side.bmp": ("bmp", 24, 1),
    "dancehall.ico": ("ico", None, None),
}
ICON_SIZES = [128, 64, 48, 32, 16]

failures = []


def fail(name, msg):
    failures.append("%s: %s" % (name, msg))


def lzw_decode(data, min_code):
    clear, eoi = 1 << min_code, (1 << min_code) + 1
    pos = 0
    bitbuf = nbits = 0
    out = []
    size = min_code + 1
    table = None
    prev = None
    while True:
        while nbits < size:
            if pos >= len(data):
                raise ValueError("LZW data ends without an end code")
            bitbuf |= data[pos] << nbits
            pos += 1
            nbits += 8
        code = bitbuf & ((1 << size) - 1)
        bitbuf >>= size
        nbits -= size
        if code == clear:
            table = [[i] for i in range(clear)] + [None, None]
            size = min_code + 1
            prev = None
            continue
        if code == eoi:
            return out
        if table is None:
            raise ValueError("LZW data does not start with a clear code")
        if code < len(table) and table[code] is not None:
            entry = table[code]
            if prev is not None:
                table.append(prev + [entry[0]])
        elif code == len(table) and prev is not None:
            entry = prev + [prev[0]]
            table.append(entry)
        else:
            raise ValueError("bad LZW code %d" % code)
        out.extend(entry)
        prev = entry
        if len(table) == (1 << size) and size < 12:
            size += 1


def read_gif(b):
    if b[:6] != b"GIF89a":
        raise ValueError("not GIF89a")
    w, h, flags, _, _ = struct.unpack_from("<HHBBB", b, 6)
    pos = 13
    if not flags & 0x80:
        raise ValueError("no global colour table")
    n = 2 << (flags & 7)
    palette = [tuple(b[pos + 3 * i:pos + 3 * i + 3]) for i in range(n)]
    pos += 3 * n
    transparent = None
    while True:
        tag = b[pos]
        if tag == 0x21:
            label = b[pos + 1]
            pos += 2
            if label == 0xF9 and b[pos] == 4 and b[pos + 1] & 1:
                transparent = b[pos + 4]
            while b[pos]:
                pos += b[pos] + 1
            pos += 1
        elif tag == 0x2C:
            x, y, iw, ih, iflags = struct.unpack_from("<HHHHB", b, pos + 1)
            if (x, y, iw, ih) != (0, 0, w, h) or iflags:
                raise ValueError("unexpected image descriptor")
            pos += 10
            min_code = b[pos]
            pos += 1
            data = bytearray()
            while b[pos]:
                data += b[pos + 1:pos + 1 + b[pos]]
                pos += b[pos] + 1
            pos += 1
            if b[pos] != 0x3B:
                raise ValueError("no trailer after the image")
            if pos + 1 != len(b):
                raise ValueError("bytes after the trailer")
            idx = lzw_decode(bytes(data), min_code)
            if len(idx) != w * h:
                raise ValueError("%d pixels decoded, %d expected" % (len(idx), w * h))
            rows = [[None if i == transparent else palette[i] for i in idx[r * w:(r + 1) * w]]
                    for r in range(h)]
            return w, h, rows
        else:
            raise ValueError("unexpected block 0x%02x" % tag)


def read_bmp(b):
    if b[:2] != b"BM":
        raise ValueError("not a bitmap")
    size, _, _, off = struct.unpack_from("<IHHI", b, 2)
    if size != len(b):
        raise ValueError("file size field %d, file has %d bytes" % (size, len(b)))
    hs, w, h, planes, bpp, comp = struct.unpack_from("<IiiHHI", b, 14)
    if (hs, planes, bpp, comp) != (40, 1, 24, 0) or h <= 0:
        raise ValueError("not an uncompressed bottom-up 24-bit bitmap")
    stride = (w * 3 + 3) & ~3
    if off + stride * h != len(b):
        raise ValueError("pixel data length does not match the header")
    rows = []
    for r in range(h):
        base = off + (h - 1 - r) * stride
        rows.append([(b[base + 3 * x + 2], b[base + 3 * x + 1], b[base + 3 * x]) for x in range(w)])
    return w, h, rows


def read_ico(b):
    reserved, kind, count = struct.unpack_from("<HHH", b, 0)
    if (reserved, kind) != (0, 1):
        raise ValueError("not an icon file")
    images = []
    for i in range(count):
        w, h, colours, res, planes, bpp, length, off = struct.unpack_from("<BBBBHHII", b, 6 + 16 * i)
        w, h = w or 256, h or 256
        if off + length > len(b):
            raise ValueError("image %d runs past the end of the file" % i)
        blob = b[off:off + length]
        if blob[:8] == b"\x89PNG\r\n\x1a\n":
            raise ValueError("image %d is PNG; this check reads only bitmap images" % i)
        hs, bw, bh, bplanes, bbpp, comp = struct.unpack_from("<IiiHHI", blob, 0)
        if (hs, bw, bh, bplanes, bbpp, comp, bpp, planes) != (40, w, 2 * h, 1, 32, 0, 32, 1):
            raise ValueError("image %d: header is not a 32-bit %dx%d icon bitmap" % (i, w, h))
        mstride = ((w + 31) // 32) * 4
        if length != 40 + 4 * w * h + mstride * h:
            raise ValueError("image %d: length %d does not fit its size" % (i, length))
        rows = []
        for r in range(h):
            base = 40 + (h - 1 - r) * 4 * w
            mbase = 40 + 4 * w * h + (h - 1 - r) * mstride
            row = []
            for x in range(w):
                bl, g, rd, a = blob[base + 4 * x:base + 4 * x + 4]
                masked = bool(blob[mbase + (x >> 3)] & (0x80 >> (x & 7)))
                if masked != (a == 0):
                    raise ValueError("image %d: AND mask disagrees with alpha at %d,%d" % (i, x, r))
                row.append((rd, g, bl, a))
            rows.append(row)
        images.append((w, h, rows))
    return images


def main():
    drawn = make_art.artwork()
    if set(drawn) != set(EXPECTED):
        fail("make_art.py", "writes %s, expected %s" % (sorted(drawn), sorted(EXPECTED)))
    for name, (kind, w, h) in sorted(EXPECTED.items()):
        path = os.path.join(HERE, name)
        if not os.path.exists(path):
            fail(name, "missing")
            continue
        with open(path, "rb") as f:
            data = f.read()
        if name in drawn and drawn[name][0] != data:
            fail(name, "differs from what make_art.py writes now; run python3 make_art.py")
        try:
            if kind == "gif":
                gw, gh, rows = read_gif(data)
                if (gw, gh) != (w, h):
                    fail(name, "is %dx%d, expected %dx%d" % (gw, gh, w, h))
                elif rows != drawn[name][1]:
                    fail(name, "decoded pixels differ from the drawing")
                else:
                    # colour reduction to one palette must stay invisible
                    state = name[4:-4]
                    ref = make_art.draw_button(state)
                    err = max((abs(a - b) for r1, r2 in zip(rows, ref) for p, q in zip(r1, r2)
                               if (p is None) == (q is None) and p is not None
                               for a, b in zip(p, q)), default=0)
                    if any((p is None) != (q is None) for r1, r2 in zip(rows, ref)
                           for p, q in zip(r1, r2)):
                        fail(name, "transparent pixels differ from the drawing")
                    elif err > 6:
                        fail(name, "palette error %d exceeds 6 levels" % err)
                face = [p for row in rows for p in row[:74]]
                if sum(p is None for p in face) > 16:
                    fail(name, "the visible 74 x 20 face has too many transparent pixels")
            elif kind == "bmp":
                bw, bh, rows = read_bmp(data)
                if (bw, bh) != (w, h):
                    fail(name, "is %dx%d, expected %dx%d" % (bw, bh, w, h))
                elif rows != drawn[name][1]:
                    fail(name, "decoded pixels differ from the drawing")
            else:
                images = read_ico(data)
                sizes = [iw for iw, ih, _ in images]
                if sizes != ICON_SIZES or any(iw != ih for iw, ih, _ in images):
                    fail(name, "holds images %s, expected %s" % (sizes, ICON_SIZES))
                else:
                    for (iw, _, rows), want in zip(images, drawn[name][1]):
                        if rows != want:
                            fail(name, "the %d px image differs from the drawing" % iw)
                        opaque = sum(p[3] == 255 for row in rows for p in row)
                        if opaque < iw * iw // 2:
                            fail(name, "the %d px image is mostly transparent" % iw)
        except (ValueError, IndexError, struct.error) as e:
            fail(name, str(e))
    for f in failures:
        print("FAIL", f)
    if not failures:
        print("all %d artwork files check out" % len(EXPECTED))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
