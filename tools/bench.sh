#!/usr/bin/env bash
# Benchmarks of a build folder: tools/bench.sh <build folder> [parts]   (what `make bench` runs)
# parts: any of "transfer verify launcher lines" (default all four).
#
# transfer: one file from a private local nginx, three ways taking turns each round: the engine's
# DownloadFile (bench_transfer.exe engine), a bare WinInet read loop (bench_transfer.exe bare),
# and native curl. Every measured download runs in a process of its own, so each peak working set
# belongs to one way. Sizes and rounds: BENCH_SIZES_MIB (default "64 512"), BENCH_ROUNDS (5).
# BENCH_BASELINE=<another build's bench_transfer.exe> adds its engine as a fourth way taking
# turns with the others ("baseline"), for a change of the engine measured against the one before.
#
# verify: the package check (bench_verify.exe: the first CheckPackage in a process, cold or after
# PreparePackageCheck, and the one after it) on a package signed by the test publisher,
# BENCH_VERIFY_MIB (200) in size, taking turns with sha256sum of the same file; medians of
# BENCH_ROUNDS.
set -euo pipefail
build=${1:-build}
build=$(cd "$build" && pwd)
parts=" ${2:-transfer verify launcher lines} "
wanted() { [[ $parts == *" $1 "* ]]; }
tools=$(cd "$(dirname "$0")" && pwd)
rounds=${BENCH_ROUNDS:-5}
sizes=${BENCH_SIZES_MIB:-64 512}
exe=$build/bin/bench_transfer.exe
[ -x "$exe" ] || [ -f "$exe" ] || { echo "bench: $exe is missing; build first" >&2; exit 2; }

# Builds running beside the benchmark skew its figures; as root it (and all it starts) goes first.
if [ "$(id -u)" = 0 ] && [ "${BENCH_NICE:-1}" != 0 ]; then renice -n -10 $$ >/dev/null || true; fi

work=$build/bench
www=$work/www
out=$work/out
mkdir -p "$www" "$out" "$work/tmp"
results=$work/transfer-results.txt
: >"$results"

nginx_bin=$(command -v nginx || echo /usr/sbin/nginx)
stop_nginx() {
  [ -f "$work/nginx.pid" ] && kill "$(cat "$work/nginx.pid")" 2>/dev/null || true
  rm -f "$www"/*.bin "$out"/* 2>/dev/null || true
}
trap stop_nginx EXIT

start_nginx() {
  local port
  for port in $(shuf -i 30000-39999 -n 20); do
    cat >"$work/nginx.conf" <<CONF
daemon on;
pid $work/nginx.pid;
error_log $work/error.log warn;
worker_processes 1;
events { worker_connections 64; }
http {
  types { application/octet-stream bin; }
  access_log off;
  client_body_temp_path $work/tmp/body;
  proxy_temp_path $work/tmp/proxy;
  fastcgi_temp_path $work/tmp/fastcgi;
  uwsgi_temp_path $work/tmp/uwsgi;
  scgi_temp_path $work/tmp/scgi;
  sendfile on;
  server { listen 127.0.0.1:$port; root $www; }
}
CONF
    if "$nginx_bin" -c "$work/nginx.conf" -p "$work" 2>/dev/null; then
      for _ in $(seq 50); do
        curl -s -o /dev/null "http://127.0.0.1:$port/" && { echo "$port"; return 0; }
        sleep 0.1
      done
      # Started but never answered: stop it before the next port starts another one.
      kill "$(cat "$work/nginx.pid")" 2>/dev/null || true
    fi
  done
  echo "bench: nginx did not start" >&2
  return 1
}

winpath() { echo "Z:${1//\//\\}"; }

export WINEPREFIX=$build/wineprefix
"$tools/wine-run.sh" wineboot --init >/dev/null 2>&1 || true

# One in-process measurement: appends "<size> <way> <MiB/s> <cpu s/GiB> <peak MiB>" to results.
run_wine_way() {
  local way=$1 size=$2 url=$3 target=$out/$way.bin line program=$exe mode=$1
  [ "$way" = baseline ] && program=$BENCH_BASELINE mode=engine
  rm -f "$out"/*
  sync  # no way pays for writing back what the one before it left dirty
  line=$("$tools/wine-run.sh" "$program" "$mode" "$url" "$(winpath "$target")" | tr -d '\r')
  local bytes wall cpu peak
  bytes=$(stat -c %s "$target" 2>/dev/null || echo 0)
  wall=$(sed -n 's/.* wall=\([^ ]*\).*/\1/p' <<<"$line")
  cpu=$(sed -n 's/.* cpu=\([^ ]*\).*/\1/p' <<<"$line")
  peak=$(sed -n 's/.* peak_ws=\([^ ]*\).*/\1/p' <<<"$line")
  check_size "$way" "$bytes" "$size" "$line"
  awk -v s="$size" -v w="$way" -v b="$bytes" -v t="$wall" -v c="$cpu" -v p="$peak" \
    'BEGIN { printf "%s %s %.1f %.3f %.2f\n", s, w, b / t / 1048576, c / (b / 1073741824), p / 1048576 }' >>"$results"
  rm -f "$out"/*
}

run_curl() {
  local size=$1 url=$2 target=$out/curl.bin timing
  rm -f "$out"/*
  sync
  timing=$( { /usr/bin/time -f "%e %U %S %M" curl -s -o "$target" "$url"; } 2>&1 | tail -1)
  local bytes
  bytes=$(stat -c %s "$target" 2>/dev/null || echo 0)
  check_size curl "$bytes" "$size" "$timing"
  awk -v s="$size" -v b="$bytes" -v t="$timing" \
    'BEGIN { split(t, f, " "); printf "%s curl %.1f %.3f %.2f\n", s, b / f[1] / 1048576, (f[2] + f[3]) / (b / 1073741824), f[4] / 1024 }' >>"$results"
  rm -f "$out"/*
}

check_size() {
  local way=$1 bytes=$2 size=$3 detail=$4
  if [ "$bytes" -ne $((size * 1048576)) ]; then
    echo "bench: $way got $bytes bytes of $((size * 1048576)): $detail" >&2
    exit 1
  fi
}

# Medians per way of one size, then the engine's ratios to the bare loop (with the goals) and to curl.
summarise() {
  awk -v s="$1" -v rounds="$rounds" '
    $1 == s { n[$2]++; t[$2, n[$2]] = $3; c[$2, n[$2]] = $4; p[$2, n[$2]] = $5 }
    function med(arr, w,    i, j, m, v, x) {
      m = n[w]; for (i = 1; i <= m; i++) v[i] = arr[w, i]
      for (i = 2; i <= m; i++) { x = v[i]; for (j = i - 1; j >= 1 && v[j] > x; j--) v[j + 1] = v[j]; v[j + 1] = x }
      return (m % 2) ? v[(m + 1) / 2] : (v[m / 2] + v[m / 2 + 1]) / 2
    }
    END {
      printf "\n%s MiB, median of %s rounds\n  %-7s %10s %17s %12s %14s\n", s, rounds, "way", "MiB/s", "(min-max)", "CPU s/GiB", "peak WS MiB"
      nways = split(n["baseline"] ? "engine bare curl baseline" : "engine bare curl", ways, " ")
      for (i = 1; i <= nways; i++) {
        w = ways[i]; lo = hi = t[w, 1]
        for (j = 2; j <= n[w]; j++) { if (t[w, j] < lo) lo = t[w, j]; if (t[w, j] > hi) hi = t[w, j] }
        printf "  %-7s %10.1f %17s %12.3f %14.2f\n", w, med(t, w), sprintf("(%.0f-%.0f)", lo, hi), med(c, w), med(p, w)
      }
      printf "  engine/bare: throughput %.3f (goal >= 0.95), CPU per GiB %.3f (goal <= 1.10), peak WS %+.2f MiB (goal <= +2)\n",
        med(t, "engine") / med(t, "bare"), med(c, "engine") / med(c, "bare"), med(p, "engine") - med(p, "bare")
      printf "  engine/curl: throughput %.3f, CPU per GiB %.3f\n", med(t, "engine") / med(t, "curl"), med(c, "engine") / med(c, "curl")
      if (n["baseline"])
        printf "  engine/baseline: throughput %.3f, CPU per GiB %.3f, peak WS %+.2f MiB\n",
          med(t, "engine") / med(t, "baseline"), med(c, "engine") / med(c, "baseline"), med(p, "engine") - med(p, "baseline")
    }' "$results"
}

if wanted transfer; then
  load_before=$(cut -d' ' -f1-3 /proc/loadavg)
  port=$(start_nginx)
  base=http://127.0.0.1:$port
  for size in $sizes; do
    head -c $((size * 1048576)) /dev/urandom >"$www/file$size.bin"
    ways=(engine bare curl)
    [ -n "${BENCH_BASELINE:-}" ] && ways+=(baseline)
    for round in $(seq "$rounds"); do
      # Each round starts with the next way, so that no way always runs on a warm or cold cache.
      for i in "${!ways[@]}"; do
        way=${ways[$(((round + i) % ${#ways[@]}))]}
        case $way in
          curl) run_curl "$size" "$base/file$size.bin" ;;
          *) run_wine_way "$way" "$size" "$base/file$size.bin" ;;
        esac
      done
    done
    rm -f "$www/file$size.bin"
  done

  echo "transfer benchmark (raw figures: $results)"
  echo "CPU of the Wine ways is the process's own (GetProcessTimes); wineserver's share is not in it."
  echo "load average before: $load_before, after: $(cut -d' ' -f1-3 /proc/loadavg) ($(nproc) cores); figures are noise above ~1"
  for size in $sizes; do summarise "$size"; done
fi

# The package check against sha256sum of the same file, both reading it from the page cache.
verify_bench() {
  local mib=${BENCH_VERIFY_MIB:-200} stub=$build/bin/stub_installer.exe package=$work/verify-package.exe
  local lines=$work/verify-results.txt ways=(sha256sum cold prepared) load_before round i way line
  { cat "$stub"; head -c $((mib * 1048576 - $(stat -c %s "$stub"))) /dev/urandom; } >"$work/verify-unsigned.bin"
  "$tools/make-test-pki.sh" sign "$build/pki" "$work/verify-unsigned.bin" "$package"
  rm -f "$work/verify-unsigned.bin"
  : >"$lines"
  load_before=$(cut -d' ' -f1-3 /proc/loadavg)
  for round in $(seq "$rounds"); do
    # Each round starts with the next way, so that none always meets the colder cache.
    for i in 0 1 2; do
      way=${ways[$(((round + i) % 3))]}
      if [ "$way" = sha256sum ]; then
        /usr/bin/time -f "sha256sum %e %U %S" sha256sum "$package" 2>>"$lines" >/dev/null
      else
        line=$("$tools/wine-run.sh" "$build/bin/bench_verify.exe" "$(winpath "$package")" "Tallyvo Test Publisher" \
          $([ "$way" = prepared ] && echo prepared) | tr -d '\r') ||
          { echo "bench: the check failed on the signed package: $line" >&2; exit 1; }
        echo "$way $line" >>"$lines"
      fi
    done
  done
  rm -f "$package"
  awk -v mib="$mib" -v rounds="$rounds" '
    function med(v, m,    i, j, x) {
      for (i = 2; i <= m; i++) { x = v[i]; for (j = i - 1; j >= 1 && v[j] > x; j--) v[j + 1] = v[j]; v[j + 1] = x }
      return (m % 2) ? v[(m + 1) / 2] : (v[m / 2] + v[m / 2 + 1]) / 2
    }
    $1 == "sha256sum" { s[++ns] = $2; sc[ns] = $3 + $4 }
    $1 == "cold" || $1 == "prepared" {
      for (i = 2; i <= NF; i++) { split($i, kv, "="); f[kv[1]] = kv[2] }
      if ($1 == "cold") { cold[++nc] = f["first"]; second[nc] = f["second"]; cpu[nc] = f["cpu"] }
      else { prep[++np] = f["prepare"]; warm[np] = f["first"] }
    }
    END {
      sha = med(s, ns); a = med(cold, nc); b = med(warm, np); c = med(second, nc)
      printf "\npackage check, %s MiB signed package, median of %s rounds (seconds)\n", mib, rounds
      printf "  sha256sum                  %7.3f   (CPU %.3f)\n", sha, med(sc, ns)
      printf "  first check in a process   %7.3f   %.2f x sha256sum (goal <= 1.5)\n", a, a / sha
      printf "  first after preparing      %7.3f   %.2f x sha256sum (preparing took %.3f)\n", b, b / sha, med(prep, np)
      printf "  second check               %7.3f   %.2f x sha256sum (CPU %.3f)\n", c, c / sha, med(cpu, nc)
    }' "$lines"
  echo "  load average before: $load_before, after: $(cut -d' ' -f1-3 /proc/loadavg) ($(nproc) cores); raw lines: $lines"
}
wanted verify && verify_bench
if wanted launcher; then "$tools/bench-launcher.sh" "$build"; fi
# lines: the window's download over two lines capped per connection against aria2c given both
# mirrors and curl on one connection (tools/bench-lines.sh; BENCH_LINES_ROUNDS, default 5).
if wanted lines; then "$tools/bench-lines.sh" "$build"; fi
