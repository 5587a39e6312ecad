#!/usr/bin/env python3
"""Draws the program's pictures and writes them as icon and PNG files.

Run from anywhere: python3 scripts/make_icons.py [--preview DIR]
Outputs (byte-for-byte the same on every run):
  about/books.ico                          books for the About box: 32x32 and 16x16, 4 bpp
  app/icons/student-information.ico        mortarboard: 32x32 1 bpp, 32x32 4 bpp, 16x16 4 bpp
  app/icons/hicolor/{16x16,32x32,64x64}/apps/student-information.png
--preview DIR also writes enlarged renderings (x8, and the books stretched as the About
box shows them) for looking at the drawings; they are not kept in the repository.
Standard library only.
"""

import argparse
import pathlib
import struct
import zlib

ROOT = pathlib.Path(__file__).resolve().parent.parent

# The standard 16-colour palette in its Windows order, as (r, g, b).
PALETTE16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
PALETTE2 = [(0x00, 0x00, 0x00), (0xFF, 0xFF, 0xFF)]

# One letter per palette index; '.' is transparent.
LETTERS = "krgobmcsdRGYBMCW"
K, DRED, DGREEN, OLIVE, DBLUE, DMAGENTA, DCYAN, SILVER = range(8)
GREY, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE = range(8, 16)
CLEAR = None


def canvas(size):
    return [[CLEAR] * size for _ in range(size)]


def fill(img, x0, y0, x1, y1, colour):
    """Fills the inclusive rectangle (x0, y0)-(x1, y1)."""
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img[y][x] = colour


def from_rows(rows):
    assert all(len(row) == len(rows) for row in rows), "drawings are square"
    return [[CLEAR if ch == "." else LETTERS.index(ch) for ch in row] for row in rows]


# --- The books -----------------------------------------------------------------------------

# (width including the right outline, top row, spine, highlight, band) from left to right.
# Heights and widths vary so the row reads as separate books even stretched to 80x48.
BOOKS32 = [
    (5, 5, DRED, RED, YELLOW),
    (4, 9, DBLUE, BLUE, WHITE),
    (6, 3, DGREEN, GREEN, YELLOW),
    (4, 7, OLIVE, YELLOW, WHITE),
    (5, 4, DMAGENTA, MAGENTA, YELLOW),
    (3, 10, RED, RED, WHITE),
    (4, 6, DCYAN, CYAN, YELLOW),
]
BOOKS16 = [
    (3, 3, DRED, RED, YELLOW),
    (3, 6, DBLUE, BLUE, WHITE),
    (3, 2, DGREEN, GREEN, YELLOW),
    (3, 5, DMAGENTA, MAGENTA, WHITE),
    (3, 4, DCYAN, CYAN, YELLOW),
]


def draw_books(size, books, shelf_top):
    """Books standing on a shelf whose top edge is row shelf_top; the books' outlines are
    shared between neighbours so each spine stays as wide as possible."""
    big = size >= 32
    img = canvas(size)
    x = 0
    for width, top, spine, highlight, band in books:
        left, right = x, x + width
        fill(img, left, top, right, shelf_top - 1, K)
        for corner in (left, right):  # rounded head, unless it is a taller neighbour's edge
            if top == 0 or img[top - 1][corner] is CLEAR:
                img[top][corner] = CLEAR
        fill(img, left + 1, top + 1, right - 1, shelf_top - 1, spine)
        if width >= 4 or not big:
            fill(img, left + 1, top + 1, left + 1, shelf_top - 1, highlight)
        # Bands near the head and the tail of the spine, and on wide spines a title label.
        gap = 2 if big else 1
        fill(img, left + 1, top + gap + 1, right - 1, top + gap + 1, band)
        fill(img, left + 1, shelf_top - gap - 2, right - 1, shelf_top - gap - 2, band)
        if width >= 5:
            fill(img, left + 2, top + 6, right - 2, top + 9, band)
        x = right
    fill(img, 0, shelf_top, size - 1, shelf_top, OLIVE)
    fill(img, 0, shelf_top + 1, size - 1, size - (3 if big else 2), DRED)
    fill(img, 0, size - (2 if big else 1), size - 1, size - (2 if big else 1), K)
    return img


# --- The application's icon: a graduation cap ----------------------------------------------

CAP32 = from_rows([
    "................................",
    "................................",
    "................................",
    "...............kk...............",
    ".............kkBBkk.............",
    "...........kkBBbbBBkk...........",
    ".........kkBBbbbbbbBBkk.........",
    ".......kkBBbbbbbbbbbbBBkk.......",
    ".....kkBBbbbbbbbbbbbbbbBBkk.....",
    "...kkBBbbbbbbbbYYbbbbbbbbBBkk...",
    ".kkBBbbbbbbbbbYYYYbbbbbbbbbBBkk.",
    ".kkBbbbbbbbbbbbYYYYbbbbbbbbbBkk.",
    "...kkbbbbbbbbbbbbbYYYbbbbbbkkYk.",
    ".....kkbbbbbbbbbbbbbYYYbbkkkoYk.",
    ".......kkbbbbbbbbbbbbbYkkbbkoYk.",
    ".......kbkkbbbbbbbbbbkkbbbbkoYk.",
    ".......kbbbkkbbbbbbkkbbbbbbkoYk.",
    ".......kbbbbbkkbbkkbbbbbbbbkoYk.",
    ".......kbbbbbbbkkbbbbbbbbbbkoYk.",
    ".......kbbbbbbbbbbbbbbbbbbbkoYk.",
    ".......kbbbbbbbbbbbbbbbbbbbkoYk.",
    ".......kBbbbbbbbbbbbbbbbbbbkYYk.",
    ".......kkBbbbbbbbbbbbbbbbbkkYYYk",
    "........kkBBbbbbbbbbbbbbkkkYYYYk",
    "..........kkBBBbbbbbBBkk.kYoYoYk",
    "............kkkkkkkkkk...kYoYoYk",
    ".........................kYoYoYk",
    ".........................kkkkkkk",
    "................................",
    "................................",
    "................................",
    "................................",
])

CAP16 = from_rows([
    "................",
    ".......kk.......",
    ".....kkBBkk.....",
    "...kkBBbbbBkk...",
    ".kkBBbbbbbbbBkk.",
    "kBbbbbbYYYYYYYYY",
    ".kkbbbbbbbbbbkkY",
    "...kkbbbbbbkk..Y",
    "...kbkkbbkkbk..Y",
    "...kbbbkkbbbk..Y",
    "...kbbbbbbbbk..Y",
    "...kbbbbbbbbk.YY",
    "...kBbbbbbbBkYYY",
    "....kkkkkkkk.YoY",
    ".............YoY",
    "................",
])


def to_two_colour(img):
    """A line drawing: black outlines and white faces. Every pixel on the shape's border is
    black so that the outline stays whole where the coloured drawing has a light edge."""
    size = len(img)
    out = canvas(size)
    for y in range(size):
        for x in range(size):
            c = img[y][x]
            if c is CLEAR:
                continue
            edge = any(
                not (0 <= y + dy < size and 0 <= x + dx < size) or img[y + dy][x + dx] is CLEAR
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))
            )
            out[y][x] = 0 if c == K or edge else 1
    return out


# --- Encoding ------------------------------------------------------------------------------


def pack_rows(img, bpp):
    """The XOR bitmap and the AND mask, bottom-up, each row padded to 32 bits."""
    size = len(img)
    xor_rows, and_rows = [], []
    for row in reversed(img):
        bits = "".join(format(0 if c is CLEAR else c, "0%db" % bpp) for c in row)
        mask = "".join("1" if c is CLEAR else "0" for c in row)
        for data, out in ((bits, xor_rows), (mask, and_rows)):
            data += "0" * (-len(data) % 32)
            out.append(int(data, 2).to_bytes(len(data) // 8, "big"))
    assert len(xor_rows) == size
    return b"".join(xor_rows), b"".join(and_rows)


def bmp_entry(img, bpp):
    size = len(img)
    palette = PALETTE16 if bpp == 4 else PALETTE2
    xor, mask = pack_rows(img, bpp)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bpp, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + colours + xor + mask, len(palette)


def ico_file(images):
    """images: list of (pixel rows, bits per pixel), in directory order."""
    blobs = [bmp_entry(img, bpp) + (len(img), bpp) for img, bpp in images]
    out = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for data, colours, size, bpp in blobs:
        out += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bpp, len(data), offset)
        offset += len(data)
    return out + b"".join(data for data, *_ in blobs)


def png_file(rgba_rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    height, width = len(rgba_rows), len(rgba_rows[0])
    raw = b"".join(b"\0" + b"".join(bytes(px) for px in row) for row in rgba_rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def rgba(img, palette=PALETTE16):
    return [[(0, 0, 0, 0) if c is CLEAR else palette[c] + (255,) for c in row] for row in img]


def scaled(rows, sx, sy=None):
    sy = sx if sy is None else sy
    return [[px for px in row for _ in range(sx)] for row in rows for _ in range(sy)]


def stretched(rows, width, height):
    """Nearest-neighbour resampling to any size, as a plain image control stretches."""
    h, w = len(rows), len(rows[0])
    return [[rows[y * h // height][x * w // width] for x in range(width)] for y in range(height)]


def on_checkerboard(rows, cell=8):
    light, dark = (230, 230, 230), (190, 190, 190)
    out = []
    for y, row in enumerate(rows):
        out.append([px if px[3] else ((light if (x // cell + y // cell) % 2 else dark) + (255,))
                    for x, px in enumerate(row)])
    return out


def write(path, data):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)
    print("%6d  %s" % (len(data), path.relative_to(ROOT)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--preview", type=pathlib.Path, help="also write enlarged PNGs here")
    args = parser.parse_args()

    books32 = draw_books(32, BOOKS32, 27)
    books16 = draw_books(16, BOOKS16, 13)
    books = ico_file([(books32, 4), (books16, 4)])
    assert len(books) == 1078, len(books)
    write(ROOT / "about/books.ico", books)

    cap_mono = to_two_colour(CAP32)
    write(ROOT / "app/icons/student-information.ico",
          ico_file([(cap_mono, 1), (CAP32, 4), (CAP16, 4)]))
    hicolor = ROOT / "app/icons/hicolor"
    for size, rows in ((16, rgba(CAP16)), (32, rgba(CAP32)), (64, scaled(rgba(CAP32), 2))):
        write(hicolor / ("%dx%d/apps/student-information.png" % (size, size)), png_file(rows))

    if args.preview:
        previews = {
            "books32": scaled(rgba(books32), 8),
            "books16": scaled(rgba(books16), 16),
            # About box: 1200x720 twips is 80x48 pixels at 96 dpi.
            "books-about": scaled(stretched(rgba(books32), 80, 48), 4),
            "cap32-mono": scaled(rgba(cap_mono, PALETTE2), 8),
            "cap32": scaled(rgba(CAP32), 8),
            "cap16": scaled(rgba(CAP16), 16),
            "cap16-actual": rgba(CAP16),
        }
        args.preview.mkdir(parents=True, exist_ok=True)
        for name, rows in previews.items():
            (args.preview / (name + ".png")).write_bytes(png_file(on_checkerboard(rows)))


if __name__ == "__main__":
    main()
