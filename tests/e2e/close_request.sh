#!/usr/bin/env bash
# A close request from another program during a download (WM_CLOSE, as the task bar sends it)
# stops the transfer and brings up the close question; Cancel resumes with a byte range, OK ends
# the launcher with -1 and keeps the partial file. The progress page shows speed and time left
# meanwhile. Over the Unicom line, whose host spelling nginx logs with every request.
source "$(dirname "$0")/lib/common.bash"
rm -f "$E2E_NGINX/access.log"
mirror_start 300k
exe=$(launcher_copy)
launcher_start_counted "$exe"
wait_for 40 "the main window at 428, 161" main_window_shown
click_at 80 376
expect_pixel 66 376 000080 "check point of the Unicom radio once clicked" 60
click_at 306 311

temp=$saved.tmp
temp_size() { stat -c %s "$temp" 2>/dev/null || echo 0; }
expect_pixel 40 294 009FD9 "the left end of the progress bar" 40
wait_for 20 "the speed and time left beside the percentage" speed_shown
shot progress_speed

close_from_outside
question_opens
shot close_question
main_window_shown || fail "the main window went at the close request"
launcher_ended && fail "the launcher ended at the close request (code $(launcher_exit_code))"
cut_at=$(temp_size)
sleep 1.5
[ "$(temp_size)" = "$cut_at" ] || fail "the transfer went on behind the close question: $cut_at, then $(temp_size) bytes"
[ "$cut_at" -gt 0 ] || fail "nothing was received before the close request"

question_cancel
question_closes
grown() { [ "$(temp_size)" -gt "$cut_at" ]; }
wait_for 20 "the transfer to resume past $cut_at bytes" grown
launcher_ended && fail "the launcher ended after Cancel on the close question (code $(launcher_exit_code))"

close_from_outside
question_opens
question_ok
wait_for 20 "the launcher to end after OK on the close question" launcher_ended
code=$(launcher_exit_code)
[ "$code" = 4294967295 ] || fail "OK on the close question should end the launcher with 4294967295, got '$code'"
kept=$(temp_size)
[ "$kept" -gt "$cut_at" ] || fail "the partial file $temp should be kept after OK, found $kept bytes"
[ -f "$saved" ] && fail "a package $saved appeared although the download was closed"
cmp -s -n "$kept" "$temp" "$(mirror_package)" || fail "the $kept bytes kept in $temp differ from the mirror's package"

# The first GET was cut by the close request, the second asked for the rest; both on the Unicom host.
gets=$(package_gets)
wait_logged() { [ "$(package_gets | wc -l)" -ge 2 ]; }
wait_for 10 "nginx to log both GETs of the package" wait_logged
gets=$(package_gets)
echo "$gets" | sed -n 1p | grep -q '^- 200 [0-9]* localhost$' ||
  fail "the first GET should be a whole-file request to the Unicom host localhost: $(echo "$gets" | tr '\n' ';')"
echo "$gets" | sed -n 2p | grep -q "^bytes=$cut_at- 206 [0-9]* localhost\$" ||
  fail "after Cancel the GET should ask for bytes=$cut_at- from localhost: $(echo "$gets" | tr '\n' ';')"
echo "close_request: passed"
