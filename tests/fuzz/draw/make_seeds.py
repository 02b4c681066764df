#!/usr/bin/env python3
"""Writes the seed corpus of the picture loaders' fuzz targets: one small file
for each variant the loaders know, so the fuzzer starts from every branch.

    python3 tests/fuzz/draw/make_seeds.py    (from anywhere; writes beside itself)
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
W, H = 5, 3


def colour(x, y):
    return (x * 60) % 256, (y * 100) % 256, (x * y * 40 + 30) % 256


def save(folder, name, data):
    path = os.path.join(HERE, "corpus", folder)
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, name), "wb") as f:
        f.write(data)


# BMP ------------------------------------------------------------------------

def bmp(pixels, bpp, header=40, height=H, compression=0, palette=b"", masks=b"", colours=0, width=W):
    if header == 12:
        info = struct.pack("<IHHHH", 12, width, height, 1, bpp)
    else:
        info = struct.pack("<IiiHHIIiiII", header, width, height, 1, bpp, compression,
                           len(pixels), 2835, 2835, colours, 0)
        if header >= 52:
            info += masks.ljust(header - 40, b"\0")[: header - 40]
    extra = masks if header == 40 else b""
    offset = 14 + len(info) + len(extra) + len(palette)
    head = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    return head + info + extra + palette + pixels


def pad4(row):
    return row + b"\0" * (-len(row) % 4)


def pack_indices(indices, bpp):
    out, acc, bits = bytearray(), 0, 0
    for i in indices:
        acc = (acc << bpp) | i
        bits += bpp
        if bits == 8:
            out.append(acc)
            acc, bits = 0, 0
    if bits:
        out.append(acc << (8 - bits))
    return bytes(out)


def bmp_rows(row_bytes, top_down=False):
    rows = [pad4(row_bytes(y)) for y in range(H)]
    return b"".join(rows if top_down else reversed(rows))


def bmp_seeds():
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in (colour(i, i % 3) for i in range(16)))
    index = lambda x, y: (x + 2 * y) % 16
    save("bmp", "indexed1.bmp", bmp(bmp_rows(lambda y: pack_indices([(x + y) & 1 for x in range(W)], 1)), 1,
                                    palette=palette[:8]))
    save("bmp", "indexed4.bmp", bmp(bmp_rows(lambda y: pack_indices([index(x, y) for x in range(W)], 4)), 4,
                                    palette=palette, colours=16))
    save("bmp", "indexed8.bmp", bmp(bmp_rows(lambda y: bytes(index(x, y) for x in range(W))), 8,
                                    palette=palette, colours=16))
    core_palette = b"".join(palette[i:i + 3] for i in range(0, 64, 4)) + b"\0" * 720
    save("bmp", "core8.bmp", bmp(bmp_rows(lambda y: bytes(index(x, y) for x in range(W))), 8, header=12,
                                 palette=core_palette))
    bgr = lambda y: b"".join(bytes(reversed(colour(x, y))) for x in range(W))
    save("bmp", "rgb24.bmp", bmp(bmp_rows(bgr), 24))
    save("bmp", "rgb24_topdown.bmp", bmp(bmp_rows(bgr, top_down=True), 24, height=-H))
    p555 = lambda y: b"".join(struct.pack("<H", (r >> 3) << 10 | (g >> 3) << 5 | b >> 3) for r, g, b in
                              (colour(x, y) for x in range(W)))
    save("bmp", "rgb555.bmp", bmp(bmp_rows(p555), 16))
    p565 = lambda y: b"".join(struct.pack("<H", (r >> 3) << 11 | (g >> 2) << 5 | b >> 3) for r, g, b in
                              (colour(x, y) for x in range(W)))
    save("bmp", "rgb565_fields.bmp", bmp(bmp_rows(p565), 16, compression=3,
                                         masks=struct.pack("<III", 0xF800, 0x07E0, 0x001F)))
    bgra = lambda y: b"".join(bytes(reversed(colour(x, y))) + bytes((x * 50,)) for x in range(W))
    save("bmp", "rgb32.bmp", bmp(bmp_rows(bgra), 32))
    save("bmp", "rgba32_v5.bmp", bmp(bmp_rows(bgra), 32, header=124, compression=3,
                                     masks=struct.pack("<IIII", 0xFF0000, 0xFF00, 0xFF, 0xFF000000)))
    rle8 = bytes((2, 1, 0, 3, 4, 5, 6, 0, 0, 0, 5, 7, 0, 0, 0, 2, 1, 0, 2, 9, 0, 1))
    save("bmp", "rle8.bmp", bmp(rle8, 8, compression=1, palette=palette, colours=16))
    rle4 = bytes((3, 0x12, 2, 0x34, 0, 0, 0, 5, 0x56, 0x78, 0x90, 0, 0, 0, 4, 0xAB, 0, 1))
    save("bmp", "rle4.bmp", bmp(rle4, 4, compression=2, palette=palette, colours=16))


# TGA ------------------------------------------------------------------------

def tga(image_type, depth, pixels, descriptor=0, colour_map=b"", map_bits=0, map_length=0, ident=b""):
    map_type = 1 if colour_map else 0
    head = struct.pack("<BBBHHBHHHHBB", len(ident), map_type, image_type, 0, map_length, map_bits,
                       0, 0, W, H, depth, descriptor)
    return head + ident + colour_map + pixels


def tga_pixel(x, y, depth):
    r, g, b = colour(x, y)
    if depth == 8:
        return bytes((r,))
    if depth in (15, 16):
        alpha = 0x8000 if depth == 16 and x % 2 else 0
        return struct.pack("<H", alpha | (r >> 3) << 10 | (g >> 3) << 5 | b >> 3)
    if depth == 24:
        return bytes((b, g, r))
    return bytes((b, g, r, x * 50))


def tga_plain(depth, top=False):
    rows = range(H) if top else reversed(range(H))
    return b"".join(tga_pixel(x, y, depth) for y in rows for x in range(W))


def tga_rle(depth):
    """Alternating run and raw packets, one crossing from row to row."""
    pixels = [tga_pixel(x, y, depth) for y in reversed(range(H)) for x in range(W)]
    out, i = bytearray(), 0
    while i < len(pixels):
        if (i // 4) % 2 == 0:
            count = min(4, len(pixels) - i)
            out += bytes((0x80 | (count - 1),)) + pixels[i]
        else:
            count = min(3, len(pixels) - i)
            out += bytes((count - 1,)) + b"".join(pixels[i:i + count])
        i += count
    return bytes(out)


def tga_seeds():
    for depth, alpha in ((15, 0), (16, 1), (24, 0), (32, 8)):
        save("tga", "truecolour%d.tga" % depth, tga(2, depth, tga_plain(depth), descriptor=alpha))
        save("tga", "truecolour%d_rle.tga" % depth, tga(10, depth, tga_rle(depth), descriptor=alpha))
    save("tga", "truecolour24_top_right.tga", tga(2, 24, tga_plain(24, top=True), descriptor=0x30, ident=b"seed"))
    save("tga", "grey.tga", tga(3, 8, tga_plain(8)))
    save("tga", "grey_rle.tga", tga(11, 8, tga_rle(8)))
    grey_alpha = b"".join(bytes((x * 40, y * 90)) for y in range(H) for x in range(W))
    save("tga", "grey_alpha.tga", tga(3, 16, grey_alpha, descriptor=0x28))
    colour_map = b"".join(bytes(reversed(colour(i, i))) for i in range(8))
    indices = bytes((x + y) % 8 for y in range(H) for x in range(W))
    save("tga", "mapped.tga", tga(1, 8, indices, colour_map=colour_map, map_bits=24, map_length=8))
    mapped_rle = bytes((0x82, 1, 0x03, 2, 3, 4, 5, 0x89, 6, 0x00, 7))
    save("tga", "mapped_rle.tga", tga(9, 8, mapped_rle, colour_map=colour_map, map_bits=24, map_length=8))


# PNG ------------------------------------------------------------------------

def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png(colour_type, depth, rows, palette=b"", trns=b"", interlaced=False, width=W, height=H):
    ihdr = struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 1 if interlaced else 0)
    raw = b"".join(b"\0" + row for row in rows)
    body = chunk(b"IHDR", ihdr)
    if palette:
        body += chunk(b"PLTE", palette)
    if trns:
        body += chunk(b"tRNS", trns)
    return b"\x89PNG\r\n\x1a\n" + body + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def adam7_rows(pixel):
    """Scan lines of the seven interlace passes, one byte string per line."""
    passes = ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2))
    rows = []
    for x0, y0, dx, dy in passes:
        for y in range(y0, H, dy):
            line = b"".join(pixel(x, y) for x in range(x0, W, dx))
            if line:
                rows.append(line)
    return rows


def png_seeds():
    rgb = lambda x, y: bytes(colour(x, y))
    rows = lambda pixel: [b"".join(pixel(x, y) for x in range(W)) for y in range(H)]
    save("png", "grey1.png", png(0, 1, [pack_indices([(x + y) & 1 for x in range(W)], 1) for y in range(H)]))
    save("png", "grey16.png", png(0, 16, rows(lambda x, y: struct.pack(">H", x * 10000 + y))))
    save("png", "grey_trns.png", png(0, 8, rows(lambda x, y: bytes((x * 60,))), trns=struct.pack(">H", 60)))
    save("png", "grey_alpha.png", png(4, 8, rows(lambda x, y: bytes((x * 60, y * 100)))))
    save("png", "rgb.png", png(2, 8, rows(rgb)))
    save("png", "rgb16.png", png(2, 16, rows(lambda x, y: b"".join(struct.pack(">H", c * 257) for c in colour(x, y)))))
    save("png", "rgba.png", png(6, 8, rows(lambda x, y: rgb(x, y) + bytes((x * 60,)))))
    palette = b"".join(bytes(colour(i, i % 3)) for i in range(16))
    save("png", "palette4_trns.png", png(3, 4, [pack_indices([(x + 2 * y) % 16 for x in range(W)], 4) for y in range(H)],
                                         palette=palette, trns=bytes((0, 128, 255))))
    # Filter bytes of 0 per line are what adam7_rows leaves to png() to add
    save("png", "rgb_interlaced.png", png(2, 8, adam7_rows(rgb), interlaced=True))


if __name__ == "__main__":
    bmp_seeds()
    tga_seeds()
    png_seeds()
