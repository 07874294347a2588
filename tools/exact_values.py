#!/usr/bin/env python3
"""Writes the exact single-precision results that the bit tests compare with.

Every formula is evaluated here in IEEE double precision, operation by
operation in the program's order, and rounded to single precision exactly
where the program stores a value. Python's float is an IEEE double, its
math.sin, cos, atan and sqrt are the C library's, and single() rounds to
nearest as the conversion in the program does, so the results are the bits
that every build of the program must give on the same C library.

    tools/exact_values.py          rewrites both tables in tests/data/
    tools/exact_values.py --check  fails when a table is not what it writes

Tables (whitespace-separated, '#' starts a comment line; bit patterns are
8 hexadecimal digits of the single-precision value):

cell_geometry_bits.txt
    cell A B C ALPHA BETA GAMMA LAMBDA  A* B* C* COSALPHA* COSBETA* COSGAMMA* LAMBDA2/4
    hkl  H K L  SIN2THETA TWOTHETA      (indices in decimal; reflections of the cell above)
    A 2theta of 7FC00000 stands for "not a number" (sin^2(theta) above 1).

output_arithmetic_bits.txt
    OPERATION X Y RESULT  (Y is 00000000 for operations of one value; the
    result of 'exceeds' is 0 or 1)
"""
import math
import os
import struct
import sys

# ---------------------------------------------------------------- rounding


def single(x):
    """x rounded to the nearest single-precision value (ties to even)."""
    try:
        return struct.unpack("<f", struct.pack("<f", x))[0]
    except OverflowError:
        return math.copysign(math.inf, x)


def bits(f):
    return struct.unpack("<I", struct.pack("<f", f))[0]


def from_bits(u):
    return struct.unpack("<f", struct.pack("<I", u))[0]


def hexbits(f):
    return "7FC00000" if math.isnan(f) else f"{bits(f):08X}"


def next_up(f):
    return _step(f, 1)


def next_down(f):
    return _step(f, -1)


def _step(f, direction):
    """The single-precision neighbour of f towards +inf (1) or -inf (-1)."""
    if f == 0:
        return from_bits(1) if direction > 0 else from_bits(0x80000001)
    u = bits(f)
    if (f > 0) == (direction > 0):
        return from_bits(u + 1)
    return from_bits(u - 1)


def decimal(text):
    """A value as a file gives it, in single precision. (Through double: the
    tables record the bits of every input, so a double rounding here would
    only change which value is tested.)"""
    return single(float(text))


# A fixed pseudo-random sequence (64-bit linear congruential, top bits), so
# that the tables are the same on every run and every Python version.
class Sequence:
    def __init__(self, seed):
        self.state = seed

    def uniform(self):
        self.state = (self.state * 6364136223846793005 + 1442695040888963407) % 2**64
        return (self.state >> 11) / 2**53

    def between(self, low, high, decimals):
        return decimal(f"{low + (high - low) * self.uniform():.{decimals}f}")

    def integer(self, low, high):
        return low + int(self.uniform() * (high - low + 1))


# ---------------------------------------------------------- cell geometry

TWO_PI = single(6.2831855)
DEGREES_PER_HALF_RADIAN = single(114.59156)


def radians(degrees):
    return single((degrees * TWO_PI) / 360.0)


def volume(a, b, c, alpha, beta, gamma):
    """alpha, beta, gamma: the single-precision radians. Double, unrounded."""
    half_sum = single((beta + alpha + gamma) * 0.5)
    two_abc = single(((a * 2) * b) * c)
    p1 = single(math.sin(half_sum))
    p2 = single(math.sin(half_sum - alpha) * p1)
    p3 = single(math.sin(half_sum - beta) * p2)
    return two_abc * math.sqrt(math.sin(half_sum - gamma) * p3)


def reciprocal_cell(a, b, c, alpha_deg, beta_deg, gamma_deg, wavelength):
    alpha, beta, gamma = radians(alpha_deg), radians(beta_deg), radians(gamma_deg)
    cos_beta = single(math.cos(beta))
    sin_beta = single(math.sin(beta))
    cos_gamma = single(math.cos(gamma))
    sin_gamma = single(math.sin(gamma))
    cos_alpha = math.cos(alpha)  # alpha's stay double
    sin_alpha = math.sin(alpha)
    v = volume(a, b, c, alpha, beta, gamma)
    return (
        single(((c * b) * sin_alpha) / v),
        single(((c * a) * sin_beta) / v),
        single(((b * a) * sin_gamma) / v),
        single((cos_beta * cos_gamma - cos_alpha) / (sin_beta * sin_gamma)),
        single((cos_gamma * cos_alpha - cos_beta) / (sin_gamma * sin_alpha)),
        single((cos_beta * cos_alpha - cos_gamma) / (sin_alpha * sin_beta)),
        single((wavelength * wavelength) * 0.25),
    )


def sin_squared_theta(r, h, k, l):
    a_star, b_star, c_star, cos_alpha_star, cos_beta_star, cos_gamma_star, factor = r
    dh, dk, dl = float(h), float(k), float(l)
    ha, kb, lc = dh * a_star, dk * b_star, dl * c_star
    q = ha * ha + kb * kb
    q += lc * lc
    q += ((((dk * 2) * dl) * b_star) * c_star) * cos_alpha_star
    q += ((((dl * (dh * 2)) * a_star) * c_star) * cos_beta_star)
    q += ((((dk * (dh * 2)) * a_star) * b_star) * cos_gamma_star)
    return single(q * factor)


def two_theta_degrees(s):
    denominator = 1.0 - s
    if denominator == 0:
        t = math.copysign(math.inf, s)
    else:
        t = s / denominator
    if t < 0 or math.isnan(t):
        return math.nan
    return single(DEGREES_PER_HALF_RADIAN * math.atan(math.sqrt(t)))


WAVELENGTHS = ["0.70932", "1.0", "1.5406", "1.54056", "2.2897"]
CELLS_PER_FAMILY = 40


def cells():
    """(family, a, b, c, alpha, beta, gamma) as single values, every family."""
    seq = Sequence(20261208)
    edge = lambda: seq.between(2.5, 32.0, 4)
    found = [("rhombohedral", decimal("7.11"), decimal("7.11"), decimal("7.11"),
              decimal("55.3"), decimal("55.3"), decimal("55.3"))]
    right = decimal("90")
    for _ in range(CELLS_PER_FAMILY):
        a = edge()
        found.append(("cubic", a, a, a, right, right, right))
    for _ in range(CELLS_PER_FAMILY):
        a = edge()
        found.append(("tetragonal", a, a, edge(), right, right, right))
    for _ in range(CELLS_PER_FAMILY):
        found.append(("orthorhombic", edge(), edge(), edge(), right, right, right))
    for _ in range(CELLS_PER_FAMILY):
        a = edge()
        found.append(("hexagonal", a, a, edge(), right, right, decimal("120")))
    # Rhombohedral axes: alpha = beta = gamma from 40 to 110 degrees, every
    # ten degrees and with two decimals between.
    for i in range(CELLS_PER_FAMILY):
        a = edge()
        if i % 5 == 0:
            angle = decimal(f"{40 + 10 * (i // 5)}")
        else:
            angle = decimal(f"{40 + 70 * i / (CELLS_PER_FAMILY - 1):.2f}")
        found.append(("rhombohedral", a, a, a, angle, angle, angle))
    for i in range(CELLS_PER_FAMILY):
        oblique = seq.between(90.5, 125.0, 3)
        if i % 4 == 3:  # c unique
            found.append(("monoclinic", edge(), edge(), edge(), right, right, oblique))
        else:
            found.append(("monoclinic", edge(), edge(), edge(), right, oblique, right))
    added = 0
    while added < CELLS_PER_FAMILY:
        angles = [seq.between(55.0, 125.0, 3) for _ in range(3)]
        cell = ("triclinic", edge(), edge(), edge(), *angles)
        if _has_volume(cell):
            found.append(cell)
            added += 1
    # Angles a hair away from 90 and from 120 degrees.
    near = ["89.99", "90.01", "89.999", "90.001", "89.9", "90.1",
            "119.99", "120.01", "119.999", "120.001", "119.9", "120.1"]
    for i in range(CELLS_PER_FAMILY):
        angle = decimal(near[i % len(near)])
        a = edge()
        if near[i % len(near)].startswith(("119", "120")):
            found.append(("near 120", a, a, edge(), right, right, angle))
        elif i % 3 == 0:
            found.append(("near 90", a, edge(), edge(), angle, right, right))
        elif i % 3 == 1:
            found.append(("near 90", a, edge(), edge(), right, angle, right))
        else:
            found.append(("near 90", a, a, a, angle, angle, angle))
    # Angles whose radians d * 2pi / 360 fall exactly halfway between two
    # singles (the product needs 25 bits): the rounding ties of toRadians.
    for angle in TIE_ANGLES:
        a = edge()
        if angle > 90:
            found.append(("monoclinic", a, edge(), edge(), right, decimal(str(angle)), right))
        else:
            found.append(("rhombohedral", a, a, a, *[decimal(str(angle))] * 3))
    return found


TIE_ANGLES = [31.5, 34.5, 37.5, 40.5, 43.5, 46.5, 49.5, 52.5, 55.5, 63, 69, 75, 81, 87, 93, 99, 105, 111]


def _has_volume(cell):
    _, a, b, c, alpha, beta, gamma = cell
    try:
        v = volume(a, b, c, radians(alpha), radians(beta), radians(gamma))
    except ValueError:
        return False
    return math.isfinite(v) and v > 0


def reflections(seq):
    """About a dozen indices: axes, zero, the rhombohedral 1 1 2 and its
    permutations, mixed signs and a few large ones."""
    fixed = [(0, 0, 0), (1, 0, 0), (0, -1, 0), (0, 0, 1), (1, 1, 2), (2, 1, 1), (-1, 2, -1)]
    mixed = [(seq.integer(-6, 6), seq.integer(-6, 6), seq.integer(-6, 6)) for _ in range(3)]
    large = [(seq.integer(-40, 40), seq.integer(-40, 40), seq.integer(-40, 40)), (seq.integer(-300, 300), 0, 1)]
    return fixed + mixed + large


def cell_table():
    seq = Sequence(7117553)
    lines = []
    cell_list = cells()
    for n, (_, a, b, c, alpha, beta, gamma) in enumerate(cell_list):
        wavelength = decimal(WAVELENGTHS[n % len(WAVELENGTHS)])
        if n == 0:
            wavelength = decimal("1.0")  # the rhombohedral 7.11 cell's wavelength
        if not _has_volume(("", a, b, c, alpha, beta, gamma)):
            raise SystemExit(f"cell {n} has no volume")
        r = reciprocal_cell(a, b, c, alpha, beta, gamma, wavelength)
        given = (a, b, c, alpha, beta, gamma, wavelength)
        lines.append("cell " + " ".join(hexbits(v) for v in given) + "  " + " ".join(hexbits(v) for v in r))
        for h, k, l in reflections(seq):
            s = sin_squared_theta(r, h, k, l)
            lines.append(f"hkl {h} {k} {l} {hexbits(s)} {hexbits(two_theta_degrees(s))}")
    families = sorted({family for family, *_ in cell_list})
    header = [
        "# Exact reciprocal cells, sin^2(theta) and 2theta, generated by tools/exact_values.py;",
        "# regenerate with: python3 tools/exact_values.py",
        f"# {len(cell_list)} cells ({', '.join(families)}), wavelengths {', '.join(WAVELENGTHS)}",
        "# cell A B C ALPHA BETA GAMMA LAMBDA  A* B* C* COSALPHA* COSBETA* COSGAMMA* LAMBDA2/4",
        "# hkl H K L SIN2THETA TWOTHETA",
    ]
    return header + lines


# ------------------------------------------------------ output arithmetic

AMPLITUDE_CAP = 5000.0
INTENSITY_SCALE = 5000.0


def exceeds(largest, _=0.0):
    return 1 if largest > AMPLITUDE_CAP else 0


def capped(value, largest):
    return single(value / largest * AMPLITUDE_CAP)


def hundredth(value, _=0.0):
    return single(value / 100.0)


def square(value, _=0.0):
    return single(value * value)


def rescale(value, largest):
    return single(value / largest * INTENSITY_SCALE)


def unscale(scaled, largest):
    return single(largest * scaled / INTENSITY_SCALE)


def sirpow_amplitude(intensity, _=0.0):
    return 0.0 if intensity < 0 else single(math.sqrt(intensity))


def sirpow_sigma(value, _=0.0):
    return single(value * 0.5)


OPERATIONS = {
    "exceeds": exceeds, "capped": capped, "hundredth": hundredth, "square": square,
    "rescale": rescale, "unscale": unscale, "sirpowf": sirpow_amplitude, "sirpows": sirpow_sigma,
}

FIVE_THOUSAND = single(5000.0)
SMALLEST = from_bits(1)  # the smallest subnormal
LARGEST = from_bits(0x7F7FFFFF)


def order_sensitive_ties(count=12):
    """Values under a largest of 8000 for which value * 5000 / largest is
    the tie 5m / 2^13 (25 bits) and value / largest * 5000, rounded twice,
    comes out on the other side of it."""
    found = []
    m = 3355445  # 5m needs 25 bits from here on
    while len(found) < count:
        value, largest = m / 2**10, 8000.0
        if capped(value, largest) != single(value * AMPLITUDE_CAP / largest):
            found.append((value, largest))
        m += 2
    return found


def order_sensitive_unscaling(count=12):
    """largest * scaled / 5000 is the tie 11v / 8 for largest 5v and scaled
    1375 (11v odd, 25 bits), and scaled / 5000 * largest, rounded twice,
    comes out on the other side of it. Near the top of a binade the rounding
    of 1375 / 5000 is enough to leave the tie."""
    found = []
    v = (2**25 // 11 - 1) | 1  # the largest odd v with 11v below 2^25
    while len(found) < count and 11 * v >= 2**24:
        scaled, largest = 1375.0, float(5 * v)
        if unscale(scaled, largest) != single(scaled / INTENSITY_SCALE * largest):
            found.append((scaled, largest))
        v -= 2
    return found


def output_rows():
    seq = Sequence(5000)
    rows = []

    def add(operation, x, y=0.0):
        rows.append((operation, x, y))

    # The cap applies only above 5000, strictly.
    for largest in [0.0, -1.0, next_down(FIVE_THOUSAND), FIVE_THOUSAND, next_up(FIVE_THOUSAND),
                    decimal("5000.01"), decimal("4999.99"), LARGEST, math.inf]:
        add("exceeds", largest)
    # Capping under largest amplitudes just above 5000 and far above it;
    # the largest itself comes out at exactly 5000, and 10000 turns -2 into -1.
    for largest in [next_up(FIVE_THOUSAND), decimal("5000.01"), decimal("7321.12"), decimal("10000"),
                    decimal("16384"), decimal("123456.78"), decimal("3.0e38"), LARGEST]:
        for value in [largest, -largest, 0.0, -0.0, decimal("-2"), decimal("-1"), FIVE_THOUSAND,
                      next_down(FIVE_THOUSAND), decimal("0.01"), SMALLEST]:
            add("capped", value, largest)
        for _ in range(25):
            add("capped", single(largest * seq.uniform()), largest)
            add("capped", seq.between(-50, 5000, 2), largest)
    # Exact results halfway between two singles, where the order of the
    # operations decides the stored value.
    for value, largest in order_sensitive_ties():
        add("capped", value, largest)
        add("rescale", value, largest)
    for scaled, largest in order_sensitive_unscaling():
        add("unscale", scaled, largest)
    # Amplitudes and intensities of every size, ties of the square (4097,
    # 5001 and 5791: odd squares of 25 bits) and of the halving (odd
    # subnormals).
    specials = [0.0, -0.0, SMALLEST, from_bits(3), from_bits(0x007FFFFF), decimal("0.01"), decimal("1"),
                decimal("-1"), decimal("4097"), decimal("5001"), decimal("5791"), FIVE_THOUSAND,
                next_up(FIVE_THOUSAND), decimal("1.8e19"), decimal("1.9e19"), decimal("-3.0e19"), LARGEST]
    # Halving and hundredths that fall exactly between two subnormals.
    specials += [from_bits(25 * 2), from_bits(75 * 2), from_bits(25 * 2 * 5)]
    for value in specials:
        for operation in ["hundredth", "square", "sirpows"]:
            add(operation, value)
    for _ in range(150):
        amplitude = seq.between(-100, 20000, 2)
        add("hundredth", amplitude)
        add("square", amplitude)
        add("sirpows", seq.between(0, 50000, 3))
    # Rescaling to 5000 and back (code 4 writes the scaled value, then
    # recovers the square from it).
    for largest in [FIVE_THOUSAND, decimal("1"), decimal("25000000"), decimal("5592407"), decimal("3.3e38"),
                    decimal("1.0e-30")]:
        for value in [largest, 0.0, -0.0, SMALLEST, single(0.5 * largest)]:
            add("rescale", value, largest)
        for scaled in [FIVE_THOUSAND, 0.0, decimal("7500"), decimal("0.01"), SMALLEST]:
            add("unscale", scaled, largest)
    for _ in range(150):
        largest = seq.between(100, 4.0e8, 1)
        intensity = single(largest * seq.uniform())
        scaled = rescale(intensity, largest)
        add("rescale", intensity, largest)
        add("unscale", scaled, largest)
        add("unscale", single(5000 * seq.uniform()), largest)
    # SIRPOW amplitudes: negative intensities (just below zero too) give 0,
    # minus zero keeps its sign through the square root.
    for intensity in [next_down(0.0), decimal("-1"), decimal("-1.0e30"), -0.0, 0.0, SMALLEST, decimal("1"),
                      decimal("2"), decimal("4"), decimal("0.01"), decimal("16777216"), decimal("16777215"), LARGEST]:
        add("sirpowf", intensity)
    for _ in range(150):
        add("sirpowf", seq.between(-5, 500000, 3))
    return rows


def output_table():
    rows = output_rows()
    names = sorted({operation for operation, *_ in rows})
    header = [
        "# Exact results of the output arithmetic, generated by tools/exact_values.py;",
        "# regenerate with: python3 tools/exact_values.py",
        f"# {len(rows)} rows; operations: {', '.join(names)}",
        "# OPERATION X Y RESULT",
    ]
    lines = []
    for operation, x, y in rows:
        result = OPERATIONS[operation](x, y)
        shown = str(result) if operation == "exceeds" else hexbits(result)
        lines.append(f"{operation} {hexbits(x)} {hexbits(y)} {shown}")
    return header + lines


# ------------------------------------------------------------------- main


def check_constants():
    # The program's float constants, as the compiler rounds their text.
    assert bits(TWO_PI) == 0x40C90FDB, hex(bits(TWO_PI))
    assert bits(DEGREES_PER_HALF_RADIAN) == 0x42E52EE1, hex(bits(DEGREES_PER_HALF_RADIAN))
    # The rhombohedral cell that once came out one unit low in cos alpha*.
    r = reciprocal_cell(*(decimal(t) for t in ["7.11", "7.11", "7.11", "55.3", "55.3", "55.3", "1.0"]))
    assert bits(r[3]) == 0xBEB9BC53, hex(bits(r[3]))
    assert bits(sin_squared_theta(r, 1, 1, 2)) == 0x3CA3BD47


def main():
    check_constants()
    data = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data")
    tables = {"cell_geometry_bits.txt": cell_table(), "output_arithmetic_bits.txt": output_table()}
    stale = []
    for name, lines in tables.items():
        path = os.path.join(data, name)
        text = "\n".join(lines) + "\n"
        if "--check" in sys.argv[1:]:
            with open(path) as existing:
                if existing.read() != text:
                    stale.append(name)
            continue
        os.makedirs(data, exist_ok=True)
        with open(path, "w") as out:
            out.write(text)
        print(f"{os.path.normpath(path)}: {len(lines)} lines")
    if stale:
        raise SystemExit("out of date: " + ", ".join(stale))


if __name__ == "__main__":
    main()
