#!/usr/bin/env bash
# The Telecom line lost half-way: each line has an nginx of its own, the same package on both,
# capped per connection. The launcher downloads with 电信 checked; when the bar shows about a
# third, the Telecom nginx is killed. The package must still arrive whole, pass the check and
# start, and the Unicom mirror must have been asked for ranges that, with what the Telecom
# mirror had sent until it went, make up the whole package.
source "$(dirname "$0")/lib/common.bash"
size=$((16 * 1024 * 1024))
rate=512k
telecom=$E2E_DIR/telecom unicom=$E2E_DIR/unicom
fixture=$E2E_SRC/tests/support/nginx-fixture.sh
line_package=$telecom/www/uploads/$PACKAGE_NAME

line_cleanup() {
  "$fixture" stop "$telecom" || true
  "$fixture" stop "$unicom" || true
  cleanup
}
trap line_cleanup EXIT

# The shared mirror holds both line ports; each line gets an nginx of its own on its port.
mirror_stop
TALLYVO_STUB_INSTALLER=$E2E_BUILD/bin/stub_installer.exe TALLYVO_PACKAGE_PKI=$E2E_BUILD/pki \
  TALLYVO_PACKAGE_SIZE=$size TALLYVO_UPLOADS_RATE=$rate "$fixture" start "$telecom" "$E2E_PORT" - - ||
  fail "the Telecom mirror did not start on port $E2E_PORT"
# The Unicom mirror serves a copy with the same bytes and date: the same Last-Modified and ETag.
TALLYVO_PACKAGE_COPY_OF=$line_package TALLYVO_UPLOADS_RATE=$rate "$fixture" start "$unicom" - - "$E2E_LINE2_PORT" ||
  fail "the Unicom mirror did not start on port $E2E_LINE2_PORT"

# The Unicom mirror serves the probe slowly (TALLYVO_SLOW_LINE_HOST): the probe checks 电信.
download_on_telecom_marking tallyvo-e2e-line-lost.started

# The bar's track runs from x=31 over 551 pixels: blue at x=215 is a third of the package.
third_shown() { pixel_near 215 294 009FD9 40; }
wait_for 60 "the progress bar at a third (blue at x=215)" third_shown
shot third
[ -f "$saved" ] && fail "the download had ended before the Telecom mirror was lost; slow the mirrors down"

# What the Telecom mirror had sent on its open connections, as the client acknowledged it.
acked=$(ss -Htni state established "( sport = :$E2E_PORT )" | { grep -o 'bytes_acked:[0-9]*' || true; } |
  awk -F: '{ n += $2 } END { print n + 0 }')
master=$(cat "$telecom/nginx.pid")
workers=$(pgrep -P "$master" | tr '\n' ' ' || true)
[ -n "$workers" ] || fail "no worker of the Telecom nginx $master"
# shellcheck disable=SC2086
kill -9 "$master" $workers
rm -f "$telecom/nginx.pid"
[ "$acked" -gt $((1024 * 1024)) ] ||
  fail "the Telecom mirror had sent only $acked bytes on open connections when it went: it was not the line in use"

prompt_shown() { local id; id=$(window_id_named frm_Info) && [ -n "$id" ]; }
line_package_complete() { [ -f "$saved" ] && cmp -s "$saved" "$line_package"; }
arrived_or_prompt() { line_package_complete || prompt_shown; }
wait_for 60 "the package at $saved or the failure prompt" arrived_or_prompt
if ! line_package_complete; then
  shot prompt
  fail "the failure prompt opened after the Telecom mirror was lost at $acked bytes sent; the day's log:" \
    "$(launcher_log | tr -d '\r' | grep -F '下载失败' | tr '\n' ';')"
fi
expect_pixel 306 346 148EED "the install picture" 80
log=$(launcher_log | tr -d '\r')
echo "$log" | grep -qF '安装包校验通过：Tallyvo Test Publisher' || fail "the package was not checked: $log"
click_at 306 346
wait_for 20 "the stub installer's marker $marker" test -f "$marker"
wait_for 20 "the launcher to end" launcher_ended
[ "$(launcher_exit_code)" = 4294967295 ] ||
  fail "the launcher should end with 4294967295 after starting the installer, got '$(launcher_exit_code)'"

# nginx logs a request when it ends, a moment after the client has its bytes. The killed mirror
# logged only what had ended before; its open connections are in $acked.
telecom_logged=$(grep -F 'GET /uploads/Tallyvo' "$telecom/access.log" 2>/dev/null |
  awk '{ n += $(NF - 1) } END { print n + 0 }')
unicom_ranges() { package_gets 1 "$unicom/access.log" | grep -v '^- ' | grep ' 206 [0-9]* localhost$' || true; }
unicom_bytes() { unicom_ranges | awk '{ n += $3 } END { print n + 0 }'; }
holds_within() {
  local end=$((SECONDS + $1)); shift
  until "$@"; do [ "$SECONDS" -lt "$end" ] || return 1; sleep 0.2; done
}
unicom_asked() { [ -n "$(unicom_ranges)" ]; }
holds_within 10 unicom_asked ||
  fail "the Unicom mirror was asked for no range of the package: $(package_gets 1 "$unicom/access.log" | tr '\n' ';')"
# A few requests' bytes may still have been on their way when the Telecom mirror was killed.
whole_accounted() { [ $(($(unicom_bytes) + telecom_logged + acked + 262144)) -ge "$size" ]; }
holds_within 10 whole_accounted ||
  fail "the mirrors account for only part of the $size bytes: Unicom $(unicom_bytes) in ranged answers," \
    "Telecom $acked on open connections and $telecom_logged in ended requests"
echo "line_lost: passed (Telecom sent $acked bytes on open connections and $telecom_logged in ended requests," \
  "Unicom $(unicom_bytes) in $(unicom_ranges | wc -l) ranged answers)"
