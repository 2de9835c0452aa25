#!/usr/bin/python3
"""The exported NEURON mechanisms checked in NEURON.

Exports the fits of the two examples and a three-current fit with `pavik --export-nmodl`,
compiles them with Debian's nrnivmodl, clamps one section with NEURON's SEClamp through each
recording's step family (the holding level, then each step), records the mechanisms' own
currents and compares their sum, sample by sample, with Pavik's summed fit from `pavik --fits`.
Passes when the worst difference stays within 0.5 % of the family's peak current. Exits 77
(skipped) only when NEURON is not installed.

Usage: check_mechanisms.py PAVIK EXAMPLES_DIR TEST_DATA_DIR
"""
import json
import os
import subprocess
import sys
import tempfile

SKIP = 77
TOLERANCE = 0.005  # of the peak current
HOLD_MS = 1.0  # at the holding level before each step; the gates start at its steady state
DT_PER_SAMPLE = 20  # NEURON's fixed step staggers the states by half a step: dt <= 1/20 sample
HEADER_LINES = 13  # the examples' header, before the layout line
# Debian's nrnivmodl looks for this makefile in its bin folder and links -lnrniv from /usr/lib.
NRN_MAKEFILE = "/usr/lib/nrn/nrnmech_makefile"
NRN_LIBDIR = "/usr/lib/nrn"


def neuron_missing():
    """Why NEURON cannot be used here, or None."""
    try:
        import neuron  # noqa: F401
    except ImportError:
        return "python3 cannot import neuron"
    for path in ("/usr/bin/nrnivmodl", NRN_MAKEFILE):
        if not os.path.exists(path):
            return path + " is missing"
    return None


def step_voltages(data_file):
    """Each trace's step voltage: the mean of its voltage column, as Pavik takes it."""
    with open(data_file) as f:
        lines = f.read().splitlines()[HEADER_LINES + 1:]
    rows = [[float(x) for x in line.split()] for line in lines if line.strip()]
    traces = (len(rows[0]) - 1) // 2
    return [sum(r[1 + 2 * k] for r in rows) / len(rows) for k in range(traces)]


def holding_level(param_file):
    """The holding potential of the currents in the fit, which must share one."""
    lines = open(param_file).read().split("\n")
    vhold = [float(x) for x in lines[11].split()]
    in_fit = [int(x) for x in lines[13].split()]
    levels = {vhold[i] for i in range(len(in_fit)) if in_fit[i]}
    assert len(levels) == 1, "one clamp holds one level: " + str(levels)
    return levels.pop()


def pavik_fits(pavik, data_file, param_file):
    """Pavik's sample times (ms) and the summed fit of each trace, from the table of fits."""
    out = subprocess.run([pavik, "--fits", "-", data_file, param_file], check=True,
                         capture_output=True, text=True).stdout.splitlines()
    rows = [[float(x) for x in line.split("\t")] for line in out[1:]]
    traces = (len(rows[0]) - 1) // 2
    return [r[0] for r in rows], [[r[2 + 2 * k] for r in rows] for k in range(traces)]


def compile_mechanisms(folder, mod_files):
    """libnrnmech.so of the mod files, built in folder with Debian's two quirks mended."""
    home = os.path.join(folder, "nrnhome")
    os.makedirs(os.path.join(home, "bin"))
    os.symlink(NRN_MAKEFILE, os.path.join(home, "bin", "nrnmech_makefile"))
    env = dict(os.environ, NRNHOME_EXEC=home)
    # The special executable after it does not build on Debian (a missing header); the
    # library is all python needs.
    subprocess.run(["nrnivmodl", "-loadflags", "-L" + NRN_LIBDIR] + mod_files, cwd=folder,
                   env=env, capture_output=True, text=True)
    library = os.path.join(folder, "x86_64", "libnrnmech.so")
    if not os.path.exists(library):
        sys.exit("nrnivmodl did not build " + library)
    return library


def simulate(clamp_run):
    """Runs in a process of its own, since NEURON keeps each mechanism name once per process."""
    from neuron import h
    h.nrn_load_dll(clamp_run["library"])
    cell = h.Section(name="cell")
    mechanisms = [getattr(h, name)(cell(0.5)) for name in clamp_run["mechanisms"]]
    clamp = h.SEClamp(cell(0.5))
    clamp.rs = 1e-9  # MOhm: the current through it moves the voltage by pV
    clamp.dur1, clamp.amp1 = HOLD_MS, clamp_run["vhold"]
    clamp.dur2, clamp.amp2 = clamp_run["duration"] + 1.0, clamp_run["step"]
    h.dt = clamp_run["dt"]
    currents = [h.Vector().record(m._ref_i) for m in mechanisms]
    voltage = h.Vector().record(cell(0.5)._ref_v)
    h.finitialize(clamp_run["vhold"])
    while h.t < HOLD_MS + clamp_run["duration"] + clamp_run["dt"] / 2:
        h.fadvance()
    total = [sum(c[j] for c in currents) for j in range(len(currents[0]))]
    print(json.dumps(dict(v=list(voltage), i=total)))


def check(pavik, name, data_file, param_file, folder):
    """The worst difference between NEURON and Pavik over the family, and the peak current."""
    listed = subprocess.run([pavik, "--export-nmodl", param_file, folder], check=True,
                            capture_output=True, text=True).stdout.split()
    library = compile_mechanisms(folder, listed)
    mechanisms = [os.path.basename(path)[:-len(".mod")] for path in listed]
    times, fits = pavik_fits(pavik, data_file, param_file)
    dt = (times[1] - times[0]) / DT_PER_SAMPLE
    # Pavik's time zero is the analysis window's first sample: sample 1 of a file just read.
    start = 1
    worst = peak = 0.0
    for step, fit in zip(step_voltages(data_file), fits):
        clamp_run = dict(library=library, mechanisms=mechanisms, vhold=holding_level(param_file),
                    step=step, dt=dt, duration=times[-1] - times[start])
        # Not in folder: NEURON loads an x86_64/libnrnmech.so it finds there by itself.
        run = subprocess.run([sys.executable, __file__, "--simulate", json.dumps(clamp_run)],
                             capture_output=True, text=True, cwd=os.path.dirname(folder))
        if run.returncode != 0:
            sys.exit("NEURON did not run %s:\n%s" % (name, run.stderr))
        recorded = json.loads(run.stdout.splitlines()[-1])
        # NEURON records at step j the current of the voltage at step j - 1, with the gates
        # relaxed at that voltage for (j - j0) dt when j0 is the first step at the step voltage;
        # Pavik's time zero itself (the gates still at the holding level) is taken one dt late.
        j0 = next(j for j, v in enumerate(recorded["v"]) if abs(v - step) < 0.01)
        for n in range(start, len(times)):
            j = max(j0 + round((times[n] - times[start]) / dt), j0 + 1)
            worst = max(worst, abs(recorded["i"][j] - fit[n]))
            peak = max(peak, abs(fit[n]))
    print("%-15s %s: worst difference %.4g nA of a peak of %.4g nA (%.4f %%), dt %g ms"
          % (name, ", ".join(mechanisms), worst, peak, 100 * worst / peak, dt))
    return worst / peak


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--simulate":
        simulate(json.loads(sys.argv[2]))
        return 0
    pavik, examples, data = sys.argv[1:4]
    missing = neuron_missing()
    if missing:
        print("SKIPPED: NEURON is not installed (%s); scripts/setup installs neuron, "
              "neuron-dev and python3-neuron." % missing)
        return SKIP
    cases = [("sodium", "hh-sodium.txt", os.path.join(examples, "hh-sodium.fit")),
             ("potassium", "hh-potassium.txt", os.path.join(examples, "hh-potassium.fit")),
             ("three currents", "hh-sodium.txt", os.path.join(data, "three-currents.fit"))]
    with tempfile.TemporaryDirectory() as tmp:
        worst = max(check(pavik, name, os.path.join(examples, data_file), param_file,
                          os.path.join(tmp, str(i)))
                    for i, (name, data_file, param_file) in enumerate(cases))
    print("worst of all: %.4f %% of the peak (limit %.1f %%)" % (100 * worst, 100 * TOLERANCE))
    return 0 if worst <= TOLERANCE else 1


if __name__ == "__main__":
    sys.exit(main())
