#!/usr/bin/env python3
"""Draws Tactimer's icon and writes it as Windows icon resources.

usage: make_icons.py OUTPUT_DIR

The motif is a white eighth note on a blue rounded square above a row of
timeline ticks. Each image is drawn at its own size from the same shapes, so
it stays legible at 16 x 16 and in 16 colours. Written to OUTPUT_DIR:
image1.bin .. image8.bin (RT_ICON images: classic bitmaps with their AND
masks, no PNG) and group.bin (the RT_GROUP_ICON directory naming images 1 to
8), so that both icon groups can share one set of images.
"""
import os
import struct
import sys

# (size, bits per pixel), in the order the icon groups list them.
IMAGES = [(32, 4), (16, 4), (48, 8), (32, 8), (16, 8), (48, 24), (32, 24), (16, 24)]

BACKGROUND = (31, 78, 140)
NOTE = (255, 255, 255)
TICKS = (128, 200, 255)

# The 16 colours of the classic VGA palette, which 4-bit icons use.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def palette_256():
    """VGA colours, then a 6x6x6 colour cube, then greys."""
    colours = list(VGA)
    steps = [0, 51, 102, 153, 204, 255]
    colours += [(r, g, b) for r in steps for g in steps for b in steps]
    while len(colours) < 256:
        level = (len(colours) - 232) * 10 + 8
        colours.append((level, level, level))
    return colours[:256]


def inside_rounded_square(x, y):
    """Unit coordinates, 0..1 across the icon."""
    margin, radius = 0.03, 0.18
    lo, hi = margin + radius, 1 - margin - radius
    cx = min(max(x, lo), hi)
    cy = min(max(y, lo), hi)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def shape_at(x, y):
    """The colour of the motif at a point, or None outside the icon."""
    if not inside_rounded_square(x, y):
        return None
    # Note head: a tilted ellipse.
    hx, hy = x - 0.40, y - 0.62
    u, v = 0.89 * hx + 0.45 * hy, -0.45 * hx + 0.89 * hy
    if (u / 0.17) ** 2 + (v / 0.12) ** 2 <= 1:
        return NOTE
    # Stem on the head's right side, and a flag falling from its top.
    if 0.53 <= x <= 0.60 and 0.16 <= y <= 0.62:
        return NOTE
    if 0.56 <= x <= 0.80 and 0.16 <= y <= 0.40:
        t = (x - 0.56) / 0.24
        top = 0.16 + 0.14 * t
        if top <= y <= top + 0.12:
            return NOTE
    # Timeline ticks along the bottom.
    if 0.80 <= y <= 0.90:
        for i in range(4):
            left = 0.16 + i * 0.20
            if left <= x <= left + 0.08:
                return TICKS
    return BACKGROUND


def render(size):
    """Rows of (colour or None) from the top, 4 x 4 samples a pixel."""
    rows = []
    samples = 4
    for py in range(size):
        row = []
        for px in range(size):
            hits = []
            for sy in range(samples):
                for sx in range(samples):
                    colour = shape_at((px + (sx + 0.5) / samples) / size,
                                      (py + (sy + 0.5) / samples) / size)
                    if colour is not None:
                        hits.append(colour)
            if len(hits) * 2 < samples * samples:
                row.append(None)
            else:
                row.append(tuple(sum(c[i] for c in hits) // len(hits) for i in range(3)))
        rows.append(row)
    return rows


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: sum((palette[i][k] - colour[k]) ** 2 for k in range(3)))


def padded(row_bytes):
    return row_bytes + b'\0' * (-len(row_bytes) % 4)


def icon_image(size, bits):
    rows = render(size)
    palette = VGA if bits == 4 else palette_256() if bits == 8 else []
    xor_rows, and_rows = [], []
    for row in reversed(rows):  # bitmaps are stored bottom-up
        mask = 0
        for px, colour in enumerate(row):
            if colour is None:
                mask |= 1 << (size - 1 - px)
        and_rows.append(padded(mask.to_bytes(size // 8, 'big')))
        opaque = [c if c is not None else (0, 0, 0) for c in row]
        if bits == 24:
            data = b''.join(bytes((b, g, r)) for r, g, b in opaque)
        else:
            indices = [nearest(palette, c) for c in opaque]
            if bits == 8:
                data = bytes(indices)
            else:
                data = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, size, 2))
        xor_rows.append(padded(data))
    pixels = b''.join(xor_rows) + b''.join(and_rows)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, len(pixels), 0, 0,
                         len(palette), 0)
    colours = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + colours + pixels


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.split('\n\n')[1])
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    entries = []
    for number, (size, bits) in enumerate(IMAGES, start=1):
        image = icon_image(size, bits)
        with open(os.path.join(out, 'image%d.bin' % number), 'wb') as f:
            f.write(image)
        colour_count = 16 if bits == 4 else 0
        entries.append(struct.pack('<BBBBHHIH', size % 256, size % 256, colour_count, 0, 1,
                                   bits, len(image), number))
    with open(os.path.join(out, 'group.bin'), 'wb') as f:
        f.write(struct.pack('<HHH', 0, 1, len(entries)) + b''.join(entries))


if __name__ == '__main__':
    main()
