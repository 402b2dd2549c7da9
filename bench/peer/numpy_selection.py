#!/usr/bin/python3
"""Peer of bench_selection: the criterion of an 8-channel set (discriminance: trace of the
pseudo-inverse of the ridged within-class scatter times the between-class scatter, SVD with
the absolute cut 2.22e-16; technology value: centroids and pairwise overlaps of the 8 bands)
over 20 classes of 10 samples on 401 points, and scipy.linalg.qr(A, pivoting=True) of
1,000 spectra of 401 points (the pivot order the target selection follows).
Debian: python3-numpy, python3-scipy. Run: python3 bench/peer/numpy_selection.py
"""
import time

import numpy as np
import scipy.linalg

POINTS, CLASSES, SAMPLES = 401, 20, 10
x = 380.0 + np.arange(POINTS)
k = np.arange(POINTS)


def channel(c, n):
    centre = 400 + 380.0 * c / n
    return np.exp(-0.5 * ((x - centre) / (15 + c % 7)) ** 2)


samples = np.array([0.5 + 0.4 * np.sin(0.01 * k * (i + 1) + 0.3 * s) + 0.05 * np.cos(0.07 * k * (s + 1))
                    for i in range(CLASSES) for s in range(SAMPLES)])
bands = np.array([channel(c, 8) for c in range(8)])
responses = bands @ samples.T  # channels x samples


def pinv_abs(a):
    u, s, vt = np.linalg.svd(a)
    inv = np.where(s > 2.220446049250313e-16, 1.0 / np.where(s > 0, s, 1), 0.0)
    return (vt.T * inv) @ u.T


def discriminance(r):
    d = r.shape[0]
    per = r.reshape(d, CLASSES, SAMPLES)
    means = per.mean(axis=2)
    dev = per - means[:, :, None]
    w = np.einsum("ikn,jkn->ij", dev, dev)
    m = means - means.mean(axis=1, keepdims=True)
    b = SAMPLES * m @ m.T
    w = w + 1e-5 * np.trace(b) / d * np.eye(d)
    return np.trace(pinv_abs(w) @ b)


def technology(y, level=1.0, dist=10.0, max_overlap=0.9):
    mx = np.maximum(y.max(axis=1), 1e-6)
    weights = np.where(y > 0.05 * level, y, 0.0)
    centroid = (weights @ x) / weights.sum(axis=1)
    n = y.shape[0]
    norm = y / mx[:, None]
    dmin, largest = np.inf, 0.0
    for i in range(n):
        for j in range(i + 1, n):
            dmin = min(dmin, abs(centroid[i] - centroid[j]))
            lo = np.minimum(norm[i], norm[j]).sum()
            hi = np.maximum(norm[i], norm[j]).sum()
            largest = max(largest, lo / hi if hi else 1.0)
    t = 0.0 if dist > dmin else 1 - (dist / dmin) ** 2
    t += 1 - (largest / max_overlap) ** 2 if largest < max_overlap else 0.0
    return t / 2


def rate(work, seconds=2.0):
    count, start = 0, time.perf_counter()
    while time.perf_counter() - start < seconds:
        work()
        count += 1
    return count / (time.perf_counter() - start)


def criterion():
    discriminance(responses)
    technology(bands)


j = np.arange(1000)[None, :]
kk = k[:, None]
A = 1 + 0.5 * np.sin(0.02 * kk + 0.001 * j) + 0.25 * np.cos(0.05 * kk * (1 + (j % 10) / 10.0)) + 0.1 * np.sin(0.003 * kk * j)

print("BLAS:", ", ".join(sorted({lib for lib in np.__config__.blas_opt_info.get("libraries", [])}))
      if hasattr(np.__config__, "blas_opt_info") else "see numpy.show_config()")
print(f"criterion (discriminance + technology), 8 channels: {rate(criterion):.0f} evaluations/s")
qr_rate = rate(lambda: scipy.linalg.qr(A, mode="economic", pivoting=True))
print(f"scipy.linalg.qr(A, pivoting=True), 401 x 1000: {1000.0 / qr_rate:.2f} ms")
