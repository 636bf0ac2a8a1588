"""What each measurement's rows look like as a table, and the targets they
must reach: the one place that says how bench/run.py shows a figure and
which figure counts."""
from dataclasses import dataclass
from typing import Callable

from latency import C_PROGRAM, CALCULATOR, EXPRESSION
from paste import REPEAT as PASTE_REPEAT
from report import Column, Target, figure
from web import FORMS

KB = 1000


@dataclass
class Layout:
    intro: Callable  # of the options and the rows: the text above the table
    columns: list
    footer: Callable = lambda rows: []  # rows to add at the end, such as sums
    outro: Callable = lambda options, rows: ""  # text below the table


def text(key):
    return Column(key, lambda row: str(row[key]), numeric=False)


def yes_or_no(key):
    return Column(key, lambda row: {True: "yes", False: "no", None: ""}[row.get(key)], numeric=False)


def ratio(key, heading=None):
    return Column(heading or key, figure(key, "{:.2f}x"))


def first(rows, key, value, wanted):
    """wanted in the row whose key is value, or None when there is none."""
    found = [row[wanted] for row in rows if row.get(key) == value]
    return found[0] if found and found[0] is not None else None


def worst(rows, wanted):
    values = [row[wanted] for row in rows if row.get(wanted) is not None]
    return max(values) if values else None


def statuses(rows, key):
    """The exit statuses of the rows' runs, each once, as text."""
    found = set()
    for row in rows:
        found.update(row[key] if isinstance(row[key], list) else [row[key]])
    return ", ".join(str(status) for status in sorted(found))


def all_exit_zero(key="exit status"):
    return Target("every run exits with status 0", lambda rows: statuses(rows, key), lambda found: found == "0", "{}")


def calculator_over(rows, wanted, other):
    mine, theirs = first(rows, "program", CALCULATOR, wanted), first(rows, "program", other, wanted)
    return None if mine is None or theirs is None else mine / theirs


def page_over_node(row, aim=3.0, slack_s=1.0):
    return row["page s"] / (aim * row["Node s"] + slack_s)


WITHIN_NODE = Target("the page within 3x Node's time + 1 s on every run (the share of that used)",
                     lambda rows: max(page_over_node(row) for row in rows), lambda r: r <= 1.0)


def paste_over_bc(row):
    if row["ostrilume s"] is None:
        return float("inf")
    return row["ostrilume s"] / row["bc -q s"] if row["bc -q s"] is not None else 0.0


POWER_COLUMNS = [text("pairs"), Column("ostrilume ns", figure("ostrilume ns", "{:.2f}")),
                 Column("powf ns", figure("powf ns", "{:.2f}")),
                 Column("ostrilume's throughput / powf's", figure("ratio", "{:.2f}"))]

LAYOUTS = {
    "latency": Layout(
        lambda options, rows: (f"Start to exit on `{EXPRESSION.strip()}`, {options.runs} interleaved runs of each, "
                               "started with posix_spawn, standard output to /dev/null:"),
        [text("program"), Column("median ms", figure("median ms")),
         Column("10th percentile ms", figure("10th percentile ms")),
         Column("peak RSS MB", figure("peak RSS MB", "{:.2f}")), ratio("median / C program")]),
    "power": Layout(
        lambda options, rows: ("Nanoseconds per call, median of 15 rounds of 2^20 pairs, the two functions "
                               "taking turns:"),
        POWER_COLUMNS),
    "power without FMA": Layout(
        lambda options, rows: ("The same with glibc's powf restricted to the calculator's instruction set "
                               "(GLIBC_TUNABLES, no FMA or AVX2):"),
        POWER_COLUMNS),
    "scaling": Layout(
        lambda options, rows: f"Peak RSS of a run on the one-byte input `1`: {rows[0]['one-byte RSS MB']:.1f} MB.",
        [text("shape"), Column("input MB", figure("MB", "{:.1f}")), Column("wall s", figure("seconds")),
         Column("MB/s", lambda row: f"{row['MB'] / row['seconds']:.0f}"),
         Column("peak RSS MB", figure("peak RSS MB", "{:.0f}")),
         Column("RSS / input", lambda row: f"{row['peak RSS MB'] / row['MB']:.1f}x"),
         Column("(RSS - one-byte run) / input",
                lambda row: f"{(row['peak RSS MB'] - row['one-byte RSS MB']) / row['MB']:.1f}x"),
         ratio("time / time at half size")]),
    "comparison": Layout(
        lambda options, rows: "",
        [text("shape"), Column("input MB", figure("MB", "{:.1f}")), Column("ostrilume s", figure("ostrilume s")),
         Column("lower bound s", figure("lower bound s")),
         Column("ostrilume / lower bound", lambda row: "" if row["lower bound s"] is None
                else f"{row['ostrilume s'] / row['lower bound s']:.2f}x"),
         Column("bc s", lambda row: row["bc"], numeric=False)]),
    "download": Layout(
        lambda options, rows: "",
        [text("file"), Column("bytes", figure("bytes", "{:,}")),
         Column("gzipped bytes", lambda row: ("**{:,}**" if row.get("sum") else "{:,}").format(row["gzipped bytes"])),
         yes_or_no("loaded served"), yes_or_no("loaded from a file")],
        footer=lambda rows: [
            {"file": "**what the page loads, served**", "bytes": None, "sum": True,
             "gzipped bytes": sum(row["gzipped bytes"] for row in rows if row["loaded served"])},
            {"file": "**what the page loads from a file**", "bytes": None, "sum": True,
             "gzipped bytes": sum(row["gzipped bytes"] for row in rows if row["loaded from a file"])}]),
    "prompt": Layout(
        lambda options, rows: (f"Milliseconds from opening the page to the prompt, headless Chromium, "
                               f"{options.loads} loads each:"),
        [text("opened from"), Column("median ms", figure("median ms", "{:.0f}")),
         Column("90th percentile ms", figure("90th percentile ms", "{:.0f}")),
         Column("slowest ms", figure("slowest ms", "{:.0f}"))]),
    "evaluation": Layout(
        lambda options, rows: (f"Seconds, the fastest of {options.repeat} runs each, the three taking turns; the "
                               "ratios are of the time beyond the one-byte run's:"),
        [text("input"), Column("MB", figure("MB", "{:.1f}")), Column("native s", figure("native s")),
         Column("WebAssembly s, as browsers run it", figure("baseline first s")),
         ratio("baseline first ratio", "ratio"),
         Column("WebAssembly s, optimised from the start", figure("optimised s")),
         ratio("optimised ratio", "ratio")]),
    "long runs": Layout(
        lambda options, rows: f"Seconds, the fastest of {options.repeat} runs each, the page and Node taking turns:",
        [text("run"), Column("input kB", figure("input kB", "{:.0f}")), Column("page s", figure("page s", "{:.2f}")),
         Column("Node s", figure("Node s", "{:.2f}")),
         Column("page / Node", lambda row: f"{row['page s'] / row['Node s']:.2f}x"),
         Column("slowest answer to a script ms", figure("slowest answer ms", "{:.0f}"))]),
    "heavy runs": Layout(
        lambda options, rows: ("Seconds and MB, one run each in headless Chromium, the program alone under Node "
                               "beside it; the stops are given a second into a run of the same (half the time "
                               "Node takes, when that is shorter):"),
        [text("run"), Column("Node s", figure("Node s", "{:.2f}")), Column("page s", figure("page s", "{:.2f}")),
         Column("renderer peak MB", figure("renderer peak MB", "{:.0f}")),
         Column("paste's longest task s", figure("paste's longest task s", "{:.2f}")),
         Column("run's longest task s", figure("longest task s", "{:.2f}")),
         Column("Pysäytä taken s", figure("Pysäytä s", missing="ended first")),
         Column("Ctrl+C taken s", figure("Ctrl+C s", missing="ended first")),
         Column("2*3 after it s", figure("2*3 after it s")),
         Column("2*3 on a fresh page s", figure("2*3 on a fresh page s"))]),
    "lighthouse": Layout(
        lambda options, rows: (f"Lighthouse {rows[0]['version']}, the served page (its server's robots.txt, "
                               "which is not the page's, counts in SEO):"),
        [Column("", lambda row: row["title"], numeric=False)]
        + [Column(form, lambda row, form=form: row[form]) for form in FORMS]),
    "paste": Layout(
        lambda options, rows: ("A paste of `1+1+…+1` and Enter at the prompt, to the answer on the screen, "
                               f"in tmux at 80 columns, best of {PASTE_REPEAT}:"),
        [Column("bytes pasted", figure("bytes", "{:,}")),
         Column("ostrilume s", figure("ostrilume s", missing="no answer")),
         Column("bc -q s", figure("bc -q s", missing="no answer"))]),
    "large": Layout(
        lambda options, rows: "",
        [],
        outro=lambda options, rows: (f"flat at {rows[0]['MB']:.0f} MB: {rows[0]['seconds']:.2f} s, peak RSS "
                                     f"{rows[0]['peak RSS MB']:.0f} MB, exit status {rows[0]['exit status']}")),
}

TARGETS = {
    "latency": [
        Target("ostrilume median at most 1.05x the C program's",
               lambda rows: calculator_over(rows, "median ms", C_PROGRAM), lambda r: r <= 1.05),
        Target("ostrilume median below bc's", lambda rows: calculator_over(rows, "median ms", "bc"),
               lambda r: r < 1.0),
        Target("ostrilume peak RSS at most 1.25x bc's", lambda rows: calculator_over(rows, "peak RSS MB", "bc"),
               lambda r: r <= 1.25),
        Target("ostrilume exits with status 0",
               lambda rows: statuses([row for row in rows if row["program"] == CALCULATOR], "exit statuses"),
               lambda found: found == "0", "{}"),
    ],
    "power": [
        Target("ostrilume's throughput at least powf's over all pairs",
               lambda rows: rows[-1]["ratio"], lambda r: r >= 1.0),
    ],
    "scaling": [all_exit_zero()],
    "comparison": [all_exit_zero()],
    "large": [all_exit_zero()],
    "download": [
        Target("what the page loads, served, at most 150 kB gzipped",
               lambda rows: sum(row["gzipped bytes"] for row in rows if row["loaded served"]) / KB,
               lambda kb: kb <= 150, "{:.1f} kB"),
    ],
    "prompt": [
        Target("the prompt in at most 500 ms, median, from a server and from the file",
               lambda rows: worst(rows, "median ms"), lambda ms: ms <= 500, "{:.0f} ms"),
    ],
    "evaluation": [
        Target("WebAssembly optimised from the start at most 3x the native time on every input",
               lambda rows: worst(rows, "optimised ratio"), lambda r: r <= 3.0),
        all_exit_zero("exit statuses"),
    ],
    "long runs": [
        WITHIN_NODE,
        Target("the page answers a script within 200 ms throughout",
               lambda rows: worst(rows, "slowest answer ms"), lambda ms: ms <= 200, "{:.0f} ms"),
    ],
    "heavy runs": [
        WITHIN_NODE,
        Target("the renderer under 500 MB throughout", lambda rows: worst(rows, "renderer peak MB"),
               lambda mb: mb < 500, "{:.0f} MB"),
        Target("no task of the page's thread longer than 200 ms in a run", lambda rows: worst(rows, "longest task s"),
               lambda s: s <= 0.2, "{:.3f} s"),
        Target("Pysäytä and Ctrl+C taken within 200 ms",
               lambda rows: max(worst(rows, "Pysäytä s") or 0, worst(rows, "Ctrl+C s") or 0),
               lambda s: s <= 0.2, "{:.3f} s"),
        Target("2*3 after a heavy run as fast as on a fresh page (the slowest, over the fresh page's)",
               lambda rows: max(row["2*3 after it s"] / row["2*3 on a fresh page s"] for row in rows),
               lambda r: r <= 1.5),
    ],
    "lighthouse": [
        Target("Lighthouse accessibility 100, phone and desktop",
               lambda rows: min(100 * first(rows, "id", "accessibility", f"{form} score") for form in FORMS),
               lambda score: score >= 100, "{:.0f}"),
        Target("Lighthouse finds the text legible, phone and desktop",
               lambda rows: sorted({str(first(rows, "id", "font-size", f"{form} score")) for form in FORMS}),
               lambda scores: set(scores) <= {"1", "None"}, "{}"),
    ],
    "paste": [
        Target("the largest paste, a megabyte, answers in under 1 s",
               lambda rows: max(rows, key=lambda row: row["bytes"])["ostrilume s"] or float("inf"),
               lambda s: s < 1.0, "{:.3f} s"),
        Target("a paste never slower than bc -q", lambda rows: max(paste_over_bc(row) for row in rows),
               lambda r: r <= 1.0),
    ],
}

