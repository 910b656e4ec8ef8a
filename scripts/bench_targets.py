"""Compares the benchmarks' figures (Google Benchmark's JSON output) with their targets.

Prints a table: what is measured, the figure (the median when the benchmarks were repeated), the
target, and figure/target as a ratio that is 1 or more when the target is met. Exits 1 when a
target is missed, a benchmark reported an error (its targets show "failed", a miss), or a
benchmark a target names did not run (with --partial, when a filter left benchmarks out, such a
target is listed as not run and not counted).

    python3 scripts/bench_targets.py RESULTS.json... [--partial]

Several results files are read as one run (benchmarks of other programs, such as those under
Wine, beside the main program's).

A target is one line of TARGETS: add a line to add a target.
"""
import json
import re
import sys

AT_LEAST, AT_MOST, EXACTLY = ">=", "<=", "=="


def seconds(run, clock="real_time"):
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[run["time_unit"]]
    return run[clock] * scale


# Figures: each takes the runs by name and gives a number (KeyError: the benchmark did not run).
def per_second(name):
    return lambda runs: runs[name]["items_per_second"]


def time_of(name):
    return lambda runs: seconds(runs[name])


def counter(name, key):
    return lambda runs: runs[name][key]


def time_ratio(slow, fast):
    # Processor time: the two runs' ratio is not to depend on what else the machine did meanwhile.
    return lambda runs: seconds(runs[slow], "cpu_time") / seconds(runs[fast], "cpu_time")


def excess(name, baseline, key):
    return lambda runs: runs[name][key] - runs[baseline][key]


# (what is measured, figure, sense, target, unit the figure and target are shown in)
TARGETS = [
    ("registry lookup, 2,000 against 10 aircraft", time_ratio(
        "BM_RegistryLookupAndUpdate/2000", "BM_RegistryLookupAndUpdate/10"), AT_MOST, 2.0, "x"),
    ("position updates", per_second("BM_PositionUpdate"), AT_LEAST, 5e6, "/s"),
    ("trail pass, 500 aircraft x 6 marks", time_of("BM_TrailPass/aircraft:500/marks:6"),
     AT_MOST, 8e-3, "s"),
    ("RequestSquawk while the service takes 2 s",
     time_of("BM_RequestSquawkWhileServiceTakesTwoSeconds/iterations:300"), AT_MOST, 100e-6, "s"),
    ("reference service, 8 clients", per_second(
        "BM_ReferenceServiceEightClients/real_time/threads:8"), AT_LEAST, 5000, "/s"),
    ("tag item 86, heap allocations a call", counter("BM_TagItem/item:86", "allocs_per_call"),
     EXACTLY, 0, ""),
    ("tag item 87, heap allocations a call", counter("BM_TagItem/item:87", "allocs_per_call"),
     EXACTLY, 0, ""),
    ("tag item 88, heap allocations a call", counter("BM_TagItem/item:88", "allocs_per_call"),
     EXACTLY, 0, ""),
    ("tag item 89, heap allocations a call", counter("BM_TagItem/item:89", "allocs_per_call"),
     EXACTLY, 0, ""),
    ("tag items 85-89 through the client's ABI against the stand-in path, under Wine",
     time_ratio("BM_TagItemsClientAbi", "BM_TagItemsStandIn"), AT_MOST, 1.2, "x"),
    ("tag items 85-89 through the client's ABI, heap allocations a call beyond the stand-in's",
     excess("BM_TagItemsClientAbi", "BM_TagItemsStandIn", "allocs_per_call"), EXACTLY, 0, ""),
]


def shown(value, unit):
    if unit == "s":
        for scale, name in ((1.0, "s"), (1e-3, "ms"), (1e-6, "us"), (1e-9, "ns")):
            if abs(value) >= scale or scale == 1e-9:
                return f"{value / scale:.3g} {name}"
    if unit == "/s":
        for scale, name in ((1e6, " M/s"), (1e3, " k/s"), (1.0, " /s")):
            if value >= scale or scale == 1.0:
                return f"{value / scale:.3g}{name}"
    return f"{value:.3g}{unit}"


def main(paths, partial):
    benchmarks = []
    for path in paths:
        with open(path, encoding="utf-8") as results:
            benchmarks += json.load(results)["benchmarks"]
    # With repetitions, each benchmark's median counts.
    runs = {}
    errors = {}  # benchmark name -> its error: its figures are misses, never numbers
    failed = False
    for run in benchmarks:
        if run.get("error_occurred"):
            name = re.sub(r"/repeats:\d+", "", run.get("run_name", run["name"]))
            errors[name] = run.get("error_message", "")
            print(f"FAILED  {run['name']}: {errors[name]}")
            failed = True
            continue
        # A benchmark with a repetition count of its own carries it in its name.
        if run.get("run_type") == "aggregate":
            if run.get("aggregate_name") == "median":
                runs[re.sub(r"/repeats:\d+", "", run["run_name"])] = run
        else:
            runs.setdefault(re.sub(r"/repeats:\d+", "", run["name"]), run)

    rows = [("what", "figure", "target", "ratio", "")]
    for what, figure, sense, target, unit in TARGETS:
        try:
            value = figure(runs)
        except KeyError as missing:
            if missing.args and missing.args[0] in errors:
                failed = True
                rows.append((what, "failed", f"{sense} {shown(target, unit)}", "", "MISSED"))
                continue
            failed |= not partial
            rows.append((what, "not run", f"{sense} {shown(target, unit)}", "",
                         "" if partial else "MISSED"))
            continue
        if sense == AT_LEAST:
            met, ratio = value >= target, value / target
        elif sense == AT_MOST:
            met, ratio = value <= target, (target / value if value > 0 else float("inf"))
        else:
            met, ratio = value == target, None
        failed |= not met
        rows.append((what, shown(value, unit), f"{sense} {shown(target, unit)}",
                     "" if ratio is None else f"{ratio:.2f}", "ok" if met else "MISSED"))
    widths = [max(len(row[i]) for row in rows) for i in range(4)]
    for row in rows:
        print("  ".join(cell.ljust(width) for cell, width in zip(row, widths)) + "  " + row[4])
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main([arg for arg in sys.argv[1:] if arg != "--partial"], "--partial" in sys.argv[1:]))
