#!/usr/bin/env bash
# Makes a build's test PKI and the sample files signed with it (never committed): the root
# "Tallyvo Test Root" with the genuine code-signing leaf "Tallyvo Test Publisher", the leaves a
# signature check must refuse, a root of its own that no prefix trusts, test-root.reg, which
# trusts the test root in a Wine prefix, and a server certificate for localhost that the root
# vouches for (the test mirror's trusted HTTPS). The keys stay when only the samples are made again.
# Usage: tools/make-test-pki.sh pki <folder>                  keys, certificates, test-root.reg
#        tools/make-test-pki.sh samples <folder> <PE file> <older> <unversioned> <garbled version>
#                                     <folder>/signed/*.exe from the PE file, and its twins of
#                                     other version resources signed by the genuine publisher
#        tools/make-test-pki.sh sign <folder> <in> <out> [leaf]  <in> signed by the leaf (the genuine publisher)
set -euo pipefail
command=$1 out=$2

# A fixed signing time keeps the signed bytes the same from run to run.
signing_time=1767225600  # 2026-01-01

write_ca_config() {
  cat >ca.cnf <<'CNF'
[ ca ]
default_ca = test_ca
[ test_ca ]
dir = $ENV::CA_DIR
database = $dir/index.txt
new_certs_dir = $dir/issued
serial = $dir/serial
default_md = sha256
policy = any_name
unique_subject = no
[ any_name ]
commonName = optional
[ root ]
basicConstraints = critical, CA:true
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[ code_signing ]
basicConstraints = critical, CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[ localhost_server ]
basicConstraints = critical, CA:false
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:localhost
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[ server_only ]
basicConstraints = critical, CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = serverAuth
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
CNF
}

# Each authority keeps its database in <authority>.db.
new_authority() {
  mkdir -p "$1.db/issued"
  : >"$1.db/index.txt"
  echo 1000 >"$1.db/serial"
}

# issue <authority> <name> <common name, or a whole subject starting with /> <extensions> <from> <until> [self]
issue() {
  local ca=$1 name=$2 subject=$3 ext=$4 from=$5 until=$6 self=${7:-}
  [[ $subject == /* ]] || subject="/CN=$subject"
  openssl genrsa -out "$name.key" 2048 2>/dev/null
  openssl req -new -key "$name.key" -subj "$subject" -out "$name.csr"
  local signer=(-cert "$ca.crt" -keyfile "$ca.key")
  [ -n "$self" ] && signer=(-selfsign -keyfile "$name.key")
  CA_DIR=$ca.db openssl ca -batch -config ca.cnf -preserveDN "${signer[@]}" -extensions "$ext" \
    -startdate "$from" -enddate "$until" -notext -in "$name.csr" -out "$name.crt" 2>/dev/null
}

# The root in the current user's store, as Windows keeps it in the registry: the value "Blob" is
# a property record (id 32 = the encoded certificate, 1, length) followed by the DER bytes.
write_trust_reg() {
  openssl x509 -in root.crt -outform DER -out root.der
  local thumbprint
  thumbprint=$(openssl x509 -in root.crt -noout -fingerprint -sha1 | sed 's/.*=//; s/://g' | tr a-f A-F)
  le32() { printf '%02x,%02x,%02x,%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
  {
    echo 'Windows Registry Editor Version 5.00'
    echo
    echo "[HKEY_CURRENT_USER\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\$thumbprint]"
    printf '"Blob"=hex:%s,%s,%s,\\\n' "$(le32 32)" "$(le32 1)" "$(le32 "$(stat -c %s root.der)")"
    od -An -v -tx1 root.der | tr -s ' \n' '\n' | sed '/^$/d' | paste -sd, |
      fold -w 75 | sed 's/,$//; $!s/$/,\\/; s/^/  /'
  } >test-root.reg
  rm root.der
}

make_pki() {
  write_ca_config
  new_authority root
  new_authority stranger-root
  issue root root "Tallyvo Test Root" root 20240101000000Z 20460101000000Z self
  issue stranger-root stranger-root "Tallyvo Untrusted Root" root 20240101000000Z 20460101000000Z self
  issue root publisher "Tallyvo Test Publisher" code_signing 20250101000000Z 20450101000000Z
  issue root other-publisher "Tallyvo Other Publisher" code_signing 20250101000000Z 20450101000000Z
  issue root expired "Tallyvo Test Publisher" code_signing 20240101000000Z 20250101000000Z
  issue root not-code-signing "Tallyvo Test Publisher" server_only 20250101000000Z 20450101000000Z
  issue stranger-root untrusted-root "Tallyvo Test Publisher" code_signing 20250101000000Z 20450101000000Z
  # A subject that names the publisher but not as its one common name.
  issue root two-names "/CN=Tallyvo Test Publisher/CN=Tallyvo Other Publisher" code_signing 20250101000000Z 20450101000000Z
  issue root no-name "/O=Tallyvo Test Publisher" code_signing 20250101000000Z 20450101000000Z
  issue root localhost localhost localhost_server 20250101000000Z 20450101000000Z
  write_trust_reg
  rm -rf ./*.csr ./*.db ca.cnf
}

# sign <leaf> <in> <out> [more osslsigncode options]
sign() {
  rm -f "$3"  # osslsigncode will not overwrite
  osslsigncode sign -certs "$1.crt" -key "$1.key" -h sha256 -time "$signing_time" "${@:4}" \
    -in "$2" -out "$3" >/dev/null
}

make_samples() {
  rm -rf signed
  mkdir signed
  local leaf
  for leaf in publisher other-publisher expired not-code-signing two-names no-name; do
    sign "$leaf" "$pe" "signed/$leaf.exe"
  done
  mv signed/publisher.exe signed/genuine.exe
  sign publisher "$old" signed/old.exe
  sign publisher "$unversioned" signed/unversioned.exe
  sign publisher "$garbled" signed/garbled-version.exe
  # The same leaf twice: once with its stranger root in the signature, so the chain ends in a
  # root nobody trusts, and once alone, so the chain ends in an issuer nobody has.
  sign untrusted-root "$pe" signed/untrusted-root.exe -ac stranger-root.crt
  sign untrusted-root "$pe" signed/unknown-issuer.exe
  cp "$pe" signed/unsigned.exe
  # One byte of the code changed after signing (offset 1024 lies in the first section).
  cp signed/genuine.exe signed/tampered.exe
  local byte
  byte=$(od -An -tu1 -j1024 -N1 signed/tampered.exe | tr -d ' ')
  printf "\\$(printf %03o $(((byte + 1) % 256)))" | dd of=signed/tampered.exe bs=1 seek=1024 conv=notrunc 2>/dev/null
}

case $command in
  pki)
    rm -rf "$out.tmp"
    mkdir -p "$out.tmp"
    (cd "$out.tmp" && make_pki)
    rm -rf "$out"
    mv "$out.tmp" "$out"
    ;;
  samples)
    absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
    pe=$(absolute "$3") old=$(absolute "$4") unversioned=$(absolute "$5") garbled=$(absolute "$6")
    cd "$out"
    make_samples
    ;;
  sign)
    sign "$out/${5:-publisher}" "$3" "$4"
    ;;
  *) echo "usage: $0 pki <folder> | samples <folder> <PE file> <older> <unversioned> <garbled> | sign <folder> <in> <out> [leaf]" >&2; exit 2 ;;
esac
