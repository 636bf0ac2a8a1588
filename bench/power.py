"""The power function's throughput beside the C library's powf, as glibc runs
it on this machine and as it runs on the calculator's own instruction set,
baseline x86-64 without FMA (bench/power_throughput.cpp prints the figures)."""
import os
import statistics
import subprocess

WITHOUT_FMA = {"GLIBC_TUNABLES": "glibc.cpu.hwcaps=-AVX2_Usable,-FMA_Usable,-FMA,-AVX2"}


def power_rows(root, without_fma=False):
    """One row a family of pairs, and a last one for all of them equally
    weighted: nanoseconds per call of each and the throughput's ratio."""
    subprocess.run(["cmake", "--build", "build", "--target", "ostrilume_power_throughput"], cwd=root,
                   check=True, stdout=subprocess.DEVNULL)
    program = [str(root / "build" / "bench" / "ostrilume_power_throughput")]
    env = dict(os.environ, **WITHOUT_FMA) if without_fma else None
    printed = subprocess.run(program, check=True, capture_output=True, text=True, env=env).stdout
    rows = []
    for line in printed.splitlines():
        pairs, ours, theirs = line.split("\t")
        rows.append({"pairs": pairs, "ostrilume ns": float(ours), "powf ns": float(theirs)})
    rows.append({"pairs": "all of them, equally weighted",
                 "ostrilume ns": statistics.mean(row["ostrilume ns"] for row in rows),
                 "powf ns": statistics.mean(row["powf ns"] for row in rows)})
    for row in rows:
        row["ratio"] = row["powf ns"] / row["ostrilume ns"]
    return rows
