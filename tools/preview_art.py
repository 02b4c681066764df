#!/usr/bin/python3
"""Composes a mock screenshot of a run from the shipped art, to judge it in place.

    /usr/bin/python3 tools/preview_art.py [out.png] [scroll] [art-folder]

The scene is built the way the game draws it: a black screen, 25 backdrop rows
tinted and faded as the game does, the sun in three layers, then objects, a
pair, birds, particles, the player in several poses and the crosshair. Sprites
are masked on (255, 0, 255), drawn about their centre, scaled and turned with
bilinear filtering, tinted by multiplying and blended with their alpha. The
picture is written outside the repository (by default /tmp/varnick_mock.png),
with a magnified crop of the ground beside it (_zoom).
"""

import math
import os
import sys

from PIL import Image, ImageChops

MAGENTA = (255, 0, 255)
HERE = os.path.dirname(os.path.abspath(__file__))


def masked(img):
    """RGBA with the mask colour clear; clear pixels take the mean of their
    art neighbours so that filtering does not drag magenta in, like the game."""
    img = img.convert("RGB")
    w, h = img.size
    src = img.load()
    out = Image.new("RGBA", (w, h))
    dst = out.load()
    for y in range(h):
        for x in range(w):
            c = src[x, y]
            if c != MAGENTA:
                dst[x, y] = c + (255,)
                continue
            acc = [0, 0, 0, 0]
            for dx in (-1, 0, 1):
                for dy in (-1, 0, 1):
                    xx, yy = x + dx, y + dy
                    if 0 <= xx < w and 0 <= yy < h and src[xx, yy] != MAGENTA:
                        n = src[xx, yy]
                        acc[0] += n[0]
                        acc[1] += n[1]
                        acc[2] += n[2]
                        acc[3] += 1
            if acc[3]:
                dst[x, y] = (acc[0] // acc[3], acc[1] // acc[3], acc[2] // acc[3], 0)
            else:
                dst[x, y] = (0, 0, 0, 0)
    return out


class Sheet:
    def __init__(self, path, cell):
        self.img = masked(Image.open(path))
        self.cell = cell
        self.cols = self.img.size[0] // cell

    def frame(self, n):
        c = self.cell
        x, y = c * (n % self.cols), c * (n // self.cols)
        return self.img.crop((x, y, x + c, y + c))


def draw(screen, sprite, x, y, rot=0.0, sx=1.0, sy=1.0, alpha=1.0, tint=(255, 255, 255),
         handle=None):
    """Draws sprite with its handle at (x, y); rot in degrees, clockwise on screen."""
    w, h = sprite.size
    hx, hy = handle if handle is not None else (w / 2.0, h / 2.0)
    spr = sprite
    if tint != (255, 255, 255):
        r, g, b, a = spr.split()
        rgb = ImageChops.multiply(Image.merge("RGB", (r, g, b)), Image.new("RGB", (w, h), tint))
        spr = Image.merge("RGBA", rgb.split() + (a,))
    # Affine map from screen to sprite pixels: scale, then rotate about the handle.
    ca, sa = math.cos(math.radians(rot)), math.sin(math.radians(rot))
    corners = []
    for (u, v) in ((0, 0), (w, 0), (0, h), (w, h)):
        px, py = (u - hx) * sx, (v - hy) * sy
        corners.append((x + px * ca - py * sa, y + px * sa + py * ca))
    x0 = math.floor(min(c[0] for c in corners)) - 1
    y0 = math.floor(min(c[1] for c in corners)) - 1
    x1 = math.ceil(max(c[0] for c in corners)) + 1
    y1 = math.ceil(max(c[1] for c in corners)) + 1
    ow, oh = x1 - x0, y1 - y0
    # Inverse: sprite = R^-1 (screen - pos) / scale + handle.
    a = ca / sx
    b = sa / sx
    d = -sa / sy
    e = ca / sy
    ox, oy = x0 - x, y0 - y
    coeffs = (a, b, a * ox + b * oy + hx, d, e, d * ox + e * oy + hy)
    layer = spr.transform((ow, oh), Image.AFFINE, coeffs, resample=Image.BILINEAR)
    if alpha < 1.0:
        r, g, bb, al = layer.split()
        al = al.point(lambda v: int(v * alpha + 0.5))
        layer = Image.merge("RGBA", (r, g, bb, al))
    screen.alpha_composite(layer, (int(x0), int(y0))) if x0 >= 0 and y0 >= 0 else \
        _composite_clipped(screen, layer, int(x0), int(y0))


def _composite_clipped(screen, layer, x0, y0):
    sw, sh = screen.size
    lx0, ly0 = max(0, -x0), max(0, -y0)
    lx1, ly1 = min(layer.size[0], sw - x0), min(layer.size[1], sh - y0)
    if lx1 <= lx0 or ly1 <= ly0:
        return
    screen.alpha_composite(layer.crop((lx0, ly0, lx1, ly1)), (x0 + lx0, y0 + ly0))


def backdrop(screen, bar, scroll):
    for r in range(25):
        tint = (100, 100 + 4 * r, 255) if r <= 13 else (255, 200, 100)
        alpha = 0.75 - r / 100.0
        f = (0.2, 0.4, 0.6, 0.8, 1.0, 1.2)[r - 14] if 14 <= r <= 19 else 0.1
        o = int(math.fmod(scroll * f, 800.0))
        for x in (-o - 800, -o, -o + 800):
            draw(screen, bar, x, (r - 1) * 32, alpha=alpha, tint=tint, handle=(0, 0))


def sun(screen, gfx, frame_counter, sxs, sys_):
    tint = (255, 200, 100)
    draw(screen, gfx.frame(30), 700, 60, alpha=0.75, tint=tint)
    draw(screen, gfx.frame(31), 700, 60, rot=frame_counter, sx=sxs, sy=sys_, alpha=0.5, tint=tint)
    draw(screen, gfx.frame(31), 700, 60, rot=-frame_counter, sx=2.3 - sys_, sy=2.3 - sxs,
         alpha=0.25, tint=tint)


def main(argv):
    out = argv[1] if len(argv) > 1 else "/tmp/varnick_mock.png"
    scroll = int(argv[2]) if len(argv) > 2 else 1336
    art = argv[3] if len(argv) > 3 else os.path.join(HERE, "..", "system", "m013")
    player = Sheet(os.path.join(art, "varnicka.png"), 64)
    gfx = Sheet(os.path.join(art, "gfx.png"), 64)
    parts = Sheet(os.path.join(art, "particles.png"), 8)
    bar = masked(Image.open(os.path.join(art, "bar.png")))

    screen = Image.new("RGBA", (800, 600), (0, 0, 0, 255))
    backdrop(screen, bar, scroll)
    fc = scroll // 4
    sun(screen, gfx, fc, 1.22, 1.08)

    ground = 550
    # Birds above, one shot and falling with its feathers.
    for (x, y, f) in ((140, 300, 40), (330, 262, 41), (470, 380, 42), (610, 318, 43)):
        draw(screen, gfx.frame(f), x, y)
    draw(screen, gfx.frame(45), 740, 400)
    for i in range(16):
        a = i * 22.5
        draw(screen, parts.frame(i % 2), 740 + math.sin(math.radians(a)) * (10 + i % 5 * 4),
             392 - math.cos(math.radians(a)) * (10 + i % 3 * 5), rot=a * 3)

    # Ground objects and a pair; the rolling wheel bounces and turns.
    draw(screen, gfx.frame(0), 300, ground)
    draw(screen, gfx.frame(1), 390, ground)
    bounce = abs(math.cos(math.radians(fc * 8)) * 16.0)
    draw(screen, gfx.frame(2), 480, int(ground + bounce), rot=-2 * fc)
    draw(screen, gfx.frame(2), 560, ground + 16, rot=-2 * fc + 40)
    draw(screen, gfx.frame(20), 680, ground)
    draw(screen, gfx.frame(10), 680, ground - 64)
    for i in range(8):
        a = -20 - i * 8
        draw(screen, parts.frame(2 + i % 2), 560 + math.sin(math.radians(a)) * (8 + i * 3),
             540 - math.cos(math.radians(a)) * (8 + i * 2), rot=i * 50)

    # The player: running, a jump caught mid-spin, ducking under the pair.
    draw(screen, player.frame(0), 60, ground)
    draw(screen, player.frame(2), 120, ground)
    draw(screen, player.frame(13), 200, 484, rot=160)
    draw(screen, player.frame(14), 250, 450, rot=290)
    draw(screen, player.frame(20), 684, ground)
    for i in range(10):
        a = -10 - i * 6
        draw(screen, parts.frame(4 + i % 2), 684 - (i * 5) + math.sin(math.radians(a)) * 6,
             ground + 32 - i * 2 - math.cos(math.radians(a)) * 4, rot=i * 37)

    draw(screen, gfx.frame(50), 330, 262)
    shot = screen.convert("RGB")
    shot.save(out)
    root, ext = os.path.splitext(out)
    shot.crop((0, 380, 400, 600)).resize((800, 440), Image.NEAREST).save(root + "_zoom" + ext)
    print(out)


if __name__ == "__main__":
    main(sys.argv)
