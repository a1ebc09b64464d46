#!/usr/bin/env bash
# Camera paths with the real binaries on the display: a path made by keys in the study
# tool (free flight, Enter, a hold, F6, each key confirmed by the tool) is saved and plays
# back with --path through the views it was made from; a file the camera cannot fly or show,
# or no path file at all, is refused with its row and reason before the scene is imported,
# quickly and in little memory; an hour's hold records until Ctrl-C or SIGTERM; --shot
# stopped after the import leaves no picture; a recording of a brought scene flies its tour
# and every frame shows the scene; a view saved with --save-view draws the same frame again
# with --path and has the scene's planes; a start far into the lap shows its progress, reaches the
# frame the recorder draws, and Escape or Ctrl-C end it at once.
source "$(dirname "$0")/lib/faults.sh" "$@"
source "$(dirname "$0")/lib/scenes.sh"

rmse() { compare -metric RMSE "$ROOT/$1.png" "$ROOT/$2.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/'; }
# The shot $1 is nearer to $2 than to $3.
expect_nearer() {
    awk -v a="$(rmse "$1" "$2")" -v b="$(rmse "$1" "$3")" 'BEGIN { exit !(a < b) }' ||
        fail "$1 is no nearer to $2 ($(rmse "$1" "$2")) than to $3 ($(rmse "$1" "$3"))"
}
said() { grep -c "^quessel-study: $1" "$OUT.err"; }
# xdotool's action $1 on the study tool's window with keys $2..., then F12; returns once the
# tool has said the screenshot, so the keys were taken and a frame drawn after them however
# slow the machine is: a held key has moved the camera, a released one no longer does.
confirmed() {
    local action=$1 before
    shift
    before=$(said "screenshot: ")
    xdotool "$action" --window "$WINDOW" "$@" key --window "$WINDOW" F12 2>/dev/null
    for _ in $(seq 1 $((FAULTS_SETUP_LIMIT * 10))); do
        [ "$(said "screenshot: ")" -gt "$before" ] && return 0
        sleep 0.1
    done
    fail "the study tool did not take \"$action $*\""
}

begin_case "a path made by keys: saved with F6, played back with --path through its views"
fresh_copy
write_cube_on_floor
start_study --scene "$ROOT/cube.obj"
xdotool windowfocus --sync "$WINDOW" 2>/dev/null
# Paused and flying, the first view; ahead with W held, then turned with Left held, each
# key down and up only once the one before has been taken; the second view and a hold.
confirmed key space Tab Return
confirmed keydown w
sleep 1
confirmed keyup w
confirmed keydown Left
sleep 0.5
confirmed keyup Left
confirmed key Return h
xdotool key --window "$WINDOW" F6 2>/dev/null
for _ in $(seq 1 $((FAULTS_SETUP_LIMIT * 10))); do [ "$(said "path saved: ")" -gt 0 ] && break; sleep 0.1; done
xdotool key --window "$WINDOW" Escape 2>/dev/null
wait_end
expect_status 0
saved=$(sed -n 's/^quessel-study: path saved: //p' "$OUT.err")
shots=($(sed -n 's/^quessel-study: screenshot: //p' "$OUT.err"))
[ -f "$saved" ] && [ "${#shots[@]}" = 6 ] || fail "F6 and F12 said \"$saved\" and ${#shots[@]} screenshots"
kinds=$(grep -o '"kind": *"[a-z]*"' "$saved" | cut -d'"' -f4 | tr '\n' ' ')
[ "$kinds" = "move turn hold " ] || fail "the path made has other rows: $kinds"
cp "${shots[0]}" "$ROOT/first-view.png"
cp "${shots[5]}" "$ROOT/second-view.png"
# Played back: the start at the first view; after the move and the turn (2 s each) the
# hold at the second.
shoot start --scene "$ROOT/cube.obj" --path "$saved"
shoot held --scene "$ROOT/cube.obj" --path "$saved" --start 4.5
expect_status 0
expect_nearer start first-view second-view
expect_nearer held second-view first-view

begin_case "a path file the camera cannot fly or show: read before the scene, its row and why, status 2"
fresh_copy
# A scene that cannot be imported: the path's message comes first, and alone.
echo "not a scene" >"$ROOT/broken.xyz"
start='"start": {"position": [0, 3, 5], "looking_at": [0, 0, 0]}'
printf '{%s, "rows": [{"kind": "hold", "seconds": 1},
    {"kind": "turn", "seconds": -1, "from": [0, 0, 1], "to": [1, 0, 0]}]}' "$start" >"$ROOT/bad.json"
: >"$ROOT/empty.json"
printf '{%s, "rows": []}' "$start" >"$ROOT/none.json"
printf '{"start": {"position": [1, 9, 1], "looking_at": [1, 0, 1]}, "rows": [{"kind": "hold", "seconds": 1}]}' >"$ROOT/down.json"
printf '{%s, "rows": [{"kind": "move", "seconds": 1, "from": [0, 0, 5], "to": [0, 4, 5]}]}' "$start" >"$ROOT/up.json"
printf '{%s, "rows": [{"kind": "hold", "seconds": 1e9}]}' "$start" >"$ROOT/year.json"
truncate -s 200M "$ROOT/huge.json"
for program in quessel-study "quessel-record --out $ROOT/bad.mp4"; do
    while IFS=';' read -r file message; do
        # shellcheck disable=SC2086
        (cd "$RUN/bin" && exec /usr/bin/time -f '%M %e' -o "$ROOT/used" timeout -k 5 60 ./$program \
            --scene "$ROOT/broken.xyz" --path "$file" </dev/null >"$OUT" 2>"$OUT.err")
        STATUS=$?
        expect_status 2
        grep -qF -- "$message" "$OUT.err" || fail "${program%% *} --path $file did not say: $message"
        read -r peak seconds < <(tail -n 1 "$ROOT/used")
        [ "$peak" -lt 200000 ] && awk -v s="$seconds" 'BEGIN { exit !(s < 10) }' ||
            fail "${program%% *} --path $file took $peak KiB and $seconds s"
    done <<CASES
$ROOT/bad.json;bad.json: row 2: "seconds" is -1, not above 0
$ROOT/empty.json;empty.json is empty
$ROOT/none.json;none.json: "rows": none: a path needs at least one row
$ROOT/down.json;down.json: "start": looks straight down at its "looking_at" point
$ROOT/up.json;up.json: row 1: a move straight up
$ROOT/year.json;year.json: row 1: "seconds" is 1e+09, more than the 3600 (an hour) a row may last
/dev/zero;/dev/zero is not a regular file
$ROOT/huge.json;huge.json is 209.7 MB, larger than the 4 MB a path file may be
CASES
done

begin_case "an hour's hold recorded: Ctrl-C and SIGTERM end it within seconds"
fresh_copy
write_cube_on_floor
printf '{"start": {"position": [0, 3, 5], "looking_at": [0, 0, 0]}, "rows": [{"kind": "hold", "seconds": 3500}]}' \
    >"$ROOT/hold.json"
for signal in INT TERM; do
    (cd "$RUN/bin" && exec timeout -k 5 300 ./quessel-record --scene "$ROOT/cube.obj" --fps 1 --path "$ROOT/hold.json" \
        --out "$ROOT/hold.mp4" </dev/null >"$OUT" 2>"$OUT.err") &
    PID=$!
    # The first frame comes after set-up and the frames before it: on a busy machine, slowly.
    for _ in $(seq 1 $((FAULTS_SETUP_LIMIT * 25))); do grep -q " frame 1/3501" "$OUT.err" && break; sleep 0.1; done
    grep -q " frame 1/3501" "$OUT.err" || fail "no first of 3501 frames"
    kill -"$signal" "$PID"
    wait_end 5
    expect_status $((128 + $(kill -l "$signal")))
    [ -z "$(ls "$ROOT" | grep '^hold\.[mw]')" ] || fail "left $(ls "$ROOT" | grep '^hold\.[mw]')"
done

begin_case "Ctrl-C after the import: --shot ends with 130 and writes no picture"
fresh_copy
write_cube_on_floor
mkfifo "$ROOT/said"
(cd "$RUN/bin" && exec timeout -k 5 300 ./quessel-study --scene "$ROOT/cube.obj" --mirror Cube --shot "$ROOT/shot.png" \
    </dev/null >"$OUT" 2>"$ROOT/said") &
PID=$!
# The first thing said after the import, read as it is said: Ctrl-C from then on.
while IFS= read -r line; do
    echo "$line" >>"$OUT.err"
    case $line in *"light: "* | *"lights: "*) kill -INT "$PID" ;; esac
done <"$ROOT/said"
wait_end 5
expect_status 130
grep -qE "lights?: " "$OUT.err" || fail "the import did not end"
[ -z "$(ls "$ROOT" | grep shot)" ] || fail "left $(ls "$ROOT" | grep shot)"

begin_case "a view saved with --save-view: the same frame again with --path, the scene's planes"
fresh_copy
write_cube_on_floor
# The same cube and floor at a tenth of a millimetre, far off for its size: drawn placed, saved
# in its own units.
write_scene tiny.obj <<<$'Cube grey 5 0 0 1e-4 1e-4 1e-4\nFloor red 4.99985 -1e-5 -1.5e-4 4e-4 1e-5 4e-4'
number() { sed -n "s/^ *\"$1\": \([^,]*\),\{0,1\}$/\1/p" "$ROOT/view.json"; }
for scene in cube tiny; do
    shoot toured --scene "$ROOT/$scene.obj" --save-view "$ROOT/view.json"
    expect_status 0
    grep -q "^quessel-study: view saved: $ROOT/view.json$" "$OUT.err" || fail "the saved view was not named"
    said=$(sed -n 's/.*; clipping planes \(.*\) to \(.*\)$/\1 \2/p' "$OUT.err")
    saved=$(printf '%.3g %.3g' "$(number near)" "$(number far)")
    [ "$saved" = "$said" ] || fail "$scene: the view's planes are $saved, the scene's $said"
    shoot again --scene "$ROOT/$scene.obj" --path "$ROOT/view.json"
    shoot later --scene "$ROOT/$scene.obj" --start 2
    expect_status 0
    # The tour's first frame blurs a little with its orbit; the held view does not.
    [ "$(rmse again toured | awk '{ print ($1 < 0.01) }')" = 1 ] ||
        fail "$scene: the view given back differs: $(rmse again toured)"
    expect_nearer again toured later
done

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
