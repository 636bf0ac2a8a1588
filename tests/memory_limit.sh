#!/usr/bin/env bash
# Runs the real binary on one large input under address-space limits that rise
# in small steps from the least that any run needs, until the run gets through.
# Every run must end either as the run without a limit does, or with exactly
# what that run printed up to one of the input's allocations followed by the
# memory message and exit status 1; never with a signal or a byte on standard
# error. Each allocation the input makes must be the one that fails at some
# limit, in the order the run makes them.
# Usage: memory_limit.sh BINARY WORKDIR SHAPE INSTRUMENTED
set -u
export LC_ALL=C
binary=$1 shape=$3 instrumented=$4
work=$2/$shape
if [ "$instrumented" = ON ]; then
    echo "SKIPPED: a sanitizer's or profiler's runtime needs more memory than these limits leave, and says so"
    exit 77
fi
command -v prlimit > /dev/null || { echo "SKIPPED: prlimit is not installed (Debian package util-linux)"; exit 77; }
mkdir -p "$work" && cd "$work" || exit 2
# The inputs are large: the folder stays only when the test fails.
trap 'code=$?; cd / && [ $code = 0 ] && rm -rf "$work"; exit $code' EXIT
fail() { echo "FAILED: $*"; exit 1; }

repeat() { head -c "$2" /dev/zero | tr '\0' "$1"; }

# Runs the binary on file input under a limit of $1 bytes (none when empty),
# keeping at most $cap bytes of its output in file $2.
run() {
    local limit=$1 output=$2
    shift 2
    local command=("$binary" "${arguments[@]}")
    [ -n "$limit" ] && command=(prlimit --as="$limit" "${command[@]}")
    timeout 120 "${command[@]}" < input 2> errors | head -c "$cap" > "$output"
    status=${PIPESTATUS[0]}
}

# The least limit under which a one-byte expression gets through.
baseline() {
    local low=$((1 << 20)) high=$((1 << 30)) middle
    while [ $((high - low)) -gt 65536 ]; do
        middle=$(((low + high) / 2))
        if printf '1\n' | prlimit --as="$middle" "$binary" > /dev/null 2>&1; then
            high=$middle
        else
            low=$middle
        fi
    done
    echo "$high"
}

# True when file $1 ends with the bytes of file $2.
ends_with() { cmp -s <(tail -c "$(wc -c < "$2")" "$1") "$2"; }

# Prints which allocation the run that wrote file actual failed at, "done"
# when it got through, or "past" when it printed more than cap bytes.
classify() {
    [ -s errors ] && fail "limit $limit: standard error: $(head -c 300 errors)"
    if cmp -s actual reference; then
        [ "$status" = "$reference_status" ] || fail "limit $limit: exit status $status"
        [ "$(wc -c < actual)" -ge "$cap" ] && echo past || echo done
        return
    fi
    [ "$status" = 1 ] || fail "limit $limit: exit status $status, output: $(tail -c 300 actual)"
    ends_with actual memory_message || fail "limit $limit: no memory message at the end: $(tail -c 300 actual)"
    head -c $(($(wc -c < actual) - $(wc -c < memory_message))) actual > printed
    cmp -s printed <(head -c "$(wc -c < printed)" reference) \
        || fail "limit $limit: what came before the message differs from the run without a limit"
    local site
    for site in "${sites[@]}"; do
        if ends_with printed "site_$site"; then
            echo "$site"
            return
        fi
    done
    fail "limit $limit: the message came after no known allocation: $(tail -c 300 printed)"
}

printf '\n❌ VIRHE: Muisti loppui kesken!\n' > memory_message
printf '➤ ' > site_reading
arguments=()
case $shape in
flat)
    # Few but long operands, so that the trace stays short: reading the word,
    # then the operand and operator lists, each sized by the text.
    operand="0.5$(repeat 0 997)"
    for _ in $(seq 2000); do printf '%s+' "$operand"; done > word
    printf '%s' "$operand" >> word
    arguments=(--debug)
    { printf "   Lauseke: '"; cat word; printf "'\n"; } > site_lists
    sites=(reading lists)
    steps=8
    final=done ;;
deep)
    # Reading the word, then the resolver's copy of it; the trace shows which.
    # After the copy nothing large is allocated, but the trace prints the whole
    # text at every pass, so it is cut short.
    { repeat '(' 1000000; printf '1+1'; repeat ')' 1000000; } > word
    arguments=(--debug)
    { printf '📝 Alkuperäinen: '; cat word; printf '\n'; } > site_copy
    sites=(reading copy)
    steps=8
    final=past ;;
value_growing)
    # Every (1/3) becomes the longer 0.3333333433, so the resolver's buffer
    # grows; divisions by zero mark the first and last pass and the final
    # evaluation. The first class is reading the word or copying it.
    { printf '4/0+(3/0)+'; for _ in $(seq 100000); do printf '(1/3)+'; done; printf '(2/0)'; } > word
    division() { printf '\n❌  VIRHE: Nollalla jakaminen ei ole sallittu! (%s / 0)\n' "$1"; }
    division 2 > site_growth
    division 3 > site_lists
    # The buffer grows to several times the input, in many small steps.
    sites=(reading growth lists)
    steps=2
    final=done ;;
*)
    fail "no such shape: $shape" ;;
esac
{ cat word; printf '\n'; } > input
size=$(wc -c < word)
cap=$((2 * size + 65536))
[ "$shape" = deep ] || cap=$((100 * size))

run "" reference
reference_status=$status
step=$(((size / steps + 4095) / 4096 * 4096))
limit=$(baseline)
order=("${sites[@]}" "$final")
rank=0
seen=()
while :; do
    run "$limit" actual
    class=$(classify) || { echo "$class"; exit 1; }
    for ((next = rank; next < ${#order[@]}; ++next)); do
        [ "${order[next]}" = "$class" ] && break
    done
    [ "$next" -lt ${#order[@]} ] || fail "limit $limit: $class failed after a later allocation had succeeded"
    rank=$next
    [[ " ${seen[*]} " == *" $class "* ]] || seen+=("$class")
    echo "limit $limit: $class"
    [ "$class" = "$final" ] && break
    limit=$((limit + step))
done
[ "${#seen[@]}" = "${#order[@]}" ] || fail "seen only ${seen[*]}, expected ${order[*]}"

# Without the trace the deep input gets through at the limit its copy fitted.
if [ "$shape" = deep ]; then
    arguments=()
    cap=$((100 * size))
    run "" reference
    run "$limit" actual
    [ -s errors ] && fail "limit $limit without the trace: standard error: $(head -c 300 errors)"
    [ "$status" = 0 ] && cmp -s actual reference || fail "limit $limit without the trace: did not get through"
fi
echo "ok"
