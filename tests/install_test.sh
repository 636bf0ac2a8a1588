#!/usr/bin/env bash
# Installs the program from the build tree, or builds the Debian package as
# the package workflow does, checks it as Debian's own tools do, packs it
# again from the test's own build (or builds it again in another folder) and
# builds it once from a source tree without git, and compares the bytes.
# The work folder is removed when every check passes.
# Usage: install_test.sh tree|package BUILD_DIR WORK_DIR VERSION SOURCE_DIR SANITIZED
set -u
kind=$1 build=$2 work=$3 version=$4 source=$5 sanitized=$6
rm -rf "$work" && mkdir -p "$work"
skip() { echo "SKIPPED: $*"; exit 77; }
[ "$kind" != tree ] && [ "$sanitized" = ON ] && skip "the package is built from the release build, not a sanitizer build"
fail() { echo "FAILED: $*"; exit 1; }

# Skips the test when command $1, from Debian package $2, is missing.
require() { command -v "$1" > /dev/null || skip "$1 is not installed (Debian package $2)"; }

# The installed binary must evaluate and print its answer box.
check_binary() {
    local output
    output=$(printf '2^10\n' | "$1") || fail "$1 exited with $?"
    grep -qx 'Tulos:   1024' <<< "$output" || fail "$1 printed no answer 1024: $output"
}

# The manual page must render without a warning and break no word at a line end.
check_manual() {
    local page=$1 warnings width
    require groff groff-base
    warnings=$(zcat "$page" | groff -ww -z -man 2>&1) || fail "groff failed"
    [ -z "$warnings" ] || fail "groff warns: $warnings"
    command -v man > /dev/null || return 0
    warnings=$(MANWIDTH=80 man -l "$page" 2>&1 > /dev/null)
    [ -z "$warnings" ] || fail "man warns: $warnings"
    MANWIDTH=80 man -l "$page" 2> /dev/null | grep -q 'PALUUARVOT' || fail "man shows no PALUUARVOT"
    for width in 50 80 120; do
        if MANWIDTH=$width man -l "$page" 2> /dev/null | grep -E '[a-zäö][-‐]$'; then
            fail "the manual page breaks a word at $width columns"
        fi
    done
}

# The licence as the project ships it.
check_licence() {
    cmp -s "$source/LICENSE" "$1/share/doc/ostrilume/LICENSE" || fail "no licence in $1/share/doc/ostrilume"
}

# The Debian package's own documents, which only the package carries.
check_debian_documents() {
    local doc=$1/share/doc/ostrilume
    [ -f "$doc/copyright" ] || fail "no $doc/copyright"
    grep -qx 'License: Expat' "$doc/copyright" || fail "the copyright file names no licence"
    zcat "$doc/changelog.gz" | head -1 | grep -q "^ostrilume ($version)" || fail "the changelog does not start with $version"
}

# Builds the package in folder $2 from source folder $1 with only the program.
build_package() {
    cmake -S "$1" -B "$2" -D CMAKE_BUILD_TYPE=Release -D BUILD_TESTING=OFF > "$2.log" 2>&1 \
        && cmake --build "$2" -j 2 >> "$2.log" 2>&1 \
        && cpack --config "$2/CPackConfig.cmake" -B "$2" >> "$2.log" 2>&1 \
        || { tail -20 "$2.log"; fail "building the package in $2"; }
    deb=$2/ostrilume_${version}_$(dpkg --print-architecture).deb
    [ -f "$deb" ] || fail "no package $deb"
}

case $kind in
tree)
    cmake --install "$build" --prefix "$work/prefix" > /dev/null || fail "cmake --install"
    check_binary "$work/prefix/bin/ostrilume"
    check_manual "$work/prefix/share/man/man1/ostrilume.1.gz"
    check_licence "$work/prefix"
    [ ! -e "$work/prefix/share/doc/ostrilume/copyright" ] || fail "cmake --install installs Debian's copyright file" ;;
package)
    require dpkg-deb dpkg
    require lintian lintian
    require hardening-check devscripts
    require git git
    # The tree without git is made from what git knows of the source, so an
    # unpacked release (itself a tree without git) cannot take this test.
    [ "$(git -C "$source" rev-parse --show-toplevel 2> /dev/null)" = "$(realpath "$source")" ] \
        || skip "the source is not a git checkout: the test compares a build from it with one from a tree without git"
    build_package "$source" "$work/first" && first=$deb
    [ "$(dpkg-deb -f "$first" Package)" = ostrilume ] || fail "wrong Package field"
    [ "$(dpkg-deb -f "$first" Version)" = "$version" ] || fail "wrong Version field"
    dpkg -x "$first" "$work/root" || fail "dpkg -x"
    check_binary "$work/root/usr/bin/ostrilume"
    check_manual "$work/root/usr/share/man/man1/ostrilume.1.gz"
    check_debian_documents "$work/root/usr"
    lintian --allow-root "$first" > "$work/lintian.log" 2>&1
    ! grep -E '^[EW]:' "$work/lintian.log" || fail "lintian reports errors or warnings"
    hardening-check "$work/root/usr/bin/ostrilume" > "$work/hardening.log"
    for check in 'Position Independent Executable' 'Stack protected' 'Read-only relocations' 'Immediate binding'; do
        grep -q "^ $check: yes" "$work/hardening.log" || { cat "$work/hardening.log"; fail "$check"; }
    done
    readelf -S "$work/root/usr/bin/ostrilume" | grep -qE '\.symtab|\.debug|\.comment|\.note ' \
        && fail "the packaged binary is not stripped as dh_strip strips"
    needed=$(readelf -d "$work/root/usr/bin/ostrilume" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | grep -vE '^(libc\.so|ld-linux)')
    [ -z "$needed" ] || fail "the program loads more than the C library: $needed"

    # The same bytes from a build in another folder: the test's own build
    # when it is a Release build, which need not be built again for this.
    if grep -qx 'CMAKE_BUILD_TYPE:STRING=Release' "$build/CMakeCache.txt"; then
        cpack --config "$build/CPackConfig.cmake" -B "$work/from-the-test-build" > "$work/from-the-test-build.log" 2>&1 \
            || { tail -20 "$work/from-the-test-build.log"; fail "packing the test's own build"; }
        deb=$work/from-the-test-build/ostrilume_${version}_$(dpkg --print-architecture).deb
    else
        build_package "$source" "$work/second-build-in-another-folder"
    fi
    cmp "$first" "$deb" || fail "two builds of the same source give different packages"
    # A source tree without git: the package still builds, with the same program.
    # It takes the files git knows and the new ones it does not ignore, but
    # not the build folder, wherever that is.
    mkdir -p "$work/unpacked/ostrilume-$version"
    (cd "$source" && git ls-files -z --cached --others --exclude-standard 2> /dev/null \
        | grep -zv "^$(realpath --relative-to "$source" "$build")/" \
        | xargs -0 cp --parents -t "$work/unpacked/ostrilume-$version") || fail "copying the files git knows"
    build_package "$work/unpacked/ostrilume-$version" "$work/from-tarball"
    dpkg -x "$deb" "$work/from-tarball-root"
    cmp "$work/root/usr/bin/ostrilume" "$work/from-tarball-root/usr/bin/ostrilume" \
        || fail "the program built from another source folder differs"
    day=$(date -u -d "@$(dpkg-parsechangelog -l "$source/packaging/changelog" -S Timestamp)" +%F)
    [ "$(dpkg-deb --fsys-tarfile "$deb" | tar -tv --full-time | awk 'NR == 1 { print $4 }')" = "$day" ] \
        || fail "without git the package's files do not carry the changelog's date, $day" ;;
esac
rm -rf "$work"
echo "ok"
