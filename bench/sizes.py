"""Large inputs: how time and peak memory grow with the input from 1 to 32 MB
on every shape that bench/generate.py writes, ostrilume beside the lower
bound (bench/lower_bound.cpp) and bc on the same input, and one very large
flat run. Each program's peak memory is measured by GNU time, alone: a child
forked from Python would count Python's own memory as well."""
import os
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

SHAPES = ["flat", "mixed", "deep", "siblings", "random"]
MB = 1_000_000


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
    if not shutil.which("bc"):
        return "bc not installed"
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


def scaling_rows(binary, sizes, repeat, work):
    """One row a shape and size. The RSS of a run on the one-byte input `1`
    (the libraries, about 3.5 MB, which dominate at small sizes) goes into
    every row, to be left out of the growth."""
    tiny = work / "tiny.txt"
    tiny.write_text("1\n")
    base = best_of(repeat, binary, tiny)[1]
    rows = []
    for shape in SHAPES:
        previous = None
        for size in sizes:
            path = work / "input.txt"
            actual = generate(shape, size, path)
            seconds, rss, status = best_of(repeat, binary, path)
            rows.append({"shape": shape, "MB": actual, "seconds": seconds, "peak RSS MB": rss,
                         "one-byte RSS MB": base, "time / time at half size": seconds / previous if previous else None,
                         "exit status": status})
            previous = seconds
    return rows


def comparison_rows(binary, lower_bound, repeat, bc_timeout, work):
    """Each shape at 10 MB, flat at 20: ostrilume, the lower bound on flat
    alone, and bc."""
    rows = []
    for shape in SHAPES:
        path = work / "input.txt"
        actual = generate(shape, 20 if shape == "flat" else 10, path)
        seconds, _, status = best_of(repeat, binary, path)
        bound = best_of(repeat, lower_bound, path)[0] if shape == "flat" else None
        rows.append({"shape": shape, "MB": actual, "ostrilume s": seconds, "lower bound s": bound,
                     "bc": time_bc(path, bc_timeout), "exit status": status})
    return rows


def large_rows(binary, megabytes, work):
    """One run on a flat input of the given size."""
    path = work / "input.txt"
    actual = generate("flat", megabytes, path)
    seconds, rss, status = measure(binary, path)
    return [{"shape": "flat", "MB": actual, "seconds": seconds, "peak RSS MB": rss, "exit status": status}]
