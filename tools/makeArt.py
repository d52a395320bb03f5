#!/usr/bin/env python3
"""Generates every image and the engine sound the game ships, procedurally, into data/.

Run once after changing it: python3 tools/makeArt.py [output directory]
Only the standard library is used; the output is deterministic."""

import math
import os
import struct
import sys
import wave

from artlib import (Canvas, Fbm, ValueNoise, bounds, clamp, make_rng, mirror_points, mix, mix3, ramp,
                    sd_box, sd_circle, sd_ellipse, sd_intersect, sd_mirror, sd_polygon, sd_ring, sd_subtract,
                    sd_union, smoothstep, write_png, write_tga)

OUT = "data"


def save(canvas, name):
    path = os.path.join(OUT, name)
    if name.endswith(".tga"):
        write_tga(path, canvas)
    else:
        write_png(path, canvas)
    print("wrote", path, os.path.getsize(path), "bytes")


# ---------------------------------------------------------------------------------------------
# Shared pieces


def soft_dot(c, cx, cy, radius, colour, core=0.35, power=1.6, mode="add"):
    """A dot with a solid core fading out to `radius`."""
    box = (cx - radius, cy - radius, cx + radius, cy + radius)

    def fn(u, v):
        d = math.hypot(u - cx, v - cy) / radius
        if d >= 1.0:
            return None
        a = 1.0 if d < core else (1.0 - (d - core) / (1.0 - core)) ** power
        return (colour[0], colour[1], colour[2], a)

    c.fill(fn, box, mode)


def engine_glow(c, cx, cy, r, colour):
    c.glow(cx, cy, r, colour, strength=1.0, power=1.5)
    c.glow(cx, cy, r * 0.45, (1.0, 1.0, 1.0), strength=0.9, power=1.2)


def panel_lines(c, sdf, colour, width=0.012, box=None):
    """Thin engraved lines along the zero set of `sdf`."""
    c.shape(lambda u, v: abs(sdf(u, v)) - width, lambda u, v, d: colour, box)


# ---------------------------------------------------------------------------------------------
# Ships (all point up: the nose at the top of the image)


def ship_player():
    c = Canvas(128)
    wing = [(0.10, 0.30), (0.80, -0.42), (0.82, -0.60), (0.55, -0.60), (0.10, -0.40)]
    left_wing = [(-u, v) for (u, v) in reversed(wing)]
    for pts in (wing, left_wing):
        c.metal(sd_polygon(pts), (0.42, 0.48, 0.60), bounds(pts), bevel=0.05)
    # Cyan wing tips and stripes: the player's colour.
    for s in (1, -1):
        tip = [(s * 0.62, -0.33), (s * 0.82, -0.43), (s * 0.83, -0.60), (s * 0.66, -0.60)]
        if s < 0:
            tip = list(reversed(tip))
        c.metal(sd_polygon(tip), (0.15, 0.85, 0.95), bounds(tip), bevel=0.03)
        stripe = [(s * 0.22, 0.05), (s * 0.55, -0.35), (s * 0.55, -0.42), (s * 0.22, -0.04)]
        if s < 0:
            stripe = list(reversed(stripe))
        c.shape(sd_polygon(stripe), lambda u, v, d: (0.2, 0.9, 1.0, 0.9), bounds(stripe))
    hull = [(0.0, 0.96), (0.07, 0.78), (0.15, 0.35), (0.19, -0.30), (0.16, -0.70), (0.08, -0.78)]
    body = sd_mirror(hull)
    c.metal(body, (0.80, 0.84, 0.90), bounds(mirror_points(hull)), bevel=0.09)
    panel_lines(c, lambda u, v: v + 0.05, (0.35, 0.38, 0.45, 0.7), 0.008, (-0.2, -0.1, 0.2, 0.0))
    panel_lines(c, lambda u, v: v + 0.45, (0.35, 0.38, 0.45, 0.7), 0.008, (-0.2, -0.5, 0.2, -0.4))
    # Canopy.
    canopy = sd_ellipse(0.0, 0.42, 0.065, 0.2)

    def glass(u, v, d):
        t = clamp((v - 0.22) / 0.4)
        col = mix3((0.05, 0.25, 0.45), (0.55, 0.95, 1.0), t)
        return (col[0], col[1], col[2], 1.0)

    c.shape(canopy, glass, (-0.1, 0.2, 0.1, 0.65))
    c.glow(-0.02, 0.52, 0.05, (1.0, 1.0, 1.0), strength=0.8)
    # Engines.
    for s in (-0.08, 0.08):
        c.metal(sd_box(s, -0.76, 0.05, 0.06, 0.02), (0.30, 0.32, 0.38), (s - 0.07, -0.85, s + 0.07, -0.68))
        engine_glow(c, s, -0.84, 0.14, (0.2, 0.85, 1.0))
    return c


def ship_enemy():
    c = Canvas(128)
    pts = [(0.0, 0.9), (0.22, 0.25), (0.78, -0.2), (0.85, -0.65), (0.45, -0.45), (0.28, -0.78), (0.0, -0.6)]
    c.metal(sd_mirror(pts), (0.62, 0.14, 0.12), bounds(mirror_points(pts)), bevel=0.08)
    inner = [(0.0, 0.55), (0.12, 0.15), (0.12, -0.35), (0.0, -0.45)]
    c.metal(sd_mirror(inner), (0.30, 0.30, 0.34), bounds(mirror_points(inner)), bevel=0.05)
    c.shape(sd_ellipse(0.0, 0.25, 0.05, 0.12), lambda u, v, d: (1.0, 0.75, 0.2, 1.0), (-0.1, 0.1, 0.1, 0.4))
    for s in (-0.3, 0.3):
        engine_glow(c, s, -0.72, 0.13, (1.0, 0.45, 0.1))
    return c


def ship_drone():
    """Small round utility drone with three sensor prongs; greenish grey."""
    c = Canvas(128)
    for ang in (90.0, 210.0, 330.0):
        a = math.radians(ang)
        dx, dy = math.cos(a), math.sin(a)
        px, py = -dy, dx
        pts = [(dx * 0.3 + px * 0.09, dy * 0.3 + py * 0.09), (dx * 0.86 + px * 0.04, dy * 0.86 + py * 0.04),
               (dx * 0.92, dy * 0.92), (dx * 0.86 - px * 0.04, dy * 0.86 - py * 0.04),
               (dx * 0.3 - px * 0.09, dy * 0.3 - py * 0.09)]
        c.metal(sd_polygon(pts), (0.45, 0.52, 0.42), bounds(pts), bevel=0.04)
        c.glow(dx * 0.88, dy * 0.88, 0.12, (0.6, 1.0, 0.4), strength=0.9)
    c.metal(sd_circle(0.0, 0.0, 0.45), (0.55, 0.62, 0.50), (-0.5, -0.5, 0.5, 0.5), bevel=0.14)
    panel_lines(c, sd_circle(0.0, 0.0, 0.3), (0.25, 0.3, 0.22, 0.8), 0.01, (-0.35, -0.35, 0.35, 0.35))
    # The eye looks forward (up).
    c.shape(sd_circle(0.0, 0.12, 0.13), lambda u, v, d: (0.08, 0.1, 0.08, 1.0), (-0.15, 0, 0.15, 0.3))
    c.glow(0.0, 0.12, 0.2, (0.5, 1.0, 0.3), strength=1.0)
    return c


def ship_chaser():
    """Needle-nosed pursuit craft; crimson with swept-back fins."""
    c = Canvas(128)
    fin = [(0.08, 0.0), (0.62, -0.62), (0.60, -0.85), (0.08, -0.55)]
    for pts in (fin, [(-u, v) for (u, v) in reversed(fin)]):
        c.metal(sd_polygon(pts), (0.45, 0.08, 0.10), bounds(pts), bevel=0.04)
    hull = [(0.0, 0.97), (0.05, 0.6), (0.13, 0.0), (0.15, -0.55), (0.09, -0.8)]
    c.metal(sd_mirror(hull), (0.82, 0.18, 0.16), bounds(mirror_points(hull)), bevel=0.07)
    c.shape(sd_ellipse(0.0, 0.28, 0.045, 0.15), lambda u, v, d: (1.0, 0.85, 0.4, 1.0), (-0.08, 0.1, 0.08, 0.45))
    panel_lines(c, lambda u, v: u, (0.35, 0.05, 0.05, 0.8), 0.006, (-0.02, -0.7, 0.02, 0.1))
    engine_glow(c, 0.0, -0.85, 0.16, (1.0, 0.4, 0.15))
    return c


def ship_runner():
    """Fast, slim courier with long straight wings; yellow and white."""
    c = Canvas(128)
    wing = [(0.08, -0.05), (0.9, -0.25), (0.9, -0.38), (0.08, -0.35)]
    for pts in (wing, [(-u, v) for (u, v) in reversed(wing)]):
        c.metal(sd_polygon(pts), (0.85, 0.72, 0.20), bounds(pts), bevel=0.05)
    for s in (1, -1):
        c.metal(sd_box(s * 0.82, -0.3, 0.05, 0.22, 0.04), (0.9, 0.9, 0.85), (s * 0.82 - 0.1, -0.58, s * 0.82 + 0.1, -0.02))
        c.glow(s * 0.82, -0.08, 0.07, (1.0, 1.0, 0.6), strength=0.9)
    hull = [(0.0, 0.95), (0.08, 0.55), (0.11, -0.2), (0.09, -0.8)]
    c.metal(sd_mirror(hull), (0.92, 0.92, 0.88), bounds(mirror_points(hull)), bevel=0.06)
    c.shape(sd_ellipse(0.0, 0.45, 0.04, 0.14), lambda u, v, d: (0.2, 0.4, 0.6, 1.0), (-0.06, 0.3, 0.06, 0.6))
    engine_glow(c, 0.0, -0.85, 0.15, (1.0, 0.85, 0.3))
    return c


def ship_ringer():
    """Circling gunship: an armoured ring around a glowing core; violet."""
    c = Canvas(128)
    ring = sd_subtract(sd_circle(0.0, 0.0, 0.85), sd_circle(0.0, 0.0, 0.58))
    c.metal(ring, (0.48, 0.30, 0.68), (-0.9, -0.9, 0.9, 0.9), bevel=0.1)
    for ang in range(0, 360, 45):
        a = math.radians(ang + 22.5)
        seam = lambda u, v, a=a: abs(u * math.sin(a) - v * math.cos(a)) - 0.008
        # Seams across the ring only: clipped to the ring and to its own side of the centre.
        on_ring = sd_intersect(sd_intersect(seam, sd_ring(0.0, 0.0, 0.715, 0.12)),
                               lambda u, v, a=a: -(u * math.cos(a) + v * math.sin(a)))
        c.shape(on_ring, lambda u, v, d: (0.25, 0.12, 0.35, 0.8), (-0.9, -0.9, 0.9, 0.9))
    for ang in (60, 120, 240, 300):
        a = math.radians(ang)
        x, y = math.cos(a) * 0.45, math.sin(a) * 0.45
        strut = [(x * 0.35 - y * 0.1, y * 0.35 + x * 0.1), (x * 1.3 - y * 0.06, y * 1.3 + x * 0.06),
                 (x * 1.3 + y * 0.06, y * 1.3 - x * 0.06), (x * 0.35 + y * 0.1, y * 0.35 - x * 0.1)]
        c.metal(sd_polygon(strut), (0.35, 0.35, 0.42), bounds(strut), bevel=0.03)
    c.metal(sd_circle(0.0, 0.0, 0.22), (0.7, 0.55, 0.9), (-0.25, -0.25, 0.25, 0.25), bevel=0.08)
    c.glow(0.0, 0.0, 0.35, (0.85, 0.5, 1.0), strength=0.9)
    # Forward gun at the top of the ring.
    c.metal(sd_box(0.0, 0.87, 0.05, 0.1, 0.02), (0.3, 0.3, 0.35), (-0.08, 0.75, 0.08, 0.99))
    return c


def ship_fighter():
    """Agile fighter with forward-swept wings; orange and gunmetal."""
    c = Canvas(128)
    wing = [(0.1, -0.3), (0.78, 0.25), (0.88, 0.18), (0.55, -0.45), (0.12, -0.6)]
    for pts in (wing, [(-u, v) for (u, v) in reversed(wing)]):
        c.metal(sd_polygon(pts), (0.95, 0.50, 0.12), bounds(pts), bevel=0.05)
    for s in (1, -1):
        c.metal(sd_box(s * 0.72, 0.32, 0.025, 0.16, 0.01), (0.3, 0.3, 0.34), (s * 0.72 - 0.05, 0.1, s * 0.72 + 0.05, 0.5))
    hull = [(0.0, 0.88), (0.1, 0.5), (0.17, -0.1), (0.2, -0.6), (0.12, -0.82)]
    c.metal(sd_mirror(hull), (0.34, 0.36, 0.40), bounds(mirror_points(hull)), bevel=0.08)
    c.shape(sd_ellipse(0.0, 0.3, 0.06, 0.17), lambda u, v, d: (0.95, 0.6, 0.2, 1.0), (-0.1, 0.1, 0.1, 0.5))
    c.glow(-0.02, 0.38, 0.06, (1.0, 1.0, 0.9), strength=0.7)
    for s in (-0.08, 0.08):
        engine_glow(c, s, -0.86, 0.12, (1.0, 0.55, 0.15))
    return c


def ship_heavy():
    """Slow, broad armoured freighter-gunship; dark steel with red bands."""
    c = Canvas(128)
    hull = [(0.0, 0.95), (0.22, 0.78), (0.5, 0.35), (0.62, -0.1), (0.6, -0.55), (0.45, -0.8), (0.2, -0.86)]
    c.metal(sd_mirror(hull), (0.40, 0.42, 0.46), bounds(mirror_points(hull)), bevel=0.1)
    for y in (0.25, -0.35):
        band = sd_intersect(sd_mirror(hull), sd_box(0.0, y, 0.9, 0.06))
        c.shape(band, lambda u, v, d: (0.70, 0.12, 0.10, 1.0), (-0.7, y - 0.08, 0.7, y + 0.08))
    bridge = [(0.0, 0.8), (0.12, 0.68), (0.16, 0.5), (0.0, 0.46)]
    c.metal(sd_mirror(bridge), (0.55, 0.58, 0.62), bounds(mirror_points(bridge)), bevel=0.05)
    c.shape(sd_box(0.0, 0.64, 0.08, 0.022), lambda u, v, d: (0.5, 0.9, 1.0, 1.0), (-0.12, 0.58, 0.12, 0.7))
    for s in (1, -1):
        c.metal(sd_circle(s * 0.3, -0.02, 0.11), (0.25, 0.26, 0.3), (s * 0.3 - 0.13, -0.15, s * 0.3 + 0.13, 0.11))
        c.metal(sd_box(s * 0.3, 0.13, 0.03, 0.14, 0.01), (0.2, 0.2, 0.24), (s * 0.3 - 0.05, -0.04, s * 0.3 + 0.05, 0.29))
    panel_lines(c, lambda u, v: u, (0.2, 0.2, 0.24, 0.8), 0.008, (-0.02, -0.8, 0.02, 0.42))
    for s in (-0.3, 0.0, 0.3):
        engine_glow(c, s, -0.84, 0.14, (1.0, 0.35, 0.2))
    return c


# ---------------------------------------------------------------------------------------------
# Bodies


def sphere_surface(size, radius, palette, salt, craters=0, bands=0.0, atmosphere=(0.0, 0.0, 0.0, 0.0),
                   ice=0.0):
    """A planet: noise mapped over a sphere, limb darkening (no fixed light, since planets
    turn), optional craters, bands and a thin atmosphere ring that fades out past the disc."""
    rng = make_rng(salt)
    fbm = Fbm(rng, base_period=4, octaves=6, gain=0.55)
    detail = Fbm(rng, base_period=16, octaves=3)
    crater_list = [(rng.uniform(-0.75, 0.75), rng.uniform(-0.75, 0.75), rng.uniform(0.03, 0.11)) for _ in range(craters)]
    c = Canvas(size)
    ar, ag, ab, aa = atmosphere
    edge = 1.5 * c.pixel_size()

    def fn(u, v):
        r = math.hypot(u, v) / radius
        if r > 1.06:
            return None
        if r > 1.0:
            # Haze just beyond the rim.
            k = (1.06 - r) / 0.06
            return (ar, ag, ab, aa * k * k) if aa > 0 else None
        z = math.sqrt(max(0.0, 1.0 - r * r))
        su, sv = u / radius, v / radius
        lon = math.atan2(su, z) / math.pi * 0.5 + 0.5
        lat = math.asin(clamp(sv, -1.0, 1.0)) / math.pi + 0.5
        n = fbm(lon, lat * 0.5)
        n += (detail(lon * 2.0, lat) - 0.5) * 0.25
        if bands > 0.0:
            n = n * 0.5 + 0.5 * (0.5 + 0.5 * math.sin(lat * bands + n * 6.0))
        col = ramp(palette, clamp(n))
        for cx, cy, cr in crater_list:
            d = math.hypot(su - cx, sv - cy) / cr
            if d < 1.3:
                # A shallow bowl with a bright rim, soft-edged.
                shade = 0.88 + 0.06 * d if d < 0.85 else (1.1 - 0.4 * (d - 0.85) if d < 1.1 else 1.0)
                col = (col[0] * shade, col[1] * shade, col[2] * shade)
        if ice > 0.0:
            cap = smoothstep(1.0 - ice, 1.0 - ice * 0.6, abs(sv))
            col = mix3(col, (0.92, 0.95, 1.0), cap)
        limb = 0.3 + 0.7 * math.sqrt(z)
        col = (col[0] * limb, col[1] * limb, col[2] * limb)
        if aa > 0.0:
            glow = (1.0 - z) ** 2.5 * aa
            col = mix3(col, (ar, ag, ab), clamp(glow))
        a = clamp((radius - math.hypot(u, v)) / edge + 0.5)
        return (clamp(col[0]), clamp(col[1]), clamp(col[2]), a if r > 0.97 else 1.0)

    c.fill(fn)
    return c


def mars():
    palette = [(0.0, (0.35, 0.12, 0.06)), (0.35, (0.62, 0.26, 0.12)), (0.55, (0.80, 0.42, 0.20)),
               (0.75, (0.88, 0.58, 0.34)), (1.0, (0.95, 0.75, 0.55))]
    return sphere_surface(256, 0.93, palette, 11, craters=10, atmosphere=(1.0, 0.6, 0.4, 0.5))


def blue_star():
    """A hot star, drawn additively: a granulated disc filling most of its square, which is
    also where it burns things, and a rayed corona fading out to the square's edge."""
    CORE = 0.68
    c = Canvas(256)
    rng = make_rng(5)
    gran = Fbm(rng, base_period=24, octaves=3)
    rays = ValueNoise(64, rng)

    def fn(u, v):
        r = math.hypot(u, v)
        if r >= 1.0:
            return None
        if r < CORE:
            z = math.sqrt(1.0 - (r / CORE) ** 2)
            g = gran(u * 0.8 + 2.0, v * 0.8 + 2.0)
            # Granulated surface, darker and bluer towards the limb; not pure white, so the
            # surface still shows when the star is added onto a bright background.
            col = mix3((0.45, 0.65, 1.0), (0.92, 0.96, 1.0), z ** 0.5)
            k = 0.92 + (g - 0.5) * 0.35
            col = (col[0] * k, col[1] * k, col[2] * k)
            edge = clamp((CORE - r) / 0.012)
            return (clamp(col[0]), clamp(col[1]), clamp(col[2]), 0.92 * edge + 0.75 * (1 - edge))
        t = (r - CORE) / (1.0 - CORE)
        angle = math.atan2(v, u)
        ray = rays(angle / math.pi * 32.0 + 32.0, 3.0 * t) * 0.5 + 0.5
        a = 0.75 * (1.0 - t) ** 2.2 * (0.55 + 0.45 * ray)
        col = mix3((0.45, 0.65, 1.0), (0.2, 0.4, 1.0), t)
        return (col[0], col[1], col[2], clamp(a))

    c.fill(fn)
    return c


def explosion():
    c = Canvas(256)
    rng = make_rng(21)
    fbm = Fbm(rng, base_period=6, octaves=5)
    palette = [(0.0, (1.0, 1.0, 0.9, 1.0)), (0.25, (1.0, 0.9, 0.45, 1.0)), (0.5, (1.0, 0.55, 0.12, 0.9)),
               (0.75, (0.75, 0.18, 0.05, 0.6)), (1.0, (0.3, 0.05, 0.02, 0.0))]

    def fn(u, v):
        r = math.hypot(u, v)
        if r >= 1.0:
            return None
        angle = math.atan2(v, u)
        n = fbm(angle / (2 * math.pi) + 0.5, r * 0.5)
        t = clamp(r / (0.55 + 0.45 * n))
        col = ramp(palette, t)
        return (col[0], col[1], col[2], clamp(col[3] * (1.0 - r) * 1.6))

    c.fill(fn)
    return c


def blast():
    c = Canvas(256)

    def fn(u, v):
        r = math.hypot(u, v)
        if r >= 1.0:
            return None
        ring = math.exp(-((r - 0.8) / 0.07) ** 2)
        inner = 0.18 * smoothstep(0.0, 0.8, r) * (1.0 if r < 0.8 else 0.0)
        front = math.exp(-((r - 0.86) / 0.025) ** 2) * 0.6
        a = clamp(ring + inner + front)
        col = mix3((1.0, 0.85, 0.6), (1.0, 1.0, 1.0), clamp(front * 1.5))
        return (col[0], col[1], col[2], a)

    c.fill(fn)
    return c


def wormhole_image():
    c = Canvas(256)
    rng = make_rng(33)
    fbm = Fbm(rng, base_period=4, octaves=4)

    def fn(u, v):
        r = math.hypot(u, v)
        if r >= 1.0:
            return None
        angle = math.atan2(v, u)
        swirl = angle + 4.0 * math.log(r + 0.05)
        arms = 0.5 + 0.5 * math.sin(3.0 * swirl + fbm(r, angle / (2 * math.pi) + 0.5) * 4.0)
        col = mix3((0.15, 0.35, 1.0), (0.75, 0.3, 1.0), clamp(r * 1.2))
        col = mix3((1.0, 0.95, 1.0), col, smoothstep(0.0, 0.3, r))
        a = (arms * 0.7 + 0.3) * smoothstep(1.0, 0.6, r)
        return (col[0], col[1], col[2], clamp(a))

    c.fill(fn)
    return c


# ---------------------------------------------------------------------------------------------
# Effects and particles


def flame_blob():
    c = Canvas(128)
    rng = make_rng(44)
    fbm = Fbm(rng, base_period=4, octaves=4)

    def fn(u, v):
        r = math.hypot(u, v)
        if r >= 1.0:
            return None
        n = fbm(u * 0.5 + 0.5, v * 0.5 + 0.5)
        t = clamp(r / (0.6 + 0.5 * n))
        col = ramp([(0.0, (1.0, 1.0, 1.0)), (0.4, (1.0, 0.95, 0.75)), (1.0, (1.0, 0.7, 0.4))], t)
        a = (1.0 - t) ** 1.4 * (0.7 + 0.6 * n)
        return (col[0], col[1], col[2], clamp(a))

    c.fill(fn)
    return c


def cloud():
    c = Canvas(128)
    rng = make_rng(55)
    fbm = Fbm(rng, base_period=4, octaves=5)

    def fn(u, v):
        r = math.hypot(u, v)
        if r >= 1.0:
            return None
        n = fbm(u * 0.5 + 0.5, v * 0.5 + 0.5)
        body = smoothstep(1.0, 0.2, r + (n - 0.5) * 0.6)
        shade = 0.75 + 0.25 * n
        return (shade, shade, shade * 1.02, clamp(body * (0.55 + 0.6 * n)))

    c.fill(fn)
    return c


def smoke_colours():
    c = Canvas(256, 64)
    stops = [(0.0, (0.9, 1.0, 1.0, 1.0)), (0.12, (0.35, 0.95, 1.0, 0.95)), (0.35, (0.3, 0.55, 0.7, 0.8)),
             (0.7, (0.35, 0.38, 0.45, 0.55)), (1.0, (0.3, 0.3, 0.34, 0.0))]

    def fn(u, v):
        t = (u + 1.0) / 2.0
        col = ramp(stops, t)
        return col

    c.fill(fn)
    return c


def bullet_dot():
    c = Canvas(64)
    c.glow(0.0, 0.0, 0.95, (1.0, 0.75, 0.3), strength=1.0, power=2.2)
    soft_dot(c, 0.0, 0.0, 0.4, (1.0, 1.0, 0.85), core=0.5)
    return c


def fragment():
    c = Canvas(64)
    c.glow(0.0, 0.0, 0.95, (1.0, 0.45, 0.1), strength=0.8, power=2.0)
    pts = [(0.0, 0.75), (0.28, 0.2), (0.18, -0.15), (0.35, -0.6), (-0.05, -0.3), (-0.3, -0.5), (-0.22, 0.1)]
    c.shape(sd_polygon(pts), lambda u, v, d: (1.0, mix(0.6, 1.0, clamp(-d * 6)), mix(0.2, 0.8, clamp(-d * 6)), 1.0),
            bounds(pts))
    return c


def shockwave_bullet():
    c = Canvas(64)
    c.glow(0.0, 0.0, 0.95, (0.4, 0.6, 1.0), strength=0.9, power=2.0)
    c.shape(sd_ring(0.0, 0.0, 0.62, 0.05), lambda u, v, d: (0.8, 0.9, 1.0, 0.9))
    soft_dot(c, 0.0, 0.0, 0.38, (0.95, 0.97, 1.0), core=0.45)
    return c


def white_dot():
    c = Canvas(64)
    soft_dot(c, 0.0, 0.0, 0.95, (1.0, 1.0, 1.0), core=0.55, power=1.3, mode="over")
    return c


def dot_triad():
    c = Canvas(64)
    for ang in (90, 210, 330):
        a = math.radians(ang)
        x, y = math.cos(a) * 0.5, math.sin(a) * 0.5
        c.glow(x, y, 0.45, (0.5, 0.9, 1.0), strength=0.8)
        soft_dot(c, x, y, 0.2, (1.0, 1.0, 1.0), core=0.4)
    return c


def diamond_particle():
    c = Canvas(64)
    c.glow(0.0, 0.0, 0.9, (0.9, 0.5, 1.0), strength=0.6, power=2.5)

    def star_sdf(u, v):
        return (abs(u) ** 0.5 + abs(v) ** 0.5) ** 2 - 0.9

    c.shape(star_sdf, lambda u, v, d: (1.0, mix(0.7, 1.0, clamp(-d * 3)), 1.0, clamp(0.6 - d * 2)))
    return c


def laser(width=128):
    """The beam's cross-section along s: white core, red glow; never fully transparent so a bar
    drawn with it reads along its length."""
    c = Canvas(width, 64)

    def fn(u, v):
        x = u
        core = math.exp(-(x / 0.16) ** 2)
        glow = math.exp(-(x / 0.55) ** 2)
        col = mix3((1.0, 0.2, 0.25), (1.0, 1.0, 1.0), core)
        return (col[0], col[1], col[2], clamp(0.3 + 0.7 * max(core, glow * 0.8)))

    c.fill(fn)
    return c


def white_laser():
    """Plain white strip, brighter in the middle, for bars tinted by the current colour."""
    c = Canvas(128, 64)

    def fn(u, v):
        t = 1.0 - u * u
        shade = 0.7 + 0.3 * t
        return (shade, shade, shade, 0.6 + 0.4 * t)

    c.fill(fn)
    return c


# ---------------------------------------------------------------------------------------------
# Backgrounds


def dust():
    """Near background: seamless tile of faint specks and dusty wisps, mostly transparent."""
    size = 512
    c = Canvas(size)
    rng = make_rng(66)
    wisps = Fbm(rng, base_period=4, octaves=5)
    veil = Fbm(rng, base_period=2, octaves=3)
    for y in range(size):
        t = y / size
        for x in range(size):
            s = x / size
            n = wisps(s, t)
            m = veil(s, t)
            a = smoothstep(0.52, 0.8, n) * 0.16 * (0.5 + m)
            if a > 0.0:
                i = y * size + x
                c.r[i], c.g[i], c.b[i], c.a[i] = (0.45 + 0.2 * m, 0.35 + 0.15 * n, 0.55, a)
    # Specks wrap around the tile edges.
    tints = [(1.0, 1.0, 1.0), (0.75, 0.85, 1.0), (1.0, 0.9, 0.75), (0.9, 0.8, 1.0)]
    for _ in range(420):
        cx, cy = rng.uniform(0, size), rng.uniform(0, size)
        rad = rng.choice((0.55, 0.6, 0.7, 0.8, 1.0, 1.4))
        bright = rng.uniform(0.25, 0.85) if rad < 1.2 else rng.uniform(0.45, 0.8)
        tint = rng.choice(tints)
        reach = int(math.ceil(rad * 2.2))
        for dy in range(-reach, reach + 1):
            for dx in range(-reach, reach + 1):
                px = int(cx) + dx
                py = int(cy) + dy
                d = math.hypot(px + 0.5 - cx, py + 0.5 - cy) / rad
                if d >= 2.2:
                    continue
                a = bright * math.exp(-d * d * 1.2)
                c.over((py % size) * size + (px % size), tint[0], tint[1], tint[2], a)
    return c


def nebula(size=512):
    """Far background: a wide nebula, semi-transparent so the near dust shows through it."""
    c = Canvas(size)
    rng = make_rng(77)
    warp_x = Fbm(rng, base_period=2, octaves=4)
    warp_y = Fbm(rng, base_period=2, octaves=4)
    gas = Fbm(rng, base_period=3, octaves=6, gain=0.55)
    hue = Fbm(rng, base_period=2, octaves=2)
    veins = Fbm(rng, base_period=6, octaves=4)
    violet = [(0.0, (0.06, 0.02, 0.12)), (0.4, (0.32, 0.07, 0.42)), (0.7, (0.75, 0.25, 0.55)),
              (1.0, (1.0, 0.8, 0.85))]
    teal = [(0.0, (0.02, 0.06, 0.12)), (0.4, (0.05, 0.26, 0.42)), (0.7, (0.15, 0.5, 0.7)),
            (1.0, (0.55, 0.8, 0.95))]
    for y in range(size):
        t = y / size
        for x in range(size):
            s = x / size
            ws = s + (warp_x(s, t) - 0.5) * 0.5
            wt = t + (warp_y(s, t) - 0.5) * 0.5
            n = gas(ws, wt)
            d = smoothstep(0.38, 0.78, n)
            d *= 0.75 + 0.5 * veins(ws, wt)
            h = smoothstep(0.42, 0.72, hue(s, t))
            col = mix3(ramp(violet, clamp(d)), ramp(teal, clamp(d)), h)
            i = y * size + x
            c.r[i], c.g[i], c.b[i] = col
            c.a[i] = clamp(0.08 + d * 0.45)
    for _ in range(30):
        cx, cy = rng.uniform(-1, 1), rng.uniform(-1, 1)
        c.glow(cx, cy, rng.uniform(0.006, 0.01), (0.9, 0.95, 1.0), strength=rng.uniform(0.4, 0.8), power=1.5)
    return c


# ---------------------------------------------------------------------------------------------
# HUD


def radar():
    c = Canvas(256)
    disc = 0.825

    def fn(u, v):
        r = math.hypot(u, v)
        if r > 0.95:
            return None
        if r <= disc:
            base = mix3((0.02, 0.16, 0.15), (0.01, 0.06, 0.07), r / disc)
            line = 0.0
            for ring_r in (disc / 3.0, disc * 2.0 / 3.0):
                line = max(line, math.exp(-((r - ring_r) / 0.006) ** 2))
            line = max(line, math.exp(-(u / 0.005) ** 2) * 0.7, math.exp(-(v / 0.005) ** 2) * 0.7)
            angle = (math.atan2(v, u) - math.radians(40)) % (2 * math.pi)
            sweep = math.exp(-angle * 2.5) * 0.35
            col = mix3(base, (0.3, 1.0, 0.75), clamp(line * 0.6 + sweep))
            return (col[0], col[1], col[2], clamp(0.72 + line * 0.25 + sweep * 0.3))
        # Bezel: a bevelled metal ring with tick marks.
        t = (r - disc) / (0.95 - disc)
        shade = 0.35 + 0.35 * math.sin(t * math.pi) + 0.15 * (v / max(r, 1e-6))
        angle = math.degrees(math.atan2(v, u)) % 30.0
        tick = 1.0 if (angle < 1.2 or angle > 28.8) and t < 0.55 else 0.0
        col = mix3((shade * 0.8, shade * 0.9, shade), (0.4, 1.0, 0.8), tick)
        a = clamp((0.95 - r) / 0.006)
        return (clamp(col[0]), clamp(col[1]), clamp(col[2]), a)

    c.fill(fn)
    c.shape(sd_ring(0.0, 0.0, disc, 0.008), lambda u, v, d: (0.4, 1.0, 0.8, 1.0))
    return c


def map_panel():
    c = Canvas(256)

    def fn(u, v):
        if abs(u) > 0.97 or abs(v) > 0.97:
            return None
        base = mix3((0.03, 0.06, 0.14), (0.05, 0.1, 0.2), (v + 1.0) / 2.0)
        gx = (u + 1.0) * 4.0
        gy = (v + 1.0) * 4.0
        line = max(math.exp(-((gx - round(gx)) / 0.03) ** 2), math.exp(-((gy - round(gy)) / 0.03) ** 2))
        col = mix3(base, (0.25, 0.5, 0.85), line * 0.5)
        return (col[0], col[1], col[2], 0.78)

    c.fill(fn)
    frame = sd_subtract(sd_box(0.0, 0.0, 0.97, 0.97, 0.06), sd_box(0.0, 0.0, 0.91, 0.91, 0.03))
    c.metal(frame, (0.45, 0.55, 0.7), None, bevel=0.04, rim=0.3)
    for sx in (1, -1):
        for sy in (1, -1):
            bracket = sd_union(sd_box(sx * 0.8, sy * 0.87, 0.1, 0.012), sd_box(sx * 0.87, sy * 0.8, 0.012, 0.1))
            c.shape(bracket, lambda u, v, d: (0.45, 0.85, 1.0, 1.0),
                    (sx * 0.8 - 0.15, sy * 0.8 - 0.15, sx * 0.8 + 0.15, sy * 0.8 + 0.15))
    return c


def enemy_blip():
    c = Canvas(64)
    c.glow(0.0, 0.0, 0.95, (1.0, 0.2, 0.15), strength=0.8, power=2.0)
    c.shape(lambda u, v: abs(u) + abs(v) - 0.5, lambda u, v, d: (1.0, mix(0.3, 0.8, clamp(-d * 4)), 0.25, 1.0))
    return c


def player_blip():
    c = Canvas(64)
    c.glow(0.0, 0.0, 0.95, (0.2, 1.0, 0.6), strength=0.8, power=2.0)
    c.shape(sd_ring(0.0, 0.0, 0.62, 0.08), lambda u, v, d: (0.5, 1.0, 0.7, 1.0))
    soft_dot(c, 0.0, 0.0, 0.35, (0.85, 1.0, 0.9), core=0.6, mode="over")
    return c


def cursor():
    c = Canvas(64)
    c.shape(sd_ring(0.0, 0.0, 0.55, 0.045), lambda u, v, d: (1.0, 1.0, 1.0, 0.95))
    for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
        tick = sd_box(dx * 0.78, dy * 0.78, 0.2 if dx else 0.045, 0.2 if dy else 0.045)
        c.shape(tick, lambda u, v, d: (1.0, 1.0, 1.0, 0.95))
    soft_dot(c, 0.0, 0.0, 0.1, (1.0, 1.0, 1.0), core=0.5, mode="over")
    return c


# ---------------------------------------------------------------------------------------------
# UI


def button(pressed, lit):
    c = Canvas(256, 64)
    hx, hy = 0.97, 0.86

    def sdf(u, v):
        # Rounded corners in pixels, not in stretched uv units.
        return sd_box(0.0, 0.0, hx, hy, 0.0)(u, v)

    radius_px = 12.0

    def rounded(u, v):
        x = (abs(u) - hx) * 128.0 + radius_px
        y = (abs(v) - hy) * 32.0 + radius_px
        outside = math.hypot(max(x, 0.0), max(y, 0.0))
        return (outside + min(max(x, y), 0.0) - radius_px) / 128.0

    border = (0.35, 0.95, 1.0) if lit else (0.45, 0.58, 0.72)
    top, bottom = ((0.08, 0.11, 0.17), (0.14, 0.2, 0.3)) if pressed else ((0.2, 0.28, 0.4), (0.1, 0.14, 0.22))
    if lit:
        top = mix3(top, (0.15, 0.45, 0.55), 0.35)
        bottom = mix3(bottom, (0.05, 0.25, 0.32), 0.35)

    def colour(u, v, d):
        depth = -d * 128.0
        t = (v + 1.0) / 2.0
        col = mix3(bottom, top, t)
        if depth < 3.0:
            col = border
        elif depth < 5.0:
            col = mix3(border, col, (depth - 3.0) / 2.0)
        if pressed and v > hy - 0.25 and depth >= 3.0:
            col = mix3(col, (0.0, 0.0, 0.0), 0.35 * clamp((v - (hy - 0.25)) / 0.25))
        if not pressed and v > 0.35 and depth >= 5.0:
            col = mix3(col, (1.0, 1.0, 1.0), 0.07)
        return (col[0], col[1], col[2], 0.95)

    c.shape(rounded, colour, feather=0.5)
    return c


def arrow():
    c = Canvas(64)
    pts = [(0.85, 0.0), (0.0, 0.72), (0.0, 0.3), (-0.75, 0.3), (-0.75, -0.3), (0.0, -0.3), (0.0, -0.72)]
    c.metal(sd_polygon(pts), (0.9, 0.93, 0.97), bounds(pts), bevel=0.08, rim=0.35)
    return c


# ---------------------------------------------------------------------------------------------
# Projectiles (pointing up)


def pellet():
    c = Canvas(64)
    c.glow(0.0, 0.0, 0.95, (1.0, 0.8, 0.3), strength=0.8, power=2.2)
    c.shape(sd_ellipse(0.0, 0.05, 0.26, 0.4), lambda u, v, d: (1.0, 1.0, mix(0.6, 0.95, clamp(-d * 5)), 1.0))
    return c


def beam():
    c = Canvas(64)

    def fn(u, v):
        core = math.exp(-(u / 0.12) ** 2) * smoothstep(1.0, 0.7, abs(v))
        glow = math.exp(-(u / 0.4) ** 2) * smoothstep(1.0, 0.4, abs(v))
        col = mix3((0.2, 0.6, 1.0), (1.0, 1.0, 1.0), core)
        return (col[0], col[1], col[2], clamp(max(core, glow * 0.7)))

    c.fill(fn)
    return c


def missile():
    c = Canvas(64)
    c.glow(0.0, -0.78, 0.35, (1.0, 0.6, 0.2), strength=1.0, power=1.5)
    fins = [(0.08, -0.3), (0.34, -0.62), (0.34, -0.75), (0.08, -0.62)]
    for pts in (fins, [(-u, v) for (u, v) in reversed(fins)]):
        c.metal(sd_polygon(pts), (0.7, 0.15, 0.12), bounds(pts), bevel=0.05)
    body = [(0.0, 0.9), (0.1, 0.65), (0.12, -0.68)]
    c.metal(sd_mirror(body), (0.82, 0.84, 0.86), bounds(mirror_points(body)), bevel=0.06)
    tip = sd_intersect(sd_mirror(body), lambda u, v: 0.6 - v)
    c.shape(tip, lambda u, v, d: (0.85, 0.15, 0.12, 1.0), (-0.15, 0.55, 0.15, 0.95))
    return c


def shell():
    c = Canvas(64)
    body = [(0.0, 0.85), (0.14, 0.55), (0.2, 0.2), (0.2, -0.75)]
    c.metal(sd_mirror(body), (0.85, 0.65, 0.3), bounds(mirror_points(body)), bevel=0.08)
    c.shape(sd_box(0.0, -0.55, 0.21, 0.05), lambda u, v, d: (0.55, 0.35, 0.15, 1.0), (-0.25, -0.65, 0.25, -0.45))
    c.glow(0.0, -0.8, 0.3, (1.0, 0.6, 0.2), strength=0.7)
    return c


def bomb():
    c = Canvas(64)
    for s in (1, -1):
        fin = [(s * 0.12, -0.35), (s * 0.45, -0.75), (s * 0.12, -0.75)]
        if s < 0:
            fin = list(reversed(fin))
        c.metal(sd_polygon(fin), (0.3, 0.32, 0.36), bounds(fin), bevel=0.04)
    c.metal(sd_circle(0.0, 0.08, 0.5), (0.25, 0.27, 0.3), (-0.55, -0.45, 0.55, 0.6), bevel=0.15)
    c.shape(sd_intersect(sd_circle(0.0, 0.08, 0.5), sd_box(0.0, 0.08, 0.6, 0.06)),
            lambda u, v, d: (0.9, 0.15, 0.1, 1.0), (-0.55, -0.02, 0.55, 0.18))
    c.glow(0.0, 0.08, 0.35, (1.0, 0.3, 0.2), strength=0.8)
    return c


def spark():
    c = Canvas(64)
    c.glow(0.0, 0.0, 0.95, (1.0, 0.55, 0.15), strength=0.7, power=2.4)

    def star_sdf(u, v):
        return (abs(u) ** 0.45 + abs(v) ** 0.45) ** (1 / 0.45) - 0.85

    c.shape(star_sdf, lambda u, v, d: (1.0, mix(0.75, 1.0, clamp(-d * 4)), mix(0.3, 0.9, clamp(-d * 4)), 1.0))
    return c


def plasma():
    c = Canvas(64)
    c.glow(0.0, 0.0, 0.95, (0.3, 1.0, 0.4), strength=0.9, power=1.8)
    c.shape(sd_ring(0.0, 0.0, 0.45, 0.06), lambda u, v, d: (0.6, 1.0, 0.6, 0.8))
    soft_dot(c, 0.0, 0.0, 0.35, (0.9, 1.0, 0.9), core=0.5)
    return c


# ---------------------------------------------------------------------------------------------
# Sound


def engine_sound(path, seconds=1.0, rate=22050):
    """A low engine hum whose every component completes whole cycles in the clip, so it loops
    without a click."""
    rng = make_rng(88)
    n = int(seconds * rate)
    partials = [(55, 0.35), (110, 0.22), (165, 0.12), (220, 0.08), (275, 0.05), (330, 0.03)]
    # Rumble: many quiet partials at whole-cycle frequencies with random phases.
    for f in range(60, 900, 7):
        partials.append((f, 0.02 * (60.0 / f) ** 0.7 * rng.uniform(0.3, 1.0)))
    phases = [rng.uniform(0, 2 * math.pi) for _ in partials]
    wobble = 6  # cycles per clip of a slow throb
    samples = []
    peak = 0.0
    for i in range(n):
        t = i / n
        throb = 1.0 + 0.18 * math.sin(2 * math.pi * wobble * t)
        s = 0.0
        for (f, a), ph in zip(partials, phases):
            s += a * math.sin(2 * math.pi * f * seconds * t + ph)
        s *= throb
        samples.append(s)
        peak = max(peak, abs(s))
    scale = 0.6 * 32767 / peak
    data = b"".join(struct.pack("<h", int(s * scale)) for s in samples)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(data)
    print("wrote", path, os.path.getsize(path), "bytes")


IMAGES = [
    ("player.png", ship_player), ("mouse.png", cursor), ("enemy.png", ship_enemy), ("explosion.png", explosion),
    ("laser.png", laser), ("bulletDot.png", bullet_dot), ("fragment.png", fragment), ("blast.png", blast),
    ("shockwaveBullet.png", shockwave_bullet), ("dust.png", dust), ("mars.png", mars), ("radar.png", radar),
    ("enemyRadar.png", enemy_blip), ("playerRadar.png", player_blip), ("bluestar.png", blue_star),
    ("dotTriad.png", dot_triad), ("diamondParticle.png", diamond_particle), ("flame.tga", flame_blob),
    ("wormhole1.tga", wormhole_image), ("map.png", map_panel), ("whiteDot.png", white_dot), ("cloud.png", cloud),
    ("smokeColors.png", smoke_colours), ("background2.png", nebula),
    ("buttonUp.png", lambda: button(False, False)), ("buttonSel.png", lambda: button(False, True)),
    ("buttonDown.png", lambda: button(True, False)), ("buttonDownSel.png", lambda: button(True, True)),
    ("arrow.png", arrow), ("whiteLaser.png", white_laser),
    ("shipDrone.png", ship_drone), ("shipChaser.png", ship_chaser), ("shipRunner.png", ship_runner),
    ("shipRinger.png", ship_ringer), ("shipFighter.png", ship_fighter), ("shipHeavy.png", ship_heavy),
    ("pellet.png", pellet), ("beam.png", beam), ("missile.png", missile), ("shell.png", shell), ("bomb.png", bomb),
    ("spark.png", spark), ("plasma.png", plasma),
]


def main():
    global OUT
    if len(sys.argv) > 1:
        OUT = sys.argv[1]
    only = set(sys.argv[2:])
    os.makedirs(os.path.join(OUT, "sounds"), exist_ok=True)
    for name, make in IMAGES:
        if only and name not in only:
            continue
        save(make(), name)
    if not only or "engine.wav" in only:
        engine_sound(os.path.join(OUT, "sounds", "engine.wav"))


if __name__ == "__main__":
    main()
