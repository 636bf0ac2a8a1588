#!/usr/bin/env bash
# Runs the program in a real terminal under tmux: the prompt must be on the
# screen before anything is typed, which shows that it was flushed, and the
# answer box must follow the typed expression.
# Usage: terminal_test.sh BINARY [--debug]
set -u
binary=$1
shift
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; tmux -L "$socket" capture-pane -p -t calc -S - 2> /dev/null; cleanup; exit 1; }
cleanup() { tmux -L "$socket" kill-server 2> /dev/null; }

if ! command -v tmux > /dev/null && [ "$(id -u)" = 0 ] && command -v apt-get > /dev/null; then
    { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq tmux; } > /dev/null 2>&1
fi
command -v tmux > /dev/null || skip "tmux is not installed and could not be installed"

socket=ostrilume-test-$$
export LC_ALL=C.UTF-8  # so that the screen shows the program's UTF-8 as it is
tmux -u -L "$socket" -f /dev/null new-session -d -s calc -x 100 -y 60 2> /dev/null \
    || skip "tmux cannot start a session here"
tmux -L "$socket" set-option -t calc remain-on-exit on > /dev/null
tmux -L "$socket" set-option -t calc history-limit 5000 > /dev/null
tmux -L "$socket" respawn-pane -k -t calc "$(printf '%q ' "$binary" "$@")"

screen() { tmux -L "$socket" capture-pane -p -t calc -S -; }

# Waits up to ten seconds for a line of the screen that matches $1.
wait_for() {
    for _ in $(seq 100); do
        screen | grep -q -- "$1" && return 0
        sleep 0.1
    done
    return 1
}

wait_for '^➤ \?$' || fail "the prompt never showed"
tmux -L "$socket" send-keys -t calc '3*(2+5)^2' Enter
wait_for '^Tulos:   147$' || fail "no answer box"
for line in '^➤ 3\*(2+5)^2$' '^✨ LOPULLINEN VASTAUS$' '^Lauseke: 3\*(2+5)^2$'; do
    screen | grep -q -- "$line" || fail "no line matching $line"
done
if [ "${1:-}" = --debug ]; then
    for line in '^🐛 DEBUG-TILA AKTIVOITU$' '^   LAUSEKKEEN ARVIOINTI ALOITETTU$' '^   Päivitetty: .3\*7^2.$' \
        '^✖️  Kertolasku: 3 × 49 = 147$'; do
        screen | grep -q -- "$line" || fail "no trace line matching $line"
    done
fi
cleanup
echo "ok"
