#!/usr/bin/env bash
# The four programs built with AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer
# (build-asan/), each run once the way a user runs it: quessel to Escape, quessel-study with
# its overlay shown, short runs of quessel-bench and quessel-record. None may report an
# error, and no leak may come from the project's own code (the GL driver's own leaks, in
# libraries built without the sanitizers, are not ours to fix).
# Usage: tests/sanitized/programs.sh <sanitized build dir> <source dir>
source "$(dirname "$0")/../e2e/lib/faults.sh" "$@"

export ASAN_OPTIONS=detect_leaks=1
# A leak report ends the program with its own status, told apart from other failures.
export LSAN_OPTIONS=exitcode=23
export UBSAN_OPTIONS=print_stacktrace=1

# The run ended cleanly, or with leaks none of which passes through the project's sources.
expect_sanitizer_clean() {
    local report="$OUT.err"
    if grep -qE "ERROR: AddressSanitizer|runtime error:" "$report"; then
        fail "$(grep -m 1 -E "ERROR: AddressSanitizer|runtime error:" "$report")"
    elif [ "$STATUS" = 23 ]; then
        # Each leak's stack, symbolized: a frame in our sources names a file under them and
        # its line. (The sanitized build lies under the sources too: a frame that could not be
        # symbolized names the binary there, an address outside its code, the driver's.)
        local ours="$FAULTS_SOURCE/[^ ]+\.(cpp|h|hpp|c):[0-9]+"
        if grep -qE -- "$ours" "$report"; then
            fail "a leak from the project's code: $(grep -m 1 -E -- "$ours" "$report")"
        fi
    else
        expect_status 0
    fi
}

# Runs a tool from $RUN/bin until it ends by itself (within $1 seconds); sets STATUS.
run_tool() {
    local limit="$1"
    shift
    (cd "$RUN/bin" && exec timeout -k 5 "$limit" "$@" </dev/null >"$OUT" 2>"$OUT.err")
    STATUS=$?
}

begin_case "quessel, set-up, frames and Escape"
fresh_copy
run_to_escape '^PointLight1$' && expect_sanitizer_clean

begin_case "quessel-study with the overlay shown"
fresh_copy
(cd "$RUN/bin" && exec timeout -k 5 300 ./quessel-study </dev/null >"$OUT" 2>"$OUT.err") &
pid=$!
for _ in $(seq 1 $((FAULTS_SETUP_LIMIT * 10))); do grep -q '^PointLight1$' "$OUT" && break; sleep 0.1; done
window=$(xdotool search --name '^Quessel$' 2>/dev/null | head -n 1)
xdotool key --window "$window" F1 2>/dev/null
sleep 3
press_escape "$pid" "$FAULTS_END_LIMIT" || kill "$pid" 2>/dev/null
wait "$pid"
STATUS=$?
expect_sanitizer_clean

begin_case "quessel-bench, a short run"
fresh_copy
run_tool 600 ./quessel-bench --frames 2 --block 1 --floor-frames 2 --svg "$ROOT/bench.svg"
expect_sanitizer_clean

begin_case "quessel-record, a short recording"
fresh_copy
run_tool 600 ./quessel-record --seconds 0.2 --fps 10 --out "$ROOT/loop.mp4"
expect_sanitizer_clean

finish
