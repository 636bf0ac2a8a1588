"""Start-up latency: how long one whole run takes on a typical short
expression, from spawning the process to reaping it, beside other programs
that read the same line: bc, awk, python3 -c, a C program doing the
calculator's input and output and nothing else (bench/same_io.c), and
/usr/bin/true. The runs are interleaved, each round in a rotated order, so
that whatever else the machine does falls on every program alike."""
import os
import shutil
import statistics
import subprocess
import time
from pathlib import Path

EXPRESSION = "3*(2+5)^2-1/3\n"
CALCULATOR = "ostrilume"
C_PROGRAM = "C program, same I/O"


def build_c_program(root, work):
    """The C program is compiled as any C program is, dynamically linked."""
    binary = work / "same_io"
    compiler = shutil.which("cc") or shutil.which("gcc")
    subprocess.run([compiler, "-O2", "-o", str(binary), str(root / "bench" / "same_io.c")], check=True)
    return binary


def programs(calculator, c_program):
    python = shutil.which("python3")
    listed = [
        (CALCULATOR, [str(calculator)]),
        ("bc", [shutil.which("bc") or "bc", "-q"]),
        ("awk", [shutil.which("awk") or "awk", "{ print 3*(2+5)^2-1/3 }"]),
        ("python3 -c", [python, "-c", "import sys; print(eval(sys.stdin.read().replace('^', '**')))"]),
        (C_PROGRAM, [str(c_program)]),
        ("/usr/bin/true", ["/usr/bin/true"]),
    ]
    return [(name, argv) for name, argv in listed if argv[0] and Path(argv[0]).exists()]


def spawn_once(argv, input_path):
    """Wall nanoseconds, the child's peak RSS in kB and its exit status."""
    actions = [
        (os.POSIX_SPAWN_OPEN, 0, str(input_path), os.O_RDONLY, 0),
        (os.POSIX_SPAWN_OPEN, 1, os.devnull, os.O_WRONLY, 0),
        (os.POSIX_SPAWN_OPEN, 2, os.devnull, os.O_WRONLY, 0),
    ]
    start = time.perf_counter_ns()
    pid = os.posix_spawn(argv[0], argv, os.environ, file_actions=actions)
    _, status, usage = os.wait4(pid, 0)
    return time.perf_counter_ns() - start, usage.ru_maxrss, os.waitstatus_to_exitcode(status)


def measure(listed, input_path, runs, warmup=20):
    times = {name: [] for name, _ in listed}
    rss = {name: [] for name, _ in listed}
    statuses = {name: set() for name, _ in listed}
    for round_number in range(warmup + runs):
        shift = round_number % len(listed)
        for name, argv in listed[shift:] + listed[:shift]:
            nanoseconds, kilobytes, status = spawn_once(argv, input_path)
            if round_number >= warmup:
                times[name].append(nanoseconds / 1e6)
                rss[name].append(kilobytes / 1024)
                statuses[name].add(status)
    return times, rss, statuses


def tenth_percentile(values):
    return statistics.quantiles(values, n=10)[0]


def latency_table(root, calculator, work, runs, failures):
    input_path = work / "expression.txt"
    input_path.write_text(EXPRESSION)
    listed = programs(calculator, build_c_program(root, work))
    times, rss, statuses = measure(listed, input_path, runs)
    median = {name: statistics.median(values) for name, values in times.items()}
    peak = {name: statistics.median(values) for name, values in rss.items()}
    print(f"Start to exit on `{EXPRESSION.strip()}`, {runs} interleaved runs of each, "
          "started with posix_spawn, standard output to /dev/null:\n")
    print("| program | median ms | 10th percentile ms | peak RSS MB | median / C program |")
    print("| --- | ---: | ---: | ---: | ---: |")
    for name, _ in listed:
        print(f"| {name} | {median[name]:.3f} | {tenth_percentile(times[name]):.3f} | {peak[name]:.2f} | "
              f"{median[name] / median[C_PROGRAM]:.2f}x |")
    if statuses[CALCULATOR] != {0}:
        failures.append(f"ostrilume exited with {sorted(statuses[CALCULATOR])}")
    targets = [
        ("median at most 1.3x the C program's", median[CALCULATOR] / median[C_PROGRAM], 1.3),
        ("median below bc's", median[CALCULATOR] / median["bc"], 1.0),
        ("peak RSS at most 1.25x bc's", peak[CALCULATOR] / peak["bc"], 1.25),
    ] if "bc" in median else []
    print()
    for what, ratio, limit in targets:
        met = ratio <= limit if limit != 1.0 else ratio < limit
        print(f"- ostrilume {what}: {ratio:.2f}x, {'met' if met else 'NOT MET'}")
        if not met:
            failures.append(f"latency target not met: {what} ({ratio:.2f}x)")
