#!/usr/bin/env bash
# A package signed by another publisher is never started: the download ends in the failure
# prompt, the package is gone, and the day's log names the rejection in GBK.
source "$(dirname "$0")/lib/common.bash"
mirror_start 0
package=$(mirror_package)
osslsigncode remove-signature -in "$package" -out "$E2E_DIR/unsigned.exe" >/dev/null
"$E2E_SRC/tools/make-test-pki.sh" sign "$E2E_BUILD/pki" "$E2E_DIR/unsigned.exe" "$package" other-publisher
export TALLYVO_STUB_MARKER='C:\tallyvo-e2e-foreign.started'
marker=$WINEPREFIX/drive_c/tallyvo-e2e-foreign.started
rm -f "$marker"
exe=$(launcher_copy)
launcher_start_counted "$exe"
press_download_when_shown
prompt_opens
shot prompt
[ -e "$saved" ] && fail "the rejected package is still at $saved"
for f in "$saved.tmp" "$saved.part"; do
  [ -e "$f" ] && fail "the rejected package is still at $f"
done
log_file=$(ls "$E2E_DIR"/Tallyvo/Log/* 2>/dev/null | head -1)
[ -n "$log_file" ] || fail "no day's log under $E2E_DIR/Tallyvo/Log"
# 安装包校验失败：发布者不符：, as GBK bytes.
rejected=$'\xB0\xB2\xD7\xB0\xB0\xFC\xD0\xA3\xD1\xE9\xCA\xA7\xB0\xDC\xA3\xBA\xB7\xA2\xB2\xBC\xD5\xDF\xB2\xBB\xB7\xFB\xA3\xBA'
LC_ALL=C grep -qF "${rejected}Tallyvo Other Publisher" "$log_file" ||
  fail "the log $log_file should name the other publisher after 安装包校验失败：发布者不符："
prompt_close
wait_for 10 "the failure prompt to close" window_named_gone frm_Info
start_page_or_end() { launcher_ended || pixel_near 306 311 148EED 60; }
wait_for 30 "the start page or the launcher's end after the prompt's close image" start_page_or_end
launcher_ended && fail "the launcher ended after the prompt's close image (code $(launcher_exit_code))"
[ -f "$marker" ] && fail "the package of another publisher was started"
echo "foreign_package: passed"
