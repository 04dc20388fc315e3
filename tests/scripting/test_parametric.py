#!/usr/bin/env python3
"""Runs examples/scripting/parametric.py on a small family with the build's runner, reading
the JSON results and then the reports, and checks the table against the bundled example's
known capacities.
    test_parametric.py SOURCE_DIR RUNNER
"""
import subprocess
import sys
import tempfile
from pathlib import Path

source, runner = Path(sys.argv[1]), sys.argv[2]
script = source / "examples" / "scripting" / "parametric.py"
# Allowable capacity (QDN, tons) of the bundled example at these diameters and lengths.
expected = {("3", "40"): "125.15", ("3", "60"): "227.33", ("4", "40"): "185.29", ("4", "60"): "326.67"}
failures = []

for extra, source_text in (([], "the JSON results"), (["--from-report"], "the reports")):
    with tempfile.TemporaryDirectory() as out:
        run = subprocess.run([sys.executable, str(script), "--runner", runner, "--out", out,
                              "--diameters", "3,4", "--lengths", "40,60,80", "-j", "2",
                              "--no-plot"] + extra, capture_output=True, text=True)
        text = run.stdout + run.stderr
        if run.returncode != 0:
            failures.append("%s: exit %d\n%s" % (extra, run.returncode, text))
            continue
        lines = run.stdout.splitlines()
        if not lines or lines[0] != "Allowable capacity (tons) at the design length, from " + source_text:
            failures.append("%s: first line %r" % (extra, lines[:1]))
        if lines[1].split() != ["L", "(ft)", "D", "=", "3", "D", "=", "4"]:
            failures.append("%s: heading %r" % (extra, lines[1]))
        rows = {line.split()[0]: line.split()[1:] for line in lines[2:5]}
        for (d, l), value in expected.items():
            got = rows.get(l, [None, None])[["3", "4"].index(d)]
            if got != value:
                failures.append("%s: D=%s L=%s gave %s, expected %s" % (extra, d, l, got, value))
        # The profile ends at 80 ft: the table stops short of it, and the table says so.
        if not all(v.endswith("*") for v in rows.get("80", [])) or "* the table ends" not in run.stdout:
            failures.append("%s: the 80 ft row is not marked\n%s" % (extra, run.stdout))
        jsons = sorted(p.name for p in Path(out).glob("*.json"))
        if (len(jsons) == 6) != (not extra):
            failures.append("%s: JSON files %s" % (extra, jsons))
        if list(Path(out).glob(".korva-run*")) or (Path(out) / "names.dat").exists():
            failures.append("%s: the runner left its files" % extra)

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("parametric.py: the table matches the example's capacities")
