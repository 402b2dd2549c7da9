#!/usr/bin/python3
"""Peer of bench_embrel_resample: the same 10,000 curves of 1,001 points (380..780 nm in
0.4 nm) resampled onto 401 points (1 nm), with numpy.interp one spectrum at a time and
scipy's CubicSpline (not-a-knot) on all spectra at once (axis=1).
Debian: python3-numpy, python3-scipy. Run: python3 bench/peer/numpy_interp.py
Prints "<name>: <seconds> s" for all 10,000 spectra, the best of five runs.
"""
import time

import numpy as np
from scipy.interpolate import CubicSpline

SPECTRA, POINTS = 10000, 1001

x = 380 + 0.4 * np.arange(POINTS)
k = np.arange(SPECTRA)[:, None]
y = 1 + 0.5 * np.sin(0.02 * x + 0.001 * k) + 0.25 * np.cos(0.05 * x * (1 + (k % 10) / 10.0))
grid = 380 + 1.0 * np.arange(401)


def best_of(runs, work):
    best = float("inf")
    for _ in range(runs):
        start = time.perf_counter()
        work()
        best = min(best, time.perf_counter() - start)
    return best


def linear():
    for row in y:
        np.interp(grid, x, row)


def cubic():
    CubicSpline(x, y, axis=1)(grid)


for name, work in (("numpy.interp", linear), ("scipy CubicSpline", cubic)):
    seconds = best_of(5, work)
    print(f"{name}: {seconds:.6f} s")
    print(f"# {name}: {SPECTRA / seconds:.0f} spectra/s")
