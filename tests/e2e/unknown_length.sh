#!/usr/bin/env bash
# A mirror that announces no length: while the data flows the bar stays empty and the page shows
# the amount received with the speed; the finished download shows 100 % with the full bar.
source "$(dirname "$0")/lib/common.bash"
rm -f "$E2E_NGINX/access.log"
TALLYVO_UPLOADS_NO_LENGTH=1 mirror_start 300k
exe=$(launcher_copy)
wine_start "$exe"
press_download_when_shown

arrived_some() { [ "$(partial_allocated)" -gt 300000 ]; }
wait_for 20 "more than 300000 bytes on disk in $saved.part" arrived_some
wait_for 20 "the speed beside the amount received" speed_shown
shot progress_unknown_length
pixel_near 40 294 009FD9 40 && fail "the bar grew although the mirror announced no length"
wait_for 40 "a byte-identical package at $saved" package_complete
expect_pixel 500 294 009FD9 "the progress bar full at the end" 40
expect_pixel 306 346 148EED "the install picture" 80
shot done_unknown_length
# A stream of unknown length cannot be split: one GET from the Telecom host, answered whole.
gets=$(get_ranges | awk '{ print $1, $3, $4 }')
[ "$gets" = "0 200 127.0.0.1" ] ||
  fail "one whole-file GET of the package from the Telecom host and no other expected: $(echo "$gets" | tr '\n' ';')"
echo "unknown_length: passed"
