#!/usr/bin/python3
"""Reference minima for the LED-array fitter tests, from scipy.

Builds the fitter's problems on the grid 0.38 .. 0.78 um in steps of 0.001 um (accumulated,
as the models sample it): Gaussian LEDs exp(-ln2 (2 (x - P)/W)^2), black-body targets
(Planck with c2 = 1.986175e-25/1.381e-23, scaled to a maximum of 1). Sums of squares and
drives of the non-negative least-squares minimum under each optimisation function, and the
selector's probability matrix of a small database.
Debian: python3-scipy. Run once in this folder: python3 make_fit_reference.py
"""
import numpy as np
from scipy.optimize import least_squares, nnls

C1 = 3.741355772130973e-16
C2 = 1.986175e-25 / 1.381e-23


def grid():
    x, xs = 0.38, []
    for _ in range(401):
        xs.append(x)
        x += 0.001
    return np.array(xs)


X = grid()


def gaussian(peak, fwhm):
    u = (X - peak) / (fwhm * 0.5)
    return np.exp(-np.log(2.0) * u * u)


def black_body(T):
    m = X * 1e-6
    v = C1 / m**5 / (np.exp(C2 / (m * T)) - 1.0)
    return v / v.max()


def leds(step):
    peaks = [0.4 + step * k for k in range(20)]
    return np.column_stack([gaussian(p, 0.02 if p < 0.5 else 0.03) for p in peaks])


def scaled_nnls(A, t, scale):
    w, _ = nnls(A * scale[:, None], t * scale, maxiter=10000)
    r = (A @ w - t) * scale
    return float(r @ r), w


def centre_factor(t, a):
    g = np.exp(-(((X - 0.55) / a) ** 2))
    tau = np.where(np.abs(t) < 1e-4, np.where(t < 0, -1e-4, 1e-4), t)
    return g * (g + (1 - g) / tau)


def log_fit(A, t, a):
    def fun(w):
        return np.log(a * np.abs(A @ w - t) + 1)

    def jac(w):
        r0 = A @ w - t
        return A * (a / (a * np.abs(r0) + 1) * np.sign(r0))[:, None]

    w0, _ = nnls(A, t, maxiter=10000)
    res = least_squares(fun, w0 + 1e-3, jac=jac, bounds=(0, np.inf), method="trf", xtol=1e-15, ftol=1e-15, gtol=1e-15,
                        max_nfev=100000)
    return float(res.fun @ res.fun), res.x


def probabilities(unit):
    D, N = unit.shape
    P = np.zeros((D, D))
    for i in range(D):
        for j in range(i, D):
            x, y = unit[i], unit[j]
            mx, my = x.sum() / N, y.sum() / N
            vx, vy = (x * x).sum() / N - mx * mx, (y * y).sum() / N - my * my
            rho = ((x - mx) * (y - my)).sum() / N / (np.sqrt(vx) * np.sqrt(vy)) if vx > 0 and vy > 0 else 0.0
            P[i, j] = P[j, i] = rho
    for i in range(D):
        c, d = min(1e99, P[i].min()), max(0.999, P[i].max())
        row = np.where(P[i] > 0.999, 0.0, (P[i] - c) / (d - c))
        P[i] = row / row.sum()
    return P


def emit(out, name, value):
    if np.ndim(value) == 0:
        out.write(f"const double {name} = {float(value):.17g};\n")
    else:
        flat = np.ravel(value)
        body = ", ".join(f"{v:.17g}" for v in flat)
        out.write(f"const double {name}[{len(flat)}] = {{{body}}};\n")


A1, A2 = leds(0.020), leds(0.016)
t4000, t6500 = black_body(4000.0), black_body(6500.0)
ones = np.ones_like(X)

with open("fit_reference.inc", "w") as out:
    out.write("// Written by make_fit_reference.py (scipy); do not edit.\n")
    for name, (s, w) in {
        "kBench1": scaled_nnls(A1, t4000, ones),
        "kBench2": scaled_nnls(A2, t4000, ones),
        "kSecondTarget": scaled_nnls(A1, t6500, ones),
        "kRelative": scaled_nnls(A1, t4000, 1 / np.maximum(t4000, 1e-6)),
        "kCentre": scaled_nnls(A1, t4000, centre_factor(t4000, 0.1)),
        "kMixed": scaled_nnls(A1, t4000, 0.5 + 0.5 / np.maximum(t4000, 1e-6)),
        "kLog1": log_fit(A1, t4000, 1.0),
        "kLog10": log_fit(A1, t4000, 10.0),
    }.items():
        emit(out, name + "Sum", s)
        emit(out, name + "Drives", w)
    # Five Gaussians of the selector test's database: (peak, FWHM).
    db = [(0.45, 0.03), (0.46, 0.03), (0.52, 0.05), (0.6, 0.02), (0.65, 0.04)]
    emit(out, "kSelectorProbabilities", probabilities(np.array([gaussian(p, w) for p, w in db])))
    print(open("fit_reference.inc").read()[:2000])
