#!/usr/bin/env bash
# The whole job on an English Windows (ANSI code page 1252, which cannot spell the package's
# name): the package is saved under its own name, the installer started from it, and the log
# is GBK as on a Chinese system.
source "$(dirname "$0")/lib/common.bash"
export TALLYVO_WINE_LOCALE=en_US.UTF-8
WINEDEBUG=-all wineserver -k 2>/dev/null || true  # no process of the Chinese locale stays on
mirror_start
exe=$(launcher_copy)
export TALLYVO_STUB_MARKER='C:\tallyvo-e2e-english.started'
marker=$WINEPREFIX/drive_c/tallyvo-e2e-english.started
rm -f "$marker"
wine_start "$exe"
press_download_when_shown
wait_for 40 "a byte-identical package at $saved" package_complete
expect_pixel 306 346 148EED "the install picture" 80
click_at 306 346
wait_for 20 "the stub installer's marker $marker" test -f "$marker"
grep -q '^code page 1252$' "$marker" || fail "the installer did not run under code page 1252: $(cat "$marker")"
grep -qF "Tallyvo\\$PACKAGE_NAME" "$marker" || fail "the installer was not started from the package: $(cat "$marker")"
others=$(ls "$E2E_DIR/Tallyvo" | grep -vx -e "$PACKAGE_NAME" -e Log || true)
[ -z "$others" ] || fail "the save folder holds more than the package and the log folder: $others"
launcher_log | grep -qF '[Information] 安装包校验通过：Tallyvo Test Publisher' ||
  fail "the log should read '安装包校验通过：Tallyvo Test Publisher' in GBK, found: $(launcher_log)"
echo "english_code_page: passed"
