#!/usr/bin/env bash
# Model/ where the cube-map faces cannot be written: folder names taken by files, Model/
# read-only, Model/ full or nearly full. Saving fails quietly (nothing is printed), the
# run goes on and ends with 0 on Escape, and no face file is left cut short.
#
# As root, permissions are not enforced: the read-only case then uses a tmpfs remounted
# read-only, and the full cases a small tmpfs. Where mounting is not permitted those
# cases are skipped with the reason printed.
source "$(dirname "$0")/lib/faults.sh" "$@"


# Moves the copied Model/ onto a fresh tmpfs with room for its content plus $1 KiB.
model_on_tmpfs() {
    local content
    content=$(du -sk "$RUN/Model" | cut -f1)
    mv "$RUN/Model" "$RUN/Model.copy" && mkdir "$RUN/Model"
    if ! mount -t tmpfs -o "size=$((content + $1 + 256))k,mode=755" tmpfs "$RUN/Model" 2>"$ROOT/mount.err"; then
        rmdir "$RUN/Model" && mv "$RUN/Model.copy" "$RUN/Model"
        return 1
    fi
    cp -r "$RUN/Model.copy"/. "$RUN/Model/" && rm -rf "$RUN/Model.copy"
}

# Fills the tmpfs Model/ until $1 KiB are left free.
fill_model() {
    local free
    free=$(df -k --output=avail "$RUN/Model" | tail -n 1 | tr -d ' ')
    [ "$free" -gt "$1" ] || return 0
    dd if=/dev/zero of="$RUN/Model/filler" bs=1k count=$((free - $1)) status=none 2>/dev/null
    # Whatever the rounding left over, keep filling for the "nothing free" case.
    [ "$1" -gt 0 ] || dd if=/dev/zero of="$RUN/Model/filler2" bs=1k status=none 2>/dev/null
    return 0
}

skip() { echo "  SKIP: $*"; }

begin_case "folder and face names taken"
fresh_copy
echo "a file, not a folder" >"$RUN/Model/TextureBox_Sphere"
mkdir -p "$RUN/Model/TextureBox_Sphere_001/posx.tga"
run_to_escape '^PointLight1$' && expect_status 0
[ "$(cat "$RUN/Model/TextureBox_Sphere")" = "a file, not a folder" ] || fail "the file in the folder's place was changed"
[ -d "$RUN/Model/TextureBox_Sphere_001/posx.tga" ] || fail "the directory in the face's place was replaced"
# The other five faces of Sphere_001 and all of Sphere_002 are still written.
expect_new_files $(faces_of TextureBox_Sphere_001 | grep -e "\.tga$" | grep -v posx) $(faces_of TextureBox_Sphere_002)
expect_no_partial_faces

begin_case "Model/ read-only"
fresh_copy
chmod a-w "$RUN/Model"
if touch "$RUN/Model/.probe" 2>/dev/null; then
    # Root ignores the mode bits: use a read-only mount instead.
    rm -f "$RUN/Model/.probe"
    chmod u+w "$RUN/Model"
    if model_on_tmpfs 0 && mount -o remount,ro "$RUN/Model" 2>>"$ROOT/mount.err"; then
        readonly_by="a read-only tmpfs"
    else
        readonly_by=""
    fi
else
    readonly_by="chmod a-w"
fi
if [ -z "$readonly_by" ]; then
    skip "running as root and mounting is not permitted ($(head -n 1 "$ROOT/mount.err"))"
else
    echo "  Model/ made read-only by $readonly_by"
    run_to_escape '^PointLight1$' && expect_status 0
    expect_new_files
    expect_no_output "GL error! "
fi

begin_case "Model/ full"
fresh_copy
if model_on_tmpfs 0; then
    fill_model 0
    run_to_escape '^PointLight1$' && expect_status 0
    expect_no_partial_faces
    [ -z "$(find "$RUN/Model" -path '*/TextureBox_Sphere_003' -prune -o -name '*.tga' -print)" ] ||
        fail "a face file was left on a full disk"
else
    skip "mounting a tmpfs is not permitted ($(head -n 1 "$ROOT/mount.err"))"
fi

begin_case "Model/ with room for two faces"
fresh_copy
if model_on_tmpfs 2600; then
    fill_model 2600
    run_to_escape '^PointLight1$' && expect_status 0
    expect_no_partial_faces
    whole=$(find "$RUN/Model" -path '*/TextureBox_Sphere_003' -prune -o -name '*.tga' -size "$((18 + 512 * 512 * 4))c" -print | wc -l)
    [ "$whole" -ge 1 ] && [ "$whole" -le 2 ] || fail "$whole whole faces written, expected the one or two that fit"
    echo "  $whole whole faces fitted"
else
    skip "mounting a tmpfs is not permitted ($(head -n 1 "$ROOT/mount.err"))"
fi

finish
