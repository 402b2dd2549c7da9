#!/usr/bin/python3
"""Peer of bench_spectral_filter: the same 10,000 curves of 401 points filtered along axis 1
with scipy.ndimage and scipy.signal, one thread: uniform_filter1d(size=3); savgol_filter
(3, 1, deriv=1) and (3, 2, deriv=2), the central first and second differences; four
convolve1d passes of 1 4 6 4 1 dilated by 1, 2, 4 and 8; median_filter(size=(1, 5)).
Debian: python3-scipy. Run: OPENBLAS_NUM_THREADS=1 /usr/bin/python3 bench/peer/scipy_filters.py
"""
import time

import numpy as np
from scipy.ndimage import convolve1d, median_filter, uniform_filter1d
from scipy.signal import savgol_filter

SPECTRA, POINTS = 10000, 401

x = 380 + 1.0 * np.arange(POINTS)
k = np.arange(SPECTRA)[:, None]
y = 1 + 0.5 * np.sin(0.02 * x + 0.001 * k) + 0.25 * np.cos(0.05 * x * (1 + (k % 10) / 10.0))


def dilated(t):
    kernel = np.zeros(4 * t + 1)
    kernel[::t] = [1, 4, 6, 4, 1]
    return kernel


def binomial():
    v = y
    for t in (1, 2, 4, 8):
        v = convolve1d(v, dilated(t), axis=1)


def best_of(runs, work):
    best = float("inf")
    for _ in range(runs):
        start = time.perf_counter()
        work()
        best = min(best, time.perf_counter() - start)
    return best


cases = (
    ("box3", lambda: uniform_filter1d(y, size=3, axis=1)),
    ("sobel", lambda: savgol_filter(y, 3, 1, deriv=1, axis=1)),
    ("laplace", lambda: savgol_filter(y, 3, 2, deriv=2, axis=1)),
    ("binomial4", binomial),
    ("median5", lambda: median_filter(y, size=(1, 5))),
)
for name, work in cases:
    seconds = best_of(5, work)
    print(f"{name:10s} {SPECTRA / seconds:12.0f} spectra/s")
