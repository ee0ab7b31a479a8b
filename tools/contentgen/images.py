"""Writing images: 8-bit RGB or RGBA PNGs (no palette, no interlace, no text or
time chunks, so the bytes depend only on the pixels) and the 8-bit greyscale
TGA layout that the terrain loader reads."""

import struct

from PIL import Image


def _to_bytes(pixels, channels):
    out = bytearray(len(pixels) * channels)
    i = 0
    for p in pixels:
        for c in range(channels):
            v = int(p[c] * 255.0 + 0.5)
            out[i] = 0 if v < 0 else 255 if v > 255 else v
            i += 1
    return bytes(out)


def save_png(path, width, height, pixels, alpha=True):
    """pixels: row-major list of (r, g, b[, a]) floats in [0, 1], top row first."""
    mode = "RGBA" if alpha else "RGB"
    data = _to_bytes(pixels, 4 if alpha else 3)
    image = Image.frombytes(mode, (width, height), data)
    save_image(path, image)


def save_image(path, image):
    if image.mode not in ("RGB", "RGBA"):
        raise ValueError("%s: only RGB and RGBA images are written, not %s" % (path, image.mode))
    # No pnginfo, no dpi: Pillow then writes only IHDR, IDAT and IEND.
    image.save(path, format="PNG", optimize=False, compress_level=9)


def save_tga_grey(path, width, height, rows):
    """rows: list of `height` rows, each `width` ints 0..255; row 0 first."""
    header = bytes([0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0]) + struct.pack("<HHBB", width, height, 8, 0)
    body = bytearray()
    for row in rows:
        if len(row) != width:
            raise ValueError("row of %d pixels in a %d-wide image" % (len(row), width))
        body.extend(row)
    with open(path, "wb") as f:
        f.write(header)
        f.write(bytes(body))
