# Sourced by the benchmarks that drive the launcher's window (tools/bench-launcher.sh,
# tools/bench-lines.sh): figures of a results file, the launcher's processes, and starting,
# clicking and watching the window. The caller sources tools/window-lib.bash too and defines
# `fail`, WINEPREFIX, `run` (the folder of the scratch copies), `launcher` (the image name in it),
# `tools`, `build` and `work` (where probe output goes).

# Median, min, max and count of the values of one metric in a results file ("<round> <metric> <value>").
stats() {
  awk -v m="$1" '
    $2 == m { v[++n] = $3 + 0 }
    END {
      if (!n) exit 1
      for (i = 2; i <= n; i++) { x = v[i]; for (j = i - 1; j >= 1 && v[j] > x; j--) v[j + 1] = v[j]; v[j + 1] = x }
      med = (n % 2) ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
      printf "%.6g %.6g %.6g %d\n", med, v[1], v[n], n
    }' "$2"
}

# utime+stime in clock ticks from a /proc/<pid>/stat line; the command name may hold blanks and brackets.
stat_ticks() { sed 's/^.*) //' | awk '{ print $12 + $13 }'; }

# The value of key=value in a probe's output line.
field() { grep -o "\(^\| \)$1=[^ ]*" <<<"$2" | head -1 | cut -d= -f2; }

# Waits until the final file exists; sets TMP_AT (first sight of the temporary file) and DONE_AT.
watch_transfer() {
  local temp=$1 final=$2 end=$((SECONDS + $3)) t
  TMP_AT='' DONE_AT=''
  until [ -f "$final" ]; do
    [ -n "$TMP_AT" ] || { [ -e "$temp" ] && t=$EPOCHREALTIME && TMP_AT=${t/,/.}; }
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.01
  done
  t=$EPOCHREALTIME
  DONE_AT=${t/,/.}
  [ -n "$TMP_AT" ] || TMP_AT=$DONE_AT
}

calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }
winpath() { echo "Z:${1//\//\\}"; }
now() { local t=$EPOCHREALTIME; echo "${t/,/.}"; }
ticks_of() { stat_ticks <"/proc/$1/stat" 2>/dev/null || echo 0; }

# The wineserver of this prefix works in a folder named after the prefix's device and inode.
prefix_wineserver_pid() {
  local id p dev inode
  read -r dev inode < <(stat -c '%d %i' "$WINEPREFIX")
  id=$(printf 'server-%x-%x' "$dev" "$inode")
  for p in $(pgrep -x wineserver64; pgrep -x wineserver); do
    [[ $(readlink "/proc/$p/cwd" 2>/dev/null) == */"$id" ]] && { echo "$p"; return 0; }
  done
  return 1
}

# Wine puts the image's path first on the process's command line: the Windows path when a Windows
# process started it, the Linux path when wine did.
launcher_pid() { program_pid "$launcher"; }
program_pid() {
  local windows linux f first
  windows=$(winpath "$run/$1") linux=$run/$1
  for f in $(grep -lszxF -e "$windows" -e "$linux" /proc/[0-9]*/cmdline); do
    first=$(tr '\0' '\n' 2>/dev/null <"$f" | head -1)
    [ "$first" = "$windows" ] || [ "$first" = "$linux" ] && { f=${f#/proc/}; echo "${f%/cmdline}"; return 0; }
  done
  return 1
}

no_main_window() { local id; id=$(main_window_id) && [ -z "$id" ]; }
stop_launcher() {
  local pid=$1 end=$((SECONDS + 10))
  kill "$pid" 2>/dev/null || true
  while [ -d "/proc/$pid" ]; do
    [ "$SECONDS" -lt "$end" ] || { kill -9 "$pid" 2>/dev/null || true; break; }
    sleep 0.05
  done
  wait_for 10 "the main window to go" no_main_window
}

# Ends this prefix's desktop process (explorer.exe), waiting up to 10 s for it to go.
end_prefix_desktop() {
  local p pids=()
  for p in $(pgrep -f 'explorer.exe'); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && pids+=("$p")
  done
  [ "${#pids[@]}" -gt 0 ] || return 0
  kill "${pids[@]}" 2>/dev/null || true
  local until_s=$((SECONDS + 10))
  while [ "$SECONDS" -lt "$until_s" ] && kill -0 "${pids[@]}" 2>/dev/null; do sleep 0.1; done
}

# Starts the scratch copy through paintwatch.exe, which returns once the window's banner is painted;
# its line (window_ms= painted_ms= poll_ms= ...) lands in PAINTWATCH_LINE, the Linux pid in LAUNCHER_PID.
start_launcher_window() {
  timeout 60 "$tools/wine-run.sh" "$build/bin/paintwatch.exe" "$(winpath "$run/$launcher")" frm_Main \
    $((WINDOW_LEFT + 310)) $((WINDOW_TOP + 120)) 30000 >"$work/paintwatch.out" 2>"$work/paintwatch.err" ||
    fail "the window was not painted within 30 s: $(cat "$work/paintwatch.out" "$work/paintwatch.err")"
  PAINTWATCH_LINE=$(tr -d '\r' <"$work/paintwatch.out")
  LAUNCHER_PID=$(launcher_pid) || fail "no Linux process of $run/$launcher"
}

# Points at the download picture; press_download_picture then presses it, CLICKED_AT the moment.
point_at_download_picture() {
  expect_pixel 306 311 148EED "the download picture" 60
  timeout 10 xdotool mousemove $((WINDOW_LEFT + 306)) $((WINDOW_TOP + 311))
  sleep 0.1
}
press_download_picture() {
  # The picture acts on the release. `xdotool click` pauses ~0.1 s after it, so press and release
  # go apart and the release's return (a few ms after the event) is the moment of the click.
  timeout 10 xdotool mousedown 1
  timeout 10 xdotool mouseup 1
  CLICKED_AT=$(now)
}

# Wine's desktop process takes its display from the program that started it: one left from a run
# without a display (tools/bench.sh's transfers) would keep every window off ours. Let the
# prefix's server wind down first, then keep one up for every run, so no start pays for its start-up.
keep_prefix_up_for_display() {
  local wineserver
  wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
  timeout 20 "$wineserver" -w 2>/dev/null || { "$wineserver" -k 2>/dev/null || true; timeout 10 "$wineserver" -w 2>/dev/null || true; }
  "$wineserver" -p 2>/dev/null || true
  timeout 120 "$tools/wine-run.sh" wineboot --init >/dev/null 2>&1 || true
}
