#!/usr/bin/python3
"""The polish against SciPy's least_squares (trf) on the very same problems and starts.

Reads the problems that `pavik_polish_family EXAMPLES --dump DIR` wrote, solves each with an
independent NumPy model of the same equations (Boltzmann steady states, sigmoidal time
constants, exact relaxation from the holding level) and least_squares(method="trf") with its
default tolerances and finite-difference Jacobian, within the same bounds. Prints per problem the
final sum of squares over the one at the true parameters and the solve's wall time; given the
polish's own output (the family tool's standard output), also the ratio of the two tools' times.

usage: polish_vs_scipy.py DUMPDIR [POLISH_OUTPUT]
Needs Debian's python3-scipy; not part of the test suite.
"""
import glob
import json
import os
import statistics
import sys
import time

import numpy as np
from scipy.optimize import least_squares


def steady(v, half, slope):
    return 1.0 / (np.exp((v - half) / slope) + 1.0)


def tau(v, hi, lo, mid, slope):
    return (lo - hi) / (np.exp(-(v - mid) / slope) + 1.0) + hi


def model(f, p, q, times, steps):
    """Current of one gated current, traces stacked: f maps a field's name to its value."""
    out = []
    for v in steps:
        m = h = 1.0
        if p:
            minf, m0 = steady(v, f["Vm"], f["Km"]), steady(f["Vhold"], f["Vm"], f["Km"])
            m = minf + (m0 - minf) * np.exp(-times / tau(v, f["Tmhi"], f["Tmlo"], f["Vtm"], f["Ktm"]))
        if q:
            hinf, h0 = steady(v, f["Vh"], f["Kh"]), steady(f["Vhold"], f["Vh"], f["Kh"])
            h = hinf + (h0 - hinf) * np.exp(-times / tau(v, f["Thhi"], f["Thlo"], f["Vth"], f["Kth"]))
        out.append(0.001 * f["Gmax"] * m**p * h**q * (v - f["Erev"]) * np.ones_like(times))
    return np.concatenate(out)


def solve(problem):
    fields = problem["fields"]
    free = [x for x in fields if x["free"]]
    fixed = {x["name"]: x["start"] for x in fields if not x["free"]}
    times = np.asarray(problem["times"])
    steps = problem["steps"]
    measured = np.concatenate([np.asarray(m) for m in problem["measured"]])
    p, q = problem["p"], problem["q"]

    def residuals(x):
        f = dict(fixed)
        f.update({d["name"]: value for d, value in zip(free, x)})
        with np.errstate(all="ignore"):
            r = measured - model(f, p, q, times, steps)
        return np.where(np.isfinite(r), r, 1e10)

    lower = [d["lower"] if d["lower"] > -1e299 else -np.inf for d in free]
    upper = [d["upper"] if d["upper"] < 1e299 else np.inf for d in free]
    x0 = np.clip([d["start"] for d in free], lower, upper)
    begin = time.perf_counter()
    result = least_squares(residuals, x0, bounds=(lower, upper), method="trf")
    seconds = time.perf_counter() - begin
    squares = float(np.sum(result.fun**2))
    return squares / problem["truthSquares"], seconds, result.nfev


def polish_times(path):
    times = {}
    with open(path) as f:
        for line in f:
            cells = line.split("\t")
            if len(cells) >= 5 and cells[4].endswith(" s"):
                times[(cells[0], cells[1])] = float(cells[4][:-2])
    return times


def main():
    paths = sorted(glob.glob(os.path.join(sys.argv[1], "*.json")))
    polish = polish_times(sys.argv[2]) if len(sys.argv) > 2 else {}
    seconds, ratios, bad = [], [], 0
    for path in paths:
        with open(path) as f:
            problem = json.load(f)
        cost, wall, evaluations = solve(problem)
        name, seed = os.path.basename(path)[:-5].rsplit("-", 1)
        seconds.append(wall)
        bad += cost > 1.01
        line = f"{name}\t{seed}\t{cost:.5f}\t{wall:.4f} s\t{evaluations} evaluations"
        if (name, seed) in polish and polish[(name, seed)] > 0:
            ratios.append(wall / polish[(name, seed)])
            line += f"\t{ratios[-1]:.1f} x the polish's time"
        print(line)
    print(f"scipy trf: {len(paths) - bad} of {len(paths)} within 1.01 of the truth's cost; "
          f"median {statistics.median(seconds):.4f} s, worst {max(seconds):.4f} s")
    if polish:
        p = sorted(polish.values())
        print(f"polish: median {statistics.median(p):.4f} s, worst {max(p):.4f} s; "
              f"scipy/polish per problem: median {statistics.median(ratios):.1f}, "
              f"least {min(ratios):.1f}")


if __name__ == "__main__":
    main()
