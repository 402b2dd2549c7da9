#!/usr/bin/python3
"""Reference figures of the colour tests, from the CIE tables in data/cie (380..780 nm in 5 nm):
the perfect reflector and TCS01 under D65 (normalised to Y = 100 for the white), TCS01's
L*a*b* (CIE 15:2004, with the rounded constants of the program), Planck at 2856 K without an
illuminant (c2 = 1.4388e-2 m K) and the plain sum of V(lambda). Published figures to compare:
D65 white (95.047, 100, 108.883) at 1 nm, xy (0.31272, 0.32903); Planck 2856 K xy (0.4476, 0.4074).
Run: python3 tests/plugins/colour/reference/colour_reference.py
"""
import csv
import math
import os

D = os.path.join(os.path.dirname(__file__), "../../../../data/cie/")


def col(name, column):
    out = {}
    for row in csv.DictReader(open(D + name)):
        nm = int(row["wavelength_nm"])
        if 380 <= nm <= 780 and nm % 5 == 0:
            out[nm] = float(row[column])
    return out


nms = range(380, 785, 5)
obs = [col("cie1931_2deg_xyz.csv", c + "_bar") for c in "xyz"]
d65 = col("cie_illuminant_d65.csv", "D65")
tcs01 = col("cie_133_tcs.csv", "TCS01")
k = [sum(o[n] * d65[n] for n in nms) for o in obs]
f = 100 / k[1]
white = [x * f for x in k]
t = [f * sum(o[n] * d65[n] * tcs01[n] for n in nms) for o in obs]
print("white", ["%.3f" % v for v in white], "xy %.5f %.5f" % (white[0] / sum(white), white[1] / sum(white)))
print("TCS01", ["%.3f" % v for v in t])


def lab_f(r):
    return r ** 0.333333333333 if r > 0.008856 else 7.787 * r + 0.13793103448275862


fx, fy, fz = (lab_f(t[i] / white[i]) for i in range(3))
print("TCS01 Lab %.3f %.3f %.3f" % (116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)))
planck = {n: 1 / ((n * 1e-9) ** 5 * (math.exp(1.4388e-2 / (n * 1e-9 * 2856)) - 1)) for n in nms}
p = [sum(o[n] * planck[n] for n in nms) for o in obs]
print("Planck 2856 K xy %.5f %.5f" % (p[0] / sum(p), p[1] / sum(p)))
v = col("cie_vlambda_photopic.csv", "V")
print("sum V %.5f, x 683 x 5 = %.0f lm" % (sum(v[n] for n in nms), sum(v[n] for n in nms) * 683 * 5))
