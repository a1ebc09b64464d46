#!/usr/bin/env bash
# quessel-study, the real binary on the display with real key presses: paused frames are
# identical and running ones are not; F1 changes the overlay's corner and F1 again gives
# the frame back; Tab then W flies away and Tab comes back to the very frame; F5 with a
# broken shader keeps running and prints the log; the end makes no GLFW call after GLFW
# has ended; a glTF scene exported from ours draws,
# with its images found beside it first and embedded ones decoded or named; F12 writes a
# PNG named by the demo time --start began at; --help and bad options.
source "$(dirname "$0")/lib/faults.sh" "$@"

# Seconds after a key press for the frames to show it (a frame takes up to half a second
# on a busy machine's software GL).
SETTLE=${SETTLE:-2}

# Starts quessel-study in the copy's bin/; returns once set-up is done and frames are drawn.
start_study() {
    (cd "$RUN/bin" && exec timeout -k 5 600 ./quessel-study "$@" </dev/null >"$OUT" 2>"$OUT.err") &
    PID=$!
    local ticks=0
    until grep -q '^PointLight1$' "$OUT"; do
        kill -0 "$PID" 2>/dev/null && [ "$ticks" -lt $((FAULTS_SETUP_LIMIT * 10)) ] ||
            { kill "$PID" 2>/dev/null; fail "set-up did not end"; return 1; }
        ticks=$((ticks + 1))
        sleep 0.1
    done
    WINDOW=$(xdotool search --name '^Quessel$' 2>/dev/null | head -n 1)
    xdotool windowfocus --sync "$WINDOW" 2>/dev/null
    sleep "$SETTLE"
}

press() { xdotool key --window "$WINDOW" "$@" 2>/dev/null; sleep "$SETTLE"; }
shot() { import -window root "$ROOT/$1.png"; }
# Pixels that differ between two screenshots ($3: only in the overlay's top-left corner).
differing() {
    compare -metric AE ${3:+-extract 600x400+0+0} "$ROOT/$1.png" "$ROOT/$2.png" null: 2>&1 | cut -d' ' -f1
}
expect_same() { [ "$(differing "$@")" = 0 ] || fail "$1 and $2 differ in $(differing "$@") pixels"; }
expect_different() { [ "$(differing "$@" | cut -d. -f1)" -gt 1000 ] || fail "$1 and $2 differ in $(differing "$@") pixels"; }
expect_picture() { [ "$(identify -format '%k' "$ROOT/$1.png")" -gt 50 ] || fail "$1 is nearly a flat colour"; }

end_study() {
    xdotool key --window "$WINDOW" Escape 2>/dev/null
    local ticks=0
    while kill -0 "$PID" 2>/dev/null && [ "$ticks" -lt $((FAULTS_END_LIMIT * 10)) ]; do
        sleep 0.1
        ticks=$((ticks + 1))
    done
    kill -0 "$PID" 2>/dev/null && { kill "$PID"; fail "Escape did not end it"; }
    wait "$PID"
    STATUS=$?
}

begin_case "--help and bad options"
fresh_copy
(cd "$RUN/bin" && ./quessel-study --help >"$OUT" 2>&1)
STATUS=$?
expect_status 0
for named in --scene --start Space Tab F1 F2 F5 F12 Escape; do expect_output "$named"; done
for args in "--nope" "--start -1" "--start" "--scene $ROOT/missing.gltf" "stray"; do
    # shellcheck disable=SC2086
    (cd "$RUN/bin" && ./quessel-study $args >"$OUT" 2>&1)
    STATUS=$?
    expect_status 2
    expect_output "quessel-study: "
    expect_output "Try 'quessel-study --help'"
done

begin_case "pause, overlay, free camera, shader reload"
fresh_copy
if start_study; then
    shot running1
    sleep 1
    shot running2
    expect_different running1 running2
    press space
    shot paused1
    sleep 1
    shot paused2
    expect_same paused1 paused2

    press F1
    shot overlay
    expect_different overlay paused2 corner
    press F1
    shot overlay-off
    expect_same overlay-off paused2

    press Tab
    xdotool keydown --window "$WINDOW" w 2>/dev/null
    sleep 1.5
    xdotool keyup --window "$WINDOW" w 2>/dev/null
    sleep "$SETTLE"
    shot flown
    expect_different flown paused2
    expect_picture flown
    press Tab
    shot back
    expect_same back paused2

    # Compiles, but cannot link: relinking in place would leave "test" drawing nothing.
    sed -i 's/void main/void notMain/' "$RUN/bin/Shader/test.frag"
    press F5
    grep -q "kept running as before: test" "$OUT.err" || fail "F5 did not say that \"test\" kept running"
    grep -qE "linking \"test\": .*error" "$OUT.err" || fail "F5 did not print the linker's log"
    shot reloaded
    expect_same reloaded paused2
    end_study
    expect_status 0
    # The overlay started, so its shutdown makes GLFW calls: before GLFW ends, not after.
    ! grep -q "GLFW error" "$OUT.err" || fail "GLFW calls after the end: $(grep -m 1 "GLFW error" "$OUT.err")"
fi

begin_case "a glTF scene exported from ours, --start and F12"
fresh_copy
scene="$ROOT/gltf"
mkdir -p "$scene"
assimp export "$RUN/Model/test3.dae" "$scene/court.gltf" -fgltf2 >"$ROOT/export.log" 2>&1 || fail "assimp export failed"
# Beside the scene, a green floor replaces the run directory's; one image embedded whole,
# one embedded and broken.
convert -size 64x64 xc:'#00ff00' "$scene/whitetiles.jpg"
python3 - "$scene/court.gltf" "$RUN/bin/wall06x04.jpg" <<'PY' || fail "the glTF could not be edited"
import base64, json, sys
path, wall = sys.argv[1:3]
scene = json.load(open(path))
for image in scene["images"]:
    if image.get("uri") == "wall06x04.jpg":
        image["uri"] = "data:image/jpeg;base64," + base64.b64encode(open(wall, "rb").read()).decode()
    elif image.get("uri") == "duck.png":
        image["uri"] = "data:image/png;base64," + base64.b64encode(b"not a picture at all").decode()
json.dump(scene, open(path, "w"))
PY
if start_study --scene "$scene/court.gltf" --path demo --start 1; then
    # The frames up to --start are not shown; the tool says when they are done.
    for _ in $(seq 1 600); do grep -q "at t = " "$OUT.err" && break; sleep 0.1; done
    sleep "$SETTLE"
    press space
    press F12
    shot gltf
    end_study
    expect_status 0
    expect_picture gltf
    expect_output "Import of scene $scene/court.gltf succeeded."
    console_lines | grep -qE "^Couldn't load Image: \*[0-9]+ \(embedded image" || fail "the broken embedded image was not named"
    [ "$(console_lines | grep -c "^Couldn't load Image")" = 1 ] || fail "images other than the broken one failed to load"
    # The floor fills the bottom of the frame: green from the image beside the scene (lit by
    # the studio and tone-mapped, paler than the image).
    read -r red green blue < <(convert "$ROOT/gltf.png" -crop 1280x160+0+608 -scale '1x1!' \
        -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:)
    [ "$green" -gt $((red + 25)) ] && [ "$green" -gt $((blue + 50)) ] ||
        fail "the floor is not the green image beside the scene (mean $red $green $blue)"
    saved=$(find "$RUN/bin/screenshots" -name 'quessel-study_*.png' 2>/dev/null | head -n 1)
    [ -n "$saved" ] || fail "F12 wrote no PNG into screenshots/ beside the binary"
    grep -qF "screenshot: $saved" "$OUT.err" || fail "F12 did not print the path"
    time=$(basename "$saved" | sed -n 's/.*_t\([0-9.]*\)\.png$/\1/p')
    awk -v t="$time" 'BEGIN { exit !(t >= 1.0) }' || fail "the screenshot's demo time $time is before --start 1"
    [ "$(identify -format '%w %h' "$saved")" = "1280 768" ] || fail "the screenshot is not 1280 x 768"
fi

finish
