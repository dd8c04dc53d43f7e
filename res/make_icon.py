#!/usr/bin/env python3
"""Draws the application icon and writes res/Traylet.ico: 48, 32 and 16
pixels, each at 4, 8 and 32 bits per pixel. Deterministic: the same file
every run. Needs nothing beyond Python 3."""
import os
import struct

# The picture in unit coordinates: a window above the taskbar, an arrow from
# the window down into the notification area.
FRAME = (0x1E, 0x3A, 0x6E)
TITLE = (0x2F, 0x6F, 0xD0)
BODY = (0xF4, 0xF6, 0xFA)
ARROW = (0xF0, 0x8A, 0x24)
BAR = (0x33, 0x38, 0x3F)
SPOT = (0xF0, 0x8A, 0x24)


def sample(u, v):
    """Colour (r, g, b) or None (transparent) at a point of the unit square."""
    # taskbar strip with the arrow's target at its right
    if 0.78 <= v <= 0.97 and 0.03 <= u <= 0.97:
        if 0.70 <= u <= 0.86 and 0.82 <= v <= 0.93:
            return SPOT
        return BAR
    # arrow: shaft and head pointing down to the spot
    if 0.74 <= u <= 0.82 and 0.30 <= v <= 0.58:
        return ARROW
    if 0.58 <= v <= 0.76 and abs(u - 0.78) <= (0.76 - v) * 0.9:
        return ARROW
    # the window
    if 0.05 <= u <= 0.68 and 0.05 <= v <= 0.66:
        if u < 0.09 or u > 0.64 or v < 0.09 or v > 0.62:
            return FRAME
        if v < 0.22:
            return TITLE
        return BODY
    return None


def render(size, ss=4):
    """RGBA rows, top first, supersampled ss x ss per pixel."""
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0]
            n = 0
            for sy in range(ss):
                for sx in range(ss):
                    c = sample((x + (sx + 0.5) / ss) / size, (y + (sy + 0.5) / ss) / size)
                    if c:
                        n += 1
                        for i in range(3):
                            acc[i] += c[i]
            if n:
                row.append((acc[0] // n, acc[1] // n, acc[2] // n, n * 255 // (ss * ss)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
       (255, 0, 255), (0, 255, 255), (255, 255, 255)]
CUBE = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
PAL256 = CUBE + [(i * 255 // 39,) * 3 for i in range(40)]


def nearest(palette, c):
    return min(range(len(palette)),
               key=lambda i: sum((palette[i][k] - c[k]) ** 2 for k in range(3)))


def dib(rows, bpp):
    size = len(rows)
    palette = {4: VGA, 8: PAL256}.get(bpp, [])
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bpp, 0, 0, 0, 0, len(palette), 0)
    out = bytearray(header)
    for r, g, b in palette:
        out += bytes((b, g, r, 0))
    xor_stride = (size * bpp + 31) // 32 * 4
    and_stride = (size + 31) // 32 * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):               # bottom-up
        line = bytearray()
        bits = bytearray(and_stride)
        if bpp == 32:
            for (r, g, b, a) in row:
                line += bytes((b, g, r, a))
        else:
            idx = [nearest(palette, p[:3]) if p[3] >= 128 else 0 for p in row]
            if bpp == 8:
                line += bytes(idx)
            else:
                for i in range(0, size, 2):
                    line.append((idx[i] << 4) | (idx[i + 1] if i + 1 < size else 0))
        for x, p in enumerate(row):
            if p[3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += line + bytes(xor_stride - len(line))
        mask += bits
    return bytes(out + xor + mask)


def main():
    images = []
    for size in (48, 32, 16):
        rows = render(size)
        for bpp in (4, 8, 32):
            images.append((size, bpp, dib(rows, bpp)))
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bpp, blob in images:
        colours = {4: 16}.get(bpp, 0)
        data += struct.pack('<BBBBHHII', size, size, colours, 0, 1, bpp, len(blob), offset)
        offset += len(blob)
    for _, _, blob in images:
        data += blob
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'Traylet.ico')
    with open(path, 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    main()
