#!/usr/bin/env bash
# A package that the publisher check rejects (the Telecom host serves one signed by another
# publisher) is fetched again from the other line after 重新下载, and that one is started.
source "$(dirname "$0")/lib/common.bash"
rm -f "$E2E_NGINX/access.log"
TALLYVO_PRIMARY_FOREIGN=1 mirror_start 0
download_on_telecom_marking tallyvo-e2e-rejected-line.started
prompt_opens
second_run=$(log_mark)
prompt_reload
wait_for 40 "a byte-identical package at $saved" package_complete
expect_pixel 306 346 148EED "the install picture" 80
click_at 306 346
wait_for 20 "the stub installer's marker $marker" test -f "$marker"
log=$(launcher_log | tr -d '\r')
echo "$log" | grep -qF '安装包校验失败：发布者不符：Tallyvo Other Publisher' || fail "no rejection in the log: $log"
echo "$log" | grep -qF '安装包校验未通过，改用另一线路重新下载：联通' || fail "no switch to 联通 in the log: $log"
echo "$log" | grep -qF '安装包校验通过：Tallyvo Test Publisher' || fail "the second package was not checked: $log"
# The Telecom host's package differs from the Unicom host's, so the Unicom line never joined:
# the rejected package came whole from Telecom, the one fetched again whole from Unicom.
first=$(get_ranges | head -n $(($(get_ranges | wc -l) - $(get_ranges "$second_run" | wc -l))))
again=$(get_ranges "$second_run")
[ -n "$first" ] && [ "$first" = "$(echo "$first" | grep ' 20[06] 127\.0\.0\.1$')" ] && echo "$first" | ranges_cover 0 3145727 ||
  fail "the first package should come whole from the Telecom host 127.0.0.1 alone: $(echo "$first" | tr '\n' ';')"
[ -n "$again" ] && [ "$again" = "$(echo "$again" | grep ' 20[06] localhost$')" ] && echo "$again" | ranges_cover 0 3145727 ||
  fail "after 重新下载 the package should come whole from the Unicom host localhost alone: $(echo "$again" | tr '\n' ';')"
echo "rejected_line: passed"
