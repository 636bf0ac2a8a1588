"""How bench/run.py shows what the measurements return: one Markdown writer
for every table, and the check of the targets against the same rows. A
measurement knows nothing of either; it returns rows, one dict each."""
from dataclasses import dataclass
from typing import Callable


class Skipped(Exception):
    """A measurement that cannot run here, and why: its table is left out."""


@dataclass
class Column:
    heading: str
    cell: Callable[[dict], str]
    numeric: bool = True


def figure(key, form="{:.3f}", missing=""):
    """A column's cell: the row's value under key, formatted, or missing."""
    return lambda row: missing if row.get(key) is None else form.format(row[key])


def markdown(columns, rows):
    lines = ["| " + " | ".join(column.heading for column in columns) + " |",
             "| " + " | ".join("---:" if column.numeric else "---" for column in columns) + " |"]
    lines += ["| " + " | ".join(column.cell(row) for column in columns) + " |" for row in rows]
    return "\n".join(lines)


@dataclass
class Target:
    """What a measurement must reach: a figure drawn from its rows (None when
    the rows cannot give it), how it is shown, and whether it is met."""
    what: str
    value: Callable[[list], object]
    met: Callable[[object], bool]
    form: str = "{:.2f}x"


def check(targets, rows):
    """Prints one line a target and returns what was not met."""
    failures = []
    for target in targets:
        value = target.value(rows)
        if value is None:
            print(f"- {target.what}: not checked")
            failures.append(f"{target.what}: not checked")
            continue
        met = target.met(value)
        shown = target.form.format(value)
        print(f"- {target.what}: {shown}, {'met' if met else 'NOT MET'}")
        if not met:
            failures.append(f"{target.what}: {shown}")
    return failures
