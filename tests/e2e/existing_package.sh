#!/usr/bin/env bash
# A package already in "Tallyvo\" makes the launcher ask before downloading: Cancel keeps the
# file as it was and stays on the start page; OK replaces it with the mirror's package.
source "$(dirname "$0")/lib/common.bash"
rm -f "$E2E_NGINX/access.log"
mirror_start 0
exe=$(launcher_copy)
mkdir -p "$E2E_DIR/Tallyvo"
head -c 5000 /dev/urandom >"$E2E_DIR/placed.bin"
cp "$E2E_DIR/placed.bin" "$saved"

# The full path before the question is far wider than one line of the widest dialog.
question_checked() {
  question_opens
  [ "$Q_WIDTH" = 500 ] || fail "the question with the full path should be 500 wide, found $Q_WIDTH"
  [ $((Q_LEFT * 2 + Q_WIDTH)) -ge 1278 ] && [ $((Q_LEFT * 2 + Q_WIDTH)) -le 1282 ] ||
    fail "the question should be centred on the 1280-wide screen, found left $Q_LEFT width $Q_WIDTH"
  expect_screen_pixel $((Q_LEFT + 10)) $((Q_TOP + 10)) 0A81E5 "the question's blue title bar" 30
  expect_screen_pixel $((Q_LEFT + Q_WIDTH - 70)) $((Q_TOP + Q_HEIGHT - 34)) 428BCA "the question's Cancel button" 30
}

wine_start "$exe"
press_download_when_shown
question_checked
shot question
question_cancel
question_closes
expect_pixel 306 311 148EED "the download button: Cancel stays on the start page" 60
expect_pixel 18 376 000080 "the Telecom radio still checked after Cancel" 60

# Asked again only from the start page: a transfer that Cancel started has shown by then.
click_at 306 311
question_checked
cmp -s "$saved" "$E2E_DIR/placed.bin" || fail "Cancel should keep $saved as it was placed"
for f in "$saved.part" "$saved.tmp" "$saved.sdc"; do
  [ -e "$f" ] && fail "Cancel started a transfer: $f exists"
done
[ -n "$(package_gets)" ] && fail "Cancel fetched the package: $(package_gets | tr '\n' ';')"
# The line probe asks each host once (HEAD); a second HEAD would be a download that Cancel began.
for host in 127.0.0.1 localhost; do
  heads=$(grep -F 'HEAD /uploads/Tallyvo\xEF\xBC\x88Norvik' "$E2E_NGINX/access.log" | grep -c " $host\$" || true)
  [ "$heads" -le 1 ] || fail "Cancel asked the mirror about the package: $heads HEADs at $host"
done
question_ok
question_closes
wait_for 40 "the mirror's package at $saved after OK" package_complete
expect_pixel 306 346 148EED "the install picture after the new download" 80
# Anew from byte 0, nothing taken from the placed file: the GETs answered cover the package.
get_ranges | grep ' 20[06] ' | ranges_cover 0 3145727 && start_asked_only_of '127\.0\.0\.1' ||
  fail "OK should fetch the whole package anew, from byte 0 at the Telecom host: $(get_ranges | tr '\n' ';')"
echo "existing_package: passed"
