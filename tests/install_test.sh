#!/usr/bin/env bash
# Installs the program from the build tree, or builds the Debian package and
# unpacks it, and runs what was installed on one expression.
# Usage: install_test.sh tree|package BUILD_DIR WORK_DIR VERSION
set -u
kind=$1 build=$2 work=$3 version=$4
rm -rf "$work" && mkdir -p "$work"
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; exit 1; }

# The installed binary must evaluate and print its answer box.
check_binary() {
    local output
    output=$(printf '2^10\n' | "$1") || fail "$1 exited with $?"
    grep -qx 'Tulos:   1024' <<< "$output" || fail "$1 printed no answer 1024: $output"
}

case $kind in
tree)
    cmake --install "$build" --prefix "$work/prefix" > /dev/null || fail "cmake --install"
    check_binary "$work/prefix/bin/ostrilume"
    page=$work/prefix/share/man/man1/ostrilume.1
    [ -f "$page" ] || fail "no manual page at $page"
    warnings=$(groff -ww -z -man "$page" 2>&1) || fail "groff failed"
    [ -z "$warnings" ] || fail "groff warns: $warnings"
    if command -v man > /dev/null; then
        warnings=$(MANWIDTH=80 man -l "$page" 2>&1 > /dev/null)
        [ -z "$warnings" ] || fail "man warns: $warnings"
        MANWIDTH=80 man -l "$page" 2> /dev/null | grep -q 'PALUUARVOT' || fail "man shows no PALUUARVOT"
    fi ;;
package)
    command -v dpkg-deb > /dev/null || skip "dpkg-deb is not installed"
    cpack --config "$build/CPackConfig.cmake" -B "$work" > "$work/cpack.log" 2>&1 \
        || { cat "$work/cpack.log"; fail "cpack"; }
    deb=$work/ostrilume_${version}_$(dpkg --print-architecture).deb
    [ -f "$deb" ] || fail "no package $deb"
    [ "$(dpkg-deb -f "$deb" Package)" = ostrilume ] || fail "wrong Package field"
    [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "wrong Version field"
    dpkg-deb -f "$deb" Depends | grep -q libstdc++ || fail "Depends names no libstdc++"
    dpkg -x "$deb" "$work/root" || fail "dpkg -x"
    [ -f "$work/root/usr/share/man/man1/ostrilume.1" ] || fail "no manual page in the package"
    check_binary "$work/root/usr/bin/ostrilume" ;;
esac
echo "ok"
