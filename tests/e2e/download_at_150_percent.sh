#!/usr/bin/env bash
# At 150 % (Wine's LogPixels 144) the launcher lays itself out at that scale: the window stands
# at 1.5 times its stored place and size, the download picture where 1.5 times its stored place
# puts it; a click there fetches the package and the install picture shows at its scaled place.
export TALLYVO_XVFB_SCREEN=2560x1600x24
source "$(dirname "$0")/lib/common.bash"
export WINEPREFIX
WINEPREFIX=$("$E2E_SRC/tools/dpi-prefix.sh" "$E2E_BUILD" 144)
WINDOW_LEFT=642 WINDOW_TOP=242
mirror_start
exe=$(launcher_copy)
wine_start "$exe"
wait_for 40 "the main window" main_window_shown
geometry=$(window_geometry "$(main_window_id)")
[ "$geometry" = "642 242 930 624" ] || fail "at 150 % the main window should lie at 642,242 sized 930x624, found '$geometry'"
# 立即下载 (199, 42, 215 x 57 on the page below the 241 px banner) at 1.5 times: x 299 to 622,
# y 425 to 511; the page's grey just left of it.
expect_pixel 460 468 148EED "the download picture's blue at its place at 150 %" 60
expect_pixel 305 468 148EED "the download picture's left end at 305" 60
expect_pixel 615 468 148EED "the download picture's right end at 615" 60
expect_pixel 293 468 F5F5F5 "the page left of the download picture" 8
shot start_150
click_at 460 468
wait_for 60 "the package to arrive complete" package_complete
# 立即安装 (209, 81, 194 x 48 on the progress page) at 1.5 times, centred at (459, 520).
expect_pixel 459 520 148EED "the install picture at its place at 150 %" 60
shot install_150
echo "download_at_150_percent: passed"
