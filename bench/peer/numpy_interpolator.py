#!/usr/bin/python3
"""Peer of bench_interpolator: training a rule from 1,000 spectra of 401 points with 8 sensor
channels (B = A @ T, then W = T @ pinv(B), and the same by lstsq), and the reconstruction of
100,000 spectra from 8 responses with the normalisation term, clipped to the value range
(np.clip(R @ W.T, lo, hi)).
Debian: python3-numpy. Run: env -u OPENBLAS_CORETYPE -u OPENBLAS_L2_SIZE /usr/bin/python3 bench/peer/numpy_interpolator.py
"""
import os
import re
import time

import numpy as np

POINTS, CHANNELS, TRAININGS, SPECTRA = 401, 8, 1000, 100000

j = np.arange(POINTS)
x = 380.0 + j
k = np.arange(TRAININGS)[None, :]
T = 0.5 + 0.3 * np.sin(0.013 * j[:, None] * (1 + k % 17) + 0.1 * k) + 0.2 * np.cos(0.021 * j[:, None] + 0.007 * k)
centres = 400 + 380.0 * np.arange(CHANNELS) / CHANNELS
A = np.exp(-0.5 * ((x[None, :] - centres[:, None]) / 25.0) ** 2)

c = np.arange(CHANNELS + 1)[:, None]
W = (0.01 * np.sin(0.02 * j[None, :] * (c + 1) + c) + 0.002).T  # 401 x 9: 8 channels, normalisation last
kk = np.arange(SPECTRA)[:, None]
responses = 50 + 40 * np.sin(0.37 * kk + 1.3 * np.arange(CHANNELS)[None, :])


def best_of(runs, work):
    best = float("inf")
    for _ in range(runs):
        start = time.perf_counter()
        work()
        best = min(best, time.perf_counter() - start)
    return best


def train_pinv():
    B = A @ T
    return T @ np.linalg.pinv(B)


def train_lstsq():
    B = A @ T
    return np.linalg.lstsq(B.T, T.T, rcond=None)[0].T


def reconstruct():
    R = np.hstack([responses, responses.mean(axis=1, keepdims=True)])
    return np.clip(R @ W.T, 0.0, 1.5)


np.linalg.pinv(A)  # loads BLAS and LAPACK
with open("/proc/self/maps") as maps:
    libs = sorted({os.path.realpath(line.split()[-1]) for line in maps if re.search(r"blas|lapack", line)})
print("BLAS:", ", ".join(libs) or "built into numpy")
assert np.allclose(train_pinv(), train_lstsq(), atol=1e-6)
t = best_of(50, train_pinv)
print(f"training T @ pinv(B), 1000 x 401, 8 channels: {1 / t:.1f} trainings/s ({t * 1e3:.3f} ms)")
t = best_of(50, train_lstsq)
print(f"training lstsq, 1000 x 401, 8 channels: {1 / t:.1f} trainings/s ({t * 1e3:.3f} ms)")
t = best_of(5, reconstruct)
print(f"reconstruction np.clip(R @ W.T), 100000 x 401: {SPECTRA / t:.0f} spectra/s ({t * 1e3:.1f} ms)")
