# Sourced by the scripts that drive the launcher's window on an X display: bounded waits,
# screenshots, pixel probes and clicks in window coordinates. The caller defines `fail`
# (message -> exit) and SHOT_DIR (where screenshots go).
WINDOW_LEFT=428 WINDOW_TOP=161

# "PORT TLS_PORT LINE2_PORT" of the mirror whose line ports (Telecom, Unicom) are compiled into
# the local launcher, as the configured test list hands them to the mirror.
launcher_test_ports() {
  grep -o 'nginx-fixture.sh" "start" "[^"]*" "[0-9]*" "[0-9]*" "[0-9]*"' "$1/tests/CTestTestfile.cmake" |
    sed 's/.*"\([0-9]*\)" "\([0-9]*\)" "\([0-9]*\)"$/\1 \2 \3/'
}

# Polls a shell condition until it holds or the deadline (seconds) passes.
wait_for() {
  local seconds=$1 what=$2; shift 2
  local end=$((SECONDS + seconds))
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || fail "timed out after ${seconds}s waiting for $what"
    sleep 0.2
  done
}

# The id of the first window titled exactly the given one; empty when there is none. A search
# stops with an X error at a window that Wine drops meanwhile: it fails then, to be asked again.
window_id_named() {
  local found
  found=$(xdotool search --name "^$1\$" 2>&1) || [[ $found != *"X Error"* ]] || return 1
  head -1 <<<"$found"
}
main_window_id() { window_id_named frm_Main; }
main_window_shown() { [ -n "$(main_window_id)" ] && [ "$(pixel 310 120)" != "000000" ]; }

shot() { import -window root "$SHOT_DIR/$1.png" 2>/dev/null; }

# The colour (RRGGBB) at a point given in window coordinates.
pixel() {
  import -window root miff:- 2>/dev/null |
    convert - -depth 8 -crop "1x1+$((WINDOW_LEFT + $1))+$((WINDOW_TOP + $2))" +repage txt:- 2>/dev/null |
    sed -n '2p' | grep -o '#[0-9A-Fa-f]\{6\}' | head -1 | tr -d '#' | tr a-f A-F
}

# Whether the colour at a window point is within a tolerance of the expected one.
pixel_near() {
  local got want=$3 tol=${4:-24} i
  got=$(pixel "$1" "$2")
  [ -n "$got" ] || return 1
  for i in 0 2 4; do
    local a=$((16#${got:i:2})) b=$((16#${want:i:2}))
    [ $(((a - b) * (a - b))) -le $((tol * tol)) ] || return 1
  done
}

# Waits for the colour: painting and the window's fade-in take a moment under Wine.
expect_pixel() {
  local end=$((SECONDS + 20))
  until pixel_near "$1" "$2" "$3" "${5:-24}"; do
    [ "$SECONDS" -lt "$end" ] || break
    sleep 0.3
  done
  pixel_near "$1" "$2" "$3" "${5:-24}" || fail "$4: expected #$3 at ($1, $2), found #$(pixel "$1" "$2")"
}

click_at() {
  xdotool mousemove "$((WINDOW_LEFT + $1))" "$((WINDOW_TOP + $2))" sleep 0.1 click 1
}
