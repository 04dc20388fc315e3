#!/usr/bin/env python3
"""Checks a results file of korva2017-run --json against its schema and the run's report and
plot files (standard library only).

    check_results_json.py SCHEMA PROJECT.json [PROJECT.kv8o PROJECT.kv8p]

The schema check covers the keywords the schema uses: type, required, properties,
additionalProperties, items, enum and $ref (to #/$defs/...). Prints one line per problem and
exits 1 when there is any.
"""
import json
import math
import re
import sys

problems = []


def fail(text):
    problems.append(text)


# ---- schema subset -------------------------------------------------------------------------

def type_ok(value, name):
    if name == "object":
        return isinstance(value, dict)
    if name == "array":
        return isinstance(value, list)
    if name == "string":
        return isinstance(value, str)
    if name == "boolean":
        return isinstance(value, bool)
    if name == "null":
        return value is None
    if name == "integer":
        return isinstance(value, int) and not isinstance(value, bool)
    if name == "number":
        return isinstance(value, (int, float)) and not isinstance(value, bool) and math.isfinite(value)
    raise ValueError("unknown type " + name)


KNOWN = {"$schema", "$id", "title", "description", "type", "required", "properties",
         "additionalProperties", "items", "enum", "$ref", "$defs"}


def validate(value, schema, root, path):
    unknown = set(schema) - KNOWN
    if unknown:
        raise ValueError("schema keyword(s) not supported by this check: %s" % sorted(unknown))
    if "$ref" in schema:
        ref = schema["$ref"]
        assert ref.startswith("#/$defs/"), ref
        validate(value, root["$defs"][ref[len("#/$defs/"):]], root, path)
    if "type" in schema:
        types = schema["type"] if isinstance(schema["type"], list) else [schema["type"]]
        if not any(type_ok(value, t) for t in types):
            fail("%s: %r is not of type %s" % (path, value if not isinstance(value, (dict, list)) else type(value).__name__, types))
            return
    if "enum" in schema and value not in schema["enum"]:
        fail("%s: %r is not one of %s" % (path, value, schema["enum"]))
    if isinstance(value, dict):
        for key in schema.get("required", []):
            if key not in value:
                fail("%s: required key %r is missing" % (path, key))
        props = schema.get("properties", {})
        for key, v in value.items():
            if key in props:
                validate(v, props[key], root, path + "." + key)
            elif isinstance(schema.get("additionalProperties"), dict):
                validate(v, schema["additionalProperties"], root, path + "." + key)
            elif schema.get("additionalProperties") is False:
                fail("%s: key %r is not allowed" % (path, key))
    if isinstance(value, list) and "items" in schema:
        for i, v in enumerate(value):
            validate(v, schema["items"], root, "%s[%d]" % (path, i))


# ---- report and plot files -----------------------------------------------------------------

NUMBER = re.compile(r"^\s*-?\d+\.\d+(\s+-?\d+\.\d+){7}\s*$")


def report_tables(path):
    """The printed rows of each resistance table: lists of 8 numbers with their decimals."""
    tables, current = [], None
    with open(path, encoding="latin-1") as f:
        for line in f:
            if re.match(r"^\s*LENGTH\s+VOLUME", line):
                current = []
                tables.append(current)
                continue
            if current is None:
                continue
            if NUMBER.match(line):
                fields = line.split()
                current.append([(float(x), len(x.split(".")[1])) for x in fields])
            elif current and not line.strip():
                current = None
    return tables


def report_additional_tz(path):
    """The report's t-z curves at the project's depths: per line, the curves as
    (depth, [(load transfer, movement)])."""
    lines_by_curve, current = [], None
    with open(path, encoding="latin-1") as f:
        for line in f:
            if "T-Z CURVE   NO. OF" in line:
                current = []
                lines_by_curve.append(current)
                continue
            if current is None:
                continue
            fields = line.split()
            if len(fields) == 3 and fields[0].isdigit():
                current.append((float(fields[2]), []))
            elif len(fields) == 2 and current:
                current[-1][1].append((float(fields[0]), float(fields[1])))
            elif fields and fields[0] != "NO.":  # past the units line, the curves end
                current = None
    return lines_by_curve


def plot_blocks(path):
    """The capacity blocks of the plot file: (rows of 7 values, curve rows of 4 values)."""
    with open(path, encoding="latin-1") as f:
        lines = f.read().split("\n")
    pos = 0

    def ints(line):
        return [int(x) for x in line.split()]

    first = ints(lines[0])
    nb = first[0]
    blocks = []
    for _ in range(nb):
        nb_here, n2, nc = ints(lines[pos])
        pos += 3
        n = n2 - 2
        rows = []
        for _ in range(n):
            values = (lines[pos] + " " + lines[pos + 1]).split()
            rows.append([float(v) for v in values])
            pos += 2
        curves = []
        for _ in range(max(nc, 1) * 15):
            curves.append([float(v) for v in lines[pos].split()])
            pos += 1
        blocks.append((rows, curves, nc))
    return blocks, lines[pos:]


def close(a, b, tol):
    return a is not None and abs(a - b) <= tol


def e10_close(printed, value):
    # E10.3: three significant digits.
    return value is not None and abs(printed - value) <= 0.0051 * max(abs(value), abs(printed)) + 1e-30


def main():
    schema_path, json_path = sys.argv[1:3]
    with open(schema_path, encoding="utf-8") as f:
        schema = json.load(f)
    with open(json_path, encoding="utf-8") as f:
        doc = json.load(f, parse_constant=lambda c: fail("non-JSON constant " + c))
    validate(doc, schema, schema, "$")
    if len(sys.argv) < 5:  # the schema alone
        for p in problems[:40]:
            print(p)
        return 1 if problems else 0
    report_path, plot_path = sys.argv[3:5]

    project = doc["project"]
    lrfd = project["design"] == "lrfd"
    fst, fsb = project["factor_of_safety_side"], project["factor_of_safety_base"]
    passes = doc["passes"]

    def columns(r):
        if lrfd:
            return [r["length"], r["volume"], r["qs"], r["qb"], r["qu"],
                    r["factored_qs"], r["factored_qb"], r["factored_qu"]]
        return [r["length"], r["volume"], r["qs"], r["qb"], r["qu"],
                r["qs_plus_qb_over_fsb"], r["allowable"], r["qu_per_volume"]]

    # Report rows at the print increment: the report's tables in pass order.
    tables = report_tables(report_path)
    if len(tables) != len(passes):
        fail("report has %d tables, JSON %d passes" % (len(tables), len(passes)))
    compared = 0
    for k, (table, p) in enumerate(zip(tables, passes)):
        if len(table) != len(p["report_rows"]):
            fail("pass %d: %d report rows, JSON %d" % (k + 1, len(table), len(p["report_rows"])))
        for printed, row in zip(table, p["report_rows"]):
            for (v, dec), mine in zip(printed, columns(row)):
                if not close(mine, v, 0.5 * 10 ** -dec + 1e-9):
                    fail("pass %d report row %s: printed %s, JSON %r" % (k + 1, printed[0][0], v, mine))
        # The table rows at the same lengths as report rows.
        by_length = {round(r["length"], 6): r for r in p["rows"]}
        for printed in table:
            r = by_length.get(round(printed[0][0], 6))
            if r is None:
                continue
            compared += 1
            for (v, dec), mine in zip(printed, columns(r)):
                if not close(mine, v, 0.5 * 10 ** -dec + 1e-9):
                    fail("pass %d table row %s: printed %s, JSON %r" % (k + 1, printed[0][0], v, mine))
    # (Table rows are whole feet; an SI report's print increment in metres rarely meets one.)
    if project["unit_system"] == "english" and any(tables) and compared == 0:
        fail("no table row shares a length with a report row")

    # The trace: a row of length L carries the side resistance of the step at L less the
    # length excluded at the bottom.
    for k, p in enumerate(passes):
        steps = p["trace"]
        for r in p["rows"]:
            depth = r["length"] - p["exclusion_bottom"]
            at = [s for s in steps if s["depth"] <= depth + 1e-9]
            qs = at[-1]["side_resistance"] if at else 0.0
            if not close(qs, r["qs"], 1e-9 * max(1.0, abs(r["qs"]))):
                fail("pass %d row %s: QS %r, trace %r" % (k + 1, r["length"], r["qs"], qs))
            if project["loading"] == "compression":
                base = [s for s in steps if abs(s["depth"] - r["length"]) < 1e-9]
                if base and not close(base[0]["averaged_base_resistance"], r["qb"], 1e-9 * max(1.0, abs(r["qb"]))):
                    fail("pass %d row %s: QB %r, trace %r" % (k + 1, r["length"], r["qb"], base[0]["averaged_base_resistance"]))

    # The additional t-z curves of the first case, as the report prints them (E17.4).
    if passes and passes[0]["additional_t_z_curves"]:
        printed_lines = report_additional_tz(report_path)
        mine_lines = passes[0]["additional_t_z_curves"]
        if len(printed_lines) != len(mine_lines):
            fail("report has %d lines of additional t-z curves, JSON %d" % (len(printed_lines), len(mine_lines)))
        for printed, mine in zip(printed_lines, mine_lines):
            if len(printed) != len(mine["curves"]):
                fail("%s: %d additional t-z curves printed, JSON %d" % (mine["line"], len(printed), len(mine["curves"])))
            for (depth, points), c in zip(printed, mine["curves"]):
                ok = close(c["depth"], depth, 0.0051 * abs(depth) + 1e-9) and len(points) == len(c["movement"])
                for (t, z), tm, zm in zip(points, c["load_transfer"], c["movement"]):
                    ok = ok and close(tm, t, 0.00051 * abs(t) + 1e-12) and close(zm, z, 0.00051 * abs(z) + 1e-12)
                if not ok:
                    fail("%s additional t-z curve at %s differs from the report" % (mine["line"], depth))

    # Plot file: design lengths, rows and load-settlement curves of each capacity block.
    blocks, after = plot_blocks(plot_path)
    i = 0
    for b, (rows, curves, nc) in enumerate(blocks):
        while i < len(passes) and not (
                len(passes[i]["rows"]) == len(rows) and rows and passes[i]["design_length"] is not None
                and e10_close(rows[-1][0], passes[i]["design_length"])):
            i += 1
        if i == len(passes):
            fail("plot block %d matches no pass" % (b + 1))
            break
        p = passes[i]
        i += 1
        for printed, r in zip(rows, p["rows"]):
            if lrfd:
                mine = [r["length"], r["qs"], r["qb"], r["qu"], r["factored_qs"], r["factored_qb"],
                        r["factored_qs"] + r["factored_qb"]]
            else:
                mine = [r["length"], r["qs"], r["qb"], r["qu"], r["qs"] / fst, r["qb"] / fsb, r["allowable"]]
            for v, m in zip(printed, mine):
                if not e10_close(v, m):
                    fail("plot block %d row %s: %s against JSON %r" % (b + 1, printed[0], v, m))
        ls = p["load_settlement"]
        if ls is None:
            continue
        lines = [c["rows"] for c in ls["curves"]]
        if len(lines) == 1:
            lines = lines * (len(curves) // 15)
        flat = [row for line in lines for row in line]
        if len(flat) != len(curves):
            fail("plot block %d: %d curve rows, JSON %d" % (b + 1, len(curves), len(flat)))
        for printed, row in zip(curves, flat):
            mine = [row["head_load"], row["head_movement"], row["tip_load"], row["tip_movement"]]
            for v, m in zip(printed, mine):
                if not e10_close(v, m):
                    fail("plot block %d curve row: %s against JSON %r" % (b + 1, printed, mine))
                    break

    # The design-chart block follows the capacity blocks (list-directed: in and lb in English,
    # m and kN in SI).
    charts = doc["design_charts"]
    if charts is not None:
        english = project["unit_system"] == "english"
        length_f, load_f = (12.0, 2000.0) if english else (1.0, 1.0)
        tokens = iter(" ".join(after).split())

        def nxt():
            return float(next(tokens))

        def near(a, b):
            return abs(a - b) <= 2e-6 * max(abs(a), abs(b)) + 1e-9

        try:
            counts = [int(nxt()) for _ in range(3)]
            if counts != [len(charts["settlements"]), len(charts["diameters"]), len(charts["lengths"])]:
                fail("design-chart counts %s in the plot file" % counts)
            for m, s in enumerate(charts["settlements"]):
                if not near(nxt(), s):
                    fail("design-chart settlement %d differs" % (m + 1))
                for j, d in enumerate(charts["diameters"]):
                    if not near(nxt(), d * length_f):
                        fail("design-chart diameter %d differs" % (j + 1))
                    for k, l in enumerate(charts["lengths"]):
                        pl, pq = nxt(), nxt()
                        if not (near(pl, l * length_f) and near(pq, charts["loads"][m][j][k] * load_f)):
                            fail("design-chart load %d/%d/%d: plot %s %s, JSON %s %s" % (
                                m + 1, j + 1, k + 1, pl, pq, l, charts["loads"][m][j][k]))
        except (StopIteration, ValueError):
            fail("the plot file's design-chart block is missing or short")

    for p in problems[:40]:
        print(p)
    if problems:
        print("%d problem(s) in %s" % (len(problems), json_path))
        return 1
    print("ok: %s (%d passes, %d report tables, %d plot blocks)" % (json_path, len(passes), len(tables), len(blocks)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
