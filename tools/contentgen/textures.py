"""Every texture of data/textures/. Colours are floats in [0, 1]; images are
saved as 8-bit RGB or RGBA PNGs by images.save_png.

Ship and enemy textures follow the model atlas of meshes.py. Their alpha is a
glow mask read by player.shdr and enemy.shdr: 1 is ordinary lit paint, 0 is
self-lit (engine exhausts, eyes, reactor rings); a plain RGB texture thus
has no glow. Sprite textures (bullets, explosion, clouds, GUI) use alpha as
coverage."""

import math
import os

from PIL import Image, ImageDraw, ImageFont

from .images import save_png, save_image
from .meshes import Atlas, face_normal, TOP, SIDE, FRONT
from .noise import fbm, fbm_tiled, value2, smoothstep, lerp, clamp

FONT_PATH = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf"
FONT_LICENCE = "/usr/share/doc/fonts-dejavu-core/copyright"


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


def mul(a, s):
    return tuple(c * s for c in a)


# -- ships ----------------------------------------------------------------------

# Per model: material -> (colour, glow); "lines" marks painted panels.
PALETTES = {
    "ship.obj": {
        "hull": ((0.80, 0.84, 0.90), 0.0), "wing": ((0.56, 0.64, 0.78), 0.0),
        "canopy": ((0.10, 0.26, 0.60), 0.0), "exhaust": ((0.55, 0.92, 1.00), 1.0),
        "gun": ((0.30, 0.31, 0.34), 0.0), "pod": ((0.62, 0.66, 0.72), 0.0),
        "fin": ((1.00, 0.52, 0.10), 0.0), "accent": ((1.00, 0.52, 0.10), 0.0),
    },
    "dart.obj": {
        "hull": ((0.62, 0.14, 0.12), 0.0), "wing": ((0.40, 0.09, 0.10), 0.0),
        "eye": ((1.00, 0.25, 0.15), 1.0), "exhaust": ((1.00, 0.65, 0.20), 1.0),
        "stripe": ((0.95, 0.80, 0.20), 0.0), "accent": ((0.95, 0.80, 0.20), 0.0),
    },
    "weaver.obj": {
        "hull": ((0.46, 0.30, 0.66), 0.0), "glow": ((0.30, 1.00, 0.80), 1.0),
        "eye": ((1.00, 0.30, 0.85), 1.0), "stripe": ((0.92, 0.78, 0.30), 0.0),
        "accent": ((0.25, 0.18, 0.40), 0.0),
    },
    "turret.obj": {
        "hull": ((0.46, 0.50, 0.36), 0.0), "stripe": ((0.88, 0.72, 0.16), 0.0),
        "dome": ((0.30, 0.44, 0.30), 0.0), "eye": ((1.00, 0.20, 0.10), 1.0),
        "gun": ((0.22, 0.22, 0.22), 0.0), "accent": ((0.10, 0.10, 0.10), 0.0),
    },
    "bomber.obj": {
        "hull": ((0.38, 0.44, 0.40), 0.0), "wing": ((0.32, 0.37, 0.34), 0.0),
        "eye": ((1.00, 0.55, 0.10), 1.0), "exhaust": ((1.00, 0.60, 0.20), 1.0),
        "pod": ((0.50, 0.52, 0.50), 0.0), "stripe": ((0.75, 0.15, 0.12), 0.0),
        "accent": ((0.75, 0.15, 0.12), 0.0),
    },
    "warden.obj": {
        "hull": ((0.34, 0.34, 0.40), 0.0), "wing": ((0.28, 0.28, 0.34), 0.0),
        "stripe": ((0.72, 0.10, 0.16), 0.0), "dome": ((0.55, 0.12, 0.16), 0.0),
        "eye": ((1.00, 0.35, 0.20), 1.0), "glow": ((1.00, 0.70, 0.25), 1.0),
        "canopy": ((0.45, 0.05, 0.08), 0.0), "pod": ((0.42, 0.42, 0.48), 0.0),
        "gun": ((0.18, 0.18, 0.20), 0.0), "exhaust": ((1.00, 0.45, 0.20), 1.0),
        "accent": ((0.72, 0.10, 0.16), 0.0),
    },
}

PAINTED = ("hull", "wing", "pod", "dome")


def paint_ship(path, model_name, mesh, atlas, size):
    palette = PALETTES[model_name]
    materials = ["hull"] + sorted(set(t[3] for t in mesh.triangles))
    index = {m: i for i, m in enumerate(materials)}

    # Material map: which material shows at each texel. Faces seen from above
    # are drawn last and highest last, so the top view wins over the bottom.
    ids = Image.new("L", (size, size), 0)
    draw = ImageDraw.Draw(ids)
    def order(tri):
        n = face_normal(tri)
        return (n[1] > 0.0, sum(p[1] for p in tri[:3]))
    for tri in sorted(mesh.triangles, key=order):
        region = Atlas.region_of(face_normal(tri))
        pts = []
        for p in tri[:3]:
            u, v = atlas.uv(p, region)
            pts.append((u * size, (1.0 - v) * size))
        draw.polygon(pts, fill=index[tri[3]], outline=index[tri[3]])
    idpix = ids.load()

    lo, hi = atlas.lo, atlas.hi
    span = max(hi[0], -lo[0])
    seed = sum(ord(c) for c in model_name)
    pixels = []
    for py in range(size):
        v = 1.0 - (py + 0.5) / size
        for px in range(size):
            u = (px + 0.5) / size
            material = materials[idpix[px, py]]
            colour, glow = palette.get(material, palette["hull"])
            # Model coordinates under this texel, for panels and stripes.
            if v >= 0.25:
                x, z = atlas.point_on_top(u, v)
                a, b = x, z
            else:
                a, b = u * 100.0, v * 800.0
                x, z = 0.0, a
            grain = fbm(a / 6.0, b / 6.0, 3, seed=seed)
            if material in PAINTED:
                shade = 0.90 + 0.14 * grain
                # Panel seams: plates laid like bricks, a few a shade darker.
                course = math.floor(b / 13.0)
                shifted = a + 5.5 * (course % 2)
                plate = math.floor(shifted / 11.0)
                sx = abs((shifted % 11.0) - 5.5)
                sz = abs((b % 13.0) - 6.5)
                if sx > 5.0 or sz > 6.0:
                    shade *= 0.6
                elif value2(plate * 1.7, course * 2.3, seed) > 0.7:
                    shade *= 0.9
                colour = mul(colour, shade)
                # Accent bands across the wings near their tips.
                if v >= 0.25 and material == "wing" and 0.62 * span < abs(x) < 0.70 * span:
                    colour = palette["accent"][0]
                # A dark weathering wash towards the back edge.
                colour = mul(colour, 1.0 - 0.25 * smoothstep(0.55, 0.95, grain))
            elif material == "canopy":
                shine = smoothstep(0.4, 0.0, abs((a * 0.6 + b * 0.2) % 7.0 - 3.5) / 3.5)
                colour = mix(colour, (0.75, 0.9, 1.0), 0.35 * shine + 0.15 * grain)
            elif material == "stripe" and model_name == "turret.obj":
                # Hazard stripes on the platform rim.
                if ((a + b) % 12.0) < 6.0:
                    colour = palette["accent"][0]
            elif glow > 0.0:
                colour = mix(colour, (1.0, 1.0, 1.0), 0.35 * smoothstep(0.4, 0.8, grain))
            else:
                colour = mul(colour, 0.9 + 0.15 * grain)
            pixels.append((colour[0], colour[1], colour[2], 1.0 - glow))
    save_png(path, size, size, pixels, alpha=True)


# -- sprites ------------------------------------------------------------------

def radial(size, fn):
    pixels = []
    for y in range(size):
        for x in range(size):
            dx = (x + 0.5) / size * 2.0 - 1.0
            dy = (y + 0.5) / size * 2.0 - 1.0
            pixels.append(fn(dx, dy, math.sqrt(dx * dx + dy * dy)))
    return pixels


def explosion(path):
    def fn(dx, dy, r):
        angle = math.atan2(dy, dx)
        turb = fbm(math.cos(angle) * 2.0 + 3.0, math.sin(angle) * 2.0 + 3.0 + r * 3.0, 4, seed=401)
        puff = fbm(dx * 4.0 + 10.0, dy * 4.0 + 10.0, 3, seed=402)
        edge = r + 0.35 * (turb - 0.5) + 0.15 * (puff - 0.5)
        a = smoothstep(0.95, 0.55, edge)
        heat = clamp(1.0 - edge * 1.15 + 0.2 * (puff - 0.5))
        if heat > 0.66:
            c = mix((1.0, 0.75, 0.30), (1.0, 0.98, 0.85), (heat - 0.66) / 0.34)
        elif heat > 0.33:
            c = mix((0.90, 0.30, 0.06), (1.0, 0.75, 0.30), (heat - 0.33) / 0.33)
        else:
            c = mix((0.30, 0.08, 0.04), (0.90, 0.30, 0.06), heat / 0.33)
        return (c[0], c[1], c[2], a)
    save_png(path, 128, 128, radial(128, fn))


def shockwave(path):
    """A smooth ring of 'height' for the distortion map: the distort shader bends
    the picture along the gradient of the red channel."""
    def fn(dx, dy, r):
        ring = math.exp(-((r - 0.72) / 0.11) ** 2) * smoothstep(1.0, 0.9, r)
        return (1.0, 1.0, 1.0, ring * 0.9)
    save_png(path, 128, 128, radial(128, fn))


def backdrop(path):
    """Deep water far below the terrain, seen past its edges and its end."""
    size = 256
    pixels = []
    for y in range(size):
        for x in range(size):
            u, v = x / size, y / size
            n = fbm_tiled(u * 8.0, v * 8.0, 8, 8, 4, seed=501)
            w = fbm_tiled(u * 16.0 + n * 2.0, v * 4.0, 16, 4, 3, seed=502)
            c = mix((0.03, 0.07, 0.14), (0.08, 0.18, 0.28), n)
            c = mix(c, (0.20, 0.36, 0.46), 0.35 * smoothstep(0.62, 0.8, w))
            pixels.append(c)
    save_png(path, size, size, pixels, alpha=False)


def foreground(path):
    """Thin clouds and a little debris passing over the play plane. It repeats
    along the strip, so it tiles vertically; it is mostly fully transparent."""
    size = 256
    pixels = []
    # A few small shards of debris: sharp-edged, lit from the upper left.
    rocks = []
    for i in range(9):
        rocks.append((value2(i * 3.3, 1.1, 611) * size, value2(i * 5.1, 2.2, 612) * size,
                      1.5 + 2.0 * value2(i * 7.7, 3.3, 613), i))
    for y in range(size):
        for x in range(size):
            u, v = x / size, y / size
            n = fbm_tiled(u * 4.0, v * 4.0, 4, 4, 5, seed=601)
            band = 0.5 + 0.5 * math.sin(2.0 * math.pi * (u * 1.0 + 0.25))
            cloud = smoothstep(0.5, 0.76, n * (0.8 + 0.3 * band))
            a = 0.34 * cloud
            c = mix((0.70, 0.78, 0.88), (1.0, 1.0, 1.0), cloud)
            for (rx, ry, rr, i) in rocks:
                dx = x - rx
                dy = ((y - ry + size / 2) % size) - size / 2
                d = math.sqrt(dx * dx + dy * dy) / rr
                # Angular outline: the radius jumps between five facets.
                facet = math.floor((math.atan2(dy, dx) + math.pi) / (2.0 * math.pi) * 5.0)
                rough = d * (0.75 + 0.5 * value2(facet * 1.3 + i * 10.0, 0.5, 614))
                if rough < 1.0:
                    shade = 0.3 + 0.4 * clamp(-(dx + dy) / (rr * 1.5) + 0.5)
                    c = (shade * 0.8, shade * 0.75, shade * 0.7)
                    a = max(a, smoothstep(1.0, 0.85, rough))
            pixels.append((c[0], c[1], c[2], a))
    save_png(path, size, size, pixels)


def bullet(path, core, rim, length, width, glow):
    """A bolt whose head points towards the image's right edge, the direction
    in which the game turns a bullet's texture to face its flight."""
    size = 32
    def fn(dx, dy, r):
        # Teardrop: long tail to the left, round head to the right.
        ex = dx / length if dx < 0.0 else dx / (width * 1.2)
        e = math.sqrt(ex * ex + (dy / width) ** 2)
        a = smoothstep(1.0, 0.55, e)
        halo = glow * smoothstep(1.0, 0.2, r) * 0.5
        c = mix(rim, core, smoothstep(0.75, 0.2, e))
        return (c[0], c[1], c[2], clamp(max(a, halo)))
    save_png(path, size, size, radial(size, fn))


def orb(path, core, rim, radius):
    size = 32
    def fn(dx, dy, r):
        a = smoothstep(radius, radius * 0.7, r)
        halo = 0.45 * smoothstep(1.0, radius * 0.6, r)
        c = mix(rim, core, smoothstep(radius * 0.7, radius * 0.2, r))
        return (c[0], c[1], c[2], clamp(max(a, halo)))
    save_png(path, size, size, radial(size, fn))


# -- GUI --------------------------------------------------------------------------

def gui_corner(path):
    """Quarter disc centred on the image's bottom-right corner: the panel's
    rounded outer corner sits at the image's top-left, texture (0, 1)."""
    size = 32
    pixels = []
    for y in range(size):
        for x in range(size):
            inside = 0
            for sy in range(4):
                for sx in range(4):
                    px = x + (sx + 0.5) / 4.0
                    py = y + (sy + 0.5) / 4.0
                    if (size - px) ** 2 + (size - py) ** 2 <= size * size:
                        inside += 1
            pixels.append((1.0, 1.0, 1.0, inside / 16.0))
    save_png(path, size, size, pixels)


def gui_meters(path):
    """Upper half: the shield meter's pattern; lower half: the hit points'."""
    w, h = 128, 32
    pixels = []
    for y in range(h):
        for x in range(w):
            shield = y < h // 2
            row = (y % (h // 2)) / (h // 2 - 1)
            t = x / (w - 1)
            if shield:
                c = mix((0.10, 0.45, 0.95), (0.45, 0.95, 1.00), t)
                stripe = ((x + y) % 8) < 4
                c = mul(c, 1.0 if stripe else 0.82)
            else:
                c = mix((0.85, 0.15, 0.10), (0.35, 0.95, 0.30), t)
            # Raised look: a highlight near the top, darker towards the bottom.
            c = mix(c, (1.0, 1.0, 1.0), 0.45 * smoothstep(0.35, 0.0, row))
            c = mul(c, 1.0 - 0.35 * smoothstep(0.5, 1.0, row))
            # Segment gaps let the black frame behind show through.
            a = 0.35 if x % 8 == 7 else 1.0
            pixels.append((c[0], c[1], c[2], a))
    save_png(path, w, h, pixels)


def gui_bars(path):
    """The shop's strip cell: each cell shows the left 13/32 of this image."""
    size = 32
    pixels = []
    for y in range(size):
        for x in range(size):
            if x < 13:
                if x == 0 or x == 12 or y == 0 or y == size - 1:
                    c, a = (0.25, 0.18, 0.05), 1.0
                else:
                    t = y / (size - 1)
                    c = mix((1.0, 0.88, 0.45), (0.75, 0.45, 0.08), t)
                    c = mix(c, (1.0, 1.0, 0.9), 0.5 * smoothstep(4.0, 1.0, x))
                    a = 1.0
            else:
                c, a = (1.0, 1.0, 1.0), 0.0
            pixels.append((c[0], c[1], c[2], a))
    save_png(path, size, size, pixels)


def font(path):
    """16 x 16 cells of 16 x 16 pixels; cell i holds the character of byte
    i + 32 (Latin-1), white on a dark outline. The game draws each cell 16 wide
    and 24 high, so glyphs are rendered 1.5 times as tall and squeezed back."""
    scale = 4
    cell_w, cell_h = 16, 24
    face = ImageFont.truetype(FONT_PATH, 20 * scale)
    sheet = Image.new("RGBA", (256, 256), (255, 255, 255, 0))
    for i in range(224):
        code = i + 32
        if code == 127 or 128 <= code <= 160:
            continue  # control characters and the no-break space stay empty
        glyph = Image.new("L", (cell_w * scale, cell_h * scale), 0)
        d = ImageDraw.Draw(glyph)
        ch = bytes([code]).decode("latin-1")
        advance = face.getlength(ch)
        d.text(((cell_w * scale - advance) / 2.0, 19 * scale), ch, fill=255, font=face, anchor="ls")
        small = glyph.resize((16, 16), Image.LANCZOS)
        cover = small.load()
        cell = Image.new("RGBA", (16, 16), (255, 255, 255, 0))
        out = cell.load()
        for y in range(16):
            for x in range(16):
                g = cover[x, y] / 255.0
                o = 0.0
                for yy in range(max(0, y - 1), min(16, y + 2)):
                    for xx in range(max(0, x - 1), min(16, x + 2)):
                        o = max(o, cover[xx, yy] / 255.0)
                o = min(1.0, o * 1.6) * 0.85
                a = g + o * (1.0 - g)
                w = 0.0 if a <= 0.0 else g / a
                out[x, y] = (int(w * 255 + 0.5),) * 3 + (int(a * 255 + 0.5),)
        sheet.paste(cell, ((i % 16) * 16, (i // 16) * 16))
    save_image(path, sheet)


BULLETS = {
    # file: painter
    "bullet-vulcan.png": lambda p: bullet(p, (1.0, 1.0, 0.85), (1.0, 0.70, 0.15), 0.95, 0.30, 0.6),
    "bullet-needle.png": lambda p: bullet(p, (0.90, 1.0, 1.0), (0.20, 0.75, 1.0), 0.95, 0.22, 0.5),
    "bullet-orb.png": lambda p: orb(p, (1.0, 0.95, 0.80), (1.0, 0.30, 0.10), 0.62),
    "bullet-bolt.png": lambda p: orb(p, (1.0, 0.90, 1.0), (0.85, 0.15, 0.85), 0.78),
}


def generate(data_dir, built_models):
    tex = data_dir + "/textures/"
    for model_name, (mesh, atlas, _title, texture) in built_models.items():
        size = 256 if model_name in ("ship.obj", "warden.obj", "bomber.obj") else 128
        paint_ship(tex + texture, model_name, mesh, atlas, size)
    explosion(tex + "explosion.png")
    shockwave(tex + "shockwave.png")
    backdrop(tex + "bg.png")
    foreground(tex + "fg.png")
    for name, painter in BULLETS.items():
        painter(tex + name)
    gui_corner(tex + "gui-corner.png")
    gui_meters(tex + "gui-meters.png")
    gui_bars(tex + "gui-bars.png")
    font(tex + "font.png")
    with open(FONT_LICENCE, "rb") as src:
        licence = src.read()
    with open(tex + "font-licence.txt", "wb") as dst:
        dst.write(b"font.png is rendered from DejaVu Sans Mono Bold (Debian package fonts-dejavu-core).\n"
                  b"Its licence follows.\n\n")
        dst.write(licence)
