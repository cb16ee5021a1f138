"""Generated models shared by the benchmark runners and the output
comparison: discs bounded by two half arcs, L-shaped plates, grids of plates
sharing their curves, and a few shapes that exercise the generator's
unstructured path (graded steps, re-entrant corners, many arcs), and a
curved tank of many subregions."""
import math
import random


def write_model(path, title, parts):
    pts, curves, subs = parts
    with open(path, "w") as f:
        f.write(title + "\nPOINTS\n" + "\n".join(pts) + "\nCURVES\n" + "\n".join(curves)
                + "\nSUBREGIONS\n" + "\n".join(subs) + "\nEND\n")


def disc(radius, step, step2=None):
    """A disc bounded by two half arcs; the lower arc may have its own step."""
    r = radius
    pts = [f"P1 {r} 0 0", f"PT 0 {r} 0", f"P2 {-r} 0 0", f"PB 0 {-r} 0"]
    curves = [f"CUP P1 PT P2 STEP {step}", f"CDN P2 PB P1 STEP {step2 or step}"]
    return pts, curves, ["RDISC PLANE CUP CDN REF 0.2"]


def l_plate(size, step, inner_step=None):
    """An L of outer side `size` and leg width size/2; the two re-entrant
    sides may have their own step."""
    a, b = size, size / 2
    pts = [f"P1 0 0 0", f"P2 {a} 0 0", f"P3 {a} {b} 0", f"P4 {b} {b} 0", f"P5 {b} {a} 0", f"P6 0 {a} 0"]
    s_in = inner_step or step
    steps = [step, step, s_in, s_in, step, step]
    curves = [f"QL{i} P{i} P{i % 6 + 1} STEP {steps[i - 1]}" for i in range(1, 7)]
    return pts, curves, ["RL PLANE QL1 QL2 QL3 QL4 QL5 QL6 REF 0.2"]


def l_plate_halves(size, step):
    """The same L as two four-sided subregions, cut along the diagonal from
    the outer corner to the re-entrant one: each subregion's boundary is a
    little over half the L's, so the L can be meshed about twice as finely
    before a boundary is cut into more pieces than one subregion may have."""
    a, b = size, size / 2
    pts = [f"P1 0 0 0", f"P2 {a} 0 0", f"P3 {a} {b} 0", f"P4 {b} {b} 0", f"P5 {b} {a} 0", f"P6 0 {a} 0"]
    ends = [(1, 2), (2, 3), (3, 4), (4, 5), (5, 6), (6, 1), (1, 4)]
    curves = [f"QL{k} P{i} P{j} STEP {step}" for k, (i, j) in enumerate(ends, 1)]
    return pts, curves, ["RLA PLANE QL1 QL2 QL3 QL7 REF 0.2", "RLB PLANE QL7 QL4 QL5 QL6 REF 0.2"]


def one_plate(size, step):
    pts = [f"P1 0 0 0", f"P2 {size} 0 0", f"P3 {size} {size} 0", f"P4 0 {size} 0"]
    curves = [f"QL{i} P{i} P{i % 4 + 1} STEP {step}" for i in range(1, 5)]
    return pts, curves, ["R1 PLANE QL1 QL2 QL3 QL4 REF 0.2"]


def grid_of_plates(k, step):
    """k x k unit-10 plates sharing their curves, every plate its own subregion."""
    pts, curves, subs = [], [], []
    name = lambda i, j: f"P{i}_{j}"
    for i in range(k + 1):
        for j in range(k + 1):
            pts.append(f"{name(i, j)} {10.0 * i} {10.0 * j} 0.0")
    h = lambda i, j: f"QH{i}_{j}"   # from (i, j) to (i+1, j)
    v = lambda i, j: f"QV{i}_{j}"   # from (i, j) to (i, j+1)
    for i in range(k + 1):
        for j in range(k + 1):
            if i < k:
                curves.append(f"QL{h(i, j)[1:]} {name(i, j)} {name(i + 1, j)} STEP {step}")
            if j < k:
                curves.append(f"QL{v(i, j)[1:]} {name(i, j)} {name(i, j + 1)} STEP {step}")
    for i in range(k):
        for j in range(k):
            ring = [f"QL{h(i, j)[1:]}", f"QL{v(i + 1, j)[1:]}", f"QL{h(i, j + 1)[1:]}", f"QL{v(i, j)[1:]}"]
            subs.append(f"R{i}_{j} PLANE {' '.join(ring)} REF 0.2")
    return pts, curves, subs


def star(tips, r_out, r_in, step):
    """A star polygon: every other corner re-entrant."""
    pts, curves = [], []
    n = 2 * tips
    for k in range(n):
        r = r_out if k % 2 == 0 else r_in
        t = 2 * math.pi * k / n
        pts.append(f"P{k + 1} {r * math.cos(t):.9f} {r * math.sin(t):.9f} 0")
    for k in range(n):
        curves.append(f"QL{k + 1} P{k + 1} P{(k + 1) % n + 1} STEP {step}")
    ring = " ".join(f"QL{k + 1}" for k in range(n))
    return pts, curves, [f"RSTAR PLANE {ring} REF 0.2"]


def scalloped(lobes, radius, step):
    """A polygon whose sides are outward arcs."""
    pts, curves = [], []
    for k in range(lobes):
        t0 = 2 * math.pi * k / lobes
        tm = 2 * math.pi * (k + 0.5) / lobes
        pts.append(f"P{k + 1} {radius * math.cos(t0):.9f} {radius * math.sin(t0):.9f} 0")
        bulge = radius * 1.15
        pts.append(f"PM{k + 1} {bulge * math.cos(tm):.9f} {bulge * math.sin(tm):.9f} 0")
    for k in range(lobes):
        curves.append(f"C{k + 1} P{k + 1} PM{k + 1} P{(k + 1) % lobes + 1} STEP {step}")
    ring = " ".join(f"C{k + 1}" for k in range(lobes))
    return pts, curves, [f"RSCAL PLANE {ring} REF 0.2"]


def random_polygon(seed, corners, step):
    """A star-shaped polygon with corners at random radii and a random step
    on every side (a fixed seed gives the same model every time)."""
    rng = random.Random(seed)
    pts, curves = [], []
    for k in range(corners):
        t = 2 * math.pi * (k + 0.3 * rng.random()) / corners
        r = 6.0 + 4.0 * rng.random()
        pts.append(f"P{k + 1} {r * math.cos(t):.9f} {r * math.sin(t):.9f} 0")
    for k in range(corners):
        s = step * (0.5 + 1.5 * rng.random())
        curves.append(f"QL{k + 1} P{k + 1} P{(k + 1) % corners + 1} STEP {s:.6f}")
    ring = " ".join(f"QL{k + 1}" for k in range(corners))
    return pts, curves, [f"RPOLY PLANE {ring} REF 0.2"]


def comb(teeth, step):
    """A comb: a base strip with `teeth` narrow teeth (many re-entrant corners)."""
    xs = [(2.0 * k, 2.0 * k + 1.0) for k in range(teeth)]
    outline = [(0.0, 0.0), (2.0 * teeth - 1.0, 0.0)]
    for a, b in reversed(xs):
        outline += [(b, 2.0), (b, 6.0), (a, 6.0), (a, 2.0)]
    outline = outline[:-1] + [(0.0, 2.0)]
    pts = [f"P{k + 1} {x} {y} 0" for k, (x, y) in enumerate(outline)]
    n = len(outline)
    curves = [f"QL{k + 1} P{k + 1} P{(k + 1) % n + 1} STEP {step}" for k in range(n)]
    ring = " ".join(f"QL{k + 1}" for k in range(n))
    return pts, curves, [f"RCOMB PLANE {ring} REF 0.2"]


def disc_sectors(radius, step):
    """A disc of four quarter sectors, each bounded by two radii and an arc:
    four plane subregions sharing their radii."""
    r, c = radius, radius * math.sqrt(0.5)
    pts = ["PC 0 0 0", f"P1 {r} 0 0", f"P2 0 {r} 0", f"P3 {-r} 0 0", f"P4 0 {-r} 0",
           f"PM1 {c!r} {c!r} 0", f"PM2 {-c!r} {c!r} 0", f"PM3 {-c!r} {-c!r} 0", f"PM4 {c!r} {-c!r} 0"]
    curves = [f"QL{i} PC P{i} STEP {step}" for i in range(1, 5)]
    curves += [f"C{i} P{i} PM{i} P{i % 4 + 1} STEP {step}" for i in range(1, 5)]
    subs = [f"RS{i} PLANE QL{i} C{i} QL{i % 4 + 1} REF 0.2" for i in range(1, 5)]
    return pts, curves, subs


def tank_ring(panels, radius, step, strips=False):
    """A closed-top tank of `panels` cylindrical shells (CYLINDER), their
    spherical caps meeting at the pole (three-edged SPHERE) and conical
    skirts (REV), every piece its own subregion sharing its curves. With
    `strips` the skirts' meridians are two curves each, so that the skirts
    are meshed strip by strip."""
    r, pts, curves, subs = radius, [], [], []
    p = lambda x, y, z: f"{x!r} {y!r} {z!r}"
    for q in range(panels):
        a, m = 2 * math.pi * q / panels, 2 * math.pi * (q + 0.5) / panels
        ca, sa, cm, sm = math.cos(a), math.sin(a), math.cos(m), math.sin(m)
        pts += [f"PA{q} " + p(r * ca, r * sa, 0.0), f"PU{q} " + p(r * ca, r * sa, r),
                f"PS{q} " + p(1.5 * r * ca, 1.5 * r * sa, -0.5 * r), f"PM{q} " + p(r * cm, r * sm, 0.0),
                f"PN{q} " + p(r * cm, r * sm, r), f"PR{q} " + p(1.5 * r * cm, 1.5 * r * sm, -0.5 * r),
                f"PC{q} " + p(r * math.sqrt(0.5) * ca, r * math.sqrt(0.5) * sa, r + r * math.sqrt(0.5)),
                f"PH{q} " + p(1.25 * r * ca, 1.25 * r * sa, -0.25 * r)]
    pts.append("PT " + p(0.0, 0.0, 2.0 * r))
    for q in range(panels):
        n = (q + 1) % panels
        curves += [f"CB{q} PA{q} PM{q} PA{n} STEP {step}", f"CT{q} PU{q} PN{q} PU{n} STEP {step}",
                   f"QLV{q} PA{q} PU{q} STEP {step}", f"CC{q} PU{q} PC{q} PT STEP {step}",
                   f"CS{q} PS{q} PR{q} PS{n} STEP {step}"]
        if strips:
            curves += [f"QLS{q} PA{q} PH{q} STEP {step}", f"QLT{q} PH{q} PS{q} STEP {step}"]
            meridian = lambda i, back: f"QLT{i} QLS{i}" if back else f"QLS{i} QLT{i}"
        else:
            curves.append(f"QLS{q} PA{q} PS{q} STEP {step}")
            meridian = lambda i, back: f"QLS{i}"
        subs += [f"RSH{q} CYLINDER ANGLEX 90 ANGLEY 90 ANGLEZ 0 CB{q} QLV{n} CT{q} QLV{q} REF 0.2",
                 f"RCAP{q} SPHERE XC 0 YC 0 ZC {r!r} EDGE CT{q} EDGE CC{n} EDGE CC{q} REF 0.2",
                 f"RSK{q} REV EDGE CB{q} EDGE {meridian(n, False)} EDGE CS{q} EDGE {meridian(q, True)} REF 0.2"]
    return pts, curves, subs


# The generated models of the output comparison: (key, title, parts).
COMPARISON_MODELS = [
    ("disc_r5_s005", "Disc of radius 5 at step 0.05", disc(5.0, 0.05)),
    ("disc_r5_s02", "Disc of radius 5 at step 0.2", disc(5.0, 0.2)),
    ("disc_r5_s05", "Disc of radius 5 at step 0.5", disc(5.0, 0.5)),
    ("disc_r5_graded", "Disc of radius 5, steps 0.1 and 0.3", disc(5.0, 0.1, 0.3)),
    ("disc_r1_s013", "Disc of radius 1 at step 0.13", disc(1.0, 0.13)),
    ("l_plate_s1", "L-plate of side 20 at step 1", l_plate(20.0, 1.0)),
    ("l_plate_s02", "L-plate of side 20 at step 0.2", l_plate(20.0, 0.2)),
    ("l_plate_graded", "L-plate of side 20, outer step 1, inner step 0.4", l_plate(20.0, 1.0, 0.4)),
    ("l_plate_odd", "L-plate of side 7.3 at step 0.37", l_plate(7.3, 0.37)),
    ("l_plate_halves", "L-plate of side 20 in two parts at step 0.5", l_plate_halves(20.0, 0.5)),
    ("star_5", "Five-pointed star", star(5, 10.0, 4.0, 0.5)),
    ("star_7_fine", "Seven-pointed star, fine", star(7, 10.0, 6.0, 0.25)),
    ("scalloped_6", "Hexagon with arc sides", scalloped(6, 8.0, 0.3)),
    ("grid_3x3", "Nine plates sharing curves", grid_of_plates(3, 1.0)),
    ("comb_5", "Comb of five teeth", comb(5, 0.25)),
    ("comb_3_coarse", "Comb of three teeth, coarse", comb(3, 0.5)),
    ("tank_ring_8", "Tank of eight shells, caps and skirts", tank_ring(8, 10.0, 0.8)),
] + [(f"polygon_{seed}", f"Random polygon {seed}", random_polygon(seed, 5 + seed % 9, 0.4 + 0.1 * (seed % 4)))
     for seed in range(1, 13)]
