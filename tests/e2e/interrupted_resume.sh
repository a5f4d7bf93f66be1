#!/usr/bin/env bash
# A transfer cut part-way by the mirror going down: the failure prompt opens, the day's log
# names the failure, and once the mirror is back 重新下载 asks only for the bytes still missing and
# ends with the mirror's exact package.
source "$(dirname "$0")/lib/common.bash"
rm -f "$E2E_NGINX/access.log"
mirror_start 300k
exe=$(launcher_copy)
wine_start "$exe"
press_download_when_shown

side=$saved.sdc
expect_pixel 40 294 009FD9 "the left end of the progress bar" 40
arrived_some() { [ "$(partial_allocated)" -gt 300000 ]; }
wait_for 20 "more than 300000 bytes on disk in $saved.part" arrived_some
mirror_stop
prompt_opens
shot prompt
[ -f "$side" ] || fail "the side file $side that remembers the server's answer is missing after the cut"
cut_have=$(side_have)
held=$(ranges_bytes "$cut_have")
[ "$held" -gt 0 ] && [ "$held" -lt 3145728 ] || fail "the transfer was not cut: Have '$(ranges_text "$cut_have")' of 3145728 bytes"
[ -f "$saved" ] && fail "a package $saved appeared although the transfer was cut"
# One range from 0 is kept as .tmp cut to that range, anything with holes as .part.
if [[ $(ranges_text "$cut_have") =~ ^0-([0-9]+)$ ]]; then
  [ -f "$saved.tmp" ] && [ ! -e "$saved.part" ] || fail "Have $(ranges_text "$cut_have") has no holes: expected $saved.tmp alone"
  [ "$(stat -c %s "$saved.tmp")" = $((BASH_REMATCH[1] + 1)) ] ||
    fail "$saved.tmp should hold bytes 0-${BASH_REMATCH[1]}, it has $(stat -c %s "$saved.tmp") bytes"
else
  [ -f "$saved.part" ] && [ ! -e "$saved.tmp" ] || fail "Have $(ranges_text "$cut_have") has holes: expected $saved.part alone"
fi
ranges_match_mirror "$(partial_file)" "$cut_have" ||
  fail "the bytes held at the cut ($(ranges_text "$cut_have")) in $(partial_file) differ from the mirror's package"
fail_line=$(launcher_log | tr -d '\r' | grep -F '下载失败dsFail： ' | head -1)
# A connection closed early ends the read with too few bytes; a reset fails the read itself; a
# piece tried again on the stopped mirror is refused, and the last failure is the one logged.
[[ $fail_line == *'下载失败dsFail： 下载文件与服务器上记录的大小不一致，请重试!' ||
   $fail_line == *'下载失败dsFail： 从网络读取文件失败'* ||
   $fail_line == *'下载失败dsFail： [12029]尝试连接到服务器失败。' ]] ||
  fail "the day's log should name the cut transfer after '下载失败dsFail： ', found: $(launcher_log)"

after_cut=$(log_mark)
mirror_restart_same_package 0
prompt_reload
wait_for 10 "the failure prompt to close" window_named_gone frm_Info
wait_for 40 "a byte-identical package at $saved" package_complete
expect_pixel 500 294 009FD9 "the progress bar full at the end" 40
expect_pixel 306 346 148EED "the install picture" 80
# The resumed run asks only for what was missing, in ranges, and together with Have that is all.
gets=$(get_ranges "$after_cut")
[ -n "$gets" ] && [ "$gets" = "$(echo "$gets" | grep ' 206 ')" ] ||
  fail "after the restart every package GET should be ranged and answered 206: $(echo "$gets" | tr '\n' ';')"
again=$(echo "$gets" | ranges_meeting "$cut_have")
[ -z "$again" ] || fail "after the restart GETs asked again for bytes held at the cut ($(ranges_text "$cut_have")): $(echo "$again" | tr '\n' ';')"
{ echo "$cut_have"; echo "$gets"; } | ranges_cover 0 3145727 ||
  fail "Have at the cut ($(ranges_text "$cut_have")) and the GETs after it leave bytes out: $(echo "$gets" | tr '\n' ';')"
for f in "$saved.tmp" "$saved.part" "$side"; do
  [ -e "$f" ] && fail "$f stayed after the resumed download"
done
echo "interrupted_resume: passed"
