#!/usr/bin/env bash
# quessel-record, short runs of the real binary: every way out (no encoder, an unwritable
# output, a broken pipe, a full disk for the video, the stills (the last one alone too) or
# the preview, Ctrl-C while seeking, recording or making the preview, Escape) ends with its
# own status and message, leaves an earlier recording (its stills too) as it was and nothing
# of its own behind; the progress line moves; a finished run replaces the earlier stills it
# recorded again. (Bad options: the pure tests and scripts.sh.)
source "$(dirname "$0")/lib/faults.sh" "$@"
source "$(dirname "$0")/lib/record.sh"

begin_case "no encoder installed"
fresh_dir
record PATH=/nonexistent --seconds 1 --out "$DIR/loop.mp4"
expect_status 1
expect_message "ffmpeg program is not installed"
expect_empty

begin_case "no encoder for the preview installed"
fresh_dir
mkdir "$ROOT/tools"
ln -s "$(command -v ffmpeg)" "$ROOT/tools/ffmpeg"
record PATH="$ROOT/tools" --seconds 1 --out "$DIR/loop.mp4"
expect_status 1
expect_message "img2webp program is not installed"
expect_empty

begin_case "unwritable output: missing folder, a file for a folder, the output a folder"
fresh_dir
echo "a file" >"$ROOT/file"
for out in "$DIR/missing/loop.mp4" "$ROOT/file/loop.mp4" "$DIR"; do
    record --seconds 1 --out "$out"
    expect_status 1
    expect_message "cannot write $out"
done
record --seconds 1 --out "$DIR/loop.mp4" --preview "$DIR/missing/loop.webp"
expect_status 1
expect_message "cannot write $DIR/missing/loop.webp"
record --seconds 1 --out "$DIR/loop.mp4" --stills "$ROOT/file/stills"
expect_status 1
expect_message "cannot write stills into $ROOT/file/stills"
expect_empty

begin_case "unwritable output: a read-only folder"
fresh_dir
if [ "$(id -u)" -ne 0 ]; then
    chmod 555 "$DIR"
    readonly_ok=1
elif mount -t tmpfs -o size=1m,ro tmpfs "$DIR" 2>"$ROOT/mount.err"; then
    readonly_ok=1
else
    readonly_ok=0
    skip "as root a read-only folder needs a read-only mount, which is not permitted ($(head -n 1 "$ROOT/mount.err"))"
fi
if [ "$readonly_ok" = 1 ]; then
    record --seconds 1 --out "$DIR/loop.mp4"
    expect_status 1
    expect_message "cannot write $DIR/loop.mp4: (Read-only file system|Permission denied)"
    expect_empty
    umount "$DIR" 2>/dev/null
    chmod 755 "$DIR"
fi

begin_case "the encoder stops reading (broken pipe)"
fresh_dir
plant_earlier
mkdir "$ROOT/fake"
cat >"$ROOT/fake/ffmpeg" <<'SH'
#!/bin/sh
# Takes a little of the first frame, then gives up.
head -c 100000 >/dev/null
echo "fake encoder: giving up" >&2
exit 1
SH
chmod +x "$ROOT/fake/ffmpeg"
# A stills folder the run makes goes again.
record PATH="$ROOT/fake:$PATH" --seconds 2 --out "$DIR/loop.mp4" --stills "$DIR/made"
expect_status 1
expect_message "broken pipe"
expect_message "fake encoder: giving up"
expect_earlier

begin_case "the disk fills up"
fresh_dir
if mount -t tmpfs -o size=300k tmpfs "$DIR" 2>"$ROOT/mount.err"; then
    plant_earlier
    record --seconds 1 --fps 10 --out "$DIR/loop.mp4"
    expect_status 1
    expect_message "disk is full"
    expect_earlier
    umount "$DIR"
else
    skip "mounting a small tmpfs is not permitted ($(head -n 1 "$ROOT/mount.err"))"
fi

begin_case "the disk fills up with the stills"
fresh_dir
mkdir "$DIR/stills"
# Room for two stills of the ten.
if mount -t tmpfs -o size=3m tmpfs "$DIR/stills" 2>"$ROOT/mount.err"; then
    plant_earlier
    record --seconds 1 --fps 10 --out "$DIR/loop.mp4" --stills "$DIR/stills"
    expect_status 1
    expect_message "cannot write the still $DIR/stills/frame-[0-9]{5}\.png: the disk is full"
    expect_earlier
    umount "$DIR/stills"
else
    skip "mounting a small tmpfs is not permitted ($(head -n 1 "$ROOT/mount.err"))"
fi

begin_case "the disk fills up with the last still only"
fresh_dir
# The stills of the same frames in a roomy folder give the room for all but the last and
# half of it (tmpfs counts whole pages).
record --seconds 1.5 --fps 2 --out "$DIR/roomy.mp4" --stills "$ROOT/roomy"
expect_status 0
pages=$(stat -c %s "$ROOT"/roomy/frame-0000{0,1,2}.png | awk '{ n = int(($1 + 4095) / 4096); total += NR < 3 ? n : int(n / 2) } END { print total }')
rm -rf "$DIR"/*
mkdir "$DIR/stills"
if mount -t tmpfs -o size=$((pages * 4))k tmpfs "$DIR/stills" 2>"$ROOT/mount.err"; then
    record --seconds 1.5 --fps 2 --out "$DIR/loop.mp4" --stills "$DIR/stills"
    expect_status 1
    expect_message "cannot write the still $DIR/stills/frame-00002\.png: the disk is full"
    expect_empty "$DIR/stills"
    umount "$DIR/stills"
    rmdir "$DIR/stills"
    expect_empty
else
    skip "mounting a small tmpfs is not permitted ($(head -n 1 "$ROOT/mount.err"))"
fi

begin_case "the disk fills up while making the preview, whether the preview maker says so or not"
# A preview maker that fills the disk and gives no reason.
silent=$(mktemp -d)
FAULTS_TEMPS+=("$silent")
printf '#!/bin/sh\nfor last; do :; done\ncat /dev/zero >"$last" 2>/dev/null\nexit 1\n' >"$silent/img2webp"
chmod +x "$silent/img2webp"
# Room for the video of ten frames, not for the preview's frames; room for them.
while read -r size path message; do
    fresh_dir
    if ! mount -t tmpfs -o size="$size" tmpfs "$DIR" 2>"$ROOT/mount.err"; then
        skip "mounting a small tmpfs is not permitted ($(head -n 1 "$ROOT/mount.err"))"
        continue
    fi
    plant_earlier
    record PATH="$path" --seconds 1 --fps 10 --out "$DIR/loop.mp4"
    expect_status 1
    expect_message "making the preview"
    expect_message "$message"
    expect_earlier
    umount "$DIR"
done <<CASES
2m $PATH disk is full
20m $silent:$PATH the disk is full \(no space left on device\) for .*/loop\.webp\.part
CASES

begin_case "Ctrl-C while seeking, while recording (the progress line moving) and while making the preview"
# A preview maker that takes its time.
slow=$(mktemp -d)
FAULTS_TEMPS+=("$slow")
printf '#!/bin/sh\nexec sleep 60\n' >"$slow/img2webp"
chmod +x "$slow/img2webp"
# Arguments; what to wait for; what was interrupted.
while IFS=';' read -r args awaited what; do
    fresh_dir
    plant_earlier
    # shellcheck disable=SC2086
    record_in_background $args --out "$DIR/loop.mp4" --stills "$DIR/stills"
    wait_for "$awaited" || continue
    kill -INT "$PID"
    wait_for_end
    expect_status 130
    expect_message "quessel-record: $what interrupted by Ctrl-C \(SIGINT\)"
    expect_earlier
    # The progress of the recording (a line every few seconds in a log): from 1 on, onwards.
    counts=$(grep -oE '[^d] frame [0-9]+/' "$OUT" | grep -oE '[0-9]+' | tr '\n' ' ')
    awk -v c="$counts" 'BEGIN { n = split(c, x); if (n && x[1] != 1) exit 1;
        for (i = 2; i <= n; i++) if (x[i] < x[i - 1]) exit 1 }' || fail "progress went $counts"
done <<CASES
--start 40 --seconds 1;unrecorded frames first;recording
--seconds 30;[^d] frame ([2-9]|[1-9][0-9]+)/900;recording
PATH=$slow:$PATH --seconds 1 --fps 2;making the preview;making the preview
CASES
begin_case "Escape during the recording"
fresh_dir
plant_earlier
record_in_background --seconds 30 --out "$DIR/loop.mp4" --stills "$DIR/stills"
if wait_for 'frame 1/'; then
    press_escape
    wait_for_end
    expect_status 1
    expect_message "stopped by Escape"
    expect_earlier
fi

begin_case "a finished run replaces the earlier still it recorded again"
fresh_dir
plant_earlier
record --seconds 1 --fps 2 --out "$DIR/loop.mp4" --stills "$DIR/stills"
expect_status 0
[ "$(ls -A "$DIR/stills" | tr '\n' ' ')" = "frame-00000.png frame-00001.png " ] ||
    fail "stills: $(ls -A "$DIR/stills" | tr '\n' ' ')"
[ "$(identify -format '%m %w x %h' "$DIR/stills/frame-00000.png" 2>&1)" = "PNG 1280 x 768" ] ||
    fail "frame-00000.png is not the new still"

finish
