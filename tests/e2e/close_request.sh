#!/usr/bin/env bash
# A close request from another program during a download (WM_CLOSE, as the task bar sends it)
# stops the transfer and brings up the close question; Cancel resumes with byte ranges, OK ends
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
# The run ends at the question and records what it holds; nothing may arrive behind the question.
cut_have=$(side_have)
cut_at=$(partial_allocated)
sleep 1.5
[ "$(partial_allocated)" = "$cut_at" ] && [ "$(side_have)" = "$cut_have" ] ||
  fail "the transfer went on behind the close question: $cut_at, then $(partial_allocated) bytes on disk; Have $(ranges_text "$cut_have"), then $(ranges_text "$(side_have)")"
[ "$(ranges_bytes "$cut_have")" -gt 0 ] || fail "nothing was received before the close request (Have '$(ranges_text "$cut_have")')"
ranges_match_mirror "$(partial_file)" "$cut_have" ||
  fail "the bytes held at the cut ($(ranges_text "$cut_have")) in $(partial_file) differ from the mirror's package"
after_cut=$(log_mark)

question_cancel
question_closes
grown() { [ "$(partial_allocated)" -gt "$cut_at" ]; }
wait_for 20 "the transfer to resume past $cut_at bytes on disk" grown
launcher_ended && fail "the launcher ended after Cancel on the close question (code $(launcher_exit_code))"

close_from_outside
question_opens
question_ok
wait_for 20 "the launcher to end after OK on the close question" launcher_ended
code=$(launcher_exit_code)
[ "$code" = 4294967295 ] || fail "OK on the close question should end the launcher with 4294967295, got '$code'"
kept=$(side_have)
[ -f "$(partial_file)" ] && [ "$(ranges_bytes "$kept")" -gt "$(ranges_bytes "$cut_have")" ] ||
  fail "the partial file should be kept after OK with more than at the first cut: Have $(ranges_text "$kept"), $(partial_file)"
[ -f "$saved" ] && fail "a package $saved appeared although the download was closed"
ranges_match_mirror "$(partial_file)" "$kept" ||
  fail "the bytes kept ($(ranges_text "$kept")) in $(partial_file) differ from the mirror's package"

# Every GET went to the Unicom host that was clicked; after Cancel none asked again for a byte held.
gets=$(get_ranges)
[ -n "$gets" ] && [ "$gets" = "$(echo "$gets" | grep ' localhost$')" ] ||
  fail "the package should be asked of the clicked Unicom host localhost only: $(echo "$gets" | tr '\n' ';')"
again=$(get_ranges "$after_cut" | ranges_meeting "$cut_have")
# (a GET of the cut run still open 1.5 s after the question lands here too: a transfer behind it)
[ -z "$again" ] || fail "after Cancel the GETs asked again for bytes held at the cut ($(ranges_text "$cut_have")): $(echo "$again" | tr '\n' ';')"
[ -n "$(get_ranges "$after_cut")" ] || fail "no GET of the package after Cancel on the close question"
echo "close_request: passed"
