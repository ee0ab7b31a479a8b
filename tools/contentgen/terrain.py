"""The heightmap of Level 1: a river that runs the whole level through five
landscapes, one after another along the flight:

  meadows   rolling hills on both banks of a wide river
  valleys   ridges crossing the level with the river in the valleys between
  canyon    a high plateau with the river cut deep into it, buttes beside
  mountains sharp ridged peaks that carry snow, a narrow valley in between
  craters   a dark plain of impact craters, some flooded, for the last fight

Row r of the image is terrain row z = r (23 world units per row), column x is
world x = (x - width / 2) * 23. A grey level is 2.3 world units of height.
"""

import math

from .noise import fbm, ridged, smoothstep, value2, lerp, clamp

WIDTH = 160
# 1913 rows = 43999 world units; the terrain is cut into 50-row chunks, so the
# height must not be a multiple of 50 (the last chunk reads one row past its end).
HEIGHT = 1913
ROW_LENGTH = 23.0

# Section boundaries in rows, each blended into the next over BLEND rows.
SECTIONS = [
    ("meadows", 0),
    ("valleys", 280),
    ("canyon", 640),
    ("mountains", 1000),
    ("craters", 1380),
]
BLEND = 50

RIVER_BED = 10.0


def river_centre(row):
    """Column of the river's middle at a row: slow meanders plus small wiggles."""
    return (WIDTH / 2.0
            + 20.0 * math.sin(row / 68.0)
            + 8.0 * math.sin(row / 23.0 + 1.3)
            + 3.0 * math.sin(row / 9.5 + 0.4))


def section_weights(row):
    """Weight of each landscape at a row; the weights sum to 1."""
    weights = []
    for i, (name, start) in enumerate(SECTIONS):
        rise = 1.0 if i == 0 else smoothstep(start - BLEND / 2, start + BLEND / 2, row)
        if i + 1 < len(SECTIONS):
            end = SECTIONS[i + 1][1]
            fall = 1.0 - smoothstep(end - BLEND / 2, end + BLEND / 2, row)
        else:
            fall = 1.0
        weights.append((name, rise * fall))
    return weights


def _craters():
    """Fixed crater list (column, row, radius in columns) for the last section."""
    craters = []
    for i in range(46):
        r = SECTIONS[4][1] + 20 + value2(i * 7.3, 1.7, 901) * (HEIGHT - SECTIONS[4][1] - 20)
        c = 12 + value2(i * 3.1, 9.2, 902) * (WIDTH - 24)
        radius = 4.0 + value2(i * 5.7, 4.4, 903) ** 2 * 13.0
        craters.append((c, r, radius))
    return craters


CRATERS = _craters()


def meadows(x, r):
    hills = fbm(x / 38.0, r / 38.0, 5, seed=11)
    return 45.0 + 70.0 * hills


def valleys(x, r):
    # Ridges that cross the level at an angle, so each one is flown over.
    warp = 12.0 * (fbm(x / 40.0, r / 40.0, 2, seed=31) - 0.5)
    u = x * 0.55 + r * 0.83 + warp
    v = -x * 0.83 + r * 0.55
    ridge = ridged(u / 22.0, v / 70.0, 4, seed=23)
    base = fbm(x / 45.0, r / 45.0, 4, seed=29)
    return 30.0 + 190.0 * ridge ** 2.0 + 45.0 * base


def canyon(x, r):
    plateau = 140.0 + 60.0 * fbm(x / 28.0, r / 28.0, 4, seed=37)
    # Terraces: the plateau breaks in steps like layered rock.
    step = 16.0
    level = math.floor(plateau / step)
    frac = (plateau - level * step) / step
    plateau = (level + smoothstep(0.7, 1.0, frac)) * step
    # Side gullies that wind across into the canyon.
    bend = 14.0 * (fbm(x / 20.0, r / 20.0, 2, seed=43) - 0.5)
    gully = ridged(x / 30.0, (r + bend) / 9.0, 2, seed=41)
    plateau -= 60.0 * smoothstep(0.78, 0.97, gully)
    return plateau


def mountains(x, r):
    wx = x + 10.0 * (fbm(x / 30.0, r / 30.0, 2, seed=57) - 0.5)
    wr = r + 10.0 * (fbm(x / 30.0 + 7.0, r / 30.0, 2, seed=58) - 0.5)
    peaks = ridged(wx / 20.0, wr / 20.0, 5, seed=53)
    base = fbm(x / 60.0, r / 60.0, 3, seed=59)
    return 40.0 + 240.0 * peaks ** 1.6 + 50.0 * base


def craters(x, r):
    h = 38.0 + 30.0 * fbm(x / 25.0, r / 25.0, 4, seed=67)
    for (cx, cr, radius) in CRATERS:
        dx = x - cx
        dr = r - cr
        if abs(dx) > radius * 1.8 or abs(dr) > radius * 1.8:
            continue
        d = math.sqrt(dx * dx + dr * dr) / radius
        if d < 1.0:
            # Bowl: deepest in the middle, a small central peak in big craters.
            h -= (1.0 - d * d) * (14.0 + radius * 2.2)
            if radius > 10.0:
                h += 18.0 * max(0.0, 1.0 - d * 5.0)
        if d < 1.6:
            # Raised rim, strongest at the crater's edge.
            h += (12.0 + radius * 2.0) * math.exp(-((d - 1.0) / 0.22) ** 2)
    return h


LANDSCAPES = {
    "meadows": meadows,
    "valleys": valleys,
    "canyon": canyon,
    "mountains": mountains,
    "craters": craters,
}


def height_at(x, r, weights=None):
    if weights is None:
        weights = section_weights(r)
    h = 0.0
    canyon_weight = 0.0
    for name, w in weights:
        if w > 0.0:
            h += w * LANDSCAPES[name](x, r)
            if name == "canyon":
                canyon_weight = w

    # The river: a flat bed, banks that widen into a valley around it. In the
    # canyon its walls are steep and the valley narrow.
    d = abs(x - river_centre(r))
    half = lerp(4.0, 3.5, canyon_weight)
    bank = lerp(17.0, 6.5, canyon_weight)
    # The river widens into a lake in the crater field and then ends.
    lake_row = SECTIONS[4][1] + 120
    fade = 1.0 - smoothstep(lake_row + 40, lake_row + 140, r)
    lake = math.exp(-((r - lake_row) / 45.0) ** 2)
    half += 9.0 * lake
    bank += 8.0 * lake
    t = smoothstep(half, bank, d)
    carved = lerp(RIVER_BED + 3.0 * value2(x / 3.0, r / 3.0, 71), h, t ** (lerp(1.0, 0.45, canyon_weight)))
    h = lerp(h, carved, fade)

    # Small grain everywhere so slopes catch the light.
    h += 4.0 * (value2(x / 2.0, r / 2.0, 79) - 0.5)
    # The level starts at the coast: the land rises out of the sea that the
    # backdrop shows beyond the terrain's first row.
    coast = smoothstep(0.0, 45.0, r + 12.0 * (value2(x / 9.0, 0.5, 83) - 0.5))
    h = lerp(RIVER_BED - 4.0, h, coast)
    return clamp(h, 0.0, 255.0)


def build():
    rows = []
    for r in range(HEIGHT):
        weights = section_weights(r)
        rows.append([int(round(height_at(x, r, weights))) for x in range(WIDTH)])
    return rows


def generate(data_dir):
    from .images import save_tga_grey
    rows = build()
    save_tga_grey(data_dir + "/levels/Level1-height.tga", WIDTH, HEIGHT, rows)
    return rows
