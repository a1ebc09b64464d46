# Shared helpers of the script tests that open scenes of their own (sourced after
# faults.sh): boxes written as OBJ text, and quessel-study run on them in the copy's bin/.

# The OBJ text of a box: object $1 with material $2 (grey or red), lowest corner ($3, $4, $5),
# sides ($6, $7, $8), the file's $9-th box (OBJ numbers vertices and normals across the
# file). Flat sides, each with its own normal, as a modelling tool exports them.
box() {
    awk -v name="$1" -v material="$2" -v x="$3" -v y="$4" -v z="$5" -v sx="$6" -v sy="$7" -v sz="$8" -v n="$9" 'BEGIN {
        printf "o %s\nusemtl %s\n", name, material
        for (i = 0; i < 8; i++) printf "v %.9g %.9g %.9g\n", x + sx * (i % 2), y + sy * (int(i / 2) % 2), z + sz * int(i / 4)
        split("1 0 0 -1 0 0 0 1 0 0 -1 0 0 0 1 0 0 -1", d)
        for (i = 0; i < 6; i++) printf "vn %d %d %d\n", d[3 * i + 1], d[3 * i + 2], d[3 * i + 3]
        # Per side: its normal and two triangles wound outwards.
        split("2 4 8 2 8 6 1 5 7 1 7 3 3 7 8 3 8 4 1 2 6 1 6 5 5 6 8 5 8 7 1 3 4 1 4 2", f)
        for (i = 0; i < 12; i++) printf "f %d//%d %d//%d %d//%d\n", 8 * n + f[3 * i + 1], 6 * n + int(i / 2) + 1,
            8 * n + f[3 * i + 2], 6 * n + int(i / 2) + 1, 8 * n + f[3 * i + 3], 6 * n + int(i / 2) + 1
    }'
}

# $ROOT/$1: the given boxes (lines of box's arguments), with the materials beside them.
write_scene() {
    printf 'newmtl grey\nKd 0.8 0.8 0.8\nKa 0 0 0\nnewmtl red\nKd 1 0 0\nKa 0 0 0\n' >"$ROOT/boxes.mtl"
    local n=0 line
    { echo "mtllib boxes.mtl"; while read -r line; do box $line "$n"; n=$((n + 1)); done; } >"$ROOT/$1"
}

# A 1 x 1 x 1 cube on a red 4 x 4 floor: $ROOT/cube.obj.
write_cube_on_floor() { write_scene cube.obj <<<$'Cube grey 0 0 0 1 1 1\nFloor red -1.5 -0.1 -1.5 4 0.1 4'; }

# quessel-study --shot into $ROOT/$1.png with the other arguments; sets STATUS, FILLED (per
# cent of the window) and BRIGHTNESS (of 255).
shoot() {
    local name=$1
    shift
    (cd "$RUN/bin" && exec timeout -k 5 300 ./quessel-study "$@" --shot "$ROOT/$name.png" </dev/null >"$OUT" 2>"$OUT.err")
    STATUS=$?
    read -r FILLED BRIGHTNESS < <(sed -n 's/.*fills \([0-9.]*\) % of it, mean brightness there \([0-9]*\) of 255/\1 \2/p' "$OUT.err")
}

# quessel-study with these arguments in the background ($PID); returns once the console
# (standard error) matches $STARTED.
STARTED="light: "
start_study() {
    (cd "$RUN/bin" && exec timeout -k 5 300 ./quessel-study "$@" </dev/null >"$OUT" 2>"$OUT.err") &
    PID=$!
    for _ in $(seq 1 $((FAULTS_SETUP_LIMIT * 10))); do grep -q -- "$STARTED" "$OUT.err" && break; sleep 0.1; done
    WINDOW=$(xdotool search --name '^Quessel$' 2>/dev/null | head -n 1)
}

# Waits up to $1 seconds (default 20) for the study tool to end; sets STATUS.
wait_end() {
    for _ in $(seq 1 $((${1:-20} * 10))); do kill -0 "$PID" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$PID" 2>/dev/null && { kill -KILL "$PID"; fail "still running after ${1:-20} s"; }
    wait "$PID"
    STATUS=$?
}
