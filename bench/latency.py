"""Start-up latency: how long one whole run takes on a typical short
expression, from spawning the process to reaping it, beside other programs
that read the same line: bc, awk, python3 -c, a C program doing the
calculator's input and output and nothing else (bench/same_io.c), and
/usr/bin/true. bench/spawn_runs.c starts them with posix_spawn, interleaved,
each round in a new random order, so that whatever else the machine does
falls on every program alike."""
import shutil
import statistics
import subprocess
from pathlib import Path

EXPRESSION = "3*(2+5)^2-1/3\n"
CALCULATOR = "ostrilume"
C_PROGRAM = "C program, same I/O"


def compile_c(root, work, name, *flags):
    binary = work / name
    compiler = shutil.which("cc") or shutil.which("gcc")
    subprocess.run([compiler, "-O2", *flags, "-o", str(binary), str(root / "bench" / f"{name}.c")], check=True)
    return binary


def programs(calculator, c_program):
    python = shutil.which("python3")
    listed = [
        (CALCULATOR, [str(calculator)]),
        ("bc", [shutil.which("bc") or "", "-q"]),
        ("awk", [shutil.which("awk") or "", "{ print 3*(2+5)^2-1/3 }"]),
        ("python3 -c", [python or "", "-c", "import sys; print(eval(sys.stdin.read().replace('^', '**')))"]),
        (C_PROGRAM, [str(c_program)]),
        ("/usr/bin/true", ["/usr/bin/true"]),
    ]
    return [(name, argv) for name, argv in listed if argv[0] and Path(argv[0]).exists()]


def measure(spawner, listed, input_path, runs, warmup=20):
    """Milliseconds and peak RSS in MB of every run after the warm-up rounds,
    and the exit statuses, by program."""
    command = [str(spawner), str(input_path), str(warmup + runs)]
    for index, (_, argv) in enumerate(listed):
        command += (["--"] if index else []) + argv
    lines = subprocess.run(command, check=True, capture_output=True, text=True).stdout.splitlines()
    times = {name: [] for name, _ in listed}
    rss = {name: [] for name, _ in listed}
    statuses = {name: set() for name, _ in listed}
    for number, line in enumerate(lines):
        index, nanoseconds, kilobytes, status = map(int, line.split())
        name = listed[index][0]
        statuses[name].add(status)
        if number >= warmup * len(listed):
            times[name].append(nanoseconds / 1e6)
            rss[name].append(kilobytes / 1024)
    return times, rss, statuses


def latency_rows(root, calculator, work, runs):
    """One row a program: its times in ms, its peak RSS in MB and the exit
    statuses of its runs."""
    input_path = work / "expression.txt"
    input_path.write_text(EXPRESSION)
    spawner = compile_c(root, work, "spawn_runs", "-static")
    listed = programs(calculator, compile_c(root, work, "same_io"))
    times, rss, statuses = measure(spawner, listed, input_path, runs)
    c_median = statistics.median(times[C_PROGRAM])
    return [{"program": name, "median ms": statistics.median(times[name]),
             "10th percentile ms": statistics.quantiles(times[name], n=10)[0],
             "peak RSS MB": statistics.median(rss[name]),
             "median / C program": statistics.median(times[name]) / c_median,
             "exit statuses": sorted(statuses[name])} for name, _ in listed]
