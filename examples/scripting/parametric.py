#!/usr/bin/env python3
"""A parametric study with the KORVA batch runner.

Makes a family of projects from a project file (by default the bundled example
clay-over-sand.kv8d) by varying the stem diameter and the shaft length, runs them with
korva2017-run in parallel, reads each run's results and prints the allowable (or factored)
capacity at the design length as a table of length against diameter. When matplotlib is
installed it also draws the table as a graph (capacity.png in the output directory).

Only the Python 3 standard library is needed:

    python3 parametric.py --runner ../../build/bin/korva2017-run
    python3 parametric.py --diameters 3,4 --lengths 40,60 --out /tmp/study

Values are in the project's units (feet for the bundled example).
"""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
EXAMPLE = HERE.parent / "clay-over-sand.kv8d"


def numbers(text):
    """A comma-separated list of numbers ("3,3.5,4")."""
    try:
        values = [float(v) for v in text.split(",") if v.strip()]
    except ValueError:
        raise argparse.ArgumentTypeError("expected numbers separated by commas: %r" % text)
    if not values or any(v <= 0 for v in values):
        raise argparse.ArgumentTypeError("expected positive numbers: %r" % text)
    return values


def label(value):
    """A number as it goes into a file name and the table: 3, 3.5."""
    return ("%g" % value)


def find_runner(given):
    if given:
        return Path(given)
    found = shutil.which("korva2017-run")
    if found:
        return Path(found)
    for build in sorted(HERE.parent.parent.glob("build*/bin/korva2017-run")):
        return build
    sys.exit("parametric.py: korva2017-run not found; give it with --runner")


def make_project(template_lines, diameter, length, path):
    """The template with its stem diameter (first number of line 4) and shaft length or
    design load's proposed depth (third number of line 5) replaced."""
    lines = list(template_lines)
    for index, position, value in ((3, 0, diameter), (4, 2, length)):
        line = lines[index]
        ending = line[len(line.rstrip("\r\n")):]
        words = line.rstrip("\r\n").split()
        if len(words) <= position:
            sys.exit("parametric.py: the project's line %d has no item %d" % (index + 1, position + 1))
        words[position] = label(value)
        lines[index] = " ".join(words) + " " + ending
    path.write_text("".join(lines), encoding="latin-1", newline="")


def runner_writes_json(runner):
    try:
        help_text = subprocess.run([str(runner), "--help"], capture_output=True, text=True,
                                   check=False).stdout
    except OSError as e:
        sys.exit("parametric.py: cannot run %s: %s" % (runner, e))
    return "--json" in help_text


def from_json(path):
    """(design length, capacity, what, unit) of the last analysed shaft, or None."""
    try:
        doc = json.loads(path.read_text(encoding="utf-8"))
        passes = doc["passes"]
        last = passes[-1]
        rows = last["rows"]
        if not rows:
            return None
        length = last.get("design_length")
        row = rows[-1]
        if length is not None:
            for r in rows:
                if abs(r["length"] - length) < 0.05:
                    row = r
        factored = doc["project"]["design"] == "lrfd"
        key = "factored_qu" if factored else "allowable"
        unit = doc["units"]["load"]
        return row["length"], row[key], "factored" if factored else "allowable", unit
    except (OSError, ValueError, KeyError, IndexError, TypeError):
        return None


def from_report(path):
    """The same from the report (.kv8o): the last resistance table, at the last shaft
    length printed before it when the table has that row, else its last row: QDN, or the
    factored total (LRFD QU) of an LRFD project."""
    try:
        lines = path.read_text(encoding="latin-1").splitlines()
    except OSError:
        return None
    heading = None
    for i, line in enumerate(lines):
        if line.split()[:2] == ["LENGTH", "VOLUME"]:
            heading = i
    if heading is None:
        return None
    shaft = None
    for line in lines[:heading]:
        m = re.match(r"\s*SHAFT LENGTH\s*=\s*([-0-9.Ee+]+)", line)
        if m:
            shaft = float(m.group(1))
    lrfd = "LRFD QU" in lines[heading]
    units = [u.strip("()") for u in lines[heading + 1].split()]
    rows = []
    for line in lines[heading + 2:]:
        words = line.split()
        if len(words) < 7:
            break
        try:
            rows.append([float(w) for w in words])
        except ValueError:
            break
    if not rows:
        return None
    row = rows[-1]
    if shaft is not None:
        for r in rows:
            if abs(r[0] - shaft) < 0.05:
                row = r
    # QDN of a design by factors of safety; the factored total (LRFD QU) of LRFD.
    column = 7 if lrfd else 6
    what = "factored" if lrfd else "allowable"
    return row[0], row[column], what, units[column].lower() if len(units) > column else ""


def draw(table, short, diameters, lengths, what, unit, length_unit, title, to):
    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        return False
    figure, axes = plt.subplots(figsize=(7, 4.5))
    for d in diameters:
        points = [(l, table[(d, l)]) for l in lengths
                  if table.get((d, l)) is not None and (d, l) not in short]
        if points:
            axes.plot([p[0] for p in points], [p[1] for p in points], marker="o",
                      label="D = %s %s" % (label(d), length_unit))
    axes.set_xlabel("Shaft length (%s)" % length_unit)
    axes.set_ylabel("%s capacity (%s)" % (what.capitalize(), unit))
    axes.set_title(title)
    axes.grid(True, linewidth=0.5)
    axes.legend()
    figure.tight_layout()
    figure.savefig(str(to), dpi=100)
    plt.close(figure)
    return True


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--project", default=str(EXAMPLE),
                        help="project file the family is made from (default: the bundled example)")
    parser.add_argument("--diameters", type=numbers, default=numbers("3,3.5,4,4.5,5"),
                        help="stem diameters, comma-separated (default 3,3.5,4,4.5,5)")
    parser.add_argument("--lengths", type=numbers, default=numbers("40,50,60,70,80"),
                        help="shaft lengths, comma-separated (default 40,50,60,70,80)")
    parser.add_argument("--runner", help="korva2017-run to use (default: on PATH or in build*/bin)")
    parser.add_argument("-j", "--jobs", type=int, default=os.cpu_count() or 1,
                        help="runs at a time (default: the number of processors)")
    parser.add_argument("--out", default="parametric-study",
                        help="directory for the projects and their results (default ./parametric-study)")
    parser.add_argument("--no-plot", action="store_true", help="do not draw the graph")
    parser.add_argument("--from-report", action="store_true",
                        help="read the reports (.kv8o) even when the runner writes JSON")
    args = parser.parse_args()

    runner = find_runner(args.runner)
    out = Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    try:
        template = Path(args.project).read_text(encoding="latin-1").splitlines(keepends=True)
    except OSError as e:
        sys.exit("parametric.py: cannot read the project: %s" % e)
    if len(template) < 5:
        sys.exit("parametric.py: %s is not a project file" % args.project)

    projects = {}
    for d in args.diameters:
        for l in args.lengths:
            path = out / ("d%s-l%s.kv8d" % (label(d), label(l)))
            make_project(template, d, l, path)
            projects[(d, l)] = path

    use_json = not args.from_report and runner_writes_json(runner)
    command = [str(runner), "-j", str(max(1, args.jobs))]
    if use_json:
        command.append("--json")
    command += [str(p) for p in projects.values()]
    run = subprocess.run(command, capture_output=True, text=True, check=False)
    if run.returncode not in (0,) and run.returncode < 10:
        # The runner itself failed for a project (or all); the summary says which.
        sys.stderr.write(run.stderr)

    table = {}
    short = {}  # the design length where it is not the length asked for
    what, unit = "allowable", ""
    for key, path in projects.items():
        result = from_json(path.with_suffix(".json")) if use_json else None
        if result is None:
            result = from_report(path.with_suffix(".kv8o"))
        if result is None:
            table[key] = None
            continue
        length, capacity, what, unit = result
        table[key] = capacity
        if abs(length - key[1]) >= 0.05:
            short[key] = length

    length_unit = "ft"
    if unit.lower() in ("kn", "mn"):
        length_unit = "m"
    print("%s capacity (%s) at the design length, from %s" %
          (what.capitalize(), unit, "the JSON results" if use_json else "the reports"))
    header = "%-10s" % ("L (%s)" % length_unit) + "".join(
        "%12s " % ("D = %s" % label(d)) for d in args.diameters)
    print(header)
    for l in args.lengths:
        cells = []
        for d in args.diameters:
            v = table[(d, l)]
            mark = "*" if (d, l) in short else " "
            cells.append("%13s" % ("- " if v is None else "%.2f%s" % (v, mark)))
        print("%-10s" % label(l) + "".join(cells))
    if short:
        print("* the table ends above the length asked for; the value is at its last row (%s %s)"
              % (", ".join(sorted({label(v) for v in short.values()}, key=float)), length_unit))
    failed = [projects[k].name for k, v in table.items() if v is None]
    if failed:
        print("no results: %s" % ", ".join(failed), file=sys.stderr)
    if not args.no_plot and draw(table, short, args.diameters, args.lengths, what, unit, length_unit,
                                 "%s at the design length" % Path(args.project).name,
                                 out / "capacity.png"):
        print("graph: %s" % (out / "capacity.png"))
    return 0 if run.returncode == 0 and not failed else 1


if __name__ == "__main__":
    sys.exit(main())
