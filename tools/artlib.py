"""Small raster toolkit for the game's procedural art: a float RGBA canvas, anti-aliased shapes
drawn from signed distances, tileable value noise, and PNG/TGA writers (standard library only)."""

import math
import random
import struct
import zlib


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def smoothstep(e0, e1, x):
    t = clamp((x - e0) / (e1 - e0))
    return t * t * (3.0 - 2.0 * t)


def mix(a, b, t):
    return a + (b - a) * t


def mix3(c0, c1, t):
    return (mix(c0[0], c1[0], t), mix(c0[1], c1[1], t), mix(c0[2], c1[2], t))


def ramp(stops, t):
    """Colour of a piecewise-linear gradient; stops are (position, (r, g, b[, a]))."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            f = (t - p0) / (p1 - p0) if p1 > p0 else 0.0
            return tuple(mix(a, b, f) for a, b in zip(c0, c1))
    return stops[-1][1]


# ---------------------------------------------------------------------------------------------
# Canvas


class Canvas:
    """Straight-alpha RGBA floats, row 0 at the top. Shape coordinates are u, v in [-1, 1] with
    v growing upwards (v = 1 is the top row), so a sprite pointing up has its nose at v > 0."""

    def __init__(self, w, h=None):
        self.w = w
        self.h = h if h is not None else w
        n = self.w * self.h
        self.r = [0.0] * n
        self.g = [0.0] * n
        self.b = [0.0] * n
        self.a = [0.0] * n

    def uv(self, x, y):
        return ((x + 0.5) / self.w * 2.0 - 1.0, 1.0 - (y + 0.5) / self.h * 2.0)

    def pixel_size(self):
        return 2.0 / self.w

    def bbox(self, box):
        """Pixel range covering a uv box (u0, v0, u1, v1), with a margin."""
        if box is None:
            return 0, 0, self.w, self.h
        u0, v0, u1, v1 = box
        x0 = int(math.floor((u0 + 1.0) / 2.0 * self.w)) - 2
        x1 = int(math.ceil((u1 + 1.0) / 2.0 * self.w)) + 2
        y0 = int(math.floor((1.0 - v1) / 2.0 * self.h)) - 2
        y1 = int(math.ceil((1.0 - v0) / 2.0 * self.h)) + 2
        return max(0, x0), max(0, y0), min(self.w, x1), min(self.h, y1)

    def over(self, i, r, g, b, a):
        """Composites one straight-alpha colour over pixel i."""
        if a <= 0.0:
            return
        da = self.a[i]
        oa = a + da * (1.0 - a)
        if oa <= 0.0:
            return
        k = da * (1.0 - a)
        self.r[i] = (r * a + self.r[i] * k) / oa
        self.g[i] = (g * a + self.g[i] * k) / oa
        self.b[i] = (b * a + self.b[i] * k) / oa
        self.a[i] = oa

    def add(self, i, r, g, b, a):
        """Adds light: premultiplied sums, alpha grows as the light does."""
        if a <= 0.0:
            return
        da = self.a[i]
        pr = self.r[i] * da + r * a
        pg = self.g[i] * da + g * a
        pb = self.b[i] * da + b * a
        oa = clamp(da + a * (1.0 - da))
        m = max(pr, pg, pb, 1e-9)
        if m > oa:
            oa = clamp(m)
        if oa <= 0.0:
            return
        self.r[i] = clamp(pr / oa)
        self.g[i] = clamp(pg / oa)
        self.b[i] = clamp(pb / oa)
        self.a[i] = oa

    def fill(self, fn, box=None, mode="over"):
        """Calls fn(u, v) -> (r, g, b, a) or None for every pixel of the box and composites it."""
        x0, y0, x1, y1 = self.bbox(box)
        put = self.over if mode == "over" else self.add
        w = self.w
        for y in range(y0, y1):
            v = 1.0 - (y + 0.5) / self.h * 2.0
            row = y * w
            for x in range(x0, x1):
                u = (x + 0.5) / w * 2.0 - 1.0
                c = fn(u, v)
                if c is not None:
                    put(row + x, c[0], c[1], c[2], c[3])

    def shape(self, sdf, colour, box=None, feather=1.0, mode="over"):
        """Anti-aliased shape: sdf(u, v) < 0 inside; colour(u, v, d) -> (r, g, b, a)."""
        px = self.pixel_size() * feather

        def fn(u, v):
            d = sdf(u, v)
            if d > px:
                return None
            cov = clamp(0.5 - d / px)
            c = colour(u, v, d)
            return (c[0], c[1], c[2], c[3] * cov)

        self.fill(fn, box, mode)

    def metal(self, sdf, base, box=None, bevel=0.06, light=(-0.55, 0.8), gloss=0.35, alpha=1.0, rim=0.5):
        """A bevelled, lit solid: edges catch the light from the upper left and darken away
        from it; a dark outline keeps the silhouette readable when small."""
        lx, ly = light
        ln = math.hypot(lx, ly)
        lx, ly = lx / ln, ly / ln
        eps = self.pixel_size() * 0.5

        def colour(u, v, d):
            depth = -d
            shade = 0.0
            if depth < bevel:
                gx = sdf(u + eps, v) - d
                gy = sdf(u, v + eps) - d
                gl = math.hypot(gx, gy)
                if gl > 0.0:
                    # Outward normal; the bevel faces outward, so light on it is dot(n, l).
                    shade = (gx * lx + gy * ly) / gl * (1.0 - depth / bevel)
            k = 0.82 + 0.45 * shade
            r, g, b = base[0] * k, base[1] * k, base[2] * k
            if shade > 0.3:
                s = (shade - 0.3) * gloss
                r, g, b = r + s, g + s, b + s
            # Outline: the last pixel and a half at the edge are darkened.
            edge = smoothstep(self.pixel_size() * 2.5, 0.0, depth) * rim
            r, g, b = r * (1.0 - edge), g * (1.0 - edge), b * (1.0 - edge)
            return (clamp(r), clamp(g), clamp(b), alpha)

        self.shape(sdf, colour, box)

    def glow(self, cx, cy, radius, colour, strength=1.0, power=2.0, box=None):
        """Additive radial glow falling to nothing at `radius`."""
        if box is None:
            box = (cx - radius, cy - radius, cx + radius, cy + radius)

        def fn(u, v):
            d = math.hypot(u - cx, v - cy) / radius
            if d >= 1.0:
                return None
            f = (1.0 - d) ** power * strength
            return (colour[0], colour[1], colour[2], clamp(f))

        self.fill(fn, box, mode="add")

    def premultiplied_max(self):
        return max(self.a) if self.a else 0.0

    def rows8(self):
        """RGBA bytes, one bytes object per row from the top."""
        out = []
        w = self.w
        for y in range(self.h):
            row = bytearray(w * 4)
            base = y * w
            for x in range(w):
                i = base + x
                a = self.a[i]
                if a <= 0.0:
                    continue  # fully transparent: colour kept black, compresses well
                row[4 * x] = int(clamp(self.r[i]) * 255.0 + 0.5)
                row[4 * x + 1] = int(clamp(self.g[i]) * 255.0 + 0.5)
                row[4 * x + 2] = int(clamp(self.b[i]) * 255.0 + 0.5)
                row[4 * x + 3] = int(clamp(a) * 255.0 + 0.5)
            out.append(bytes(row))
        return out


# ---------------------------------------------------------------------------------------------
# Signed distances (u, v space; negative inside)


def sd_circle(cx, cy, r):
    return lambda u, v: math.hypot(u - cx, v - cy) - r


def sd_ellipse(cx, cy, rx, ry):
    # Scaled circle: exact enough for anti-aliasing and bevels of gentle ellipses.
    k = min(rx, ry)
    return lambda u, v: (math.hypot((u - cx) / rx, (v - cy) / ry) - 1.0) * k


def sd_box(cx, cy, hx, hy, round_=0.0):
    def f(u, v):
        dx = abs(u - cx) - hx + round_
        dy = abs(v - cy) - hy + round_
        outside = math.hypot(max(dx, 0.0), max(dy, 0.0))
        return outside + min(max(dx, dy), 0.0) - round_

    return f


def sd_polygon(points):
    """Exact signed distance to a simple polygon given as (u, v) corners."""
    pts = list(points)
    n = len(pts)
    edges = []
    for i in range(n):
        ax, ay = pts[i]
        bx, by = pts[(i + 1) % n]
        ex, ey = bx - ax, by - ay
        edges.append((ax, ay, ex, ey, ex * ex + ey * ey))

    def f(u, v):
        best = 1e9
        inside = False
        for ax, ay, ex, ey, ee in edges:
            wx, wy = u - ax, v - ay
            t = (wx * ex + wy * ey) / ee if ee > 0.0 else 0.0
            t = 0.0 if t < 0.0 else 1.0 if t > 1.0 else t
            dx, dy = wx - ex * t, wy - ey * t
            dd = dx * dx + dy * dy
            if dd < best:
                best = dd
            # Crossing test for inside.
            by_ = ay + ey
            if (ay > v) != (by_ > v):
                xc = ax + (v - ay) * ex / ey
                if u < xc:
                    inside = not inside
        d = math.sqrt(best)
        return -d if inside else d

    return f


def sd_mirror(points_right):
    """A left-right symmetric polygon from its right half (top to bottom, u >= 0)."""
    right = list(points_right)
    left = [(-u, v) for (u, v) in reversed(right)]
    return sd_polygon(right + left)


def sd_ring(cx, cy, r, half_width):
    return lambda u, v: abs(math.hypot(u - cx, v - cy) - r) - half_width


def sd_union(*fs):
    return lambda u, v: min(f(u, v) for f in fs)


def sd_subtract(a, b):
    return lambda u, v: max(a(u, v), -b(u, v))


def sd_intersect(a, b):
    return lambda u, v: max(a(u, v), b(u, v))


def mirror_points(points_right):
    right = list(points_right)
    return right + [(-u, v) for (u, v) in reversed(right)]


def bounds(points, margin=0.02):
    us = [p[0] for p in points]
    vs = [p[1] for p in points]
    return (min(us) - margin, min(vs) - margin, max(us) + margin, max(vs) + margin)


# ---------------------------------------------------------------------------------------------
# Noise


class ValueNoise:
    """Value noise on a square lattice that wraps every `period` cells, so noise sampled over
    [0, period) tiles seamlessly."""

    def __init__(self, period, rng):
        self.p = period
        self.grid = [rng.random() for _ in range(period * period)]

    def __call__(self, x, y):
        p = self.p
        ix = math.floor(x)
        iy = math.floor(y)
        fx = x - ix
        fy = y - iy
        ix %= p
        iy %= p
        jx = (ix + 1) % p
        jy = (iy + 1) % p
        g = self.grid
        a = g[iy * p + ix]
        b = g[iy * p + jx]
        c = g[jy * p + ix]
        d = g[jy * p + jx]
        sx = fx * fx * (3.0 - 2.0 * fx)
        sy = fy * fy * (3.0 - 2.0 * fy)
        top = a + (b - a) * sx
        bot = c + (d - c) * sx
        return top + (bot - top) * sy


class GradientNoise:
    """Gradient (Perlin-style) noise with quintic blending, wrapping every `period` cells;
    roughly in [-0.7, 0.7], with fewer lattice artefacts than value noise."""

    def __init__(self, period, rng):
        self.p = period
        self.gx = []
        self.gy = []
        for _ in range(period * period):
            a = rng.uniform(0.0, 2.0 * math.pi)
            self.gx.append(math.cos(a))
            self.gy.append(math.sin(a))

    def __call__(self, x, y):
        p = self.p
        ix = math.floor(x)
        iy = math.floor(y)
        fx = x - ix
        fy = y - iy
        ix %= p
        iy %= p
        jx = (ix + 1) % p
        jy = (iy + 1) % p
        gx = self.gx
        gy = self.gy
        i00 = iy * p + ix
        i10 = iy * p + jx
        i01 = jy * p + ix
        i11 = jy * p + jx
        n00 = gx[i00] * fx + gy[i00] * fy
        n10 = gx[i10] * (fx - 1.0) + gy[i10] * fy
        n01 = gx[i01] * fx + gy[i01] * (fy - 1.0)
        n11 = gx[i11] * (fx - 1.0) + gy[i11] * (fy - 1.0)
        sx = fx * fx * fx * (fx * (fx * 6.0 - 15.0) + 10.0)
        sy = fy * fy * fy * (fy * (fy * 6.0 - 15.0) + 10.0)
        a = n00 + (n10 - n00) * sx
        b = n01 + (n11 - n01) * sx
        return a + (b - a) * sy


class Fbm:
    """Fractal sum of gradient-noise octaves mapped to about [0, 1]; tiles over [0, 1) in s and t
    since every octave's period is a whole number of cells."""

    def __init__(self, rng, base_period=4, octaves=5, gain=0.5):
        self.octaves = []
        amp = 1.0
        total = 0.0
        period = base_period
        for _ in range(octaves):
            # Shifting each octave keeps their lattice lines apart; a constant shift keeps the tiling.
            shift = (rng.randrange(period) + 0.5, rng.randrange(period) + 0.5)
            self.octaves.append((GradientNoise(period, rng), period, amp, shift))
            total += amp
            amp *= gain
            period *= 2
        self.norm = 1.0 / total

    def __call__(self, s, t):
        """s, t in texture units: one unit is one tile."""
        v = 0.0
        for noise, period, amp, (ox, oy) in self.octaves:
            v += noise(s * period + ox, t * period + oy) * amp
        return clamp(0.5 + v * self.norm * 1.1)


# ---------------------------------------------------------------------------------------------
# Writers


def _png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def _paeth(a, b, c):
    p = a + b - c
    pa = abs(p - a)
    pb = abs(p - b)
    pc = abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    if pb <= pc:
        return b
    return c


def _filter_rows(rows, bpp):
    """Picks, per row, the filter (none, sub, up, paeth) with the smallest absolute sum."""
    out = bytearray()
    prev = bytes(len(rows[0]))
    for row in rows:
        n = len(row)
        sub = bytearray(n)
        up = bytearray(n)
        pae = bytearray(n)
        for i in range(n):
            left = row[i - bpp] if i >= bpp else 0
            above = prev[i]
            ul = prev[i - bpp] if i >= bpp else 0
            x = row[i]
            sub[i] = (x - left) & 0xFF
            up[i] = (x - above) & 0xFF
            pae[i] = (x - _paeth(left, above, ul)) & 0xFF
        candidates = [(0, row), (1, sub), (2, up), (4, pae)]

        def cost(data):
            return sum(v if v < 128 else 256 - v for v in data)

        kind, data = min(candidates, key=lambda c: cost(c[1]))
        out.append(kind)
        out += data
        prev = row
    return bytes(out)


def write_png(path, canvas):
    rows = canvas.rows8()
    raw = _filter_rows(rows, 4)
    header = struct.pack(">IIBBBBB", canvas.w, canvas.h, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(_png_chunk(b"IHDR", header))
        f.write(_png_chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(_png_chunk(b"IEND", b""))


def write_tga(path, canvas):
    """Uncompressed 32-bit true-colour TGA stored top row first (descriptor bit 5)."""
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, canvas.w, canvas.h, 32, 0x28)
    body = bytearray()
    for row in canvas.rows8():
        for x in range(canvas.w):
            r, g, b, a = row[4 * x : 4 * x + 4]
            body += bytes((b, g, r, a))
    with open(path, "wb") as f:
        f.write(header)
        f.write(body)


def make_rng(number):
    return random.Random(number)
