#!/usr/bin/env python3
"""Writes one benchmark expression of a chosen shape and size to standard output.

Usage: generate.py SHAPE BYTES [SEED]

Shapes:
  flat      1+1+...+1
  mixed     random decimals joined by all five operators
  deep      ( x N, 1+1, ) x N
  siblings  (1+2)+(1+2)+...
  random    well-formed random expressions with nested groups, signs and all
            operators

Exponents are small integers and never chained, so that bc, which reads ^ from
the right and with exact integers, can evaluate the same text in finite time.
"""
import random
import sys


def repeat_to(unit, joiner, size):
    count = max(1, (size + len(joiner)) // (len(unit) + len(joiner)))
    return joiner.join([unit] * count)


def decimal(rng):
    return f"{rng.randint(1, 999)}.{rng.randint(1, 99)}"


def mixed_chunk(rng, terms):
    parts = [decimal(rng)]
    previous = "+"
    for _ in range(terms):
        op = rng.choice("+-*/^") if previous != "^" else rng.choice("+-*/")
        parts.append(op)
        parts.append(str(rng.randint(1, 3)) if op == "^" else decimal(rng))
        previous = op
    return "".join(parts)


def operand(rng, depth):
    """A number (maybe signed where a sign is allowed) or a group."""
    if depth > 0 and rng.random() < 0.35:
        return "(" + expression(rng, depth - 1) + ")"
    return decimal(rng) if rng.random() < 0.5 else str(rng.randint(1, 99))


def expression(rng, depth):
    parts = [operand(rng, depth)]
    for _ in range(rng.randint(1, 4)):
        op = rng.choice("+-*/^")
        if op == "^":
            parts += ["^", str(rng.randint(1, 3))]
            continue
        parts.append(op)
        sign = "-" if op in "*/" and rng.random() < 0.2 else ""
        parts.append(sign + operand(rng, depth))
    return "".join(parts)


def pooled(rng, size, make):
    """Joins randomly chosen pieces from a pool made once, for speed."""
    pool = [make(rng) for _ in range(2000)]
    pieces, length = [], 0
    while length < size:
        piece = rng.choice(pool)
        if pieces:
            pieces.append(rng.choice("+-*/"))
        pieces.append(piece)
        length += len(piece) + 1
    return "".join(pieces)


def generate(shape, size, rng):
    if shape == "flat":
        return repeat_to("1", "+", size)
    if shape == "mixed":
        return pooled(rng, size, lambda r: mixed_chunk(r, 20))
    if shape == "deep":
        depth = max(1, (size - 3) // 2)
        return "(" * depth + "1+1" + ")" * depth
    if shape == "siblings":
        return repeat_to("(1+2)", "+", size)
    if shape == "random":
        return pooled(rng, size, lambda r: "(" + expression(r, 6) + ")")
    raise SystemExit(f"unknown shape {shape}")


def main():
    if len(sys.argv) not in (3, 4):
        raise SystemExit(__doc__)
    shape, size = sys.argv[1], int(float(sys.argv[2]))
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) == 4 else 1)
    sys.stdout.write(generate(shape, size, rng) + "\n")


if __name__ == "__main__":
    main()
