"""The game's ships. The player's ship points its nose towards +z (up the
screen); enemies point theirs towards -z, at the player. Sizes are world units;
each enemy model spans about its type's size (its collision diameter).

Material names tell the texture painter what to put where (see textures.py)."""

import math

from .meshes import Mesh, Atlas, write_obj_flat, write_obj_smooth


def hull_ring(z, w, top, bottom, y=0.0, x=0.0):
    """An octagonal section, `w` half-wide, `top` above and `bottom` below y."""
    return [
        (x + w, y, z), (x + 0.65 * w, y + 0.8 * top, z), (x, y + top, z), (x - 0.65 * w, y + 0.8 * top, z),
        (x - w, y, z), (x - 0.65 * w, y - 0.75 * bottom, z), (x, y - bottom, z), (x + 0.65 * w, y - 0.75 * bottom, z),
    ]


def tube_ring(z, r, x, y, sides=8):
    return [(x + r * math.cos(2 * math.pi * s / sides + math.pi / sides),
             y + r * math.sin(2 * math.pi * s / sides + math.pi / sides), z) for s in range(sides)]


def wing_ring(x, z_lead, z_trail, thickness, y):
    """An airfoil-like hexagon in the z-y plane at span position x."""
    chord = z_lead - z_trail
    t = thickness / 2.0
    return [
        (x, y, z_trail), (x, y + t * 0.6, z_trail + chord * 0.3), (x, y + t, z_trail + chord * 0.7),
        (x, y, z_lead), (x, y - t * 0.8, z_trail + chord * 0.7), (x, y - t * 0.5, z_trail + chord * 0.3),
    ]


# -- the player's ship -----------------------------------------------------

def player_ship():
    m = Mesh()
    # Fuselage from the exhausts (-z) to the nose (+z).
    m.loft([
        hull_ring(-44, 7, 5, 4),
        hull_ring(-36, 11, 8, 6),
        hull_ring(-15, 13, 11, 7),
        hull_ring(10, 11, 10, 6),
        hull_ring(32, 7, 7, 4),
        hull_ring(48, 3, 3.5, 2),
        hull_ring(57, 0.6, 0.8, 0.5),
    ], "hull", cap_material="exhaust")
    # Canopy on the spine.
    m.loft([
        hull_ring(-10, 1.5, 2, 1, y=7),
        hull_ring(-2, 5, 8, 1, y=7),
        hull_ring(14, 5, 7, 1, y=7),
        hull_ring(27, 1.5, 2, 1, y=6),
    ], "canopy")
    side = Mesh()
    # Swept wings with a little dihedral.
    side.loft([
        wing_ring(9, 12, -34, 5, 0),
        wing_ring(26, -6, -36, 3.5, 1.5),
        wing_ring(42.5, -16, -38, 2, 3),
    ], "wing", cap_first=False)
    # Wing-tip cannons.
    side.loft([tube_ring(z, r, 40, 3, 6) for (z, r) in ((-30, 1.6), (-2, 1.6), (4, 1.0))], "gun")
    # Engine pods under the wings, glowing at the back.
    side.loft([tube_ring(z, r, 20, -2) for (z, r) in ((-43, 4), (-38, 5.5), (-12, 5), (0, 2.5))],
              "pod", cap_material="exhaust")
    # Canted tail fins.
    side.prism([(4, -42), (17, -40), (17, -34), (4, -20)], "x", 9.0, 10.5, "fin")
    m.merge(_mirror(side))
    return m


def _mirror(mesh):
    mesh.mirrored_x()
    return mesh


def shield_shell():
    """An ellipsoid around the ship, smooth, with sphere texture coordinates."""
    rx, ry, rz, cz = 56.0, 24.0, 64.0, 6.0
    stacks, slices = 12, 24
    positions, texcoords, normals, faces = [], [], [], []
    for i in range(stacks + 1):
        theta = math.pi * i / stacks  # 0 at the top
        for j in range(slices + 1):
            phi = 2.0 * math.pi * j / slices
            nx = math.sin(theta) * math.cos(phi)
            ny = math.cos(theta)
            nz = math.sin(theta) * math.sin(phi)
            positions.append((rx * nx, ry * ny, cz + rz * nz))
            n = (nx / rx, ny / ry, nz / rz)
            ln = math.sqrt(n[0] ** 2 + n[1] ** 2 + n[2] ** 2)
            normals.append((n[0] / ln, n[1] / ln, n[2] / ln))
            texcoords.append((j / slices, 1.0 - i / stacks))
    row = slices + 1
    for i in range(stacks):
        for j in range(slices):
            a = i * row + j
            b = a + 1
            c = a + row
            d = c + 1
            # Outward winding: (a, b, c) with theta growing downwards and phi
            # turning from +x towards +z faces out.
            if i != 0:
                faces.append((a, b, c) if _outward(positions, a, b, c) else (a, c, b))
            if i != stacks - 1:
                faces.append((b, d, c) if _outward(positions, b, d, c) else (b, c, d))
    return positions, texcoords, normals, faces


def _outward(positions, a, b, c):
    pa, pb, pc = positions[a], positions[b], positions[c]
    e1 = (pb[0] - pa[0], pb[1] - pa[1], pb[2] - pa[2])
    e2 = (pc[0] - pa[0], pc[1] - pa[1], pc[2] - pa[2])
    n = (e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0])
    centre = ((pa[0] + pb[0] + pc[0]) / 3.0, (pa[1] + pb[1] + pc[1]) / 3.0, (pa[2] + pb[2] + pc[2]) / 3.0 - 6.0)
    return n[0] * centre[0] + n[1] * centre[1] + n[2] * centre[2] > 0.0


# -- enemies (noses towards -z) -----------------------------------------------

def dart():
    """A small delta-winged diver, about 50 across."""
    m = Mesh()
    m.loft([
        hull_ring(26, 4, 3, 3),
        hull_ring(20, 6.5, 6, 4),
        hull_ring(0, 6, 6.5, 4),
        hull_ring(-18, 3.5, 4, 2.5),
        hull_ring(-30, 0.5, 0.6, 0.5),
    ], "hull", cap_material="exhaust")
    m.loft([
        hull_ring(4, 1.0, 1.5, 0.5, y=4),
        hull_ring(-4, 3.0, 4.5, 0.5, y=4),
        hull_ring(-14, 1.0, 1.5, 0.5, y=3),
    ], "eye")
    side = Mesh()
    side.prism([(4, -14), (25, 18), (25, 23), (4, 22)], "y", -1.2, 1.2, "wing")
    side.prism([(2, 12), (10, 22), (10, 26), (2, 26)], "x", 3.0, 4.2, "stripe")
    m.merge(_mirror(side))
    return m


def weaver():
    """A saucer with a glowing rim and three pods, about 60 across."""
    m = Mesh()
    profile = [(0.0, 10.0), (9.0, 9.0), (15.0, 6.0), (26.0, 2.0), (30.0, 0.0), (26.0, -3.0), (12.0, -6.0), (0.0, -7.0)]
    m.lathe(profile, 12, materials=["eye", "hull", "hull", "glow", "glow", "hull", "hull"])
    for k in range(3):
        a = math.pi / 2 + 2 * math.pi * k / 3
        cx, cz = 24 * math.cos(a), 24 * math.sin(a)
        m.lathe([(0.0, 6.0), (4.0, 4.5), (5.0, 1.0), (3.0, -2.5), (0.0, -3.0)], 6,
                centre=(cx, 0.0, cz), material="stripe")
    return m


def turret():
    """A hexagonal gun platform with a domed head and twin barrels, about 70 across."""
    m = Mesh()
    m.lathe([(0.0, 5.0), (29.0, 5.0), (35.0, 0.0), (31.0, -5.0), (0.0, -5.0)], 6, material="hull",
            phase=math.pi / 6, materials=["hull", "stripe", "stripe", "hull"])
    m.lathe([(0.0, 19.0), (7.0, 18.0), (12.0, 14.0), (15.0, 8.0), (16.0, 4.0)], 10,
            materials=["eye", "dome", "dome", "dome"])
    for x in (-6.0, 6.0):
        m.loft([tube_ring(z, r, x, 10, 6) for (z, r) in ((-6, 2.6), (-30, 2.2), (-34, 1.4))], "gun")
    return m


def bomber():
    """A broad flying wing with four engines, about 135 across."""
    m = Mesh()
    m.loft([
        hull_ring(52, 8, 6, 5),
        hull_ring(40, 15, 12, 8),
        hull_ring(0, 16, 14, 9),
        hull_ring(-32, 11, 10, 6),
        hull_ring(-50, 3, 3, 2),
    ], "hull", cap_material="exhaust")
    m.loft([
        hull_ring(-8, 2, 3, 1, y=10),
        hull_ring(-20, 6, 7, 1, y=9),
        hull_ring(-34, 2, 3, 1, y=6),
    ], "eye")
    side = Mesh()
    side.loft([wing_ring(14, -30, 44, 7, 0), wing_ring(46, -4, 40, 5, -2), wing_ring(67, 16, 36, 3, -4)],
              "wing", cap_first=False)
    for x in (24.0, 44.0):
        side.loft([tube_ring(z, r, x, -3) for (z, r) in ((56, 4.5), (48, 6.5), (20, 6), (8, 3))],
                  "pod", cap_material="exhaust")
    side.prism([(0, 30), (14, 44), (14, 50), (0, 52)], "x", 30.0, 32.0, "stripe")
    m.merge(_mirror(side))
    return m


def warden():
    """The boss: an armoured carrier about 280 across, with wing batteries and
    a glowing reactor dome on its back."""
    m = Mesh()
    m.loft([
        hull_ring(150, 30, 18, 14),
        hull_ring(120, 48, 30, 20),
        hull_ring(20, 52, 34, 22),
        hull_ring(-80, 40, 26, 16),
        hull_ring(-140, 20, 14, 9),
        hull_ring(-165, 6, 5, 4),
    ], "hull", cap_material="exhaust")
    m.lathe([(0.0, 58.0), (14.0, 55.0), (24.0, 47.0), (30.0, 36.0), (32.0, 28.0)], 12,
            centre=(0.0, 0.0, 40.0), materials=["glow", "eye", "dome", "dome"])
    m.loft([
        hull_ring(-40, 4, 5, 1, y=24),
        hull_ring(-60, 14, 12, 1, y=22),
        hull_ring(-100, 10, 8, 1, y=16),
        hull_ring(-120, 3, 3, 1, y=12),
    ], "canopy")
    side = Mesh()
    side.loft([wing_ring(48, -40, 110, 18, 0), wing_ring(100, 0, 120, 12, 4), wing_ring(138, 40, 100, 8, 8)],
              "wing", cap_first=False)
    # Forward prongs with guns at their tips.
    side.loft([hull_ring(z, w, t, b, x=34, y=-4) for (z, w, t, b) in
               ((40, 10, 8, 6), (-120, 9, 7, 5), (-180, 5, 4, 3), (-196, 1, 1, 1))], "stripe")
    # Wing batteries: pods with twin barrels.
    side.loft([tube_ring(z, r, 104, 10) for (z, r) in ((130, 7), (116, 11), (40, 11), (28, 7))],
              "pod", cap_material="exhaust")
    for dx in (-4.0, 4.0):
        side.loft([tube_ring(z, r, 104 + dx, 12, 6) for (z, r) in ((34, 2.6), (0, 2.2), (-6, 1.2))], "gun")
    m.merge(_mirror(side))
    return m


MODELS = {
    # file name: (builder, title, texture name)
    "ship.obj": (player_ship, "The player's ship, nose towards +z, 85 units across.", "ship.png"),
    "dart.obj": (dart, "Dart: a small diver, nose towards -z.", "dart.png"),
    "weaver.obj": (weaver, "Weaver: a saucer that weaves down the screen.", "weaver.png"),
    "turret.obj": (turret, "Turret: a floating gun platform that aims at the player.", "turret.png"),
    "bomber.obj": (bomber, "Bomber: a flying wing that fires fans of shots.", "bomber.png"),
    "warden.obj": (warden, "Warden: the boss of Level 1.", "warden.png"),
}


def build_all():
    """{file name: (mesh, atlas, title, texture name)}"""
    built = {}
    for name, (builder, title, texture) in MODELS.items():
        mesh = builder()
        lo, hi = mesh.bounds()
        built[name] = (mesh, Atlas(lo, hi), title, texture)
    return built


def generate(data_dir, built):
    for name, (mesh, atlas, title, _texture) in built.items():
        write_obj_flat(data_dir + "/models/" + name, mesh, atlas, title)
    positions, texcoords, normals, faces = shield_shell()
    write_obj_smooth(data_dir + "/models/shield.obj", positions, texcoords, normals, faces,
                     "The player's shield: a smooth shell around the ship.")
