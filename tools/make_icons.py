#!/usr/bin/env python3
"""Draws the program's icons into res/: the program icon and the two status icons, a green round
check mark and a red round cross, each at 16, 20, 24, 32, 40 and 48 pixels, so that every display
scale from 100 % to 300 % finds its own image and none is stretched. The program icon also comes at 64
and 80 pixels, the large window icon at 200 % and 250 %. The program icon is 32-bit throughout; the status icons' 16-pixel image has 256 colours, as it always had, the larger ones are
32-bit with soft edges."""
import math, os, struct, sys

def disc_shape(size, fill, edge, mark, draw_mark):
    """RGBA rows (top first) of a shaded disc with a white mark drawn by draw_mark(x, y, size) -> coverage."""
    px = []
    c = (size - 1) / 2.0
    r = size / 2.0 - 0.5
    for y in range(size):
        row = []
        for x in range(size):
            d = math.hypot(x - c, y - c)
            a = max(0.0, min(1.0, r + 0.5 - d))
            if a <= 0:
                row.append((0, 0, 0, 0))
                continue
            # Lighter towards the top left, darker rim.
            t = max(0.0, min(1.0, (x + y) / (2.0 * size)))
            col = [int(fill[i] * (1.15 - 0.3 * t)) for i in range(3)]
            if d > r - 1.2:
                col = list(edge)
            m = draw_mark(x, y, size)
            col = [min(255, int(col[i] * (1 - m) + mark[i] * m)) for i in range(3)]
            row.append((col[0], col[1], col[2], int(255 * a)))
        px.append(row)
    return px

def seg_cover(x, y, ax, ay, bx, by, w):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / float(dx * dx + dy * dy)))
    d = math.hypot(x - (ax + t * dx), y - (ay + t * dy))
    return max(0.0, min(1.0, w / 2.0 + 0.5 - d))

def check_mark(x, y, s):
    k = s / 16.0
    return max(seg_cover(x, y, 4 * k, 8 * k, 7 * k, 11 * k, 2.2 * k),
               seg_cover(x, y, 7 * k, 11 * k, 12 * k, 4.5 * k, 2.2 * k))

def cross_mark(x, y, s):
    k = s / 16.0
    return max(seg_cover(x, y, 5 * k, 5 * k, 10.5 * k, 10.5 * k, 2.2 * k),
               seg_cover(x, y, 10.5 * k, 5 * k, 5 * k, 10.5 * k, 2.2 * k))

def antenna_mark(x, y, s):
    """The program icon: a radio mast with two arcs and a check."""
    k = s / 16.0
    c = (s - 1) / 2.0
    m = seg_cover(x, y, c, 5 * k, c, 12.5 * k, 1.6 * k)
    d = math.hypot(x - c, y - 5 * k)
    ang = math.atan2(y - 5 * k, x - c)
    for rad in (3.0 * k, 5.2 * k):
        if ang < -0.35 and ang > -2.8:
            m = max(m, max(0.0, min(1.0, 0.8 * k + 0.5 - abs(d - rad))))
    return m

def bmp_32(px):
    size = len(px)
    head = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    data = b''.join(bytes((b, g, r, a)) for row in reversed(px) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = b''
    for row in reversed(px):
        bits = bytearray(mask_row)
        for x, p in enumerate(row):
            if p[3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return head + data + mask, 32, 0

def bmp_8(px):
    size = len(px)
    palette = [(0, 0, 0)]
    index = {}
    rows = []
    for row in px:
        out = []
        for (r, g, b, a) in row:
            if a < 128:
                out.append(0)
                continue
            key = (r & 0xF8, g & 0xF8, b & 0xF8)
            if key not in index:
                if len(palette) == 256:
                    key = min(index, key=lambda k: sum((k[i] - key[i]) ** 2 for i in range(3)))
                else:
                    index[key] = len(palette)
                    palette.append(key)
            out.append(index[key])
        rows.append(out)
    palette += [(0, 0, 0)] * (256 - len(palette))
    head = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    pal = b''.join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    stride = (size + 3) // 4 * 4
    data = b''.join(bytes(row) + b'\0' * (stride - size) for row in reversed(rows))
    mask_row = ((size + 31) // 32) * 4
    mask = b''
    for row in reversed(px):
        bits = bytearray(mask_row)
        for x, p in enumerate(row):
            if p[3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return head + pal + data + mask, 8, 0

def write_ico(path, images):
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    blobs = []
    for size, (blob, bpp, colors) in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, colors, 0, 1, bpp, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    with open(path, 'wb') as f:
        f.write(out + b''.join(blobs))

def main(outdir):
    blue, blue_edge = (40, 110, 200), (20, 60, 130)
    write_ico(os.path.join(outdir, 'netvetter.ico'),
              [(s, bmp_32(disc_shape(s, blue, blue_edge, (255, 255, 255), antenna_mark))) for s in (80, 64, 48, 40, 32, 24, 20, 16)])
    def status(fill, edge, mark):
        return [(s, (bmp_8 if s == 16 else bmp_32)(disc_shape(s, fill, edge, (255, 255, 255), mark)))
                for s in (16, 20, 24, 32, 40, 48)]
    write_ico(os.path.join(outdir, 'status_ok.ico'), status((40, 170, 60), (20, 110, 35), check_mark))
    write_ico(os.path.join(outdir, 'status_bad.ico'), status((215, 40, 40), (140, 20, 20), cross_mark))

if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..', 'res'))
