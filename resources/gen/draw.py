#!/usr/bin/env python3
"""Draws Bivane's bitmaps and icon and writes them into resources/.

Standard library only, so anyone can redraw the pictures; the generated files
are committed, so building never needs Python. Run: python3 resources/gen/draw.py

Pictures are drawn from character art, one character per pixel, in the
classic 16-colour palette. Bitmaps that the program draws transparently keep
magenta as background, including the bottom-left pixel: the drive selector
takes that pixel's colour as the transparent one, and the list's image list
is filled with magenta as mask colour. Button glyphs sit on the button face.
"""

import os
import struct

PALETTE = {
    "K": (0, 0, 0),
    "M": (128, 0, 0),
    "E": (0, 128, 0),
    "O": (128, 128, 0),
    "N": (0, 0, 128),
    "P": (128, 0, 128),
    "T": (0, 128, 128),
    "G": (128, 128, 128),
    "S": (192, 192, 192),
    "R": (255, 0, 0),
    "L": (0, 255, 0),
    "Y": (255, 255, 0),
    "B": (0, 0, 255),
    "C": (0, 255, 255),
    "W": (255, 255, 255),
}

MAGENTA = (255, 0, 255)
FACE = (192, 192, 192)
WHITE = (255, 255, 255)
SHADOW = (128, 128, 128)


class Canvas:
    def __init__(self, width, height, background):
        self.width = width
        self.height = height
        self.background = background
        self.pixels = [[background] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def get(self, x, y):
        return self.pixels[y][x]

    def art(self, x0, y0, rows):
        """Paints character art; '.' leaves the pixel as it is."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch != ".":
                    self.put(x0 + dx, y0 + dy, PALETTE[ch])


def picture(name, rows):
    width = len(rows[0])
    if any(len(r) != width for r in rows):
        raise ValueError(f"{name}: ragged art")
    canvas = Canvas(width, len(rows), MAGENTA)
    canvas.art(0, 0, rows)
    return canvas


# ---------------------------------------------------------------- drives, 16x11

FLOPPY = [
    "................",
    "...KKKKKKKKKK...",
    "...KNNSSSSSNNK..",
    "...KNNSGGSSNNK..",
    "...KNNSGGSSNNK..",
    "...KNNSSSSSNNK..",
    "...KNNNNNNNNNK..",
    "...KNWWWWWWWNK..",
    "...KNWGGGGGWNK..",
    "...KNWWWWWWWNK..",
    "...KKKKKKKKKKK..",
]

HARD = [
    "................",
    "................",
    "....KKKKKKKKKKKK",
    "...KWWWWWWWWWWGK",
    "..KWWWWWWWWWWGGK",
    ".KKKKKKKKKKKKKGK",
    ".KWWWWWWWWWWWKGK",
    ".KWSSSSSSSSSGKGK",
    ".KWSSSSSSSLEGKK.",
    ".KGGGGGGGGGGGK..",
    ".KKKKKKKKKKKKK..",
]

NETWORK = [
    "....KKKKKKKKKKKK",
    "...KWWWWWWWWWWGK",
    "..KKKKKKKKKKKKGK",
    "..KWWWWWWWWWWKGK",
    "..KWSSSSSSSLEKK.",
    "..KKKKKKKKKKKK..",
    ".......KK.......",
    ".......KK.......",
    ".KKKKKKKKKKKKKK.",
    ".KGGGGGGGGGGGGK.",
    ".KKKKKKKKKKKKKK.",
]

CDROM = [
    ".....KKKKK......",
    "...KKWWWWSKK....",
    "...KWWWWWSSK....",
    "..KWWWWCSSSSK...",
    "..KWWWCGKGSSK...",
    "..KWWCK.KSSSK...",
    "..KSSSGKGCSGK...",
    "..KSSSSSCYSGK...",
    "...KSSSSCYGK....",
    "...KKSSGGGKK....",
    ".....KKKKK......",
]

RAM = [
    "................",
    "................",
    ".KKKKKKKKKKKKKK.",
    ".KEEEEEEEEEEEEK.",
    ".KEKKEEKKEEKKEK.",
    ".KEKKEEKKEEKKEK.",
    ".KEKKEEKKEEKKEK.",
    ".KEEEEEEEEEEEEK.",
    ".KYEYEYEEYEYEYK.",
    ".KYEYEYEEYEYEYK.",
    ".KKKKKKKKKKKKKK.",
]


# --------------------------------------------------------------- folders, 16x15

OPEN_FOLDER_BACK = [
    "................",
    "................",
    "..KKKK..........",
    ".KYWYYK.........",
    ".KWOOOOKKKKKKK..",
    ".KWOOOOOOOOOOK..",
    ".KWOOOOOOOOOOK..",
    ".KWOOOOOOOOOOK..",
    ".KWOOOOOOOOOOK..",
    ".KWOOOOOOOOOOK..",
    ".KWOOOOOOOOOOK..",
    ".KWOOOOOOOOOOK..",
    ".KWOOOOOOOOOOK..",
    ".KKKKKKKKKKKKK..",
    "................",
]

# the current directory's folder holds a written page
OPEN_FOLDER_PAGE = [
    "................",
    "....KKKKKKKK....",
    "....KWWWWWWKK...",
    "....KWBBBBWWK...",
    "....KWWWWWWWK...",
    "....KWBBBBBWK...",
    "....KWWWWWWWK...",
    "................",
]

OPEN_FOLDER_FLAP = [
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    "....KKKKKKKKKKKK",
    "....KWWWWWWWWWWK",
    "...KWYYYYYYYYYK.",
    "...KWYYYYYYYYYK.",
    "..KWYYYYYYYYYK..",
    "..KWYYYYYYYYYK..",
    ".KKKKKKKKKKKKK..",
    "................",
]


def open_folder(current):
    c = Canvas(16, 15, MAGENTA)
    c.art(0, 0, OPEN_FOLDER_BACK)
    if current:
        c.art(0, 0, OPEN_FOLDER_PAGE)
    c.art(0, 0, OPEN_FOLDER_FLAP)
    return c


CLOSED_FOLDER = [
    "................",
    "................",
    "..KKKK..........",
    ".KYWYYK.........",
    ".KWWWWWKKKKKKK..",
    ".KWYYYYYYYYYYOK.",
    ".KWYYYYYYYYYYOK.",
    ".KWYYYYYYYYYYOK.",
    ".KWYYYYYYYYYYOK.",
    ".KWYYYYYYYYYYOK.",
    ".KWYYYYYYYYYYOK.",
    ".KWYYYYYYYYYYOK.",
    ".KOOOOOOOOOOOOK.",
    ".KKKKKKKKKKKKKK.",
    "................",
]


# ------------------------------------------------------------ list images, 16x16

PAGE = [
    "................",
    "..KKKKKKKK......",
    "..KWWWWWWKK.....",
    "..KWWWWWWKWK....",
    "..KWWWWWWKSWK...",
    "..KWWWWWWKKKKK..",
    "..KWWWWWWWWWWK..",
    "..KWWWWWWWWWWK..",
    "..KWWWWWWWWWWK..",
    "..KWWWWWWWWWWK..",
    "..KWWWWWWWWWWK..",
    "..KWWWWWWWWWWK..",
    "..KWWWWWWWWWWK..",
    "..KWWWWWWWWWWK..",
    "..KKKKKKKKKKKK..",
    "................",
]

LIST_FOLDER = ["................"] + CLOSED_FOLDER

PROGRAM = [
    "................",
    "................",
    "KKKKKKKKKKKKKKK.",
    "KWWWWWWWWWWWWSKG",
    "KWNNNNNNNNNNNSKG",
    "KWNNNNNNNNNWNSKG",
    "KWSSSSSSSSSSSSKG",
    "KWWWWWWWWWWWWSKG",
    "KWWWWWWWWWWWWSKG",
    "KWWWWWWWWWWWWSKG",
    "KWWWWWWWWWWWWSKG",
    "KWWWWWWWWWWWWSKG",
    "KSSSSSSSSSSSSSKG",
    "KKKKKKKKKKKKKKKG",
    ".GGGGGGGGGGGGGGG",
    "................",
]

TAGGED_CHECK = [
    "................",
    "................",
    "................",
    "..............MR",
    ".............MRR",
    "............MRRM",
    "...........MRRM.",
    "...MR.....MRRM..",
    "...RRM...MRRM...",
    "...MRRM.MRRM....",
    "....MRRMRRM.....",
    ".....MRRRRM.....",
    "......MRRM......",
    ".......MM.......",
    "................",
    "................",
]


def list_images():
    strip = Canvas(64, 16, MAGENTA)
    strip.art(0, 0, PAGE)
    strip.art(16, 0, LIST_FOLDER)
    strip.art(32, 0, PROGRAM)
    strip.art(48, 0, PAGE)
    strip.art(48, 0, TAGGED_CHECK)
    return strip


# ------------------------------------------------------- speed-button glyphs 16x16

MINI_FOLDER = [
    "KKK....",
    "KYYKKKK",
    "KYYYYYK",
    "KYYYYOK",
    "KKKKKKK",
]


def show_tree():
    c = Canvas(16, 16, FACE)
    c.art(1, 0, MINI_FOLDER)
    c.art(8, 5, MINI_FOLDER)
    c.art(8, 11, MINI_FOLDER)
    for y in range(5, 14):
        if y % 2 == 1:
            c.put(3, y, PALETTE["K"])
    for x in range(3, 8):
        if x % 2 == 1:
            c.put(x, 8, PALETTE["K"])
            c.put(x, 13, PALETTE["K"])
    return c


GLYPH_FOLDER = [
    ".KKKK.......",
    "KYWYYK......",
    "KWWWWWKKKKK.",
    "KWYYYYYYYYOK",
    "KWYYYYYYYYOK",
    "KWYYYYYYYYOK",
    "KWYYYYYYYYOK",
    "KWYYYYYYYYOK",
    "KOOOOOOOOOOK",
    "KKKKKKKKKKKK",
]

SPARKLE = [
    "K..K..K",
    ".K.Y.K.",
    "..YWY..",
    "KYWWWYK",
    "..YWY..",
    ".K.Y.K.",
    "K..K..K",
]

UP_ARROW = [
    "...K...",
    "..KKK..",
    ".KKKKK.",
    "KKKKKKK",
    "..KKK..",
    "..KKK..",
    "..KKK..",
    "..KKK..",
]


def new_dir():
    c = Canvas(16, 16, FACE)
    c.art(0, 5, GLYPH_FOLDER)
    c.art(9, 0, SPARKLE)
    return c


def up_level():
    c = Canvas(16, 16, FACE)
    c.art(0, 5, GLYPH_FOLDER)
    c.art(8, 0, UP_ARROW)
    return c


def greyed(src):
    """The classic disabled look: dark strokes engraved as grey over white."""
    def dark(colour):
        r, g, b = colour
        return colour != src.background and 299 * r + 587 * g + 114 * b < 100000

    out = Canvas(src.width, src.height, src.background)
    marks = [(x, y) for y in range(src.height) for x in range(src.width)
             if dark(src.get(x, y))]
    for x, y in marks:
        out.put(x + 1, y + 1, WHITE)
    for x, y in marks:
        out.put(x, y, SHADOW)
    return out


# ------------------------------------------------------------------- main icon

ICON_32 = [
    "................................",
    "................................",
    "................................",
    "................................",
    "KKKKKKKKKKKKKKK.KKKKKKKKKKKKKKK.",
    "KNNNNNNNNNNNNNK.KNNNNNNNNNNNNNK.",
    "KNWWWWNNNNNNNNKGKNWWWWWNNNNNNNKG",
    "KNNNNNNNNNNNNNKGKNNNNNNNNNNNNNKG",
    "KKKKKKKKKKKKKKKGKKKKKKKKKKKKKKKG",
    "KWWWWWWWWWWWWWKGKWWWWWWWWWWWWWKG",
    "KWYYWGGGGGWWWWKGKWYYWGGGGWWWWWKG",
    "KWWWWWWWWWWWWWKGKWWWWWWWWWWWWWKG",
    "KWSSWGGGGWWWWWKGKWYYWGGGGGGWWWKG",
    "KWWWWWWWWWWWWWKGKWWWWWWWWWWWWWKG",
    "KNNNNNNNNNNNNNKGKWSSWGGGGGWWWWKG",
    "KNWWNWWWWWWNNNKGKWWWWWWWWWWWWWKG",
    "KNNNNNNNNNNNNNKGKWSSWGGGWWWWWWKG",
    "KWWWWWWWWWWWWWKGKWWWWWWWWWWWWWKG",
    "KWSSWGGGGGGWWWKGKWSSWGGGGGGWWWKG",
    "KWWWWWWWWWWWWWKGKWWWWWWWWWWWWWKG",
    "KWSSWGGGGWWWWWKGKWWWWWWWWWWWWWKG",
    "KWWWWWWWWWWWWWKGKWWWWWWWWWWWWWKG",
    "KWWWWWWWWWWWWWKGKWWWWWWWWWWWWWKG",
    "KWWWWWWWWWWWWWKGKWWWWWWWWWWWWWKG",
    "KWWWWWWWWWWWWWKGKWWWWWWWWWWWWWKG",
    "KWWWWWWWWWWWWWKGKWWWWWWWWWWWWWKG",
    "KKKKKKKKKKKKKKKGKKKKKKKKKKKKKKKG",
    ".GGGGGGGGGGGGGGG.GGGGGGGGGGGGGGG",
    "................................",
    "................................",
    "................................",
    "................................",
]

ICON_16 = [
    "................",
    "................",
    "KKKKKKK.KKKKKKK.",
    "KNNNNNKGKNNNNNKG",
    "KNWNNNKGKNWNNNKG",
    "KKKKKKKGKKKKKKKG",
    "KWWWWWKGKWWWWWKG",
    "KWGGWWKGKWGGGWKG",
    "KNNNNNKGKWWWWWKG",
    "KWGGGWKGKWGGWWKG",
    "KWWWWWKGKWWWWWKG",
    "KWGGWWKGKWGGGWKG",
    "KWWWWWKGKWWWWWKG",
    "KKKKKKKGKKKKKKKG",
    ".GGGGGGG.GGGGGGG",
    "................",
]


# ---------------------------------------------------------------------- writers

def bmp_bytes(canvas):
    stride = (canvas.width * 3 + 3) & ~3
    rows = []
    for y in reversed(range(canvas.height)):
        row = bytearray()
        for r, g, b in canvas.pixels[y]:
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 24, 0,
                       len(data), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0,
                         14 + len(info))
    return header + info + data


def ico_image(canvas):
    """One 32-bit icon image: colour with alpha, plus the AND mask."""
    clear = canvas.background
    xor = bytearray()
    for y in reversed(range(canvas.height)):
        for r, g, b in canvas.pixels[y]:
            alpha = 0 if (r, g, b) == clear else 255
            if alpha == 0:
                r = g = b = 0
            xor += bytes((b, g, r, alpha))
    mask_stride = ((canvas.width + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(canvas.height)):
        row = bytearray(mask_stride)
        for x, colour in enumerate(canvas.pixels[y]):
            if colour == clear:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height * 2, 1, 32,
                       0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(mask)


def ico_bytes(canvases):
    images = [ico_image(c) for c in canvases]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries = b""
    for canvas, image in zip(canvases, images):
        entries += struct.pack("<BBBBHHII", canvas.width % 256, canvas.height % 256,
                               0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return header + entries + b"".join(images)


def transparent_corner(name, canvas):
    if canvas.get(0, canvas.height - 1) != MAGENTA:
        raise ValueError(f"{name}: bottom-left pixel must be magenta")


def main():
    out = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

    masked = {
        "floppy": picture("floppy", FLOPPY),
        "hard": picture("hard", HARD),
        "network": picture("network", NETWORK),
        "cdrom": picture("cdrom", CDROM),
        "ram": picture("ram", RAM),
        "openfolder": open_folder(current=False),
        "currentfolder": open_folder(current=True),
        "closedfolder": picture("closedfolder", CLOSED_FOLDER),
        "listimages": list_images(),
    }
    sizes = {"floppy": (16, 11), "hard": (16, 11), "network": (16, 11),
             "cdrom": (16, 11), "ram": (16, 11), "openfolder": (16, 15),
             "currentfolder": (16, 15), "closedfolder": (16, 15),
             "listimages": (64, 16)}
    glyphs = {"showtree": show_tree(), "newdir": new_dir(), "uplevel": up_level()}

    for name, canvas in masked.items():
        if (canvas.width, canvas.height) != sizes[name]:
            raise ValueError(f"{name}: wrong size")
        transparent_corner(name, canvas)
        with open(os.path.join(out, name + ".bmp"), "wb") as f:
            f.write(bmp_bytes(canvas))
    for name, canvas in glyphs.items():
        for suffix, image in (("", canvas), ("_grey", greyed(canvas))):
            with open(os.path.join(out, name + suffix + ".bmp"), "wb") as f:
                f.write(bmp_bytes(image))

    icons = [picture("icon16", ICON_16), picture("icon32", ICON_32)]
    with open(os.path.join(out, "bivane.ico"), "wb") as f:
        f.write(ico_bytes(icons))


if __name__ == "__main__":
    main()
