#!/usr/bin/env python3
"""Regenerates the generated files of data/: every texture, every model, the
heightmap, the text files of Level 1 (level, enemy types, bullet types,
enemy timeline) and the sounds. Shaders, scripts and docs are written by hand.

    python3 tools/generate_content.py        (from the repository root)

Needs Python 3 with Pillow (Debian: python3-pil) and the DejaVu fonts (Debian:
fonts-dejavu-core), NumPy (python3-numpy) and oggenc (vorbis-tools). The output depends only on fixed seeds, so two runs give
the same bytes; `--check` regenerates into a scratch directory and compares.
"""

import filecmp
import os
import sys
import tempfile

sys.dont_write_bytecode = True  # keep tools/ free of __pycache__
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

try:
    import PIL  # noqa: F401
except ImportError:
    sys.exit("Pillow is missing: install python3-pil (or run with the python3 that has it, e.g. /usr/bin/python3).")

from contentgen import level, models, sounds, terrain, textures  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def generate(data_dir):
    for sub in ("textures", "models", "levels"):
        os.makedirs(os.path.join(data_dir, sub), exist_ok=True)
    built = models.build_all()
    models.generate(data_dir, built)
    print("models: %d" % (len(built) + 1))
    textures.generate(data_dir, built)
    print("textures: done")
    terrain.generate(data_dir)
    print("heightmap: %d x %d" % (terrain.WIDTH, terrain.HEIGHT))
    count = level.generate(data_dir)
    print("timeline: %d enemies" % count)
    sounds.generate(data_dir)
    print("sounds: done")


def check():
    """Regenerates into a scratch directory and compares with data/."""
    with tempfile.TemporaryDirectory() as scratch:
        generate(scratch)
        differ = []
        for dirpath, _dirs, files in os.walk(scratch):
            for name in files:
                fresh = os.path.join(dirpath, name)
                rel = os.path.relpath(fresh, scratch)
                shipped = os.path.join(ROOT, "data", rel)
                if not os.path.exists(shipped) or not filecmp.cmp(fresh, shipped, shallow=False):
                    differ.append(rel)
        for rel in differ:
            print("differs: data/" + rel)
        return not differ


if __name__ == "__main__":
    if "--check" in sys.argv[1:]:
        sys.exit(0 if check() else 1)
    generate(os.path.join(ROOT, "data"))
