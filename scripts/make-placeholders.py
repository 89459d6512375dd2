#!/usr/bin/env python3
# Generates the 50 x 50 placeholder pictures (pic_square/body.jpg, body_bf.jpg) in
# resources/, each also at twice the size for screens at twice the density (body@2x.jpg,
# body_bf@2x.jpg), drawn from the same shapes. Run once; the outputs are committed. The
# application icon is make-icons.py's.
# Needs cjpeg (libjpeg-turbo-progs).
import os, subprocess, tempfile

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
