#!/usr/bin/python3
"""Peer of bench_point_arithmetic: the same 10,000 curves of 401 points (380..780 nm in 1 nm)
with numpy, one thread: A * 2, A - B, A / (B + max|B| / 1000), the statistics over all A
(mean, population deviation, min, max) and log10, once per spectrum (one array per curve)
and once on the stacked matrix (the memory floor). B is A of the next index.
Debian: python3-numpy. Run: OPENBLAS_NUM_THREADS=1 /usr/bin/python3 bench/peer/numpy_arith.py
"""
import time

import numpy as np

SPECTRA, POINTS = 10000, 401

x = 380 + 1.0 * np.arange(POINTS)
k = np.arange(SPECTRA)[:, None]
stacked = 1 + 0.5 * np.sin(0.02 * x + 0.001 * k) + 0.25 * np.cos(0.05 * x * (1 + (k % 10) / 10.0))
stacked_b = np.roll(stacked, -1, axis=0)
rows = [np.array(r) for r in stacked]
rows_b = rows[1:] + rows[:1]


def best_of(runs, work):
    best = float("inf")
    for _ in range(runs):
        start = time.perf_counter()
        work()
        best = min(best, time.perf_counter() - start)
    return best


def per_spectrum(op):
    def work():
        for a, b in zip(rows, rows_b):
            op(a, b)
    return work


def statistics_rows():
    # Accumulated row by row, as a loop over curves does.
    s = np.zeros(POINTS)
    q = np.zeros(POINTS)
    lo = rows[0].copy()
    hi = rows[0].copy()
    for a in rows:
        s += a
        q += a * a
        np.minimum(lo, a, out=lo)
        np.maximum(hi, a, out=hi)
    mean = s / SPECTRA
    np.sqrt(np.maximum(q / SPECTRA - mean * mean, 0))


def statistics_stacked():
    stacked.mean(axis=0)
    stacked.std(axis=0)
    stacked.min(axis=0)
    stacked.max(axis=0)


cases = (
    ("A * 2", per_spectrum(lambda a, b: a * 2), lambda: stacked * 2),
    ("A - B", per_spectrum(lambda a, b: a - b), lambda: stacked - stacked_b),
    ("A / (B + s)", per_spectrum(lambda a, b: a / (b + np.abs(b).max() / 1000)),
     lambda: stacked / (stacked_b + np.abs(stacked_b).max(axis=1, keepdims=True) / 1000)),
    ("statistics", statistics_rows, statistics_stacked),
    ("log10", per_spectrum(lambda a, b: np.log10(a)), lambda: np.log10(stacked)),
)
for name, rows_work, stacked_work in cases:
    r = best_of(5, rows_work)
    s = best_of(5, stacked_work)
    print(f"{name:14s} per spectrum {SPECTRA / r:12.0f} spectra/s   stacked {SPECTRA / s:12.0f} spectra/s")
