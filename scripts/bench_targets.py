"""Compares the benchmarks' figures (Google Benchmark's JSON output) with their targets.

A speed target is a ratio: the figure (a time a call, or a request) is divided by a baseline
measured in the same run on the same machine, such as drawing the same marks straight through the
drawing backend for the trail pass, so that the target holds on a machine of any speed. Processor
time is compared where both sides are computation on one thread (so that other load on the
machine does not move the ratio), wall time where waiting or other threads belong to the cost.
Other targets (heap allocations) compare the figure itself. A reported figure (REPORTED) is shown
with its ratio and spread but bound by no target: it tells as much of the machine as of the code.

The benchmarks are repeated with their repetitions interleaved (figure and baseline in turn, A, B,
A, B, ...; scripts/bench), or one benchmark times both in turn, iteration by iteration
(bench/time_in_turn.h): a time figure and its baseline are each the minimum of their
repetitions, the least disturbed by other load, and the ratio is the one of the minimums. Beside
it the spread: the lowest and highest ratio of the repetitions taken pair by pair (the n-th
repetition of the figure over the n-th of the baseline; a benchmark repeated fewer times than
its partner is compared with as many of the partner's). Counters (heap allocations) count the
highest of the repetitions.

Prints a table: what is measured, the figure, the baseline, the figure over the baseline as a
ratio, its spread, the target and ok or MISSED. Exits 1 when a
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
REPORTED = "reported"  # a figure shown for what it tells, bound by no target
CPU, WALL = "cpu_time", "real_time"


def seconds(run, clock):
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[run["time_unit"]]
    return run[clock] * scale


# Figures and baselines: each names the benchmarks it needs and gives a number from their runs
# (KeyError: the benchmark did not run).
class Figure:
    def __init__(self, names, value):
        self.names, self.value = names, value

    def repetitions(self, runs):
        """The figure of each repetition: the n-th repetition of every benchmark it names together
        (one repeated fewer times counts with its last)."""
        for name in self.names:
            if name not in runs:
                raise KeyError(name)
        count = max(len(runs[name]) for name in self.names)
        return [self.value({name: runs[name][min(i, len(runs[name]) - 1)] for name in self.names})
                for i in range(count)]


def time_of(name, clock):
    """The time an iteration takes (with several threads and wall time: the run's wall time over
    all threads' iterations, the inverse of its rate)."""
    return Figure([name], lambda runs: seconds(runs[name], clock))


def counter(name, key):
    return Figure([name], lambda runs: runs[name][key])


def in_turn(name):
    """The figure and the baseline of a benchmark that times the two in turn (bench/time_in_turn.h):
    each its least time in a repetition."""
    return counter(name, "figure_seconds"), counter(name, "baseline_seconds")


def excess(name, baseline, key):
    return Figure([name, baseline], lambda runs: runs[name][key] - runs[baseline][key])


# Bounds on the speed ratios were set from the ratios measured on a two-core machine, loaded and
# quiet (the median of several runs): each a little above its ratio and below 1.3 times it, so
# that the figure getting 30 % slower against its baseline misses the target.
#
# (what is measured, figure, baseline or None, sense, target, unit the figure is shown in);
# with a baseline the target bounds figure / baseline.
TARGETS = [
    ("registry lookup, 2,000 against 10 aircraft (CPU)",
     time_of("BM_RegistryLookupAndUpdate/2000", CPU),
     time_of("BM_RegistryLookupAndUpdate/10", CPU), AT_MOST, 2.0, "s"),
    ("position update against a hash-map find of the callsign (CPU)",
     time_of("BM_PositionUpdate", CPU), time_of("BM_HashMapFind", CPU), AT_MOST, 4.5, "s"),
    ("trail pass, 500 aircraft x 6 marks, against drawing its marks directly (in turn)",
     *in_turn("BM_TrailPassAgainstDirect/aircraft:500/marks:6"), AT_MOST, 1.2, "s"),
    # Processor time of the calling thread: that no call waits for the network the benchmark
    # checks itself.
    ("RequestSquawk while the service takes 2 s, against starting a thread that asks it (CPU)",
     time_of("BM_RequestSquawkWhileServiceTakesTwoSeconds/iterations:300", CPU),
     time_of("BM_StartThreadAskingTheService/iterations:300", CPU), AT_MOST, 1.3, "s"),
    ("squawk service, 8 clients, a request against its transaction behind a plain server (wall)",
     time_of("BM_ReferenceServiceEightClients/real_time/threads:8", WALL),
     time_of("BM_StorageBehindPlainServerEightClients/real_time/threads:8", WALL), AT_MOST, 1.75,
     "s"),
    # Nothing serialises outside the database: both sides commit as many transactions at once.
    ("squawk service on PostgreSQL, 8 clients: 3 instances against 1 with their connections (wall)",
     time_of("BM_PostgresThreeInstancesEightClients/real_time/threads:8", WALL),
     time_of("BM_PostgresOneWideInstanceEightClients/real_time/threads:8", WALL), AT_MOST, 1.2,
     "s"),
    # Reported: these compare disk flushes with processor work, so they tell the machine as much
    # as the code.
    ("squawk service on PostgreSQL, 8 clients: 3 instances against 1 with its 4 connections (wall)",
     time_of("BM_PostgresThreeInstancesEightClients/real_time/threads:8", WALL),
     time_of("BM_PostgresOneInstanceEightClients/real_time/threads:8", WALL), REPORTED, 0, "s"),
    ("squawk service, one instance, 8 clients: PostgreSQL against SQLite, a request (wall)",
     time_of("BM_PostgresOneInstanceEightClients/real_time/threads:8", WALL),
     time_of("BM_SqliteOneInstanceEightClients/real_time/threads:8", WALL), REPORTED, 0, "s"),
    ("squawk service, one instance, 8 clients: PostgreSQL against SQLite, 99th percentile",
     counter("BM_PostgresOneInstanceEightClients/real_time/threads:8", "p99_seconds"),
     counter("BM_SqliteOneInstanceEightClients/real_time/threads:8", "p99_seconds"), REPORTED,
     0, "s"),
    # At most one disk commit's time a durable assignment: 8 clients' assignments a second at
    # least the machine's rate of bare single-row commits.
    ("squawk service, durable assignments with 8 clients, against a bare SQLite commit (wall)",
     time_of("BM_DurableAssignEightClients/min_time:2.000/real_time/threads:8", WALL),
     time_of("BM_BareSqliteCommit/min_time:2.000/real_time", WALL), AT_MOST, 1.0, "s"),
    ("squawk service, an answer from a full pool against one with a free code (wall)",
     time_of("BM_AssignFullPool/real_time", WALL), time_of("BM_AssignFreePool/real_time", WALL),
     AT_MOST, 2.0, "s"),
    ("network feed, 5,000 pilots read and applied, against parsing it into a JSON tree (in turn)",
     *in_turn("BM_NetworkFeedAgainstJsonTree"), AT_MOST, 1.6, "s"),
    ("network feed, 5,000 pilots, peak resident memory read and applied against the document",
     counter("BM_NetworkFeedReadAndApply", "peak_per_document_byte"), None, AT_MOST, 1.9, ""),
    ("tag item 86, heap allocations a call", counter("BM_TagItem/item:86", "allocs_per_call"),
     None, EXACTLY, 0, ""),
    ("tag item 87, heap allocations a call", counter("BM_TagItem/item:87", "allocs_per_call"),
     None, EXACTLY, 0, ""),
    ("tag item 88, heap allocations a call", counter("BM_TagItem/item:88", "allocs_per_call"),
     None, EXACTLY, 0, ""),
    ("tag item 89, heap allocations a call", counter("BM_TagItem/item:89", "allocs_per_call"),
     None, EXACTLY, 0, ""),
    ("tag items 85-89 through the client's ABI against the stand-in path, under Wine (CPU)",
     time_of("BM_TagItemsClientAbi", CPU), time_of("BM_TagItemsStandIn", CPU), AT_MOST, 1.2,
     "s"),
    ("tag items 85-89 through the client's ABI, heap allocations a call beyond the stand-in's",
     excess("BM_TagItemsClientAbi", "BM_TagItemsStandIn", "allocs_per_call"), None, EXACTLY, 0,
     ""),
]


def shown(value, unit):
    if unit == "s":
        for scale, name in ((1.0, "s"), (1e-3, "ms"), (1e-6, "us"), (1e-9, "ns")):
            if abs(value) >= scale or scale == 1e-9:
                return f"{value / scale:.3g} {name}"
    return f"{value:.3g}{unit}"


def main(paths, partial):
    benchmarks = []
    for path in paths:
        with open(path, encoding="utf-8") as results:
            benchmarks += json.load(results)["benchmarks"]
    runs = {}  # benchmark name -> its repetitions
    errors = {}  # benchmark name -> its error: its figures are misses, never numbers
    failed = False
    for run in benchmarks:
        name = re.sub(r"/repeats:\d+", "", run.get("run_name", run["name"]))
        if run.get("error_occurred"):
            errors[name] = run.get("error_message", "")
            print(f"FAILED  {run['name']}: {errors[name]}")
            failed = True
        elif run.get("run_type") != "aggregate":
            runs.setdefault(name, []).append(run)

    rows = [("what", "figure", "baseline", "ratio", "spread", "target", "")]
    for what, figure, baseline, sense, target, unit in TARGETS:
        if sense == REPORTED:
            bound = REPORTED
        else:
            bound = f"{sense} {target:.3g}x" if baseline else f"{sense} {shown(target, unit)}"
        try:
            values = figure.repetitions(runs)
            bases = baseline.repetitions(runs) if baseline else None
        except KeyError as missing:
            if missing.args and missing.args[0] in errors:
                failed = True
                rows.append((what, "failed", "", "", "", bound, "MISSED"))
                continue
            failed |= not partial
            rows.append((what, "not run", "", "", "", bound, "" if partial else "MISSED"))
            continue
        if bases is not None:  # only repetitions with a partner count
            count = min(len(values), len(bases))
            values, bases = values[:count], bases[:count]
        value = min(values) if unit == "s" else max(values)
        base = None if bases is None else min(bases)
        measured, spread = value, ""
        if base is not None:
            measured = value / base if base > 0 else float("inf")
            pairs = [v / b if b > 0 else float("inf") for v, b in zip(values, bases)]
            spread = f"{min(pairs):.3g}-{max(pairs):.3g} ({len(pairs)})"
        if sense == REPORTED:
            met = True
        elif sense == AT_LEAST:
            met = measured >= target
        elif sense == AT_MOST:
            met = measured <= target
        else:
            met = measured == target
        failed |= not met
        rows.append((what, shown(value, unit), "" if base is None else shown(base, unit),
                     "" if base is None else f"{measured:.3g}x", spread, bound,
                     "" if sense == REPORTED else "ok" if met else "MISSED"))
    widths = [max(len(row[i]) for row in rows) for i in range(6)]
    for row in rows:
        print("  ".join(cell.ljust(width) for cell, width in zip(row, widths)) + "  " + row[6])
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main([arg for arg in sys.argv[1:] if arg != "--partial"], "--partial" in sys.argv[1:]))
