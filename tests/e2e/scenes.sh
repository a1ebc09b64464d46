#!/usr/bin/env bash
# Scenes nobody here made, as quessel-study opens them with --scene: a 2 cm and a 2 km
# model each fill a good part of the first frame and are lit; --mirror makes a cube show
# what is around it; a name that matches no node, a scene of points only and a file that
# declares billions of vertices end with their message and status; Ctrl-C while a big
# scene imports ends the tool at once. The scenes are written here, as OBJ and OFF text.
source "$(dirname "$0")/lib/faults.sh" "$@"
source "$(dirname "$0")/lib/scenes.sh"

begin_case "a 2 cm and a 2 km model fill a good part of the first frame and are lit"
fresh_copy
for size in 0.02 2000; do
    # Far from the origin: only its own bounds say where it is.
    write_scene "model-$size.obj" <<<"Model grey $(awk -v s="$size" 'BEGIN { print 40 * s }') $size 0 $size $size $size"
    shoot model --scene "$ROOT/model-$size.obj"
    expect_status 0
    grep -q "light: a light circling above the scene" "$OUT.err" || fail "$size: the light used was not said"
    awk -v f="${FILLED:-0}" -v b="${BRIGHTNESS:-0}" 'BEGIN { exit !(f >= 15 && b >= 40) }' ||
        fail "a model of $size fills ${FILLED:-?} % of the first frame at brightness ${BRIGHTNESS:-?}"
done

begin_case "--mirror: a cube shows the red floor it stands on; names that match no node"
fresh_copy
write_cube_on_floor
reddish() { convert "$ROOT/$1.png" -fx 'r > 0.1 && r > 2 * g && r > 2 * b ? 1 : 0' -format '%[fx:mean*w*h]' info:; }
shoot plain --scene "$ROOT/cube.obj"
shoot mirrored --scene "$ROOT/cube.obj" --mirror Cube
expect_status 0
awk -v p="$(reddish plain)" -v m="$(reddish mirrored)" 'BEGIN { exit !(m > p + 1000) }' ||
    fail "the mirror cube shows no red: $(reddish plain) red pixels without --mirror, $(reddish mirrored) with it"
shoot none --scene "$ROOT/cube.obj" --glass Floor --mirror Nowhere --mirror Cube
expect_status 2
grep -qF 'no node named "Nowhere"; its nodes: "cube.obj", "Cube", "Floor"' "$OUT.err" || fail "the scene's nodes were not listed"

begin_case "points only: nothing to draw; points beside triangles: left out and said"
fresh_copy
printf 'v 0 0 0\nv 1 0 0\nv 0 1 0\np 1 2 3\n' >"$ROOT/points.obj"
shoot points --scene "$ROOT/points.obj"
expect_status 1
grep -q "holds no triangles to draw" "$OUT.err" || fail "a scene of points was not refused"
{ box Cube grey 0 0 0 1 1 1 0; printf 'o Dots\nv 5 5 5\np 9\n'; } >"$ROOT/mixed.obj"
shoot mixed --scene "$ROOT/mixed.obj"
expect_status 0
grep -q "1 of the scene's 2 meshes hold only points or lines and are left out" "$OUT.err" ||
    fail "the points left out were not said"

begin_case "a file that declares billions of vertices ends within seconds, within its memory"
fresh_copy
printf 'OFF\n3000000000 1 0\n0 0 0\n' >"$ROOT/huge.off"
started=$(date +%s)
(cd "$RUN/bin" && exec /usr/bin/time -f '%M' -o "$ROOT/peak" timeout -k 5 120 ./quessel-study --scene "$ROOT/huge.off" \
    </dev/null >"$OUT" 2>"$OUT.err")
STATUS=$?
expect_status 1
grep -q "huge.off needs more memory than an import may take" "$OUT.err" || fail "no word of the memory it needed"
[ $(($(date +%s) - started)) -le 30 ] || fail "it took $(($(date +%s) - started)) s"
budget_kb=$(awk '/MemTotal/ { print int($2 / 4) }' /proc/meminfo)
[ "$(tail -n 1 "$ROOT/peak")" -lt "$budget_kb" ] || fail "its peak resident memory $(tail -n 1 "$ROOT/peak") KiB passed the budget"

begin_case "Ctrl-C while a big scene imports ends the tool at once"
fresh_copy
awk 'BEGIN { n = 1400; for (i = 0; i < n; i++) for (j = 0; j < n; j++) printf "v %d %d %d\n", i, j, (i * j) % 7;
    for (i = 0; i < n - 1; i++) for (j = 0; j < n - 1; j++) { a = i * n + j + 1; printf "f %d %d %d\nf %d %d %d\n", a, a + 1, a + n, a + 1, a + n + 1, a + n } }' \
    >"$ROOT/big.obj"
(cd "$RUN/bin" && exec ./quessel-study --scene "$ROOT/big.obj" </dev/null >"$OUT" 2>"$OUT.err") &
PID=$!
for _ in $(seq 1 300); do grep -q '^GLSL: ' "$OUT" && break; sleep 0.1; done
sleep 1
grep -q "succeeded" "$OUT" && fail "the import was over before Ctrl-C"
kill -INT "$PID"
wait_end 3
expect_status 130
grep -q "quessel-study: start-up interrupted by Ctrl-C (SIGINT)" "$OUT.err" || fail "no word of the interruption"

finish
