#!/usr/bin/env bash
# Starts or stops the tests' local nginx: plain files under www/, /slow/ with a rate limit,
# /norange/ ignoring Range, /nolm/ without Last-Modified, and HTTPS with a self-signed
# certificate on the second port. With TALLYVO_STUB_INSTALLER set it also serves the sample
# package under /uploads/ (that program padded with fixed bytes); TALLYVO_UPLOADS_RATE slows
# /uploads/ down so a transfer can be watched and cut part-way; TALLYVO_UPLOADS_NO_LENGTH=1 makes
# /uploads/ announce no length (chunked answers, as a mirror that streams does). The launcher's
# line probe (its GET of bytes=0-262143) is served at 128 KiB/s by the host named in
# TALLYVO_SLOW_LINE_HOST (localhost, the Unicom line, unless set), so that the probe's choice is
# known; TALLYVO_PRIMARY_FOREIGN=1 serves the Telecom host (127.0.0.1) a package signed by another
# publisher (needs TALLYVO_PACKAGE_PKI). With the build's test PKI beside the folder, the HTTPS
# port also answers for the name localhost with a certificate the test root vouches for, and
# redirects from /to-https/ (to the same file, by a relative address) and /to-http/ (to the plain
# port's /nolm/).
# `nginx-fixture.sh start DIR PORT TLS_PORT [LINE2_PORT]`: PORT is the Telecom line's, LINE2_PORT
# the Unicom line's (the same server and files); "-" leaves a port out, so that each line can have
# an nginx of its own that a test stops alone. TALLYVO_PACKAGE_COPY_OF=FILE serves a copy of that
# file (its bytes and date) as the package instead of making one: two mirrors of one package.
# `nginx-fixture.sh ports` prints three ports the system has free, for a build folder's mirror.
set -euo pipefail
cmd=$1 dir=${2:-}
[ "$cmd" = ports ] && exec perl -MIO::Socket::INET -e '@s = map { IO::Socket::INET->new(LocalAddr => "127.0.0.1",
  LocalPort => 0, Listen => 1) or die "no free port: $!\n" } 1 .. 3; print join(" ", map { $_->sockport } @s), "\n"'
nginx_bin=$(command -v nginx || echo /usr/sbin/nginx)

stop() {
  if [ -f "$dir/nginx.pid" ]; then
    kill "$(cat "$dir/nginx.pid")" 2>/dev/null || true
    for _ in $(seq 50); do [ -f "$dir/nginx.pid" ] || break; sleep 0.1; done
  fi
}

if [ "$cmd" = stop ]; then stop; exit 0; fi

port=$3 tls_port=$4 line2_port=${5:--}
stop
mkdir -p "$dir/www/uploads" "$dir/tmp" "$dir/tls"
if [ ! -f "$dir/tls/cert.pem" ]; then
  openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=127.0.0.1" \
    -keyout "$dir/tls/key.pem" -out "$dir/tls/cert.pem" 2>/dev/null
fi
# Fixed sample files: deterministic content so that hashes are stable between runs.
make_file() { [ -f "$1" ] && [ "$(stat -c %s "$1")" -eq "$2" ] || head -c "$2" </dev/urandom >"$1"; }
make_file "$dir/www/small.bin" 1000
make_file "$dir/www/medium.bin" $((4 * 1024 * 1024))
package_name='Tallyvo（Norvik）（完整安装包）.exe'
package_size=${TALLYVO_PACKAGE_SIZE:-$((3 * 1024 * 1024))}
# With TALLYVO_PACKAGE_PKI (a build's tools/make-test-pki.sh folder) the package is signed by the
# genuine test publisher after padding; the signature counts into its size.
sign_package() { "$(dirname "$0")/../../tools/make-test-pki.sh" sign "$TALLYVO_PACKAGE_PKI" "$1" "$2"; }
if [ -n "${TALLYVO_STUB_INSTALLER:-}" ]; then
  part=$dir/www/uploads/$package_name.part
  signature_size=0
  if [ -n "${TALLYVO_PACKAGE_PKI:-}" ]; then
    # What signing adds to an image whose length is a multiple of 8, as the padded package's is.
    { cat "$TALLYVO_STUB_INSTALLER"; head -c $(( (8 - $(stat -c %s "$TALLYVO_STUB_INSTALLER") % 8) % 8 )) /dev/zero; } >"$part"
    sign_package "$part" "$part.signed"
    signature_size=$(( $(stat -c %s "$part.signed") - $(stat -c %s "$part") ))
  fi
  # The image still runs with bytes appended after it; the padding is the same on every run.
  { cat "$TALLYVO_STUB_INSTALLER"
    openssl enc -aes-128-ctr -nosalt -K 0f0e0d0c0b0a09080706050403020100 -iv 0 </dev/zero 2>/dev/null |
      head -c $((package_size - signature_size - $(stat -c %s "$TALLYVO_STUB_INSTALLER"))) || true
  } >"$part"
  if [ -n "${TALLYVO_PACKAGE_PKI:-}" ]; then
    sign_package "$part" "$part.signed"
    mv -f "$part.signed" "$part"
  fi
  [ "$(stat -c %s "$part")" -eq "$package_size" ] ||
    { echo "the sample package has $(stat -c %s "$part") bytes, not $package_size" >&2; exit 1; }
  mv -f "$part" "$dir/www/uploads/$package_name"
elif [ -n "${TALLYVO_PACKAGE_COPY_OF:-}" ]; then
  cp -p "$TALLYVO_PACKAGE_COPY_OF" "$dir/www/uploads/$package_name.part"
  mv -f "$dir/www/uploads/$package_name.part" "$dir/www/uploads/$package_name"
fi
uploads_root=$dir/www
if [ "${TALLYVO_PRIMARY_FOREIGN:-0}" = 1 ]; then
  mkdir -p "$dir/foreign/uploads"
  foreign=$dir/foreign/uploads/$package_name
  osslsigncode remove-signature -in "$dir/www/uploads/$package_name" -out "$foreign.unsigned" >/dev/null
  "$(dirname "$0")/../../tools/make-test-pki.sh" sign "$TALLYVO_PACKAGE_PKI" "$foreign.unsigned" "$foreign" other-publisher
  rm -f "$foreign.unsigned"
  uploads_root=$dir/foreign
fi
uploads_rate=${TALLYVO_UPLOADS_RATE:-0}
# The SSI filter cannot know the length of what it passes on, so nginx drops Content-Length.
uploads_length=""
[ "${TALLYVO_UPLOADS_NO_LENGTH:-0}" = 1 ] && uploads_length="ssi on; ssi_types *;"

pki=$(dirname "$dir")/pki
listen_lines=""
for p in "$port" "$line2_port"; do [ "$p" = - ] || listen_lines+="listen 127.0.0.1:$p; "; done
[ -n "$listen_lines" ] || { echo "nginx-fixture: neither line has a port" >&2; exit 2; }
tls_servers=""
trusted_tls=""
if [ "$tls_port" != - ]; then
  tls_servers="  server {
    listen 127.0.0.1:$tls_port ssl;
    ssl_certificate $dir/tls/cert.pem;
    ssl_certificate_key $dir/tls/key.pem;
    root $dir/www;
  }"
fi
if [ "$tls_port" != - ] && [ -f "$pki/localhost.crt" ]; then
  trusted_tls="  server {
    listen 127.0.0.1:$tls_port ssl;
    server_name localhost;
    ssl_certificate $pki/localhost.crt;
    ssl_certificate_key $pki/localhost.key;
    root $dir/www;
    absolute_redirect off;
    location /to-https/ { rewrite ^/to-https/(.*)\$ /\$1 redirect; }
    location /to-http/ { rewrite ^/to-http/(.*)\$ http://127.0.0.1:$port/nolm/\$1 redirect; }
  }"
fi

cat >"$dir/nginx.conf" <<CONF
daemon on;
pid $dir/nginx.pid;
error_log $dir/error.log warn;
worker_processes 1;
events { worker_connections 64; }
http {
  types { application/octet-stream bin exe; }
  default_type application/octet-stream;
  log_format probe '\$request_method \$uri "\$http_range" "\$http_user_agent" \$status \$bytes_sent \$host';
  access_log $dir/access.log probe;
  client_body_temp_path $dir/tmp/body;
  proxy_temp_path $dir/tmp/proxy;
  fastcgi_temp_path $dir/tmp/fastcgi;
  uwsgi_temp_path $dir/tmp/uwsgi;
  scgi_temp_path $dir/tmp/scgi;
  sendfile on;
  map "\$host \$http_range" \$uploads_rate {
    "${TALLYVO_SLOW_LINE_HOST:-localhost} bytes=0-262143" 128k;
    default $uploads_rate;
  }
  map \$host \$uploads_root {
    localhost $dir/www;
    default $uploads_root;
  }
  server {
    $listen_lines
    server_name 127.0.0.1 localhost;
    root $dir/www;
    location /slow/ { alias $dir/www/; limit_rate 256k; }
    location /norange/ { alias $dir/www/; max_ranges 0; }
    location /uploads/ { limit_rate \$uploads_rate; root \$uploads_root; $uploads_length }
    location /nolm/ { alias $dir/www/; add_header Last-Modified ""; }
  }
$tls_servers
$trusted_tls
}
CONF
# Only the server started here answers with this start's token, not another program on the port.
token=$(od -An -N8 -tx8 /dev/urandom | tr -d ' ' | tee "$dir/www/fixture-token")
"$nginx_bin" -c "$dir/nginx.conf" -p "$dir" 2>"$dir/start.err" || { cat "$dir/start.err"
  echo "a port taken? configure the build folder again with -U 'TALLYVO_TEST_*PORT' for new ones"; exit 1; } >&2
ours() { [ "$(curl -sk --max-time 2 "$1/fixture-token")" = "$token" ]; }
addresses=()
[ "$port" = - ] || addresses+=("http://127.0.0.1:$port")
[ "$tls_port" = - ] || addresses+=("https://127.0.0.1:$tls_port")
[ "$line2_port" = - ] || addresses+=("http://localhost:$line2_port")
all_ours() { local a; for a in "${addresses[@]}"; do ours "$a" || return 1; done; }
for _ in $(seq 50); do
  all_ours && exit 0
  sleep 0.1
done
echo "not every one of ${addresses[*]} answers with this nginx's token in $dir/www/fixture-token" >&2
exit 1
