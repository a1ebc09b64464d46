#!/usr/bin/env bash
# scripts/run and scripts/record as a user meets them, on what the build holds
# (QUESSEL_PREBUILT=1, outputs in a folder of the test's own): --help is the usage; bad
# options end with a message and status 2 before anything starts; Ctrl-C, sent to the
# script's process group as a terminal sends it, ends with 130 and the program's message,
# the virtual display gone and nothing partial or lost; a run to the end ends with 0.
source "$(dirname "$0")/lib/faults.sh" "$@"

# Outputs of the scripts: build/bin and build/Model are the real ones, the rest is ours.
SB=$(mktemp -d)
FAULTS_TEMPS+=("$SB")
ln -s "$FAULTS_BUILD/bin" "$SB/bin"
ln -s "$FAULTS_BUILD/Model" "$SB/Model"
OUT="$SB/console.txt"
SCRIPTS="$FAULTS_SOURCE/scripts"

# Runs a script with its arguments, without a display (scripts/run would open the demo on
# one), to the end or for a minute (SCRIPT_SECONDS). Sets STATUS.
run_script() {
    env -u DISPLAY QUESSEL_PREBUILT=1 QUESSEL_BUILD="$SB" timeout -k 5 "${SCRIPT_SECONDS:-60}" "$@" </dev/null >"$OUT" 2>&1
    STATUS=$?
}

# Starts a script in the background as a terminal starts a job: a process group of its own
# ($PID) with Ctrl-C not ignored (a plain background command would ignore it).
start_script() {
    set -m
    env -u DISPLAY QUESSEL_PREBUILT=1 QUESSEL_BUILD="$SB" "$@" </dev/null >"$OUT" 2>&1 &
    PID=$!
    set +m
}

expect_console() {
    grep -qE -- "$1" "$OUT" || fail "no message matching \"$1\""
}

begin_case "--help is the usage"
for script in run record scale; do
    run_script "$SCRIPTS/$script" --help
    expect_status 0
    expect_console "^Usage|^Installs what is missing"
    ! grep -qE 'set -euo|several minutes' "$OUT" || fail "$script --help: $(tail -n 1 "$OUT")"
done

begin_case "bad options: a message and status 2"
# Arguments; the message.
while IFS=';' read -r args message; do
    # shellcheck disable=SC2086
    run_script "$SCRIPTS"/$args
    expect_status 2
    expect_console "$message"
done <<'CASES'
run --seconds abc;bad value for --seconds: "abc" \(expected whole seconds above 0\)
run --every abc;bad value for --every: "abc"
run --seconds;missing value for --seconds
run --seconds --every 3;missing value for --seconds
run --seconds 0;bad value for --seconds: "0"
run --every -1;bad value for --every: "-1"
run --frames 3;unknown option: --frames
record --seconds;quessel-record: missing value for --seconds
record --fps 0;quessel-record: bad value for --fps: "0"
record --out;quessel-record: missing value for --out
scale --sizes abc;bad value for --sizes: "abc"
scale --sizes 0;bad size in --sizes: "0"
scale --vs /nonexistent;no quessel-study in "/nonexistent"
CASES

begin_case "Ctrl-C: status 130, the program's message, no display left, nothing partial or lost"
mkdir -p "$SB/record"
echo "earlier video" >"$SB/record/quessel-loop.mp4"
# Script and arguments; what shows it is at work; the message.
while IFS=';' read -r args busy message; do
    # shellcheck disable=SC2086
    start_script "$SCRIPTS"/$args
    for _ in $(seq 1 1800); do
        eval "$busy" && break
        kill -0 "$PID" 2>/dev/null || break
        sleep 0.1
    done
    eval "$busy" || { fail "$args: never got to work"; kill -KILL -- -"$PID"; wait "$PID"; continue; }
    display=$(pgrep -P "$PID" -x Xvfb)
    kill -INT -- -"$PID"
    wait "$PID"
    STATUS=$?
    expect_status 130
    expect_console "$message"
    [ -n "$display" ] || fail "$args: no Xvfb of its own"
    for _ in $(seq 1 50); do kill -0 "$display" 2>/dev/null && sleep 0.1; done
    ! kill -0 "$display" 2>/dev/null || { fail "$args: Xvfb is still running"; kill "$display"; }
done <<'CASES'
record --seconds 30;grep -q 'frame 1/' "$OUT";quessel-record: recording interrupted by Ctrl-C \(SIGINT\)
run --seconds 60 --every 1;[ -e "$SB/screens/screen-002.png" ];run interrupted by Ctrl-C \(SIGINT\)
scale --sizes 0.05;grep -q 'after, 200 triangles' "$OUT";stopped: the rows measured so far are in .*scale.tsv; no table or plot written
CASES
[ "$(ls "$SB/record" | tr '\n' ' ')" = "quessel-loop.mp4 record.log " ] || fail "left in build/record: $(ls "$SB/record")"
[ "$(cat "$SB/record/quessel-loop.mp4")" = "earlier video" ] || fail "the earlier video was lost"
for shot in "$SB"/screens/*; do identify "$shot" >/dev/null 2>&1 || fail "a screenshot cut short: $shot"; done

begin_case "to the end: run's screenshots and Escape; record's video where --out says, its figures, stills named from the caller"
run_script "$SCRIPTS/run" --seconds 20 --every 8
expect_status 0
expect_console "demo ended with status 0"
[ "$(ls "$SB/screens" | tr '\n' ' ')" = "screen-001.png screen-002.png " ] || fail "screenshots: $(ls "$SB/screens")"
cd "$SB" && run_script "$SCRIPTS/record" --seconds 1 --fps 2 --stills shots --out clip.mp4 && cd - >/dev/null
expect_status 0
expect_console "video: +$SB/clip.mp4 \(2 frames, 1\.0+ s\)"
expect_console "preview: $SB/clip.webp"
[ -s "$SB/clip.webp" ] || fail "no preview beside the video named with --out"
[ "$(ls "$SB/shots" | tr '\n' ' ')" = "frame-00000.png frame-00001.png " ] || fail "stills: $(ls "$SB/shots")"

begin_case "scale: a field measured to the end, its row in the table, the plot drawn"
# Six tool runs (two fields: a shot, two recordings, a bench each): more than a minute on a busy machine.
SCRIPT_SECONDS=300 run_script "$SCRIPTS/scale" --sizes 0.0005 --out "$SB/scale"
expect_status 0
expect_console "after, 500 triangles: first frame [0-9.]+ s, peak [0-9]+ MiB, recorded [0-9.]+ fps, with a mirror [0-9.]+ fps"
python3 - "$SB/scale/scale.tsv" "$SB/scale/scale.md" <<'PY' || fail "the table: $(cat "$SB/scale/scale.md")"
import csv, sys
rows = list(csv.DictReader(open(sys.argv[1]), delimiter="\t"))
assert [(r["build"], r["triangles"]) for r in rows] == [("after", "200"), ("after", "500")], rows
for r in rows:
    for key in ("first_frame_s", "peak_kib", "recorded_fps", "mirror_recorded_fps", "setup_s", "setup_added_kib"):
        assert float(r[key]) > 0, (key, r)
    # The ball's cube-map faces see only part of the field.
    assert 0 < float(r["face_share"]) < float(r["main_view_share"]) <= 1, r
table = open(sys.argv[2]).read()
assert "| 0.0005 M |" in table and "after: one size measured" in table, table
PY
[ -s "$SB/scale/scale.svg" ] && [ -s "$SB/scale/scale.png" ] || fail "no plot drawn"

finish
