#!/usr/bin/env bash
# A whole download through the window: the bar grows, the saved package is byte-identical to
# the mirror's, the install picture starts it, and the launcher ends with -1 (4294967295).
source "$(dirname "$0")/lib/common.bash"
rm -f "$E2E_NGINX/access.log"
mirror_start 400k
exe=$(launcher_copy)
export TALLYVO_STUB_MARKER='C:\tallyvo-e2e-installer.started'
marker=$WINEPREFIX/drive_c/tallyvo-e2e-installer.started
rm -f "$marker"
"$E2E_SRC/tools/wine-run.sh" "$E2E_BUILD/bin/exitcode_runner.exe" "$exe" >"$E2E_DIR/exitcode.txt" 2>/dev/null &
E2E_PIDS+=("$!")
press_download_when_shown

# The bar grows: at some moment its left end is blue and a point further right not yet.
bar_part_way() { pixel_near 40 294 009FD9 40 && ! pixel_near 500 294 009FD9 40; }
wait_for 40 "the progress bar drawn to its left end but not yet to x=500" bar_part_way
shot downloading
wait_for 40 "a byte-identical package at $saved" package_complete
expect_pixel 500 294 009FD9 "the progress bar full at the end" 40
expect_pixel 306 346 148EED "the install picture" 80
shot done
click_at 306 346
wait_for 20 "the stub installer's marker $marker" test -f "$marker"
exit_code_known() { [ -s "$E2E_DIR/exitcode.txt" ]; }
wait_for 20 "the launcher to end" exit_code_known
code=$(tr -d '\r\n' <"$E2E_DIR/exitcode.txt")
[ "$code" = 4294967295 ] || fail "the launcher should end with 4294967295 after starting the installer, got '$code'"
ranges=$(get_ranges)
# Only the checked Telecom line asks from byte 0: the Unicom line may join for later pieces only.
start_asked_only_of '127\.0\.0\.1' ||
  fail "the start of the package should be asked of the Telecom host 127.0.0.1 alone: $(echo "$ranges" | tr '\n' ';')"
echo "$ranges" | grep ' 20[06] ' | ranges_cover 0 3145727 ||
  fail "the package GETs answered do not cover bytes 0-3145727: $(echo "$ranges" | tr '\n' ';')"
done_line=$(launcher_log | tr -d '\r' | grep -F '下载完成：' | head -1)
[[ $done_line =~ 下载完成：电信\ ([0-9.]+)MB（[1-4]个连接）(，联通\ ([0-9.]+)MB（[1-4]个连接）)?$ ]] ||
  fail "the log should say what each line carried after '下载完成：', found '$done_line'"
carried=$(awk "BEGIN { printf \"%.2f\", ${BASH_REMATCH[1]} + ${BASH_REMATCH[3]:-0} }")
[ "$carried" = 3.00 ] || fail "the lines together should have carried 3.00MB, the log says '$done_line'"
echo "download_install: passed"
