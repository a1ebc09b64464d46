# Shared set-up for the project's scripts: packages, build, virtual display. Sourced.

QUESSEL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
QUESSEL_BUILD="${QUESSEL_BUILD:-$QUESSEL_ROOT/build}"

QUESSEL_PACKAGES=(
  build-essential cmake pkg-config
  libglfw3-dev libglew-dev libassimp-dev libdevil-dev libsoil-dev libglm-dev
  libtinyexr-dev libmeshoptimizer-dev libcli11-dev nlohmann-json3-dev libfmt-dev libimgui-dev gnuplot-nox assimp-utils
  libgl1-mesa-dri libgl1-mesa-dev
  googletest libgtest-dev
  xvfb xdotool x11-utils imagemagick glslang-tools time
  ffmpeg webp fonts-dejavu-core
)

log() { echo "[quessel] $*" >&2; }

# A script's usage: its comment block after the first line.
print_usage() { sed -n '2,/^[^#]/ s/^# \{0,1\}//p' "$0"; }

# A bad command line: the message, a hint at --help, status 2.
bad_option() {
  log "$1"
  log "Try 'scripts/$(basename "$0") --help' for the options."
  exit 2
}

# The command line of a script whose options take whole numbers: "--NAME N" sets the
# variable NAME, for each NAME:LEAST:UNIT in $1, N at least LEAST; --help prints the usage.
whole_options() {
  local specs=" $1 " spec least unit
  shift
  while [ $# -gt 0 ]; do
    [[ "$1" != -h && "$1" != --help ]] || { print_usage; exit 0; }
    spec=${specs#* "${1#--}":}
    [[ "$1" =~ ^--[a-z]+$ && "$spec" != "$specs" ]] || bad_option "unknown option: $1"
    IFS=: read -r least unit _ <<<"${spec%% *}"
    [ $# -ge 2 ] && [[ "$2" != --* ]] || bad_option "missing value for $1"
    [[ "$2" =~ ^[0-9]{1,6}$ ]] && [ "$((10#$2))" -ge "$least" ] ||
      bad_option "bad value for $1: \"$2\" (expected whole $unit above $((least - 1)))"
    printf -v "${1#--}" '%d' "$((10#$2))"
    shift 2
  done
}

# Installs whatever of the package list is missing; a second run finds nothing to do.
# QUESSEL_PREBUILT=1 skips it and the build: the scripts run what $QUESSEL_BUILD holds.
install_packages() {
  [ "${QUESSEL_PREBUILT:-0}" = 1 ] && return 0
  local missing=() package sudo=sudo
  for package in "${QUESSEL_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  [ "$(id -u)" -ne 0 ] || sudo=""
  log "installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Configures and builds into $QUESSEL_BUILD: everything, or only the targets given.
build_project() {
  [ "${QUESSEL_PREBUILT:-0}" = 1 ] && return 0
  cmake -S "$QUESSEL_ROOT" -B "$QUESSEL_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$QUESSEL_BUILD" -j"$(nproc)" ${1:+--target "$@"}
}

# A script's end stops the display it started, however it ends; the trap is set before the
# display starts, since a Ctrl-C while start_display waits for the server would leave it
# running otherwise.
trap stop_display EXIT

# Starts Xvfb at 1280x768x24 on a free display number and exports DISPLAY; sets XVFB_PID.
start_display() {
  local number monitor=0
  for number in $(seq 90 140); do
    [ -e "/tmp/.X${number}-lock" ] || [ -e "/tmp/.X11-unix/X${number}" ] && continue
    # A session of its own: a terminal's Ctrl-C goes to the script's process group, and
    # the program drawing on this display must outlive it to end cleanly. Job control
    # off, so that setsid need not fork and $! is the server itself.
    case $- in *m*) monitor=1; set +m ;; esac
    setsid Xvfb ":$number" -screen 0 1280x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    XVFB_PID=$!
    [ "$monitor" = 0 ] || set -m
    export DISPLAY=":$number"
    for _ in $(seq 1 50); do
      xdpyinfo >/dev/null 2>&1 && return 0
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill "$XVFB_PID" 2>/dev/null
  done
  log "could not start Xvfb"
  return 1
}

stop_display() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=""
}

# Presses Escape in the demo's window (a real key event through the X server). Given the
# demo's process id $1, waits up to $2 seconds for it to end and fails when it has not.
press_escape() {
  local window
  window=$(xdotool search --name '^Quessel$' 2>/dev/null | head -n 1)
  [ -z "$window" ] || xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key ${window:+--window "$window"} Escape
  for _ in $(seq 1 $((${2:-0} * 10))); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  [ $# -eq 0 ] || ! kill -0 "$1" 2>/dev/null
}
