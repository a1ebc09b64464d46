#!/usr/bin/env bash
# The folders are layered one way: each includes only folders below it, and the programs
# beside the demo see it through app/ alone, never its scene, cube maps or particles.
SOURCE=$(cd "${2:?usage: layering.sh <buildDir> <sourceDir>}" && pwd)
# Each folder and the folders it may include.
allowed="core:
math:core
scene:core math
envmap:core math scene
look:core math scene envmap
particles:core math scene
app:core math scene envmap look particles
bench:core math app
record:core math app
study:core math app
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
