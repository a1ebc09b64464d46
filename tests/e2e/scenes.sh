#!/usr/bin/env bash
# Scenes nobody here made, as quessel-study opens them with --scene: models from 0.1 mm
# to 10 million km, and one 10,000 km from the origin, each fill a good part of the first
# frame and are lit; --mirror makes a cube show what is around it; a name that matches no
# node, a scene of points only, one floats cannot draw, malformed PLY files, and files or
# cube maps that cannot fit in memory end with their message and status; Ctrl-C while a
# big scene imports ends the tool at once. A brought scene is drawn with its own look: the
# background chosen, its environment in mirrors and behind it, or the demo's shading when
# asked. The scenes are written here, as OBJ, OFF and PLY.
source "$(dirname "$0")/lib/faults.sh" "$@"
source "$(dirname "$0")/lib/scenes.sh"

begin_case "models of any size, and one far from the origin, fill a good part of the first frame and are lit"
fresh_copy
for size in 0.0001 0.02 2000 1e10; do
    # Far from the origin: only its own bounds say where it is.
    write_scene "model-$size.obj" <<<"Model grey $(awk -v s="$size" 'BEGIN { print 40 * s }') $size 0 $size $size $size"
    shoot model --scene "$ROOT/model-$size.obj"
    expect_status 0
    grep -q "lights: the environment and a circling key light" "$OUT.err" || fail "$size: the light used was not said"
    awk -v f="${FILLED:-0}" -v b="${BRIGHTNESS:-0}" 'BEGIN { exit !(f >= 15 && b >= 40) }' ||
        fail "a model of $size fills ${FILLED:-?} % of the first frame at brightness ${BRIGHTNESS:-?}"
done
# 10,000 km out, where floats still hold a 1 m cube exactly but not a camera near it: drawn
# around its own middle, it looks as it does at the origin.
for at in 0 10000000; do
    write_scene "cube-$at.obj" <<<"Cube grey $at 0 0 1 1 1"
    shoot "cube-$at" --scene "$ROOT/cube-$at.obj"
    expect_status 0
done
difference=$(compare -metric RMSE "$ROOT/cube-0.png" "$ROOT/cube-10000000.png" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p')
awk -v d="${difference:-1}" 'BEGIN { exit !(d < 0.01) }' ||
    fail "the far cube differs from the one at the origin by an RMS of ${difference:-?}"

begin_case "a scene floats cannot draw, and malformed PLY files, end with 1 and why"
fresh_copy
# A cube of 1e-35: no power of two that floats hold brings it to a size they draw.
write_scene tiny.obj <<<"Cube grey 0 0 0 1e-35 1e-35 1e-35"
shoot tiny --scene "$ROOT/tiny.obj"
expect_status 1
grep -q "tiny.obj cannot be drawn: its radius of 8.66e-36 units is below the 1e-30 that floats can draw" "$OUT.err" ||
    fail "no word of why it cannot be drawn"
# A face that indexes a vertex the file never gave, a body cut short, a face list longer
# than the file: each once crashed the import's post-processing.
python3 - "$ROOT" <<'PY'
import struct, sys
header = ("ply\nformat binary_little_endian 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
          "property float z\nelement face {}\nproperty list uchar int vertex_indices\nend_header\n")
vertices = struct.pack("<9f", 0, 0, 0, 1, 0, 0, 0, 1, 0)
face = lambda *corners: struct.pack("<B3i", 3, *corners)
for name, faces, body in [("index", 1, vertices + face(0, 1, 5000000)), ("cut", 1, vertices[:20]),
                          ("long", 1000, vertices + face(0, 1, 2))]:
    with open(f"{sys.argv[1]}/{name}.ply", "wb") as f:
        f.write(header.format(faces).encode() + body)
PY
for name in index cut long; do
    shoot "$name" --scene "$ROOT/$name.ply"
    expect_status 1
    grep -qE "$name.ply could not be imported: Validation failed: aiMesh::mFaces\[[0-9]+\]::mIndices\[[0-9]\] is out of range" \
        "$OUT.err" || fail "$name.ply: no word of the face that is out of range"
done

begin_case "--mirror: a cube shows the red floor it stands on; names that match no node"
fresh_copy
write_cube_on_floor
reddish() { convert "$ROOT/$1.png" -fx 'r > 0.1 && r > 1.5 * g && r > 1.5 * b ? 1 : 0' -format '%[fx:mean*w*h]' info:; }
shoot plain --scene "$ROOT/cube.obj"
shoot mirrored --scene "$ROOT/cube.obj" --mirror Cube
expect_status 0
awk -v p="$(reddish plain)" -v m="$(reddish mirrored)" 'BEGIN { exit !(m > p + 1000) }' ||
    fail "the mirror cube shows no red: $(reddish plain) red pixels without --mirror, $(reddish mirrored) with it"
shoot none --scene "$ROOT/cube.obj" --glass Floor --mirror Nowhere --mirror Cube
expect_status 2
grep -qF 'no node named "Nowhere"; its nodes: "cube.obj", "Cube", "Floor"' "$OUT.err" || fail "the scene's nodes were not listed"

begin_case "a brought scene as itself: its background, its environment in a mirror, --sky, --look demo, bad choices"
fresh_copy
write_cube_on_floor
pixel() { convert "$ROOT/$1.png" -format "%[pixel:p{$2,$3}]" info:; }
shoot coloured --scene "$ROOT/cube.obj" --background '#204060'
expect_status 0
[ "$(pixel coloured 5 5)" = "srgb(32,64,96)" ] || fail "the background is $(pixel coloured 5 5), not #204060"
grep -q "environment: studio" "$OUT.err" || fail "the environment was not said"
# The cube maps' faces, redrawn a few frames on, show the environment behind the scene:
# nothing of the clear colour (0, 204, 230).
shoot mirror --scene "$ROOT/cube.obj" --mirror Cube --start 0.2
expect_status 0
cyan=$(convert "$ROOT/mirror.png" -fx 'g > r + 0.25 && b > r + 0.25 ? 1 : 0' -format '%[fx:mean*w*h]' info:)
[ "${cyan:-1}" = 0 ] || fail "$cyan cyan pixels (the clear colour) in a brought scene with a mirror"
# A panorama red above and blue below shows behind the scene: redder at the window's top.
convert -size 64x32 gradient:red-blue "$ROOT/panorama.png"
shoot panorama --scene "$ROOT/cube.obj" --sky "$ROOT/panorama.png" --background sky
expect_status 0
grep -q "environment: .*panorama.png" "$OUT.err" || fail "the panorama was not said"
redder() { convert "$ROOT/panorama.png" -format "%[fx:p{$1,$2}.r - p{$1,$2}.b]" info:; }
awk -v top="$(redder 5 5)" -v bottom="$(redder 5 760)" 'BEGIN { exit !(top > bottom + 0.1) }' ||
    fail "the panorama is not behind the scene: red less blue $(redder 5 5) at the top, $(redder 5 760) at the bottom"
# Smoke only where asked: three seconds on, the cube smokes with --smoke and not without.
shoot calm --scene "$ROOT/cube.obj" --start 3
shoot smoking --scene "$ROOT/cube.obj" --start 3 --smoke Cube
expect_status 0
smoke=$(compare -metric AE "$ROOT/calm.png" "$ROOT/smoking.png" null: 2>&1)
awk -v n="${smoke:-0}" 'BEGIN { exit !(n > 2000) }' || fail "--smoke Cube changed ${smoke:-?} pixels"
# The demo's own shading, for comparison.
shoot demo --scene "$ROOT/cube.obj" --look demo
expect_status 0
grep -q "light: a light circling above the scene" "$OUT.err" || fail "--look demo: not the demo's light"
for choice in "--look fancy" "--background pink" "--sky $ROOT/nowhere.hdr" "--sky /dev/zero" "--smoke Nowhere"; do
    shoot bad --scene "$ROOT/cube.obj" $choice
    expect_status 2
done
grep -qF 'no node named "Nowhere" (--smoke)' "$OUT.err" || fail "--smoke: the missing node was not said"

begin_case "--list: the node tree and the file's cameras; --camera starts at one"
fresh_copy
# A 2 x 2 board in the XY plane, a camera 10 in front of it and one above, looking down.
cat >"$ROOT/board.dae" <<'DAE'
<?xml version="1.0"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
 <asset><up_axis>Y_UP</up_axis></asset>
 <library_cameras><camera id="lens"><optics><technique_common><perspective>
  <yfov>40</yfov><aspect_ratio>1.6667</aspect_ratio><znear>0.1</znear><zfar>100</zfar>
 </perspective></technique_common></optics></camera></library_cameras>
 <library_geometries><geometry id="quad"><mesh>
  <source id="p"><float_array id="pa" count="12">-1 -1 0 1 -1 0 1 1 0 -1 1 0</float_array>
   <technique_common><accessor source="#pa" count="4" stride="3"><param name="X" type="float"/>
   <param name="Y" type="float"/><param name="Z" type="float"/></accessor></technique_common></source>
  <vertices id="v"><input semantic="POSITION" source="#p"/></vertices>
  <triangles count="2"><input semantic="VERTEX" source="#v" offset="0"/><p>0 1 2 0 2 3</p></triangles>
 </mesh></geometry></library_geometries>
 <library_visual_scenes><visual_scene id="scene">
  <node id="Board" name="Board"><instance_geometry url="#quad"/></node>
  <node id="Front" name="Front"><translate>0 0 10</translate><instance_camera url="#lens"/></node>
  <node id="Above" name="Above"><translate>0 10 0.01</translate><rotate>1 0 0 -89</rotate><instance_camera url="#lens"/></node>
 </visual_scene></library_visual_scenes>
 <scene><instance_visual_scene url="#scene"/></scene>
</COLLADA>
DAE
(cd "$RUN/bin" && exec timeout -k 5 300 ./quessel-study --scene "$ROOT/board.dae" --list </dev/null >"$OUT" 2>"$OUT.err")
STATUS=$?
expect_status 0
grep -qx '  "Board"  2 triangles  (unnamed)' "$OUT" || grep -qE '^  "Board"  2 triangles ' "$OUT" || fail "no Board in the tree: $(cat "$OUT")"
grep -qx '  "Front" at (0, 0, 10) looking (0, 0, -1)' "$OUT" || fail "the Front camera was not listed as it stands"
grep -q '^  "Above" at ' "$OUT" || fail "the Above camera was not listed"
grep -q "starting camera: at " "$OUT.err" || fail "the starting camera was not said"
grep -q "^Camera location:" "$OUT" && fail "the demo's default camera was said for a brought scene"
# From the front camera the board fills the middle of the window, head on.
shoot front --scene "$ROOT/board.dae" --camera Front
expect_status 0
grep -q 'starting at the file.s camera "Front"' "$OUT.err" || fail "--camera: not said"
shoot framed --scene "$ROOT/board.dae"
[ "$(compare -metric AE "$ROOT/front.png" "$ROOT/framed.png" null: 2>&1 | cut -d' ' -f1)" -gt 10000 ] ||
    fail "--camera Front shows what the framed view shows"
[ "$(convert "$ROOT/front.png" -format '%[pixel:p{640,384}]' info:)" != "$(convert "$ROOT/front.png" -format '%[pixel:p{5,5}]' info:)" ] ||
    fail "the board is not in the middle of the front camera's view"
shoot none --scene "$ROOT/board.dae" --camera Nowhere
expect_status 2
grep -qF -- '--camera: the scene has no camera named "Nowhere"; its cameras: "Front", "Above"' "$OUT.err" ||
    fail "the cameras were not listed"

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

begin_case "what cannot fit in memory is refused within seconds: billions of vertices, cube maps past the budget"
fresh_copy
printf 'OFF\n3000000000 1 0\n0 0 0\n' >"$ROOT/huge.off"
# A binary PLY whose header declares half a billion triangles its body does not hold.
printf 'ply\nformat binary_little_endian 1.0\nelement vertex 250000000\nproperty float x\nproperty float y\nproperty float z\nelement face 500000000\nproperty list uchar int vertex_indices\nend_header\n' >"$ROOT/huge.ply"
budget_kb=$(awk '/MemAvailable/ { print int($2 / 4 * 3) }' /proc/meminfo)
for file in huge.off huge.ply; do
    started=$(date +%s)
    (cd "$RUN/bin" && exec /usr/bin/time -f '%M' -o "$ROOT/peak" timeout -k 5 120 ./quessel-study --scene "$ROOT/$file" \
        </dev/null >"$OUT" 2>"$OUT.err")
    STATUS=$?
    expect_status 1
    grep -qE "$file needs about [0-9.]+ [GTP]iB to import \(its (OFF|PLY) header declares [0-9]+ vertices" "$OUT.err" ||
        fail "$file: no word of what it declares"
    [ $(($(date +%s) - started)) -le 10 ] || fail "$file took $(($(date +%s) - started)) s"
    [ "$(tail -n 1 "$ROOT/peak")" -lt "$budget_kb" ] || fail "its peak resident memory $(tail -n 1 "$ROOT/peak") KiB passed the budget"
done
# More mirrors than the memory available holds cube maps for (26 MiB each).
write_cube_on_floor
count=$((budget_kb / (26 * 1024) + 20))
mirrors=()
for i in $(seq 1 "$count"); do mirrors+=(--mirror "Cube$i"); done
started=$(date +%s)
shoot many --scene "$ROOT/cube.obj" "${mirrors[@]}"
expect_status 1
grep -q "for the cube maps of its $count mirror and glass objects (26 MiB each), more than the" "$OUT.err" ||
    fail "no word of the cube maps"
[ $(($(date +%s) - started)) -le 10 ] || fail "the cube maps were refused after $(($(date +%s) - started)) s"

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
