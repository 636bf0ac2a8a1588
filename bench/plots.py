#!/usr/bin/python3
"""Draws the pictures of docs/performance.md from the figures that
bench/run.py --json wrote, with Debian's python3-matplotlib:

    bench/run.py --json build/bench-results.json
    bench/plots.py build/bench-results.json          # writes docs/images/*.svg

- startup.svg: the median time from start to exit of one short run, beside
  the other programs;
- scaling.svg: time against input size for each shape of expression;
- power.svg: nanoseconds per power, the calculator's function beside glibc's
  powf, for each family of pairs;
- web.svg: the WebAssembly program's time beyond the native program's, for
  each shape, as browsers run it and optimised from the start.
"""
import json
import sys
from pathlib import Path

import matplotlib

matplotlib.use("svg")
import matplotlib.pyplot as plt  # noqa: E402  (the backend comes first)

IMAGES = Path(__file__).resolve().parent.parent / "docs" / "images"
matplotlib.rcParams.update({"svg.hashsalt": "ostrilume", "svg.fonttype": "none", "font.size": 10,
                            "figure.dpi": 100, "axes.spines.top": False, "axes.spines.right": False})


def save(figure, name):
    figure.tight_layout()
    figure.savefig(IMAGES / name, metadata={"Date": None, "Creator": None})
    plt.close(figure)


def startup(rows):
    names = [row["program"] for row in rows]
    figure, axes = plt.subplots(figsize=(7, 3))
    medians = [row["median ms"] for row in rows]
    bars = axes.barh(names, medians, color=["#c0392b" if name == "ostrilume" else "#7f8c8d" for name in names])
    axes.bar_label(bars, labels=[f"{value:.2f}" for value in medians], padding=3)
    axes.invert_yaxis()
    axes.set_xscale("log")
    axes.set_xlabel("median ms from start to exit, one short expression (log scale)")
    save(figure, "startup.svg")


def scaling(rows):
    figure, axes = plt.subplots(figsize=(7, 4))
    for shape in dict.fromkeys(row["shape"] for row in rows):
        points = [(row["MB"], row["seconds"]) for row in rows if row["shape"] == shape]
        axes.plot(*zip(*points), marker="o", label=shape)
    axes.set_xscale("log", base=2)
    axes.set_yscale("log", base=2)
    axes.set_xlabel("input MB")
    axes.set_ylabel("seconds, fastest of five runs")
    axes.legend(title="shape")
    axes.grid(True, which="major", alpha=0.3)
    save(figure, "scaling.svg")


def power(rows, without_fma):
    for row, other in zip(rows, without_fma):
        row["powf without FMA ns"] = other["powf ns"]
    figure, axes = plt.subplots(figsize=(8, 4.5))
    labels = [row["pairs"] for row in rows]
    positions = range(len(rows))
    width = 0.27
    for offset, key, colour in ((-width, "ostrilume ns", "#c0392b"), (0, "powf ns", "#7f8c8d"),
                                (width, "powf without FMA ns", "#bdc3c7")):
        axes.barh([p + offset for p in positions], [row[key] for row in rows], width, label=key.replace(" ns", ""),
                  color=colour)
    axes.set_yticks(list(positions), labels)
    axes.invert_yaxis()
    axes.set_xlabel("ns per power, median of 15 rounds (less is faster)")
    axes.legend()
    save(figure, "power.svg")


def web(rows):
    rows = [row for row in rows if row["MB"] is not None]  # the one-byte run is what starting costs
    figure, axes = plt.subplots(figsize=(7, 3))
    positions = range(len(rows))
    axes.bar([p - 0.2 for p in positions], [row["baseline first ratio"] for row in rows], 0.4,
             label="as browsers run it", color="#7f8c8d")
    axes.bar([p + 0.2 for p in positions], [row["optimised ratio"] for row in rows], 0.4,
             label="optimised from the start", color="#c0392b")
    axes.axhline(1, color="black", linewidth=0.8)
    axes.set_xticks(list(positions), [f"{row['input']}\n{row['MB']:.0f} MB" for row in rows])
    axes.set_ylabel("WebAssembly time / native")
    axes.legend()
    save(figure, "web.svg")


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    results = json.loads(Path(sys.argv[1]).read_text())
    IMAGES.mkdir(parents=True, exist_ok=True)
    for names, draw in ((["latency"], startup), (["scaling"], scaling), (["power", "power without FMA"], power),
                        (["evaluation"], web)):
        if all(name in results for name in names):
            draw(*(results[name] for name in names))
            print(f"drew the figures of {names[0]}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
