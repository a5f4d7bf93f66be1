#!/usr/bin/env bash
# A download that cannot reach its mirror: the failure prompt opens at its own place (also with
# the main window dragged away), the day's log holds the client's text in GBK, the prompt's close
# image returns to the start page, and the browser choice hands the primary address to the
# browser, also from the Unicom line, and ends the launcher with -1.
source "$(dirname "$0")/lib/common.bash"
trap 'browser_stub_remove; cleanup' EXIT
mirror_stop
browser_stub_install
exe=$(launcher_copy)
launcher_start_counted "$exe"
press_download_when_shown
prompt_opens
shot prompt

# The log is GBK: 下载失败 as its GBK bytes, and none of its UTF-8 form.
log_file=$(ls "$E2E_DIR"/Tallyvo/Log/* 2>/dev/null | head -1)
[ -n "$log_file" ] || fail "no day's log under $E2E_DIR/Tallyvo/Log after a failed download"
LC_ALL=C grep -q $'\xCF\xC2\xD4\xD8\xCA\xA7\xB0\xDC' "$log_file" || fail "the GBK bytes of 下载失败 are missing in $log_file"
LC_ALL=C grep -q $'\xE4\xB8\x8B\xE8\xBD\xBD' "$log_file" && fail "the log $log_file holds UTF-8 text"
fail_line=$(launcher_log | tr -d '\r' | grep -F '下载失败dsFail： ' | head -1)
[[ $fail_line =~ ^[0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}\ \[Information\]\ 下载失败dsFail：\ 获取下载包信息失败:.+ ]] ||
  fail "the log should hold '下载失败dsFail： 获取下载包信息失败:<reason>', found '$fail_line'"
# The reason must be the connection's error, not the text of a failed message lookup.
reason=${fail_line#*获取下载包信息失败:}
[[ $reason == *%1* || $reason == *%2* ]] &&
  fail "the failed probe is logged with FormatMessage's own 'message not found' text ('$reason') instead of the connection error's"

# The close image: back to the start page, the launcher still running.
prompt_close
wait_for 10 "the failure prompt to close" window_named_gone frm_Info
expect_pixel 306 311 148EED "the download button on the start page again" 60
expect_pixel 18 376 000080 "the Telecom radio still checked" 60
shot start_again

# The browser choice, from a second failure on the Unicom line with the main window dragged
# elsewhere: the prompt keeps its own place and the browser still gets the primary address.
click_at 80 376
expect_pixel 66 376 000080 "check point of the Unicom radio once clicked" 60
expect_pixel 18 376 FFFFFF "the Telecom radio cleared by the Unicom one" 60
launcher_ended && fail "the launcher ended after the prompt's close image (code $(launcher_exit_code))"
xdotool mousemove $((WINDOW_LEFT + 300)) $((WINDOW_TOP + 80)) mousedown 1 sleep 0.3 \
  mousemove $((WINDOW_LEFT + 250)) $((WINDOW_TOP + 50)) sleep 0.2 mousemove $((WINDOW_LEFT + 100)) $((WINDOW_TOP - 20)) \
  sleep 0.3 mouseup 1
WINDOW_LEFT=$((WINDOW_LEFT - 200)) WINDOW_TOP=$((WINDOW_TOP - 100))
main_at_new_place() { [ "$(window_geometry "$(main_window_id)")" = "$WINDOW_LEFT $WINDOW_TOP 620 416" ]; }
wait_for 5 "the main window dragged by its banner to $WINDOW_LEFT, $WINDOW_TOP" main_at_new_place
expect_pixel 306 311 148EED "download button blue after the drag" 60
click_at 306 311
prompt_opens
prompt_browser
wait_for 20 "the stub browser's record $E2E_DIR/browser.txt" test -f "$E2E_DIR/browser.txt"
wanted="http://127.0.0.1:$E2E_PORT/uploads/$PACKAGE_NAME"
got=$(cat "$E2E_DIR/browser.txt")
[ "$got" = "$wanted" ] || fail "the browser should get '$wanted', got '$got'"
wait_for 20 "the launcher to end after the browser choice" launcher_ended
code=$(launcher_exit_code)
[ "$code" = 4294967295 ] || fail "the launcher should end with 4294967295 after the browser choice, got '$code'"

echo "failure_prompt: passed"
