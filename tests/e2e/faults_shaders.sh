#!/usr/bin/env bash
# Broken shader files: missing, empty, a directory in place of the file, a syntax error,
# a link error. The compiler's or linker's log is printed (a line with "error") while the
# programs are built, before the scene import; the broken program is still registered
# (using it by name would otherwise throw), and the run goes on to end with 0 on Escape.
source "$(dirname "$0")/lib/faults.sh" "$@"

shader_case() {
    begin_case "$1"
    fresh_copy
    local shaders="$RUN/bin/Shader"
    case "$1" in
        "missing: particle.vert") rm "$shaders/particle.vert" ;;
        "missing: depth.frag") rm "$shaders/depth.frag" ;;
        "empty: Reflection/reflect.vert") : >"$shaders/Reflection/reflect.vert" ;;
        "a directory: motionblur.frag") rm "$shaders/motionblur.frag" && mkdir "$shaders/motionblur.frag" ;;
        "syntax error: test.frag") echo "this is not GLSL;" >>"$shaders/test.frag" ;;
        "link error (no main): particle.vert")
            grep -q 'void main' "$shaders/particle.vert" || fail "particle.vert has no main to rename"
            sed -i 's/void main/void notMain/' "$shaders/particle.vert"
            ;;
    esac
    run_to_escape '^PointLight1$' || return
    expect_status 0
    local log
    log=$(sed -n '/^GLSL: /,/^Import of scene /p' "$OUT" | grep -i 'error' | head -n 1)
    [ -n "$log" ] || fail "no info log with an error between the driver report and the import"
    echo "  log: ${log:0:120}"
}

for broken in "missing: particle.vert" "missing: depth.frag" "empty: Reflection/reflect.vert" \
    "a directory: motionblur.frag" "syntax error: test.frag" "link error (no main): particle.vert"; do
    shader_case "$broken"
done

finish
