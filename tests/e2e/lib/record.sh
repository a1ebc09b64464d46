# Shared helpers of the recorder's script tests (sourced after faults.sh): running the
# real quessel-record from the run directory, in the foreground or the background, and
# checking what it leaves and what it wrote.

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

# Splits leading NAME=VALUE arguments (into VARS, for the recorder's environment) from
# the recorder's own (into ARGS).
split_environment() {
    VARS=()
    while [ $# -gt 0 ] && [[ "$1" != -* ]] && [[ "$1" == *=* ]]; do
        VARS+=("$1")
        shift
    done
    ARGS=("$@")
}

# Runs quessel-record from the run directory with the given arguments, standard error
# into $OUT; leading NAME=VALUE arguments go into its environment. Sets STATUS.
record() {
    split_environment "$@"
    (cd "$BIN" && exec env "${VARS[@]}" "$TIMEOUT" -k 5 "$RECORD_LIMIT" ./quessel-record "${ARGS[@]}" </dev/null >/dev/null 2>"$OUT")
    STATUS=$?
}

# The same in the background: $PID is the recorder's own process id, for signals.
record_in_background() {
    split_environment "$@"
    (cd "$BIN" && exec env "${VARS[@]}" ./quessel-record "${ARGS[@]}" </dev/null >/dev/null 2>"$OUT") &
    PID=$!
}

# Waits until the recorder's messages match the extended regex $1.
wait_for() {
    local ticks=0
    until grep -qE -- "$1" "$OUT"; do
        kill -0 "$PID" 2>/dev/null || { fail "ended before \"$1\""; return 1; }
        ticks=$((ticks + 1))
        [ "$ticks" -lt $((RECORD_LIMIT * 10)) ] || { kill -KILL "$PID"; fail "no \"$1\" within $RECORD_LIMIT s"; return 1; }
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

# An earlier recording in the output folder: loop.mp4, loop.webp and in stills/ the still
# of frame 0, a name every run from t = 0 with --stills "$DIR/stills" writes too.
plant_earlier() {
    mkdir -p "$DIR/stills"
    echo "earlier video" >"$DIR/loop.mp4"
    echo "earlier preview" >"$DIR/loop.webp"
    echo "earlier still" >"$DIR/stills/frame-00000.png"
}

# The earlier recording is there as it was, and nothing else is.
expect_earlier() {
    [ "$(cat "$DIR/loop.mp4" 2>/dev/null)" = "earlier video" ] || fail "the earlier video was lost or changed"
    [ "$(cat "$DIR/loop.webp" 2>/dev/null)" = "earlier preview" ] || fail "the earlier preview was lost or changed"
    [ "$(cat "$DIR/stills/frame-00000.png" 2>/dev/null)" = "earlier still" ] ||
        fail "the earlier still was lost or changed"
    local left
    left=$(find "$DIR" -mindepth 1 ! -name loop.mp4 ! -name loop.webp ! -path "$DIR/stills" \
        ! -path "$DIR/stills/frame-00000.png" -printf '%P ')
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

# The normalised RMS difference of two pictures, by ImageMagick.
rms_difference() {
    compare -metric RMSE "$1" "$2" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p'
}

# Which of the pictures after the first is nearest to the first: its place among them,
# from 0, and its difference.
nearest() {
    local reference="$1" best=-1 least="" place=0 value
    shift
    for candidate in "$@"; do
        value=$(rms_difference "$reference" "$candidate")
        if [ -z "$least" ] || awk "BEGIN { exit !($value < $least) }"; then
            best=$place
            least=$value
        fi
        place=$((place + 1))
    done
    echo "$best $least"
}

# The mean of each channel, 0 to 255.
channel_means() {
    identify -format '%[fx:255*mean.r] %[fx:255*mean.g] %[fx:255*mean.b]' "$1"
}
