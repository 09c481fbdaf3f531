#!/bin/sh
# Makes the code-signing certificate the installer check pins while the maker's
# own signing certificate is not yet available: a self-signed RSA certificate
# for codeSigning, written to resources/authenticode_signer.pem (compiled into
# the program). The private key is written only when a path is given; it is
# never kept in the repository.
#   scripts/make_authenticode_signer.sh [private-key-output.pem]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
out="$here/resources/authenticode_signer.pem"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
umask 077
openssl req -x509 -newkey rsa:3072 -nodes -days 3650 -sha256 \
  -subj "/C=CN/O=Velkorant/CN=Velkorant Test Code Signing" \
  -addext "basicConstraints=critical,CA:FALSE" \
  -addext "keyUsage=critical,digitalSignature" \
  -addext "extendedKeyUsage=codeSigning" \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
cp "$work/cert.pem" "$out"
chmod 644 "$out"
if [ $# -ge 1 ]; then
  cp "$work/key.pem" "$1"
fi
echo "wrote $out"
