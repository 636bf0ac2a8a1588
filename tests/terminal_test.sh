#!/usr/bin/env bash
# Runs the program in a real terminal under tmux, as a user would: types keys
# (tmux send-keys), pastes (paste-buffer with the terminal's paste brackets),
# resizes the window and sends signals, and reads the screen (capture-pane)
# and every byte the program wrote (pipe-pane).
#
# Every run goes through a wrapper that notes the terminal's settings before
# and after it, its exit status, and whatever input it left for the shell,
# which must be nothing, the settings unchanged.
# Usage: terminal_test.sh WORKDIR BINARY CASE
set -u
work=$1 binary=$2 case_name=$3
cases=$(cd "$(dirname "$0")/cases" && pwd)
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; screen 2> /dev/null; cleanup; exit 1; }
cleanup() { terminal kill-server 2> /dev/null; rm -rf "$work"; }

command -v tmux > /dev/null || skip "tmux is not installed (Debian package tmux)"

# tmux's socket stays in the work folder (a relative path, since a socket's
# whole path may be at most 107 bytes). tmux starts commands with $SHELL, or
# else the login shell, which may be nologin: here it is always /bin/sh.
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 2
terminal() { SHELL=/bin/sh tmux -S ./tmux.socket "$@"; }
export LC_ALL=C.UTF-8  # so that the screen shows the program's UTF-8 as it is
terminal -u -f /dev/null new-session -d -s calc -x 100 -y 60 2> /dev/null \
    || skip "tmux cannot start a session here"
terminal set-option -t calc remain-on-exit on > /dev/null
terminal set-option -t calc history-limit 5000 > /dev/null

cat > run.sh << 'EOF'
#!/usr/bin/env bash
trap : INT  # the program's own Ctrl+C ends it, not the wrapper
stty -g > before
sh -c 'echo $$ > pid; exec "$@"' sh "$@"
status=$?
echo  # a run that a signal ended leaves the cursor where it was
echo "EXIT=$status"
stty -g > after
read -r -t 0.3 left
echo "LEFT=[${left:-}]"
EOF

screen() { terminal capture-pane -p -J -t calc -S -; }

# Waits up to ten seconds for a line of the screen that matches $1.
wait_for() {
    for _ in $(seq 100); do
        screen | grep -q -- "$1" && return 0
        sleep 0.1
    done
    return 1
}

expect_line() { screen | grep -q -- "$1" || fail "no line matching $1"; }

# Starts the program with the arguments given, in the wrapper, and waits for
# its prompt. Output that goes elsewhere than the terminal names no prompt.
start() {
    terminal respawn-pane -k -t calc "$(printf '%q ' bash "$work/run.sh" "$@")"
    wait_for '^➤ \?$' || fail "the prompt never showed"
}

# Waits for the run to end with status $1, the terminal as it was found and
# nothing left in its input.
expect_end() {
    wait_for '^LEFT=' || fail "the run never ended"
    expect_line "^EXIT=$1\$"
    expect_line '^LEFT=\[\]$'
    cmp -s before after || fail "the terminal's settings changed: $(cat before) to $(cat after)"
}

# Types keys ("-H" first sends them as hexadecimal bytes), Enter, and expects
# the answer box with expression and result.
type_and_expect() {
    local expression=$1 result=$2
    shift 2
    terminal send-keys -t calc "$@"
    terminal send-keys -t calc Enter
    wait_for "^Tulos:   $result\$" || fail "no result $result"
    expect_line "^Lauseke: $expression\$"
    expect_end 0
}

paste_text() {
    terminal load-buffer "$1"
    terminal paste-buffer -p -t calc
}

# 1+1+…+1 with $1 ones, and no line feed.
ones() { yes 1 | head -n "$1" | paste -sd+ | tr -d '\n'; }

case $case_name in
normal)
    # Every byte the program writes, escape sequences included.
    terminal respawn-pane -k -t calc "sleep 0.3; $(printf '%q ' bash "$work/run.sh" "$binary")"
    terminal pipe-pane -t calc -o 'cat > bytes'
    wait_for '^➤ \?$' || fail "the prompt never showed"
    # An empty Enter shows the prompt again; a lone Esc is waited for and
    # passed over.
    terminal send-keys -t calc Enter 3
    terminal send-keys -t calc Escape
    sleep 0.3
    type_and_expect '3\*(2+5)^2' 147 '*(2+5)^2'
    for line in '^➤ $' '^➤ 3\*(2+5)^2$' '^✨ LOPULLINEN VASTAUS$'; do expect_line "$line"; done
    grep -aq $'\e\\[?2004h' bytes || fail "bracketed paste was never switched on"
    # Nothing of the editor's after it ends: bracketed paste off, then the box.
    sed -n $'/\e\\[?2004l/,$p' bytes | grep -q 'LOPULLINEN VASTAUS' || fail "bracketed paste still on in the box"
    [ "$(grep -ac $'\e' <(sed -n '/LOPULLINEN/,$p' bytes))" = 0 ] || fail "escape bytes in the answer box" ;;
debug)
    start "$binary" --debug
    type_and_expect '3\*(2+5)^2' 147 '3*(2+5)^2'
    for line in '^🐛 DEBUG-TILA AKTIVOITU$' '^   LAUSEKKEEN ARVIOINTI ALOITETTU$' '^   Päivitetty: .3\*7^2.$' \
        '^✖️  Kertolasku: 3 × 49 = 147$'; do
        expect_line "$line"
    done ;;
home)
    # ESC [ H, ESC [ 1 ~, ESC [ 7 ~ and ESC O H.
    for home in '1b 5b 48' '1b 5b 31 7e' '1b 5b 37 7e' '1b 4f 48'; do
        start "$binary"
        terminal send-keys -t calc '2+5)^2'
        # shellcheck disable=SC2086
        terminal send-keys -t calc -H $home
        type_and_expect '3\*(2+5)^2' 147 '3*('
    done ;;
left_and_line_ends)
    start "$binary"
    type_and_expect '3\*(2+5)^2' 147 '2+5' C-a '3*(' C-e ')2' Left '^' ;;
backspace_utf8)
    start "$binary"
    type_and_expect '2+3' 5 '2+äö€' BSpace BSpace BSpace 3 ;;
backspace_utf8_without_iutf8)
    terminal respawn-pane -k -t calc "stty -iutf8; $(printf '%q ' bash "$work/run.sh" "$binary")"
    wait_for '^➤ \?$' || fail "the prompt never showed"
    type_and_expect '2+3' 5 '2+äö€' BSpace BSpace BSpace 3 ;;
ctrl_w)
    start "$binary"
    type_and_expect '2+2' 4 '7*7' C-w '2+2' ;;
ctrl_u)
    start "$binary"
    type_and_expect '2+2' 4 '9*9' Left C-u Delete '2+2' ;;
ctrl_d_empty)
    start "$binary"
    terminal send-keys -t calc 1 BSpace C-d
    wait_for '^❌ VIRHE: Tyhjä lauseke!$' || fail "no empty-input message"
    expect_end 1 ;;
ctrl_d_after_text)
    start "$binary"
    type_and_expect '2+3' 5 '12+3' Home C-d C-d '2' End C-d ;;
paste_5199_bytes)
    ones 2600 > paste
    start "$binary"
    paste_text paste
    type_and_expect "$(cat paste)" 2600 ;;
paste_megabyte)
    ones 524288 > paste
    start "$binary"
    paste_text paste
    terminal send-keys -t calc Enter
    wait_for '^Tulos:   524288$' || fail "no result 524288"
    expect_end 0 ;;
paste_line_feed)
    printf '2+3\n4*5\n' > paste
    start "$binary"
    paste_text paste
    type_and_expect '2+3' 5
    expect_line '^➤ 2+3 4\*5 $' ;;
ctrl_c)
    start "$binary"
    terminal send-keys -t calc '12+3'
    wait_for '^➤ 12+3$' || fail "the keys were not shown"
    terminal send-keys -t calc C-c
    expect_end 130
    expect_line '^➤ 12+3^C$' ;;
sigterm | sighup)
    start "$binary"
    terminal send-keys -t calc '12+3'
    wait_for '^➤ 12+3$' || fail "the keys were not shown"
    kill -"${case_name#sig}" "$(cat pid)"
    expect_end "$([ "$case_name" = sigterm ] && echo 143 || echo 129)" ;;
suspend)
    terminal respawn-pane -k -t calc "PS1='$ ' bash --norc --noprofile -i"
    wait_for '^\$ $' || fail "no shell"
    terminal send-keys -t calc "stty -g > before; $(printf '%q' "$binary"); stty -g > after" Enter
    wait_for '^➤ \?$' || fail "the prompt never showed"
    terminal send-keys -t calc '12+3'
    wait_for '^➤ 12+3$' || fail "the keys were not shown"
    terminal send-keys -t calc C-z
    wait_for 'Stopped' || fail "Ctrl+Z did not stop the program"
    terminal send-keys -t calc fg Enter
    for _ in $(seq 100); do
        [ "$(screen | grep -v '^$' | tail -1)" = '➤ 12+3' ] && break
        sleep 0.1
    done
    [ "$(screen | grep -v '^$' | tail -1)" = '➤ 12+3' ] || fail "the line was not drawn again after fg"
    terminal send-keys -t calc 0 Enter
    wait_for '^Tulos:   42$' || fail "the line was not kept"
    sleep 0.2
    cmp -s before after || fail "the terminal's settings changed" ;;
resize)
    start "$binary"
    terminal send-keys -t calc "$(ones 150)"
    wait_for '^➤ <1+1' || fail "the long line was not shown"
    # A SIGCONT that follows no stop changes nothing.
    kill -CONT "$(cat pid)"
    terminal resize-window -t calc -x 40
    sleep 0.2
    terminal send-keys -t calc Home 9
    wait_for '^➤ 91+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1>$' || fail "the line was not drawn anew in 40 columns"
    terminal resize-window -t calc -x 100
    type_and_expect "9$(ones 150)+5" 245 End '+5' ;;
type_ahead)
    terminal respawn-pane -k -t calc "sleep 1; $(printf '%q ' bash "$work/run.sh" "$binary")"
    terminal send-keys -t calc '2*2'
    wait_for '^➤ 2\*2$' || fail "the keys typed ahead are not on the prompt's line"
    type_and_expect '2\*21' 42 '1' ;;
pipe)
    # Standard output a pipe: the bytes are those of a run from a file.
    terminal respawn-pane -k -t calc "$(printf '%q ' bash "$work/run.sh" bash -c '"$0" | cat > out' "$binary")"
    sleep 0.3
    terminal send-keys -t calc '3*(2+5)^2' Enter
    expect_end 0
    cmp out "$cases/worked_example.out" || fail "the piped bytes differ from a run from a file" ;;
dumb)
    # A terminal that cannot move its cursor, or of no known kind, gets no
    # escape sequence.
    for term in TERM=dumb TERM= -uTERM; do
        terminal respawn-pane -k -t calc "sleep 0.3; $(printf '%q ' bash "$work/run.sh" env "$term" "$binary")"
        terminal pipe-pane -t calc -o 'cat > bytes'
        wait_for '^➤ \?$' || fail "the prompt never showed"
        type_and_expect '3\*(2+5)^2' 147 '3*(2+5)^2'
        [ "$(grep -ac $'\e' bytes)" = 0 ] || fail "escape bytes written with env $term"
        terminal pipe-pane -t calc
    done ;;
ignored_ctrl_c)
    # A program started with SIGINT ignored, as nohup and a script's
    # background jobs start it, keeps it ignored.
    terminal respawn-pane -k -t calc "$(printf '%q ' bash "$work/run.sh" bash -c 'trap "" INT; exec "$0"' "$binary")"
    wait_for '^➤ \?$' || fail "the prompt never showed"
    terminal send-keys -t calc '2+'
    wait_for '^➤ 2+$' || fail "the keys were not shown"
    terminal send-keys -t calc C-c
    sleep 0.2
    type_and_expect '2+2' 4 2 ;;
control_bytes)
    # An expression from a file: shown in caret notation on the terminal, as
    # it is through a pipe.
    printf '1+\e[31m2\n' > input
    terminal respawn-pane -k -t calc "$(printf '%q ' bash "$work/run.sh" bash -c '"$0" --debug < input' "$binary")"
    expect_end 0
    expect_line '^Lauseke: 1+^\[\[31m2$'
    expect_line '^📝 Alkuperäinen: 1+^\[\[31m2$'
    "$binary" < input > out
    grep -aq $'^Lauseke: 1+\e\\[31m2$' out || fail "the piped bytes are not the expression's own" ;;
*)
    fail "no case $case_name" ;;
esac
cleanup
echo "ok"
