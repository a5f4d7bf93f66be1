#!/usr/bin/env bash
# Without a click on a line button the download goes to the line that delivered the start of the
# package faster: here the Telecom host serves the probe slowly, so the Unicom host is chosen and
# asked for the start of the package.
source "$(dirname "$0")/lib/common.bash"
rm -f "$E2E_NGINX/access.log"
TALLYVO_SLOW_LINE_HOST=127.0.0.1 mirror_start 0
exe=$(launcher_copy)
wine_start "$exe"
wait_for 20 "the line probe's log line" line_probe_logged
expect_pixel 66 376 000080 "the check point on the Unicom radio" 60
press_download_when_shown
wait_for 40 "a byte-identical package at $saved" package_complete
line=$(launcher_log | tr -d '\r' | grep -F '线路测速：' | head -1)
echo "$line" | grep -qE '线路测速：电信 [0-9.]+KB/s，联通 [0-9.]+(KB|MB)/s，选择联通$' ||
  fail "the probe should log both speeds and choose 联通: '$line'"
# The chosen line starts the package; the Telecom line may join only for later pieces.
ranges=$(get_ranges)
start_asked_only_of localhost ||
  fail "the start of the package should be asked of the Unicom host localhost alone: $(echo "$ranges" | tr '\n' ';')"
echo "$ranges" | grep ' 20[06] ' | ranges_cover 0 3145727 ||
  fail "the package GETs answered do not cover bytes 0-3145727: $(echo "$ranges" | tr '\n' ';')"
for host in 127.0.0.1 localhost; do
  probes=$(grep -F '"bytes=0-262143"' "$E2E_NGINX/access.log" | grep -c " $host\$" || true)
  [ "$probes" = 1 ] || fail "one probe GET expected at $host, found $probes"
done
echo "faster_line: passed ($line)"
