#!/usr/bin/env python3
"""Runs each hot path's benchmark and its peer script interleaved, several rounds, and prints
one table of the medians: hot path | ours | peer | limit | ratio | target | met.

bench/run_peers.sh builds the benchmarks and installs the peers' packages, then calls this.
By hand:  python3 bench/run_peers.py --bench-dir build-release/bench [--rounds 3] [--only load,plot,exports]

Figures: ours and the limits are Google Benchmark's real time per iteration (the mean of one
run) or a named counter; a peer prints lines "<name>: <seconds> s" (the best of its repeats).
A figure that is missing (benchmark not built or renamed, peer failed) shows as n/a and its
row is not judged.
"""
import argparse
import json
import os
import re
import statistics
import subprocess
import sys
import tempfile
from dataclasses import dataclass, field
from pathlib import Path

HERE = Path(__file__).resolve().parent
PEER_DIR = HERE / "peer"
TIMEOUT = 1800
# The peers use Debian's packages: Debian's interpreter, whatever python3 comes first in PATH.
PYTHON = "/usr/bin/python3" if Path("/usr/bin/python3").exists() else sys.executable

_UNIT_SECONDS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


@dataclass
class Group:
    """One benchmark program (one process per filter) followed by one peer script."""
    key: str
    binary: str
    filters: list
    peer: list = field(default_factory=list)  # script and arguments; "{name}" from capture
    env: dict = field(default_factory=dict)
    peer_env: dict = field(default_factory=dict)
    capture: dict = field(default_factory=dict)  # name -> regex on the program's stdout
    remove_captured: tuple = ()  # captured paths removed after the round


# A figure: a benchmark (regex on its name) with "time" or a counter's name, in a group; or a
# peer line (regex on its name). Alternatives are tried in order.
@dataclass
class Bench:
    group: str
    alternatives: list  # [(name regex, "time" | counter name)]


@dataclass
class Peer:
    group: str
    pattern: str


# Targets: ("faster", k) peer / ours >= k; ("share", k) limit / ours >= k;
# ("within", k) ours / limit <= k.
@dataclass
class Row:
    name: str
    ours: Bench
    peer: object = None
    limit: object = None
    targets: list = field(default_factory=list)
    unit: str = "s"  # "s" or "MB"


GROUPS = [
    Group("load", "bench_loadsave", ["^BM_LoadColumnFile|^BM_ReadFromChars"],
          peer=["loadtxt_peer.py", "{column_file}", "3"], env={"ORVANTA_BENCH_KEEP": "1"},
          capture={"column_file": r"column file: (\S+)"}, remove_captured=("column_file",)),
    Group("resample", "bench_embrel_resample", ["^Resample/|^BM_PlainLinearLoop|^BM_NaturalSplineLoop"],
          peer=["numpy_interp.py"]),
    Group("xml", "bench_xml", ["."], peer=["@xml"]),
    # One process per operation, so that each peak-memory counter is that operation's own.
    Group("project", "bench_project_file",
          ["^BM_SaveProject", "^BM_LoadProjectDocument", "^BM_BareLibxml2Write", "^BM_BareLibxml2Read"]),
    # Colour values are compared per core: BLAS on one thread.
    Group("colour", "bench_colour_values", ["^BM_KernelXyLab"], peer=["numpy_colour.py"],
          peer_env={"OPENBLAS_NUM_THREADS": "1", "OMP_NUM_THREADS": "1", "MKL_NUM_THREADS": "1"}),
    Group("plot", "bench_plot_render", ["^BM_Plot500$|^BM_QPainterPolylines500"], peer=["matplotlib_plot.py"]),
    # The LED exports beside plain writes of the same bytes, and the random spectra.
    Group("exports", "bench_led_exports",
          ["^BM_RandomSpectra/noise:0|^BM_SourceExport|^BM_SourcePlainWrite/mode:[12]|^BM_PlotExport"
           "|^BM_PlotPlainWrite/mode:[12]"], peer=["led_random_numpy.py"]),
]

ROWS = [
    Row("column text load, 51.5 MB, 101 columns", Bench("load", [("BM_LoadColumnFile", "time")]),
        Peer("load", "numpy.loadtxt"), Bench("load", [("BM_ReadFromChars", "time")]),
        [("faster", 3.0), ("share", 0.7)]),
    Row("column text load, beside pandas", Bench("load", [("BM_LoadColumnFile", "time")]),
        Peer("load", "pandas.read_csv")),
    Row("resample 10,000 x 1,001 -> 401, linear", Bench("resample", [("Resample/linear", "time")]),
        Peer("resample", "numpy.interp"), Bench("resample", [("BM_PlainLinearLoop", "time")]),
        [("faster", 4.5)]),
    Row("resample, cubic (not-a-knot)", Bench("resample", [("Resample/cubic", "time")]),
        Peer("resample", "scipy CubicSpline"), Bench("resample", [("BM_NaturalSplineLoop", "time")]),
        [("faster", 4.0)]),
    Row("XML write 10,000 x 401", Bench("xml", [(r"BM_Xml\w*Write", "time"), ("BM_XmlRoundTrip", "write_s")]),
        Peer("xml", "(?i)write"), Bench("xml", [(r"BM_Bare\w*Write", "time")]), [("within", 1.3)]),
    Row("XML read, same file", Bench("xml", [(r"BM_Xml\w*Read", "time"), ("BM_XmlRoundTrip", "read_s")]),
        Peer("xml", "(?i)read"), Bench("xml", [(r"BM_Bare\w*Read", "time")]), [("within", 1.3)]),
    Row("project save", Bench("project", [("BM_SaveProject", "s"), ("BM_SaveProject", "time")]), None,
        Bench("project", [("BM_BareLibxml2Write", "s"), ("BM_BareLibxml2Write", "time")]), [("within", 1.5)]),
    Row("project load", Bench("project", [("BM_LoadProjectDocument", "s"), ("BM_LoadProjectDocument", "time")]),
        None, Bench("project", [("BM_BareLibxml2Read", "s"), ("BM_BareLibxml2Read", "time")]), [("within", 1.5)]),
    # The peak one operation adds to what the process held before it: the process's own peak
    # also holds the set-up (the filled document of the save, the file made for the load).
    Row("project save, peak MB it adds (limit: file MB)", Bench("project", [("BM_SaveProject", "op_peak_MB")]),
        None, Bench("project", [("BM_SaveProject", "file_MB")]), [("within", 1.5)], unit="MB"),
    Row("project load, peak MB it adds (limit: file MB)",
        Bench("project", [("BM_LoadProjectDocument", "op_peak_MB")]), None,
        Bench("project", [("BM_LoadProjectDocument", "file_MB")]), [("within", 2.5)], unit="MB"),
    Row("project save, process peak MB with set-up", Bench("project", [("BM_SaveProject", "peak_MB")]), None,
        Bench("project", [("BM_SaveProject", "file_MB")]), unit="MB"),
    Row("project load, process peak MB with set-up", Bench("project", [("BM_LoadProjectDocument", "peak_MB")]),
        None, Bench("project", [("BM_LoadProjectDocument", "file_MB")]), unit="MB"),
    Row("colour values XYZ + xy + Lab, 100,000 x 401", Bench("colour", [("BM_KernelXyLab", "time")]),
        Peer("colour", "numpy colour values"), None, [("faster", 4.0)]),
    Row("plot 500 x 401, 1200 x 800", Bench("plot", [("BM_Plot500$", "time")]),
        Peer("plot", "matplotlib Agg"), Bench("plot", [("BM_QPainterPolylines500", "time")]),
        [("within", 1.2), ("faster", 6.0)]),
    Row("random LED spectra, 10 x 100 of a 6-LED array at 1 nm", Bench("exports", [("BM_RandomSpectra", "time")]),
        Peer("exports", "numpy random spectra"), None, [("faster", 3.0)]),
    # Report only: an export of this size is instant for a user either way. Beside it the same
    # bytes written with fwrite and fsync, and written as the exports write (temporary file,
    # fsync, rename over the old file).
    Row("C source export, 401 x 100 LED matrix + 10 targets + 70 interpolators",
        Bench("exports", [("BM_SourceExport", "time")]), None,
        Bench("exports", [("BM_SourcePlainWrite/mode:1", "time")])),
    Row("C source export, beside a replacing write", Bench("exports", [("BM_SourceExport", "time")]), None,
        Bench("exports", [("BM_SourcePlainWrite/mode:2", "time")])),
    Row("plot-script export, 10,000 objects x 7 values", Bench("exports", [("BM_PlotExport", "time")]), None,
        Bench("exports", [("BM_PlotPlainWrite/mode:1", "time")])),
    Row("plot-script export, beside a replacing write", Bench("exports", [("BM_PlotExport", "time")]), None,
        Bench("exports", [("BM_PlotPlainWrite/mode:2", "time")])),
]


def peer_environment(group):
    env = dict(os.environ)
    # Settings of this machine that would change the peers' BLAS.
    for name in ("OPENBLAS_CORETYPE", "OPENBLAS_L2_SIZE"):
        env.pop(name, None)
    env.update(group.peer_env)
    return env


def log(text):
    print(text, file=sys.stderr, flush=True)


def run_benchmarks(bench_dir, group, regex, captured):
    """{benchmark name: entry} of one run of the program, filtered by regex."""
    program = bench_dir / group.binary
    if not program.exists():
        log(f"  {group.binary}: not built")
        return {}
    with tempfile.NamedTemporaryFile(suffix=".json", delete=False) as out:
        json_path = out.name
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", **group.env)
    try:
        proc = subprocess.run([str(program), f"--benchmark_filter={regex}", f"--benchmark_out={json_path}",
                               "--benchmark_out_format=json"], env=env, capture_output=True, text=True,
                              timeout=TIMEOUT)
        for name, pattern in group.capture.items():
            hit = re.search(pattern, proc.stdout)
            if hit:
                captured[name] = hit.group(1)
        if proc.returncode != 0:
            log(f"  {group.binary} {regex}: exit {proc.returncode}: {proc.stderr.strip()[-300:]}")
        with open(json_path) as f:
            entries = json.load(f).get("benchmarks", [])
    except (OSError, ValueError, subprocess.TimeoutExpired) as e:
        log(f"  {group.binary} {regex}: {e}")
        return {}
    finally:
        os.unlink(json_path)
    return {e["name"]: e for e in entries if not e.get("error_occurred") and e.get("run_type", "iteration") == "iteration"}


def peer_scripts(group):
    if not group.peer:
        return []
    if group.peer[0] == "@xml":  # the XML layer's peers: whichever scripts there are for it
        return [[str(p)] for p in sorted(PEER_DIR.glob("*.py")) if "xml" in p.name.lower()]
    return [[str(PEER_DIR / group.peer[0])] + group.peer[1:]]


def run_peers(group, captured):
    """{line name: seconds} of the group's peer scripts."""
    figures = {}
    for command in peer_scripts(group):
        try:
            args = [a.format(**captured) for a in command]
        except KeyError as e:
            log(f"  {Path(command[0]).name}: no {e}")
            continue
        try:
            proc = subprocess.run([PYTHON] + args, env=peer_environment(group), capture_output=True, text=True,
                                  timeout=TIMEOUT)
        except (OSError, subprocess.TimeoutExpired) as e:
            log(f"  {Path(command[0]).name}: {e}")
            continue
        if proc.returncode != 0:
            log(f"  {Path(command[0]).name}: exit {proc.returncode}: {proc.stderr.strip()[-300:]}")
        for line in proc.stdout.splitlines():
            hit = re.fullmatch(r"\s*([^#].*?):\s*([0-9.eE+-]+)\s*s\s*", line)
            if hit:
                figures[hit.group(1)] = float(hit.group(2))
    return figures


def bench_value(entries, alternatives):
    for pattern, metric in alternatives:
        for name, entry in entries.items():
            if not re.match(pattern, name):
                continue
            if metric == "time":
                return entry["real_time"] * _UNIT_SECONDS[entry.get("time_unit", "ns")]
            if metric in entry:
                return float(entry[metric])
    return None


def peer_value(figures, pattern):
    for name, seconds in figures.items():
        if re.search(pattern, name):
            return seconds
    return None


def measure(bench_dir, rounds, only):
    """{(row index, "ours" | "peer" | "limit"): [value per round]}"""
    samples = {}
    groups = [g for g in GROUPS if not only or g.key in only]
    for r in range(rounds):
        for group in groups:
            log(f"round {r + 1}/{rounds}: {group.key}")
            captured = {}
            entries = {}
            for regex in group.filters:
                entries.update(run_benchmarks(bench_dir, group, regex, captured))
            figures = run_peers(group, captured)
            for name in group.remove_captured:
                if name in captured:
                    Path(captured[name]).unlink(missing_ok=True)
            for i, row in enumerate(ROWS):
                for role in ("ours", "peer", "limit"):
                    spec = getattr(row, role)
                    if spec is None or spec.group != group.key:
                        continue
                    value = peer_value(figures, spec.pattern) if isinstance(spec, Peer) \
                        else bench_value(entries, spec.alternatives)
                    if value is not None:
                        samples.setdefault((i, role), []).append(value)
    return samples


def show(value, unit):
    if value is None:
        return "n/a"
    if unit == "MB":
        return f"{value:.0f} MB"
    if value >= 1:
        return f"{value:.2f} s"
    return f"{value * 1e3:.3g} ms"


def judge(kind, limit, ours, peer, lim):
    """(ratio text, target text, met or None)"""
    if kind == "faster":
        ratio = peer / ours if peer and ours else None
        return (f"{ratio:.2f}x peer" if ratio else "n/a"), f">= {limit:g}x peer", \
            (ratio >= limit if ratio else None)
    if kind == "share":
        ratio = lim / ours if lim and ours else None
        return (f"{ratio:.2f} of limit" if ratio else "n/a"), f">= {limit:g} of limit", \
            (ratio >= limit if ratio else None)
    ratio = ours / lim if lim and ours else None
    return (f"{ratio:.2f}x limit" if ratio else "n/a"), f"<= {limit:g}x limit", (ratio <= limit if ratio else None)


def table(samples, rounds, only):
    head = ["hot path", "ours", "peer", "limit", "ratio", "target", "met"]
    lines = []
    for i, row in enumerate(ROWS):
        if only and row.ours.group not in only:
            continue
        median = {role: (statistics.median(samples[(i, role)]) if (i, role) in samples else None)
                  for role in ("ours", "peer", "limit")}
        ratios, targets, verdicts = [], [], []
        for kind, limit in row.targets:
            ratio, target, met = judge(kind, limit, median["ours"], median["peer"], median["limit"])
            ratios.append(ratio)
            targets.append(target)
            verdicts.append(met)
        if not row.targets:
            kind = "faster" if row.peer is not None else "within"
            ratio, _, _ = judge(kind, 0, median["ours"], median["peer"], median["limit"])
            ratios.append(ratio)
        met = "-" if not verdicts else "n/a" if None in verdicts else "yes" if all(verdicts) else "no"
        lines.append([row.name, show(median["ours"], row.unit),
                      "-" if row.peer is None else show(median["peer"], row.unit),
                      "-" if row.limit is None else show(median["limit"], row.unit),
                      ", ".join(ratios), ", ".join(targets) or "-", met])
    widths = [max(len(r[c]) for r in [head] + lines) for c in range(len(head))]

    def fmt(cells):
        return "| " + " | ".join(c.ljust(w) for c, w in zip(cells, widths)) + " |"

    print(f"Medians of {rounds} interleaved rounds (ours: real time per run; peers: best of their repeats).")
    print(fmt(head))
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for line in lines:
        print(fmt(line))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bench-dir", default="build-release/bench", type=Path)
    parser.add_argument("--rounds", default=3, type=int)
    parser.add_argument("--only", default="", help="comma-separated groups: " + ",".join(g.key for g in GROUPS))
    args = parser.parse_args()
    only = {k for k in args.only.split(",") if k}
    samples = measure(args.bench_dir.resolve(), args.rounds, only)
    table(samples, args.rounds, only)


if __name__ == "__main__":
    main()
