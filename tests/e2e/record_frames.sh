#!/usr/bin/env bash
# quessel-record's frames, at 2 fps with stills: a recording that players take (H.264,
# yuv420p, 1280 x 768, the index in front, BT.709 tags and colours, the frames asked for,
# upright) with an animated WebP preview within the cap; each frame the frame of its time,
# in the stills and in the video; a later --start giving the very frames of the recording
# from 0 at several times, in our scene and in a brought one with a mirror.
source "$(dirname "$0")/lib/faults.sh" "$@"
source "$(dirname "$0")/lib/record.sh"
source "$(dirname "$0")/lib/scenes.sh"

begin_case "from t = 0 at 2 fps with stills: what players get, each frame the frame of its time"
fresh_dir
ZERO_STILLS="$DIR/stills"
record --fps 2 --seconds 7 --out "$DIR/zero.mp4" --stills "$ZERO_STILLS"
expect_status 0
expect_recording "$DIR/zero.mp4" 14 "$DIR/zero.webp" 7000
megabytes=$(stat -c %s "$DIR/zero.mp4" | awk '{ printf "%.1f", $1 / 1e6 }')
expect_message "wrote $DIR/zero.mp4 \(14 frames, 1280 x 768, 7\.00 s at 2 fps, $megabytes MB\)"
stills=("$ZERO_STILLS"/frame-000{00..13}.png)
tags=$(ffprobe -v error -select_streams v:0 -of default=noprint_wrappers=1 \
    -show_entries stream=color_range,color_space,color_transfer,color_primaries "$DIR/zero.mp4")
for expected in color_range=tv color_space=bt709 color_transfer=bt709 color_primaries=bt709; do
    grep -qx -- "$expected" <<<"$tags" || fail "video: expected $expected, ffprobe says: $(tr '\n' ' ' <<<"$tags")"
done
# The first move at 2.43 s as the frame tests render it: the frame ending at 2.5 s (frame
# 4) is nearer to it than the frames before and after, and than its own mirror image.
for k in 3 4 5; do convert "${stills[$k]}" -scale 50% "$ROOT/half-$k.png"; done
convert "$ROOT/half-4.png" -flip "$ROOT/flipped-4.png"
read -r at _ <<<"$(nearest "$FAULTS_SOURCE/tests/golden/first-move.png" "$ROOT"/half-{3,4,5}.png "$ROOT/flipped-4.png")"
[ "$at" = 1 ] || fail "the still nearest the first move at 2.43 s is not frame 4 (2.0 to 2.5 s) but choice $at of 3, 4, 5, 4 flipped"
# Decoded as a player does (by the tags; with accurate rounding, as the decoder's fast
# path darkens by about a level): each frame nearest its own still, not a neighbour's,
# within what H.264 loses (0.013 to 0.02 here), and the colours those of the stills, not
# those of another matrix or range.
mkdir "$ROOT/decoded"
ffmpeg -v error -sws_flags accurate_rnd+full_chroma_int -i "$DIR/zero.mp4" -sws_flags accurate_rnd+full_chroma_int \
    -f image2 "$ROOT/decoded/%05d.png" || fail "ffmpeg cannot decode the video"
decoded=("$ROOT"/decoded/*.png)
[ "${#decoded[@]}" = 14 ] || fail "${#decoded[@]} frames decoded"
for k in "${!decoded[@]}"; do
    neighbours=("${stills[$k]}")
    [ "$k" -gt 0 ] && neighbours+=("${stills[$((k - 1))]}")
    [ "$k" -lt 13 ] && neighbours+=("${stills[$((k + 1))]}")
    read -r at difference <<<"$(nearest "${decoded[$k]}" "${neighbours[@]}")"
    [ "$at" = 0 ] && awk "BEGIN { exit !($difference < 0.05) }" ||
        fail "video frame $k is not its own still (nearest: $(basename "${neighbours[$at]}"), difference $difference)"
done
for k in 0 6 13; do
    video=$(channel_means "${decoded[$k]}")
    still=$(channel_means "${stills[$k]}")
    awk -v a="$video" -v b="$still" 'BEGIN { split(a, x); split(b, y);
        for (c = 1; c <= 3; c++) if ((x[c] - y[c]) ^ 2 > 0.3 ^ 2) exit 1 }' ||
        fail "video frame $k has channel means $video, its still $still"
done

begin_case "from a later start: the frames of the recording from 0, pixel for pixel"
# The frames before a start only bring the demo there (nothing drawn), yet the frames that
# follow are those of a recording from 0: in the hold at P1, the turn after it, the move to
# P2 and the hold there. 6 s ends frame 11, 6.3 s falls within frame 12: both begin with
# frame 12 (6.0 to 6.5 s).
fresh_dir
ZERO_STILLS="$ROOT/long"
record --fps 2 --seconds 24 --out "$DIR/long.mp4" --stills "$ZERO_STILLS"
expect_status 0
for row in "6 1 frame-00012.png frame-00013.png" "6.3 0.5 frame-00012.png" "17.5 0.5 frame-00035.png" \
    "19 0.5 frame-00038.png" "23 1 frame-00046.png frame-00047.png"; do
    read -r start seconds names <<<"$row"
    fresh_dir
    record --fps 2 --start "$start" --seconds "$seconds" --out "$DIR/late.mp4" --stills "$DIR/stills"
    expect_status 0
    [ "$(ls "$DIR/stills" | tr '\n' ' ')" = "$names " ] || fail "--start $start: stills $(ls "$DIR/stills" | tr '\n' ' ')"
    for name in $names; do
        differ=$(compare -metric AE "$DIR/stills/$name" "$ZERO_STILLS/$name" null: 2>&1)
        [ "$differ" = 0 ] || fail "--start $start: $name differs from the recording from 0 in $differ pixels"
    done
done

begin_case "a brought scene with a mirror from a later start: the frames of the recording from 0, pixel for pixel"
# No sky dome here: the background and the mirror's cube map show the clear colours the
# frames before the start must leave as drawn ones do.
fresh_dir
write_cube_on_floor
record --scene "$ROOT/cube.obj" --mirror Cube --fps 2 --seconds 6 --out "$DIR/zero.mp4" --stills "$ROOT/zero"
expect_status 0
for row in "3 1 frame-00006.png frame-00007.png" "4.5 0.5 frame-00009.png"; do
    read -r start seconds names <<<"$row"
    rm -rf "$DIR"/*
    record --scene "$ROOT/cube.obj" --mirror Cube --fps 2 --start "$start" --seconds "$seconds" --out "$DIR/late.mp4" \
        --stills "$DIR/stills"
    expect_status 0
    for name in $names; do
        differ=$(compare -metric AE "$DIR/stills/$name" "$ROOT/zero/$name" null: 2>&1)
        [ "$differ" = 0 ] || fail "--start $start: $name differs from the recording from 0 in $differ pixels"
    done
done

finish
