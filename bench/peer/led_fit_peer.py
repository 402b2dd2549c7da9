#!/usr/bin/python3
"""Peer of bench_led_fit: 20 Gaussian LEDs exp(-ln2 (2 (x - P)/W)^2) at 0.4 + 0.02 k um
(second case 0.4 + 0.016 k), FWHM 0.02 below 0.5 um and 0.03 above, fitted with
non-negative drives to a 4000 K black body (Planck, c2 = 1.986175e-25/1.381e-23, maximum 1)
on 0.38 .. 0.78 um in 0.001 um. Times scipy's nnls, least_squares trf with bounds w >= 0,
and lm on the squared-drive residual A p^2 - t from p = sqrt(0.5), printing each minimum.
Debian: python3-numpy, python3-scipy. Run: python3 bench/peer/led_fit_peer.py
"""
import time

import numpy as np
from scipy.optimize import least_squares, nnls

C1 = 3.741355772130973e-16
C2 = 1.986175e-25 / 1.381e-23

x, xs = 0.38, []
for _ in range(401):
    xs.append(x)
    x += 0.001
X = np.array(xs)
m = X * 1e-6
target = C1 / m**5 / (np.exp(C2 / (m * 4000.0)) - 1.0)
target /= target.max()


def best_of(runs, work):
    best, result = float("inf"), None
    for _ in range(runs):
        start = time.perf_counter()
        result = work()
        best = min(best, time.perf_counter() - start)
    return best, result


for name, step in (("first", 0.020), ("second", 0.016)):
    peaks = [0.4 + step * k for k in range(20)]
    A = np.column_stack([np.exp(-np.log(2.0) * ((X - p) / ((0.02 if p < 0.5 else 0.03) * 0.5)) ** 2) for p in peaks])

    def run_nnls():
        w, _ = nnls(A, target)
        return w

    def run_trf():
        return least_squares(lambda w: A @ w - target, np.full(20, 0.5), jac=lambda w: A, bounds=(0, np.inf),
                             method="trf").x

    def run_lm():
        p = least_squares(lambda p: A @ (p * p) - target, np.full(20, np.sqrt(0.5)), jac=lambda p: A * (2 * p),
                          method="lm").x
        return p * p

    for label, work in (("nnls", run_nnls), ("trf", run_trf), ("lm", run_lm)):
        seconds, w = best_of(20, work)
        r = A @ w - target
        print(f"{name:6s} {label:4s} {seconds * 1e3:8.3f} ms  minimum {r @ r:.10g}")
