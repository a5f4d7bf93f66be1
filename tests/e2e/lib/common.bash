# Shared by the end-to-end scripts (sourced): a private display, the mirror, a scratch copy of
# the launcher, failure reports and the GBK log; window helpers come from tools/window-lib.bash.
set -euo pipefail
E2E_BUILD=$(cd "$1" && pwd)
E2E_SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
E2E_NAME=$(basename "$0" .sh)
E2E_DIR=$E2E_BUILD/e2e/$E2E_NAME
E2E_NGINX=${TALLYVO_NGINX_DIR:-$E2E_BUILD/nginx}
source "$E2E_SRC/tools/window-lib.bash"
SHOT_DIR=$E2E_DIR
read -r E2E_PORT E2E_TLS_PORT E2E_LINE2_PORT <<<"$(launcher_test_ports "$E2E_BUILD")"
[ -n "$E2E_LINE2_PORT" ] || { echo "no test ports in $E2E_BUILD" >&2; exit 1; }
PACKAGE_NAME='Tallyvo（Norvik）（完整安装包）.exe'
export WINEPREFIX=$E2E_BUILD/wineprefix
source "$E2E_SRC/tools/xvfb-lib.sh"
TALLYVO_FORCE_XVFB=1 ensure_display
rm -rf "$E2E_DIR" && mkdir -p "$E2E_DIR"
E2E_PIDS=()

fail() {
  echo "FAIL [$E2E_NAME]: $*" >&2
  import -window root "$E2E_DIR/failure.png" 2>/dev/null && echo "screenshot: $E2E_DIR/failure.png" >&2
  exit 1
}

cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  # Gone before the next test starts a Wine process, which would otherwise meet a dying server.
  WINEDEBUG=-all wineserver -k 2>/dev/null && WINEDEBUG=-all wineserver -w 2>/dev/null || true
  mirror_start 0  # leave the shared mirror as the other tests expect it
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT

# The mirror with the sample package; an optional rate (bytes/s, 0 = unlimited) for /uploads/.
mirror_start() {
  TALLYVO_STUB_INSTALLER=$E2E_BUILD/bin/stub_installer.exe TALLYVO_PACKAGE_PKI=$E2E_BUILD/pki TALLYVO_UPLOADS_RATE=${1:-0} \
    "$E2E_SRC/tests/support/nginx-fixture.sh" start "$E2E_NGINX" "$E2E_PORT" "$E2E_TLS_PORT" "$E2E_LINE2_PORT"
}
mirror_stop() { "$E2E_SRC/tests/support/nginx-fixture.sh" stop "$E2E_NGINX"; }
mirror_package() { echo "$E2E_NGINX/www/uploads/$PACKAGE_NAME"; }
# Where the launcher copy saves the package, and whether it holds the mirror's exact bytes.
saved=$E2E_DIR/Tallyvo/$PACKAGE_NAME
package_complete() { [ -f "$saved" ] && cmp -s "$saved" "$(mirror_package)"; }

# Waits for the main window and presses the download picture of its start page.
press_download_when_shown() {
  wait_for 40 "the main window at 428, 161" main_window_shown
  expect_pixel 306 311 148EED "download button blue" 60
  click_at 306 311
}

# A private copy of the launcher, so that its "Tallyvo\" and log folders belong to this test.
launcher_copy() {
  cp "$E2E_BUILD/bin/TallyvoLauncherLocal.exe" "$E2E_DIR/"
  echo "$E2E_DIR/TallyvoLauncherLocal.exe"
}

# Starts a Windows program in the background; its pid lands in LAST_PID.
wine_start() {
  "$E2E_SRC/tools/wine-run.sh" "$@" >"$E2E_DIR/wine.out" 2>"$E2E_DIR/wine.err" &
  LAST_PID=$!
  E2E_PIDS+=("$LAST_PID")
}

# The day's log of a launcher copy, converted from GBK.
launcher_log() {
  local f
  for f in "$E2E_DIR"/Tallyvo/Log/*; do
    [ -f "$f" ] && iconv -f GBK -t UTF-8 "$f"
  done 2>/dev/null || true
}

line_probe_logged() { launcher_log | grep -qF '线路测速：'; }

# --- Windows other than the main one, given in screen coordinates ---

window_named_gone() { local id; id=$(window_id_named "$1") && [ -z "$id" ]; }

# "X Y WIDTH HEIGHT" of a window on the screen; fails when there is no such window.
window_geometry() {
  local X Y WIDTH HEIGHT shell
  shell=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null) || return 1
  eval "$shell"
  echo "$X $Y $WIDTH $HEIGHT"
}
# Holds once a window titled exactly the given one is there, its geometry then in GEOMETRY.
window_named_measured() { GEOMETRY=$(window_geometry "$(window_id_named "$1")"); }

expect_screen_pixel() {
  expect_pixel "$(($1 - WINDOW_LEFT))" "$(($2 - WINDOW_TOP))" "$3" "$4" "${5:-24}"
}
click_screen() { xdotool mousemove "$1" "$2" sleep 0.1 click 1; }

# The darkest grey level (0-255) in a window region given as X Y WIDTH HEIGHT; 255 when blank white.
region_darkest() {
  import -window root miff:- 2>/dev/null |
    convert - -crop "${3}x${4}+$((WINDOW_LEFT + $1))+$((WINDOW_TOP + $2))" +repage -colorspace Gray \
      -format '%[fx:int(255*minima)]' info: 2>/dev/null
}

# --- The progress page ---

# Text in the place of the speed and time left, right of the percentage on its line.
speed_shown() { [ "$(region_darkest 360 264 220 14)" -lt 200 ]; }

# --- The message dialog's question (title 确认信息), centred on the screen, OK left of Cancel ---
QUESTION=确认信息
question_opens() {
  wait_for 20 "the question '$QUESTION'" window_named_measured "$QUESTION"
  read -r Q_LEFT Q_TOP Q_WIDTH Q_HEIGHT <<<"$GEOMETRY"
}
question_ok() { click_screen $((Q_LEFT + Q_WIDTH - 124)) $((Q_TOP + Q_HEIGHT - 24)); }
question_cancel() { click_screen $((Q_LEFT + Q_WIDTH - 49)) $((Q_TOP + Q_HEIGHT - 24)); }
question_closes() { wait_for 10 "the question to close" window_named_gone "$QUESTION"; }

# A close request from another program, as the task bar sends it: WM_CLOSE to the main window.
close_from_outside() {
  "$E2E_SRC/tools/wine-run.sh" "$E2E_BUILD/bin/close_window.exe" frm_Main >/dev/null 2>&1 ||
    fail "close_window.exe found no main window to close"
}

# --- The mirror across an interruption ---

# Restarts the mirror without a new modification time on the package: the fixture rewrites the
# (identical) bytes, and a changed Last-Modified would rightly make the client start over.
mirror_restart_same_package() {
  local stamp=$E2E_DIR/package.stamp
  touch -r "$(mirror_package)" "$stamp"
  mirror_start "$@"
  touch -r "$stamp" "$(mirror_package)"
}

# GETs of the package in the access log, one "range status bytes host" per line; the line
# probe's GETs of the first 256 KiB are left out. With a line number, only from that log line on;
# with a log, that mirror's instead of the shared one's.
package_gets() {
  tail -n +"${1:-1}" "${2:-$E2E_NGINX/access.log}" 2>/dev/null | grep -F 'GET /uploads/Tallyvo\xEF\xBC\x88Norvik' |
    grep -vF '"bytes=0-262143"' | sed 's/^GET [^ ]* "\([^"]*\)" "[^"]*" \(.*\)$/\1 \2/' || true
}
# The next access log line's number: nginx logs a request when it ends, so this marks "after now".
log_mark() { echo $(($(wc -l <"$E2E_NGINX/access.log" 2>/dev/null || echo 0) + 1)); }

# --- The partial package: <P>.part while a run writes (holes allowed), <P>.tmp for one range from 0 ---

partial_file() { if [ -f "$saved.tmp" ]; then echo "$saved.tmp"; else echo "$saved.part"; fi; }
# Bytes that arrived, roughly: a sparse part's apparent size is its highest offset written.
partial_allocated() { local f; f=$(partial_file); [ -f "$f" ] && echo $(($(stat -c '%b*%B' "$f"))) || echo 0; }
# The side file's Have ranges, one "first last" (inclusive) a line; empty when it records none.
side_have() {
  sed -n 's/^Have=//p' "$saved.sdc" 2>/dev/null | tr -d '\r' | tr ',' '\n' | sed -n 's/^\([0-9]*\)-\([0-9]*\)$/\1 \2/p'
}
ranges_text() { awk 'NF == 2 { printf "%s%s-%s", sep, $1, $2; sep = "," }' <<<"$1"; }
ranges_bytes() { awk 'NF == 2 { n += $2 - $1 + 1 } END { print n + 0 }' <<<"$1"; }
# Holds when FILE has the mirror package's bytes at every range given ("first last" lines).
ranges_match_mirror() {
  local a b
  while read -r a b; do
    [ -z "$a" ] || cmp -s -i "$a" -n $((b - a + 1)) "$1" "$(mirror_package)" || return 1
  done <<<"$2"
}

# What each package GET asked for, "first last status host": a 200 is the whole package (the
# mirror ignored or got no Range), "bytes=X-" runs to the end. Asked, not delivered: a piece
# handed on part-way counts whole, so coverage checks go with a comparison of the bytes.
get_ranges() {
  package_gets "$@" | awk -v last=$(($(stat -c %s "$(mirror_package)") - 1)) '{ lo = 0; hi = last }
    $2 != 200 && $1 ~ /^bytes=[0-9]+-[0-9]*$/ { split(substr($1, 7), r, "-"); lo = r[1]; if (r[2] != "") hi = r[2] }
    { print lo, hi, $2, $4 }'
}
# Holds when the ranges on standard input ("first last ..." lines) cover every byte FIRST..LAST.
ranges_cover() {
  sort -n -k1,1 | awk -v n="$1" -v last="$2" '$1 > n { gap = 1; exit } $2 + 1 > n { n = $2 + 1 }
    END { exit gap || n <= last }'
}
# Holds when the package GETs from byte 0 all went to HOST and were answered: only the line
# asked first may start a fresh package, another joins for later pieces.
start_asked_only_of() { [[ $(get_ranges | awk '$1 == 0 { print $3, $4 }' | sort -u) =~ ^20[06]\ $1$ ]]; }
# The lines on standard input ("first last ...") whose range meets one of HAVE's ranges.
ranges_meeting() {
  awk -v have="$(echo $1)" 'BEGIN { n = split(have, h, " ") }
    { for (i = 1; i < n; i += 2) if ($1 + 0 <= h[i + 1] + 0 && $2 + 0 >= h[i] + 0) { print; next } }'
}

# --- The launcher run by the exit-code runner ---

# Starts the launcher copy under exitcode_runner.exe; its full exit code lands in exitcode.txt.
launcher_start_counted() {
  : >"$E2E_DIR/exitcode.txt"
  "$E2E_SRC/tools/wine-run.sh" "$E2E_BUILD/bin/exitcode_runner.exe" "$1" >"$E2E_DIR/exitcode.txt" 2>/dev/null &
  E2E_PIDS+=("$!")
}
# Starts a copy of the launcher whose installer, once started, leaves NAME in drive C (path in
# $marker), and presses download once the probe has checked the Telecom line.
download_on_telecom_marking() {
  export TALLYVO_STUB_MARKER="C:\\$1"
  marker=$WINEPREFIX/drive_c/$1
  rm -f "$marker"
  launcher_start_counted "$(launcher_copy)"
  wait_for 20 "the line probe's log line" line_probe_logged
  expect_pixel 18 376 000080 "the check point on the Telecom radio" 60
  press_download_when_shown
}
launcher_ended() { [ -s "$E2E_DIR/exitcode.txt" ]; }
launcher_exit_code() { tr -d '\r\n' <"$E2E_DIR/exitcode.txt"; }

# --- Wine's web browser ---

# Points winebrowser at a stub that writes each argument on a line of browser.txt; the value is
# removed again by browser_stub_remove.
browser_stub_install() {
  local stub=$E2E_DIR/browser-stub.sh
  printf '#!/bin/sh\nprintf "%%s\\n" "$@" >"%s.part" && mv "%s.part" "%s"\n' \
    "$E2E_DIR/browser.txt" "$E2E_DIR/browser.txt" "$E2E_DIR/browser.txt" >"$stub"
  chmod +x "$stub"
  "$E2E_SRC/tools/wine-run.sh" reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /t REG_SZ /d "$stub" /f \
    >/dev/null 2>&1 || fail "could not point Wine's browser list at $stub"
}
browser_stub_remove() {
  "$E2E_SRC/tools/wine-run.sh" reg delete 'HKCU\Software\Wine\WineBrowser' /v Browsers /f >/dev/null 2>&1 || true
}

# --- The failure prompt, a window of its own at a fixed screen place ---
PROMPT_LEFT=482 PROMPT_TOP=281
prompt_pixel() { expect_screen_pixel $((PROMPT_LEFT + $1)) $((PROMPT_TOP + $2)) "$3" "$4" 40; }
prompt_click() { click_screen $((PROMPT_LEFT + $1)) $((PROMPT_TOP + $2)); }
prompt_reload() { prompt_click 364 141; }   # 重新下载
prompt_browser() { prompt_click 71 143; }   # 点击下载安装包
prompt_close() { prompt_click 398 13; }     # the close image

# Waits for the prompt and checks its place, size and artwork.
prompt_opens() {
  wait_for 30 "the failure prompt frm_Info" window_named_measured frm_Info
  [ "$GEOMETRY" = "$PROMPT_LEFT $PROMPT_TOP 413 161" ] ||
    fail "the failure prompt should lie at $PROMPT_LEFT,$PROMPT_TOP sized 413x161, found '$GEOMETRY'"
  prompt_pixel 200 10 0980E4 "the prompt's blue title bar"
  prompt_pixel 28 76 F7931E "the prompt's orange information sign"
  prompt_pixel 364 141 148EED "the prompt's 重新下载 button"
}
