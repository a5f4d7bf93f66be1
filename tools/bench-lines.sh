#!/usr/bin/env bash
# The download over two lines that cap each connection, against the field's multi-source
# downloader: tools/bench-lines.sh [--rounds N] <build folder>   (tools/bench.sh calls it)
#
# Two nginx mirrors, one on each line port compiled into TallyvoLauncherLocal.exe (Telecom
# 127.0.0.1, Unicom localhost), serve the same signed package of BENCH_LINES_MIB (32) MiB as
# /uploads/<package name>, each capping every connection at BENCH_LINES_RATE (1m, nginx's
# limit_rate). Each round times three ways, taking turns going first:
#   window  the launcher's window, from the click on 立即下载 to the package in place in "Tallyvo\"
#           (the click comes once the line probe has logged its choice);
#   aria2c  -x4 -s8 -k1M given both mirrors' addresses;
#   curl    one connection to the Telecom mirror, for reference.
# Every result is compared with the mirror's bytes; the mirrors' logs tell how each way split the
# package over the lines. Rounds: --rounds N or BENCH_LINES_ROUNDS (5).
set -euo pipefail
tools=$(cd "$(dirname "$0")" && pwd)
src=$(dirname "$tools")
source "$tools/bench-window-lib.bash"

rounds=${BENCH_LINES_ROUNDS:-5}
if [ "${1:-}" = --rounds ]; then rounds=$2; shift 2; fi
[[ $rounds =~ ^[1-9][0-9]*$ ]] || { echo "bench-lines: --rounds takes a whole number, not '$rounds'" >&2; exit 2; }
build=$(cd "${1:-build}" && pwd)
size_mib=${BENCH_LINES_MIB:-32}
rate=${BENCH_LINES_RATE:-1m}
size=$((size_mib * 1048576))
launcher=TallyvoLauncherLocal.exe
package='Tallyvo（Norvik）（完整安装包）.exe'
for exe in "$launcher" paintwatch.exe stub_installer.exe; do
  [ -f "$build/bin/$exe" ] || { echo "bench-lines: $build/bin/$exe is missing; build first" >&2; exit 2; }
done
for tool in aria2c curl; do
  command -v "$tool" >/dev/null || { echo "bench-lines: $tool is missing (tools/install-deps.sh installs it)" >&2; exit 2; }
done
if [ "$(id -u)" = 0 ] && [ "${BENCH_NICE:-1}" != 0 ]; then renice -n -10 $$ >/dev/null || true; fi

work=$build/bench-lines
run=$work/run
out=$work/out
telecom=$work/telecom unicom=$work/unicom
results=$work/lines-results.txt
SHOT_DIR=$work
fail() {
  echo "bench-lines: FAILED, $*" >&2
  [ -n "${DISPLAY:-}" ] && import -window root "$work/failure.png" 2>/dev/null && echo "screenshot: $work/failure.png" >&2
  exit 1
}
source "$tools/window-lib.bash"
source "$tools/xvfb-lib.sh"
read -r port _ line2_port <<<"$(launcher_test_ports "$build")"
[ -n "$line2_port" ] || fail "no line ports configured in $build"
export WINEPREFIX=$build/wineprefix
STARTED=()

cleanup() {
  local pid
  for pid in "${STARTED[@]}"; do kill "$pid" 2>/dev/null || true; done
  WINEDEBUG=-all wineserver -k 2>/dev/null || true
  timeout 10 wineserver -w 2>/dev/null || true
  "$src/tests/support/nginx-fixture.sh" stop "$telecom" 2>/dev/null || true
  "$src/tests/support/nginx-fixture.sh" stop "$unicom" 2>/dev/null || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$run/Tallyvo" "$out" "$telecom/www/uploads" "$unicom/www/uploads"
}

rm -rf "$run" "$out" "$work/failure.png"
mkdir -p "$run" "$out"
TALLYVO_FORCE_XVFB=1 ensure_display
trap cleanup EXIT
trap 'exit 130' INT TERM
sleep 0.5
kill -0 "$XVFB_PID" 2>/dev/null || fail "Xvfb did not start on $DISPLAY"
keep_prefix_up_for_display

# Both mirrors alike: no line serves the probe slowly, and the Unicom copy keeps the bytes and date.
TALLYVO_STUB_INSTALLER=$build/bin/stub_installer.exe TALLYVO_PACKAGE_PKI=$build/pki TALLYVO_PACKAGE_SIZE=$size \
  TALLYVO_UPLOADS_RATE=$rate TALLYVO_SLOW_LINE_HOST=none \
  "$src/tests/support/nginx-fixture.sh" start "$telecom" "$port" - >/dev/null ||
  fail "the Telecom mirror did not start on port $port (is a test run of $build using it?)"
mirror_package=$telecom/www/uploads/$package
TALLYVO_PACKAGE_COPY_OF=$mirror_package TALLYVO_UPLOADS_RATE=$rate TALLYVO_SLOW_LINE_HOST=none \
  "$src/tests/support/nginx-fixture.sh" start "$unicom" - - "$line2_port" >/dev/null ||
  fail "the Unicom mirror did not start on port $line2_port"
path=/uploads/$(printf %s "$package" | perl -pe 's/([^A-Za-z0-9._~-])/sprintf("%%%02X", ord($1))/ge')
telecom_url=http://127.0.0.1:$port$path
unicom_url=http://localhost:$line2_port$path

record() { echo "$round $1 $2" >>"$results"; }
check_download() {
  local file=$1 who=$2 bytes
  bytes=$(stat -c %s "$file" 2>/dev/null || echo 0)
  [ "$bytes" -eq "$size" ] || fail "$who saved $bytes bytes of $size"
  cmp -s "$file" "$mirror_package" || fail "$who saved other bytes than the mirror's"
}

# The mirrors' logs from a mark on: bytes each line sent of the package, the line probe's GETs
# left out (nginx logs a request once it has ended, a moment after the client has the bytes).
mark_logs() { MARK_T=$(stat -c %s "$telecom/access.log" 2>/dev/null || echo 0) MARK_U=$(stat -c %s "$unicom/access.log" 2>/dev/null || echo 0); }
sent_since() {
  { tail -c +"$(($2 + 1))" "$1" 2>/dev/null || true; } | { grep -F 'GET /uploads/Tallyvo' || true; } |
    { grep -vF '"bytes=0-262143"' || true; } | awk '{ n += $(NF - 1) } END { print n + 0 }'
}
record_lines() {
  local way=$1 t u end=$((SECONDS + 5))
  while :; do
    t=$(sent_since "$telecom/access.log" "$MARK_T") u=$(sent_since "$unicom/access.log" "$MARK_U")
    [ $((t + u)) -lt "$size" ] && [ "$SECONDS" -lt "$end" ] || break
    sleep 0.1
  done
  record "${way}_telecom_mib" "$(calc "$t / 1048576")"
  record "${way}_unicom_mib" "$(calc "$u / 1048576")"
}

probe_logged() {
  local f
  for f in "$run"/Tallyvo/Log/*; do [ -f "$f" ] && iconv -f GBK -t UTF-8 "$f" 2>/dev/null | grep -qF '线路测速：' && return 0; done
  return 1
}

window_way() {
  local saved=$run/Tallyvo/$package
  rm -rf "$run/Tallyvo"
  [ -f "$run/$launcher" ] || cp "$build/bin/$launcher" "$run/"
  start_launcher_window
  wait_for 30 "the line probe's log line" probe_logged
  point_at_download_picture
  mark_logs
  press_download_picture
  watch_transfer "$saved.tmp" "$saved" 300 || fail "the window did not save the package within 300 s"
  check_download "$saved" "the window"
  record window_s "$(calc "$DONE_AT - $CLICKED_AT")"
  record_lines window
  stop_launcher "$LAUNCHER_PID"
  rm -rf "$run/Tallyvo"
}

aria2c_way() {
  local began
  rm -rf "$out" && mkdir -p "$out"
  sync
  mark_logs
  began=$(now)
  timeout 300 aria2c -x4 -s8 -k1M --disable-ipv6=true --file-allocation=none --allow-overwrite=true \
    --auto-file-renaming=false --console-log-level=warn --summary-interval=0 --download-result=hide \
    -d "$out" -o "$package" "$telecom_url" "$unicom_url" >"$work/aria2c.out" 2>&1 ||
    fail "aria2c failed: $(tail -3 "$work/aria2c.out")"
  record aria2c_s "$(calc "$(now) - $began")"
  check_download "$out/$package" aria2c
  record_lines aria2c
  rm -rf "$out"
}

curl_way() {
  local began
  rm -rf "$out" && mkdir -p "$out"
  sync
  mark_logs
  began=$(now)
  timeout 300 curl -sS -o "$out/$package" "$telecom_url" 2>"$work/curl.err" || fail "curl failed: $(cat "$work/curl.err")"
  record curl_s "$(calc "$(now) - $began")"
  check_download "$out/$package" curl
  record_lines curl
  rm -rf "$out"
}

: >"$results"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
ways=(window aria2c curl)
for round in $(seq "$rounds"); do
  # Each round starts with the next way, so that none always meets the colder caches.
  for i in 0 1 2; do
    "${ways[$(((round + i) % 3))]}_way"
  done
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

show() {
  local med lo hi
  read -r med lo hi _ <<<"$(stats "$1" "$results")"
  printf "%6.2f s  (%.2f-%.2f)" "$med" "$lo" "$hi"
}
# What each line sent of the package, median (min-max) in MiB: the probe may pick either line.
lines_of() {
  local t t_lo t_hi u u_lo u_hi
  read -r t t_lo t_hi _ <<<"$(stats "$1_telecom_mib" "$results")"
  read -r u u_lo u_hi _ <<<"$(stats "$1_unicom_mib" "$results")"
  printf "电信 %.1f (%.1f-%.1f) MiB, 联通 %.1f (%.1f-%.1f) MiB" "$t" "$t_lo" "$t_hi" "$u" "$u_lo" "$u_hi"
}
median() { stats "$1" "$results" | cut -d' ' -f1; }
echo
echo "two lines, $size_mib MiB package, each connection capped at $rate/s; median (min-max) of $rounds rounds taking turns"
echo "raw figures: $results; load average before: $load_before, after: $load_after ($(nproc) cores)"
printf "  %-34s %s   %s\n" "window, click -> package in place" "$(show window_s)" "$(lines_of window)"
printf "  %-34s %s   %s\n" "aria2c -x4 -s8 -k1M, both mirrors" "$(show aria2c_s)" "$(lines_of aria2c)"
printf "  %-34s %s   %s\n" "curl, one connection" "$(show curl_s)" "$(lines_of curl)"
echo "  window/aria2c: $(calc "$(median window_s) / $(median aria2c_s)") of the time (goal <= 1.20);" \
  "window/curl: $(calc "$(median window_s) / $(median curl_s)")"
