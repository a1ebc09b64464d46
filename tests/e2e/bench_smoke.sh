#!/usr/bin/env bash
# Runs quessel-bench for a handful of frames on the display and checks what it reports:
# the JSON line parses and holds every figure, positive and consistent with each other,
# and the SVG plot is well-formed with one point per frame and one area per pass.
set -uo pipefail
build="$1"
cd "$build/bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; echo "--- output ---"; cat "$work/out.txt"; exit 1; }

./quessel-bench --frames 5 --floor-frames 5 --svg "$work/bench.svg" </dev/null >"$work/out.txt" 2>&1
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
for key in ("frames", "floor_frames"):
    if number(key) != 5:
        errors.append(f"{key} is not 5")
if (number("width"), number("height")) != (1280, 768):
    errors.append("window is not 1280 x 768")
if number("samples") != 4:
    errors.append("window is not 4-sample")
for key in ("step_s", "start_s", "setup_s", "fps", "fps_at_median", "ratio"):
    positive(key)
for key in ("load_before", "load_after"):
    value = number(key)
    if value is not None and value < 0:
        errors.append(f"{key} is negative")
if not isinstance(get("renderer"), str) or not get("renderer"):
    errors.append("renderer is empty")

frame = summary("frame_ms")
summary("cpu_issue_ms")
floor = summary("floor.frame_ms")
summary("floor.cpu_issue_ms")
positive("floor.fps")
gpu_passes = ["environment_map", "main", "reflect", "refract", "particles", "depth", "composite"]
for name in ["camera"] + gpu_passes:
    summary(f"passes.{name}.cpu_ms")
for name in gpu_passes:
    summary(f"passes.{name}.gpu_ms")
if "gpu_ms" in (get("passes.camera") or {}):
    errors.append("the camera pass has no GL work to time")
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
if None not in frame and None not in floor:
    close(get("ratio"), frame[0] / floor[0], "ratio against the medians")
    close(get("fps"), 1000.0 / frame[3], "fps against the mean frame")
    close(get("fps_at_median"), 1000.0 / frame[0], "fps_at_median against the median frame")
number("gl_errors")
for goal in ("ratio_within_3", "environment_map_within_third", "memory_flat"):
    if not isinstance(get(f"goals.{goal}"), bool):
        errors.append(f"goals.{goal} is not a boolean")

svg = "{http://www.w3.org/2000/svg}"
root = ET.parse(sys.argv[2]).getroot()
if root.tag != svg + "svg":
    errors.append(f"SVG root is {root.tag}")
lines = {e.get("id"): e for e in root.iter(svg + "polyline")}
if "frame-time" not in lines:
    errors.append("no frame-time line in the SVG")
elif len(lines["frame-time"].get("points").split()) != 5:
    errors.append("the frame-time line does not have one point per frame")
areas = {e.get("id") for e in root.iter(svg + "polygon")}
for name in gpu_passes:
    if f"pass-{name}" not in areas:
        errors.append(f"no area for the {name} pass in the SVG")

if errors:
    print("\n".join(errors))
    sys.exit(1)
PY
echo "bench ran 5 + 5 frames; JSON and SVG checked"
