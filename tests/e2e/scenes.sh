#!/usr/bin/env bash
# Scenes nobody here made, as quessel-study opens them with --scene: a 2 cm and a 2 km
# model each fill a good part of the first frame and are lit; --mirror makes a cube show
# what is around it; a name that matches no node, a scene of points only and a file that
# declares billions of vertices end with their message and status; Ctrl-C while a big
# scene imports ends the tool at once. The scenes are written here, as OBJ and OFF text.
source "$(dirname "$0")/lib/faults.sh" "$@"

# The OBJ text of a box: object $1 with material $2, lowest corner ($3, $4, $5), sides
# ($6, $7, $8), the file's $9-th box (OBJ numbers vertices and normals across the file).
# Flat sides, each with its own normal, as a modelling tool exports them.
box() {
    awk -v name="$1" -v material="$2" -v x="$3" -v y="$4" -v z="$5" -v sx="$6" -v sy="$7" -v sz="$8" -v n="$9" 'BEGIN {
        printf "o %s\nusemtl %s\n", name, material
        for (i = 0; i < 8; i++) printf "v %.9g %.9g %.9g\n", x + sx * (i % 2), y + sy * (int(i / 2) % 2), z + sz * int(i / 4)
        split("1 0 0 -1 0 0 0 1 0 0 -1 0 0 0 1 0 0 -1", d)
        for (i = 0; i < 6; i++) printf "vn %d %d %d\n", d[3 * i + 1], d[3 * i + 2], d[3 * i + 3]
        # Per side: its normal and two triangles wound outwards.
        split("2 4 8 2 8 6 1 5 7 1 7 3 3 7 8 3 8 4 1 2 6 1 6 5 5 6 8 5 8 7 1 3 4 1 4 2", f)
        for (i = 0; i < 12; i++) printf "f %d//%d %d//%d %d//%d\n", 8 * n + f[3 * i + 1], 6 * n + int(i / 2) + 1,
            8 * n + f[3 * i + 2], 6 * n + int(i / 2) + 1, 8 * n + f[3 * i + 3], 6 * n + int(i / 2) + 1
    }'
}

materials() {
    printf 'newmtl grey\nKd 0.8 0.8 0.8\nKa 0 0 0\nnewmtl red\nKd 1 0 0\nKa 0 0 0\n' >"$1"
}

# quessel-study --shot into $ROOT/shot.png; sets STATUS, FILLED (per cent) and BRIGHTNESS.
shoot() {
    (cd "$RUN/bin" && exec timeout -k 5 180 ./quessel-study "$@" --shot "$ROOT/shot.png" </dev/null >"$OUT" 2>"$OUT.err")
    STATUS=$?
    read -r FILLED BRIGHTNESS < <(sed -n 's/.*fills \([0-9.]*\) % of it, mean brightness there \([0-9]*\) of 255/\1 \2/p' "$OUT.err")
}

# Red pixels of the last shot.
red_pixels() {
    convert "$ROOT/shot.png" -fx 'r > 0.1 && r > 2 * g && r > 2 * b ? 1 : 0' -format '%[fx:mean*w*h]' info:
}

begin_case "a 2 cm and a 2 km model fill a good part of the first frame and are lit"
fresh_copy
for size in 0.02 2000; do
    scene="$ROOT/model-$size.obj"
    materials "$ROOT/two.mtl"
    # Far from the origin: only its own bounds say where it is.
    at=$(awk -v s="$size" 'BEGIN { print 40 * s }')
    { echo "mtllib two.mtl"; box Model grey "$at" "$size" 0 "$size" "$size" "$size" 0; } >"$scene"
    shoot --scene "$scene"
    expect_status 0
    grep -q "light: a light circling above the scene" "$OUT.err" || fail "$size: the light used was not said"
    awk -v f="${FILLED:-0}" -v b="${BRIGHTNESS:-0}" 'BEGIN { exit !(f >= 15 && b >= 40) }' ||
        fail "a model of $size fills ${FILLED:-?} % of the first frame at brightness ${BRIGHTNESS:-?}"
done

begin_case "--mirror: a cube shows the red floor it stands on"
fresh_copy
materials "$ROOT/two.mtl"
{ echo "mtllib two.mtl"; box Cube grey 0 0 0 1 1 1 0; box Floor red -1.5 -0.1 -1.5 4 0.1 4 1; } >"$ROOT/mirror.obj"
shoot --scene "$ROOT/mirror.obj"
expect_status 0
plain=$(red_pixels)
shoot --scene "$ROOT/mirror.obj" --mirror Cube
expect_status 0
mirrored=$(red_pixels)
awk -v p="$plain" -v m="$mirrored" 'BEGIN { exit !(m > p + 1000) }' ||
    fail "the mirror cube shows no red: $plain red pixels without --mirror, $mirrored with it"
shoot --scene "$ROOT/mirror.obj" --glass Floor --mirror Nowhere --mirror Cube
expect_status 2
grep -qF 'no node named "Nowhere"; its nodes: mirror.obj, Cube, Floor' "$OUT.err" || fail "the scene's nodes were not listed"

begin_case "points only: nothing to draw; points beside triangles: left out and said"
fresh_copy
printf 'v 0 0 0\nv 1 0 0\nv 0 1 0\np 1 2 3\n' >"$ROOT/points.obj"
shoot --scene "$ROOT/points.obj"
expect_status 1
grep -q "holds no triangles to draw" "$OUT.err" || fail "a scene of points was not refused"
{ box Cube grey 0 0 0 1 1 1 0; printf 'o Dots\nv 5 5 5\np 9\n'; } >"$ROOT/mixed.obj"
shoot --scene "$ROOT/mixed.obj"
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
peak_kb=$(tail -n 1 "$ROOT/peak")
[ "$peak_kb" -lt "$budget_kb" ] || fail "its peak resident memory $peak_kb KiB passed the budget of $budget_kb KiB"

begin_case "Ctrl-C while a big scene imports ends the tool at once"
fresh_copy
awk 'BEGIN { n = 1400; for (i = 0; i < n; i++) for (j = 0; j < n; j++) printf "v %d %d %d\n", i, j, (i * j) % 7;
    for (i = 0; i < n - 1; i++) for (j = 0; j < n - 1; j++) { a = i * n + j + 1; printf "f %d %d %d\nf %d %d %d\n", a, a + 1, a + n, a + 1, a + n + 1, a + n } }' \
    >"$ROOT/big.obj"
(cd "$RUN/bin" && exec ./quessel-study --scene "$ROOT/big.obj" </dev/null >"$OUT" 2>"$OUT.err") &
pid=$!
for _ in $(seq 1 300); do grep -q '^GLSL: ' "$OUT" && break; sleep 0.1; done
sleep 1
grep -q "succeeded" "$OUT" && fail "the import was over before Ctrl-C"
kill -INT "$pid"
for _ in $(seq 1 30); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && { kill -KILL "$pid"; fail "still running 3 s after Ctrl-C"; }
wait "$pid"
STATUS=$?
expect_status 130
grep -q "quessel-study: start-up interrupted by Ctrl-C (SIGINT)" "$OUT.err" || fail "no word of the interruption"

finish
