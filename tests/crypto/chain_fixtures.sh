#!/bin/sh
# Certificates for the chain tests, made in the current folder (run by
# cert_chain_test.cpp in a scratch folder).
set -e
cat > req.cnf <<'X'
[req]
distinguished_name = dn
[dn]
[v3ca]
basicConstraints = critical,CA:TRUE
keyUsage = keyCertSign, cRLSign
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
X
cat > ca.cnf <<'X'
[ca]
default_ca = d
[d]
database = index.txt
new_certs_dir = .
serial = serial
policy = p
default_md = sha256
unique_subject = no
[p]
commonName = supplied
X
: > index.txt
echo 1000 > serial
printf 'basicConstraints=critical,CA:TRUE\nkeyUsage=keyCertSign,cRLSign\nsubjectKeyIdentifier=hash\nauthorityKeyIdentifier=keyid\n' > ca.ext
printf 'basicConstraints=CA:FALSE\nextendedKeyUsage=clientAuth\nsubjectKeyIdentifier=hash\nauthorityKeyIdentifier=keyid\n' > client.ext
printf 'basicConstraints=CA:FALSE\nsubjectKeyIdentifier=hash\nauthorityKeyIdentifier=keyid\n' > noeku.ext
printf 'basicConstraints=CA:FALSE\nextendedKeyUsage=critical,timeStamping\nsubjectKeyIdentifier=hash\nauthorityKeyIdentifier=keyid\n' > ts.ext
ID=1234567812345678
gen() {
  case $2 in
    rsa) openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out $1.key 2>/dev/null ;;
    ec) openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out $1.key ;;
    sm2*) openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:SM2 -out $1.key ;;
  esac
}
md() { case $1 in sm2) echo "-sm3 -sigopt distid:$ID" ;; sm2noid) echo "-sm3" ;; *) echo "-sha256" ;; esac; }
# root NAME KIND SUBJECT
root() {
  gen $1 $2
  openssl req -x509 -new -key $1.key -subj "/CN=$3" -days 30 $(md $2) -config req.cnf -extensions v3ca -out $1.pem
}
csr() {
  gen $1 $2
  openssl req -new -key $1.key -subj "/CN=$3" $(md $2) -config req.cnf -out $1.csr
}
# issue NAME KIND SUBJECT SIGNER SIGNKIND EXTFILE
issue() {
  csr $1 $2 "$3"
  vfy=""; case $2 in sm2*) vfy="-vfyopt distid:$ID" ;; esac
  openssl x509 -req -in $1.csr -CA $4.pem -CAkey $4.key -CAserial serial.srl -CAcreateserial -days 30 \
    $(md $5) $vfy -extfile $6 -out $1.pem 2>/dev/null
}
# expired NAME KIND SUBJECT SIGNER EXTFILE
expired() {
  csr $1 $2 "$3"
  openssl ca -batch -config ca.cnf -cert $4.pem -keyfile $4.key -in $1.csr -out $1.pem \
    -startdate 20200101000000Z -enddate 20200201000000Z -extfile $5 -notext -md sha256 2>/dev/null
}
root rsa_root rsa "Chain Test Root"
issue rsa_inter rsa "Chain Test Intermediate" rsa_root rsa ca.ext
issue leaf_client rsa "Chain Leaf Client" rsa_inter rsa client.ext
issue leaf_noeku ec "Chain Leaf No EKU" rsa_inter rsa noeku.ext
issue leaf_ts ec "Chain Leaf Time Stamping" rsa_inter rsa ts.ext
expired leaf_expired ec "Chain Leaf Expired" rsa_inter client.ext
root orphan_ca ec "Orphan CA"
issue orphan_leaf ec "Orphan Leaf" orphan_ca ec client.ext
# A stranger's CA that takes the intermediate's name with its own key.
root rogue_ca ec "Chain Test Intermediate"
issue rogue_leaf ec "Rogue Leaf" rogue_ca ec client.ext
root ec_root ec "EC Chain Root"
issue ec_leaf ec "EC Chain Leaf" ec_root ec client.ext
root sm2_root sm2 "SM2 Chain Root"
issue sm2_leaf sm2 "SM2 Chain Leaf" sm2_root sm2 client.ext
issue sm2_leaf_noid sm2 "SM2 Chain Leaf Without Identifier" sm2_root sm2noid client.ext
# Authorities made again under the same names with new keys, and leaves
# that name no issuer key (only the signature tells the two apart).
printf 'basicConstraints=CA:FALSE\nextendedKeyUsage=clientAuth\nsubjectKeyIdentifier=none\nauthorityKeyIdentifier=none\n' > bare.ext
root ec_root_twin ec "EC Chain Root"
issue ec_leaf_bare ec "EC Chain Leaf Bare" ec_root ec bare.ext
issue ec_twin_leaf_bare ec "EC Chain Twin Leaf Bare" ec_root_twin ec bare.ext
root sm2_root_twin sm2 "SM2 Chain Root"
issue sm2_leaf_bare sm2 "SM2 Chain Leaf Bare" sm2_root sm2 bare.ext
issue sm2_twin_leaf_bare sm2 "SM2 Chain Twin Leaf Bare" sm2_root_twin sm2 bare.ext
# Two CAs that issue each other (by name): a cycle.
root cyc_a_self ec "Cycle A"
root cyc_b_self ec "Cycle B"
issue cyc_a ec "Cycle A" cyc_b_self ec ca.ext
issue cyc_b ec "Cycle B" cyc_a_self ec ca.ext
issue cyc_leaf ec "Cycle Leaf" cyc_a_self ec client.ext
# Nine deep; d2 (depth 6 under the leaf d8) has expired.
root d0 ec "Deep 0"
issue d1 ec "Deep 1" d0 ec ca.ext
expired d2 ec "Deep 2" d1 ca.ext
for i in 3 4 5 6 7; do issue d$i ec "Deep $i" d$((i-1)) ec ca.ext; done
issue d8 ec "Deep 8" d7 ec client.ext
for f in *.pem; do openssl x509 -in $f -outform DER -out ${f%.pem}.der; done
