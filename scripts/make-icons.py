#!/usr/bin/env python3
# Generates the 16 x 16 row icons of the notifications window (136 wall posts, 137 event
# invites, 138 friend requests, 139 group invites, 140 messages) and the status dialog's
# icon (status) in resources/icons/, each also at 32 x 32 for screens at twice the density
# (<name>@2x.png, drawn from the same shapes). Run once; the outputs are committed.
import os, struct, zlib

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "icons")
BLUE = (59, 89, 152, 255)
LIGHT = (216, 223, 234, 255)
WHITE = (255, 255, 255, 255)
ORANGE = (226, 103, 69, 255)
NONE = (0, 0, 0, 0)

S = 1  # pixels per unit of the 16-unit grid the shapes are drawn on

def canvas():
    return [[NONE] * (16 * S) for _ in range(16 * S)]

def rect(c, x0, y0, x1, y1, colour):
    for y in range(y0 * S, (y1 + 1) * S):
        for x in range(x0 * S, (x1 + 1) * S):
            c[y][x] = colour

def disc(c, cx, cy, r, colour):
    for y in range(16 * S):
        for x in range(16 * S):
            if ((x + 0.5) / S - cx) ** 2 + ((y + 0.5) / S - cy) ** 2 <= r * r:
                c[y][x] = colour

def person(c, cx, top, colour):
    disc(c, cx, top + 2.5, 2.5, colour)
    for y in range(top + 6, min(16, top + 11)):
        half = 2 + (y - top - 6) // 2
        for x in range(int(cx - half), int(cx + half)):
            if 0 <= x < 16:
                rect(c, x, y, x, y, colour)

def wall():  # a page with lines
    c = canvas()
    rect(c, 2, 1, 13, 14, BLUE)
    rect(c, 3, 2, 12, 13, WHITE)
    for y in (4, 7, 10):
        rect(c, 5, y, 10, y, BLUE)
    return c

def inbox():  # an envelope
    c = canvas()
    rect(c, 1, 3, 14, 12, BLUE)
    rect(c, 2, 4, 13, 11, WHITE)
    for i in range(6 * S):
        for t in range(S):
            c[4 * S + i][2 * S + i + t] = BLUE
            c[4 * S + i][14 * S - 1 - i - t] = BLUE
    return c

def friend():  # a person with a plus
    c = canvas()
    person(c, 6, 2, BLUE)
    rect(c, 12, 3, 12, 9, ORANGE)
    rect(c, 9, 6, 15, 6, ORANGE)
    return c

def event():  # a calendar sheet
    c = canvas()
    rect(c, 1, 2, 14, 14, BLUE)
    rect(c, 2, 5, 13, 13, WHITE)
    rect(c, 4, 0, 5, 3, BLUE)
    rect(c, 10, 0, 11, 3, BLUE)
    for y in (7, 10):
        for x in (4, 7, 10):
            rect(c, x, y, x + 1, y + 1, LIGHT if (x, y) != (7, 10) else ORANGE)
    return c

def group():  # two persons
    c = canvas()
    person(c, 10.5, 2, LIGHT)
    person(c, 5.5, 4, BLUE)
    return c

def status():  # a speech bubble
    c = canvas()
    rect(c, 1, 2, 14, 10, BLUE)
    rect(c, 2, 3, 13, 9, WHITE)
    for y in (5, 7):
        rect(c, 4, y, 11, y, BLUE)
    for i in range(3):
        rect(c, 4, 11 + i, 6 - i, 11 + i, BLUE)
    return c

def png(path, rows):
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in rows)
    def chunk(kind, data):
        c = struct.pack(">I", len(data)) + kind + data
        return c + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))

os.makedirs(out, exist_ok=True)
for S, suffix in ((1, ""), (2, "@2x")):
    for name, draw in ((136, wall), (137, event), (138, friend), (139, group), (140, inbox),
                         ("status", status)):
        png(os.path.join(out, "%s%s.png" % (name, suffix)), draw())
