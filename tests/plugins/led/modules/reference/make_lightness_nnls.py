#!/usr/bin/python3
"""The numbers of lightness_nnls.m with scipy's nnls, for machines without GNU Octave (the
solutions of these full-rank problems are unique, so both give the same to rounding).
Debian: python3-scipy. Run in this folder: python3 make_lightness_nnls.py > lightness_nnls.txt
"""
import numpy as np
from scipy.optimize import nnls

x = np.arange(380, 781, 2) / 1000.0


def g(P, W):
    return np.exp(-np.log(2) * ((x - P) / (W / 2)) ** 2)


A = np.column_stack([g(0.46, 0.04), g(0.53, 0.035), g(0.62, 0.05)])
T = [0.8 * A[:, 0] + 0.3 * A[:, 1] + 0.5 * A[:, 2],
     1.0 * A[:, 0] - 0.2 * A[:, 1] + 0.6 * A[:, 2] + 0.1 * g(0.70, 0.03)]
for t in range(2):
    d, _ = nnls(A, T[t])
    print("lightness %d %.10f %.10f %.10f" % (t, d[0], d[1], d[2]))

peaks = [0.45, 0.50, 0.55, 0.60, 0.65]
B = np.column_stack([g(p, 0.03) for p in peaks])
S = [0.7 * B[:, 1] + 0.4 * B[:, 3] + 0.1 * B[:, 2], 0.2 * B[:, 1] + 0.9 * B[:, 3] + 0.05 * B[:, 4]]
best = None
for i in range(5):
    for j in range(i + 1, 5):
        ss = 0.0
        for t in range(2):
            M = B[:, [i, j]]
            d, _ = nnls(M, S[t])
            ss += float(np.sum((M @ d - S[t]) ** 2))
        print("pair %d %d %.10g" % (i + 1, j + 1, ss))
        if best is None or ss < best[0]:
            best = (ss, i + 1, j + 1)
print("best %d %d" % (best[1], best[2]))
