# Sourced by the scripts that need a display: starts a private Xvfb when DISPLAY is unset and
# stops it when the script ends; TALLYVO_XVFB_SCREEN gives it another size (a window at 200 %).
ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 || [ -n "${DISPLAY:-}" ] && [ -z "${TALLYVO_FORCE_XVFB:-}" ]; then
    return 0
  fi
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] || break
  done
  Xvfb ":$n" -screen 0 "${TALLYVO_XVFB_SCREEN:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  trap 'kill $XVFB_PID 2>/dev/null || true' EXIT
  export DISPLAY=":$n"
  local i
  for i in $(seq 50); do [ -e "/tmp/.X11-unix/X${n}" ] && return 0; sleep 0.1; done
  echo "Xvfb did not start on :$n" >&2
  return 1
}
