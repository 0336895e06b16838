#!/usr/bin/python3
"""Generates graphics/fonts/builtin_fonts.cpp, the two built-in bitmap fonts.

The glyphs are rendered from DejaVu Sans (Debian package fonts-dejavu-core;
licence: the Bitstream Vera Fonts licence, a permissive free licence, with the
DejaVu changes in the public domain) with Pillow's monochrome hinted
rasteriser, then fitted into cells of fixed height and of the widths the
library promises for the characters 32..126: glyphs too wide for their cell
lose repeated columns first, then their faintest ones. Every character
0..255 of code page 1252 gets a glyph; control codes and the five unassigned
positions get a hollow box.

Blob layout (short header): first and last character code, 256 u32 glyph
offsets, then the glyphs: width, height, rows bottom first, ceil(width / 8)
bytes per row, most significant bit leftmost. Ink is 0-bits, background
1-bits. Identical glyphs share one copy.

Usage: tools/make_fonts.py [output.cpp] [--preview DIR]
"""
import os
import sys

from PIL import Image, ImageDraw, ImageFont

FONT_PATH = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"

# Advance widths of characters 32..126, the nominal one pixel of spacing
# included: the last column of each cell stays background.
SMALL_WIDTHS = [3, 2, 4, 6, 6, 10, 7, 2, 4, 4, 4, 6, 3, 4, 3, 3, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 3, 3, 6, 6, 6,
                6, 11, 8, 7, 7, 7, 6, 6, 8, 7, 2, 5, 7, 6, 8, 7, 8, 6, 8, 7, 7, 6, 7, 8, 10, 7, 8, 7, 3, 3, 3,
                5, 6, 4, 6, 6, 6, 6, 6, 4, 6, 6, 2, 2, 5, 2, 8, 6, 6, 6, 6, 4, 6, 3, 6, 6, 10, 6, 6, 6, 4, 2, 4,
                6]
LARGE_WIDTHS = [6, 6, 7, 12, 12, 19, 14, 4, 7, 7, 8, 12, 6, 7, 6, 6, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 6,
                6, 12, 12, 12, 12, 21, 13, 14, 15, 15, 14, 13, 16, 14, 6, 11, 14, 12, 17, 14, 16, 14, 16, 15, 14,
                12, 14, 13, 21, 14, 14, 13, 6, 6, 6, 8, 12, 7, 12, 11, 11, 11, 12, 6, 11, 11, 5, 4, 10, 4, 16, 11,
                12, 11, 11, 7, 11, 6, 11, 11, 15, 10, 11, 9, 7, 6, 7, 12]

# name, pixel size of the rendering, cell height, baseline row (rows above it
# hold the body), narrowest and widest cell outside 32..126.
FONTS = [
    ("kSmallFont", 10, 14, 11, 2, 11, SMALL_WIDTHS),
    ("kLargeFont", 19, 24, 19, 4, 21, LARGE_WIDTHS),
]


def cp1252_char(code):
    """The Unicode character of a code page 1252 byte, or None for control
    codes and unassigned positions."""
    if code < 32 or code == 127:
        return None
    try:
        ch = bytes([code]).decode("cp1252")
    except UnicodeDecodeError:
        return None
    if ch == "\u00a0":
        return " "
    if ch == "\u00ad":
        return "-"
    return ch


def render_mono(font, ch, height, baseline):
    """Hinted monochrome rendering of ch, its baseline on row baseline, on a
    canvas wide enough for any glyph (the pen starts at column size)."""
    size = font.size
    canvas = Image.new("1", (size * 3, height), 0)
    draw = ImageDraw.Draw(canvas)
    draw.fontmode = "1"
    draw.text((size, baseline), ch, font=font, fill=1, anchor="ls")
    return canvas


def ink_columns(img):
    box = img.getbbox()
    return (box[0], box[2]) if box else None


def squeeze_columns(img, x0, x1, target):
    """Narrows the ink columns [x0, x1) to target columns: first by dropping
    columns equal to their left neighbour (keeps stroke weight), then by
    dropping the column with the least ink, outermost and rightmost first."""
    cols = [tuple(img.getpixel((x, y)) for y in range(img.height)) for x in range(x0, x1)]
    while len(cols) > target:
        dup = [i for i in range(1, len(cols)) if cols[i] == cols[i - 1]]
        if dup:
            # The duplicate nearest the middle keeps the shape balanced.
            mid = len(cols) / 2
            del cols[min(dup, key=lambda k: abs(k - mid))]
            continue
        mid = (len(cols) - 1) / 2
        del cols[min(range(len(cols)), key=lambda k: (sum(cols[k]), -abs(k - mid), -k))]
    out = Image.new("1", (target, img.height), 0)
    for x, col in enumerate(cols):
        for y, v in enumerate(col):
            out.putpixel((x, y), v)
    return out


def box_glyph(width, height, baseline, cap):
    """Hollow box for characters without a glyph of their own."""
    img = Image.new("1", (width, height), 0)
    draw = ImageDraw.Draw(img)
    draw.rectangle((0, baseline - cap, width - 2, baseline - 1), outline=1)
    return img


def make_glyph(font, code, size, height, baseline, min_w, max_w, widths):
    ch = cp1252_char(code)
    if 32 <= code <= 126:
        width = widths[code - 32]
    elif ch is None:
        width = max(min_w, min(max_w, round(size * 0.55)))
    else:
        width = max(min_w, min(max_w, round(font.getlength(ch))))
    cap = round(size * 0.72)
    if ch is None:
        return width, box_glyph(width, height, baseline, cap)
    avail = max(1, width - 1)
    img = render_mono(font, ch, height, baseline)
    ink = ink_columns(img)
    cell = Image.new("1", (width, height), 0)
    if ink is None:
        return width, cell
    x0, x1 = ink
    if x1 - x0 > avail:
        cell.paste(squeeze_columns(img, x0, x1, avail), (0, 0))
        return width, cell
    # Keep the font's own left bearing where the cell has room for it.
    left = max(0, min(x0 - size, avail - (x1 - x0)))
    cell.paste(img.crop((x0, 0, x1, height)), (left, 0))
    return width, cell


def glyph_bytes(width, img):
    """Width, height, rows bottom first; ink (set in img) becomes 0-bits."""
    height = img.height
    row_bytes = (width + 7) // 8
    out = bytearray([width, height])
    for y in range(height - 1, -1, -1):
        bits = [1] * (row_bytes * 8)
        for x in range(width):
            if img.getpixel((x, y)):
                bits[x] = 0
        for b in range(row_bytes):
            v = 0
            for k in range(8):
                v = (v << 1) | bits[b * 8 + k]
            out.append(v)
    return bytes(out)


def build_font(name, size, height, baseline, min_w, max_w, widths, preview_dir):
    font = ImageFont.truetype(FONT_PATH, size)
    glyphs = []
    cells = []
    for code in range(256):
        width, img = make_glyph(font, code, size, height, baseline, min_w, max_w, widths)
        glyphs.append(glyph_bytes(width, img))
        cells.append(img)
    header = bytes([0, 255])
    table_size = 4 * 256
    blob = bytearray(header + bytes(table_size))
    seen = {}
    for code, g in enumerate(glyphs):
        if g not in seen:
            seen[g] = len(blob)
            blob += g
        blob[2 + 4 * code:6 + 4 * code] = seen[g].to_bytes(4, "little")
    if preview_dir:
        scale = 4
        sheet = Image.new("L", (16 * (max_w + 2) * scale, 16 * (height + 2) * scale), 128)
        for code, img in enumerate(cells):
            cx, cy = code % 16, code // 16
            cell = Image.new("L", img.size, 255)
            cell.paste(0, mask=img)
            cell = cell.resize((img.width * scale, img.height * scale), Image.NEAREST)
            sheet.paste(cell, (cx * (max_w + 2) * scale, cy * (height + 2) * scale))
        sheet.save(os.path.join(preview_dir, name + ".png"))
    return bytes(blob)


def emit(blobs, out):
    lines = [
        "// Generated by tools/make_fonts.py from DejaVu Sans (Bitstream Vera Fonts",
        "// licence, DejaVu changes public domain). Do not edit; run the generator.",
        '#include "graphics/font.h"',
        "",
    ]
    for name, blob in blobs:
        lines.append("const BitmapFont %s[%d] = {" % (name, len(blob)))
        for i in range(0, len(blob), 16):
            lines.append("    " + ", ".join("0x%02X" % b for b in blob[i:i + 16]) + ",")
        lines.append("};")
        lines.append("const size_t %sSize = sizeof(%s);" % (name, name))
        lines.append("")
    with open(out, "w") as f:
        f.write("\n".join(lines))


def main(argv):
    here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = os.path.join(here, "graphics", "fonts", "builtin_fonts.cpp")
    preview = None
    args = argv[1:]
    while args:
        a = args.pop(0)
        if a == "--preview":
            preview = args.pop(0)
        else:
            out = a
    blobs = []
    for name, size, height, baseline, min_w, max_w, widths in FONTS:
        blobs.append((name, build_font(name, size, height, baseline, min_w, max_w, widths, preview)))
    os.makedirs(os.path.dirname(out), exist_ok=True)
    emit(blobs, out)


if __name__ == "__main__":
    main(sys.argv)
