#!/usr/bin/python3
"""Peer of bench_colour_values: 100,000 spectra of 401 points, one illuminant, three curves:
v = f * (S @ (L*O).T), then xy and L*a*b* against the illuminant's white, on one thread.
Debian: python3-numpy. Run: OPENBLAS_NUM_THREADS=1 OMP_NUM_THREADS=1 python3 bench/peer/numpy_colour.py
Prints "<name>: <seconds> s" for all 100,000 spectra, the best of five runs.
"""
import time

import numpy as np

SPECTRA, POINTS = 100000, 401
x = 380 + np.arange(POINTS)
k = np.arange(SPECTRA)[:, None]
S = 0.5 + 0.4 * np.sin(0.02 * x + 0.001 * k)
L = 1 + 0.5 * np.cos(0.01 * x)
O = np.stack([np.exp(-((x - c) / 40.0) ** 2) for c in (600, 550, 450)])


def best_of(runs, work):
    best = float("inf")
    for _ in range(runs):
        start = time.perf_counter()
        work()
        best = min(best, time.perf_counter() - start)
    return best


def colour():
    ref = O @ L
    f = 100.0 / ref[1]
    v = f * (S @ (L * O).T)
    white = ref * f
    s = v.sum(axis=1)
    xy = v[:, :2] / s[:, None]
    t = v / white
    ft = np.where(t > 0.008856, np.power(t, 0.333333333333), 7.787 * t + 0.13793103448275862)
    lab = np.stack([116 * ft[:, 1] - 16, 500 * (ft[:, 0] - ft[:, 1]), 200 * (ft[:, 1] - ft[:, 2])], axis=1)
    return xy, lab


try:
    blas = np.show_config(mode="dicts")["Build Dependencies"]["blas"]["name"]
except Exception:  # numpy before 1.26
    info = np.__config__.get_info("blas_opt")
    blas = ", ".join(info.get("libraries", [])) or "unknown"
print(f"# BLAS: {blas}")
seconds = best_of(5, colour)
print(f"numpy colour values: {seconds:.6f} s")
print(f"# {SPECTRA} x {POINTS}: {SPECTRA / seconds:.0f} spectra/s")
