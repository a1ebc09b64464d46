#!/usr/bin/env bash
# Runs the real demo on the display for several seconds, ends it with a real Escape key
# press and checks its window title, exit status, console text, the cube-map files it
# wrote and two screenshots.
set -uo pipefail
build="$1"
source "$2/scripts/common.sh"
cd "$build/bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; echo "--- console ---"; cat "$work/out.txt"; exit 1; }

rm -rf ../Model/TextureBox_Sphere ../Model/TextureBox_Sphere_001 ../Model/TextureBox_Sphere_002
./quessel </dev/null >"$work/out.txt" 2>"$work/err.txt" &
demo=$!
# Set-up ends with the root's child names; give the loop a few seconds after that.
for _ in $(seq 1 600); do
  grep -q '^PointLight1$' "$work/out.txt" && break
  kill -0 "$demo" 2>/dev/null || fail "the demo ended during set-up"
  sleep 0.1
done
sleep 4
[ -n "$(xdotool search --name '^Quessel$' 2>/dev/null | head -n 1)" ] || fail "no window titled Quessel"
import -window root "$work/first.png"
sleep 3
import -window root "$work/second.png"
press_escape "$demo" 20 || { kill "$demo"; fail "Escape did not end the demo"; }
wait "$demo"
status=$?
[ "$status" -eq 0 ] || fail "exit status $status"

# Console text in order: readiness and driver lines, import, camera report, child names.
expected=("^Ready for OpenGL 4.3$" "^Vendor: " "^Renderer: " "^Version: " "^GLSL: "
          "Import of scene ../Model/test3.dae succeeded." "Camera location:$" "^Camera direction:$"
          "^PointLight$")
# The import line has no line feed: the camera report starts on the same line.
line=1
for pattern in "${expected[@]}"; do
  found=$(tail -n +"$line" "$work/out.txt" | grep -n -m1 -E -- "$pattern" | cut -d: -f1)
  [ -n "$found" ] || fail "missing or out of order: $pattern"
  line=$((line + found - 1))
done
grep -q "Couldn't load Image" "$work/out.txt" && fail "an image failed to load"
grep -qiE '(^|[^a-z])error' "$work/out.txt" && fail "a shader reported an error"
grep -q "GL error! " "$work/out.txt" && fail "GL errors were reported"

# Six 512 x 512, 32-bit uncompressed TGA faces per sphere.
for sphere in Sphere Sphere_001 Sphere_002; do
  for face in posx negx posy negy posz negz; do
    file="../Model/TextureBox_$sphere/$face.tga"
    [ -f "$file" ] || fail "missing $file"
    header=$(od -An -tu1 -N18 "$file" | tr -s ' \n' ' ')
    read -r -a h <<<"$header"
    [ "${h[2]}" -eq 2 ] || fail "$file is not uncompressed true-colour"
    [ $((h[12] + 256 * h[13])) -eq 512 ] && [ $((h[14] + 256 * h[15])) -eq 512 ] || fail "$file is not 512x512"
    [ "${h[16]}" -eq 32 ] || fail "$file is not 32-bit"
  done
done

# The camera moves: two screenshots differ, and neither is a single colour.
for shot in first second; do
  colours=$(identify -format '%k' "$work/$shot.png")
  [ "$colours" -gt 50 ] || fail "$shot screenshot has only $colours colours"
done
difference=$(compare -metric AE "$work/first.png" "$work/second.png" null: 2>&1 | cut -d' ' -f1)
[ "${difference%.*}" -gt 1000 ] || fail "screenshots barely differ ($difference pixels)"
echo "demo ran, ended with 0 on Escape; $difference pixels changed between the screenshots"
