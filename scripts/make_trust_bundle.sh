#!/bin/sh
# Makes the built-in trust bundle: a DER PKCS#7 certificates-only SignedData
# holding a few self-signed test roots of our own (RSA, EC and SM2).
# Usage: make_trust_bundle.sh OUTPUT.p7c
set -eu
out="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
days=7300
openssl req -x509 -newkey rsa:2048 -nodes -days $days -sha256 \
  -subj "/C=XX/O=Example Trust Service/CN=Example Trust Root RSA" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
  -keyout rsa.key -out rsa.pem 2>/dev/null
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-384 -nodes -days $days -sha384 \
  -subj "/C=XX/O=Example Trust Service/CN=Example Trust Root EC" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
  -keyout ec.key -out ec.pem 2>/dev/null
set -- -certfile rsa.pem -certfile ec.pem
if openssl genpkey -algorithm SM2 -out sm2.key 2>/dev/null &&
   openssl req -x509 -key sm2.key -sm3 -sigopt distid:1234567812345678 -days $days \
     -subj "/C=XX/O=Example Trust Service/CN=Example Trust Root SM2" \
     -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
     -out sm2.pem 2>/dev/null; then
  set -- "$@" -certfile sm2.pem
fi
openssl crl2pkcs7 -nocrl "$@" -outform DER -out bundle.p7c
mkdir -p "$(dirname "$out")"
mv bundle.p7c "$out"
