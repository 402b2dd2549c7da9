#!/usr/bin/python3
"""Peer of bench_led_selection: the same 40 Gaussian candidates and 4 targets (380 to 780 nm
in steps of 2 nm); 105 combinations of 5 LEDs, each fitted with one call of
scipy.optimize.least_squares(method="lm") over all four targets with drive = p^2, from
p = sqrt(0.5). Prints combinations per second (best of 5 runs).
Debian: python3-scipy."""
import time

import numpy as np
from scipy.optimize import least_squares

CANDIDATES = 40
COMBINATIONS = 105
x = (380.0 + 2.0 * np.arange(201)) / 1000.0


def peak(i):
    return 0.40 + 0.30 * i / (CANDIDATES - 1)


def fwhm(i):
    return 0.02 + 0.005 * (i % 5)


def gauss(p, w):
    u = (x - p) / (w / 2)
    return np.exp(-np.log(2.0) * u * u)


G = np.column_stack([gauss(peak(i), fwhm(i)) for i in range(CANDIDATES)])
targets = []
for t in range(4):
    a = 3 + 9 * t
    b, c = (a + 13) % CANDIDATES, (a + 27) % CANDIDATES
    targets.append(0.8 * G[:, a] + 0.5 * G[:, b] + 0.3 * G[:, c])
T = np.column_stack(targets)

rng = np.random.default_rng(1)
combos = [rng.choice(CANDIDATES, 5, replace=False) for _ in range(COMBINATIONS)]


def fit(combo):
    A = G[:, combo]

    def residuals(q):
        P = q.reshape(5, 4)
        return (A @ (P * P) - T).ravel()

    def jacobian(q):
        P = q.reshape(5, 4)
        J = np.zeros((201 * 4, 20))
        for k in range(5):
            for t in range(4):
                J[t::4, k * 4 + t] = 2 * P[k, t] * A[:, k]
        return J

    return least_squares(residuals, np.full(20, np.sqrt(0.5)), jac=jacobian, method="lm").cost


best = float("inf")
for _ in range(5):
    start = time.perf_counter()
    for combo in combos:
        fit(combo)
    best = min(best, time.perf_counter() - start)
print(f"{COMBINATIONS / best:.0f} combinations/s (best of 5 runs of {COMBINATIONS} fits)")
