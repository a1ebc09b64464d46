#!/usr/bin/env bash
# A scene file that is missing, empty, cut short or not a COLLADA scene: the demo prints
# the import messages and stops by itself with status 2 (no crash, no hang, no window
# left waiting for Escape).
source "$(dirname "$0")/lib/faults.sh" "$@"

scene_case() {
    begin_case "$1"
    fresh_copy
    local scene="$RUN/Model/test3.dae"
    local original="$FAULTS_BUILD/Model/test3.dae"
    case "$1" in
        missing) rm "$scene" ;;
        empty) : >"$scene" ;;
        "cut in half") head -c $(($(stat -c %s "$original") / 2)) "$original" >"$scene" ;;
        "closing tags cut off") head -c -30 "$original" >"$scene" ;;
        "plain text") echo "this is not a scene" >"$scene" ;;
        "an image") cp "$RUN/bin/smoke.png" "$scene" ;;
        "XML but not COLLADA") printf '<?xml version="1.0"?>\n<html><body>no scene</body></html>\n' >"$scene" ;;
        "COLLADA without meshes")
            cat >"$scene" <<'DAE'
<?xml version="1.0" encoding="utf-8"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
  <asset><up_axis>Z_UP</up_axis></asset>
  <library_visual_scenes>
    <visual_scene id="Scene" name="Scene">
      <node id="Sphere" name="Sphere" type="NODE"/>
      <node id="PointLight1" name="PointLight1" type="NODE"/>
    </visual_scene>
  </library_visual_scenes>
  <scene><instance_visual_scene url="#Scene"/></scene>
</COLLADA>
DAE
            ;;
        "a directory") rm "$scene" && mkdir "$scene" ;;
    esac
    run_to_end 120 || return
    expect_status 2
    # Start-up got as far as the import and no further: no success line, no child names.
    expect_line "Ready for OpenGL 4.3"
    expect_no_output "Import of scene"
    expect_no_output "Camera location:"
    [ -z "$(list_new_files)" ] || fail "files were written: $(list_new_files | tr '\n' ' ')"
    echo "  status $STATUS, last line: $(tail -n 1 "$OUT" | cut -c1-100)"
}

scene_case missing
# The stream check prints the path and the importer's (still empty) error text, then
# the import itself fails with its own message.
expect_line "Can't open file ../Model/test3.dae"
expect_order "^Can't open file ../Model/test3.dae$" 'Unable to open file.*test3\.dae'

for broken in empty "cut in half" "closing tags cut off" "plain text" "an image" \
    "XML but not COLLADA" "COLLADA without meshes" "a directory"; do
    scene_case "$broken"
    # The file opens, so only the importer's error text follows the driver report.
    expect_no_output "Can't open file"
    tail -n 1 "$OUT" | grep -qE '^(Vendor|Renderer|Version|GLSL|Ready)|^$' &&
        fail "no import error text after the driver report"
done

finish
