#!/usr/bin/env python3
"""Builds ostrilume in Release and prints Markdown tables: the start-up latency
of one run on a short expression beside other programs (bench/latency.py),
the power function's throughput beside the C library's powf
(bench/power_throughput.cpp), how time and peak memory grow with the input
from 1 to 32 MB on every benchmark shape, ostrilume side by side with the
lower bound and with bc on the same large input, and the web page's
download, time to the prompt and evaluation beside the native program
(bench/web.py), and a paste at the terminal beside bc (bench/paste.py).

Usage: bench/run.py [--tables latency,power,scaling,comparison,web,paste] [--runs 500] [--sizes 1,2,4,8,16,32]
                    [--repeat 5] [--bc-timeout 120] [--large 100] [--loads 30] [--json RESULTS]

With --json the figures are also written to RESULTS, from which
bench/plots.py draws the pictures of docs/performance.md.

Each measurement (bench/latency.py, power.py, sizes.py, web.py, paste.py)
returns rows and prints nothing; bench/tables.py says how each one's rows
show as a table and which targets they must reach, and bench/report.py
writes the Markdown and checks the targets.
"""
import argparse
import json
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

import web
from latency import latency_rows
from paste import paste_rows
from power import power_rows
from report import Skipped, check, markdown
from sizes import comparison_rows, generate, large_rows, scaling_rows
from tables import LAYOUTS, TARGETS

ROOT = Path(__file__).resolve().parent.parent
BINARY = ROOT / "build" / "ostrilume"
LOWER_BOUND = ROOT / "build" / "bench" / "ostrilume_lower_bound"


def build():
    subprocess.run(["cmake", "--workflow", "--preset", "build"], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", "build", "--target", "ostrilume_lower_bound"], cwd=ROOT, check=True,
                   stdout=subprocess.DEVNULL)


def ensure_packages():
    """GNU time for the peak memory of a child alone, and bc to compare with;
    scripts/install-dependencies installs both."""
    if not shutil.which("/usr/bin/time"):
        raise SystemExit("bench/run.py needs GNU time (Debian package time): "
                         "run scripts/install-dependencies as root")
    if not shutil.which("bc"):
        print("bc is not installed (Debian package bc): it is left out of the comparison", file=sys.stderr)


def measurements(options, work):
    """Each table name of --tables, with its measurements in order: a name
    (of its layout, its targets and its figures in the JSON) and how to
    measure it."""
    return {
        "latency": [("latency", lambda: latency_rows(ROOT, BINARY, work, options.runs))],
        "power": [("power", lambda: power_rows(ROOT)),
                  ("power without FMA", lambda: power_rows(ROOT, without_fma=True))],
        "scaling": [("scaling", lambda: scaling_rows(BINARY, [int(s) for s in options.sizes.split(",")],
                                                     options.repeat, work))],
        "comparison": [("comparison", lambda: comparison_rows(BINARY, LOWER_BOUND, options.repeat,
                                                              options.bc_timeout, work)),
                       ("large", lambda: large_rows(BINARY, options.large, work))],
        "web": [("download", web.download_rows),
                ("prompt", lambda: web.prompt_rows(options.loads)),
                ("evaluation", lambda: web.evaluation_rows(BINARY, generate, work, options.repeat)),
                ("long runs", lambda: web.long_run_rows(generate, work, options.repeat)),
                ("heavy runs", lambda: web.heavy_run_rows(generate, work)),
                ("lighthouse", lambda: web.lighthouse_rows(work))],
        "paste": [("paste", lambda: paste_rows(BINARY, work))],
    }


def show(name, options, rows):
    """The measurement's table between its texts, then its targets; returns
    what was not met."""
    layout = LAYOUTS[name]
    table = markdown(layout.columns, rows + layout.footer(rows)) if layout.columns else ""
    for text in (layout.intro(options, rows), table, layout.outro(options, rows)):
        if text:
            print(text + "\n")
    failures = check(TARGETS.get(name, []), rows)
    print(flush=True)
    return failures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tables", default="latency,power,scaling,comparison,web,paste",
                        help="which, comma-separated: a group, or one of its parts (\"heavy runs\")")
    parser.add_argument("--runs", type=int, default=500, help="interleaved runs of each program for latency")
    parser.add_argument("--sizes", default="1,2,4,8,16,32", help="MB, comma-separated")
    parser.add_argument("--repeat", type=int, default=5, help="runs per input; the fastest counts")
    parser.add_argument("--bc-timeout", type=int, default=120, help="seconds bc may take")
    parser.add_argument("--large", type=int, default=100, help="MB of the one large flat run")
    parser.add_argument("--loads", type=int, default=30, help="page loads for the time to the prompt")
    parser.add_argument("--json", help="where to write the figures as JSON")
    options = parser.parse_args()

    tables = options.tables.split(",")
    build()
    ensure_packages()
    if set(tables) - {"latency", "power", "scaling", "comparison", "paste"}:
        web.build_page()
    failures, results = [], {}
    with tempfile.TemporaryDirectory(prefix="ostrilume-bench-") as work:
        groups = measurements(options, Path(work))
        for table in tables:
            chosen = groups.get(table) or [(name, measure) for group in groups.values()
                                           for name, measure in group if name == table]
            if not chosen:
                raise SystemExit(f"no table {table!r}: choose from {', '.join(groups)} or a part of one")
            for name, measure in chosen:
                try:
                    results[name] = measure()
                except Skipped as reason:
                    print(f"{reason}\n")
                    continue
                failures += show(name, options, results[name])
    if options.json:
        Path(options.json).write_text(json.dumps(results, indent=1) + "\n")
    for failure in failures:
        print("FAILED:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
