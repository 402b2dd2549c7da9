#!/usr/bin/env python3
"""Writes the fixtures of the LED window tests and gallery: targets.speks (three Gaussian
spectra on 400 .. 750 nm, step 2 nm) and leds.txt (four LED records in the set file format).

Run from this folder: python3 make_window_fixtures.py
"""
import math

def speks(path, spectra):
    n = 176
    with open(path, "w", newline="") as f:
        f.write("Speks:%16d%16d%16d%16d%16d\r\n" % (len(spectra), n, 400, 750, 2))
        for name, peak, width, height in spectra:
            f.write(name + " :\r\n")
            values = [height * math.exp(-0.5 * ((400 + 2 * i - peak) / width) ** 2) for i in range(n)]
            for i, v in enumerate(values):
                f.write("%16.7f" % v)
                if i % 8 == 7 or i == n - 1:
                    f.write("\r\n")

LEDS = [
    [("Name", "LED_Blau"), ("Company", "Werk1"), ("SpectralModel", "GaussianLEDModel"), ("PeakWavelength", "0.465"), ("FWHM", "0.025")],
    [("Name", "LED_Gruen"), ("Company", "Werk1"), ("SpectralModel", "GaussianLEDModel"), ("PeakWavelength", "0.525"), ("FWHM", "0.035")],
    [("Name", "LED_Rot"), ("Company", "Werk2"), ("SpectralModel", "GaussianLEDModel"), ("PeakWavelength", "0.630"), ("FWHM", "0.02")],
    [("Name", "LED_Amber"), ("Company", "Werk2"), ("PeakWavelength", "0.590")],
]

def leds(path):
    with open(path, "w", newline="") as f:
        for record in LEDS:
            f.write("[BeginEntry]\r\n")
            for key, value in record:
                f.write("%s = %s\r\n" % (key, value))
            f.write("[EndEntry]\r\n\r\n")

speks("targets.speks", [("Blau", 465, 12, 0.8), ("Gruen", 525, 18, 1.0), ("Rot", 630, 10, 0.6)])
leds("leds.txt")
