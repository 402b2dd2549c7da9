#!/usr/bin/env python3
"""Times numpy.loadtxt on the column file of bench_loadsave (its path is the argument), the
peer the column loader is measured against. Run bench_loadsave with ORVANTA_BENCH_KEEP=1 so
that the file stays, then:  python3 bench/peer/loadtxt_peer.py <column file> [repeats]"""
import os
import sys
import time

import numpy


def main():
    path = sys.argv[1]
    repeats = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    size = os.path.getsize(path)
    best = float("inf")
    for _ in range(repeats):
        start = time.perf_counter()
        table = numpy.loadtxt(path, delimiter=";", skiprows=1, usecols=range(0, 101))
        best = min(best, time.perf_counter() - start)
    print(f"numpy.loadtxt: {table.shape[0]} rows x {table.shape[1]} columns, "
          f"{best:.3f} s, {size / best / 1e6:.1f} MB/s")


if __name__ == "__main__":
    main()
