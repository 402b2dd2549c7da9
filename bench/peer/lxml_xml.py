#!/usr/bin/env python3
"""The lxml peer of bench_xml: 10,000 spectra of 401 points in the same document layout
(groups with a name, keys as string/int/doubles elements, arrays as blank-separated numbers in
their shortest form), written to a temporary file with fsync and rename, or read back with every
number converted. One mode per run, one line of output:

    python3 bench/peer/lxml_xml.py write    ->  lxml_xml_write: <seconds> s
    python3 bench/peer/lxml_xml.py read     ->  lxml_xml_read: <seconds> s
"""
import math
import os
import sys
import tempfile
import time

import numpy
from lxml import etree

SPECTRA = 10_000
POINTS = 401


def values():
    x = [380.0 + i for i in range(POINTS)]
    ys = []
    for s in range(SPECTRA):
        ys.append([0.5 + 0.45 * math.sin(0.013 * i + 0.7 * s) * math.exp(-0.001 * s * i / POINTS)
                   for i in range(POINTS)])
    return x, ys


def key(parent, tag, name, text, **extra):
    element = etree.SubElement(parent, tag, key=name, **extra)
    element.text = text
    return element


def write(path, x, ys):
    root = etree.Element("xandril", version="1")
    spectra = etree.SubElement(root, "group", name="Spectrums")
    x_text = " ".join(repr(v) for v in x)
    count = str(POINTS)
    for s, y in enumerate(ys):
        group = etree.SubElement(spectra, "group", name="Spectrum")
        key(group, "string", "SpecName", f"Messung:Serie 1:Spektrum {s}")
        key(group, "string", "SpecComment", "")
        key(group, "int", "SpecColor", str(0x00FF8040), min="0", max="16777215")
        key(group, "doubles", "XVals", x_text, count=count)
        key(group, "doubles", "YVals", " ".join(repr(v) for v in y), count=count)
        key(group, "int", "SpecID", str(10000 + s % 10000))
    etree.indent(root, space="  ")
    tmp = path + ".tmp"
    with open(tmp, "wb") as out:
        out.write(etree.tostring(root, xml_declaration=True, encoding="UTF-8"))
        out.write(b"\n")
        out.flush()
        os.fsync(out.fileno())
    os.replace(tmp, path)


def read(path):
    complete = 0
    tree = etree.parse(path, etree.XMLParser(huge_tree=True))
    for spectrum in tree.getroot().iterfind("group/group"):
        arrays = 0
        for element in spectrum:
            name = element.get("key")
            if element.tag == "doubles":
                numbers = numpy.array((element.text or "").split(), dtype=float)
                arrays += numbers.size == int(element.get("count"))
            elif element.tag == "int":
                int(element.text)
            elif name == "SpecName":
                str(element.text)
        complete += arrays == 2
    return complete


def main():
    mode = sys.argv[1] if len(sys.argv) > 1 else "write"
    x, ys = values()
    folder = tempfile.mkdtemp(prefix="lxml_peer_")
    path = os.path.join(folder, "spectra.xml")
    try:
        if mode == "read":
            write(path, x, ys)
            start = time.perf_counter()
            if read(path) != SPECTRA:
                raise SystemExit("lxml peer: the file did not read back")
            print(f"lxml_xml_read: {time.perf_counter() - start:.4f} s")
        else:
            start = time.perf_counter()
            write(path, x, ys)
            print(f"lxml_xml_write: {time.perf_counter() - start:.4f} s")
    finally:
        for name in os.listdir(folder):
            os.remove(os.path.join(folder, name))
        os.rmdir(folder)


if __name__ == "__main__":
    main()
