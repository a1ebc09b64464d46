#!/usr/bin/env bash
# Broken image files: a diffuse texture (PNG and JPEG), a normal map, smoke.png and the
# faces of the prepared cube map, each missing, empty, cut short, not an image, a
# directory, or with a header declaring an impossible size. Textures and the sprite print
# "Couldn't load Image: <name>" and the run goes on; cube-map faces are skipped silently.
# Every run ends with 0 on Escape, without a crash and without OpenGL errors.
source "$(dirname "$0")/lib/faults.sh" "$@"

# Overwrites bytes of a file in place: patch_at FILE OFFSET PRINTF-TEXT.
patch_at() { printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }
# Offset of a JPEG's start-of-frame marker; its height and width follow 5 bytes later.
sof_offset() { LC_ALL=C grep -obUaP '\xFF[\xC0-\xC2]' "$1" | head -n 1 | cut -d: -f1; }

BROKEN=(duck.png brick03.jpg wall06x04normalmap.jpg smoke.png)

break_image() {
    local file="$RUN/bin/$2"
    local original="$FAULTS_BUILD/bin/$2"
    case "$1" in
        missing) rm "$file" ;;
        empty) : >"$file" ;;
        "cut in half") head -c $(($(stat -c %s "$original") / 2)) "$original" >"$file" ;;
        "a text file") echo "not an image, just text" >"$file" ;;
        "a directory") rm "$file" && mkdir "$file" ;;
        "an impossible size")
            case "$2" in
                # 60000 x 60000 and 40000 x 40000: DevIL's size products overflow.
                *.jpg) patch_at "$file" $(($(sof_offset "$file") + 5)) '\xEA\x60\x9C\x40' ;;
                *.png) patch_at "$file" 16 '\x00\x00\xEA\x60\x00\x00\xEA\x60' ;;
            esac
            ;;
    esac
}

for mode in missing empty "cut in half" "a text file" "a directory" "an impossible size"; do
    begin_case "textures and smoke.png: $mode"
    fresh_copy
    for name in "${BROKEN[@]}"; do break_image "$mode" "$name"; done
    run_to_escape '^PointLight1$' || continue
    expect_status 0
    for name in "${BROKEN[@]}"; do expect_message "Couldn't load Image: $name"; done
    [ "$(console_lines | grep -c "^Couldn't load Image: ")" -eq ${#BROKEN[@]} ] ||
        fail "an image that is fine was reported as not loadable"
    expect_no_output "GL error! "
done

FACES="$FAULTS_BUILD/Model/TextureBox_Sphere_003"

begin_case "prepared cube map: faces missing, cut short, empty, text, a directory"
fresh_copy
cube="$RUN/Model/TextureBox_Sphere_003"
rm "$cube/posx.tga"
head -c $(($(stat -c %s "$FACES/negx.tga") / 2)) "$FACES/negx.tga" >"$cube/negx.tga"
: >"$cube/posy.tga"
echo "not an image" >"$cube/negy.tga"
rm "$cube/posz.tga" && mkdir "$cube/posz.tga"
run_to_escape '^PointLight1$' && expect_status 0
expect_no_output "Couldn't load Image"
expect_no_output "GL error! "

begin_case "prepared cube map: headers declaring impossible sizes"
fresh_copy
cube="$RUN/Model/TextureBox_Sphere_003"
zeros() { head -c 256 /dev/zero; }
# TGA 65535 x 65535; BMP 100000 x 100000; BMP 5 x -2147483647 (top-down); PSD 100000 x
# 100000; Radiance 100000 x 100000. SOIL overflows (or, for the BMP, loops) on each.
patch_at "$cube/posx.tga" 12 '\xFF\xFF\xFF\xFF'
{ printf 'BM\0\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\xA0\x86\x01\0\xA0\x86\x01\0\x01\0\x18\0'; zeros; } >"$cube/negx.tga"
{ printf 'BM\0\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x05\0\0\0\x01\0\0\x80\x01\0\x18\0'; zeros; } >"$cube/posy.tga"
{ printf '8BPS\0\x01\0\0\0\0\0\0\0\x03\0\x01\x86\xA0\0\x01\x86\xA0\0\x08\0\x03'; zeros; } >"$cube/negy.tga"
{ printf '#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 100000 +X 100000\n'; zeros; } >"$cube/posz.tga"
run_to_escape '^PointLight1$' && expect_status 0
expect_no_output "Couldn't load Image"
expect_no_output "GL error! "

finish
