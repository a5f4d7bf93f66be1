#!/usr/bin/env bash
# The launcher from the keyboard alone: Enter on the start page starts the download, Escape during
# it brings the close question (OK ends with -1), and Escape on the start page ends the launcher
# as a close from the task bar does.
source "$(dirname "$0")/lib/common.bash"
mirror_start 300k
exe=$(launcher_copy)
launcher_start_counted "$exe"
wait_for 40 "the main window at 428, 161" main_window_shown
# A press on the empty page area gives the window the keyboard and touches no control.
click_at 100 300
xdotool key Return
expect_pixel 40 294 009FD9 "the left end of the progress bar after Enter" 40
shot progress_after_enter
xdotool key Escape
question_opens
shot close_question_after_escape
question_ok
wait_for 20 "the launcher to end after OK on the close question" launcher_ended
[ "$(launcher_exit_code)" = 4294967295 ] || fail "OK on the close question should end with 4294967295, got '$(launcher_exit_code)'"

launcher_start_counted "$exe"
wait_for 40 "the main window at 428, 161 again" main_window_shown
click_at 100 300
xdotool key Escape
wait_for 20 "the launcher to end at Escape on the start page" launcher_ended
[ "$(launcher_exit_code)" = 0 ] || fail "Escape on the start page should end the launcher normally, got '$(launcher_exit_code)'"
echo "keyboard: passed"
