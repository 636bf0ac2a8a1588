#!/usr/bin/env bash
# Runs the Windows program under wine in a real terminal (tmux), as a Windows
# user runs it in a console, beside the Linux program: typed the same
# expression, with a Finnish letter in it, both must show the same screen,
# character for character, where wine's console can show the characters at
# all (it shows each one beyond the Basic Multilingual Plane, such as the
# emoji, as two replacement marks). The console's code pages must be what they
# were before the run: a probe sets them to 850 first and reads them after.
# Usage: windows_console_test.sh WORKDIR LINUX_PROGRAM WINE_RUNNER WINDOWS_PROGRAM PROBE [--debug]
set -u
work=$1
linux=$(realpath "$2") wine=$(realpath "$3") windows=$(realpath "$4") probe=$(realpath "$5")
shift 5
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; cleanup; exit 1; }
cleanup() { terminal kill-server 2> /dev/null; rm -rf "$work"; }

command -v tmux > /dev/null || skip "tmux is not installed (Debian package tmux)"
command -v python3 > /dev/null || skip "python3 is not installed (Debian package python3)"
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 2
terminal() { SHELL=/bin/sh tmux -S ./tmux.socket "$@"; }
export LC_ALL=C.UTF-8
terminal -u -f /dev/null new-session -d -s linux -x 100 -y 80 2> /dev/null || skip "tmux cannot start a session here"
terminal new-session -d -s windows -x 100 -y 80
for session in linux windows; do
    terminal set-option -t "$session" remain-on-exit on > /dev/null
    terminal set-option -t "$session" history-limit 5000 > /dev/null
done
windows_path() { echo "Z:$(echo "$1" | tr / '\\')"; }
terminal respawn-pane -k -t linux "$(printf '%q ' "$linux" "$@")"
terminal respawn-pane -k -t windows "$(printf '%q ' "$wine" cmd /c \
    "$(windows_path "$probe") 850 & $(windows_path "$windows") $* & $(windows_path "$probe")")"

screen() { terminal capture-pane -p -t "$1" -S -; }

# Waits up to a minute (wine may start slowly) for a line of a screen.
wait_for() {
    for _ in $(seq 600); do
        screen "$1" | grep -q -- "$2" && return 0
        sleep 0.1
    done
    return 1
}

for session in linux windows; do
    wait_for "$session" '^➤ \?$' || fail "$session: the prompt never showed: $(screen "$session")"
    terminal send-keys -t "$session" 'ä3*(2+5)^2' Enter
done
wait_for linux '^Tulos:   147$' || fail "linux: no answer box"
wait_for windows '^Tulos:   147$' || fail "windows: no answer box: $(screen windows)"
# The second probe's line is whole once cmd has ended and the pane is dead.
wait_for windows '^Pane is dead' || fail "windows: cmd never ended: $(screen windows)"
[ "$(screen windows | grep -c '^code pages 850 850$')" = 2 ] \
    || fail "the console's code pages were not given back: $(screen windows | grep '^code pages')"

# The Windows screen between the two probes against the Linux screen, with
# every character beyond the Basic Multilingual Plane as two replacement marks.
screen linux | grep -v '^Pane is dead' > linux.screen
screen windows | sed -n '/^code pages/,/^code pages/p' | sed '1d;$d' > windows.screen
python3 - linux.screen windows.screen <<'PY' || fail "the screens differ"
import sys
linux, windows = (open(name, encoding="utf-8").read().rstrip("\n").split("\n") for name in sys.argv[1:])
linux = ["".join(c if ord(c) < 0x10000 else "\ufffd\ufffd" for c in line) for line in linux]
if linux != windows:
    for number, (a, b) in enumerate(zip(linux + [""] * len(windows), windows + [""] * len(linux))):
        if a != b:
            print(f"line {number + 1}:\n  linux:   {a!r}\n  windows: {b!r}")
            break
    sys.exit(1)
PY
cleanup
echo "ok"
