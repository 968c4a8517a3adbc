#!/usr/bin/python3
"""Writes the engine's three physical data files from xraylib.

    tools/generate_data.py [--output DIR]   write MUs_202202.data, water.dat and ICRUSoft.dat
    tools/generate_data.py --check DIR      regenerate in memory and compare with the files in DIR

The output is byte-identical on every run: fixed formats, fixed grids, no time stamps.
--check exits 0 when every file matches, 1 when one differs and 77 when xraylib is not
available to this interpreter (Debian: python3-xraylib). See data/README for the contents.
"""

import argparse
import math
import os
import sys

SKIP_EXIT_STATUS = 77

try:
    import xraylib as xl
except ImportError:  # pragma: no cover - depends on the machine
    xl = None

# --- Materials -----------------------------------------------------------------------------

# Metals of the attenuation table, in column order: (name, Z, density in g/cm3).
# Tungsten at 19.3 g/cm3 is the density the range law of the target model assumes.
ATTENUATION_METALS = [
    ("tungsten", 74, 19.3),
    ("aluminium", 13, 2.699),
    ("copper", 29, 8.96),
    ("molybdenum", 42, 10.22),  # read and not used by the engine
    ("lead", 82, 11.35),  # read and not used by the engine
]

WATER_DENSITY_G_CM3 = 1.0
SOFT_TISSUE_DENSITY_G_CM3 = 1.06
# ICRU Report 44 soft tissue, mass fractions.
SOFT_TISSUE_MASS_FRACTIONS = [
    (1, 0.102),
    (6, 0.143),
    (7, 0.034),
    (8, 0.708),
    (11, 0.002),
    (15, 0.003),
    (16, 0.003),
    (17, 0.002),
    (19, 0.003),
]

# --- Grids -----------------------------------------------------------------------------------

ATTENUATION_ROWS = 600  # energy i x 0.5 keV, i = 1..600
BIN_WIDTH_KEV = 0.5

# Material energy grid: log-spaced, 7 intervals from 1 to 15 keV and 21 from 15 to 500 keV
# (log-log interpolation stays well within 0.5 % of the source above 15 keV), plus a pair of
# points 0.1 eV either side of every K-edge jump of the photoelectric data between 1 and 15 keV.
LOW_GRID_INTERVALS = 7
HIGH_GRID_INTERVALS = 21
GRID_LOW_KEV, GRID_SPLIT_KEV, GRID_HIGH_KEV = 1.0, 15.0, 500.0
EDGE_OFFSET_KEV = 1.0e-4  # 0.1 eV, the resolution of the file's energy field
EDGE_SEARCH_KEV = 0.05  # the photoelectric data's jump lies this close to the tabulated edge energy
MAX_ENERGY_RECORDS = 40

# Momentum transfer x = sin(theta/2)/lambda in 1/A: 0, then 44 log-spaced values from 0.005 to 10.
FORM_FACTOR_ROWS = 45
X_FIRST, X_LAST = 0.005, 10.0
SIMPSON_STEPS = 64  # per grid interval, for C(x) = integral of F^2 d(x^2)

# --- Fixed-column fields -----------------------------------------------------------------


def field(fmt, value, width):
    """One fixed-column field; refuses a value that would not fit its columns."""
    text = fmt % value
    if len(text) != width:
        raise ValueError("%r does not fit %d columns" % (text, width))
    return text


def parsed(fmt, value, width):
    """The value as the engine will read it back from its field."""
    return float(field(fmt, value, width))


def energy_field_mev(energy_kev):
    return field("%9.7f", energy_kev / 1000.0, 9)


def coefficient_field(value):
    return field("%10.3E", value, 10)


# --- Physics -----------------------------------------------------------------------------


def mass_coefficient(fractions, function, energy_kev):
    """Mixture rule: mass coefficient (cm2/g) as the mass-fraction weighted sum over elements."""
    return sum(w * function(z, energy_kev) for z, w in fractions)


def water_mass_fractions():
    h, o = xl.AtomicWeight(1), xl.AtomicWeight(8)
    molar = 2.0 * h + o
    return [(1, 2.0 * h / molar), (8, o / molar)]


def form_factor_squared(atoms, x):
    """Sum of F(x)^2 over the atoms (independent-atom approximation)."""
    return sum(n * xl.FF_Rayl(z, x) ** 2 for z, n in atoms)


def incoherent_function(atoms, x):
    """Sum of S(x) over the atoms; S(0) = 0."""
    if x == 0.0:
        return 0.0
    return sum(n * xl.SF_Compt(z, x) for z, n in atoms)


def coherent_cumulative(atoms, grid):
    """C(x) = integral from 0 of F(x')^2 d(x'^2) = integral of 2 x' F(x')^2 dx' (Simpson's rule)."""
    values = [0.0]
    for a, b in zip(grid[:-1], grid[1:]):
        h = (b - a) / SIMPSON_STEPS
        total = 0.0
        for j in range(SIMPSON_STEPS + 1):
            x = a + j * h
            weight = 1 if j in (0, SIMPSON_STEPS) else (4 if j % 2 else 2)
            total += weight * 2.0 * x * form_factor_squared(atoms, x)
        values.append(values[-1] + total * h / 3.0)
    return values


def photoelectric_jump_kev(z):
    """Where the photoelectric data of element z jump at its K edge: (below, above), found by
    bisection; the data's jump can lie a few eV away from the tabulated edge energy."""
    edge = xl.EdgeEnergy(z, xl.K_SHELL)
    below, above = edge - EDGE_SEARCH_KEV, edge + EDGE_SEARCH_KEV
    low, high = xl.CS_Photo(z, below), xl.CS_Photo(z, above)
    if high < 2.0 * low:
        raise ValueError("no K-edge jump of Z = %d near %.4f keV" % (z, edge))
    threshold = math.sqrt(low * high)
    for _ in range(60):
        middle = 0.5 * (below + above)
        if xl.CS_Photo(z, middle) > threshold:
            above = middle
        else:
            below = middle
    return below, above


def momentum_transfer_grid():
    ratio = (X_LAST / X_FIRST) ** (1.0 / (FORM_FACTOR_ROWS - 2))
    raw = [0.0] + [X_FIRST * ratio**i for i in range(FORM_FACTOR_ROWS - 1)]
    raw[-1] = X_LAST
    return [parsed("%10.5f", x, 10) for x in raw]


def material_energy_grid(elements):
    grid = set()
    for i in range(LOW_GRID_INTERVALS + 1):
        grid.add(GRID_LOW_KEV * (GRID_SPLIT_KEV / GRID_LOW_KEV) ** (i / LOW_GRID_INTERVALS))
    for i in range(1, HIGH_GRID_INTERVALS + 1):
        grid.add(GRID_SPLIT_KEV * (GRID_HIGH_KEV / GRID_SPLIT_KEV) ** (i / HIGH_GRID_INTERVALS))
    for z in elements:
        if GRID_LOW_KEV < xl.EdgeEnergy(z, xl.K_SHELL) < GRID_SPLIT_KEV:
            below, above = photoelectric_jump_kev(z)
            grid.add(math.floor(below / EDGE_OFFSET_KEV) * EDGE_OFFSET_KEV - EDGE_OFFSET_KEV)
            grid.add(math.ceil(above / EDGE_OFFSET_KEV) * EDGE_OFFSET_KEV + EDGE_OFFSET_KEV)
    # Energies as the file states them (MeV, 7 decimals), back in keV.
    energies = sorted({parsed("%9.7f", e / 1000.0, 9) * 1000.0 for e in grid})
    if len(energies) > MAX_ENERGY_RECORDS:
        raise ValueError("%d energies, at most %d" % (len(energies), MAX_ENERGY_RECORDS))
    return energies


# --- Files -------------------------------------------------------------------------------


def attenuation_file():
    lines = []
    for i in range(1, ATTENUATION_ROWS + 1):
        energy_kev = i * BIN_WIDTH_KEV
        text = field("%9.3f", energy_kev, 9)
        for _name, z, density in ATTENUATION_METALS:
            mu = xl.CS_Total(z, energy_kev) * density  # total, coherent included, 1/cm
            text += field("%13.5E", mu, 13)
        lines.append(text)
    return "\n".join(lines) + "\n"


def material_file(mass_fractions, density, molecule):
    """mass_fractions: (Z, w) for the coefficients; molecule: (Z, weight) for the scattering rows."""
    energies = material_energy_grid([z for z, _ in mass_fractions])
    lines = [field("%3d", len(energies), 3), field("%9.6f", density, 9)]
    for energy_kev in energies:
        text = energy_field_mev(energy_kev)
        for function in (xl.CS_Rayl, xl.CS_Compt, xl.CS_Photo):
            text += coefficient_field(density * mass_coefficient(mass_fractions, function, energy_kev))
        lines.append(text)
    grid = momentum_transfer_grid()
    cumulative = coherent_cumulative(molecule, grid)
    for x, c in zip(grid, cumulative):
        lines.append(
            field("%10.5f", x, 10)
            + field("%12.5E", c, 12)
            + field("%12.5E", incoherent_function(molecule, x), 12)
        )
    return "\n".join(lines) + "\n"


def generated_files():
    water = water_mass_fractions()
    # Per unit mass: each element weighted by its mass fraction over its atomic weight (mol/g).
    tissue_atoms = [(z, w / xl.AtomicWeight(z)) for z, w in SOFT_TISSUE_MASS_FRACTIONS]
    return {
        "MUs_202202.data": attenuation_file(),
        "water.dat": material_file(water, WATER_DENSITY_G_CM3, [(1, 2.0), (8, 1.0)]),
        "ICRUSoft.dat": material_file(SOFT_TISSUE_MASS_FRACTIONS, SOFT_TISSUE_DENSITY_G_CM3, tissue_atoms),
    }


def first_difference(expected, actual):
    for number, (a, b) in enumerate(zip(expected.splitlines(True), actual.splitlines(True)), start=1):
        if a != b:
            return "line %d: expected %r, found %r" % (number, a, b)
    return "line count: expected %d, found %d" % (len(expected.splitlines()), len(actual.splitlines()))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    default_output = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "data")
    parser.add_argument("--output", default=default_output, help="folder to write the files to")
    parser.add_argument("--check", metavar="DIR", help="compare with the files in DIR instead of writing")
    arguments = parser.parse_args()
    if xl is None:
        print("xraylib is not available to %s (Debian: python3-xraylib)" % sys.executable, file=sys.stderr)
        return SKIP_EXIT_STATUS
    files = generated_files()
    if arguments.check:
        status = 0
        for name, text in files.items():
            path = os.path.join(arguments.check, name)
            try:
                with open(path, "rb") as stream:
                    actual = stream.read().decode("ascii")
            except OSError as error:
                print("%s: %s" % (path, error), file=sys.stderr)
                status = 1
                continue
            if actual != text:
                print("%s differs from the generated file, %s" % (path, first_difference(text, actual)), file=sys.stderr)
                status = 1
            else:
                print("%s: identical" % path)
        return status
    os.makedirs(arguments.output, exist_ok=True)
    for name, text in files.items():
        with open(os.path.join(arguments.output, name), "wb") as stream:
            stream.write(text.encode("ascii"))
        print("wrote %s (%d lines)" % (os.path.normpath(os.path.join(arguments.output, name)), text.count("\n")))
    return 0


if __name__ == "__main__":
    sys.exit(main())
