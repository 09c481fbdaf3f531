#include "support/pki_fixture.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

namespace testsupport {

namespace {

std::string pki_script(int ocsp_port, int http_port, int dead_port) {
    std::string o = "http://127.0.0.1:" + std::to_string(ocsp_port) + "/";
    std::string h = "http://127.0.0.1:" + std::to_string(http_port);
    std::string d = "http://127.0.0.1:" + std::to_string(dead_port) + "/";
    std::string ext =
        "[inter]\nbasicConstraints=critical,CA:TRUE\nkeyUsage=critical,keyCertSign,cRLSign,digitalSignature\n"
        "authorityInfoAccess=OCSP;URI:" + o + ",caIssuers;URI:" + h + "/root.cer\n"
        "[leaf]\nbasicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature,nonRepudiation\n"
        "extendedKeyUsage=clientAuth,emailProtection\n"
        "authorityInfoAccess=OCSP;URI:" + o + ",caIssuers;URI:" + h + "/inter.cer\n"
        "[noaia]\nbasicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=clientAuth,emailProtection\n"
        "[deadocsp]\nbasicConstraints=CA:FALSE\nauthorityInfoAccess=OCSP;URI:" + d + "\n"
        "[garbageocsp]\nbasicConstraints=CA:FALSE\nauthorityInfoAccess=OCSP;URI:" + h + "/garbage\n"
        "[tsa]\nbasicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=critical,timeStamping\n";
    std::string tsa_cnf =
        "[ tsa_ok ]\nserial = ./tsaserial\ncrypto_device = builtin\nsigner_cert = ./tsa.pem\n"
        "certs = ./tsa.pem\nsigner_key = ./tsa.key\nsigner_digest = sha256\ndefault_policy = 1.2.3.4.1\n"
        "digests = sha256, sha384, sha512\naccuracy = secs:1\nordering = no\ntsa_name = no\n"
        "ess_cert_id_chain = no\ness_cert_id_alg = sha256\n"
        "[ tsa_reject ]\nserial = ./tsaserial\ncrypto_device = builtin\nsigner_cert = ./tsa.pem\n"
        "signer_key = ./tsa.key\nsigner_digest = sha256\ndefault_policy = 1.2.3.4.1\ndigests = sha512\n";
    return "set -e\n"
           "printf '%s' " + shell_quote(ext) + " > ext.cnf\n"
           "printf '%s' " + shell_quote(tsa_cnf) + " > tsa.cnf\n"
           "echo 01 > tsaserial\n"
           "openssl req -x509 -newkey rsa:2048 -nodes -keyout root.key -out root.pem -days 30 "
           "-subj '/CN=Velk Test Root' -addext basicConstraints=critical,CA:TRUE "
           "-addext keyUsage=critical,keyCertSign,cRLSign,digitalSignature\n"
           "openssl x509 -in root.pem -outform DER -out root.cer\n"
           "openssl req -new -newkey rsa:2048 -nodes -keyout inter.key -out inter.csr -subj '/CN=Velk Test Inter'\n"
           "openssl x509 -req -in inter.csr -CA root.pem -CAkey root.key -set_serial 0x1001 -days 30 "
           "-extfile ext.cnf -extensions inter -out inter.pem\n"
           "openssl x509 -in inter.pem -outform DER -out inter.cer\n"
           "openssl req -new -newkey rsa:2048 -nodes -keyout leaf.key -out leaf.csr -subj '/CN=Velk RSA Signer'\n"
           "openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout ec.key -out ec.csr "
           "-subj '/CN=Velk EC Signer'\n"
           "sign() { openssl x509 -req -in $1 -CA $2.pem -CAkey $2.key -set_serial $3 -days 20 "
           "-extfile ext.cnf -extensions $4 -out $5; }\n"
           "sign leaf.csr inter 0x2001 leaf leaf.pem\n"
           "sign ec.csr inter 0x2002 leaf ec.pem\n"
           "sign leaf.csr inter 0x2003 leaf revoked.pem\n"
           "sign leaf.csr inter 0x2004 noaia noaia.pem\n"
           "sign leaf.csr inter 0x2005 deadocsp dead.pem\n"
           "sign leaf.csr inter 0x2006 garbageocsp garbage.pem\n"
           "openssl req -new -newkey rsa:2048 -nodes -keyout tsa.key -out tsa.csr -subj '/CN=Velk Test TSA'\n"
           "sign tsa.csr root 0x3001 tsa tsa.pem\n"
           "p12() { openssl pkcs12 -export -inkey $1 -in $2 -certfile inter.pem -out $3 -passout pass:pw; }\n"
           "p12 leaf.key leaf.pem leaf.p12\np12 ec.key ec.pem ec.p12\np12 leaf.key revoked.pem revoked.p12\n"
           "p12 leaf.key noaia.pem noaia.p12\n"
           "cat root.pem inter.pem > cas.pem\n"
           "subj() { openssl x509 -in $1 -noout -subject -nameopt compat | sed 's/^subject=//'; }\n"
           "T=\"$(printf '\\t')\"\n"
           "{ echo \"V${T}301231000000Z${T}${T}1001${T}unknown${T}$(subj inter.pem)\"\n"
           "  echo \"V${T}301231000000Z${T}${T}2001${T}unknown${T}$(subj leaf.pem)\"\n"
           "  echo \"V${T}301231000000Z${T}${T}2002${T}unknown${T}$(subj ec.pem)\"\n"
           "  echo \"R${T}301231000000Z${T}240101000000Z${T}2003${T}unknown${T}$(subj revoked.pem)\"\n"
           "} > index.txt\n"
           "printf '\\060\\005\\060\\003\\002\\001\\000' > notoken.der\n"
           "head -c 4097 /dev/urandom > data4097.bin\n";
}

}  // namespace

bool test_pki::sh(const std::string& script, std::string* log) const {
    auto r = run_command("cd " + shell_quote(dir_.path()) + " && (" + script + ") 2>&1");
    if (log != nullptr) *log += r.output;
    return r.status == 0;
}

test_pki::test_pki() {
    for (const char* v : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"})
        unsetenv(v);
    const std::string d = dir_.path();
    const std::string tsa_reply =
        "cd " + shell_quote(d) + " && openssl ts -reply -config tsa.cnf -queryfile /dev/stdin -section ";
    std::string routes =
        "{\"/root.cer\": {\"body_file\": \"" + d + "/root.cer\"},"
        " \"/inter.cer\": {\"body_file\": \"" + d + "/inter.cer\"},"
        " \"/tsa\": {\"command\": \"" + tsa_reply + "tsa_ok 2>/dev/null\", \"content_type\": \"application/timestamp-reply\"},"
        " \"/reject\": {\"command\": \"" + tsa_reply + "tsa_reject 2>/dev/null\"},"
        " \"/garbage\": {\"body\": \"this is not DER\"},"
        " \"/notoken\": {\"body_file\": \"" + d + "/notoken.der\"},"
        " \"/error\": {\"status\": 500, \"body\": \"\"}}";
    // A PKI may be made once per process and used by tests that a shuffled
    // run spreads over the whole run: its server stops itself only after a
    // whole run's time (the destructor stops it first), not after the
    // default two minutes.
    const char* limit = std::getenv("LOOPBACK_SERVER_LIMIT");
    const std::string saved_limit = limit ? limit : "";
    setenv("LOOPBACK_SERVER_LIMIT", "1800", 1);
    http_ = std::make_unique<loopback_server>(routes);
    if (limit)
        setenv("LOOPBACK_SERVER_LIMIT", saved_limit.c_str(), 1);
    else
        unsetenv("LOOPBACK_SERVER_LIMIT");
    ocsp_port_ = unused_port();
    dead_port_ = unused_port();
    ok_ = sh(pki_script(ocsp_port_, http_->port(), dead_port_), &log_);
    if (!ok_) return;
    // The OCSP responder, stopped by its pid in the destructor. It answers
    // as the signers' issuer (the intermediate): only the issuer or a
    // responder it delegated may speak for a certificate.
    auto r = run_command("cd " + shell_quote(d) + " && { openssl ocsp -port " + std::to_string(ocsp_port_) +
                         " -index index.txt -CA cas.pem -rsigner inter.pem -rkey inter.key -ndays 1"
                         " -ignore_err >ocsp.log 2>&1 & echo $!; }");
    ocsp_pid_ = static_cast<pid_t>(std::atoi(r.output.c_str()));
    // Ready once it says so (a probe connection would block the responder,
    // which serves one connection at a time).
    auto ready = [this] { return read_file(f("ocsp.log")).find("waiting for OCSP client") != std::string::npos; };
    for (int i = 0; i < 200 && !ready(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    ok_ = ocsp_pid_ > 0 && ready();
}

test_pki::~test_pki() {
    if (ocsp_pid_ > 0) ::kill(ocsp_pid_, SIGTERM);
}

}  // namespace testsupport
