#!/usr/bin/env bash
# Camera paths with the real binaries on the display: a path made by keys in the study
# tool (free flight, Enter, a hold, F6) is saved and plays back with --path through the
# views it was made from; a file the camera cannot fly is refused with its row and reason;
# a recording of a brought scene flies its tour and every frame shows the scene; a start far
# into the lap shows its progress, reaches the frame the recorder draws, and Escape or
# Ctrl-C end it at once.
source "$(dirname "$0")/lib/faults.sh" "$@"

SETTLE=${SETTLE:-1.5}

# A cube on a floor, as OBJ text.
write_scene() {
    printf 'newmtl grey\nKd 0.8 0.8 0.8\nnewmtl red\nKd 1 0 0\n' >"$ROOT/scene.mtl"
    {
        echo "mtllib scene.mtl"
        awk 'BEGIN { split("Cube grey 0 0 0 1 1 1 Floor red -1.5 -0.1 -1.5 4 0.1 4", b)
            for (n = 0; n < 2; n++) {
                printf "o %s\nusemtl %s\n", b[8 * n + 1], b[8 * n + 2]
                for (i = 0; i < 8; i++) printf "v %g %g %g\n", b[8 * n + 3] + b[8 * n + 6] * (i % 2),
                    b[8 * n + 4] + b[8 * n + 7] * (int(i / 2) % 2), b[8 * n + 5] + b[8 * n + 8] * int(i / 4)
                split("2 4 8 2 8 6 1 5 7 1 7 3 3 7 8 3 8 4 1 2 6 1 6 5 5 6 8 5 8 7 1 3 4 1 4 2", f)
                for (i = 0; i < 12; i++) printf "f %d %d %d\n", 8 * n + f[3 * i + 1], 8 * n + f[3 * i + 2], 8 * n + f[3 * i + 3]
            } }'
    } >"$ROOT/scene.obj"
}

# quessel-study in the copy's bin/ with these arguments; returns once its frames run.
start_study() {
    (cd "$RUN/bin" && exec timeout -k 5 300 ./quessel-study "$@" </dev/null >"$OUT" 2>"$OUT.err") &
    PID=$!
    for _ in $(seq 1 $((FAULTS_SETUP_LIMIT * 10))); do grep -q "light: " "$OUT.err" && break; sleep 0.1; done
    WINDOW=$(xdotool search --name '^Quessel$' 2>/dev/null | head -n 1)
    [ -n "$WINDOW" ] || { fail "no window"; return 1; }
    xdotool windowfocus --sync "$WINDOW" 2>/dev/null
    sleep "$SETTLE"
}
press() { xdotool key --window "$WINDOW" "$@" 2>/dev/null; sleep "$SETTLE"; }
hold_key() { xdotool keydown --window "$WINDOW" "$1" 2>/dev/null; sleep "$2"; xdotool keyup --window "$WINDOW" "$1" 2>/dev/null; }
wait_end() {
    for _ in $(seq 1 $((${1:-20} * 10))); do kill -0 "$PID" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$PID" 2>/dev/null && { kill -KILL "$PID"; fail "still running"; }
    wait "$PID"
    STATUS=$?
}
# quessel-study --shot into $ROOT/$1.png with the rest of the arguments.
shoot() {
    local name=$1
    shift
    (cd "$RUN/bin" && exec timeout -k 5 300 ./quessel-study "$@" --shot "$ROOT/$name.png" </dev/null >"$OUT" 2>"$OUT.err")
    STATUS=$?
}
rmse() { compare -metric RMSE "$ROOT/$1.png" "$ROOT/$2.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/'; }
# The shot $1 is nearer to $2 than to $3.
expect_nearer() {
    local near far
    near=$(rmse "$1" "$2")
    far=$(rmse "$1" "$3")
    awk -v a="$near" -v b="$far" 'BEGIN { exit !(a < b) }' || fail "$1 is no nearer to $2 ($near) than to $3 ($far)"
}

begin_case "a path made by keys: saved with F6, played back with --path through its views"
fresh_copy
write_scene
if start_study --scene "$ROOT/scene.obj"; then
    press space
    press Tab
    press Return
    xdotool key --window "$WINDOW" F12 2>/dev/null
    sleep "$SETTLE"
    hold_key w 1.2
    hold_key Left 0.5
    sleep "$SETTLE"
    press Return
    press h
    xdotool key --window "$WINDOW" F12 2>/dev/null
    sleep "$SETTLE"
    press F6
    xdotool key --window "$WINDOW" Escape 2>/dev/null
    wait_end
    expect_status 0
    saved=$(sed -n 's/^quessel-study: path saved: //p' "$OUT.err")
    [ -f "$saved" ] || fail "F6 said no saved path"
    shots=($(sed -n 's/^quessel-study: screenshot: //p' "$OUT.err"))
    [ "${#shots[@]}" = 2 ] || fail "${#shots[@]} screenshots"
    kinds=$(grep -o '"kind": "[a-z]*"' "$saved" | cut -d'"' -f4 | tr '\n' ' ')
    [ "$kinds" = "move turn hold " ] || fail "the path made has the rows $kinds"
    cp "${shots[0]}" "$ROOT/first-view.png"
    cp "${shots[1]}" "$ROOT/second-view.png"
    # Played back: the start at the first view, after the move and the turn (2 s each) the
    # hold at the second.
    shoot start --scene "$ROOT/scene.obj" --path "$saved"
    expect_status 0
    shoot held --scene "$ROOT/scene.obj" --path "$saved" --start 4.5
    expect_status 0
    expect_nearer start first-view second-view
    expect_nearer held second-view first-view
fi

begin_case "a path file the camera cannot fly: its row and why, status 2"
fresh_copy
write_scene
printf '{"start": {"position": [0, 3, 5], "looking_at": [0, 0, 0]}, "rows": [{"kind": "hold", "seconds": 1}, {"kind": "turn", "seconds": -1, "from": [0, 0, 1], "to": [1, 0, 0]}]}' >"$ROOT/bad.json"
for program in quessel-study "quessel-record --out $ROOT/bad.mp4"; do
    # shellcheck disable=SC2086
    (cd "$RUN/bin" && exec timeout -k 5 120 ./$program --scene "$ROOT/scene.obj" --path "$ROOT/bad.json" \
        </dev/null >"$OUT" 2>"$OUT.err")
    STATUS=$?
    expect_status 2
    grep -q "bad.json: row 2: \"seconds\" is -1, not above 0" "$OUT.err" || fail "$program did not name the row"
done

begin_case "a recording of a brought scene flies its tour and every frame shows the scene"
fresh_copy
write_scene
(cd "$RUN/bin" && exec timeout -k 5 300 ./quessel-record --scene "$ROOT/scene.obj" --mirror Cube --fps 1 \
    --out "$ROOT/tour.mp4" --stills "$ROOT/stills" </dev/null >"$OUT" 2>"$OUT.err")
STATUS=$?
expect_status 0
count=$(ls "$ROOT/stills" | wc -l)
[ "$count" -ge 55 ] || fail "$count frames: not one lap of the tour"
# Pixels away from the empty background's grey.
convert -size 1280x768 'xc:rgb(51,51,51)' "$ROOT/empty.png"
for still in "$ROOT"/stills/*.png; do
    shown=$(compare -metric AE -fuzz 3% "$still" "$ROOT/empty.png" null: 2>&1)
    awk -v n="$shown" 'BEGIN { exit !(n > 0.08 * 1280 * 768) }' || fail "$(basename "$still") shows the scene in $shown pixels"
done

begin_case "reached with its progress shown, the study tool's frame is the recorder's, pixel for pixel"
fresh_copy
shoot reached --start 6
expect_status 0
# One frame at 30 fps: shorter than a frame of the preview, which takes it all the same.
(cd "$RUN/bin" && exec timeout -k 5 300 ./quessel-record --start 6 --seconds 0.04 --fps 30 --out "$ROOT/one.mp4" \
    --stills "$ROOT/one" </dev/null >"$OUT" 2>"$OUT.err")
STATUS=$?
expect_status 0
differ=$(compare -metric AE "$ROOT/reached.png" "$ROOT/one/frame-00180.png" null: 2>&1)
[ "$differ" = 0 ] || fail "the study tool's frame at 6 s differs from the recorder's in $differ pixels"

begin_case "a start far into the lap: progress in the window; Escape and Ctrl-C end it at once"
fresh_copy
(cd "$RUN/bin" && exec ./quessel-study --start 300 </dev/null >"$OUT" 2>"$OUT.err") &
PID=$!
for _ in $(seq 1 $((FAULTS_SETUP_LIMIT * 10))); do grep -q "reaching t = 300" "$OUT.err" && break; sleep 0.1; done
# The bar across the middle of the window, still mostly to go, once a second of demo time
# has been reached.
for _ in $(seq 1 30); do
    sleep 1
    import -window root "$ROOT/progress.png"
    read -r red green blue < <(convert "$ROOT/progress.png" -crop 200x20+600+386 -scale '1x1!' \
        -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:)
    [ "$red" = 76 ] && [ "$green" = 76 ] && [ "$blue" = 87 ] && break
done
[ "$red" = 76 ] && [ "$green" = 76 ] && [ "$blue" = 87 ] || fail "no progress bar in the window ($red $green $blue)"
WINDOW=$(xdotool search --name '^Quessel$' 2>/dev/null | head -n 1)
xdotool key --window "$WINDOW" Escape 2>/dev/null
wait_end 5
expect_status 0
grep -q "ended by Escape at t = " "$OUT.err" || fail "Escape was not said"
(cd "$RUN/bin" && exec ./quessel-study --start 300 </dev/null >"$OUT" 2>"$OUT.err") &
PID=$!
for _ in $(seq 1 $((FAULTS_SETUP_LIMIT * 10))); do grep -q "reaching t = 300" "$OUT.err" && break; sleep 0.1; done
sleep 2
kill -INT "$PID"
wait_end 5
expect_status 130
grep -q "reaching the start interrupted by Ctrl-C" "$OUT.err" || fail "Ctrl-C was not said"

finish
