#!/usr/bin/env bash
# Camera paths with the real binaries on the display: a path made by keys in the study
# tool (free flight, Enter, a hold, F6) is saved and plays back with --path through the
# views it was made from; a file the camera cannot fly is refused with its row and reason;
# a recording of a brought scene flies its tour and every frame shows the scene; a view saved
# with --save-view draws the same frame again with --path and has the scene's planes; a start far
# into the lap shows its progress, reaches the frame the recorder draws, and Escape or
# Ctrl-C end it at once.
source "$(dirname "$0")/lib/faults.sh" "$@"
source "$(dirname "$0")/lib/scenes.sh"

SETTLE=${SETTLE:-1.5}
press() { xdotool key --window "$WINDOW" "$@" 2>/dev/null; sleep "$SETTLE"; }
hold_key() { xdotool keydown --window "$WINDOW" "$1" 2>/dev/null; sleep "$2"; xdotool keyup --window "$WINDOW" "$1" 2>/dev/null; }
rmse() { compare -metric RMSE "$ROOT/$1.png" "$ROOT/$2.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/'; }
# The shot $1 is nearer to $2 than to $3.
expect_nearer() {
    awk -v a="$(rmse "$1" "$2")" -v b="$(rmse "$1" "$3")" 'BEGIN { exit !(a < b) }' ||
        fail "$1 is no nearer to $2 ($(rmse "$1" "$2")) than to $3 ($(rmse "$1" "$3"))"
}

begin_case "a path made by keys: saved with F6, played back with --path through its views"
fresh_copy
write_cube_on_floor
start_study --scene "$ROOT/cube.obj"
xdotool windowfocus --sync "$WINDOW" 2>/dev/null
sleep "$SETTLE"
press space
press Tab
press Return F12
hold_key w 1.2
hold_key Left 0.5
press Return h F12 F6
press Escape
wait_end
expect_status 0
saved=$(sed -n 's/^quessel-study: path saved: //p' "$OUT.err")
shots=($(sed -n 's/^quessel-study: screenshot: //p' "$OUT.err"))
[ -f "$saved" ] && [ "${#shots[@]}" = 2 ] || fail "F6 and F12 said \"$saved\" and ${#shots[@]} screenshots"
[ "$(grep -o '"kind": "[a-z]*"' "$saved" | cut -d'"' -f4 | tr '\n' ' ')" = "move turn hold " ] ||
    fail "the path made has other rows: $(grep -o '"kind": "[a-z]*"' "$saved" | tr '\n' ' ')"
cp "${shots[0]}" "$ROOT/first-view.png"
cp "${shots[1]}" "$ROOT/second-view.png"
# Played back: the start at the first view; after the move and the turn (2 s each) the
# hold at the second.
shoot start --scene "$ROOT/cube.obj" --path "$saved"
shoot held --scene "$ROOT/cube.obj" --path "$saved" --start 4.5
expect_status 0
expect_nearer start first-view second-view
expect_nearer held second-view first-view

begin_case "a path file the camera cannot fly: its row and why, status 2"
fresh_copy
write_cube_on_floor
printf '{"start": {"position": [0, 3, 5], "looking_at": [0, 0, 0]}, "rows": [{"kind": "hold", "seconds": 1},
    {"kind": "turn", "seconds": -1, "from": [0, 0, 1], "to": [1, 0, 0]}]}' >"$ROOT/bad.json"
for program in quessel-study "quessel-record --out $ROOT/bad.mp4"; do
    # shellcheck disable=SC2086
    (cd "$RUN/bin" && exec timeout -k 5 120 ./$program --scene "$ROOT/cube.obj" --path "$ROOT/bad.json" \
        </dev/null >"$OUT" 2>"$OUT.err")
    STATUS=$?
    expect_status 2
    grep -q "bad.json: row 2: \"seconds\" is -1, not above 0" "$OUT.err" || fail "$program did not name the row"
done

begin_case "a view saved with --save-view: the same frame again with --path, the scene's planes"
fresh_copy
write_cube_on_floor
shoot toured --scene "$ROOT/cube.obj" --save-view "$ROOT/view.json"
expect_status 0
grep -q "^quessel-study: view saved: $ROOT/view.json$" "$OUT.err" || fail "the saved view was not named"
number() { sed -n "s/^ *\"$1\": \([^,]*\),\{0,1\}$/\1/p" "$ROOT/view.json"; }
said=$(sed -n 's/.*; clipping planes \(.*\) to \(.*\)$/\1 \2/p' "$OUT.err")
saved=$(printf '%.3g %.3g' "$(number near)" "$(number far)")
[ "$saved" = "$said" ] || fail "the view's planes are $saved, the scene's $said"
shoot again --scene "$ROOT/cube.obj" --path "$ROOT/view.json"
shoot later --scene "$ROOT/cube.obj" --start 2
expect_status 0
# The tour's first frame blurs a little with its orbit; the held view does not.
[ "$(rmse again toured | awk '{ print ($1 < 0.01) }')" = 1 ] || fail "the view given back differs: $(rmse again toured)"
expect_nearer again toured later

begin_case "a recording of a brought scene flies its tour and every frame shows the scene"
fresh_copy
write_cube_on_floor
(cd "$RUN/bin" && exec timeout -k 5 300 ./quessel-record --scene "$ROOT/cube.obj" --mirror Cube --fps 1 \
    --out "$ROOT/tour.mp4" --stills "$ROOT/stills" </dev/null >"$OUT" 2>"$OUT.err")
STATUS=$?
expect_status 0
[ "$(ls "$ROOT/stills" | wc -l)" -ge 55 ] || fail "$(ls "$ROOT/stills" | wc -l) frames: not one lap of the tour"
# Pixels away from the empty background's grey.
convert -size 1280x768 'xc:rgb(51,51,51)' "$ROOT/empty.png"
for still in "$ROOT"/stills/*.png; do
    shown=$(compare -metric AE -fuzz 3% "$still" "$ROOT/empty.png" null: 2>&1)
    [ "$shown" -gt $((1280 * 768 / 12)) ] || fail "$(basename "$still") shows the scene in $shown pixels"
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
STARTED="reaching t = 300"
for ending in Escape Ctrl-C; do
    start_study --start 300
    if [ "$ending" = Escape ]; then
        # The bar across the middle of the window, nearly all of it still to go.
        for _ in $(seq 1 30); do
            import -window root "$ROOT/progress.png"
            bar=$(convert "$ROOT/progress.png" -crop 200x20+600+386 -scale '1x1!' -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:)
            [ "$bar" = "76 76 87" ] && break
            sleep 1
        done
        [ "$bar" = "76 76 87" ] || fail "no progress bar in the window ($bar)"
        xdotool key --window "$WINDOW" Escape 2>/dev/null
        wait_end 5
        expect_status 0
    else
        sleep 2
        kill -INT "$PID"
        wait_end 5
        expect_status 130
    fi
    grep -q "ended by Escape at t = \|reaching the start interrupted by Ctrl-C" "$OUT.err" || fail "$ending was not said"
done

finish
