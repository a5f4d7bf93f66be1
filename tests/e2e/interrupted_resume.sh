#!/usr/bin/env bash
# A transfer cut part-way by the mirror going down: the failure prompt opens, the day's log
# names the failure, and once the mirror is back 重新下载 continues from the temporary file with
# a byte range and ends with the mirror's exact package.
source "$(dirname "$0")/lib/common.bash"
rm -f "$E2E_NGINX/access.log"
mirror_start 300k
exe=$(launcher_copy)
wine_start "$exe"
press_download_when_shown

temp=$saved.tmp
side=$saved.sdc
expect_pixel 40 294 009FD9 "the left end of the progress bar" 40
temp_holds_some() { [ -f "$temp" ] && [ "$(stat -c %s "$temp")" -gt 300000 ]; }
wait_for 20 "more than 300000 bytes in $temp" temp_holds_some
mirror_stop
prompt_opens
shot prompt
[ -f "$temp" ] || fail "the temporary file $temp went with the failure"
cut_at=$(stat -c %s "$temp")
package_size=$(stat -c %s "$(mirror_package)")
[ "$cut_at" -lt "$package_size" ] || fail "the transfer was not cut: $cut_at of $package_size bytes"
[ -f "$saved" ] && fail "a package $saved appeared although the transfer was cut"
[ -f "$side" ] || fail "the side file $side that remembers the server's answer is missing after the cut"
cmp -s -n "$cut_at" "$temp" "$(mirror_package)" || fail "the $cut_at bytes of $temp differ from the mirror's package"
fail_line=$(launcher_log | tr -d '\r' | grep -F '下载失败dsFail： ' | head -1)
# A connection closed early ends the read with too few bytes; a reset fails the read itself.
[[ $fail_line == *'下载失败dsFail： 下载文件与服务器上记录的大小不一致，请重试!' ||
   $fail_line == *'下载失败dsFail： 从网络读取文件失败'* ]] ||
  fail "the day's log should name the cut transfer after '下载失败dsFail： ', found: $(launcher_log)"

mirror_restart_same_package 0
prompt_reload
wait_for 10 "the failure prompt to close" window_named_gone frm_Info
wait_for 40 "a byte-identical package at $saved" package_complete
expect_pixel 500 294 009FD9 "the progress bar full at the end" 40
expect_pixel 306 346 148EED "the install picture" 80
package_gets | grep -q "^bytes=$cut_at- 206 " ||
  fail "no GET with the range bytes=$cut_at- answered 206; the package GETs were: $(package_gets | tr '\n' ';')"
# nginx logs a request when it ends; the one cut by the shutdown is not logged.
[ "$(package_gets | wc -l)" = 1 ] ||
  fail "after the restart the package should be fetched once, by the ranged GET: $(package_gets | tr '\n' ';')"
[ -f "$temp" ] && fail "the temporary file $temp stayed after the resumed download"
[ -f "$side" ] && fail "the side file $side stayed after the resumed download"
echo "interrupted_resume: passed"
