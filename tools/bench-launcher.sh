#!/usr/bin/env bash
# Figures of the real launcher window under Wine + Xvfb: tools/bench-launcher.sh <build folder>
# (tools/bench.sh calls it last). `tools/bench-launcher.sh --self-test [<build folder>]` checks its
# arithmetic and, given a build folder, its two Windows-side probes.
#
# Each round starts a scratch copy of TallyvoLauncherLocal.exe on a private display against a
# private mirror on the port compiled into it, and measures
#   start-up  CreateProcess to the first painted pixel of the window, polled by paintwatch.exe
#             (one screen pixel every ~1.5 ms); extra starts timed with the screenshot probe of
#             tools/window-lib.bash show what a screenshot costs and how coarse it is;
#   memory    working set and its peak through procmem.exe (GetProcessMemoryInfo from outside),
#             idle 5 s after painting and at the end of a download;
#   download  click on the download picture to the complete package in "Tallyvo\", against
#             fetch.exe on the same URL in the same round, the two taking turns going first;
#   CPU       utime+stime of the launcher's Wine process (/proc) over its download, and apart
#             from it those of the prefix's wineserver and of the display server.
# BENCH_LAUNCHER_ROUNDS (10), BENCH_LAUNCHER_MIB (512), BENCH_LAUNCHER_BUDGET_S (900: fewer
# download rounds when the first round says the whole would take longer).
set -euo pipefail
source "$(dirname "$0")/bench-window-lib.bash"

# In how many reads the Windows-side peak working set equals /proc's VmHWM of the same moment.
peaks_agreeing() {
  awk '$2 ~ /_peak_ws_mib$/ { peak[$1, $2] = $3 } $2 ~ /_proc_vmhwm_mib$/ { hwm[$1, $2] = $3 }
    END { for (k in hwm) { split(k, part, SUBSEP); sub(/_proc_vmhwm_mib$/, "_peak_ws_mib", part[2])
            n++; if ((part[1], part[2]) in peak && peak[part[1], part[2]] == hwm[k]) same++ }
          printf "%d of %d", same, n }' "$1"
}

# Download rounds that fit the time budget, from the first round's length: all of them when
# they fit, otherwise as many as the rest of the budget holds, but never fewer than three.
planned_download_rounds() {
  local elapsed=$1 per_round=$2 rounds=$3 budget=$4 planned least=3
  if [ $((elapsed + (rounds - 1) * per_round)) -le "$budget" ]; then echo "$rounds"; return; fi
  planned=$(((budget - elapsed) / per_round + 1))
  [ "$least" -le "$rounds" ] || least=$rounds
  [ "$planned" -ge "$least" ] || planned=$least
  echo "$planned"
}

# One figure of the launcher against the bare window's, with the allowed difference:
# against <launcher> <bare> <allowed difference> <unit>
against() {
  awk -v l="$1" -v b="$2" -v g="$3" -v u="$4" 'BEGIN {
    printf "%.1f %s, bare %.1f: %+.1f %s, ratio %.2f (goal <= +%s %s): %s\n", l, u, b, l - b, u, l / b, g, u,
      (l - b <= g + 0) ? "met" : "missed" }'
}

# Median over the rounds holding both metrics of (first - second) in that round: paired_median <a> <b> <file>.
# The two starts of a round lie seconds apart, so a machine whose speed drifts over the run moves
# both alike.
paired_median() {
  awk -v a="$1" -v b="$2" '$2 == a { x[$1] = $3 } $2 == b { y[$1] = $3 } END {
      for (r in x) if (r in y) d[++n] = x[r] - y[r]
      if (!n) exit 1
      for (i = 2; i <= n; i++) { v = d[i]; for (j = i - 1; j >= 1 && d[j] > v; j--) d[j + 1] = d[j]; d[j + 1] = v }
      printf "%.6g\n", (n % 2) ? d[(n + 1) / 2] : (d[n / 2] + d[n / 2 + 1]) / 2 }' "$3"
}

# The shipped file's size against its limit: within_limit <bytes> <limit KiB>
within_limit() {
  awk -v n="$1" -v g="$2" 'BEGIN {
    printf "%d KiB, ratio %.2f to the limit (goal <= %d KiB): %s\n", (n + 1023) / 1024, n / 1024 / g, g, (n <= g * 1024) ? "met" : "missed" }'
}

self_test() {
  local tmp failed=0
  tmp=$(mktemp)
  check() { [ "$2" = "$3" ] || { echo "self-test: $1: expected '$3', got '$2'" >&2; failed=1; }; }
  printf '1 a 5\n2 a 1\n3 a 3\n1 b 4\n2 b 10\n3 b 2\n4 b 8\n1 c 0.25\n' >"$tmp"
  check "odd count" "$(stats a "$tmp")" "3 1 5 3"
  check "even count averages the middle two" "$(stats b "$tmp")" "6 2 10 4"
  check "one value" "$(stats c "$tmp")" "0.25 0.25 0.25 1"
  check "differences only of rounds with both" "$(paired_median b a "$tmp")" "-1"
  stats d "$tmp" >/dev/null && check "absent metric fails" present absent
  check "name with blanks and brackets" \
    "$(echo '42 (Tally vo) x) S 1 2 3 4 5 6 7 8 9 10 17 25 0 0 20' | stat_ticks)" 42
  printf '1 idle_peak_ws_mib 36.5\n1 idle_proc_vmhwm_mib 36.500\n2 idle_peak_ws_mib 36.5\n2 idle_proc_vmhwm_mib 36.6\n3 end_proc_vmhwm_mib 37\n' >"$tmp"
  check "peaks compared per round and moment, as numbers" "$(peaks_agreeing "$tmp")" "1 of 3"
  check "key at the start" "$(field pid 'pid=7 window_ms=1.5')" 7
  check "key not taken from a longer one" "$(field ws 'peak_ws=9 ws=4')" 4
  check "rounds that fit stay" "$(planned_download_rounds 10 5 10 900)" 10
  check "rounds cut to the rest of the budget" "$(planned_download_rounds 100 100 10 900)" 9
  check "never fewer than three" "$(planned_download_rounds 100 400 10 900)" 3
  check "nor more than asked" "$(planned_download_rounds 100 400 2 200)" 2
  check "a memory goal missed" "$(against 33 19 6 MiB)" "33.0 MiB, bare 19.0: +14.0 MiB, ratio 1.74 (goal <= +6 MiB): missed"
  check "a goal met on its edge" "$(against 230 170 60 ms)" "230.0 ms, bare 170.0: +60.0 ms, ratio 1.35 (goal <= +60 ms): met"
  check "a size on its limit" "$(within_limit 1048576 1024)" "1024 KiB, ratio 1.00 to the limit (goal <= 1024 KiB): met"
  check "a size a byte over" "$(within_limit 1048577 1024)" "1025 KiB, ratio 1.00 to the limit (goal <= 1024 KiB): missed"
  local dir=$tmp.d
  mkdir -p "$dir"
  { sleep 0.2; : >"$dir/a.tmp"; sleep 0.3; : >"$dir/a"; } &
  watch_transfer "$dir/a.tmp" "$dir/a" 10 || check "a transfer that ends is seen" timeout ok
  wait
  check "temp file seen a while before the final one" \
    "$(awk -v t="$TMP_AT" -v d="$DONE_AT" 'BEGIN { print (d - t >= 0.2 && d - t < 2) ? "yes" : d - t }')" yes
  : >"$dir/b"
  watch_transfer "$dir/b.tmp" "$dir/b" 10
  check "a final file without a temp file: no transfer time" "$TMP_AT" "$DONE_AT"
  local began=$SECONDS
  watch_transfer "$dir/c.tmp" "$dir/c" 1 && check "a transfer that never ends gives up" ok timeout
  check "giving up within its bound" "$(( SECONDS - began <= 3 ))" 1
  rm -rf "$tmp" "$dir"
  [ "$failed" = 0 ] && echo "bench-launcher self-test: passed"
  return "$failed"
}
mode=bench
if [ "${1:-}" = --self-test ]; then
  self_test || exit 1
  [ -n "${2:-}" ] || exit 0
  mode=probes
  shift
fi

build=$(cd "${1:-build}" && pwd)
tools=$(cd "$(dirname "$0")" && pwd)
src=$(dirname "$tools")
rounds=${BENCH_LAUNCHER_ROUNDS:-10}
size_mib=${BENCH_LAUNCHER_MIB:-512}
budget=${BENCH_LAUNCHER_BUDGET_S:-900}
size=$((size_mib * 1048576))
idle_s=5
launcher=TallyvoLauncherLocal.exe
bare=bench_bare_window.exe
product=TallyvoLauncher.exe
package='Tallyvo（Norvik）（完整安装包）.exe'
for exe in "$launcher" "$bare" "$product" fetch.exe paintwatch.exe procmem.exe stub_installer.exe; do
  [ -f "$build/bin/$exe" ] || { echo "bench-launcher: $build/bin/$exe is missing; build first" >&2; exit 2; }
done
if [ "$(id -u)" = 0 ] && [ "${BENCH_NICE:-1}" != 0 ]; then renice -n -10 $$ >/dev/null || true; fi

work=$build/bench-launcher
run=$work/run
mirror=$work/mirror
fetch_dir=$work/fetch
results=$work/launcher-results.txt
probe_lines=$work/probe-lines.txt
SHOT_DIR=$work
fail() {
  echo "bench-launcher: FAILED, $*" >&2
  [ -n "${DISPLAY:-}" ] && import -window root "$work/failure.png" 2>/dev/null && echo "screenshot: $work/failure.png" >&2
  exit 1
}
source "$tools/window-lib.bash"
source "$tools/xvfb-lib.sh"
read -r port tls_port line2_port <<<"$(launcher_test_ports "$build")"
[ -n "$line2_port" ] || fail "no mirror ports configured in $build"
export WINEPREFIX=$build/wineprefix
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
STARTED=()  # background jobs still running, so that no pid is killed after it may be reused

cleanup() {
  local pid
  for pid in "${STARTED[@]}"; do kill "$pid" 2>/dev/null || true; done
  "$wineserver" -k 2>/dev/null || true
  timeout 10 "$wineserver" -w 2>/dev/null || true
  "$src/tests/support/nginx-fixture.sh" stop "$mirror" 2>/dev/null || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$run/Tallyvo" "$fetch_dir" "$mirror/www/uploads"
}

rm -rf "$run" "$fetch_dir" "$work/failure.png"
mkdir -p "$run" "$fetch_dir"
TALLYVO_FORCE_XVFB=1 ensure_display
trap cleanup EXIT
trap 'exit 130' INT TERM
# A display number taken by someone else between the check and the start leaves our Xvfb dead
# and DISPLAY pointing at a stranger's screen; clicks must never land there.
sleep 0.5
kill -0 "$XVFB_PID" 2>/dev/null || fail "Xvfb did not start on $DISPLAY"
xvfb_pid=$XVFB_PID

record() { echo "$round $1 $2" >>"$results"; }
clock_tick=$(getconf CLK_TCK)

fresh_run_folder() {
  rm -rf "$run/Tallyvo"
  [ -f "$run/$launcher" ] || cp "$build/bin/$launcher" "$run/"
  [ -f "$run/$bare" ] || cp "$build/bin/$bare" "$run/"
}

check_package() {
  local file=$1 who=$2 bytes
  bytes=$(stat -c %s "$file" 2>/dev/null || echo 0)
  [ "$bytes" -eq "$size" ] || fail "$who saved $bytes bytes of $size"
  if [ "$round" = 1 ]; then cmp -s "$file" "$mirror/www/uploads/$package" || fail "$who saved other bytes than the mirror's"; fi
}

# Reads a program's memory (the launcher's unless named) through the Windows-side probe and, for
# comparison, /proc.
read_memory() {
  local tag=$1 pid=$2 image=${3:-$launcher} line
  timeout 30 "$tools/wine-run.sh" "$build/bin/procmem.exe" "$image" >"$work/procmem.out" 2>"$work/procmem.err" ||
    fail "procmem.exe could not read $image: $(cat "$work/procmem.err")"
  line=$(tr -d '\r' <"$work/procmem.out" | head -1)
  echo "$round procmem $tag $line" >>"$probe_lines"
  record "${tag}_ws_mib" "$(calc "$(field ws "$line") / 1048576")"
  record "${tag}_peak_ws_mib" "$(calc "$(field peak_ws "$line") / 1048576")"
  record "${tag}_proc_vmhwm_mib" "$(calc "$(awk '/^VmHWM/ { print $2 }' "/proc/$pid/status") / 1024")"
  record "${tag}_gpt_cpu_s" "$(calc "$(field user_s "$line") + $(field kernel_s "$line")")"
  record "${tag}_proc_cpu_s" "$(calc "$(ticks_of "$pid") / $clock_tick")"
}

start_window() {
  start_launcher_window
  local line=$PAINTWATCH_LINE
  echo "$round paintwatch $line" >>"$probe_lines"
  record startup_window_ms "$(field window_ms "$line")"
  record startup_painted_ms "$(field painted_ms "$line")"
  record paintwatch_poll_ms "$(field poll_ms "$line")"
}

download_through_window() {
  local saved=$run/Tallyvo/$package pid=$LAUNCHER_PID server_pid
  server_pid=$(prefix_wineserver_pid) || fail "no wineserver for $WINEPREFIX"
  point_at_download_picture
  local cpu0 server0 xvfb0 clicked
  cpu0=$(ticks_of "$pid") server0=$(ticks_of "$server_pid") xvfb0=$(ticks_of "$xvfb_pid")
  press_download_picture
  clicked=$CLICKED_AT
  watch_transfer "$saved.tmp" "$saved" 300 || fail "the window did not save the package within 300 s"
  echo "$round window seconds after the click: temp file seen $(calc "$TMP_AT - $clicked")," \
    "package saved $(calc "$DONE_AT - $clicked")" >>"$probe_lines"
  local cpu=$(($(ticks_of "$pid") - cpu0)) server=$(($(ticks_of "$server_pid") - server0))
  local xvfb=$(($(ticks_of "$xvfb_pid") - xvfb0)) gib
  gib=$(calc "$size / 1073741824")
  read_memory end "$pid"
  check_package "$saved" "the window"
  record window_s "$(calc "$DONE_AT - $clicked")"
  record window_mibs "$(calc "$size_mib / ($DONE_AT - $clicked)")"
  record window_transfer_mibs "$(calc "$size_mib / ($DONE_AT - $TMP_AT)")"
  record window_cpu_s_per_gib "$(calc "$cpu / $clock_tick / $gib")"
  record window_wineserver_cpu_s_per_gib "$(calc "$server / $clock_tick / $gib")"
  record window_xvfb_cpu_s_per_gib "$(calc "$xvfb / $clock_tick / $gib")"
  rm -f "$saved"
}

download_with_fetch() {
  local target=$fetch_dir/$package server_pid server0 started_at fetch_pid
  rm -f "$fetch_dir"/*
  server_pid=$(prefix_wineserver_pid) || fail "no wineserver for $WINEPREFIX"
  server0=$(ticks_of "$server_pid")
  started_at=$(now)
  /usr/bin/time -f "%e %U %S %M" -o "$work/fetch.time" timeout 300 "$tools/wine-run.sh" "$build/bin/fetch.exe" \
    "http://127.0.0.1:$port/uploads/$package" "$(winpath "$target")" >"$work/fetch.out" 2>"$work/fetch.err" &
  fetch_pid=$!
  STARTED=("$fetch_pid")
  watch_transfer "$target.tmp" "$target" 300 || fail "fetch.exe did not save the package within 300 s"
  echo "$round fetch seconds after the start: temp file seen $(calc "$TMP_AT - $started_at")," \
    "package saved $(calc "$DONE_AT - $started_at")" >>"$probe_lines"
  wait "$fetch_pid" || fail "fetch.exe failed: $(tail -2 "$work/fetch.out" "$work/fetch.err")"
  STARTED=()
  local ended_at server=$(($(ticks_of "$server_pid") - server0)) gib timing
  ended_at=$(now)
  gib=$(calc "$size / 1073741824")
  timing=$(tail -1 "$work/fetch.time")
  echo "$round fetch time(wall user sys maxrss_kib) $timing; $(tr -d '\r' <"$work/fetch.out" | tail -1)" >>"$probe_lines"
  check_package "$target" "fetch.exe"
  record fetch_s "$(calc "$ended_at - $started_at")"
  record fetch_mibs "$(calc "$size_mib / ($ended_at - $started_at)")"
  record fetch_transfer_mibs "$(calc "$size_mib / ($DONE_AT - $TMP_AT)")"
  record fetch_cpu_s_per_gib "$(awk -v t="$timing" -v g="$gib" 'BEGIN { split(t, f, " "); printf "%.3f", (f[2] + f[3]) / g }')"
  record fetch_wineserver_cpu_s_per_gib "$(calc "$server / $clock_tick / $gib")"
  record fetch_peak_ws_mib "$(awk -v t="$timing" 'BEGIN { split(t, f, " "); printf "%.3f", f[4] / 1024 }')"
  rm -f "$target"
}

# The yardstick: the bare white popup at the same place, timed and read the way the launcher is.
bare_window_round() {
  local line pid
  fresh_run_folder
  timeout 60 "$tools/wine-run.sh" "$build/bin/paintwatch.exe" "$(winpath "$run/$bare")" bare_window \
    $((WINDOW_LEFT + 310)) $((WINDOW_TOP + 120)) 30000 >"$work/paintwatch.out" 2>"$work/paintwatch.err" ||
    fail "the bare window was not painted within 30 s: $(cat "$work/paintwatch.out" "$work/paintwatch.err")"
  line=$(tr -d '\r' <"$work/paintwatch.out")
  echo "$round paintwatch-bare $line" >>"$probe_lines"
  record bare_startup_painted_ms "$(field painted_ms "$line")"
  pid=$(program_pid "$bare") || fail "no Linux process of $run/$bare"
  sleep "$idle_s"
  read_memory bare_idle "$pid" "$bare"
  kill "$pid" 2>/dev/null || true
  while [ -d "/proc/$pid" ]; do sleep 0.05; done
}

# One round: start-up, idle memory and, while downloads still fit the budget, both downloads.
window_and_fetch_round() {
  local with_download=$1
  fresh_run_folder
  if [ "$with_download" = 1 ] && [ $((round % 2)) = 0 ]; then download_with_fetch; fi
  start_window
  sleep "$idle_s"
  read_memory idle "$LAUNCHER_PID"
  [ "$with_download" = 1 ] && download_through_window
  stop_launcher "$LAUNCHER_PID"
  if [ "$with_download" = 1 ] && [ $((round % 2)) = 1 ]; then download_with_fetch; fi
}

# A start timed the way the end-to-end scripts see the window: screenshots until it is painted.
screenshot_startup_round() {
  fresh_run_folder
  local started_at painted_at end=$((SECONDS + 30)) t0 pid
  # What starting any program from Linux costs: procmem.exe without arguments ends at once.
  t0=$(now)
  timeout 30 "$tools/wine-run.sh" "$build/bin/procmem.exe" >/dev/null 2>&1 || true
  record wine_run_console_ms "$(calc "($(now) - $t0) * 1000")"
  local attempt
  for attempt in 1 2; do
    started_at=$(now)
    WINEDEBUG=-all,err+winediag "$tools/wine-run.sh" "$run/$launcher" >/dev/null 2>"$work/screenshot-start.err" &
    STARTED=("$!")
    until main_window_shown; do
      kill -0 "${STARTED[0]}" 2>/dev/null || break
      [ "$SECONDS" -lt "$end" ] || fail "no painted window on a screenshot within 30 s"
    done
    main_window_shown && break
    # Wine's desktop process, brought up while the last one still winds down, can come up
    # without its display driver ("no driver could be loaded") and stays so; the launcher then
    # cannot make a window and ends. That is the prefix's trouble, not the launcher's: end that
    # desktop and start the launcher once more.
    wait "${STARTED[0]}" 2>/dev/null || true
    grep -q 'no driver could be loaded' "$work/screenshot-start.err" ||
      fail "the launcher ended before its window was painted: $(tail -3 "$work/screenshot-start.err")"
    echo "$round screenshot start $attempt: Wine's desktop came up without a display driver; started again" >>"$probe_lines"
    end_prefix_desktop
  done
  main_window_shown || fail "no painted window on a screenshot in two starts"
  painted_at=$(now)
  record screenshot_startup_ms "$(calc "($painted_at - $started_at) * 1000")"
  for _ in 1 2 3; do
    t0=$(now)
    main_window_shown || true
    record screenshot_probe_ms "$(calc "($(now) - $t0) * 1000")"
  done
  pid=$(launcher_pid) || fail "no Linux process of $run/$launcher"
  stop_launcher "$pid"
  wait "${STARTED[0]}" 2>/dev/null || true
  STARTED=()
}

# The probes against programs whose answers are known: a window that never comes, a program
# that cannot start, the real window, and the launcher's memory as /proc sees it.
probe_self_test() {
  local failed=0 code line pid hwm
  expect() { [ "$2" = "$3" ] || { echo "probe self-test: $1: expected '$3', got '$2'" >&2; failed=1; }; }
  probe() { code=0; timeout 60 "$tools/wine-run.sh" "$build/bin/$1" "${@:2}" >"$work/probe.out" 2>/dev/null || code=$?; line=$(tr -d '\r' <"$work/probe.out"); }
  fresh_run_folder
  probe paintwatch.exe "$(winpath "$build/bin/procmem.exe")" frm_Main 738 281 700
  expect "a window that never comes times out" "$code $(field painted_ms "$line")" "1 -1.0"
  probe paintwatch.exe "$(winpath "$run/missing.exe")" frm_Main 738 281 700
  expect "a program that cannot start" "$code" 2
  probe paintwatch.exe "$(winpath "$run/$launcher")" frm_Main 738 281 abc
  expect "a time-out that is no number" "$code" 2
  probe paintwatch.exe "$(winpath "$run/$launcher")" frm_Main $((WINDOW_LEFT + 310)) $((WINDOW_TOP + 120)) 30000
  expect "the real window is painted in its banner's blue" "$code $(field colour "$line")" "0 147EE2"
  awk -v w="$(field window_ms "$line")" -v p="$(field painted_ms "$line")" 'BEGIN { exit !(w >= 0 && w <= p) }' ||
    expect "the window exists before it is painted" "$line" "window_ms <= painted_ms"
  pid=$(launcher_pid) || { echo "probe self-test: no process of the launcher" >&2; return 1; }
  probe procmem.exe "$(tr a-z A-Z <<<"$launcher")"
  hwm=$(awk '/^VmHWM/ { print $2 * 1024 }' "/proc/$pid/status")
  expect "the launcher found by its name in any case, with /proc's peak" "$code $(field peak_ws "$line")" "0 $hwm"
  awk -v w="$(field ws "$line")" -v p="$(field peak_ws "$line")" 'BEGIN { exit !(w > 1048576 && w <= p) }' ||
    expect "a working set of some MiB up to its peak" "$line" "0 < ws <= peak_ws"
  probe procmem.exe no-such-program.exe
  expect "no process of that name" "$code:$line" "1:"
  stop_launcher "$pid"
  [ "$failed" = 0 ] && echo "bench-launcher probe self-test: passed"
  return "$failed"
}

keep_prefix_up_for_display
if [ "$mode" = probes ]; then probe_self_test; exit; fi

: >"$results"
: >"$probe_lines"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
began=$SECONDS
TALLYVO_STUB_INSTALLER=$build/bin/stub_installer.exe TALLYVO_PACKAGE_PKI=$build/pki \
  TALLYVO_PACKAGE_SIZE=$size TALLYVO_UPLOADS_RATE=0 \
  "$src/tests/support/nginx-fixture.sh" start "$mirror" "$port" "$tls_port" "$line2_port" >/dev/null ||
  fail "the mirror did not start on port $port (is a test run of $build using it?)"

download_rounds=$rounds
budget_note=
# The two start-up probes take turns too, so that both see the same load and the same caches.
for round in $(seq "$rounds"); do
  round_began=$SECONDS
  [ $((round % 2)) = 0 ] || screenshot_startup_round
  [ $((round % 2)) = 0 ] || bare_window_round
  window_and_fetch_round "$([ "$round" -le "$download_rounds" ] && echo 1 || echo 0)"
  [ $((round % 2)) = 1 ] || bare_window_round
  [ $((round % 2)) = 1 ] || screenshot_startup_round
  if [ "$round" = 1 ]; then
    per_round=$((SECONDS - round_began + 1))
    download_rounds=$(planned_download_rounds $((SECONDS - began)) "$per_round" "$rounds" "$budget")
    [ "$download_rounds" = "$rounds" ] ||
      budget_note=" (of $rounds rounds: a round with both downloads took ${per_round}s, the whole would pass ${budget}s)"
  fi
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# "median (min-max)" of a metric, in a printf format.
show() {
  local s
  s=$(stats "$1" "$results") || { echo "n/a"; return; }
  read -r med lo hi _ <<<"$s"
  printf "$2 ($2-$2)" "$med" "$lo" "$hi"
}
median() { stats "$1" "$results" | cut -d' ' -f1; }

row() { printf "  %-40s %s\n" "$1" "$2"; }
echo
echo "launcher benchmark, $launcher under $("$wine" --version 2>/dev/null) + Xvfb"
echo "raw figures: $results (probe lines: $probe_lines)"
echo "load average before: $load_before, after: $load_after ($(nproc) cores); figures are noise above ~1"
echo "median (min-max) of $rounds starts; $download_rounds rounds of the $size_mib MiB download each way$budget_note"
echo "start-up to the first painted main window:"
row "CreateProcess -> window exists" "$(show startup_window_ms %.0f) ms"
row "CreateProcess -> first painted pixel" "$(show startup_painted_ms %.0f) ms, probe: one screen pixel (paintwatch.exe) every $(median paintwatch_poll_ms) ms"
row "wine-run.sh -> first painted screenshot" "$(show screenshot_startup_ms %.0f) ms, probe: xdotool + import, $(show screenshot_probe_ms %.0f) ms a shot (its resolution)"
row "" "(this start also brings up Wine's desktop process, which paintwatch starts before its clock)"
row "wine-run.sh, a program ending at once" "$(show wine_run_console_ms %.0f) ms, start to end"
echo "working set of the launcher (procmem.exe: GetProcessMemoryInfo from outside, which Wine fills from /proc):"
row "idle, ${idle_s} s after painting" "$(show idle_ws_mib %.1f) MiB, peak $(show idle_peak_ws_mib %.1f) MiB"
row "at the end of the $size_mib MiB download" "$(show end_ws_mib %.1f) MiB, peak $(show end_peak_ws_mib %.1f) MiB"
row "fetch.exe peak (VmHWM)" "$(show fetch_peak_ws_mib %.1f) MiB"
row "procmem's peak equal to /proc VmHWM" "in $(peaks_agreeing "$results") reads"
echo "$size_mib MiB download (size checked every run, cmp against the mirror in round 1), MiB/s:"
row "window, click -> package saved" "$(show window_mibs %.0f); temp file -> saved $(show window_transfer_mibs %.0f)"
row "fetch.exe, process start -> exit" "$(show fetch_mibs %.0f); temp file -> saved $(show fetch_transfer_mibs %.0f)"
row "window/fetch (goal >= 0.90)" "$(calc "$(median window_mibs) / $(median fetch_mibs)") end to end (fetch's includes its process start); $(calc "$(median window_transfer_mibs) / $(median fetch_transfer_mibs)") temp file -> saved"
echo "CPU seconds per GiB, utime+stime from /proc (GetProcessTimes from outside says $(median end_gpt_cpu_s) s for the"
echo "launcher's whole life at the end of a download where /proc says $(median end_proc_cpu_s) s, so it is not used):"
row "launcher while its window repaints" "$(show window_cpu_s_per_gib %.2f), all its threads; wineserver's share is not in it"
row "wineserver of the prefix meanwhile" "$(show window_wineserver_cpu_s_per_gib %.2f); Xvfb $(show window_xvfb_cpu_s_per_gib %.2f)"
row "fetch.exe, whole process with its start" "$(show fetch_cpu_s_per_gib %.2f); wineserver meanwhile $(show fetch_wineserver_cpu_s_per_gib %.2f)"
echo "against a bare 620 x 416 white popup ($bare, built and started in the same rounds):"
row "shipped $product as built" "$(within_limit "$(stat -c %s "$build/bin/$product")" 1024)"
row "idle peak working set" "$(against "$(median idle_peak_ws_mib)" "$(median bare_idle_peak_ws_mib)" 6 MiB)"
row "CreateProcess -> first painted pixel" "$(against "$(median startup_painted_ms)" "$(median bare_startup_painted_ms)" 60 ms)"
row "" "median of each round's own difference: $(paired_median startup_painted_ms bare_startup_painted_ms "$results" | awk '{ printf "%+.1f ms", $1 }')"
