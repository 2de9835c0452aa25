#!/usr/bin/env python3
"""Line coverage of the sources from a --coverage build's .gcda files: gcov's JSON output of
every object file, merged line by line (a line counts as covered when any object ran it), summed
per source file under src/ and in total. Usage: line_coverage.py BUILD_DIR SOURCE_ROOT [OUT]"""
import gzip, json, os, re, subprocess, sys, tempfile
from collections import defaultdict

build, root = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
out = sys.argv[3] if len(sys.argv) > 3 else None
lines = defaultdict(dict)  # file -> line -> count
skip = re.compile(r"test_seams\.cpp$")
with tempfile.TemporaryDirectory() as work:
    for folder, _, names in os.walk(build):
        for name in names:
            if not name.endswith(".gcda"):
                continue
            subprocess.run(["gcov", "-j", "-o", folder, os.path.join(folder, name)], cwd=work,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for name in os.listdir(work):
        if not name.endswith(".gcov.json.gz"):
            continue
        with gzip.open(os.path.join(work, name)) as f:
            data = json.load(f)
        cwd = data.get("current_working_directory", build)
        for entry in data["files"]:
            path = os.path.normpath(os.path.join(cwd, entry["file"]))
            rel = os.path.relpath(path, root)
            if not rel.startswith("src/") or skip.search(rel):
                continue
            for line in entry["lines"]:
                n = line["line_number"]
                lines[rel][n] = max(lines[rel].get(n, 0), line["count"])
total = covered = 0
report = []
for rel in sorted(lines):
    t = len(lines[rel]); c = sum(1 for v in lines[rel].values() if v > 0)
    total += t; covered += c
    report.append(f"{rel}\t{c}/{t}\t{100.0 * c / t:.1f}%")
report.append(f"TOTAL\t{covered}/{total}\t{100.0 * covered / max(total, 1):.2f}%")
text = "\n".join(report) + "\n"
if out:
    open(out, "w").write(text)
print(report[-1])
