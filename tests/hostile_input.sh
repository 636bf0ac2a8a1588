#!/usr/bin/env bash
# Feeds the real binary input that a careless script or a hostile user could
# send, and checks every byte of standard output and the exit status.
# Usage: hostile_input.sh BINARY WORKDIR CASE INSTRUMENTED
set -u
binary=$1
work=$2/$3
case_name=$3
instrumented=${4:-OFF}
mkdir -p "$work"
cd "$work" || exit 2
# Some inputs are large: the folder stays only when the case fails.
trap 'code=$?; cd / && [ $code = 0 ] && rm -rf "$work"; exit $code' EXIT

rule='═════════════════════════════════════════════════════'

# The banner, the input request and the prompt, as every run prints them.
opening() {
    printf '%s\n' "$rule" '  Tekijä: Ostrilume-kehitystiimi - tarkka laskin V2  ' \
        '-----------------------------------------------------' \
        '                  🧮 Ostrilume V2                    ' "$rule" \
        '📥 Syötä yhtälö' '   Esimerkki: (2^4) tai 3*(2+5)^2' ''
    printf '➤ '
}

# The answer box for the expression held in file $1 and the result $2.
answer_box() {
    printf '\n%s\n✨ LOPULLINEN VASTAUS\n%s\nLauseke: ' "$rule" "$rule"
    cat "$1"
    printf '\nTulos:   %s\n%s\n' "$2" "$rule"
}

# Writes the word in file $1 and a line feed as the input.
input_of() { { cat "$1"; printf '\n'; } > input; }

repeat() { head -c "$2" /dev/zero | tr '\0' "$1"; }

# Runs the binary on file input (or as "$@" says) with a time limit.
run() {
    timeout 120 "$binary" "$@" > actual
    status=$?
}

check() {
    local expected_status=$1 failed=0
    if ! cmp -s expected actual; then
        echo "standard output differs from the expected bytes:"
        cmp expected actual | head -1
        diff <(head -c 2000 expected | cat -v) <(head -c 2000 actual | cat -v) | head -20
        failed=1
    fi
    if [ "$status" != "$expected_status" ]; then
        echo "exit status $status, expected $expected_status"
        failed=1
    fi
    exit $failed
}

unreadable_input() {
    { opening; printf '\n❌ VIRHE: Syötteen lukeminen epäonnistui!\n'; } > expected
}

case $case_name in
nul_and_invalid_utf8)
    printf '1\0+2\377*3\300' > word
    input_of word
    run < input
    { opening; answer_box word 7; } > expected
    check 0 ;;
crlf_line_end)
    printf '2*3\r\n4\r\n' > input
    printf '2*3' > word
    run < input
    { opening; answer_box word 6; } > expected
    check 0 ;;
million_digit_fraction)
    { printf '0.'; repeat 3 1000000; } > word
    input_of word
    run < input
    { opening; answer_box word 0.33333334; } > expected
    check 0 ;;
million_digit_number)
    repeat 9 1000000 > word
    input_of word
    run < input
    { opening; printf "\n❌ VIRHE: Luku on lukualueen ulkopuolella: '"; cat word; printf "'\n"
      answer_box word 0; } > expected
    check 0 ;;
million_opening_parentheses)
    repeat '(' 1000000 > word
    input_of word
    run < input
    { opening
      printf '\n❌ VIRHE: Sulkeet eivät täsmää! Avaussulkua 999999 kohdalla ei löydy vastaavaa sulkea.\n'
      answer_box word 0; } > expected
    check 0 ;;
million_closing_parentheses)
    repeat ')' 1000000 > word
    input_of word
    run < input
    { opening; printf '\n❌ VIRHE: Ei numeroita lausekkeessa!\n'; answer_box word 0; } > expected
    check 0 ;;
hundred_megabyte_word)
    # 1+1+...+1 with 50 million ones: the float sum stops growing at 2^24.
    # What this guards is a word of any size read whole; an instrumented
    # build, slower by tens of times, reads 4 MB, whose 2^21 ones add up
    # exactly, in as few seconds as the plain build takes for 100 MB.
    ones=50000000 sum=16777216
    [ "$instrumented" = ON ] && ones=2097152 sum=2097152
    { yes '1+' | head -n $((ones - 1)) | tr -d '\n'; printf '1'; } > word
    input_of word
    run < input
    { opening; answer_box word $sum; } > expected
    check 0 ;;
stdin_closed)
    run <&-
    unreadable_input
    check 1 ;;
stdin_directory)
    run < /
    unreadable_input
    check 1 ;;
stdout_full)
    printf '3*(2+5)^2\n' > input
    timeout 60 "$binary" --debug < input > /dev/full
    status=$?
    [ "$status" = 1 ] || { echo "exit status $status, expected 1"; exit 1; }
    exit 0 ;;
stdout_closed_pipe)
    # A pipe whose reading end is closed before the program writes.
    rm -f pipe && mkfifo pipe
    exec 3<> pipe 4> pipe 3>&-
    printf '3*(2+5)^2\n' | timeout 60 "$binary" --debug >&4
    status=$?
    exec 4>&-
    [ "$status" = 1 ] || { echo "exit status $status, expected 1"; exit 1; }
    exit 0 ;;
*)
    echo "no such case: $case_name"
    exit 2 ;;
esac
