#!/usr/bin/env python3
"""Writes wavelength_colors.csv: the display colour of every 10 nm from 380 to 780 nm,
computed from the CIE 1931 2-degree table in data/cie with the XYZ-to-RGB matrix, the
removal of negative components and the 1/2.4 power. The values are first rounded to seven
decimals, as the engine's observer file stores them ("%16.7f"); at the far red, where the
values are near 1e-5, that rounding moves the colour.

Run from the repository root: python3 tests/data/led/make_wavelength_colors.py
"""
import csv
import math
import os

ROOT = os.path.dirname(os.path.abspath(__file__))
TABLE = os.path.join(ROOT, "..", "..", "..", "data", "cie", "cie1931_2deg_xyz.csv")
OUT = os.path.join(ROOT, "wavelength_colors.csv")

M = ((2.37067, -0.90004, -0.470634),
     (-0.513885, 1.4253, 0.0885814),
     (0.00529818, -0.0146949, 1.0094))


def colour(x, y, z):
    r, g, b = (m[0] * x + m[1] * y + m[2] * z for m in M)
    if r < 0:
        g, b, r = g - r, b - r, 0.0
    if g < 0:
        r, b, g = r - g, b - g, 0.0
    if b < 0:
        g, r, b = g - b, r - b, 0.0
    s = r + g + b
    if s <= 0:
        return 0, 0, 0
    return tuple(int(math.trunc(255 * (c / s) ** 0.4166666666666667)) & 0xFF for c in (r, g, b))


def main():
    rows = {}
    with open(TABLE, newline="") as f:
        for row in csv.DictReader(f):
            rows[int(round(float(row["wavelength_nm"])))] = tuple(
                float("%.7f" % float(row[k])) for k in ("x_bar", "y_bar", "z_bar"))
    with open(OUT, "w", newline="") as f:
        f.write("wavelength_nm,r,g,b\n")
        for nm in range(380, 781, 10):
            r, g, b = colour(*rows[nm])
            f.write(f"{nm},{r},{g},{b}\n")


if __name__ == "__main__":
    main()
