#!/usr/bin/env python3
"""Writes an icon of 16-colour images (the standard VGA palette) from raw RGBA pictures:
vga_icon.py OUT.ico SIZE:FILE.rgba ... Every Windows shows such icons, and they are a
quarter of the size of true-colour ones. A pixel less than half opaque is transparent."""
import struct
import sys

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def nearest(r, g, b):
    return min(range(16), key=lambda i: sum((c - p) ** 2 for c, p in zip((r, g, b), PALETTE[i])))


def image_entry(size, rgba):
    colour_row = (size * 4 + 31) // 32 * 4  # rows padded to 32 bits
    mask_row = (size + 31) // 32 * 4
    colours, mask = bytearray(), bytearray()
    for y in reversed(range(size)):  # bottom-up
        row, bits = bytearray(colour_row), bytearray(mask_row)
        for x in range(size):
            r, g, b, a = rgba[(y * size + x) * 4:(y * size + x) * 4 + 4]
            index = nearest(r, g, b) if a >= 128 else 0
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
            row[x // 2] |= index << (4 if x % 2 == 0 else 0)
        colours += row
        mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, len(colours) + len(mask), 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(colours) + bytes(mask)


def main():
    out, images = sys.argv[1], sys.argv[2:]
    entries = []
    for image in images:
        size, path = image.split(':', 1)
        entries.append((int(size), image_entry(int(size), open(path, 'rb').read())))
    data = struct.pack('<HHH', 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for size, entry in entries:
        data += struct.pack('<BBBBHHII', size % 256, size % 256, 16, 0, 1, 4, len(entry), offset)
        offset += len(entry)
    data += b''.join(entry for _, entry in entries)
    open(out, 'wb').write(data)


main()
