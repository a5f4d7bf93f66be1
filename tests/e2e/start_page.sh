#!/usr/bin/env bash
# The launcher's first page on screen: banner, the download button, the Telecom line checked, no
# install picture; a second instance and an instance started with an argument end at once with 0.
source "$(dirname "$0")/lib/common.bash"
mirror_start 0
exe=$(launcher_copy)
wine_start "$exe"
wait_for 40 "the main window at 428, 161" main_window_shown
expect_pixel 20 120 1C94F1 "banner blue at the left of the banner" 60
expect_pixel 306 311 148EED "download button blue" 60
expect_pixel 18 376 000080 "check point of the checked Telecom radio" 60
expect_pixel 66 376 FFFFFF "unchecked Unicom radio has no check point" 60
shot start
pixel_near 306 346 148EED 80 && fail "the install picture must not show on the start page"

for args in "" "--silent"; do
  code=$("$E2E_SRC/tools/wine-run.sh" "$E2E_BUILD/bin/exitcode_runner.exe" "$exe" $args 2>/dev/null | tr -d '\r')
  [ "$code" = 0 ] || fail "an extra instance (arguments: '$args') should end with 0, got '$code'"
done
[ -d "$E2E_DIR/Tallyvo/Log" ] || fail "the log folder Tallyvo/Log was not made"
echo "start_page: passed"
