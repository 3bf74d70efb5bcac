#!/usr/bin/env python3
"""Build res/icons/quillo.ico and res/icons/uninstall.ico from their SVG drawings.

Each drawing is rendered to RGBA at 16, 32 and 48 pixels (NAME-SIZE.svg when
such a hand-tuned drawing exists, NAME.svg otherwise), then every size is
stored three times: 4-bit with the standard 16-colour Windows palette, 8-bit
with a palette made for the image, and 32-bit with alpha. The .ico files are
written here byte by byte, so the same drawings always give the same bytes.

Needs rsvg-convert (Debian: librsvg2-bin) and ImageMagick's /usr/bin/convert
(Debian: imagemagick). Only a developer who changes a drawing runs this; the
.ico files it writes are committed and the build uses them as they are.

    python3 scripts/make-icons.py                  # rewrite the .ico files
    python3 scripts/make-icons.py --preview DIR    # also check them, draw PNGs
"""

import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ICON_DIR = os.path.join(ROOT, "res", "icons")
ICONS = ("quillo", "uninstall")
SIZES = (16, 32, 48)
CONVERT = "/usr/bin/convert"     # /usr/local/bin/convert may be a stand-in
IDENTIFY = "/usr/bin/identify"
WINDRES = "i686-w64-mingw32-windres"

# Order of the images inside each .ico. Windows picks the image that best fits
# the size and colour depth it wants, so the order only decides ties and what
# programs that just take the first image get: the 32x32 16-colour image, which
# every Windows version shows correctly on any display, comes first; within a
# depth the sizes go 32, 16, 48, and the 32-bit images (which Windows before
# XP draws through their AND mask only) come last.
ENTRY_ORDER = [(size, bpp) for bpp in (4, 8, 32) for size in (32, 16, 48)]

# The standard Windows 16-colour (VGA) palette in its usual index order.
VGA = [
    ("black", 0x000000), ("maroon", 0x800000), ("green", 0x008000), ("olive", 0x808000),
    ("navy", 0x000080), ("purple", 0x800080), ("teal", 0x008080), ("silver", 0xC0C0C0),
    ("gray", 0x808080), ("red", 0xFF0000), ("lime", 0x00FF00), ("yellow", 0xFFFF00),
    ("blue", 0x0000FF), ("fuchsia", 0xFF00FF), ("aqua", 0x00FFFF), ("white", 0xFFFFFF),
]
VGA_PALETTE = [(v >> 16, (v >> 8) & 0xFF, v & 0xFF) for _, v in VGA]
VGA_BY_NAME = dict(VGA)

# Which of the 16 colours stands for each colour the drawings use. Nearest-
# colour matching cannot be trusted with a palette this coarse (a tan box
# comes out olive or grey, a light red maroon), so the 16-colour images are
# rendered from the drawings recoloured by this plan, without anti-aliasing,
# the way 16-colour icons were drawn by hand. A gradient between two planned
# colours becomes two flat bands. A drawing colour missing here is an error.
VGA_PLAN = {
    # box: yellow, shaded olive, black outline
    "#f7d68c": "yellow", "#e2ad4c": "yellow", "#f2c870": "yellow",
    "#eab95c": "yellow", "#dca246": "yellow", "#c98f2e": "yellow",
    "#b9822c": "yellow", "#a8741f": "olive", "#5b3a10": "black",
    # strap and buckle
    "#3e6ad6": "blue", "#1f3f9a": "navy", "#12285e": "black",
    "#eef0f4": "white", "#34343f": "black",
    # quill
    "#ffffff": "white", "#c6cfe2": "silver", "#262a3a": "black",
    "#6f788c": "gray", "#15151c": "black",
    # removal badge
    "#f04a4a": "red", "#c41414": "red", "#e02424": "red",
    "#7a0c0c": "maroon", "#8c1010": "maroon",
}

# A pixel whose alpha is below this is transparent in the AND mask.
MASK_ALPHA = 128


class IconError(Exception):
    pass


# --------------------------------------------------------------------------
# Rendering

def run(cmd, data=None):
    try:
        proc = subprocess.run(cmd, input=data, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, check=False)
    except OSError as exc:
        raise IconError("cannot run %s: %s" % (cmd[0], exc))
    if proc.returncode != 0:
        raise IconError("%s failed: %s" % (" ".join(cmd),
                                           proc.stderr.decode(errors="replace").strip()))
    return proc.stdout


def drawing_for(name, size):
    """The SVG drawn for this size if there is one, else the main drawing."""
    for candidate in ("%s-%d.svg" % (name, size), "%s.svg" % name):
        path = os.path.join(ICON_DIR, candidate)
        if os.path.exists(path):
            return path
    raise IconError("no drawing %s.svg in %s" % (name, ICON_DIR))


def recolour_for_vga(svg, text):
    """The drawing with every colour replaced by its VGA_PLAN colour and
    anti-aliasing turned off."""
    def swap(match):
        colour = match.group(0).lower()
        if colour not in VGA_PLAN:
            raise IconError("%s: colour %s has no 16-colour choice in VGA_PLAN"
                            % (os.path.basename(svg), colour))
        return "#%06x" % VGA_BY_NAME[VGA_PLAN[colour]]
    text = re.sub(r"#[0-9a-fA-F]{6}\b", swap, text)
    if re.search(r"#[0-9a-fA-F]{3}\b", text):
        raise IconError("%s: write colours as #rrggbb" % os.path.basename(svg))
    # Later shape-rendering attributes on inner elements would turn it back
    # on, so replace them all and set it on the root element.
    text = re.sub(r'\sshape-rendering="[^"]*"', "", text)
    return re.sub(r"<svg\b", '<svg shape-rendering="crispEdges"', text, count=1)


def render(svg, size, vga=False):
    """Render an SVG to a list of size*size (r, g, b, a) tuples, top row first;
    with vga, the drawing recoloured for 16 colours.

    rsvg-convert draws straight at the wanted size, which keeps pixel-aligned
    drawings sharp; ImageMagick then turns its PNG into raw RGBA (straight,
    not premultiplied, alpha)."""
    if not shutil.which("rsvg-convert"):
        raise IconError("rsvg-convert is missing (apt-get install librsvg2-bin)")
    with open(svg, encoding="utf-8") as f:
        text = f.read()
    if vga:
        text = recolour_for_vga(svg, text)
    png = run(["rsvg-convert", "-w", str(size), "-h", str(size), "-f", "png"],
              text.encode("utf-8"))
    raw = run([CONVERT, "png:-", "-depth", "8", "rgba:-"], png)
    if len(raw) != size * size * 4:
        raise IconError("%s: expected %dx%d RGBA, got %d bytes" % (svg, size, size, len(raw)))
    return [tuple(raw[i:i + 4]) for i in range(0, len(raw), 4)]


# --------------------------------------------------------------------------
# Colour reduction

def nearest(rgb, palette):
    """Index of the palette colour nearest to rgb (ties: lowest index)."""
    best, best_d = 0, None
    for i, c in enumerate(palette):
        d = (rgb[0] - c[0]) ** 2 + (rgb[1] - c[1]) ** 2 + (rgb[2] - c[2]) ** 2
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def mask_of(pixels):
    """AND mask bits: 1 where the pixel is transparent."""
    return [1 if p[3] < MASK_ALPHA else 0 for p in pixels]


def to_4bit(pixels):
    """VGA palette indices (transparent pixels get 0, black, as the AND/XOR
    drawing needs) and the mask."""
    mask = mask_of(pixels)
    cache = {}
    indices = []
    for p, m in zip(pixels, mask):
        if m:
            indices.append(0)
            continue
        rgb = p[:3]
        if rgb not in cache:
            cache[rgb] = nearest(rgb, VGA_PALETTE)
        indices.append(cache[rgb])
    return list(VGA_PALETTE), indices, mask


def median_cut(histogram, count):
    """Reduce a {rgb: pixel count} histogram to at most `count` colours.

    Repeatedly splits the box with the widest channel range at the weighted
    median of that channel; every step breaks ties by fixed rules, so the
    result depends on the histogram alone."""
    boxes = [sorted(histogram.items())]

    def widest(box):
        ranges = [max(c[ch] for c, _ in box) - min(c[ch] for c, _ in box) for ch in range(3)]
        ch = ranges.index(max(ranges))
        return ranges[ch], ch

    while len(boxes) < count:
        best = None
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            rng, ch = widest(box)
            key = (rng, sum(n for _, n in box))
            if best is None or key > best[0]:
                best = (key, i, ch)
        if best is None:
            break
        _, i, ch = best
        box = sorted(boxes[i], key=lambda item: (item[0][ch], item[0]))
        total = sum(n for _, n in box)
        run_total, cut = 0, 1
        for j, (_, n) in enumerate(box[:-1]):
            run_total += n
            cut = j + 1
            if run_total * 2 >= total:
                break
        boxes[i:i + 1] = [box[:cut], box[cut:]]

    colours = []
    for box in boxes:
        total = sum(n for _, n in box)
        colours.append(tuple((sum(c[ch] * n for c, n in box) + total // 2) // total
                             for ch in range(3)))
    return colours


def to_8bit(pixels):
    """A 256-entry palette made for the image (black at index 0 for the
    transparent pixels), palette indices and the mask."""
    mask = mask_of(pixels)
    histogram = {}
    for p, m in zip(pixels, mask):
        if not m:
            histogram[p[:3]] = histogram.get(p[:3], 0) + 1
    black = (0, 0, 0)
    others = {c: n for c, n in histogram.items() if c != black}
    if len(others) <= 255:
        colours = sorted(others)
    else:
        colours = median_cut(others, 255)
    colours = sorted(set(colours) - {black})
    palette = [black] + colours
    palette += [black] * (256 - len(palette))

    lookup = {black: 0}
    for i, c in enumerate(colours, 1):
        lookup[c] = i
    indices = []
    for p, m in zip(pixels, mask):
        if m:
            indices.append(0)
            continue
        rgb = p[:3]
        if rgb not in lookup:
            lookup[rgb] = nearest(rgb, palette[:len(colours) + 1])
        indices.append(lookup[rgb])
    return palette, indices, mask


# --------------------------------------------------------------------------
# ICO writing

def _stride(bits):
    """Bytes in one BMP row of `bits` bits: rows are padded to 4 bytes."""
    return (bits + 31) // 32 * 4


def _mask_bytes(size, mask):
    stride = _stride(size)
    out = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            if mask[y * size + x]:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def bmp_image(size, bpp, pixels):
    """One icon image: BITMAPINFOHEADER (height doubled for XOR plus AND),
    palette, XOR bitmap bottom-up, AND mask bottom-up."""
    if bpp == 32:
        mask = mask_of(pixels)
        palette = []
        xor = bytearray()
        for y in reversed(range(size)):
            for x in range(size):
                r, g, b, a = pixels[y * size + x]
                if mask[y * size + x]:
                    # Windows before XP ignores alpha and XORs the colour of
                    # masked pixels onto the screen, so they must be black;
                    # XP still draws their faint alpha, now as a dark edge.
                    r = g = b = 0
                xor += bytes((b, g, r, a))
    else:
        palette, indices, mask = (to_4bit if bpp == 4 else to_8bit)(pixels)
        stride = _stride(size * bpp)
        xor = bytearray()
        for y in reversed(range(size)):
            row = bytearray(stride)
            for x in range(size):
                i = indices[y * size + x]
                if bpp == 8:
                    row[x] = i
                else:
                    row[x // 2] |= i << 4 if x % 2 == 0 else i
            xor += row
    and_mask = _mask_bytes(size, mask)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0,
                         len(xor) + len(and_mask), 0, 0, 0, 0)
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + colours + bytes(xor) + and_mask


def build_ico(images):
    """images: list of (size, bpp, image bytes) in file order."""
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = len(head) + 16 * len(images)
    entries, blobs = b"", b""
    for size, bpp, data in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256,
                               16 if bpp == 4 else 0, 0, 1, bpp, len(data), offset)
        blobs += data
        offset += len(data)
    return head + entries + blobs


def make_icon(name):
    """Render one icon's drawings; returns (ico bytes, entries) where each
    entry is (size, bpp, byte size, expected RGBA pixels as Windows shows them)."""
    renders = {}
    for size in SIZES:
        svg = drawing_for(name, size)
        renders[size, False] = render(svg, size)
        renders[size, True] = render(svg, size, vga=True)
    images, entries = [], []
    for size, bpp in ENTRY_ORDER:
        data = bmp_image(size, bpp, renders[size, bpp == 4])
        images.append((size, bpp, data))
        entries.append((size, bpp, len(data), decode_bmp(data)))
    return build_ico(images), entries


# --------------------------------------------------------------------------
# Checking and preview

def decode_bmp(data):
    """Pixels of one icon image as (r, g, b, a), top row first: alpha from the
    image for 32-bit, from the AND mask otherwise."""
    _, size, _, _, bpp, _, _, _, _, used, _ = struct.unpack_from("<IiiHHIIiiII", data)
    pos = 40
    palette = []
    if bpp <= 8:
        for _ in range(used or (1 << bpp)):
            b, g, r, _ = data[pos:pos + 4]
            palette.append((r, g, b))
            pos += 4
    stride = _stride(size * bpp)
    xor = data[pos:pos + stride * size]
    mstride = _stride(size)
    and_mask = data[pos + stride * size:pos + stride * size + mstride * size]
    pixels = [None] * (size * size)
    for row in range(size):
        y = size - 1 - row
        for x in range(size):
            masked = and_mask[row * mstride + x // 8] & (0x80 >> (x % 8))
            if bpp == 32:
                b, g, r, a = xor[row * stride + 4 * x:row * stride + 4 * x + 4]
            else:
                if bpp == 8:
                    i = xor[row * stride + x]
                else:
                    byte = xor[row * stride + x // 2]
                    i = byte >> 4 if x % 2 == 0 else byte & 15
                r, g, b = palette[i]
                a = 0 if masked else 255
            pixels[y * size + x] = (r, g, b, a)
    return pixels


def check_with_imagemagick(path, entries):
    """Have ImageMagick read every image of the .ico and compare it with what
    was meant; returns a list of problems."""
    problems = []
    listing = run([IDENTIFY, "-format", "%w %h\n", path]).decode().split()
    found = [(int(w), int(h)) for w, h in zip(listing[0::2], listing[1::2])]
    if found != [(e[0], e[0]) for e in entries]:
        problems.append("%s: identify sees %s" % (path, found))
        return problems
    for index, (size, bpp, _, expected) in enumerate(entries):
        raw = run([CONVERT, "ico:%s[%d]" % (path, index), "-depth", "8", "rgba:-"])
        got = [tuple(raw[i:i + 4]) for i in range(0, len(raw), 4)]
        if len(got) != size * size:
            problems.append("%s[%d]: ImageMagick read %d pixels" % (path, index, len(got)))
            continue
        bad = 0
        for g, e in zip(got, expected):
            if bpp == 32:
                same = g[3] == e[3] and (e[3] == 0 or g[:3] == e[:3])
            else:
                same = (g[3] >= 128) == (e[3] >= 128) and (e[3] == 0 or g[:3] == e[:3])
            bad += not same
        if bad:
            problems.append("%s[%d] %dx%d %d-bit: %d pixels differ when ImageMagick reads it"
                            % (path, index, size, size, bpp, bad))
    return problems


def check_with_windres(paths):
    """Compile a resource script naming the icons, as the build will."""
    if not shutil.which(WINDRES):
        return ["%s not found: resource check skipped" % WINDRES]
    with tempfile.TemporaryDirectory() as tmp:
        rc = os.path.join(tmp, "icons.rc")
        with open(rc, "w") as f:
            for n, path in enumerate(paths, 1):
                f.write('%d ICON "%s"\n' % (n, path.replace("\\", "/")))
        try:
            run([WINDRES, "-O", "coff", rc, os.path.join(tmp, "icons.o")])
        except IconError as exc:
            return [str(exc)]
    return []


def write_png(path, width, height, rgb):
    """A plain 8-bit RGB PNG."""
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + bytes(rgb[y * width * 3:(y + 1) * width * 3]) for y in range(height))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n"
                + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


TEAL = (0x00, 0x80, 0x80)
SHEET_BG = (0x40, 0x40, 0x40)
ZOOM = 4
GAP = 8


def _checker(x, y):
    return (0xFF, 0xFF, 0xFF) if ((x // 8) + (y // 8)) % 2 == 0 else (0xC8, 0xC8, 0xC8)


def contact_sheet(path, icons):
    """One PNG: per icon a block of rows (4-, 8-, 32-bit) and columns (16, 32,
    48 px); each cell shows the image 4x on desktop teal, 4x on a
    checkerboard, then 1x on teal, white and black."""
    def cell_width(size):
        return size * ZOOM * 2 + GAP + size + 4

    col_x, x = {}, GAP
    for size in SIZES:
        col_x[size] = x
        x += cell_width(size) + GAP * 2
    width = x - GAP
    row_h = max(max(SIZES) * ZOOM, 3 * (max(SIZES) + 4))
    block_h = 3 * (row_h + GAP)
    height = GAP + len(icons) * (block_h + GAP)
    canvas = bytearray(bytes(SHEET_BG) * (width * height))

    def put(x, y, colour):
        i = (y * width + x) * 3
        canvas[i:i + 3] = bytes(colour)

    def draw(pixels, size, x0, y0, zoom, background):
        for y in range(size * zoom):
            for x in range(size * zoom):
                p = pixels[(y // zoom) * size + x // zoom]
                bg, a = background(x, y), p[3]
                put(x0 + x, y0 + y,
                    tuple((p[c] * a + bg[c] * (255 - a) + 127) // 255 for c in range(3)))

    for b, (_, entries) in enumerate(icons):
        top = GAP + b * (block_h + GAP)
        for size, bpp, _, pixels in entries:
            x0 = col_x[size]
            y0 = top + (4, 8, 32).index(bpp) * (row_h + GAP)
            big = size * ZOOM
            draw(pixels, size, x0, y0, ZOOM, lambda x, y: TEAL)
            draw(pixels, size, x0 + big + GAP // 2, y0, ZOOM, _checker)
            sx = x0 + big * 2 + GAP
            for k, bg in enumerate((TEAL, (255, 255, 255), (0, 0, 0))):
                sy = y0 + k * (size + 4)
                for y in range(size + 4):
                    for x in range(size + 4):
                        put(sx + x, sy + y, bg)
                draw(pixels, size, sx + 2, sy + 2, 1, lambda x, y, bg=bg: bg)
    write_png(path, width, height, canvas)


def preview(directory, built):
    os.makedirs(directory, exist_ok=True)
    problems = []
    for name, (path, entries) in built.items():
        problems += check_with_imagemagick(path, entries)
        for size, bpp, _, pixels in entries:
            # Each entry on its own, 1x, flattened onto teal.
            flat = bytearray()
            for p in pixels:
                a = p[3]
                flat += bytes((p[c] * a + TEAL[c] * (255 - a) + 127) // 255 for c in range(3))
            write_png(os.path.join(directory, "%s-%d-%dbit.png" % (name, size, bpp)),
                      size, size, flat)
    problems += check_with_windres([path for path, _ in built.values()])
    sheet = os.path.join(directory, "contact-sheet.png")
    contact_sheet(sheet, [(name, entries) for name, (_, entries) in built.items()])
    print("contact sheet: %s (per icon: rows 4/8/32-bit, columns 16/32/48 px)" % sheet)
    return problems


def main(argv):
    parser = argparse.ArgumentParser(description="Build the Quillo .ico files from SVG drawings.")
    parser.add_argument("--preview", metavar="DIR",
                        help="check the written .ico files and draw PNGs of every image into DIR")
    args = parser.parse_args(argv)
    try:
        built = {}
        for name in ICONS:
            data, entries = make_icon(name)
            path = os.path.join(ICON_DIR, name + ".ico")
            with open(path, "wb") as f:
                f.write(data)
            built[name] = (path, entries)
            print("%s: %d bytes" % (os.path.relpath(path, ROOT), len(data)))
            for size, bpp, nbytes, _ in entries:
                print("  %2dx%-2d %2d-bit %6d bytes" % (size, size, bpp, nbytes))
        if args.preview:
            problems = preview(args.preview, built)
            for p in problems:
                print("problem: " + p, file=sys.stderr)
            if problems:
                return 1
    except IconError as exc:
        print("make-icons: " + str(exc), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
