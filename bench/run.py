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
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from latency import latency_table
from paste import paste_table
from web import web_tables

ROOT = Path(__file__).resolve().parent.parent
BINARY = ROOT / "build" / "ostrilume"
LOWER_BOUND = ROOT / "build" / "bench" / "ostrilume_lower_bound"
SHAPES = ["flat", "mixed", "deep", "siblings", "random"]
MB = 1_000_000


def build():
    subprocess.run(["cmake", "--workflow", "--preset", "build"], cwd=ROOT, check=True,
                   stdout=subprocess.DEVNULL)


def ensure_packages():
    """bc to compare with and GNU time for the peak memory of a child alone
    (a child forked from Python would count Python's own memory as well).
    scripts/install-dependencies installs both."""
    if not shutil.which("/usr/bin/time"):
        raise SystemExit("bench/run.py needs GNU time (Debian package time): "
                         "run scripts/install-dependencies as root")
    if not shutil.which("bc"):
        print("bc is not installed (Debian package bc): it is left out of the comparison",
              file=sys.stderr)
    return shutil.which("bc") is not None


def measure(program, input_path):
    """Wall seconds, the child's own peak RSS in MB and its exit status."""
    with tempfile.NamedTemporaryFile("r") as report, open(input_path, "rb") as stdin:
        start = time.perf_counter()
        status = subprocess.run(["/usr/bin/time", "-q", "-f", "%M", "-o", report.name, str(program)],
                                stdin=stdin, stdout=subprocess.DEVNULL).returncode
        seconds = time.perf_counter() - start
        kilobytes = int(report.read().split()[-1])
    return seconds, kilobytes / 1024, status


def best_of(repeat, program, input_path):
    runs = [measure(program, input_path) for _ in range(repeat)]
    return min(r[0] for r in runs), max(r[1] for r in runs), runs[0][2]


def time_bc(input_path, timeout):
    """bc's wall seconds as text, or why it gave no result."""
    with open(input_path, "rb") as stdin:
        start = time.perf_counter()
        try:
            done = subprocess.run(["bc", "-q"], stdin=stdin, capture_output=True, timeout=timeout)
        except subprocess.TimeoutExpired:
            return f"failed: no result in {timeout} s"
        seconds = time.perf_counter() - start
    complaint = done.stderr.decode(errors="replace").strip().splitlines()
    if done.returncode != 0 or complaint or not done.stdout.strip():
        return "failed: " + (complaint[0][:50] if complaint else f"exit status {done.returncode}")
    return f"{seconds:.2f}"


def generate(shape, megabytes, path):
    with open(path, "wb") as out:
        subprocess.run([sys.executable, str(Path(__file__).parent / "generate.py"), shape,
                        str(round(megabytes * MB))], stdout=out, check=True)
    os.sync()  # so that writing the input back to disk does not overlap the runs
    return path.stat().st_size / MB


def scaling_table(sizes, repeat, work, failures):
    """The last but one column leaves out what the process takes for any input
    at all (the libraries, about 3.5 MB), which dominates at small sizes."""
    rows = []
    tiny = work / "tiny.txt"
    tiny.write_text("1\n")
    base = best_of(repeat, BINARY, tiny)[1]
    print(f"Peak RSS of a run on the one-byte input `1`: {base:.1f} MB.\n")
    print("| shape | input MB | wall s | MB/s | peak RSS MB | RSS / input | (RSS - one-byte run) / input "
          "| time / time at half size |")
    print("| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: |")
    for shape in SHAPES:
        previous = None
        for size in sizes:
            path = work / "input.txt"
            actual = generate(shape, size, path)
            seconds, rss, status = best_of(repeat, BINARY, path)
            growth = f"{seconds / previous:.2f}x" if previous else ""
            previous = seconds
            rows.append({"shape": shape, "MB": actual, "seconds": seconds, "peak RSS MB": rss})
            print(f"| {shape} | {actual:.1f} | {seconds:.3f} | {actual / seconds:.0f} | {rss:.0f} | "
                  f"{rss / actual:.1f}x | {(rss - base) / actual:.1f}x | {growth} |", flush=True)
            if status != 0:
                failures.append(f"{shape} at {size} MB exited with status {status}")
    return rows


def throughput_rows(markdown):
    """The rows of the throughput table: pairs, ostrilume ns, powf ns."""
    rows = []
    for line in markdown.strip().splitlines()[2:]:
        cells = [cell.strip() for cell in line.strip("|").split("|")]
        rows.append({"pairs": cells[0], "ostrilume ns": float(cells[1]), "powf ns": float(cells[2])})
    return rows


def power_table(failures):
    """The power function against powf as glibc runs it on this machine, and
    against the variant glibc takes for the same instruction set as the
    calculator, baseline x86-64 (no FMA), on a machine that has more."""
    subprocess.run(["cmake", "--build", "build", "--target", "ostrilume_power_throughput"], cwd=ROOT,
                   check=True, stdout=subprocess.DEVNULL)
    program = [str(ROOT / "build" / "bench" / "ostrilume_power_throughput")]
    print("Nanoseconds per call, median of 15 rounds of 2^20 pairs, the two functions taking turns:\n")
    rows = subprocess.run(program, check=True, capture_output=True, text=True).stdout
    print(rows)
    baseline = dict(os.environ, GLIBC_TUNABLES="glibc.cpu.hwcaps=-AVX2_Usable,-FMA_Usable,-FMA,-AVX2")
    print("The same with glibc's powf restricted to the calculator's instruction set "
          "(GLIBC_TUNABLES, no FMA or AVX2):\n")
    baseline_rows = subprocess.run(program, check=True, capture_output=True, text=True, env=baseline).stdout
    print(baseline_rows)
    ratio = float(rows.strip().splitlines()[-1].split("|")[-2])
    met = ratio >= 1.0
    print(f"- ostrilume's throughput at least powf's over all pairs: {ratio:.2f}x, {'met' if met else 'NOT MET'}")
    if not met:
        failures.append(f"power throughput target not met ({ratio:.2f}x powf's)")
    baseline_ns = {row["pairs"]: row["powf ns"] for row in throughput_rows(baseline_rows)}
    return [dict(row, **{"powf without FMA ns": baseline_ns[row["pairs"]]}) for row in throughput_rows(rows)]


def comparison_table(repeat, bc_timeout, large, work, failures, have_bc):
    subprocess.run(["cmake", "--build", "build", "--target", "ostrilume_lower_bound"], cwd=ROOT,
                   check=True, stdout=subprocess.DEVNULL)
    print("| shape | input MB | ostrilume s | lower bound s | ostrilume / lower bound | bc s |")
    print("| --- | ---: | ---: | ---: | ---: | --- |")
    for shape in SHAPES:
        size = 20 if shape == "flat" else 10
        path = work / "input.txt"
        actual = generate(shape, size, path)
        seconds, _, status = best_of(repeat, BINARY, path)
        bound = ratio = ""
        if shape == "flat":
            bound_seconds = best_of(repeat, LOWER_BOUND, path)[0]
            bound, ratio = f"{bound_seconds:.3f}", f"{seconds / bound_seconds:.2f}x"
        bc = time_bc(path, bc_timeout) if have_bc else "bc not installed"
        print(f"| {shape} | {actual:.1f} | {seconds:.3f} | {bound} | {ratio} | {bc} |", flush=True)
        if status != 0:
            failures.append(f"{shape} at {size} MB exited with status {status}")
    path = work / "input.txt"
    actual = generate("flat", large, path)
    seconds, rss, status = measure(BINARY, path)
    print(f"\nflat at {actual:.0f} MB: {seconds:.2f} s, peak RSS {rss:.0f} MB, exit status {status}")
    if status != 0:
        failures.append(f"flat at {large} MB exited with status {status}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tables", default="latency,power,scaling,comparison,web,paste",
                        help="which, comma-separated")
    parser.add_argument("--runs", type=int, default=500, help="interleaved runs of each program for latency")
    parser.add_argument("--sizes", default="1,2,4,8,16,32", help="MB, comma-separated")
    parser.add_argument("--repeat", type=int, default=5, help="runs per input; the fastest counts")
    parser.add_argument("--bc-timeout", type=int, default=120, help="seconds bc may take")
    parser.add_argument("--large", type=int, default=100, help="MB of the one large flat run")
    parser.add_argument("--loads", type=int, default=30, help="page loads for the time to the prompt")
    parser.add_argument("--json", help="where to write the figures as JSON")
    args = parser.parse_args()

    build()
    have_bc = ensure_packages()
    failures = []
    results = {}
    tables = args.tables.split(",")
    with tempfile.TemporaryDirectory(prefix="ostrilume-bench-") as work:
        if "latency" in tables:
            results["latency"] = latency_table(ROOT, BINARY, Path(work), args.runs, failures)
            print()
        if "power" in tables:
            results["power"] = power_table(failures)
            print()
        if "scaling" in tables:
            results["scaling"] = scaling_table([int(s) for s in args.sizes.split(",")], args.repeat,
                                               Path(work), failures)
            print()
        if "comparison" in tables:
            comparison_table(args.repeat, args.bc_timeout, args.large, Path(work), failures, have_bc)
            print()
        if "web" in tables:
            results["web"] = web_tables(BINARY, generate, Path(work), args.repeat, args.loads, failures)
            print()
        if "paste" in tables:
            results["paste"] = paste_table(BINARY, Path(work), 3, failures)
    if args.json:
        Path(args.json).write_text(json.dumps(results, indent=1) + "\n")
    for failure in failures:
        print("FAILED:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
