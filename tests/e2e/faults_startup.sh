#!/usr/bin/env bash
# Start-up failures: no display (GLFW cannot start) and no OpenGL 4.3 (Mesa told to
# offer less, so the 4.3 core window cannot be made). Each prints its fixed text, and
# nothing else, then ends: 255 (exit(-1)) after GLFW, 1 after the window. The "pause"
# of the GLFW path waits for Enter only on a terminal; with standard input a pipe that
# never delivers anything, or /dev/null, nothing waits.
source "$(dirname "$0")/lib/faults.sh" "$@"

GLFW_TEXT='GLFW konnte nicht initialisiert werden!\n'
# Windows-1252: the ö is the single byte 0xF6.
WINDOW_TEXT='GLFW Window konnte nicht ge\xF6ffnet werden!\n'

# The console holds exactly the bytes of printf TEXT.
expect_exact_output() {
    printf "$1" | cmp -s - "$OUT" && return 0
    fail "console bytes differ: $(od -An -c "$OUT" | tr -s ' \n' ' ' | cut -c1-200)"
}

# Runs the demo with standard input a pipe that stays open and never delivers anything:
# a wait for input shows as status 124. Arguments: time limit, then the env prefix.
run_with_open_pipe() {
    local limit="$1"
    shift
    snapshot_files
    mkfifo "$ROOT/stdin"
    # Held open for reading and writing here, so the demo's end never sees end-of-file.
    exec 8<>"$ROOT/stdin"
    (cd "$RUN/bin" && exec "$@" timeout -k 5 "$limit" ./quessel <"$ROOT/stdin" >"$OUT" 2>"$OUT.err")
    STATUS=$?
    exec 8>&-
}

# A display number nobody serves.
unused_display() {
    local number
    for number in $(seq 4000 4100); do
        [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] || { echo ":$number"; return; }
    done
}

begin_case "no display, standard input /dev/null"
fresh_copy
run_to_end 30 env -u DISPLAY && expect_status 255
expect_exact_output "$GLFW_TEXT"

begin_case "a display nobody serves, standard input a pipe left open"
fresh_copy
run_with_open_pipe 30 env DISPLAY="$(unused_display)"
expect_status 255
expect_exact_output "$GLFW_TEXT"

begin_case "no display, standard input a terminal: waits for Enter"
fresh_copy
if command -v script >/dev/null 2>&1; then
    mkfifo "$ROOT/keys"
    (cd "$RUN/bin" && exec timeout -k 5 60 script -qec "env -u DISPLAY ./quessel" /dev/null \
        <"$ROOT/keys" >"$OUT" 2>"$OUT.err") &
    demo=$!
    exec 7>"$ROOT/keys"
    for _ in $(seq 1 200); do
        grep -q "GLFW konnte nicht initialisiert werden!" "$OUT" && break
        sleep 0.1
    done
    expect_output "GLFW konnte nicht initialisiert werden!"
    sleep 1
    kill -0 "$demo" 2>/dev/null || fail "ended without waiting for a key on a terminal"
    echo >&7
    exec 7>&-
    wait "$demo"
    STATUS=$?
    expect_status 255
else
    echo "  SKIP: script (util-linux) is not installed"
fi

# Mesa honours either override: a 4.3 core context is then refused and the window fails.
for override in "MESA_GL_VERSION_OVERRIDE=3.3" "MESA_GLSL_VERSION_OVERRIDE=330" \
    "MESA_GL_VERSION_OVERRIDE=3.3 MESA_GLSL_VERSION_OVERRIDE=330"; do
    begin_case "no OpenGL 4.3 ($override), standard input a pipe left open"
    fresh_copy
    # shellcheck disable=SC2086
    run_with_open_pipe 60 env $override
    if grep -q "^Vendor: " "$OUT"; then
        echo "  SKIP: the driver ignored $override and made a 4.3 context"
        continue
    fi
    expect_status 1
    expect_exact_output "$WINDOW_TEXT"
done

begin_case "no OpenGL 4.3, standard input a terminal: no wait on this path"
fresh_copy
if command -v script >/dev/null 2>&1; then
    mkfifo "$ROOT/keys"
    (cd "$RUN/bin" && exec timeout -k 5 60 script -qec "env MESA_GL_VERSION_OVERRIDE=3.3 ./quessel" /dev/null \
        <"$ROOT/keys" >"$OUT" 2>"$OUT.err") &
    demo=$!
    exec 7>"$ROOT/keys"
    wait "$demo"
    STATUS=$?
    exec 7>&-
    expect_status 1
    expect_output "$(printf "$WINDOW_TEXT" | head -c 27)"
else
    echo "  SKIP: script (util-linux) is not installed"
fi

finish
