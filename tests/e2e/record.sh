#!/usr/bin/env bash
# quessel-record, short runs of the real binary: a recording that ffprobe reads (H.264,
# yuv420p, 1280 x 768, the index in front, the frames asked for, upright) with an
# animated WebP preview within the cap; and every failure it must name and survive
# without leaving a file behind: bad options, no encoder (ffmpeg or img2webp), an
# unwritable output, an encoder that stops reading (broken pipe), a full disk, Ctrl-C and
# Escape during the recording.
source "$(dirname "$0")/lib/faults.sh" "$@"

BIN="$FAULTS_BUILD/bin"
# Seconds a recording may take to show its first frame, and to end after that.
RECORD_LIMIT=${RECORD_LIMIT:-180}

skip() { echo "  SKIP: $*"; }

# A fresh empty output folder $DIR (the console goes to $OUT, outside it).
fresh_dir() {
    ROOT=$(mktemp -d)
    FAULTS_TEMPS+=("$ROOT")
    DIR="$ROOT/out"
    mkdir -p "$DIR"
    OUT="$ROOT/console.txt"
    : >"$OUT"
}

TIMEOUT=$(command -v timeout)

# Runs quessel-record from the run directory with the given arguments, standard error
# into $OUT; leading NAME=VALUE arguments go into its environment. Sets STATUS.
record() {
    local vars=()
    while [ $# -gt 0 ] && [[ "$1" != -* ]] && [[ "$1" == *=* ]]; do
        vars+=("$1")
        shift
    done
    (cd "$BIN" && exec env "${vars[@]}" "$TIMEOUT" -k 5 "$RECORD_LIMIT" ./quessel-record "$@" </dev/null >/dev/null 2>"$OUT")
    STATUS=$?
}

# The same in the background: $PID is the recorder's own process id, for signals.
record_in_background() {
    (cd "$BIN" && exec ./quessel-record "$@" </dev/null >/dev/null 2>"$OUT") &
    PID=$!
}

# Waits until the recorder's progress shows its first frame.
wait_for_first_frame() {
    local ticks=0
    until grep -q 'frame 1/' "$OUT"; do
        kill -0 "$PID" 2>/dev/null || { fail "ended before the first frame"; return 1; }
        ticks=$((ticks + 1))
        [ "$ticks" -lt $((RECORD_LIMIT * 10)) ] || { kill -KILL "$PID"; fail "no frame within $RECORD_LIMIT s"; return 1; }
        sleep 0.1
    done
}

# Waits for the background recorder to end (killed after 60 s). Sets STATUS.
wait_for_end() {
    local ticks=0
    while kill -0 "$PID" 2>/dev/null && [ "$ticks" -lt 600 ]; do
        sleep 0.1
        ticks=$((ticks + 1))
    done
    kill -0 "$PID" 2>/dev/null && { kill -KILL "$PID"; fail "did not end within 60 s"; }
    wait "$PID"
    STATUS=$?
}

expect_message() {
    grep -qiE -- "$1" "$OUT" || fail "no message matching \"$1\""
}

# Nothing at all was left in the output folder: no video, preview or temporary file.
expect_empty() {
    local left
    left=$(find "${1:-$DIR}" -mindepth 1 -printf '%P ')
    [ -z "$left" ] || fail "files left behind: $left"
}

# Checks a finished MP4 ($1) holding $2 frames at 1280 x 768, and its preview ($3)
# lasting $4 milliseconds.
expect_recording() {
    [ -f "$1" ] || { fail "no video $1"; return 1; }
    [ -f "$3" ] || { fail "no preview $3"; return 1; }
    local probe
    probe=$(ffprobe -v error -count_frames -select_streams v:0 \
        -show_entries stream=codec_name,pix_fmt,width,height,nb_read_frames -show_entries format=duration \
        -of default=noprint_wrappers=1 "$1") || { fail "ffprobe cannot read $1"; return 1; }
    for expected in codec_name=h264 pix_fmt=yuv420p width=1280 height=768 "nb_read_frames=$2"; do
        grep -qx -- "$expected" <<<"$probe" || fail "video: expected $expected, ffprobe says: $(tr '\n' ' ' <<<"$probe")"
    done
    python3 - "$1" "$3" "$4" <<'PY' || fail "video layout or preview rejected"
import struct
import sys

# +faststart: the index (moov) comes before the media data (mdat).
boxes = []
with open(sys.argv[1], "rb") as f:
    data = f.read()
at = 0
while at + 8 <= len(data):
    size, kind = struct.unpack(">I4s", data[at:at + 8])
    if size == 1:
        size = struct.unpack(">Q", data[at + 8:at + 16])[0]
    boxes.append(kind.decode("latin-1"))
    if size < 8:
        break
    at += size
if "moov" not in boxes or "mdat" not in boxes or boxes.index("moov") > boxes.index("mdat"):
    sys.exit(f"MP4 boxes in the wrong order: {boxes}")

# An animated WebP of at most 8 MB, 640 x 384, with its frames.
with open(sys.argv[2], "rb") as f:
    webp = f.read()
if len(webp) > 8_000_000:
    sys.exit(f"preview of {len(webp)} bytes is over the cap")
if webp[:4] != b"RIFF" or webp[8:12] != b"WEBP":
    sys.exit("preview is not a WebP file")
chunks = []
at = 12
while at + 8 <= len(webp):
    kind = webp[at:at + 4].decode("latin-1")
    size = struct.unpack("<I", webp[at + 4:at + 8])[0]
    chunks.append((kind, webp[at + 8:at + 8 + size]))
    at += 8 + size + (size & 1)
header = dict(chunks).get("VP8X")
if header is None or not header[0] & 0x02:
    sys.exit("preview is not animated")
width = 1 + int.from_bytes(header[4:7], "little")
height = 1 + int.from_bytes(header[7:10], "little")
frames = [payload for kind, payload in chunks if kind == "ANMF"]
# Identical frames may be merged into a longer one: the durations add up to the video's.
duration = sum(int.from_bytes(frame[12:15], "little") for frame in frames)
if (width, height) != (640, 384):
    sys.exit(f"preview is {width} x {height}")
if not frames or abs(duration - int(sys.argv[3])) > 100:
    sys.exit(f"preview has {len(frames)} frames lasting {duration} ms, not {sys.argv[3]} ms")
# Key frames (the whole canvas, not blended) come often enough that the small errors
# WebP allows between them cannot pile up into ghosts.
keys = [i for i, frame in enumerate(frames)
        if int.from_bytes(frame[0:6], "little") == 0 and frame[15] & 0x02
        and (1 + int.from_bytes(frame[6:9], "little"), 1 + int.from_bytes(frame[9:12], "little")) == (640, 384)]
gaps = [b - a for a, b in zip(keys, keys[1:] + [len(frames)])]
if not keys or keys[0] != 0 or max(gaps) > 5:
    sys.exit(f"key frames at {keys} of {len(frames)} frames: more than 5 apart")
print(f"  preview: {width} x {height}, {len(frames)} frames, {duration} ms, key frames {keys}, {len(webp)} bytes")
PY
}

begin_case "bad options"
fresh_dir
for args in "--fps 0" "--seconds abc" "--start -1" "--frames 10" "--seconds" "--out $DIR/same.webp"; do
    # shellcheck disable=SC2086
    record $args
    expect_status 2
    expect_message "quessel-record: (bad value|unknown option|missing value|the preview and the video cannot be the same)"
done
(cd "$BIN" && ./quessel-record --help >"$OUT" 2>&1) && grep -q -- '--preview FILE' "$OUT" || fail "--help does not list the options"
expect_empty

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

# The normalised RMS difference of two pictures, by ImageMagick.
rms_difference() {
    compare -metric RMSE "$1" "$2" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p'
}

begin_case "a short recording from a later start, during the hold at P1"
fresh_dir
record --seconds 1.2 --fps 10 --start 8 --out "$DIR/short.mp4"
expect_status 0
expect_recording "$DIR/short.mp4" 12 "$DIR/short.webp" 1200
expect_message "wrote $DIR/short.mp4 \(12 frames, 1280 x 768"
left=$(find "$DIR" -mindepth 1 -printf '%P ')
[ "$left" = "short.mp4 short.webp " ] || [ "$left" = "short.webp short.mp4 " ] || fail "left in the folder: $left"
# Upright: the first frame is nearer the P1 hold reference than its mirror image is (the
# light has moved on since the reference, so only the comparison tells).
if ffmpeg -v error -i "$DIR/short.mp4" -frames:v 1 -vf scale=640:384 "$ROOT/first.png" &&
    convert "$ROOT/first.png" -flip "$ROOT/flipped.png"; then
    upright=$(rms_difference "$ROOT/first.png" "$FAULTS_SOURCE/tests/golden/p1-hold.png")
    flipped=$(rms_difference "$ROOT/flipped.png" "$FAULTS_SOURCE/tests/golden/p1-hold.png")
    echo "  difference from the P1 hold reference: $upright upright, $flipped flipped"
    python3 -c "import sys; sys.exit(not float('$upright') * 2 < float('$flipped'))" ||
        fail "the video is upside down or shows something else ($upright upright, $flipped flipped)"
else
    fail "ffmpeg cannot take the first frame out of the video"
fi

begin_case "the encoder stops reading (broken pipe)"
fresh_dir
mkdir "$ROOT/fake"
cat >"$ROOT/fake/ffmpeg" <<'SH'
#!/bin/sh
# Takes a little of the first frame, then gives up.
head -c 100000 >/dev/null
echo "fake encoder: giving up" >&2
exit 1
SH
chmod +x "$ROOT/fake/ffmpeg"
record PATH="$ROOT/fake:$PATH" --seconds 2 --out "$DIR/loop.mp4"
expect_status 1
expect_message "broken pipe"
expect_message "fake encoder: giving up"
expect_empty

begin_case "the disk fills up"
fresh_dir
if mount -t tmpfs -o size=300k tmpfs "$DIR" 2>"$ROOT/mount.err"; then
    record --seconds 1 --fps 10 --out "$DIR/loop.mp4"
    expect_status 1
    expect_message "disk is full"
    expect_empty
    umount "$DIR"
else
    skip "mounting a small tmpfs is not permitted ($(head -n 1 "$ROOT/mount.err"))"
fi

begin_case "the disk fills up while making the preview"
fresh_dir
# Room for the video of ten frames, not for the preview's frames.
if mount -t tmpfs -o size=2m tmpfs "$DIR" 2>"$ROOT/mount.err"; then
    record --seconds 1 --fps 10 --out "$DIR/loop.mp4"
    expect_status 1
    expect_message "making the preview"
    expect_message "disk is full"
    expect_empty
    umount "$DIR"
else
    skip "mounting a small tmpfs is not permitted ($(head -n 1 "$ROOT/mount.err"))"
fi

begin_case "Ctrl-C during the recording"
fresh_dir
record_in_background --seconds 30 --out "$DIR/loop.mp4"
if wait_for_first_frame; then
    kill -INT "$PID"
    wait_for_end
    expect_status 130
    expect_message "interrupted by Ctrl-C"
    expect_empty
fi

begin_case "Escape during the recording"
fresh_dir
record_in_background --seconds 30 --out "$DIR/loop.mp4"
if wait_for_first_frame; then
    press_escape
    wait_for_end
    expect_status 1
    expect_message "stopped by Escape"
    expect_empty
fi

finish
