#!/usr/bin/env bash
# Runs quessel-bench for two rounds of three demo, required-work and floor frames on the
# display and checks what it reports: the JSON line parses and holds every figure,
# positive and consistent with each other; the swap to the required-work shaders and
# back raised no GL error and left the demo drawing what it drew before; the SVG plot is
# well-formed with one point per frame in each of the three series and one area per pass.
set -uo pipefail
build="$1"
cd "$build/bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; echo "--- output ---"; cat "$work/out.txt"; exit 1; }

./quessel-bench --frames 6 --block 3 --svg "$work/bench.svg" </dev/null >"$work/out.txt" 2>&1
status=$?
[ "$status" -eq 0 ] || fail "quessel-bench ended with status $status"
[ "$(grep -c '^{"bench":' "$work/out.txt")" -eq 1 ] || fail "expected exactly one JSON line"
grep -q '^demo frame ' "$work/out.txt" || fail "no table on standard output"
grep '^{"bench":' "$work/out.txt" >"$work/bench.json"
[ -s "$work/bench.svg" ] || fail "no SVG written"

python3 - "$work/bench.json" "$work/bench.svg" <<'PY' || fail "figures or plot rejected"
import json
import math
import sys
import xml.etree.ElementTree as ET

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
if (number("width"), number("height")) != (1280, 768):
    errors.append("window is not 1280 x 768")
if number("samples") != 4:
    errors.append("window is not 4-sample")
for key in ("step_s", "start_s", "setup_s", "fps", "fps_at_median", "ratio", "ratio_to_required",
            "required_to_floor", "environment_map_to_required", "required.fps", "required.fps_at_median"):
    positive(key)
for key in ("load_before", "load_after"):
    value = number(key)
    if value is not None and value < 0:
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

peak = positive("memory.peak_kb")
first = positive("memory.first_kb")
last = positive("memory.last_kb")
growth = number("memory.growth_kb")
positive("memory.window_frames")
if None not in (peak, first, last):
    if peak < max(first, last):
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
if None not in frame and None not in floor and None not in required:
    close(get("ratio"), frame[0] / floor[0], "ratio against the medians")
    close(get("ratio_to_required"), frame[0] / required[0], "ratio_to_required against the medians")
    close(get("required_to_floor"), required[0] / floor[0], "required_to_floor against the medians")
refresh = number("passes.environment_map.gpu_ms.median")
required_refresh = number("required.passes.environment_map.gpu_ms.median")
if refresh and required_refresh:
    close(get("environment_map_to_required"), refresh / required_refresh, "environment_map_to_required")
    close(get("fps"), 1000.0 / frame[3], "fps against the mean frame")
    close(get("fps_at_median"), 1000.0 / frame[0], "fps_at_median against the median frame")
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
    value = number(f"swap_check.{key}")
    if value is not None and value < 0:
        errors.append(f"swap_check.{key} is negative")
if get("swap_check.passed") is not True:
    errors.append(f"the swap check failed: {get('swap_check')}")
for goal in ("demo_within_2x_required", "environment_map_within_2x_required", "ratio_within_7", "memory_flat",
             "no_gl_error"):
    if not isinstance(get(f"goals.{goal}"), bool):
        errors.append(f"goals.{goal} is not a boolean")

svg = "{http://www.w3.org/2000/svg}"
root = ET.parse(sys.argv[2]).getroot()
if root.tag != svg + "svg":
    errors.append(f"SVG root is {root.tag}")
lines = {e.get("id"): e for e in root.iter(svg + "polyline")}
for line in ("frame-time", "required-frame-time", "floor-frame-time"):
    if line not in lines:
        errors.append(f"no {line} line in the SVG")
    elif len(lines[line].get("points").split()) != 6:
        errors.append(f"the {line} line does not have one point per frame")
areas = {e.get("id") for e in root.iter(svg + "polygon")}
for name in gpu_passes:
    if f"pass-{name}" not in areas:
        errors.append(f"no area for the {name} pass in the SVG")

if errors:
    print("\n".join(errors))
    sys.exit(1)
PY
echo "bench ran 6 + 6 + 6 frames in two rounds; JSON, swap check and SVG checked"
