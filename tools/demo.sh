#!/usr/bin/env bash
# The launcher's whole job against an embedded local mirror: nginx serves the sample package (the
# stub installer padded so the transfer takes a few seconds) on the port compiled into
# TallyvoLauncherLocal.exe, and the launcher runs under Wine. With a display the user drives the
# window; without one a private Xvfb is used, the script presses the download picture, waits for
# the install picture, presses it, and keeps a screenshot of every stage in <build>/demo/.
# Usage: tools/demo.sh <build folder>
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
src=$(cd "$(dirname "$0")/.." && pwd)
demo=$build/demo
package='Tallyvo（Norvik）（完整安装包）.exe'
package_size=$((6 * 1024 * 1024))
# Each connection is capped; the launcher opens four per line, so about 1.5 MiB/s in all.
rate=192k
interactive=

for exe in TallyvoLauncherLocal.exe stub_installer.exe exitcode_runner.exe; do
  [ -x "$build/bin/$exe" ] || { echo "demo: $build/bin/$exe is missing, run make build first" >&2; exit 2; }
done

fail() {
  echo "demo: FAILED, $*" >&2
  [ -n "${SHOT_DIR:-}" ] && [ -z "$interactive" ] && shot failure && echo "screenshot: $SHOT_DIR/failure.png" >&2
  exit 1
}
source "$src/tools/window-lib.bash"
source "$src/tools/xvfb-lib.sh"

read -r port tls_port line2_port <<<"$(launcher_test_ports "$build")"
[ -n "$line2_port" ] || fail "no mirror ports configured in $build"
[ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 && interactive=1

rm -rf "$demo/run" "$demo"/*.png
mkdir -p "$demo/run"
SHOT_DIR=$demo
export WINEPREFIX=$build/wineprefix
cleanup() {
  [ -n "${runner_pid:-}" ] && kill "$runner_pid" 2>/dev/null || true
  WINEDEBUG=-all wineserver -k 2>/dev/null || true
  "$src/tests/support/nginx-fixture.sh" stop "$demo/mirror"
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}
[ -n "$interactive" ] || ensure_display
trap cleanup EXIT

TALLYVO_STUB_INSTALLER=$build/bin/stub_installer.exe TALLYVO_PACKAGE_PKI=$build/pki \
  TALLYVO_PACKAGE_SIZE=$package_size TALLYVO_UPLOADS_RATE=$rate \
  "$src/tests/support/nginx-fixture.sh" start "$demo/mirror" "$port" "$tls_port" "$line2_port" ||
  fail "the local mirror did not start on port $port (is a test run using it?)"
mirror_package=$demo/mirror/www/uploads/$package
echo "mirror: http://127.0.0.1:$port/uploads/$package and http://localhost:$line2_port/uploads/$package ($package_size bytes at $rate/s a connection)"

cp "$build/bin/TallyvoLauncherLocal.exe" "$demo/run/"
marker=$WINEPREFIX/drive_c/tallyvo-demo-installer.started
rm -f "$marker"
export TALLYVO_STUB_MARKER='C:\tallyvo-demo-installer.started'
export TALLYVO_STUB_NOTICE=1
"$src/tools/wine-run.sh" "$build/bin/exitcode_runner.exe" "$demo/run/TallyvoLauncherLocal.exe" \
  >"$demo/exitcode.txt" 2>"$demo/wine.err" &
runner_pid=$!

launcher_ended() { ! kill -0 "$runner_pid" 2>/dev/null; }
saved=$demo/run/Tallyvo/$package
package_complete() { [ -f "$saved" ] && cmp -s "$saved" "$mirror_package"; }

installer_notice() { xdotool search --name '示例安装程序' >/dev/null 2>&1; }
if [ -n "$interactive" ]; then
  echo "demo: the launcher is open on $DISPLAY; close it or install to end the demo"
  wait "$runner_pid" || true
  # The installer starts just as the launcher ends; leave its notice up until it is read.
  if [ "$(tr -d '\r\n' <"$demo/exitcode.txt")" = 4294967295 ]; then
    for _ in $(seq 75); do [ -f "$marker" ] && break; sleep 0.2; done
    for _ in $(seq 1500); do installer_notice || break; sleep 0.2; done
  fi
else
  wait_for 60 "the main window at $WINDOW_LEFT, $WINDOW_TOP" main_window_shown
  expect_pixel 306 311 148EED "the download picture" 60
  shot 1-start
  click_at 306 311
  expect_pixel 40 294 009FD9 "the progress bar moving" 40
  shot 2-downloading
  wait_for 60 "the package saved in $demo/run/Tallyvo" package_complete
  expect_pixel 306 346 148EED "the install picture" 80
  shot 3-install
  click_at 306 346
  wait_for 30 "the launcher to end after starting the installer" launcher_ended
  wait_for 30 "the sample installer's notice" installer_notice
  sleep 0.5
  shot 4-installer
fi

code=$(tr -d '\r\n' <"$demo/exitcode.txt")
installer=no
[ -f "$marker" ] && installer=yes
# The signer the launcher checked, from the line its day's log has for a package that passed.
signer=$(cat "$demo"/run/Tallyvo/Log/* 2>/dev/null | iconv -f GBK -t UTF-8 | tr -d '\r' |
  sed -n 's/.*安装包校验通过：//p' | tail -1)
checked="unchecked (this build pins no publisher)"
[ -n "$signer" ] && checked="signed by \"$signer\" as checked"
if package_complete && [ "$installer" = yes ] && [ "$code" = 4294967295 ]; then
  shots=
  [ -n "$interactive" ] || shots="; screenshots in $demo: $(cd "$demo" && echo ./*.png)"
  echo "demo: OK, the launcher saved $package_size bytes identical to the mirror's, $checked, started the installer and ended with $code$shots"
elif [ -n "$interactive" ]; then
  echo "demo: the launcher ended with exit code '$code' (package complete: $(package_complete && echo yes || echo no), installer started: $installer)"
else
  fail "exit code '$code', package complete: $(package_complete && echo yes || echo no), installer started: $installer"
fi
