#!/usr/bin/python3
"""Smoothing-spline values from scipy's make_smoothing_spline for the curves of inputs.txt.

scipy minimises sum (y - f(x))^2 + lam * integral f''^2; with lam = (1 - p) / p this is the
spline that the library fits for its weight p = r / (1 + r), r = 6 tr(Q'Q) / tr(R).
Debian: python3-scipy. Run in this folder: python3 make_scipy_reference.py
"""
import numpy as np
import scipy
from scipy.interpolate import make_smoothing_spline


def default_p(x):
    h = np.diff(x)
    a, c = 1 / h[:-1], 1 / h[1:]
    tr_q = np.sum(a * a + (a + c) ** 2 + c * c)
    tr_r = np.sum(2 * (h[:-1] + h[1:]))
    r = 6 * tr_q / tr_r
    return r / (1 + r)


def curves(path):
    with open(path) as f:
        lines = [l.strip() for l in f if l.strip() and not l.startswith("#")]
    for k in range(0, len(lines), 4):
        x, y, (start, step, count) = (np.array([float(v) for v in lines[k + i].split()]) for i in (1, 2, 3))
        yield lines[k], x, y, start + np.arange(int(count)) * step


with open("scipy_reference.inc", "w") as out:
    out.write(f"// Written by make_scipy_reference.py (scipy {scipy.__version__}); do not edit.\n")
    out.write("// {name, smoothing spline at the query points (inside the curve only), p}\n")
    for name, x, y, q in curves("inputs.txt"):
        if len(x) < 5:  # scipy's smoothing spline wants five points or more
            continue
        p = default_p(x)
        inside = q[(q >= x[0]) & (q <= x[-1])]
        values = make_smoothing_spline(x, y, lam=(1 - p) / p)(inside)
        out.write(f'{{"{name}",\n {{' + ", ".join(f"{v:.17g}" for v in values) + f"}},\n {p:.17g}}},\n")
