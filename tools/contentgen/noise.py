"""Deterministic value noise: an integer hash on the lattice, smooth interpolation
between lattice points, and fractal sums of it. No global random state is used,
so the output depends only on the seed and the coordinates."""

import math


def _hash(ix, iy, seed):
    # A small integer mixer (xorshift-multiply); the result lies in [0, 1).
    h = (ix * 374761393 + iy * 668265263 + seed * 2147483647) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    h ^= h >> 16
    return h / 4294967296.0


def _smooth(t):
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0)


def value2(x, y, seed=0):
    """Value noise in [0, 1) at (x, y), lattice spacing 1."""
    ix = math.floor(x)
    iy = math.floor(y)
    fx = _smooth(x - ix)
    fy = _smooth(y - iy)
    a = _hash(ix, iy, seed)
    b = _hash(ix + 1, iy, seed)
    c = _hash(ix, iy + 1, seed)
    d = _hash(ix + 1, iy + 1, seed)
    top = a + (b - a) * fx
    bottom = c + (d - c) * fx
    return top + (bottom - top) * fy


def value2_tiled(x, y, period_x, period_y, seed=0):
    """Value noise that repeats every period_x by period_y lattice cells."""
    ix = math.floor(x)
    iy = math.floor(y)
    fx = _smooth(x - ix)
    fy = _smooth(y - iy)
    x0, x1 = ix % period_x, (ix + 1) % period_x
    y0, y1 = iy % period_y, (iy + 1) % period_y
    a = _hash(x0, y0, seed)
    b = _hash(x1, y0, seed)
    c = _hash(x0, y1, seed)
    d = _hash(x1, y1, seed)
    top = a + (b - a) * fx
    bottom = c + (d - c) * fx
    return top + (bottom - top) * fy


def fbm(x, y, octaves=5, seed=0, lacunarity=2.0, gain=0.5):
    """Fractal sum of value noise, normalised to [0, 1)."""
    total = 0.0
    amplitude = 1.0
    norm = 0.0
    for octave in range(octaves):
        total += value2(x, y, seed + octave * 101) * amplitude
        norm += amplitude
        amplitude *= gain
        x *= lacunarity
        y *= lacunarity
    return total / norm


def fbm_tiled(x, y, period_x, period_y, octaves=4, seed=0):
    """Fractal value noise that repeats every period_x by period_y (the periods
    double with each octave, so they stay whole)."""
    total = 0.0
    amplitude = 1.0
    norm = 0.0
    for octave in range(octaves):
        total += value2_tiled(x, y, period_x, period_y, seed + octave * 101) * amplitude
        norm += amplitude
        amplitude *= 0.5
        x *= 2.0
        y *= 2.0
        period_x *= 2
        period_y *= 2
    return total / norm


def ridged(x, y, octaves=4, seed=0):
    """Ridged fractal noise in [0, 1]: sharp crests where value noise crosses 0.5."""
    total = 0.0
    amplitude = 1.0
    norm = 0.0
    weight = 1.0
    for octave in range(octaves):
        n = 1.0 - abs(value2(x, y, seed + octave * 131) * 2.0 - 1.0)
        n = n * n * weight
        weight = min(1.0, n * 2.0)
        total += n * amplitude
        norm += amplitude
        amplitude *= 0.5
        x *= 2.0
        y *= 2.0
    return total / norm


def smoothstep(edge0, edge1, x):
    if edge0 == edge1:
        return 0.0 if x < edge0 else 1.0
    t = min(1.0, max(0.0, (x - edge0) / (edge1 - edge0)))
    return t * t * (3.0 - 2.0 * t)


def lerp(a, b, t):
    return a + (b - a) * t


def clamp(x, lo=0.0, hi=1.0):
    return lo if x < lo else hi if x > hi else x
