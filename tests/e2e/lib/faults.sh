# Shared helpers for the fault tests (sourced, not run). Each case gets a private copy
# of the run directory (run/bin beside run/Model, as the demo's relative paths need),
# breaks something in it, runs the real binary there and checks what it printed and how
# it ended. The staged build directory itself is never touched.
#
# Usage in a test script:
#   source "$(dirname "$0")/lib/faults.sh" "$@"
#   begin_case "name"; fresh_copy; ...break "$RUN"...; run_to_escape '^PointLight1$'
#   expect_status 0; expect_output "Couldn't load Image: smoke.png"
#   ...
#   finish

set -uo pipefail
FAULTS_BUILD=$(cd "${1:?usage: <script> <buildDir> <sourceDir>}" && pwd)
FAULTS_SOURCE=$(cd "${2:?usage: <script> <buildDir> <sourceDir>}" && pwd)
source "$FAULTS_SOURCE/scripts/common.sh"

# Seconds a run may take to reach the frame loop, and to end once Escape is pressed.
FAULTS_SETUP_LIMIT=${FAULTS_SETUP_LIMIT:-90}
FAULTS_END_LIMIT=${FAULTS_END_LIMIT:-20}

FAULTS_FAILURES=0
FAULTS_CASES=0
FAULTS_CASE=""
FAULTS_TEMPS=()
ROOT=""
RUN=""
STATUS=""
OUT=""

faults_cleanup() {
    local dir
    for dir in "${FAULTS_TEMPS[@]}"; do
        # Mounts and write protection made by a case must not stop the removal.
        while mountpoint -q "$dir/outer/run/Model" 2>/dev/null; do
            umount "$dir/outer/run/Model" 2>/dev/null || break
        done
        chmod -R u+w "$dir" 2>/dev/null
        rm -rf "$dir"
    done
    [ -n "${FAULTS_OWN_DISPLAY:-}" ] && stop_display
}
trap faults_cleanup EXIT

# The tests are run with a display; started alone, bring up a virtual one.
if [ -z "${DISPLAY:-}" ]; then
    start_display || { echo "FAIL: no display"; exit 1; }
    FAULTS_OWN_DISPLAY=1
fi

begin_case() {
    FAULTS_CASE="$1"
    FAULTS_CASES=$((FAULTS_CASES + 1))
    echo "--- case: $FAULTS_CASE"
}

# Prints the failure with the console text of the run and counts it; the script goes on
# with the next case so one report shows every broken case.
fail() {
    echo "FAIL [$FAULTS_CASE]: $*"
    if [ -n "$OUT" ] && [ -f "$OUT" ]; then
        echo "  --- console (last 40 lines) ---"
        tail -n 40 "$OUT" | cut -c1-300 | sed 's/^/  | /'
        [ -s "$OUT.err" ] && { echo "  --- stderr (last 20 lines) ---"; tail -n 20 "$OUT.err" | cut -c1-300 | sed 's/^/  | /'; }
    fi
    FAULTS_FAILURES=$((FAULTS_FAILURES + 1))
    return 1
}

# A fresh copy of the staged run directory: $RUN/bin and $RUN/Model, two levels below a
# new temp root $ROOT, so that a path climbing out of the run directory still lands
# inside the root where list_new_files sees it. The binary is linked, not copied.
fresh_copy() {
    ROOT=$(mktemp -d)
    FAULTS_TEMPS+=("$ROOT")
    RUN="$ROOT/outer/run"
    mkdir -p "$RUN/bin" "$RUN/Model"
    local entry
    for entry in "$FAULTS_BUILD/bin"/*; do
        [ "$(basename "$entry")" = quessel ] && continue
        cp -r "$entry" "$RUN/bin/"
    done
    ln -s "$FAULTS_BUILD/bin/quessel" "$RUN/bin/quessel"
    cp "$FAULTS_BUILD/Model/test3.dae" "$RUN/Model/"
    cp -r "$FAULTS_BUILD/Model/TextureBox_Sphere_003" "$RUN/Model/"
    OUT="$ROOT/out.txt"
    : >"$OUT"
}

# Records every path under the root; list_new_files then reports what a run added.
snapshot_files() {
    (cd "$ROOT" && find . -mindepth 1 | sort) >"$ROOT/.before"
}

# Paths (relative to $RUN, e.g. ./Model/TextureBox_Sphere/posx.tga, or ../escape) that
# the last run created anywhere under the temp root, console files excluded.
list_new_files() {
    (cd "$ROOT" && find . -mindepth 1 | sort) | comm -13 "$ROOT/.before" - |
        grep -vxE '\./(out\.txt|out\.txt\.err|\.before)' |
        sed -e 's|^\./outer/run/|./|;t' -e 's|^\./outer/|../|;t' -e 's|^\./|../../|'
}

# Runs the demo in $RUN/bin, waits until set-up has printed a line matching $1 (the end of
# set-up: the root's child names), lets a few frames pass, presses Escape and waits for the
# end. Extra arguments are environment assignments for the run. Sets STATUS (124: it
# hung and was killed; 125: set-up never finished).
run_to_escape() {
    local marker="$1"
    shift
    STATUS=""
    snapshot_files
    (cd "$RUN/bin" && exec env "$@" timeout -k 5 $((FAULTS_SETUP_LIMIT + FAULTS_END_LIMIT + 30)) \
        ./quessel </dev/null >"$OUT" 2>"$OUT.err") &
    local demo=$!
    local ticks=0
    while ! grep -qE -- "$marker" "$OUT"; do
        if ! kill -0 "$demo" 2>/dev/null; then
            wait "$demo"
            STATUS=$?
            fail "the demo ended during set-up with status $STATUS"
            return 1
        fi
        ticks=$((ticks + 1))
        if [ "$ticks" -ge $((FAULTS_SETUP_LIMIT * 10)) ]; then
            kill -- "$demo" 2>/dev/null
            wait "$demo"
            STATUS=125
            fail "set-up did not finish within $FAULTS_SETUP_LIMIT s"
            return 1
        fi
        sleep 0.1
    done
    # A couple of frames after set-up; Escape is seen by the next frame's key poll.
    sleep 1.5
    if ! press_escape "$demo" "$FAULTS_END_LIMIT"; then
        kill -- "$demo" 2>/dev/null
        wait "$demo"
        STATUS=124
        fail "Escape did not end the demo within $FAULTS_END_LIMIT s"
        return 1
    fi
    wait "$demo"
    STATUS=$?
    return 0
}

# Runs the demo in $RUN/bin expecting it to stop by itself within $1 seconds; the rest are
# the command's prefix (e.g. env -u DISPLAY). Standard input is not a terminal. Sets STATUS.
run_to_end() {
    local limit="$1"
    shift
    snapshot_files
    (cd "$RUN/bin" && exec "$@" timeout -k 5 "$limit" ./quessel </dev/null >"$OUT" 2>"$OUT.err")
    STATUS=$?
    [ "$STATUS" -ne 124 ] || { fail "the demo did not end within $limit s (hang)"; return 1; }
    return 0
}

# Status checks. A status of 128 or more is a signal (a crash), 124 a hang.
expect_status() {
    [ "$STATUS" = "$1" ] && return 0
    if [ "$STATUS" -ge 128 ] 2>/dev/null; then
        fail "crashed: exit status $STATUS (signal $((STATUS - 128))), expected $1"
    elif [ "$STATUS" = 124 ]; then
        fail "did not end in time (a hang, killed by timeout), expected status $1"
    else
        fail "exit status $STATUS, expected $1"
    fi
}

# A whole console line equal to the text (fixed string).
expect_line() {
    grep -qxF -- "$1" "$OUT" || fail "no console line \"$1\""
}

# The console lines as printed, except that the import success line, which has no line
# feed of its own, is split from whatever follows it.
console_lines() {
    sed 's/^\(Import of scene .* succeeded\.\)\(..*\)$/\1\n\2/' "$OUT"
}

# A line of the console (see console_lines) equal to the text.
expect_message() {
    console_lines | grep -qxF -- "$1" || fail "no console message \"$1\""
}

# Console text containing the fixed string.
expect_output() {
    grep -qF -- "$1" "$OUT" || fail "console lacks \"$1\""
}

expect_no_output() {
    ! grep -qF -- "$1" "$OUT" || fail "console unexpectedly has \"$1\""
}

# The console line matching the extended regex $1 comes before the one matching $2.
expect_order() {
    local first second
    first=$(grep -nE -- "$1" "$OUT" | head -n 1 | cut -d: -f1)
    second=$(grep -nE -- "$2" "$OUT" | head -n 1 | cut -d: -f1)
    [ -n "$first" ] && [ -n "$second" ] && [ "$first" -lt "$second" ] ||
        fail "\"$1\" does not come before \"$2\""
}

# The run wrote exactly the listed paths (as list_new_files gives them) and nothing else
# anywhere under the temp root.
expect_new_files() {
    local expected actual
    expected=$(printf '%s\n' "$@" | sed '/^$/d' | sort)
    actual=$(list_new_files)
    [ "$expected" = "$actual" ] && return 0
    fail "files created differ from the expected ones:
$(diff <(echo "$expected") <(echo "$actual") | sed 's/^/    /')"
}

# A cube-map folder and its six face files, as list_new_files names them.
faces_of() {
    local face
    echo "./Model/$1"
    for face in posx negx posy negy posz negz; do echo "./Model/$1/$face.tga"; done
}

# Every face file of a cube-map folder under $RUN/Model is a whole 512 x 512, 32-bit TGA
# (an 18-byte header and the pixels).
expect_complete_faces() {
    local face file size
    for face in posx negx posy negy posz negz; do
        file="$RUN/Model/$1/$face.tga"
        [ -f "$file" ] || { fail "missing $1/$face.tga"; continue; }
        size=$(stat -c %s "$file")
        [ "$size" -eq $((18 + 512 * 512 * 4)) ] || fail "$1/$face.tga has $size bytes, not a whole face"
    done
}

# No face file under $RUN/Model is cut short: whatever was written is whole.
expect_no_partial_faces() {
    local partial
    partial=$(find "$RUN/Model" -path '*/TextureBox_Sphere_003' -prune -o -type f -name '*.tga' \
        ! -size "$((18 + 512 * 512 * 4))c" -printf '%P (%s bytes) ')
    [ -z "$partial" ] || fail "face files cut short were left: $partial"
}

# Renames a node of the copied scene: its id (the name Assimp gives the node) and its
# name attribute. Fails the case when the scene has no such node.
rename_node() {
    local file="$RUN/Model/test3.dae"
    grep -qF -- "<node id=\"$1\" name=\"$1\" " "$file" || { fail "the scene has no node $1"; return 1; }
    local old new
    old=$(printf '%s' "$1" | sed -e 's/[]\/$*.^[|]/\\&/g')
    new=$(printf '%s' "$2" | sed -e 's/[\/&|]/\\&/g')
    sed -i "s|<node id=\"$old\" name=\"$old\" |<node id=\"$new\" name=\"$new\" |" "$file"
}

# Ends the script: a summary and the exit status ctest reads.
finish() {
    if [ "$FAULTS_FAILURES" -eq 0 ]; then
        echo "PASS: $FAULTS_CASES cases"
        exit 0
    fi
    echo "FAILED: $FAULTS_FAILURES check(s) in $FAULTS_CASES cases"
    exit 1
}
