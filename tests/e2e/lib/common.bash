# Shared by the end-to-end scripts (sourced): a private display, the mirror, a scratch copy of
# the launcher, failure reports and the GBK log; window helpers come from tools/window-lib.bash.
set -euo pipefail
E2E_BUILD=$(cd "$1" && pwd)
E2E_SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
E2E_NAME=$(basename "$0" .sh)
E2E_DIR=$E2E_BUILD/e2e/$E2E_NAME
E2E_NGINX=${TALLYVO_NGINX_DIR:-$E2E_BUILD/nginx}
source "$E2E_SRC/tools/window-lib.bash"
SHOT_DIR=$E2E_DIR
E2E_PORT=$(launcher_test_port "$E2E_BUILD")
[ -n "$E2E_PORT" ] || { echo "no test port in $E2E_BUILD" >&2; exit 1; }
E2E_TLS_PORT=$((E2E_PORT + 1))
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

# The day's log of a launcher copy, converted from GBK.
launcher_log() {
  local f
  for f in "$E2E_DIR"/Tallyvo/Log/*; do
    [ -f "$f" ] && iconv -f GBK -t UTF-8 "$f"
  done 2>/dev/null || true
}
