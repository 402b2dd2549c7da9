#!/usr/bin/env python3
"""Peers of the column loader: numpy.loadtxt and pandas.read_csv (when installed) on the column
file of bench_loadsave (its path is the argument). Run bench_loadsave with ORVANTA_BENCH_KEEP=1
so that the file stays, then:  python3 bench/peer/loadtxt_peer.py <column file> [repeats]
Prints "<name>: <seconds> s", the best of the repeats."""
import sys
import time

import numpy


def best_of(repeats, work):
    best = float("inf")
    for _ in range(repeats):
        start = time.perf_counter()
        shape = work()
        best = min(best, time.perf_counter() - start)
    return best, shape


def main():
    path = sys.argv[1]
    repeats = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    seconds, shape = best_of(repeats, lambda: numpy.loadtxt(
        path, delimiter=";", skiprows=1, usecols=range(0, 101)).shape)
    print(f"numpy.loadtxt: {seconds:.6f} s")
    print(f"# {shape[0]} rows x {shape[1]} columns")
    try:
        import pandas
    except ImportError:
        return
    seconds, shape = best_of(repeats, lambda: pandas.read_csv(
        path, sep=";", header=0, engine="c", dtype=numpy.float64).shape)
    print(f"pandas.read_csv: {seconds:.6f} s")
    print(f"# {shape[0]} rows x {shape[1]} columns")


if __name__ == "__main__":
    main()
