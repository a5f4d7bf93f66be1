# Shared by the end-to-end scripts (sourced): a private display, the mirror, a scratch copy of
# the launcher, bounded waits, screenshots, pixel probes and clicks at window coordinates.
set -euo pipefail
E2E_BUILD=$(cd "$1" && pwd)
E2E_SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
E2E_NAME=$(basename "$0" .sh)
E2E_DIR=$E2E_BUILD/e2e/$E2E_NAME
E2E_NGINX=${TALLYVO_NGINX_DIR:-$E2E_BUILD/nginx}
# The port compiled into the local launcher, as the configured test list hands it to the mirror.
E2E_PORT=$(grep -o 'nginx-fixture.sh" "start" "[^"]*" "[0-9]*"' "$E2E_BUILD/tests/CTestTestfile.cmake" |
  sed 's/.*"\([0-9]*\)"$/\1/')
[ -n "$E2E_PORT" ] || { echo "no test port in $E2E_BUILD" >&2; exit 1; }
E2E_TLS_PORT=$((E2E_PORT + 1))
WINDOW_LEFT=428 WINDOW_TOP=161
PACKAGE_NAME='Tallyvo（Norvik）（完整安装包）.exe'
export WINEPREFIX=$E2E_BUILD/wineprefix
source "$E2E_SRC/tools/xvfb-lib.sh"
TALLYVO_FORCE_XVFB=1 ensure_display
rm -rf "$E2E_DIR" && mkdir -p "$E2E_DIR"
E2E_PIDS=()

fail() {
  echo "FAIL [$E2E_NAME]: $*" >&2
  import -window root "$E2E_DIR/failure.png" 2>/dev/null && echo "screenshot: $E2E_DIR/failure.png" >&2
  exit 1
}

cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  WINEDEBUG=-all wineserver -k 2>/dev/null || true
  mirror_start 0  # leave the shared mirror as the other tests expect it
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT

# The mirror with the sample package; an optional rate (bytes/s, 0 = unlimited) for /uploads/.
mirror_start() {
  TALLYVO_STUB_INSTALLER=$E2E_BUILD/bin/stub_installer.exe TALLYVO_UPLOADS_RATE=${1:-0} \
    "$E2E_SRC/tests/support/nginx-fixture.sh" start "$E2E_NGINX" "$E2E_PORT" "$E2E_TLS_PORT"
}
mirror_stop() { "$E2E_SRC/tests/support/nginx-fixture.sh" stop "$E2E_NGINX"; }
mirror_package() { echo "$E2E_NGINX/www/uploads/$PACKAGE_NAME"; }

# A private copy of the launcher, so that its "Tallyvo\" and log folders belong to this test.
launcher_copy() {
  cp "$E2E_BUILD/bin/TallyvoLauncherLocal.exe" "$E2E_DIR/"
  echo "$E2E_DIR/TallyvoLauncherLocal.exe"
}

# Starts a Windows program in the background; its pid lands in LAST_PID.
wine_start() {
  "$E2E_SRC/tools/wine-run.sh" "$@" >"$E2E_DIR/wine.out" 2>"$E2E_DIR/wine.err" &
  LAST_PID=$!
  E2E_PIDS+=("$LAST_PID")
}

# Polls a shell condition until it holds or the deadline (seconds) passes.
wait_for() {
  local seconds=$1 what=$2; shift 2
  local end=$((SECONDS + seconds))
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || fail "timed out after ${seconds}s waiting for $what"
    sleep 0.2
  done
}

main_window_id() { xdotool search --name '^frm_Main$' 2>/dev/null | head -1; }
main_window_shown() { [ -n "$(main_window_id)" ] && [ "$(pixel 310 120)" != "000000" ]; }

shot() { import -window root "$E2E_DIR/$1.png" 2>/dev/null; }

# The colour (RRGGBB) at a point given in window coordinates.
pixel() {
  import -window root miff:- 2>/dev/null |
    convert - -depth 8 -crop "1x1+$((WINDOW_LEFT + $1))+$((WINDOW_TOP + $2))" +repage txt:- 2>/dev/null |
    sed -n '2p' | grep -o '#[0-9A-Fa-f]\{6\}' | head -1 | tr -d '#' | tr a-f A-F
}

# Whether the colour at a window point is within a tolerance of the expected one.
pixel_near() {
  local got want=$3 tol=${4:-24} i
  got=$(pixel "$1" "$2")
  [ -n "$got" ] || return 1
  for i in 0 2 4; do
    local a=$((16#${got:i:2})) b=$((16#${want:i:2}))
    [ $(((a - b) * (a - b))) -le $((tol * tol)) ] || return 1
  done
}

# Waits up to 5 s for the colour: painting and the window's fade-in take a moment under Wine.
expect_pixel() {
  local end=$((SECONDS + 5))
  until pixel_near "$1" "$2" "$3" "${5:-24}"; do
    [ "$SECONDS" -lt "$end" ] || break
    sleep 0.3
  done
  pixel_near "$1" "$2" "$3" "${5:-24}" || fail "$4: expected #$3 at ($1, $2), found #$(pixel "$1" "$2")"
}

click_at() {
  xdotool mousemove "$((WINDOW_LEFT + $1))" "$((WINDOW_TOP + $2))" sleep 0.1 click 1
}

# The day's log of a launcher copy, converted from GBK.
launcher_log() {
  local f
  for f in "$E2E_DIR"/Tallyvo/Log/*; do
    [ -f "$f" ] && iconv -f GBK -t UTF-8 "$f"
  done 2>/dev/null || true
}
