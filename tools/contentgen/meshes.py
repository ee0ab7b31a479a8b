"""Triangle meshes built from a few primitives (lofts through rings, lathes,
convex prisms, boxes), with a texture atlas laid out by face direction, written
in the OBJ subset the game reads: "v", "vt", "vn" and triangular "f" lines with
v/vt/vn corners, all "v" lines before the first "f", one space after keywords.

Winding: every triangle is turned so that its normal, by the right-hand rule,
points away from a reference point inside its part; the game culls back faces.

Atlas: faces whose normal is mostly vertical (seen from the camera above) take
the top view, u from +x to -x (image left is world +x, as on screen) and v
from the back to the front, in the upper three quarters of the image. Faces
facing sideways take a side strip (v 0 to 1/8), faces facing front or back a
front strip (v 1/8 to 1/4). No face is projected edge-on, so every triangle
has texture area and a well-defined tangent frame.
"""

import math

TOP = "top"
SIDE = "side"
FRONT = "front"


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def add(a, b):
    return (a[0] + b[0], a[1] + b[1], a[2] + b[2])


def scale(a, s):
    return (a[0] * s, a[1] * s, a[2] * s)


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def length(a):
    return math.sqrt(dot(a, a))


def normalize(a):
    n = length(a)
    return (0.0, 0.0, 0.0) if n == 0.0 else scale(a, 1.0 / n)


def centroid(points):
    n = float(len(points))
    return (sum(p[0] for p in points) / n, sum(p[1] for p in points) / n, sum(p[2] for p in points) / n)


class Mesh:
    def __init__(self):
        # Each triangle: (p1, p2, p3, material)
        self.triangles = []

    # -- primitives -------------------------------------------------------

    def triangle(self, p1, p2, p3, material, inside):
        """Adds a triangle facing away from the point `inside`; drops slivers."""
        n = cross(sub(p2, p1), sub(p3, p1))
        if length(n) < 1e-6:
            return
        if dot(n, sub(centroid((p1, p2, p3)), inside)) < 0.0:
            p2, p3 = p3, p2
        self.triangles.append((p1, p2, p3, material))

    def quad(self, a, b, c, d, material, inside):
        self.triangle(a, b, c, material, inside)
        self.triangle(a, c, d, material, inside)

    def loft(self, rings, material, cap_first=True, cap_last=True, cap_material=None):
        """Joins closed rings of equal point count in order; each band faces
        away from the axis through the ring centres."""
        centres = [centroid(r) for r in rings]
        for i in range(len(rings) - 1):
            a, b = rings[i], rings[i + 1]
            inside = scale(add(centres[i], centres[i + 1]), 0.5)
            n = len(a)
            for j in range(n):
                k = (j + 1) % n
                self.quad(a[j], a[k], b[k], b[j], material, inside)
        caps = []
        if cap_first:
            caps.append((rings[0], centres[0], centres[1]))
        if cap_last:
            caps.append((rings[-1], centres[-1], centres[-2]))
        for ring, centre, neighbour in caps:
            inside = add(centre, scale(sub(neighbour, centre), 0.5))
            for j in range(len(ring)):
                self.triangle(centre, ring[j], ring[(j + 1) % len(ring)], cap_material or material, inside)

    def lathe(self, profile, segments, centre=(0.0, 0.0, 0.0), material="hull", phase=0.0, materials=None):
        """Turns a profile of (radius, height) pairs about the vertical axis
        through `centre`. `materials` may give one material per profile band."""
        rings = []
        for (r, y) in profile:
            ring = []
            for s in range(segments):
                a = phase + 2.0 * math.pi * s / segments
                ring.append((centre[0] + r * math.cos(a), centre[1] + y, centre[2] + r * math.sin(a)))
            rings.append(ring)
        # Solids of revolution are near enough convex: face away from the middle.
        inside = (centre[0], centre[1] + sum(y for (_r, y) in profile) / len(profile), centre[2])
        for i in range(len(rings) - 1):
            band = materials[i] if materials else material
            for j in range(segments):
                k = (j + 1) % segments
                self.quad(rings[i][j], rings[i][k], rings[i + 1][k], rings[i + 1][j], band, inside)

    def prism(self, polygon, axis, start, end, material, side_material=None):
        """Extrudes a convex polygon along an axis ('x', 'y' or 'z') from `start`
        to `end`. Polygon points are (a, b) in the other two axes, in x-y-z order."""
        def point(a, b, t):
            if axis == "x":
                return (t, a, b)
            if axis == "y":
                return (a, t, b)
            return (a, b, t)
        ring0 = [point(a, b, start) for (a, b) in polygon]
        ring1 = [point(a, b, end) for (a, b) in polygon]
        inside = centroid(ring0 + ring1)
        n = len(polygon)
        for j in range(n):
            k = (j + 1) % n
            self.quad(ring0[j], ring0[k], ring1[k], ring1[j], side_material or material, inside)
        for ring in (ring0, ring1):
            for j in range(1, n - 1):
                self.triangle(ring[0], ring[j], ring[j + 1], material, inside)

    def box(self, centre, half, material):
        cx, cy, cz = centre
        hx, hy, hz = half
        polygon = [(cy - hy, cz - hz), (cy + hy, cz - hz), (cy + hy, cz + hz), (cy - hy, cz + hz)]
        self.prism(polygon, "x", cx - hx, cx + hx, material)

    def mirrored_x(self):
        """Adds a copy of every triangle mirrored across x = 0."""
        for (p1, p2, p3, m) in list(self.triangles):
            q1, q2, q3 = ((-p1[0], p1[1], p1[2]), (-p2[0], p2[1], p2[2]), (-p3[0], p3[1], p3[2]))
            # Mirroring flips the winding; swap two corners to keep it outward.
            self.triangles.append((q1, q3, q2, m))

    def merge(self, other):
        self.triangles.extend(other.triangles)

    # -- measures ---------------------------------------------------------

    def bounds(self):
        pts = [p for t in self.triangles for p in t[:3]]
        lo = tuple(min(p[i] for p in pts) for i in range(3))
        hi = tuple(max(p[i] for p in pts) for i in range(3))
        return lo, hi


def face_normal(tri):
    return normalize(cross(sub(tri[1], tri[0]), sub(tri[2], tri[0])))


class Atlas:
    """Maps model points to texture coordinates by face direction (see above)
    and back, so that texture painting can follow the model."""

    MARGIN = 0.01

    def __init__(self, lo, hi):
        pad = 0.5
        self.lo = (lo[0] - pad, lo[1] - pad, lo[2] - pad)
        self.hi = (hi[0] + pad, hi[1] + pad, hi[2] + pad)

    def _fx(self, x):  # 0 at world +x edge, 1 at -x edge
        return (self.hi[0] - x) / (self.hi[0] - self.lo[0])

    def _fy(self, y):
        return (y - self.lo[1]) / (self.hi[1] - self.lo[1])

    def _fz(self, z):
        return (z - self.lo[2]) / (self.hi[2] - self.lo[2])

    @staticmethod
    def region_of(normal):
        ax, ay, az = abs(normal[0]), abs(normal[1]), abs(normal[2])
        if ay >= ax and ay >= az:
            return TOP
        if ax >= az:
            return SIDE
        return FRONT

    @staticmethod
    def region_box(region):
        """(u0, v0, u1, v1) of a region in texture coordinates."""
        m = Atlas.MARGIN
        if region == TOP:
            return (m, 0.25 + m, 1.0 - m, 1.0 - m)
        if region == SIDE:
            return (m, m, 1.0 - m, 0.125 - m)
        return (m, 0.125 + m, 1.0 - m, 0.25 - m)

    def uv(self, p, region):
        u0, v0, u1, v1 = self.region_box(region)
        if region == TOP:
            a, b = self._fx(p[0]), self._fz(p[2])
        elif region == SIDE:
            a, b = self._fz(p[2]), self._fy(p[1])
        else:
            a, b = self._fx(p[0]), self._fy(p[1])
        return (u0 + (u1 - u0) * a, v0 + (v1 - v0) * b)

    def point_on_top(self, u, v):
        """Model (x, z) seen at a texture coordinate of the top region."""
        u0, v0, u1, v1 = self.region_box(TOP)
        a = (u - u0) / (u1 - u0)
        b = (v - v0) / (v1 - v0)
        x = self.hi[0] - a * (self.hi[0] - self.lo[0])
        z = self.lo[2] + b * (self.hi[2] - self.lo[2])
        return x, z


def fmt(v):
    s = "%.4f" % v
    if s == "-0.0000":
        s = "0.0000"
    return s


def write_obj_flat(path, mesh, atlas, title):
    """Every triangle gets its own corners, so each face is lit flat."""
    v_lines, vt_lines, vn_lines, f_lines = [], [], [], []
    for i, tri in enumerate(mesh.triangles):
        n = face_normal(tri)
        region = Atlas.region_of(n)
        for p in tri[:3]:
            v_lines.append("v %s %s %s" % (fmt(p[0]), fmt(p[1]), fmt(p[2])))
            u, v = atlas.uv(p, region)
            vt_lines.append("vt %s %s" % (fmt(u), fmt(v)))
        vn_lines.append("vn %s %s %s" % (fmt(n[0]), fmt(n[1]), fmt(n[2])))
        a = 3 * i + 1
        f_lines.append("f %d/%d/%d %d/%d/%d %d/%d/%d" % (a, a, i + 1, a + 1, a + 1, i + 1, a + 2, a + 2, i + 1))
    _write(path, title, v_lines, vt_lines, vn_lines, f_lines)


def write_obj_smooth(path, positions, texcoords, normals, faces, title):
    """Shared corners: faces are (i, j, k) indices (0-based) into all three lists."""
    v_lines = ["v %s %s %s" % (fmt(p[0]), fmt(p[1]), fmt(p[2])) for p in positions]
    vt_lines = ["vt %s %s" % (fmt(t[0]), fmt(t[1])) for t in texcoords]
    vn_lines = ["vn %s %s %s" % (fmt(n[0]), fmt(n[1]), fmt(n[2])) for n in normals]
    f_lines = ["f %d/%d/%d %d/%d/%d %d/%d/%d" % (i + 1, i + 1, i + 1, j + 1, j + 1, j + 1, k + 1, k + 1, k + 1)
               for (i, j, k) in faces]
    _write(path, title, v_lines, vt_lines, vn_lines, f_lines)


def _write(path, title, v_lines, vt_lines, vn_lines, f_lines):
    with open(path, "w", newline="\n") as f:
        f.write("# %s\n# Generated by tools/generate_content.py; edit the generator, not this file.\n" % title)
        for block in (v_lines, vt_lines, vn_lines, f_lines):
            f.write("\n".join(block))
            f.write("\n")
