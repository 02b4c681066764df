#!/usr/bin/python3
"""Draws the game's shipped art and writes it to system/m013/.

    /usr/bin/python3 tools/make_art.py [output-folder]

Writes varnicka.png (the player), gfx.png (objects, birds, sun, crosshair),
particles.png and bar.png (one backdrop row). Everything is drawn from code
with fixed seeds, so running it again gives byte-identical files; the committed
PNG files are what the game ships, and tools/art_sums.py must be run after any
change because the game checks the first bytes of the two main sheets.

Sprites are described as stacks of shapes given by signed distance functions,
sampled 4 x 4 per pixel near edges. The game masks the colour (255, 0, 255) to
transparent, so coverage is thresholded at one half and only art colours are
averaged: no pixel ever blends toward magenta. A dark 1-px outline is then put
around every sprite but the sun (which is tinted, so it stays light), which
reads well on both sky and sand once the game's bilinear filtering softens it.
"""

import math
import os
import sys

from PIL import Image

MAGENTA = (255, 0, 255)
CELL = 64
SHEET_COLS = 10
SHEET = CELL * SHEET_COLS  # 10 x 10 cells: the game loads 100 frames per sheet

# Light from the upper right, where the sun stands, slightly towards the viewer.
_L = (0.5, -0.62, 0.6)
_LN = math.sqrt(sum(c * c for c in _L))
LIGHT = tuple(c / _LN for c in _L)
_H = (LIGHT[0], LIGHT[1], LIGHT[2] + 1.0)
_HN = math.sqrt(sum(c * c for c in _H))
HALF = tuple(c / _HN for c in _H)


# ---------------------------------------------------------------- noise

def _hash(ix, iy, seed):
    n = (ix * 374761393 + iy * 668265263 + seed * 1442695041) & 0xFFFFFFFF
    n = ((n ^ (n >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((n ^ (n >> 16)) & 0xFFFF) / 65535.0


def vnoise(x, y, seed, px=0):
    """Smooth value noise in 0..1; with px > 0 it repeats every px in x."""
    ix, iy = math.floor(x), math.floor(y)
    fx, fy = x - ix, y - iy
    ux, uy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
    ix1 = ix + 1
    if px:
        ix, ix1 = ix % px, ix1 % px
    a = _hash(ix, iy, seed)
    b = _hash(ix1, iy, seed)
    c = _hash(ix, iy + 1, seed)
    d = _hash(ix1, iy + 1, seed)
    return a + (b - a) * ux + (c - a) * uy + (a - b - c + d) * ux * uy


def fbm(x, y, seed, octaves=3, px=0):
    total, amp, norm = 0.0, 1.0, 0.0
    for o in range(octaves):
        total += amp * vnoise(x, y, seed + o * 101, px)
        norm += amp
        amp *= 0.5
        x, y = x * 2.0, y * 2.0
        px *= 2
    return total / norm


# ---------------------------------------------------------------- shapes

def _clamp(v, lo, hi):
    return lo if v < lo else hi if v > hi else v


def _rot(x, y, ang):
    c, s = math.cos(ang), math.sin(ang)
    return x * c - y * s, x * s + y * c


class Shape:
    bbox = (-1e9, -1e9, 1e9, 1e9)

    def d(self, x, y):
        raise NotImplementedError

    def normal(self, x, y):
        """Surface normal as if the shape were a soft, rounded bulge."""
        e = 0.35
        gx = self.d(x + e, y) - self.d(x - e, y)
        gy = self.d(x, y + e) - self.d(x, y - e)
        g = math.hypot(gx, gy) or 1.0
        depth = -self.d(x, y)
        bevel = getattr(self, "bevel", 2.5)
        k = _clamp(1.0 - depth / bevel, 0.0, 1.0) * 0.85
        return (gx / g * k, gy / g * k, math.sqrt(1.0 - k * k))


class Circle(Shape):
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r = cx, cy, r
        self.bbox = (cx - r, cy - r, cx + r, cy + r)

    def d(self, x, y):
        return math.hypot(x - self.cx, y - self.cy) - self.r

    def normal(self, x, y):
        nx, ny = (x - self.cx) / self.r, (y - self.cy) / self.r
        q = nx * nx + ny * ny
        if q >= 1.0:
            m = math.sqrt(q) or 1.0
            return (nx / m, ny / m, 0.0)
        return (nx, ny, math.sqrt(1.0 - q))


class Ellipse(Shape):
    def __init__(self, cx, cy, rx, ry, ang=0.0):
        self.cx, self.cy, self.rx, self.ry = cx, cy, rx, ry
        self.a = math.radians(ang)
        r = max(rx, ry)
        self.bbox = (cx - r, cy - r, cx + r, cy + r)

    def _local(self, x, y):
        return _rot(x - self.cx, y - self.cy, -self.a)

    def d(self, x, y):
        lx, ly = self._local(x, y)
        k = math.hypot(lx / self.rx, ly / self.ry)
        if k < 1e-9:
            return -min(self.rx, self.ry)
        # Distance along the ray scaled back to pixels: close enough near the edge.
        gx, gy = lx / (self.rx * self.rx), ly / (self.ry * self.ry)
        g = math.hypot(gx, gy) / k
        return (k - 1.0) / g if g > 1e-9 else (k - 1.0) * min(self.rx, self.ry)

    def normal(self, x, y):
        lx, ly = self._local(x, y)
        nx, ny = lx / self.rx, ly / self.ry
        q = nx * nx + ny * ny
        nx, ny = _rot(nx, ny, self.a)
        if q >= 1.0:
            m = math.sqrt(q) or 1.0
            return (nx / m, ny / m, 0.0)
        return (nx, ny, math.sqrt(1.0 - q))


class Capsule(Shape):
    """A limb: a segment with a radius that may change from r1 to r2."""

    def __init__(self, ax, ay, bx, by, r1, r2=None):
        self.ax, self.ay, self.bx, self.by = ax, ay, bx, by
        self.r1 = r1
        self.r2 = r1 if r2 is None else r2
        r = max(self.r1, self.r2)
        self.bbox = (min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r, max(ay, by) + r)
        self.vx, self.vy = bx - ax, by - ay
        self.ll = self.vx * self.vx + self.vy * self.vy or 1e-9

    def _near(self, x, y):
        t = _clamp(((x - self.ax) * self.vx + (y - self.ay) * self.vy) / self.ll, 0.0, 1.0)
        qx, qy = self.ax + self.vx * t, self.ay + self.vy * t
        return t, qx, qy, self.r1 + (self.r2 - self.r1) * t

    def d(self, x, y):
        t, qx, qy, r = self._near(x, y)
        return math.hypot(x - qx, y - qy) - r

    def normal(self, x, y):
        t, qx, qy, r = self._near(x, y)
        nx, ny = (x - qx) / r, (y - qy) / r
        q = nx * nx + ny * ny
        if q >= 1.0:
            m = math.sqrt(q) or 1.0
            return (nx / m, ny / m, 0.0)
        return (nx, ny, math.sqrt(1.0 - q))


class Box(Shape):
    def __init__(self, cx, cy, hw, hh, ang=0.0, rad=0.0, bevel=2.5):
        self.cx, self.cy, self.hw, self.hh = cx, cy, hw, hh
        self.a = math.radians(ang)
        self.rad = rad
        self.bevel = bevel
        r = math.hypot(hw, hh)
        self.bbox = (cx - r, cy - r, cx + r, cy + r)

    def d(self, x, y):
        lx, ly = _rot(x - self.cx, y - self.cy, -self.a)
        qx = abs(lx) - self.hw + self.rad
        qy = abs(ly) - self.hh + self.rad
        out = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return out + min(max(qx, qy), 0.0) - self.rad


class Poly(Shape):
    def __init__(self, pts, rad=0.0, bevel=2.5):
        self.p = list(pts)
        self.rad = rad
        self.bevel = bevel
        xs = [p[0] for p in self.p]
        ys = [p[1] for p in self.p]
        self.bbox = (min(xs) - rad, min(ys) - rad, max(xs) + rad, max(ys) + rad)

    def d(self, x, y):
        p = self.p
        n = len(p)
        best = 1e18
        inside = False
        j = n - 1
        for i in range(n):
            xi, yi = p[i]
            xj, yj = p[j]
            ex, ey = xj - xi, yj - yi
            wx, wy = x - xi, y - yi
            ee = ex * ex + ey * ey or 1e-12
            t = _clamp((wx * ex + wy * ey) / ee, 0.0, 1.0)
            dx, dy = wx - ex * t, wy - ey * t
            dd = dx * dx + dy * dy
            if dd < best:
                best = dd
            if (yi > y) != (yj > y):
                if x < xi + (y - yi) * ex / (ey if ey else 1e-12):
                    inside = not inside
            j = i
        dist = math.sqrt(best)
        return (-dist if inside else dist) - self.rad


class Union(Shape):
    def __init__(self, *shapes, bevel=2.5):
        self.s = shapes
        self.bevel = bevel
        self.bbox = (min(s.bbox[0] for s in shapes), min(s.bbox[1] for s in shapes),
                     max(s.bbox[2] for s in shapes), max(s.bbox[3] for s in shapes))

    def d(self, x, y):
        return min(s.d(x, y) for s in self.s)

    def normal(self, x, y):
        best = min(self.s, key=lambda s: s.d(x, y))
        return best.normal(x, y)


class Smooth(Shape):
    """Union with a soft fillet between the parts (a body that grows arms)."""

    def __init__(self, k, *shapes, bevel=2.5):
        self.k = k
        self.s = shapes
        self.bevel = bevel
        self.bbox = Union(*shapes).bbox

    def d(self, x, y):
        k = self.k
        res = self.s[0].d(x, y)
        for s in self.s[1:]:
            b = s.d(x, y)
            h = _clamp(0.5 + 0.5 * (b - res) / k, 0.0, 1.0)
            res = b + (res - b) * h - k * h * (1.0 - h)
        return res


class Sub(Shape):
    def __init__(self, a, *cut):
        self.a, self.cut = a, cut
        self.bbox = a.bbox
        self.bevel = getattr(a, "bevel", 2.5)

    def d(self, x, y):
        v = self.a.d(x, y)
        for c in self.cut:
            v = max(v, -c.d(x, y))
        return v

    def normal(self, x, y):
        return Shape.normal(self, x, y)


class Inter(Shape):
    def __init__(self, a, b):
        self.a, self.b = a, b
        self.bbox = (max(a.bbox[0], b.bbox[0]), max(a.bbox[1], b.bbox[1]),
                     min(a.bbox[2], b.bbox[2]), min(a.bbox[3], b.bbox[3]))
        self.bevel = getattr(a, "bevel", 2.5)

    def d(self, x, y):
        return max(self.a.d(x, y), self.b.d(x, y))

    def normal(self, x, y):
        return self.a.normal(x, y)


# ---------------------------------------------------------------- shading

def mix(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t)


def scale(c, k):
    return (c[0] * k, c[1] * k, c[2] * k)


def lit(base, n, amb=0.52, dif=0.62, specular=0.0, power=18, rim=0.0):
    """Lambert with an optional highlight; normals come from the shapes."""
    nd = n[0] * LIGHT[0] + n[1] * LIGHT[1] + n[2] * LIGHT[2]
    k = amb + dif * max(0.0, nd)
    c = scale(base, k)
    if specular:
        nh = max(0.0, n[0] * HALF[0] + n[1] * HALF[1] + n[2] * HALF[2])
        s = specular * nh ** power
        c = (c[0] + 255 * s, c[1] + 255 * s, c[2] + 255 * s)
    if rim:
        # Light bounced from the sand below lifts the lower edges a little.
        r = rim * max(0.0, n[1]) * (1.0 - n[2])
        c = (c[0] + 60 * r, c[1] + 45 * r, c[2] + 20 * r)
    return c


def shaded(base, amb=0.52, dif=0.62, specular=0.0, power=18, tex=None, rim=0.25):
    """Fill for a layer: lit by the shape's own normal, times an optional texture."""

    def fill(x, y, shape):
        c = lit(base, shape.normal(x, y), amb, dif, specular, power, rim)
        if tex is not None:
            c = scale(c, tex(x, y))
        return c

    return fill


def flat(col):
    return lambda x, y, shape: col


class Layer:
    def __init__(self, shape, fill, ink=0.0, ink_col=(30, 20, 25)):
        self.shape = shape
        self.fill = fill if callable(fill) else flat(fill)
        self.ink = ink
        self.ink_col = ink_col
        b = shape.bbox
        m = ink + 2.0
        self.box = (b[0] - m, b[1] - m, b[2] + m, b[3] + m)


def _sample(layers, x, y):
    ink = None
    for L in reversed(layers):
        b = L.box
        if x < b[0] or y < b[1] or x > b[2] or y > b[3]:
            continue
        d = L.shape.d(x, y)
        if d < 0.0:
            if ink is not None:
                return ink
            return L.fill(x, y, L.shape)
        if ink is None and L.ink and d < L.ink:
            ink = L.ink_col
    return None


def _needs_super(layers, x, y):
    for L in layers:
        b = L.box
        if x < b[0] or y < b[1] or x > b[2] or y > b[3]:
            continue
        d = L.shape.d(x, y)
        if abs(d) < 1.2 or (L.ink and abs(d - L.ink) < 1.2):
            return True
    return False


def render(layers, size=CELL, ss=4):
    """Returns a size x size grid of RGB tuples or None (transparent)."""
    grid = [[None] * size for _ in range(size)]
    inv = 1.0 / ss
    for py in range(size):
        for px in range(size):
            cx, cy = px + 0.5, py + 0.5
            if not _needs_super(layers, cx, cy):
                c = _sample(layers, cx, cy)
                if c is not None:
                    grid[py][px] = c
                continue
            hits = 0
            r = g = b = 0.0
            for sy in range(ss):
                for sx in range(ss):
                    c = _sample(layers, px + (sx + 0.5) * inv, py + (sy + 0.5) * inv)
                    if c is not None:
                        hits += 1
                        r += c[0]
                        g += c[1]
                        b += c[2]
            if hits * 2 >= ss * ss:
                grid[py][px] = (r / hits, g / hits, b / hits)
    return grid


def outline(grid, col=(28, 18, 24), keep=None):
    """Puts a dark line on every clear pixel that touches the art edge-on.

    keep(x, y) -> False leaves a pixel clear (used to keep rotating frames
    inside their circle)."""
    size = len(grid)
    add = []
    for y in range(size):
        row = grid[y]
        for x in range(size):
            if row[x] is not None:
                continue
            nb = []
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                xx, yy = x + dx, y + dy
                if 0 <= xx < size and 0 <= yy < size and grid[yy][xx] is not None:
                    nb.append(grid[yy][xx])
            if nb and (keep is None or keep(x, y)):
                avg = (sum(c[0] for c in nb) / len(nb), sum(c[1] for c in nb) / len(nb),
                       sum(c[2] for c in nb) / len(nb))
                add.append((x, y, mix(col, avg, 0.22)))
    for x, y, c in add:
        grid[y][x] = c
    return grid


def in_circle(r=31.5, c=32.0):
    return lambda x, y: math.hypot(x + 0.5 - c, y + 0.5 - c) <= r


def finish(grid):
    """Rounds to bytes and keeps every art colour well away from the mask colour."""
    out = []
    for row in grid:
        o = []
        for c in row:
            if c is None:
                o.append(MAGENTA)
                continue
            r, g, b = (int(_clamp(round(v), 0, 255)) for v in c)
            if r > 200 and b > 200 and g < 90:
                g = 90  # never let an art pixel pass for the mask colour
            o.append((r, g, b))
        out.append(o)
    return out


# ---------------------------------------------------------------- palette

INK = (28, 18, 24)
SKIN = (242, 188, 146)
HAIR = (104, 56, 30)
JACKET = (38, 142, 156)
TROUSERS = (58, 64, 112)
BOOTS = (122, 70, 36)
SCARF = (222, 52, 44)
BELT = (76, 46, 28)
BRASS = (214, 168, 72)
LENS = (150, 226, 240)
WHITE = (250, 248, 240)
PUPIL = (26, 22, 34)


def ang_dir(a):
    """Unit vector for an angle in degrees measured from straight down, forward positive."""
    r = math.radians(a)
    return math.sin(r), math.cos(r)


def fabric(seed, amount=0.08, sx=1.6, sy=0.9):
    return lambda x, y: 1.0 - amount * 0.5 + amount * fbm(x * sx, y * sy, seed, 2)


# ---------------------------------------------------------------- the player

def player_layers(p):
    """Layers for one pose of the runner, who faces right.

    p holds: hip (x, y); torso (lean in degrees, forward positive); legs and
    arms as (upper, lower) angles from straight down, 'n' near and 'f' far;
    head offset; scarf phase and direction; face ('open', 'squint', 'grin', 'strain')."""
    hx, hy = p["hip"]
    lean = math.radians(p.get("torso", 8))
    tl = p.get("torso_len", 14.5)
    nx, ny = hx + math.sin(lean) * tl, hy - math.cos(lean) * tl  # neck
    layers = []

    def limb(root, angs, lens, radii, col, shade_k, tex_seed):
        x0, y0 = root
        d1 = ang_dir(angs[0])
        x1, y1 = x0 + d1[0] * lens[0], y0 + d1[1] * lens[0]
        d2 = ang_dir(angs[1])
        x2, y2 = x1 + d2[0] * lens[1], y1 + d2[1] * lens[1]
        c = scale(col, shade_k)
        up = Capsule(x0, y0, x1, y1, radii[0], radii[1])
        lo = Capsule(x1, y1, x2, y2, radii[1], radii[2])
        tex = fabric(tex_seed)
        return (x1, y1), (x2, y2), d2, up, lo, c, tex

    def add_leg(side, k):
        angs = p["legs"][side]
        knee, ankle, d2, up, lo, c, tex = limb((hx + (0.8 if side == "n" else -0.8), hy), angs,
                                               (9.2, 8.6), (3.3, 2.9, 2.6), TROUSERS, k, 11)
        layers.append(Layer(up, shaded(c, tex=tex), ink=0.7))
        layers.append(Layer(lo, shaded(c, tex=tex), ink=0.7))
        # Boot: heel at the ankle, toe pointing along the foot (shin turned 90 degrees).
        fa = angs[1] + p.get("foot", {}).get(side, 90)
        fd = ang_dir(fa)
        toe = (ankle[0] + fd[0] * 4.6, ankle[1] + fd[1] * 4.6)
        boot = Union(Capsule(ankle[0], ankle[1], toe[0], toe[1], 3.0, 2.6),
                     Circle(ankle[0] + d2[0] * 0.5, ankle[1] + d2[1] * 0.5, 3.1))
        layers.append(Layer(boot, shaded(scale(BOOTS, k), specular=0.25, power=12), ink=0.7))
        sole = Capsule(ankle[0] + d2[0] * 2.2 - fd[0] * 1.0, ankle[1] + d2[1] * 2.2 - fd[1] * 1.0,
                       toe[0] + d2[0] * 1.6, toe[1] + d2[1] * 1.6, 1.1)
        layers.append(Layer(Inter(sole, boot), flat(scale((60, 38, 24), k))))

    def add_arm(side, k):
        angs = p["arms"][side]
        sx = nx + (-0.5 if side == "n" else 1.0)
        sy = ny + 2.4
        elbow, hand, d2, up, lo, c, tex = limb((sx, sy), angs, (6.8, 6.2), (2.7, 2.3, 2.1),
                                               JACKET, k, 23)
        layers.append(Layer(up, shaded(c, tex=tex), ink=0.7))
        layers.append(Layer(lo, shaded(c, tex=tex), ink=0.7))
        cuff = Capsule(hand[0] - d2[0] * 1.6, hand[1] - d2[1] * 1.6, hand[0] - d2[0] * 0.6,
                       hand[1] - d2[1] * 0.6, 2.5)
        layers.append(Layer(cuff, shaded(scale((230, 220, 196), k)), ink=0.6))
        glove = Circle(hand[0] + d2[0] * 1.2, hand[1] + d2[1] * 1.2, 2.6)
        layers.append(Layer(glove, shaded(scale((150, 96, 52), k), specular=0.2), ink=0.7))

    far_k, near_k = 0.72, 1.0
    add_arm("f", far_k)
    add_leg("f", far_k)

    # Scarf tails stream behind the neck; their wave shows speed.
    ph = p.get("scarf", 0.0)
    sdx, sdy = p.get("scarf_dir", (-1.0, 0.15))
    tails = []
    for i, (length, w0) in enumerate(((15.0, 2.8), (11.0, 2.3))):
        pts = []
        seg = 5
        px_, py_ = nx - 1.0, ny + 1.4 + i * 1.2
        for s in range(seg + 1):
            t = s / seg
            wob = math.sin(ph + t * 3.2 + i * 1.3) * 2.2 * t
            pts.append((px_ + sdx * length * t - sdy * wob, py_ + sdy * length * t + sdx * -wob))
        for s in range(seg):
            (ax, ay), (bx, by) = pts[s], pts[s + 1]
            r1 = w0 * (1.0 - 0.45 * s / seg)
            r2 = w0 * (1.0 - 0.45 * (s + 1) / seg)
            tails.append(Capsule(ax, ay, bx, by, r1, r2))
    scarf_tail = Union(*tails)
    stripe = lambda x, y: 0.82 if int((x + y * 0.6) / 2.4) % 3 == 0 else 1.0
    layers.append(Layer(scarf_tail, shaded(scale(SCARF, 0.86), tex=stripe), ink=0.7))

    # Torso: a padded jacket, wider at the chest.
    chest = Capsule(hx, hy - 1.0, nx, ny + 1.0, 5.4, 6.2)
    torso = Smooth(1.5, chest, Ellipse((hx + nx) / 2 + 0.5, (hy + ny) / 2 + 1.0, 6.0, 7.0,
                                        math.degrees(lean)))
    layers.append(Layer(torso, shaded(JACKET, tex=fabric(31, 0.1)), ink=0.8))
    zip_line = Capsule(hx + math.sin(lean) * 1.5 + 3.2, hy - 2.5, nx + 3.8, ny + 3.0, 0.45)
    layers.append(Layer(zip_line, flat(scale(JACKET, 0.62))))
    belt = Inter(Capsule(hx - 8, hy - 1.2, hx + 8, hy - 1.2 + math.sin(lean) * 0.5, 1.4),
                 Smooth(1.5, chest, Ellipse((hx + nx) / 2 + 0.5, (hy + ny) / 2 + 1.0, 6.0, 7.0,
                                            math.degrees(lean))))
    layers.append(Layer(belt, shaded(BELT), ink=0.0))
    buckle = Box(hx + 4.3, hy - 1.2, 1.2, 1.3)
    layers.append(Layer(buckle, shaded(BRASS, specular=0.5)))

    add_leg("n", near_k)

    # Head.
    hox, hoy = p.get("head", (1.5, -8.4))
    hcx, hcy = nx + hox, ny + hoy
    hr = 8.6
    head = Circle(hcx, hcy, hr)
    layers.append(Layer(Capsule(nx, ny, hcx, hcy, 2.6), shaded(scale(SKIN, 0.8)), ink=0.6))
    scarf_wrap = Capsule(nx - 3.0, ny + 0.6, nx + 3.4, ny - 0.4, 3.1)
    layers.append(Layer(scarf_wrap, shaded(SCARF, tex=stripe), ink=0.7))
    layers.append(Layer(head, shaded(SKIN, amb=0.6, dif=0.5, rim=0.2), ink=0.8))
    ear = Ellipse(hcx - 2.2, hcy + 1.2, 1.8, 2.3)
    layers.append(Layer(ear, shaded(scale(SKIN, 0.88)), ink=0.6))
    nose = Circle(hcx + hr - 0.6, hcy + 1.4, 1.7)
    layers.append(Layer(nose, shaded(scale(SKIN, 1.02), amb=0.6, dif=0.5), ink=0.6))
    cheek = Circle(hcx + 4.5, hcy + 3.6, 1.5)
    layers.append(Layer(cheek, flat(mix(SKIN, (236, 110, 100), 0.45))))

    face = p.get("face", "open")
    ex, ey = hcx + 4.3, hcy - 0.6
    if face == "squint":
        layers.append(Layer(Capsule(ex - 1.6, ey - 0.6, ex + 1.5, ey + 0.4, 0.6), flat(PUPIL)))
        layers.append(Layer(Capsule(ex - 1.4, ey + 0.9, ex + 1.4, ey + 0.4, 0.5), flat(PUPIL)))
    else:
        layers.append(Layer(Ellipse(ex, ey, 2.1, 2.7), shaded(WHITE, amb=0.8, dif=0.25), ink=0.45))
        pd = p.get("look", (0.8, 0.2))
        layers.append(Layer(Ellipse(ex + pd[0], ey + pd[1], 1.25, 1.7), flat(PUPIL)))
        layers.append(Layer(Circle(ex + pd[0] + 0.4, ey + pd[1] - 0.6, 0.45), flat(WHITE)))
    brow_y = ey - 3.2 + (0.6 if face == "squint" else 0.0)
    layers.append(Layer(Capsule(ex - 2.0, brow_y + 0.5, ex + 1.8, brow_y - 0.3, 0.6),
                        flat(scale(HAIR, 0.7))))
    if face == "grin":
        mouth = Sub(Circle(hcx + 5.0, hcy + 3.2, 2.2), Circle(hcx + 5.0, hcy + 1.6, 2.3))
        layers.append(Layer(mouth, flat((120, 34, 40))))
    elif face == "strain":
        layers.append(Layer(Capsule(hcx + 3.6, hcy + 4.6, hcx + 6.2, hcy + 4.0, 0.75),
                            flat((120, 34, 40))))
    else:
        layers.append(Layer(Capsule(hcx + 4.0, hcy + 4.4, hcx + 6.0, hcy + 3.9, 0.45),
                            flat((140, 60, 56))))

    # Hair: a shaggy cap with tufts swept back by the run.
    hair_cap = Sub(Circle(hcx - 0.4, hcy - 0.8, hr + 0.6),
                   Circle(hcx + 3.6, hcy + 4.6, hr + 0.3))
    tufts = []
    for i, (a, ln, r) in enumerate(((-160, 6.5, 2.0), (-130, 6.0, 1.9), (-105, 5.0, 1.7),
                                    (-185, 5.5, 1.8))):
        ar = math.radians(a + p.get("hair_sweep", 0))
        bx_, by_ = hcx + math.cos(ar) * (hr - 2.0), hcy + math.sin(ar) * (hr - 2.0)
        tufts.append(Capsule(bx_, by_, bx_ - ln * 0.9, by_ - ln * 0.35 + i * 0.8, r, 0.5))
    hair = Union(hair_cap, *tufts)
    hair_tex = lambda x, y: 0.86 + 0.22 * vnoise(x * 1.4 + y * 0.5, y * 0.35, 41)
    layers.append(Layer(hair, shaded(HAIR, specular=0.25, power=10, tex=hair_tex), ink=0.75))

    # Goggles pushed up on the forehead: the character's mark.
    strap = Inter(Capsule(hcx - 9, hcy - 5.0, hcx + 9, hcy - 3.6, 1.3), Circle(hcx, hcy, hr + 1.2))
    layers.append(Layer(strap, shaded((70, 52, 40)), ink=0.5))
    gx, gy = hcx + 3.8, hcy - 4.6
    layers.append(Layer(Circle(gx, gy, 2.9), shaded(BRASS, specular=0.6, power=20), ink=0.6))
    layers.append(Layer(Circle(gx + 0.2, gy, 1.9), shaded(LENS, specular=0.9, power=30, amb=0.7)))

    add_arm("n", near_k)
    return layers


def foot_bottom(p):
    """Lowest point of the boots for a pose, to put the run on one baseline."""
    hx, hy = p["hip"]
    low = -1e9
    for side in ("n", "f"):
        a1, a2 = p["legs"][side]
        d1, d2 = ang_dir(a1), ang_dir(a2)
        ax = hx + d1[0] * 9.2 + d2[0] * 8.6
        ay = hy + d1[1] * 9.2 + d2[1] * 8.6
        fd = ang_dir(a2 + p.get("foot", {}).get(side, 90))
        for (x, y, r) in ((ax + d2[0] * 0.5, ay + d2[1] * 0.5, 3.1),
                          (ax + fd[0] * 4.6, ay + fd[1] * 4.6, 2.6)):
            low = max(low, y + r)
    return low


GROUND = 64.0  # the bottom edge of a cell: rows 0..63, feet on row 63


def on_ground(p, ground=GROUND):
    dy = ground - foot_bottom(p)
    p = dict(p)
    p["hip"] = (p["hip"][0], p["hip"][1] + dy)
    return p


def run_pose(i):
    """Frame i of the five-frame run; each is shown for two game frames."""
    t = 2 * math.pi * i / 5.0
    s, c = math.sin(t), math.cos(t)
    s2 = math.sin(t + math.pi)

    def leg(ph):
        thigh = 6 + 36 * math.sin(ph)
        # The knee folds most while the leg swings forward through the air.
        bend = 14 + 62 * max(0.0, math.cos(ph))
        return (thigh, thigh - bend)

    legs = {"n": leg(t), "f": leg(t + math.pi)}
    arms = {"n": (-48 * s + 4, -40 * s + 96), "f": (-48 * s2 + 4, -40 * s2 + 96)}
    p = {
        "hip": (31.0, 42.0),
        "torso": 14,
        "legs": legs,
        "arms": arms,
        "foot": {"n": 86 - 10 * s, "f": 86 - 10 * s2},
        "scarf": i * 2 * math.pi / 5.0,
        "scarf_dir": (-1.0, 0.05 + 0.05 * c),
        "hair_sweep": 4 * c,
        "head": (1.6, -8.4),
    }
    # Standing the lowest boot on the baseline also gives the body its bounce.
    return on_ground(p)


def jump_poses():
    """Frames 10..15: crouch, push off, tuck into the spin and open up again."""
    poses = {}
    poses[10] = on_ground({
        "hip": (30.0, 46.0), "torso": 26, "torso_len": 13.5,
        "legs": {"n": (72, -30), "f": (64, -38)},
        "arms": {"n": (-50, 10), "f": (-62, 0)},
        "foot": {"n": 120, "f": 126},
        "scarf": 0.5, "scarf_dir": (-1.0, 0.3), "face": "strain", "head": (2.4, -8.0),
    })
    poses[11] = on_ground({
        "hip": (32.0, 38.0), "torso": 6,
        "legs": {"n": (-4, -12), "f": (-20, -28)},
        "arms": {"n": (46, 88), "f": (24, 70)},
        "foot": {"n": 60, "f": 52},
        "scarf": 1.4, "scarf_dir": (-0.8, 0.6), "face": "open", "look": (0.6, -0.6),
        "head": (1.0, -8.6),
    })
    # Rotating frames: centred on the cell centre, inside its circle.
    poses[12] = {
        "hip": (29.0, 40.0), "torso": 18,
        "legs": {"n": (110, 20), "f": (80, -10)},
        "arms": {"n": (96, 70), "f": (112, 84)},
        "foot": {"n": 90, "f": 80},
        "scarf": 2.2, "scarf_dir": (-0.9, 0.45), "face": "open", "head": (2.0, -8.0),
    }
    poses[13] = {
        "hip": (28.5, 37.5), "torso": 32, "torso_len": 12.5,
        "legs": {"n": (128, 2), "f": (118, -6)},
        "arms": {"n": (76, 12), "f": (64, 4)},
        "foot": {"n": 100, "f": 100},
        "scarf": 3.0, "scarf_dir": (-0.9, 0.4), "face": "squint", "head": (4.0, -7.6),
    }
    poses[14] = {
        "hip": (28.5, 37.5), "torso": 32, "torso_len": 12.5,
        "legs": {"n": (124, 0), "f": (114, -10)},
        "arms": {"n": (84, 18), "f": (70, 6)},
        "foot": {"n": 100, "f": 100},
        "scarf": 4.4, "scarf_dir": (-1.0, 0.1), "face": "grin", "head": (4.0, -7.6),
    }
    poses[15] = {
        "hip": (31.0, 38.0), "torso": 4,
        "legs": {"n": (40, -6), "f": (-10, -24)},
        "arms": {"n": (-120, -70), "f": (110, 60)},
        "foot": {"n": 84, "f": 78},
        "scarf": 5.2, "scarf_dir": (-0.7, -0.6), "face": "open", "look": (0.5, 0.9),
        "head": (1.5, -8.4),
    }
    return poses


def duck_pose():
    """Frame 20: a deep squat, bent double, hands clamped on the head.

    Kept low (nothing above row 35) so that the lower part of a pair, which
    ends 32 pixels above the ground, clearly passes over it."""
    return on_ground({
        "hip": (23.0, 56.0), "torso": 76, "torso_len": 10.5,
        "legs": {"n": (98, -62), "f": (90, -70)},
        "arms": {"n": (176, 204), "f": (166, 196)},
        "foot": {"n": 150, "f": 156},
        "scarf": 0.8, "scarf_dir": (-1.0, -0.25), "face": "squint", "head": (3.2, -6.2),
        "hair_sweep": -6,
    })


# ---------------------------------------------------------------- ground objects

WOOD = (176, 120, 66)
IRON = (92, 96, 108)


# Ground objects stand on row 62 and get their dark outline on row 63, so
# every ground object and the player share one baseline. They have no heap of
# sand or shadow at their feet: collisions are exact to the pixel, and a
# flourish on the ground would catch a player who had cleared the object.
FOOT = Box(32, 31.5, 32, 31.5)


def cactus():
    parts = [Capsule(32, 70, 32, 29.5, 7.2, 6.6),
             Capsule(31, 50, 21, 50, 4.0), Capsule(20.5, 50.5, 20.5, 38.5, 4.0, 3.6),
             Capsule(33, 44.5, 43.5, 44.5, 3.7), Capsule(44, 45, 44, 34, 3.7, 3.3)]
    body = Inter(Smooth(2.4, *parts), FOOT)

    def fill(x, y, shape):
        near = min(parts, key=lambda s: s.d(x, y))
        t, qx, qy, r = near._near(x, y)
        ax, ay = near.vx, near.vy
        ln = math.hypot(ax, ay) or 1.0
        # Across-the-stem coordinate: ribs run along each stem.
        u = ((x - qx) * -ay + (y - qy) * ax) / ln / r
        rib = math.cos(u * math.pi * 2.6)
        base = mix((58, 122, 54), (96, 168, 76), 0.5 + 0.5 * rib)
        n = near.normal(x, y)
        c = lit(base, n, amb=0.55, dif=0.6, rim=0.15)
        along = (x * ax + y * ay) / ln
        if rib > 0.8 and (int(along * 0.62 + u * 7) % 3 == 0):
            c = mix(c, (238, 232, 196), 0.6)  # spines on the ridges
        return scale(c, 0.92 + 0.1 * vnoise(x * 0.9, y * 0.9, 71))

    layers = [Layer(body, fill, ink=0.0)]
    flower = Union(*[Circle(32 + 2.3 * math.cos(a), 23.6 + 1.6 * math.sin(a) - 0.5, 1.7)
                     for a in (math.radians(d) for d in range(0, 360, 72))])
    layers.append(Layer(flower, shaded((240, 96, 128), amb=0.7, dif=0.45), ink=0.6))
    layers.append(Layer(Circle(32, 23.0, 1.1), flat((252, 214, 80))))
    return outline(render(layers))


def rock():
    big = Poly([(12, 63), (11, 52), (15, 43), (22, 37.5), (31, 35.5), (38, 38), (43, 45),
                (44, 55), (42, 63)], rad=2.2, bevel=4.0)
    small = Poly([(38, 63), (39, 55), (44, 50), (51, 50), (55, 55), (55, 63)], rad=1.8, bevel=3.0)
    grey = (128, 126, 142)

    def stone(seed, col):
        def fill(x, y, shape):
            c = lit(col, shape.normal(x, y), amb=0.5, dif=0.62, rim=0.2)
            k = 0.82 + 0.3 * fbm(x * 0.45, y * 0.45, seed, 3)
            speck = _hash(int(x * 2), int(y * 2), seed + 9)
            if speck > 0.93:
                k *= 1.15
            elif speck < 0.05:
                k *= 0.8
            # Bands of sediment, tilted a little.
            k *= 0.94 + 0.06 * math.sin((y + x * 0.25) * 0.9)
            return scale(c, k)
        return fill

    layers = [Layer(Inter(big, FOOT), stone(81, grey), ink=0.0),
              Layer(Inter(small, FOOT), stone(83, mix(grey, (150, 120, 104), 0.4)),
                    ink=0.9)]
    crack = Union(Capsule(27, 40, 24.5, 46, 0.45), Capsule(24.5, 46, 26.5, 52, 0.4),
                  Capsule(34, 50, 38, 56, 0.4))
    layers.append(Layer(Inter(crack, big), flat((52, 48, 62))))
    return outline(render(layers))


def wheel():
    """The rolling object: a cart wheel, whose spokes show the turn."""
    cx = cy = 32.0
    layers = []
    tyre = Sub(Circle(cx, cy, 16.0), Circle(cx, cy, 13.7))
    felloe = Sub(Circle(cx, cy, 13.9), Circle(cx, cy, 10.6))
    spokes = []
    for k in range(6):
        a = math.radians(k * 60 + 15)
        spokes.append(Capsule(cx + math.cos(a) * 3.5, cy + math.sin(a) * 3.5,
                              cx + math.cos(a) * 11.5, cy + math.sin(a) * 11.5, 1.5, 1.1))

    def grain(x, y, shape):
        a = math.atan2(y - cy, x - cx)
        rr = math.hypot(x - cx, y - cy)
        k = 0.86 + 0.18 * vnoise(a * 9.0, rr * 1.6, 91)
        return scale(lit(WOOD, shape.normal(x, y), amb=0.58, dif=0.55), k)

    def spoke_grain(x, y, shape):
        k = 0.88 + 0.16 * vnoise(math.atan2(y - cy, x - cx) * 20.0, math.hypot(x - cx, y - cy) * 0.3, 93)
        return scale(lit(mix(WOOD, (206, 160, 96), 0.35), shape.normal(x, y), amb=0.6, dif=0.5), k)

    layers.append(Layer(Union(*spokes), spoke_grain, ink=0.6))
    layers.append(Layer(felloe, grain, ink=0.7))
    # Joints of the wooden rim between the spokes.
    joints = Union(*[Capsule(cx + math.cos(a) * 10.8, cy + math.sin(a) * 10.8,
                             cx + math.cos(a) * 13.6, cy + math.sin(a) * 13.6, 0.45)
                     for a in (math.radians(k * 60 + 45) for k in range(6))])
    layers.append(Layer(joints, flat((84, 50, 28))))

    def iron(x, y, shape):
        a = math.atan2(y - cy, x - cx)
        n = (math.cos(a), math.sin(a), 0.55)
        c = lit(IRON, n, amb=0.6, dif=0.55, specular=0.5, power=6)
        return scale(c, 0.9 + 0.14 * vnoise(a * 14.0, 0.5, 95))

    layers.append(Layer(tyre, iron, ink=0.7))
    nails = Union(*[Circle(cx + math.cos(a) * 14.85, cy + math.sin(a) * 14.85, 0.75)
                    for a in (math.radians(k * 60 + 15) for k in range(6))])
    layers.append(Layer(nails, flat((190, 196, 206))))
    hub = Circle(cx, cy, 4.6)
    layers.append(Layer(hub, shaded((120, 84, 52), specular=0.15), ink=0.7))
    layers.append(Layer(Circle(cx, cy, 2.4), shaded((140, 144, 156), specular=0.7, power=10), ink=0.5))
    layers.append(Layer(Circle(cx - 0.5, cy - 0.5, 0.8), flat((40, 36, 44))))
    return outline(render(layers), keep=in_circle(17.5))


def crate_layers(x0, y0, x1, y1, wood, seed, brace=True):
    """A nailed crate: framing boards round a face of planks, iron corners."""
    layers = []
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hw, hh = (x1 - x0) / 2, (y1 - y0) / 2
    face = Box(cx, cy, hw, hh, rad=0.8, bevel=1.5)
    plank_h = (y1 - y0) / max(2, round((y1 - y0) / 7.5))

    def planks(x, y, shape):
        row = int((y - y0) / plank_h)
        k = 0.82 + 0.14 * _hash(row, 0, seed)
        g = vnoise(x * 0.18 + row * 7.3, (y - y0) * 1.3, seed)
        k *= 0.86 + 0.2 * g
        if (y - y0) - row * plank_h < 0.9:
            k *= 0.55  # the gap between two planks
        return scale(lit(wood, shape.normal(x, y), amb=0.6, dif=0.5), k)

    layers.append(Layer(face, planks, ink=0.0))
    fw = 3.0
    frame = Sub(face, Box(cx, cy, hw - fw, hh - fw))
    boards = [frame]
    if brace:
        # The diagonal brace runs between the framing boards.
        boards.append(Inter(Capsule(x0 + fw, y1 - fw, x1 - fw, y0 + fw, 2.3), Box(cx, cy, hw - fw, hh - fw)))
    light = mix(wood, (232, 190, 130), 0.3)

    def board(x, y, shape):
        g = vnoise(x * 0.9, y * 0.9, seed + 3) * 0.5 + vnoise((x + y) * 0.25, (x - y) * 1.2, seed + 4) * 0.5
        return scale(lit(light, shape.normal(x, y), amb=0.62, dif=0.5), 0.84 + 0.24 * g)

    for b in boards:
        layers.append(Layer(b, board, ink=0.7, ink_col=(60, 34, 20)))
    corners = []
    for (px_, py_) in ((x0, y0), (x1, y0), (x0, y1), (x1, y1)):
        corners.append(Inter(Box(px_, py_, 4.6, 4.6), face))
    layers.append(Layer(Union(*corners), shaded(IRON, specular=0.45, power=8), ink=0.6))
    nails = [Circle(px_ + sx * 2.2, py_ + sy * 2.2, 0.7)
             for (px_, py_, sx, sy) in ((x0, y0, 1, 1), (x1, y0, -1, 1), (x0, y1, 1, -1), (x1, y1, -1, -1))]
    layers.append(Layer(Union(*nails), flat((200, 204, 214))))
    return layers


def rope_fill(seed):
    def fill(x, y, shape):
        twist = 0.8 + 0.24 * (0.5 + 0.5 * math.sin((x * 0.9 + y * 1.9) * 1.4))
        return scale(lit((210, 182, 128), shape.normal(x, y), amb=0.6, dif=0.5), twist)
    return fill


def pair_top():
    """Upper part of a pair: a crate hung from a rope, the load the player ducks under."""
    layers = []
    rope = Union(Capsule(32, -2, 32, 11.5, 1.6), Capsule(30.5, 15.5, 14.5, 25, 1.1),
                 Capsule(33.5, 15.5, 49.5, 25, 1.1))
    layers.append(Layer(rope, rope_fill(1), ink=0.6))
    ring = Sub(Circle(32, 13.5, 3.3), Circle(32, 13.5, 1.7))
    layers.append(Layer(ring, shaded(IRON, specular=0.6, power=8), ink=0.6))
    layers += crate_layers(11, 24, 53, 63, WOOD, 101)
    # Rope lashing round the crate, tying the lower one to it.
    lash = Union(Capsule(19, 23.5, 19, 64, 1.15), Capsule(45, 23.5, 45, 64, 1.15))
    layers.append(Layer(lash, rope_fill(2), ink=0.55))
    return outline(render(layers))


def pair_bottom():
    """Lower part of a pair: a second crate lashed under the first, well off the ground."""
    layers = crate_layers(13, 1, 51, 29, mix(WOOD, (120, 76, 44), 0.45), 111, brace=False)
    lash = Union(Capsule(19, -1, 19, 29.5, 1.15), Capsule(45, -1, 45, 29.5, 1.15),
                 Capsule(17.5, 29.5, 46.5, 29.5, 1.15))
    layers.append(Layer(lash, rope_fill(3), ink=0.55))
    # A painted hazard band: this load hangs at head height.
    band = Box(32, 15, 10.5, 3.4, rad=0.6)
    layers.append(Layer(band, lambda x, y, sh: (232, 186, 52) if int((x - y) / 2.6) % 2 else (44, 34, 30),
                        ink=0.6))
    return outline(render(layers))


# ---------------------------------------------------------------- birds

PLUME = (70, 52, 50)
RUFF = (236, 226, 204)
QUILL = (156, 146, 146)
HEAD = (224, 120, 112)
BEAK = (232, 208, 146)


class Frame2:
    """A turn and move of the whole bird, for the falling frame."""

    def __init__(self, ang=0.0, ox=0.0, oy=0.0, pivot=(32.0, 32.0)):
        self.a = math.radians(ang)
        self.deg = ang
        self.ox, self.oy = ox, oy
        self.pivot = pivot

    def p(self, x, y):
        px_, py_ = self.pivot
        rx, ry = _rot(x - px_, y - py_, self.a)
        return rx + px_ + self.ox, ry + py_ + self.oy


def bird_layers(wing, far_wing, tf=Frame2(), dead=False):
    """A scruffy vulture flying right. wing = (direction in degrees, length factor)."""
    P = tf.p
    layers = []

    def wing_shape(root, phi, length, k):
        rx, ry = root
        a = math.radians(phi)
        dx, dy = math.cos(a), math.sin(a)
        # The trailing edge faces the tail; for a wing held level, downwards.
        tx, ty = -dy, dx
        if (abs(dy) < 0.7 and ty < 0) or (abs(dy) >= 0.7 and tx > 0):
            tx, ty = -tx, -ty
        L = 21.0 * length
        col = scale(PLUME, k)

        def feather(seed, shade=1.0):
            def fill(x, y, shape):
                c = lit(scale(col, shade), shape.normal(x, y), amb=0.64, dif=0.5)
                return scale(c, 0.88 + 0.18 * vnoise(x * 1.2, y * 1.2, seed))
            return fill

        hx_, hy_ = rx + dx * L * 0.5, ry + dy * L * 0.5
        prim = []
        for i, (turn, ln) in enumerate(((0, 0.52), (16, 0.5), (32, 0.45), (48, 0.38))):
            ta = a + math.radians(turn) * (1 if (dx * ty - dy * tx) > 0 else -1)
            bx, by = hx_ + tx * i * 0.9, hy_ + ty * i * 0.9
            ex, ey = bx + math.cos(ta) * L * ln, by + math.sin(ta) * L * ln
            prim.append(Capsule(*P(bx, by), *P(ex, ey), 1.9, 0.7))
        sec = []
        for i in range(5):
            u = 0.08 + i * 0.095
            bx, by = rx + dx * L * u, ry + dy * L * u
            ex, ey = bx + tx * 6.8 - dx * 1.4, by + ty * 6.8 - dy * 1.4
            sec.append(Capsule(*P(bx, by), *P(ex, ey), 2.2, 1.5))
        band = Capsule(*P(rx, ry), *P(hx_ + dx * 1.5, hy_ + dy * 1.5), 3.3, 2.4)
        # Silvery flight feathers under a dark covert band, as on a real vulture.
        quill = scale(QUILL, k)

        def flight(seed, shade):
            def fill(x, y, shape):
                c = lit(scale(quill, shade), shape.normal(x, y), amb=0.66, dif=0.45)
                return scale(c, 0.86 + 0.2 * vnoise(x * 1.3, y * 1.3, seed))
            return fill

        return [Layer(Union(*prim), flight(121, 0.8), ink=0.6),
                Layer(Union(*sec), flight(123, 1.0), ink=0.6),
                Layer(band, feather(125, 1.05), ink=0.6)]

    # Far wing first, behind the body.
    layers += wing_shape((30.5, 30.5), far_wing[0], far_wing[1], 0.6)
    # A fan of tail feathers, each with its own edge so the fan reads.
    for (ex, ey) in ((7.5, 27.5), (5.5, 31.5), (6.0, 35.5), (8.5, 38.5)):
        tf_ = Capsule(*P(20, 33.5), *P(ex, ey), 2.9, 2.3)
        layers.append(Layer(tf_, shaded(scale(PLUME, 0.82), amb=0.62, dif=0.5,
                                        tex=lambda x, y: 0.88 + 0.18 * vnoise(x * 1.4, y * 1.4, 127)),
                            ink=0.6))
    legs = Union(Capsule(*P(33, 38), *P(31, 44), 1.1), Capsule(*P(36, 38), *P(35, 44.5), 1.1))
    layers.append(Layer(legs, shaded((200, 176, 120)), ink=0.5))
    body = Ellipse(*P(29.5, 34), 12.5, 7.6, -6 + tf.deg)

    def plumage(x, y, shape):
        c = lit(PLUME, shape.normal(x, y), amb=0.58, dif=0.55, rim=0.25)
        # Scalloped feathers on the back.
        g = math.sin(x * 1.3 + math.sin(y * 1.7) * 1.2) * math.sin(y * 1.6)
        return scale(c, 0.92 + 0.1 * g + 0.08 * vnoise(x, y, 131))

    layers.append(Layer(body, plumage, ink=0.8))
    belly = Inter(Ellipse(*P(31, 37), 9, 4.5, -6 + tf.deg), body)
    layers.append(Layer(belly, shaded((110, 84, 70), amb=0.6, dif=0.5)))
    # A fluffy ruff of pale feathers round the bare neck.
    ruff = Union(*[Circle(*P(39.5 + 3.4 * math.cos(a), 29.5 + 3.6 * math.sin(a)), 2.3)
                   for a in (math.radians(d) for d in range(0, 360, 45))], Circle(*P(39.5, 29.5), 3.6))
    layers.append(Layer(ruff, shaded(RUFF, amb=0.66, dif=0.42, tex=lambda x, y: 0.9 + 0.12 * vnoise(x * 1.5, y * 1.5, 141)),
                        ink=0.7))
    neck = Capsule(*P(41, 28), *P(45, 25), 2.2)
    layers.append(Layer(neck, shaded(scale(HEAD, 0.9)), ink=0.6))
    head = Circle(*P(46, 23.6), 4.7)

    def skin(x, y, shape):
        c = lit(HEAD, shape.normal(x, y), amb=0.62, dif=0.5, specular=0.15)
        return scale(c, 0.9 + 0.14 * vnoise(x * 2.2, y * 2.2, 151))

    layers.append(Layer(head, skin, ink=0.7))
    beak = Poly([P(49.0, 21.6), P(54.0, 22.4), P(57.0, 24.6), P(56.8, 28.2), P(55.0, 26.8),
                 P(53.6, 26.2), P(49.5, 26.8)], rad=0.4)
    layers.append(Layer(beak, shaded(BEAK, specular=0.35, power=12), ink=0.6))
    tip = Inter(Circle(*P(56.6, 27.2), 2.0), beak)
    layers.append(Layer(tip, flat((70, 56, 50))))
    layers.append(Layer(Circle(*P(51.0, 23.5), 0.6), flat((80, 60, 50))))  # nostril
    ex, ey = P(46.6, 22.4)
    if dead:
        for s in (1, -1):
            layers.append(Layer(Capsule(ex - 1.5, ey - 1.5 * s, ex + 1.5, ey + 1.5 * s, 0.55), flat(PUPIL)))
        tongue = Capsule(*P(52, 27.4), *P(52.6, 31.5), 1.1)
        layers.append(Layer(tongue, shaded((232, 98, 120)), ink=0.5))
    else:
        layers.append(Layer(Circle(ex, ey, 1.9), shaded(WHITE, amb=0.85, dif=0.2), ink=0.5))
        layers.append(Layer(Circle(ex + 0.7, ey + 0.2, 1.0), flat((40, 20, 16))))
        layers.append(Layer(Circle(ex + 0.45, ey - 0.25, 0.35), flat(WHITE)))
        brow = Capsule(*P(43.6, 19.6), *P(49.2, 21.6), 0.85)
        layers.append(Layer(brow, flat((60, 30, 30))))
    # Near wing over the body.
    layers += wing_shape((31.5, 30.0), wing[0], wing[1], 1.0)
    return layers


# Wing beat: level, up, sweeping down, down; the lift after the down-stroke
# matches the bird's hop back up at the start of the cycle.
WING_BEAT = {40: ((-136, 0.9), (-124, 0.75)), 41: ((-96, 1.0), (-86, 0.85)),
             42: ((-150, 0.95), (-140, 0.8)), 43: ((114, 0.92), (128, 0.7))}


def bird(n):
    w, f = WING_BEAT[n]
    return outline(render(bird_layers(w, f)))


def shot_bird():
    """Frame 45: diving head first, wings flung up, tongue out, loose feathers."""
    tf = Frame2(58, -2.0, 0.0)
    # Wing directions are the bird's own, so these come out raised above the dive.
    layers = bird_layers((-160, 1.0), (-132, 0.85), tf, dead=True)
    for (x, y, a) in ((12, 14, 30), (54, 50, -40), (20, 54, 70)):
        r = math.radians(a)
        q = Capsule(x, y, x + math.cos(r) * 5, y + math.sin(r) * 5, 1.4, 0.5)
        layers.append(Layer(q, shaded(RUFF if x > 30 else PLUME, amb=0.7, dif=0.4), ink=0.5))
    return outline(render(layers))


# ---------------------------------------------------------------- sun, crosshair

def sun_disc():
    """Frame 30: drawn tinted orange, so it is a light grey disc with soft mottling."""
    grid = blank()
    R = 22.5
    for y in range(CELL):
        for x in range(CELL):
            hits = 0
            for sy in range(4):
                for sx in range(4):
                    if math.hypot(x + (sx + 0.5) / 4 - 32, y + (sy + 0.5) / 4 - 32) < R:
                        hits += 1
            if hits < 8:
                continue
            r = math.hypot(x + 0.5 - 32, y + 0.5 - 32) / R
            limb = 0.84 + 0.16 * math.sqrt(max(0.0, 1.0 - r * r))
            gran = 0.96 + 0.06 * fbm(x * 0.45, y * 0.45, 161, 3)
            v = 255 * min(1.0, limb * gran)
            grid[y][x] = (v, v, v * 0.98)
    return grid


def sun_rays():
    """Frame 31: a light star that turns and pulses; kept in the cell's circle."""
    grid = blank()
    n = 16
    for y in range(CELL):
        for x in range(CELL):
            hits = 0
            val = 0.0
            for sy in range(4):
                for sx in range(4):
                    px_, py_ = x + (sx + 0.5) / 4 - 32, y + (sy + 0.5) / 4 - 32
                    r = math.hypot(px_, py_)
                    a = math.atan2(py_, px_)
                    k = (a / (2 * math.pi) * n) % 1.0  # position within one ray's sector
                    long_ray = int(math.floor(a / (2 * math.pi) * n)) % 2 == 0
                    tip = 31.0 if long_ray else 24.5
                    w = 0.5 * (1.0 - (r - 12.0) / (tip - 12.0))  # half-width of the wedge, tapering
                    inside = r < 15.0 or (r < tip and abs(k - 0.5) < max(0.0, w))
                    if inside:
                        hits += 1
                        ridge = 1.0 - abs(k - 0.5) * 0.3
                        val += (1.0 - 0.24 * _clamp((r - 12.0) / 19.0, 0.0, 1.0)) * ridge
            if hits >= 8:
                v = 255 * val / hits
                grid[y][x] = (v, v, v * 0.98)
    return grid


def crosshair():
    """Frame 50: a thin white sight with a black rim, its point on pixel (32, 32)."""
    grid = blank()
    c = 32.5
    for y in range(CELL):
        for x in range(CELL):
            dx, dy = x + 0.5 - c, y + 0.5 - c
            r = math.hypot(dx, dy)
            ring = abs(r - 9.0) < 0.62
            tick = (abs(dx) < 0.5 and 12.0 <= abs(dy) <= 17.0) or (abs(dy) < 0.5 and 12.0 <= abs(dx) <= 17.0)
            inner = (abs(dx) < 0.5 and 3.0 <= abs(dy) <= 5.0) or (abs(dy) < 0.5 and 3.0 <= abs(dx) <= 5.0)
            if ring or tick or inner:
                grid[y][x] = (255, 255, 255)
    grid[32][32] = (255, 40, 32)
    # Black all round, diagonals too, so the sight holds on light sky and on sand.
    add = []
    for y in range(CELL):
        for x in range(CELL):
            if grid[y][x] is None and any(0 <= x + dx < CELL and 0 <= y + dy < CELL and grid[y + dy][x + dx]
                                          is not None for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                add.append((x, y))
    for x, y in add:
        grid[y][x] = (12, 10, 14)
    return grid


def blank():
    return [[None] * CELL for _ in range(CELL)]


def build_gfx_sheet():
    frames = {0: cactus(), 1: rock(), 2: wheel(), 10: pair_top(), 20: pair_bottom(),
              30: sun_disc(), 31: sun_rays(), 45: shot_bird(), 50: crosshair()}
    for n in WING_BEAT:
        frames[n] = bird(n)
    return frames


# ---------------------------------------------------------------- particles

PARTICLES = [
    # 0: a dark flight feather
    ["........",
     "......d.",
     ".....dD.",
     "....dDd.",
     "...dDd..",
     "..dDd...",
     ".qd.....",
     "........"],
    # 1: a pale ruff feather, fluffy
    ["........",
     "....wW..",
     "...wWWw.",
     "..wWqW..",
     "..WqWw..",
     ".wqw....",
     ".q......",
     "........"],
    # 2: a long light splinter
    ["........",
     "......o.",
     ".....oL.",
     "....oLo.",
     "...oLo..",
     "..oLo...",
     ".oo.....",
     "........"],
    # 3: two darker shards
    ["........",
     ".oo.....",
     ".oLo....",
     "..oMo...",
     "...oo.o.",
     ".....oMo",
     "......o.",
     "........"],
    # 4: a round puff of dust
    ["........",
     "...ss...",
     "..sSSs..",
     ".sSTTSs.",
     ".sSTSSs.",
     "..sSSs..",
     "...ss...",
     "........"],
    # 5: a smaller, thinner puff
    ["........",
     "........",
     "...ss...",
     "..sTSs..",
     "..sSSs..",
     "...ss...",
     "........",
     "........"],
]

PARTICLE_COLOURS = {
    "d": (46, 34, 34), "D": (98, 74, 66), "q": (196, 178, 140),
    "w": (170, 160, 150), "W": (244, 238, 226),
    "o": (96, 60, 30), "L": (226, 180, 116), "M": (170, 118, 66),
    "s": (178, 150, 112), "S": (226, 204, 164), "T": (246, 234, 206),
}


def build_particles():
    frames = {}
    for i, rows in enumerate(PARTICLES):
        frames[i] = [[PARTICLE_COLOURS.get(ch) for ch in row] for row in rows]
    return frames


# ---------------------------------------------------------------- backdrop row

BAR_W, BAR_H = 800, 64


def bar_edge(x):
    """Top edge of the row, repeating every 800 pixels. It stays within 4..22:
    rows are 32 pixels apart, so the next row always starts before this one
    ends (no black seam), and the crest keeps clear of the row's half-way line."""
    t = 2 * math.pi * x / BAR_W
    return 13.0 + 5.0 * math.sin(2 * t + 0.6) + 2.8 * math.sin(5 * t + 2.1) + 1.1 * math.sin(11 * t + 4.0)


BAR_ALPHA = 0.68  # about the alpha of the rows (0.75 at the top down to 0.56 at the ground)
BAR_LOW_SAND = 0.92  # light of the lower half in red and green


def _smooth(a, b, x):
    t = _clamp((x - a) / (b - a), 0.0, 1.0)
    return t * t * (3.0 - 2.0 * t)


def build_bar():
    """One backdrop row, 800 x 64, drawn 25 times 32 pixels apart, each copy
    overlapping the lower half of the one before.

    The overlap is a cross-fade: over the last nine rows of each half, this
    copy's upper half rises as the lower half of the copy before it fades
    out, in the proportion the rows' alpha blending needs to keep the light
    even. So the end of a copy leaves no straight seam, and an alpha a little
    off the assumed one only shades the fade instead of drawing a line. Blue,
    which carries the sky, is even all through the upper half as well, so the
    sky is a smooth gradient. Red and green, which carry the sand, have a lit
    lip along the wavy crest and fall off below it: under the sand tint every
    row is a ridge in front of the last, and the rows' different speeds read
    as depth; under the blue tint those ridges are soft bands of haze."""
    img = Image.new("RGB", (BAR_W, BAR_H), MAGENTA)
    px = img.load()
    a, q = BAR_ALPHA, BAR_LOW_SAND
    fade0, fade = 23, 9  # the cross-fade rows: 23..31 of the upper half, 55..63 of the lower
    for x in range(BAR_W):
        e = bar_edge(x + 0.5)
        for y in range(BAR_H):
            # The edge, sampled 4 x 4 so its shape is smooth though the mask is hard.
            hits = sum(1 for sx in range(4) for sy in range(4)
                       if y + (sy + 0.5) / 4 > bar_edge(x + (sx + 0.5) / 4))
            if hits < 8:
                continue
            depth = y + 0.5 - e
            if y < 32:
                s = _clamp((y + 0.5 - fade0) / fade, 0.0, 1.0)
                lip = math.exp(-depth / 1.8)
                body = a * q + (0.93 - a * q) * (1.0 - _smooth(4.0, fade0, y + 0.5))
                # Wind ripples on the sunny face, following the crest.
                ripple = 0.025 * math.sin(depth * 1.7 + math.sin(x * 0.047) * 2.0) * \
                    _clamp((depth - 3.0) / 5.0, 0.0, 1.0) * (1.0 - _smooth(14.0, fade0, y))
                if s > 0.0:
                    body = q * (a + (1.0 - a) * s)
                    sky = a + (1.0 - a) * s
                else:
                    sky = a
                red = body + 0.12 * lip + ripple
                # Less fall-off in green: deeper, warmer shade on the sand, and
                # fainter bands in the sky, whose tint is strong in green.
                green = (body if s > 0.0 else a * q + (body - a * q) * 0.6) + 0.08 * lip + ripple
                blue = sky
            else:
                k = 1.0 - _clamp((y + 0.5 - 32 - fade0) / fade, 0.0, 1.0)
                red = green = q * k
                blue = k
            streak = 0.975 + 0.045 * fbm(x / 10.0, y / 2.5, 171, 3, px=BAR_W // 10)
            px[x, y] = tuple(int(round(255 * _clamp(v * streak, 0.0, 1.0))) for v in (red, green, blue))
    return img


# ---------------------------------------------------------------- sheets

def bbox_of(grid):
    xs = [x for row in grid for x, c in enumerate(row) if c is not None]
    ys = [y for y, row in enumerate(grid) for c in row if c is not None]
    return min(xs), min(ys), max(xs), max(ys)


def centred_pose(p):
    """Moves a pose so its drawing sits on the cell centre, the pivot of the spin."""
    x0, y0, x1, y1 = bbox_of(render(player_layers(p), ss=1))
    dx = 32.0 - (x0 + x1 + 1) / 2.0
    dy = 32.0 - (y0 + y1 + 1) / 2.0
    q = dict(p)
    q["hip"] = (p["hip"][0] + dx, p["hip"][1] + dy)
    return q


def build_player_sheet():
    frames = {}
    for i in range(5):
        frames[i] = outline(render(player_layers(run_pose(i))))
    for n, p in jump_poses().items():
        if n >= 12:
            frames[n] = outline(render(player_layers(centred_pose(p))), keep=in_circle())
        else:
            frames[n] = outline(render(player_layers(p)))
    frames[20] = outline(render(player_layers(duck_pose())))
    return frames


def sheet(frames, cell=CELL, cols=SHEET_COLS, rows=SHEET_COLS):
    img = Image.new("RGB", (cell * cols, cell * rows), MAGENTA)
    px = img.load()
    for n, grid in frames.items():
        ox, oy = cell * (n % cols), cell * (n // cols)
        for y, row in enumerate(finish(grid)):
            for x, c in enumerate(row):
                px[ox + x, oy + y] = c
    return img


def check(cond, what):
    if not cond:
        raise SystemExit("make_art: " + what)


def opaque_rows(img, n, cell=CELL, cols=SHEET_COLS):
    px = img.load()
    ox, oy = cell * (n % cols), cell * (n // cols)
    rows = [y for y in range(cell) for x in range(cell) if px[ox + x, oy + y] != MAGENTA]
    return (min(rows), max(rows)) if rows else None


def check_sheet(img, name, cell, used, turning):
    """What the game relies on: art colours only where there is art, nothing
    outside the cell's circle in frames that turn, untouched cells clear."""
    px = img.load()
    cols = img.size[0] // cell
    for n in range(cols * (img.size[1] // cell)):
        ox, oy = cell * (n % cols), cell * (n // cols)
        for y in range(cell):
            for x in range(cell):
                c = px[ox + x, oy + y]
                if c == MAGENTA:
                    continue
                check(n in used, "%s: cell %d should be clear" % (name, n))
                check(not (c[0] > 200 and c[2] > 200 and c[1] < 90),
                      "%s: cell %d has a colour close to the mask at %d,%d" % (name, n, x, y))
                if n in turning:
                    r = math.hypot(x + 0.5 - cell / 2, y + 0.5 - cell / 2)
                    check(r <= cell / 2, "%s: cell %d reaches the corner at %d,%d" % (name, n, x, y))


def check_art(player, gfx, parts, bar):
    check_sheet(player, "varnicka", CELL, {0, 1, 2, 3, 4, 10, 11, 12, 13, 14, 15, 20}, {12, 13, 14, 15})
    check_sheet(gfx, "gfx", CELL, {0, 1, 2, 10, 20, 30, 31, 40, 41, 42, 43, 45, 50}, {2, 31})
    check_sheet(parts, "particles", 8, set(range(6)), set(range(6)))
    for n in (0, 1, 2, 3, 4, 10, 11, 20):
        check(opaque_rows(player, n)[1] == 63, "varnicka: frame %d is off the baseline" % n)
    for n in (0, 1):
        check(opaque_rows(gfx, n)[1] == 63, "gfx: object %d is off the baseline" % n)
    # The duck must pass under the lower part of a pair with room to spare.
    check(opaque_rows(player, 20)[0] > opaque_rows(gfx, 20)[1] + 2, "the duck does not clear the pair")
    check(opaque_rows(player, 0)[0] < opaque_rows(gfx, 20)[1] - 8, "a standing player would clear the pair")
    bp = bar.load()
    for y in range(BAR_H):
        a, b = bp[0, y], bp[BAR_W - 1, y]
        check((a == MAGENTA) == (b == MAGENTA), "bar: the edges do not join at row %d" % y)
        if a != MAGENTA:
            check(max(abs(a[i] - b[i]) for i in range(3)) < 24, "bar: the edges do not join at row %d" % y)


def main(argv):
    out = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                    "..", "system", "m013")
    os.makedirs(out, exist_ok=True)
    player = sheet(build_player_sheet())
    gfx = sheet(build_gfx_sheet())
    parts = sheet(build_particles(), cell=8, cols=6, rows=1)
    bar = build_bar()
    check_art(player, gfx, parts, bar)
    for img, name, least in ((player, "varnicka.png", 5000), (gfx, "gfx.png", 17000),
                             (parts, "particles.png", 0), (bar, "bar.png", 0)):
        path = os.path.join(out, name)
        img.save(path)
        # The game's start-up check reads this many bytes and stops on a shorter file.
        check(os.path.getsize(path) >= least, "%s is shorter than %d bytes" % (name, least))


if __name__ == "__main__":
    main(sys.argv)
