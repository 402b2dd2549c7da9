#!/usr/bin/env python3
"""Writes float_bytes.inc: decimal texts and their little-endian single-precision bytes, as
Python's struct module packs them. Run from this folder: python3 make_float_bytes.py"""
import struct

VALUES = ["1.0", "0.1", "-1.0", "2.2979157", "8.000742", "0.0", "-0.0", "0.5",
          "1e-40", "3.4028235e38", "-123.456", "1013.25"]

with open("float_bytes.inc", "w") as out:
    out.write("// Made by make_float_bytes.py (struct.pack('<f', value)); do not edit.\n")
    for text in VALUES:
        data = struct.pack("<f", float(text))
        out.write('{"%s", %s, {%s}},\n' % (text, text, ", ".join("0x%02X" % b for b in data)))
