#!/usr/bin/python3
"""Peer of bench_plot_render: the same 500 spectra of 401 points (380..780 nm, smooth peaks,
distinct colours) drawn as aliased lines into a 1200 x 800 picture with matplotlib's Agg
backend, axes and ticks included; the time is one full draw of the figure.
Debian: python3-matplotlib. Run: python3 bench/peer/matplotlib_plot.py
Prints "<name>: <seconds> s", the best of five draws.
"""
import colorsys
import time

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

COUNT, POINTS = 500, 401

x = 380.0 + np.arange(POINTS)
fig = plt.figure(figsize=(12, 8), dpi=100)
ax = fig.add_subplot(1, 1, 1)
for i in range(COUNT):
    centre = 400 + (i * 7919) % 360
    width = 10 + i % 40
    height = 0.3 + 0.7 * ((i * 31) % 100) / 100.0
    y = height * np.exp(-0.5 * (x - centre) ** 2 / width ** 2) + 0.02 * np.sin(x / 17.0 + i)
    colour = colorsys.hsv_to_rgb(((i * 360 // COUNT) % 360) / 360.0, 220 / 255.0, 200 / 255.0)
    ax.plot(x, y, color=colour, linewidth=1.0, antialiased=False)
ax.set_xlim(380, 780)
ax.set_ylim(-0.1, 1.1)
ax.grid(True)

best = float("inf")
for _ in range(6):
    start = time.perf_counter()
    fig.canvas.draw()
    best = min(best, time.perf_counter() - start)
width, height = fig.canvas.get_width_height()
print(f"matplotlib Agg: {best:.6f} s")
print(f"# {width} x {height} pixels, {COUNT} lines")
