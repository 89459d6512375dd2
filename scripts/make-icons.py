#!/usr/bin/env python3
# The program's icons, each drawn from one set of shapes at every size it is needed in.
#   make-icons.py             the 16 x 16 row icons of the notifications window (136 wall
#                             posts, 137 event invites, 138 friend requests, 139 group invites,
#                             140 messages) and the status dialog's icon (status) in
#                             resources/icons/, each also at 32 x 32 for screens at twice the
#                             density (<name>@2x.png); the application icon at 32 and 64
#                             (resources/veltrana.png, veltrana@2x.png). The outputs are
#                             committed.
#   make-icons.py --hicolor DIR   the application icon for the desktop's icon theme:
#                             DIR/hicolor/NxN/apps/veltrana.png at every size desktops ask
#                             for, and DIR/hicolor/scalable/apps/veltrana.svg (the build runs
#                             this).
import os, struct, sys, zlib

resources = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
out = os.path.join(resources, "icons")
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

# The application icon: a rounded square, blue with a lighter top, holding a white "V". Its
# shapes are given on a 32-unit square; the PNGs sample each pixel 4 x 4 times, so that every
# size has smooth edges, and the SVG draws the same shapes.
HICOLOR_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
CORNER = 5.0
TOP, BOTTOM = (89, 119, 192), (59, 89, 152)
# The V's outline, clockwise from the top of its left stroke.
V_OUTLINE = ((7.99, 6.0), (12.39, 6.0), (16.0, 14.6), (19.61, 6.0), (24.01, 6.0),
             (16.03, 25.0), (15.97, 25.0))


def in_square(x, y):
    dx = max(CORNER - x, x - (32 - CORNER), 0.0)
    dy = max(CORNER - y, y - (32 - CORNER), 0.0)
    return 0 <= x <= 32 and 0 <= y <= 32 and dx * dx + dy * dy <= CORNER * CORNER


def in_outline(x, y, outline):
    inside = False
    for (x0, y0), (x1, y1) in zip(outline, outline[1:] + outline[:1]):
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            inside = not inside
    return inside


def app_icon(size):
    samples = 4
    step = 32.0 / size / samples
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            covered = white = 0
            colour = [0.0, 0.0, 0.0]
            for sy in range(samples):
                y = (py * samples + sy + 0.5) * step
                for sx in range(samples):
                    x = (px * samples + sx + 0.5) * step
                    if not in_square(x, y):
                        continue
                    covered += 1
                    if in_outline(x, y, V_OUTLINE):
                        white += 1
                        continue
                    t = y / 32
                    for i in range(3):
                        colour[i] += TOP[i] * (1 - t) + BOTTOM[i] * t
            if covered == 0:
                row.append(NONE)
                continue
            rgb = tuple(int(round((colour[i] + 255 * white) / covered)) for i in range(3))
            row.append(rgb + (int(round(255 * covered / samples ** 2)),))
        rows.append(row)
    return rows


def app_icon_svg():
    points = " ".join("%g,%g" % p for p in V_OUTLINE)
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">\n'
            '  <title>Veltrana</title>\n'
            '  <defs>\n'
            '    <linearGradient id="face" x1="0" y1="0" x2="0" y2="1">\n'
            '      <stop offset="0" stop-color="#%02x%02x%02x"/>\n'
            '      <stop offset="1" stop-color="#%02x%02x%02x"/>\n'
            '    </linearGradient>\n'
            '  </defs>\n'
            '  <rect width="32" height="32" rx="%g" fill="url(#face)"/>\n'
            '  <polygon points="%s" fill="#ffffff"/>\n'
            '</svg>\n') % (TOP + BOTTOM + (CORNER, points))


if len(sys.argv) == 3 and sys.argv[1] == "--hicolor":
    theme = os.path.join(sys.argv[2], "hicolor")
    for size in HICOLOR_SIZES:
        folder = os.path.join(theme, "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        png(os.path.join(folder, "veltrana.png"), app_icon(size))
    folder = os.path.join(theme, "scalable", "apps")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "veltrana.svg"), "w") as f:
        f.write(app_icon_svg())
    sys.exit(0)
if len(sys.argv) != 1:
    sys.exit("usage: make-icons.py [--hicolor DIR]")

os.makedirs(out, exist_ok=True)
for S, suffix in ((1, ""), (2, "@2x")):
    for name, draw in ((136, wall), (137, event), (138, friend), (139, group), (140, inbox),
                         ("status", status)):
        png(os.path.join(out, "%s%s.png" % (name, suffix)), draw())
png(os.path.join(resources, "veltrana.png"), app_icon(32))
png(os.path.join(resources, "veltrana@2x.png"), app_icon(64))
