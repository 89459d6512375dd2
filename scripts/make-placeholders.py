#!/usr/bin/env python3
# Generates the 50 x 50 placeholder pictures (pic_square/body.jpg, body_bf.jpg) and the
# 32 x 32 application icon (veltrana.png) in resources/, each also at twice the size for
# screens at twice the density (body@2x.jpg, body_bf@2x.jpg, veltrana@2x.png), drawn from the
# same shapes. Run once; the outputs are committed.
# Needs cjpeg (libjpeg-turbo-progs).
import os, struct, subprocess, tempfile, zlib

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
tmp = tempfile.mkdtemp()

def silhouette(size, bg, fg):
    rows = []
    cx = size / 2.0
    for y in range(size):
        row = []
        for x in range(size):
            px, py = x + 0.5, y + 0.5
            head = (px - cx) ** 2 + (py - size * 0.36) ** 2 <= (size * 0.17) ** 2
            body = (px - cx) ** 2 / (size * 0.36) ** 2 + (py - size * 1.0) ** 2 / (size * 0.44) ** 2 <= 1.0
            row.append(fg if (head or body) else bg)
        rows.append(row)
    return rows

def ppm(path, rows):
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (len(rows[0]), len(rows)))
        for row in rows:
            for r, g, b in row:
                f.write(bytes((r, g, b)))

for (name, bg, fg), (size, suffix) in [(p, s) for s in ((50, ""), (100, "@2x"))
                                       for p in (("body", (236, 239, 245), (160, 168, 184)),
                                                 ("body_bf", (222, 230, 246), (59, 89, 152)))]:
    source = os.path.join(tmp, name + suffix + ".ppm")
    ppm(source, silhouette(size, bg, fg))
    with open(os.path.join(out, "pic_square", name + suffix + ".jpg"), "wb") as jpeg:
        subprocess.run(["cjpeg", "-quality", "90", "-optimize", source], stdout=jpeg, check=True)

def png(path, size):
    # A blue rounded square with a white "V".
    k = size / 32
    raw = b""
    for y in range(size):
        raw += b"\0"
        for x in range(size):
            r = 5 * k
            dx = max(r - x, x - (size - 1 - r), 0)
            dy = max(r - y, y - (size - 1 - r), 0)
            inside = dx * dx + dy * dy <= r * r
            t = y / (size - 1)
            # the V: two strokes from the top corners to the bottom middle
            u = (x + 0.5 - size / 2.0)
            stroke = abs(abs(u) - (size * 0.62 - y) * 0.42) <= 2.2 * k and 6 * k <= y <= size - 1 - 6 * k
            if not inside:
                raw += bytes((0, 0, 0, 0))
            elif stroke:
                raw += bytes((255, 255, 255, 255))
            else:
                raw += bytes((int(59 + 30 * (1 - t)), int(89 + 30 * (1 - t)), int(152 + 40 * (1 - t)), 255))
    def chunk(kind, data):
        c = struct.pack(">I", len(data)) + kind + data
        return c + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))

png(os.path.join(out, "veltrana.png"), 32)
png(os.path.join(out, "veltrana@2x.png"), 64)
