#!/usr/bin/env bash
# Checks the sources: format (clang-format finds nothing to change) or tidy
# (clang-tidy with the checks in .clang-tidy is clean on the program).
# Usage: lint.sh format|tidy SOURCE_DIR BUILD_DIR
set -u
kind=$1 source=$2 build=$3
cd "$source" || exit 2
skip() { echo "SKIPPED: $*"; exit 77; }
sources() { find "$@" \( -name '*.cpp' -o -name '*.hpp' \) | sort; }

case $kind in
format)
    command -v clang-format > /dev/null || skip "clang-format is not installed (Debian package clang-format)"
    # shellcheck disable=SC2046
    clang-format --dry-run --Werror $(sources common numbers evaluation console tests fuzz bench harness) ;;
tidy)
    command -v clang-tidy > /dev/null || skip "clang-tidy is not installed (Debian package clang-tidy)"
    # The Windows file builds in a Windows build only.
    # shellcheck disable=SC2046
    clang-tidy -p "$build" --quiet $(find common numbers evaluation console -name '*.cpp' ! -name '*_windows.cpp' | sort) ;;
esac
