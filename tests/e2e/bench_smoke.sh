#!/usr/bin/env bash
# quessel-bench, short runs of the real binary. Two rounds of three frames of each kind
# without gnuplot on PATH: the JSON line holds every figure, positive and consistent with
# each other and with the CSV's frames; the swap to the required-work shaders and back
# raised no GL error and left the demo drawing what it drew before; the missing plot is
# said, not failed. A one-frame run draws a plot with every series in it. --overlay-cost
# measures the study tool's overlay instead and says its figures. A scene brought with
# --scene, in its own look and in the demo's, is measured along its tour from t = 16 s in
# demo and floor frames only, its JSON line, table and plot naming it and its look. Bad
# options end with 2, Ctrl-C with 130, and neither leaves a file.
source "$(dirname "$0")/lib/faults.sh" "$@"
source "$(dirname "$0")/lib/scenes.sh"

BIN="$FAULTS_BUILD/bin"
LIMIT=${BENCH_LIMIT:-240}

fresh_dir() {
    DIR=$(mktemp -d)
    FAULTS_TEMPS+=("$DIR")
    OUT="$DIR.err"
    FAULTS_TEMPS+=("$OUT")
}

# Runs the bench from the run directory, standard output into $DIR.out (outside $DIR),
# standard error into $OUT; leading NAME=VALUE arguments go into its environment.
bench() {
    local vars=()
    while [ $# -gt 0 ] && [[ "$1" == *=* ]]; do vars+=("$1"); shift; done
    FAULTS_TEMPS+=("$DIR.out")
    (cd "$BIN" && exec timeout -k 5 "$LIMIT" env "${vars[@]}" ./quessel-bench "$@" </dev/null >"$DIR.out" 2>"$OUT")
    STATUS=$?
}

expect_message() { grep -qF -- "$1" "$OUT" || fail "no message \"$1\""; }

expect_no_files() {
    local left
    left=$(find "$DIR" -mindepth 1 -printf '%P ')
    [ -z "$left" ] || fail "files left behind: $left"
}

begin_case "two rounds of 3 + 3 + 3 frames, no gnuplot on PATH"
fresh_dir
bench PATH=/nonexistent --frames 6 --block 3 --svg "$DIR/bench.svg"
expect_status 0
expect_message "gnuplot is not on PATH: the plot was not drawn"
[ ! -e "$DIR/bench.svg" ] || fail "a plot without gnuplot"
[ "$(grep -c '^{"bench":' "$DIR.out")" -eq 1 ] || fail "expected exactly one JSON line"
grep -q '^demo frame ' "$DIR.out" || fail "no table on standard output"
grep '^{"bench":' "$DIR.out" >"$DIR.json"
FAULTS_TEMPS+=("$DIR.json")
python3 - "$DIR.json" "$DIR/bench.csv" <<'PY' || fail "figures or frames rejected"
import csv
import json
import math
import statistics
import sys

errors = []
with open(sys.argv[1]) as f:
    data = json.loads(f.read())

def get(path):
    node = data
    for key in path.split("."):
        if not isinstance(node, dict) or key not in node:
            errors.append(f"missing {path}")
            return None
        node = node[key]
    return node

def number(path):
    value = get(path)
    if value is None:
        return None
    if isinstance(value, bool) or not isinstance(value, (int, float)) or not math.isfinite(value):
        errors.append(f"{path} is not a finite number: {value!r}")
        return None
    return value

def positive(path):
    value = number(path)
    if value is not None and value <= 0:
        errors.append(f"{path} is not positive: {value}")
    return value

def summary(path):
    values = [positive(f"{path}.{key}") for key in ("median", "p95", "max", "mean")]
    median, p95, high, mean = values
    if None not in values and not (median <= p95 <= high and mean <= high):
        errors.append(f"{path} out of order: median {median}, p95 {p95}, max {high}, mean {mean}")
    return values

def close(a, b, what):
    if a is not None and b is not None and abs(a - b) > 0.002 * max(abs(a), abs(b)) + 0.01:
        errors.append(f"{what}: {a} against {b}")

if get("bench") != "quessel":
    errors.append("bench is not 'quessel'")
for key in ("frames", "required_frames", "floor_frames"):
    if number(key) != 6:
        errors.append(f"{key} is not 6")
if number("block") != 3:
    errors.append("block is not 3")
if (number("width"), number("height"), number("samples")) != (1280, 768, 4):
    errors.append("window is not 1280 x 768 with 4 samples")
for key in ("step_s", "start_s", "setup_s", "fps", "fps_at_median", "ratio", "ratio_to_required",
            "required_to_floor", "environment_map_to_required", "required.fps", "required.fps_at_median"):
    positive(key)
for key in ("load_before", "load_after"):
    if (number(key) or 0) < 0:
        errors.append(f"{key} is negative")
# Demo and required-work frames each move the path on by one step; still frames (the
# swap check, warm-ups) and floor frames do not.
start, end, step = number("start_s"), number("end_s"), number("step_s")
if None not in (start, end, step):
    close(end - start, 12 * step, "simulated time covered by the 6 + 6 scene frames")
if not isinstance(get("renderer"), str) or not get("renderer"):
    errors.append("renderer is empty")

frame = summary("frame_ms")
summary("cpu_issue_ms")
required = summary("required.frame_ms")
summary("required.cpu_issue_ms")
floor = summary("floor.frame_ms")
summary("floor.cpu_issue_ms")
positive("floor.fps")
gpu_passes = ["environment_map", "main", "reflect", "refract", "particles", "depth", "composite"]
for series in ("passes", "required.passes"):
    for name in ["camera"] + gpu_passes:
        summary(f"{series}.{name}.cpu_ms")
    for name in gpu_passes:
        summary(f"{series}.{name}.gpu_ms")
    if "gpu_ms" in (get(f"{series}.camera") or {}):
        errors.append(f"{series}: the camera pass has no GL work to time")
by_path = get("frame_ms_by_path") or {}
if not by_path or set(by_path) - {"move", "turn", "hold"}:
    errors.append(f"frame_ms_by_path has unexpected kinds: {sorted(by_path)}")
for kind in by_path:
    summary(f"frame_ms_by_path.{kind}")

peak, first, last = (positive(f"memory.{key}") for key in ("peak_kb", "first_kb", "last_kb"))
growth = number("memory.growth_kb")
positive("memory.window_frames")
if None not in (peak, first, last) and peak < max(first, last):
    errors.append(f"peak {peak} KiB below a resident mean ({first}, {last})")
if None not in (first, last, growth):
    close(growth, last - first, "growth against last - first")
ratio_keys = ("ratio_to_required", "ratio", "required_to_floor", "environment_map_to_required")
for key in ratio_keys:
    positive(f"block_medians.{key}")
blocks = get("blocks") or []
if len(blocks) != 2:
    errors.append(f"expected 2 blocks, got {len(blocks)}")
for index, block in enumerate(blocks):
    for key in ("demo_ms", "required_ms", "floor_ms", "environment_map_ms", "required_environment_map_ms") + ratio_keys:
        value = block.get(key)
        if not isinstance(value, (int, float)) or not value > 0:
            errors.append(f"blocks[{index}].{key} is not positive: {value!r}")
if None not in frame + floor + required:
    close(get("ratio"), frame[0] / floor[0], "ratio against the medians")
    close(get("ratio_to_required"), frame[0] / required[0], "ratio_to_required against the medians")
    close(get("required_to_floor"), required[0] / floor[0], "required_to_floor against the medians")
    close(get("fps"), 1000.0 / frame[3], "fps against the mean frame")
    close(get("fps_at_median"), 1000.0 / frame[0], "fps_at_median against the median frame")
refresh = number("passes.environment_map.gpu_ms.median")
required_refresh = number("required.passes.environment_map.gpu_ms.median")
if refresh and required_refresh:
    close(get("environment_map_to_required"), refresh / required_refresh, "environment_map_to_required")
number("gl_errors")
for kind in ("demo", "floor"):
    number(f"gl_errors_by_kind.{kind}")
# The swap is the bench's own: it must not add errors of its own, and must leave the
# demo as it was.
for key in ("gl_errors_by_kind.required", "gl_errors_by_kind.swaps", "swap_check.gl_errors"):
    if number(key) != 0:
        errors.append(f"{key} is {get(key)}")
positive("swap_check.required_mean_difference")
for key in ("restored_mean_difference", "restored_large_share"):
    if (number(f"swap_check.{key}") or 0) < 0:
        errors.append(f"swap_check.{key} is negative")
if get("swap_check.passed") is not True:
    errors.append(f"the swap check failed: {get('swap_check')}")
for goal in ("demo_within_2x_required", "environment_map_within_2x_required", "ratio_within_7", "memory_flat",
             "no_gl_error"):
    if not isinstance(get(f"goals.{goal}"), bool):
        errors.append(f"goals.{goal} is not a boolean")

# The CSV holds the frames the figures come from: six of each kind, grouped by kind, each
# kind's frames within the blocks' six places.
with open(sys.argv[2]) as f:
    rows = list(csv.DictReader(f))
kinds = [row["kind"] for row in rows]
if kinds != ["demo"] * 6 + ["required"] * 6 + ["floor"] * 6:
    errors.append(f"CSV rows by kind: {kinds}")
for name, series, path in (("demo", frame, "passes"), ("required", required, "required.passes"),
                           ("floor", floor, None)):
    chosen = [row for row in rows if row["kind"] == name]
    if None not in series and chosen:
        close(statistics.median(float(row["frame_ms"]) for row in chosen), series[0], f"{name} median in the CSV")
    if path:
        close(statistics.median(float(row["main"]) for row in chosen), number(f"{path}.main.gpu_ms.median"),
              f"{name} main pass median in the CSV")
    slots = [float(row["slot"]) for row in chosen]
    if not all(-0.5 <= slot <= 5.5 for slot in slots) or slots != sorted(slots):
        errors.append(f"{name} slots {slots}")

if errors:
    print("\n".join(errors))
    sys.exit(1)
PY

begin_case "one frame: a plot with every series"
fresh_dir
bench --frames 1 --svg "$DIR/one.svg"
expect_status 0
expect_message "plot: $DIR/one.svg"
python3 - "$DIR/one.svg" <<'PY' || fail "plot rejected"
import sys
import xml.etree.ElementTree as ET

svg = "{http://www.w3.org/2000/svg}"
root = ET.parse(sys.argv[1]).getroot()
errors = []
if root.tag != svg + "svg":
    errors.append(f"root is {root.tag}")
texts = " ".join("".join(t.itertext()) for t in root.iter(svg + "text"))
for words in ("quessel-bench: demo", "milliseconds", "frame of each kind", "hold"):
    if words not in texts:
        errors.append(f"no text '{words}'")
groups = [g for g in root.iter(svg + "g") if (g.get("id") or "").startswith("gnuplot_plot_")]
title = lambda g: g.findtext(svg + "title") or ""
# Each frame series marks its one frame beside its key entry.
for series in ("demo frame", "demo CPU issue", "required work", "floor frame"):
    marks = [len(list(g.iter(svg + "use"))) for g in groups if title(g).startswith(series)]
    if marks != [2]:
        errors.append(f"{series}: marks {marks}")
# The path row's band and the seven passes' stacked boxes.
boxes = [g for g in groups if title(g).startswith("gnuplot_plot_") and list(g.iter(svg + "polygon"))]
if len(boxes) != 8:
    errors.append(f"{len(boxes)} filled areas, not 8")
if errors:
    print("\n".join(errors))
    sys.exit(1)
PY

begin_case "a brought scene in its own look and the demo's: demo and floor frames along its tour"
for look in own demo; do
    fresh_dir
    ROOT=$DIR
    write_cube_on_floor
    bench --scene "$DIR/cube.obj" --mirror Cube --look "$look" --frames 4 --block 2 --svg "$DIR/bench.svg"
    expect_status 0
    grep -qF "scene $DIR/cube.obj, mirrors Cube; look $look" "$DIR.out" ||
        fail "$look: the table does not name the scene"
    grep -qF "no required-work frames" "$DIR/bench.svg" || fail "$look: the plot does not say what it left out"
    # Set-up names the environment of the scene's own look only.
    if grep -qF "environment: studio" "$OUT"; then drawn=own; else drawn=demo; fi
    [ "$drawn" = "$look" ] || fail "--look $look drew the $drawn look"
    python3 - "$DIR.out" "$DIR/bench.csv" "$DIR/cube.obj" "$look" <<'PY' || fail "$look: figures or frames rejected"
import csv
import json
import sys

out, frames, scene, look = sys.argv[1:]
lines = [line for line in open(out) if line.startswith('{"bench":')]
data = json.loads(lines[-1]) if len(lines) == 1 else {}
errors = [] if len(lines) == 1 else ["expected exactly one JSON line"]
expected = {"scene": scene, "look": look, "mirrors": ["Cube"], "glass": [], "frames": 4, "required_frames": 0,
            "floor_frames": 4, "start_s": 16.0, "end_s": 16.2, "gl_errors": 0}
for key, value in expected.items():
    if data.get(key) != value:
        errors.append(f"{key} is {data.get(key)!r}, not {value!r}")
# The demo's shading has no environment of its own to name.
if ("sky" in data, "background" in data) != ((True, True) if look == "own" else (False, False)):
    errors.append(f"sky and background: {data.get('sky')!r}, {data.get('background')!r}")
for key in ("required", "ratio_to_required", "swap_check"):
    if key in data:
        errors.append(f"{key} in a brought scene's line")
if "left out" not in data.get("required_work", ""):
    errors.append("required_work does not say it was left out")
# The cube's and the floor's 12 triangles each; what set-up added to the process.
memory = data.get("memory", {})
if data.get("triangles") != 24:
    errors.append(f"triangles: {data.get('triangles')!r}")
if not 0 < memory.get("before_window_kb", 0) < memory.get("after_setup_kb", 0) or \
        not memory.get("bytes_per_triangle", 0) > 0:
    errors.append(f"resident before and after set-up: {memory!r}")
# The look draws the floor (one part) in the main view of each demo frame and in the six
# faces of the cube's map each frame refreshes; the demo's shading counts nothing.
drawn = data.get("drawn", {})
if look == "demo" and drawn:
    errors.append(f"the demo's shading counted parts drawn: {drawn!r}")
if look == "own" and ((drawn.get("main", {}).get("views"), drawn.get("main", {}).get("parts"),
                       drawn.get("faces", {}).get("views")) != (4, 4, 24) or
                      not 0 < drawn["faces"].get("share", 0) <= 1 or drawn["main"].get("share") != 1):
    errors.append(f"parts drawn per view: {drawn!r}")
for path in ("setup_s", "ratio", "frame_ms.median", "floor.frame_ms.median", "passes.main.gpu_ms.median",
             "passes.environment_map.gpu_ms.median"):
    node = data
    for key in path.split("."):
        node = node.get(key, {}) if isinstance(node, dict) else {}
    if not isinstance(node, (int, float)) or not node > 0:
        errors.append(f"{path} is not positive: {node!r}")
with open(frames) as f:
    rows = list(csv.DictReader(f))
if [row["kind"] for row in rows] != ["demo"] * 4 + ["floor"] * 4:
    errors.append(f"CSV rows by kind: {[row['kind'] for row in rows]}")
# The tour's rows, not our path's (a hold at t = 16 s): its orbit is made of moves.
if [row["row_kind"] for row in rows[:4]] != ["move"] * 4:
    errors.append(f"demo frames' rows: {[(row['row'], row['row_kind']) for row in rows[:4]]}")
if errors:
    print("\n".join(errors))
    sys.exit(1)
PY
done

begin_case "the study tool's overlay, measured by the bench"
fresh_dir
bench --overlay-cost 1 --svg "$DIR/bench.svg"
expect_status 0
expect_message "measuring the overlay: 20 rounds of 1 frames with it and 1 without"
grep -qE "median frame [0-9.]+ ms with the overlay, [0-9.]+ ms without" "$OUT" || fail "no medians said"
grep -qE "process CPU time per frame [0-9.]+ ms with the overlay" "$OUT" || fail "no CPU times said"
expect_no_files

begin_case "bad options"
for options in "--frames 0" "--overlay-cost 0" "--frames abc" "--step 11" "--frames" "--nonsense" "--svg=" \
    "--look bogus" "--look" "--scene /nonexistent/cube.obj" "--background pink" "--sky /nonexistent/sky.hdr"; do
    fresh_dir
    bench --svg "$DIR/bench.svg" $options
    expect_status 2
    expect_message "Try 'quessel-bench --help'"
    [ ! -s "$DIR.out" ] || fail "$options: output on standard output"
    expect_no_files
done

begin_case "a brought scene without the node named to reflect"
fresh_dir
ROOT=$DIR
write_cube_on_floor
bench --scene "$DIR/cube.obj" --mirror Nothing --svg "$DIR/bench.svg"
expect_status 2
expect_message "Nothing"
[ -e "$DIR/bench.svg" ] && fail "a plot without a run"

begin_case "Ctrl-C during the run"
fresh_dir
(cd "$BIN" && exec ./quessel-bench --frames 300 --svg "$DIR/bench.svg" </dev/null >"$DIR.out" 2>"$OUT") &
PID=$!
for _ in $(seq 1 $((LIMIT * 10))); do
    grep -q "checking the swap" "$OUT" && break
    kill -0 "$PID" 2>/dev/null || break
    sleep 0.1
done
kill -INT "$PID"
wait "$PID"
STATUS=$?
expect_status 130
expect_message "the run interrupted by Ctrl-C (SIGINT)"
grep -q '^{"bench":' "$DIR.out" && fail "figures printed after Ctrl-C"
expect_no_files

finish
