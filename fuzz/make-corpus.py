#!/usr/bin/env python3
"""Writes the seed corpus in fuzz/corpus from the skin picture and the icon
files (see fuzz/README.md). The first byte of each seed picks the road."""
import os
import struct

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..')
out_dir = os.path.join(root, 'fuzz', 'corpus')
bmp = open(os.path.join(root, 'skin/resources/tavrelskin.bmp'), 'rb').read()
W, H, STRIDE, OFF = 145, 162, 148, 1078
GRID, BACKGROUND = 0x1A, 0x7B
FIRST_MARKER_ROW = 146
CLASS_ID = bytes([0x04, 0x52, 0xe3, 0x0b, 0x91, 0x8f, 0xce, 0x11,
                  0x9d, 0xe3, 0x00, 0xaa, 0x00, 0x4b, 0xb8, 0x51])


def stored(f):
    return CLASS_ID + b'lt\0\0' + struct.pack('<I', len(f)) + f


def rows_of(f):
    return [bytearray(f[OFF + (H - 1 - y) * STRIDE:OFF + (H - 1 - y) * STRIDE + W])
            for y in range(H)]


def bitmap(rows):
    h, w = len(rows), len(rows[0])
    stride = (w + 3) // 4 * 4
    header = bytearray(bmp[:OFF])
    pixels = b''.join(bytes(rows[h - 1 - y]) + b'\0' * (stride - w) for y in range(h))
    struct.pack_into('<I', header, 2, OFF + len(pixels))
    struct.pack_into('<i', header, 18, w)
    struct.pack_into('<i', header, 22, h)
    struct.pack_into('<I', header, 34, len(pixels))
    return bytes(header) + pixels


def with_markers(rows, values):
    rows = [bytearray(r) for r in rows]
    first = FIRST_MARKER_ROW + len(rows) - H
    for m, v in enumerate(values):
        row = rows[first + m]
        for x in range(len(row)):
            if row[x] == GRID:
                row[x] = BACKGROUND
        row[v] = GRID
    return rows


def stretched(rows, columns, band_rows, tile_rows):
    # Column 38 and rows 20 (tall band) and 71 (frame tiles) repeated.
    result = []
    for y, r in enumerate(rows):
        wide = r[:39] + bytes([r[38]]) * columns + r[39:]
        result.append(bytearray(wide))
        if y == 20:
            result += [bytearray(wide) for _ in range(band_rows)]
        if y == 71:
            result += [bytearray(wide) for _ in range(tile_rows)]
    return result


def write(name, road, data):
    with open(os.path.join(out_dir, name), 'wb') as f:
        f.write(bytes([road]) + data)


real = rows_of(bmp)
markers = [0, 4, 25, 3, 3, 20, 25, 4, 0, 0, 25]
os.makedirs(out_dir, exist_ok=True)
write('skinpicture.stored', 0, stored(bmp))
write('skinpicture.bmp', 1, bmp)
write('markers-highest.bmp', 1, bitmap(with_markers(real, [1, 27, 27, 27, 14, 28, 42, 28, 1, 6, 42])))
inset = list(markers)
inset[9] = 7
write('inset-past-tile.stored', 0, stored(bitmap(with_markers(real, inset))))
low = list(markers)
low[6] = 14
write('caption-lower-than-button.bmp', 1, bitmap(with_markers(real, low)))
write('stretched-cells.bmp', 1, bitmap(stretched(real, 40, 20, 10)))
# The tall band as low as the short one (24 rows), captions 24 high.
short_band = [r for y, r in enumerate(real) if not 25 <= y <= 42]
write('low-tall-band.bmp', 1, bitmap(with_markers(short_band, [0, 4, 25, 3, 3, 20, 24, 4, 0, 0, 24])))
short_palette = bytearray(bmp)
struct.pack_into('<I', short_palette, 46, 124)
write('short-palette.bmp', 1, bytes(short_palette))
top_down = bytearray(bmp[:OFF])
struct.pack_into('<i', top_down, 22, -H)
top_down += b''.join(bmp[OFF + (H - 1 - y) * STRIDE:OFF + (H - y) * STRIDE] for y in range(H))
write('top-down.bmp', 1, bytes(top_down))
for name, road, path in [('cleanfrm.stored', 2, 'forms/CleanFrm/resources/cleanfrm.ico'),
                         ('cleanfrm.ico', 3, 'forms/CleanFrm/resources/cleanfrm.ico'),
                         ('tavrelsample.ico', 3, 'app/resources/tavrelsample.ico')]:
    data = open(os.path.join(root, path), 'rb').read()
    write(name, road, stored(data) if road == 2 else data)
