#!/usr/bin/env bash
# The folders are layered one way: each includes only folders below it, and the programs
# beside the demo see it through app/, fit/, paths/ and harness/, never its scene, cube maps
# or particles. The build enforces the same for sources it compiles; this also covers every
# header, compiled or not.
SOURCE=$(cd "${2:?usage: layering.sh <buildDir> <sourceDir>}" && pwd)
# Each folder and the folders it may include.
allowed="core:
math:core
scene:core math
envmap:core math scene
look:core math scene envmap
particles:core math scene
fit:core math scene envmap
paths:core math
app:core math scene envmap particles look fit paths
harness:core math scene app fit paths
bench:core math look app fit paths harness study
record:core math look app fit paths harness
study:core math look app fit paths harness
tools:"
failures=0
while IFS=: read -r folder below; do
    for used in $(grep -rhoE '#include "[a-z]+/' "$SOURCE/$folder" | sed 's/#include "//; s/\///' | sort -u); do
        [ "$used" = "$folder" ] && continue
        if [[ " $below " != *" $used "* ]]; then
            echo "FAIL: $folder/ includes $used/: $(grep -rlE "#include \"$used/" "$SOURCE/$folder" | head -n 3 | tr '\n' ' ')"
            failures=$((failures + 1))
        fi
    done
done <<<"$allowed"
[ "$failures" -eq 0 ] && echo "PASS: every folder includes only those below it"
exit "$((failures > 0))"
