#!/usr/bin/env bash
# Scenes whose node names are not what the demo expects: no spheres or lights at all,
# names with path separators, very long names, a name used twice. The demo runs, ends
# with 0 on Escape, and writes nothing but the cube-map folders of nodes named exactly
# "Sphere", "Sphere_001", "Sphere_002", all inside Model/.
source "$(dirname "$0")/lib/faults.sh" "$@"

repeat() { local text="" i; for ((i = 0; i < $2; i++)); do text+="$1"; done; printf '%s' "$text"; }

expect_clean_run() {
    expect_status 0
    expect_no_output "GL error! "
}

begin_case "no spheres and no lights"
fresh_copy
rename_node Sphere Ball
rename_node Sphere_001 Ball_001
rename_node Sphere_002 Ball_002
rename_node PointLight Lamp
rename_node PointLight1 Lamp1
run_to_escape '^Lamp1$' && expect_clean_run
expect_line "Ball_001"
expect_no_output "PointLight"
# No renderer, so no cube-map folder at all.
expect_new_files

begin_case "names with path separators"
fresh_copy
rename_node Sphere_003 "../../escape"
rename_node Facade_West "../../../escape_west/x"
rename_node Floor 'a/b\c'
climb="$(repeat "../" 300)deep"
rename_node Plinth_A "$climb"
run_to_escape '^PointLight1$' && expect_clean_run
expect_line "../../escape"
expect_line 'a/b\c'
expect_line "$climb"
# Only the three spheres' folders, nothing outside Model/.
expect_new_files $(faces_of TextureBox_Sphere) $(faces_of TextureBox_Sphere_001) $(faces_of TextureBox_Sphere_002)

begin_case "very long names"
fresh_copy
long1000="Long$(repeat "N" 996)"
long5000="Huge$(repeat "N" 4996)"
rename_node Facade_West "$long5000"
rename_node Bakehouse "$long1000"
rename_node Plinth_B "Sphere_001$(repeat "_" 2000)"
run_to_escape '^PointLight1$' && expect_clean_run
expect_line "$long1000"
# Assimp keeps names below 1024 bytes; a longer one arrives empty, never cut or overrun.
awk 'length($0) > 1023 { bad = 1 } END { exit bad }' "$OUT" || fail "a name of 1024 bytes or more was printed"
expect_new_files $(faces_of TextureBox_Sphere) $(faces_of TextureBox_Sphere_001) $(faces_of TextureBox_Sphere_002)

begin_case "two nodes named Sphere, two named PointLight1"
fresh_copy
rename_node Sphere_001 Sphere
rename_node PointLight PointLight1
run_to_escape '^PointLight1$' && expect_clean_run
[ "$(grep -cx "Sphere" "$OUT")" -eq 2 ] || fail "the two Sphere nodes are not both listed"
# Both render into the one folder; the second overwrites the first with whole faces.
expect_new_files $(faces_of TextureBox_Sphere) $(faces_of TextureBox_Sphere_002)
expect_complete_faces TextureBox_Sphere

finish
