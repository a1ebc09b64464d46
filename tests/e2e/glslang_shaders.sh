#!/usr/bin/env bash
# Offline check of the GLSL files the demo loads at run time: each starts with the
# version line the 4.3 context needs and passes glslangValidator for the stage its
# name gives. (A missing file shows up in the GL tests as a failed compile.) Pieces that
# programs include (`#include "name.glsl"`, beside them) are checked inside each program
# that includes them.
# Usage: glslang_shaders.sh <buildDir> <sourceDir>
set -u
source_dir=${2:?usage: glslang_shaders.sh <buildDir> <sourceDir>}
shader_dir="$source_dir/Shader"

if ! command -v glslangValidator >/dev/null 2>&1; then
    echo "FAIL: glslangValidator not found (Debian package glslang-tools)"
    exit 1
fi

[ -d "$shader_dir" ] || { echo "FAIL: no directory $shader_dir"; exit 1; }
failures=0
checked=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# The file with every include line replaced by the named file (nested ones too).
expand() {
    local folder line
    folder=$(dirname "$1")
    while IFS= read -r line || [ -n "$line" ]; do
        if [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]+\"([^\"]+)\" ]]; then
            expand "$folder/${BASH_REMATCH[1]}" || return 1
        else
            printf '%s\n' "$line"
        fi
    done <"$1"
}
expanded=$(mktemp -d)
trap 'rm -rf "$expanded"' EXIT

while IFS= read -r -d '' file; do
    name=${file#"$source_dir/"}
    case "$file" in
        *.vert | *.vs.glsl) stage=vert ;;
        *.frag | *.fs.glsl) stage=frag ;;
        *.glsl) grep -rqF "#include \"$(basename "$file")\"" "$(dirname "$file")" || fail "$name: included nowhere"
                continue ;;
        *) fail "$name: no shader stage in its name"; continue ;;
    esac
    checked=$((checked + 1))
    if grep -q '^[[:space:]]*#[[:space:]]*include' "$file"; then
        expand "$file" >"$expanded/$(basename "$file")" || { fail "$name: an include is missing"; continue; }
        file="$expanded/$(basename "$file")"
    fi
    first_line=$(head -n 1 "$file" | tr -d '\r')
    [ "$first_line" = "#version 430 core" ] || fail "$name: first line is '$first_line', not '#version 430 core'"
    # glslangValidator has no subroutine support; the GL tests compile those files.
    if grep -Eq '^[[:space:]]*subroutine' "$file"; then
        echo "skip: $name (subroutines)"
        continue
    fi
    if output=$(glslangValidator -S "$stage" "$file" 2>&1); then
        echo "ok:   $name"
    else
        fail "$name"
        echo "$output"
    fi
done < <(find "$shader_dir" -type f -print0 | sort -z)

[ "$checked" -gt 0 ] || fail "no shader files under $shader_dir"
if [ "$failures" -ne 0 ]; then
    echo "$failures shader check(s) failed"
    exit 1
fi
echo "all shaders passed"
