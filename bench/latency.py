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


def check_targets(median, peak, failures):
    if "bc" not in median:
        failures.append("bc is not installed: the latency targets are not checked")
        return
    targets = [
        ("median at most 1.05x the C program's", median[CALCULATOR] / median[C_PROGRAM], lambda r: r <= 1.05),
        ("median below bc's", median[CALCULATOR] / median["bc"], lambda r: r < 1.0),
        ("peak RSS at most 1.25x bc's", peak[CALCULATOR] / peak["bc"], lambda r: r <= 1.25),
    ]
    for what, ratio, met in targets:
        print(f"- ostrilume {what}: {ratio:.2f}x, {'met' if met(ratio) else 'NOT MET'}")
        if not met(ratio):
            failures.append(f"latency target not met: {what} ({ratio:.2f}x)")


def latency_table(root, calculator, work, runs, failures):
    input_path = work / "expression.txt"
    input_path.write_text(EXPRESSION)
    spawner = compile_c(root, work, "spawn_runs", "-static")
    listed = programs(calculator, compile_c(root, work, "same_io"))
    times, rss, statuses = measure(spawner, listed, input_path, runs)
    median = {name: statistics.median(values) for name, values in times.items()}
    peak = {name: statistics.median(values) for name, values in rss.items()}
    print(f"Start to exit on `{EXPRESSION.strip()}`, {runs} interleaved runs of each, "
          "started with posix_spawn, standard output to /dev/null:\n")
    print("| program | median ms | 10th percentile ms | peak RSS MB | median / C program |")
    print("| --- | ---: | ---: | ---: | ---: |")
    for name, _ in listed:
        tenth = statistics.quantiles(times[name], n=10)[0]
        print(f"| {name} | {median[name]:.3f} | {tenth:.3f} | {peak[name]:.2f} | "
              f"{median[name] / median[C_PROGRAM]:.2f}x |")
    print()
    if statuses[CALCULATOR] != {0}:
        failures.append(f"ostrilume exited with {sorted(statuses[CALCULATOR])}")
    check_targets(median, peak, failures)
    return {name: {"median ms": median[name], "peak RSS MB": peak[name]} for name, _ in listed}
