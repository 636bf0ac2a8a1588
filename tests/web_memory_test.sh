#!/usr/bin/env bash
# The web program's memory has a ceiling: an expression too large for it ends,
# through the page's own system interface, as memory running out ends a run
# everywhere: what the run printed before it read, the memory message and exit
# status 1, and no byte on standard error.
# Usage: web_memory_test.sh PROGRAM.wasm WORKDIR CEILING_MIB
set -u
program=$1 work=$2 ceiling=$3
runner=$(cd "$(dirname "$0")/../harness" && pwd)/page_program.mjs
command -v node > /dev/null || { echo "SKIPPED: node is not installed (Debian package nodejs)"; exit 77; }
mkdir -p "$work" && cd "$work" || exit 2
# The input is large: the folder stays only when the test fails.
trap 'code=$?; cd / && [ $code = 0 ] && rm -rf "$work"; exit $code' EXIT
fail() { echo "FAILED: $*"; exit 1; }

# 1+1+… of half the ceiling: its operand and operator lists alone need more.
yes 1+ | tr -d '\n' | head -c $((ceiling * 1024 * 1024 / 2)) > input
"$runner" "$program" < /dev/null | sed 's/Tyhjä lauseke!/Muisti loppui kesken!/' > expected
"$runner" "$program" < input > output 2> errors
status=$?
[ "$status" = 1 ] || fail "exit status $status, expected 1"
[ -s errors ] && fail "standard error: $(head -c 300 errors)"
cmp expected output || { diff expected output | head -c 1000; fail "the output differs"; }
echo "a ${ceiling} MiB ceiling: the memory message and status 1 after $(wc -c < input) bytes of input"
