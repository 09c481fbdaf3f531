#include "tests/document/signed_pdf_fixture.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <regex>

#include "crypto/digests.h"
#include "document/pdf_layer_mupdf.h"

using testsupport::read_file;
using testsupport::run_command;
using testsupport::shell_quote;
using testsupport::write_file;

namespace sigfix {

namespace {

const char kPkiScript[] = R"(set -e
cat > ext.cnf <<'EOF'
[signer]
basicConstraints = CA:FALSE
keyUsage = critical,digitalSignature,nonRepudiation
[tsa]
basicConstraints = CA:FALSE
extendedKeyUsage = critical,timeStamping
keyUsage = critical,digitalSignature
[ocsp]
basicConstraints = CA:FALSE
extendedKeyUsage = OCSPSigning
keyUsage = critical,digitalSignature
EOF
cat > ts.cnf <<'EOF'
[ tsa ]
default_tsa = tsa_config
[ tsa_config ]
serial = ./tsserial
crypto_device = builtin
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256, sha1
accuracy = secs:1
ordering = no
tsa_name = no
ess_cert_id_chain = no
ess_cert_id_alg = sha256
EOF
echo 01 > tsserial
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 365 -subj '/CN=Velkorant Test Root' 2>/dev/null
openssl req -new -newkey rsa:2048 -nodes -keyout rsa.key -out rsa.csr -subj '/CN=RSA Signer' 2>/dev/null
openssl x509 -req -in rsa.csr -CA ca.pem -CAkey ca.key -set_serial 4097 -days 90 -extfile ext.cnf -extensions signer -out rsa.pem 2>/dev/null
openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout ec.key -out ec.csr -subj '/CN=EC Signer' 2>/dev/null
openssl x509 -req -in ec.csr -CA ca.pem -CAkey ca.key -set_serial 4098 -days 90 -extfile ext.cnf -extensions signer -out ec.pem 2>/dev/null
openssl req -new -newkey rsa:2048 -nodes -keyout tsa.key -out tsa.csr -subj '/CN=Test TSA' 2>/dev/null
openssl x509 -req -in tsa.csr -CA ca.pem -CAkey ca.key -set_serial 4099 -days 90 -extfile ext.cnf -extensions tsa -out tsa.pem 2>/dev/null
openssl req -x509 -newkey rsa:2048 -nodes -keyout self.key -out self.pem -days 30 -subj '/CN=Self Signer' 2>/dev/null
openssl req -new -newkey rsa:2048 -nodes -keyout ocsp.key -out ocsp.csr -subj '/CN=Test OCSP Responder' 2>/dev/null
openssl x509 -req -in ocsp.csr -CA ca.pem -CAkey ca.key -set_serial 4100 -days 90 -extfile ext.cnf -extensions ocsp -out ocsp.pem 2>/dev/null
openssl req -new -newkey rsa:2048 -nodes -keyout rogue.key -out rogue.csr -subj '/CN=Test OCSP Responder' 2>/dev/null
openssl x509 -req -in rogue.csr -CA self.pem -CAkey self.key -set_serial 4101 -days 90 -extfile ext.cnf -extensions ocsp -out rogue.pem 2>/dev/null
printf 'V\t301231235959Z\t\t1001\tunknown\t/CN=RSA Signer\nV\t301231235959Z\t\t1002\tunknown\t/CN=EC Signer\n' > index.txt
)";

std::atomic<int> counter{0};

std::string next_name(const std::string& stem) { return stem + std::to_string(counter.fetch_add(1)); }

struct save_writer : FPDF_FILEWRITE {
    std::string data;
    save_writer() {
        version = 1;
        WriteBlock = [](FPDF_FILEWRITE* self, const void* p, unsigned long n) -> int {
            static_cast<save_writer*>(self)->data.append(static_cast<const char*>(p), n);
            return 1;
        };
    }
};

// Applies the options to the last field's signature dictionary.
bool adjust_value(FPDF_DOCUMENT doc, const field_options& o) {
    PDF_LAYER_GUARD;
    fz_context* ctx = pdf_layer_context();
    int n = FPDF_GetSignatureCount(doc);
    if (n < 1) return false;
    pdf_obj* field = pdf_layer_field(FPDF_GetSignatureObject(doc, n - 1));
    const char* volatile subfilter = o.subfilter.empty() ? nullptr : o.subfilter.c_str();
    const char* volatile filter = o.filter.empty() ? nullptr : o.filter.c_str();
    std::vector<const std::string*> certs;
    for (const auto& c : o.certs) certs.push_back(&c);
    const std::vector<long long>& ranges = o.prepared_ranges;
    volatile bool ok = true;
    fz_var(subfilter);
    fz_var(filter);
    fz_try(ctx) {
        pdf_obj* v = pdf_dict_get(ctx, field, PDF_NAME(V));
        if (subfilter) pdf_dict_put_name(ctx, v, PDF_NAME(SubFilter), subfilter);
        if (filter) pdf_dict_put_name(ctx, v, PDF_NAME(Filter), filter);
        if (!certs.empty()) {
            pdf_obj* arr = pdf_dict_put_array(ctx, v, PDF_NAME(Cert), static_cast<int>(certs.size()));
            for (const std::string* c : certs) pdf_array_push_drop(ctx, arr, pdf_new_string(ctx, c->data(), c->size()));
        }
        if (o.direct_value && pdf_is_indirect(ctx, v)) {
            // The field object holds the dictionary itself; the object that
            // held it goes, so the file has one placeholder only.
            int num = pdf_to_num(ctx, v);
            pdf_document* d = pdf_get_indirect_document(ctx, v);
            pdf_obj* copy = pdf_copy_dict(ctx, v);
            pdf_dict_put_drop(ctx, field, PDF_NAME(V), copy);
            pdf_delete_object(ctx, d, num);
            v = copy;
        }
        if (o.prepared_only) {
            pdf_dict_put_drop(ctx, v, PDF_NAME(Contents), pdf_new_string(ctx, "0", 1));
            pdf_obj* arr = pdf_dict_put_array(ctx, v, PDF_NAME(ByteRange), static_cast<int>(ranges.size()));
            for (long long x : ranges) pdf_array_push_drop(ctx, arr, pdf_new_int(ctx, x));
        }
    }
    fz_catch(ctx) { ok = false; }
    return ok;
}

std::string save_incremental(FPDF_DOCUMENT doc) {
    save_writer w;
    if (!FPDF_SaveAsCopy(doc, &w, FPDF_INCREMENTAL)) return "";
    return w.data;
}

}  // namespace

pki::pki() { ok = sh(kPkiScript); }

bool pki::sh(const std::string& command) {
    auto r = run_command("cd " + shell_quote(dir.path()) + " && { " + command + "\n}");
    if (r.status != 0) log += command + "\n" + r.output + "\n";
    return r.status == 0;
}

std::string add_field(const std::string& pdf, const field_options& o) {
    FPDF_DOCUMENT doc = FPDF_LoadMemDocument64(pdf.data(), pdf.size(), "");
    if (!doc) return "";
    std::string out;
    FPDF_PAGE page = FPDF_LoadPage(doc, 0);
    FPDF_ANNOTATION annot =
        page ? FPDFPage_CreateSignatureField(page, o.name.c_str(), "Approved", "Shenzhen", "me@example.com",
                                             o.time.c_str(), &o.rect, nullptr, 0, 0, o.certify, o.lock, o.permission, o.timestamp_only,
                                             o.contents_size)
             : nullptr;
    bool ok = annot != nullptr;
    FPDFPage_CloseAnnot(annot);
    if (page) FPDF_ClosePage(page);
    if (ok) ok = adjust_value(doc, o);
    if (ok) out = save_incremental(doc);
    FPDF_CloseDocument(doc);
    return out;
}

bool set_byte_ranges(std::string& pdf, placeholder* where) {
    std::string marker = std::string("<") + bytes_to_hex_upper("VelkorantContentPos");
    std::size_t lt = pdf.rfind(marker);
    if (lt == std::string::npos) return false;
    std::size_t gt = pdf.find('>', lt);
    if (gt == std::string::npos) return false;
    ++gt;
    std::size_t br = pdf.rfind("/ByteRange", lt);
    std::size_t after = pdf.find("/ByteRange", lt);
    // The placeholder ranges are in the same dictionary, before or after /Contents.
    if (br == std::string::npos || (after != std::string::npos && after - gt < lt - br)) br = after;
    if (br == std::string::npos) return false;
    std::size_t open = pdf.find('[', br), close = pdf.find(']', br);
    if (open == std::string::npos || close == std::string::npos || close < open) return false;
    std::string ranges = "0 " + std::to_string(lt) + " " + std::to_string(gt) + " " + std::to_string(pdf.size() - gt);
    std::size_t width = close - open - 1;
    if (ranges.size() > width) return false;
    ranges.append(width - ranges.size(), ' ');
    pdf.replace(open + 1, width, ranges);
    where->lt = lt;
    where->gt = gt;
    return true;
}

std::string covered_bytes(const std::string& pdf, const placeholder& w) {
    return pdf.substr(0, w.lt) + pdf.substr(w.gt);
}

bool put_contents(std::string& pdf, const placeholder& w, const std::string& value) {
    std::string hex = bytes_to_hex_upper(value);
    std::size_t room = w.gt - w.lt - 2;
    if (hex.size() > room) return false;
    hex.append(room - hex.size(), '0');
    pdf.replace(w.lt + 1, room, hex);
    return true;
}

std::string bytes_to_hex_upper(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string sign_pdf(const std::string& pdf, const field_options& o, const signer_fn& signer) {
    std::string out = add_field(pdf, o);
    if (out.empty() || o.prepared_only) return out;
    placeholder w;
    if (!set_byte_ranges(out, &w)) return "";
    std::string value = signer(covered_bytes(out, w));
    if (value.empty() || !put_contents(out, w, value)) return "";
    return out;
}

std::string cms_sign(pki& p, const std::string& name, const std::string& data, const std::string& extra) {
    std::string in = next_name("cms_in"), out = next_name("cms_out");
    write_file(p.f(in), data);
    if (!p.sh("openssl cms -sign -binary -nosmimecap -md sha256 -in " + in + " -signer " + name + ".pem -inkey " +
              name + ".key -outform DER -out " + out + " " + extra))
        return "";
    return read_file(p.f(out));
}

std::string ts_token(pki& p, const std::string& data) {
    std::string in = next_name("ts_in"), q = next_name("ts_q"), out = next_name("ts_tok");
    write_file(p.f(in), data);
    if (!p.sh("openssl ts -query -data " + in + " -sha256 -cert -no_nonce -out " + q +
              " && openssl ts -reply -config ts.cnf -queryfile " + q +
              " -signer tsa.pem -inkey tsa.key -chain ca.pem -token_out -out " + out + " 2>&1"))
        return "";
    return read_file(p.f(out));
}

std::string pkcs1_sha1_value(pki& p, const std::string& name, const std::string& data) {
    std::string in = next_name("p1_in"), out = next_name("p1_sig");
    write_file(p.f(in), data);
    if (!p.sh("openssl dgst -sha1 -sign " + name + ".key -out " + out + " " + in)) return "";
    std::string raw = read_file(p.f(out));
    if (raw.size() != 256) return "";
    return std::string("\x04\x82\x01\x00", 4) + raw;
}

std::string cert_der(pki& p, const std::string& name) {
    std::string out = next_name("der");
    if (!p.sh("openssl x509 -in " + name + ".pem -outform DER -out " + out)) return "";
    return read_file(p.f(out));
}

std::string ocsp_response(pki& p, const std::string& name, int days, const std::string& responder) {
    std::string req = next_name("ocsp_req"), resp = next_name("ocsp_resp");
    if (!p.sh("openssl ocsp -issuer ca.pem -cert " + name + ".pem -no_nonce -reqout " + req +
              " >/dev/null && openssl ocsp -index index.txt -rsigner " + responder + ".pem -rkey " + responder +
              ".key -CA ca.pem -reqin " + req +
              " -respout " + resp + " -ndays " + std::to_string(days) + " >/dev/null"))
        return "";
    return read_file(p.f(resp));
}

std::string add_vri_ocsps(const std::string& pdf, const std::string& vri_key,
                          const std::vector<std::string>& responses) {
    FPDF_DOCUMENT doc = FPDF_LoadMemDocument64(pdf.data(), pdf.size(), "");
    if (!doc) return "";
    volatile bool ok = true;
    {
        PDF_LAYER_GUARD;
        fz_context* ctx = pdf_layer_context();
        pdf_document* d = pdf_layer_document(doc);
        std::vector<const std::string*> list;
        for (const auto& r : responses) list.push_back(&r);
        const char* key = vri_key.c_str();
        fz_buffer* volatile buf = nullptr;
        fz_try(ctx) {
            pdf_obj* root = pdf_dict_get(ctx, pdf_trailer(ctx, d), PDF_NAME(Root));
            pdf_obj* dss = pdf_dict_puts_dict(ctx, root, "DSS", 1);
            pdf_obj* vri = pdf_dict_puts_dict(ctx, dss, "VRI", 1);
            pdf_obj* entry = pdf_dict_puts_dict(ctx, vri, key, 1);
            pdf_obj* arr = pdf_new_array(ctx, d, static_cast<int>(list.size()) + 1);
            pdf_dict_puts_drop(ctx, entry, "OCSP", arr);
            for (const std::string* r : list) {
                buf = fz_new_buffer_from_copied_data(ctx, reinterpret_cast<const unsigned char*>(r->data()), r->size());
                pdf_obj* stream = pdf_add_stream(ctx, d, buf, nullptr, 0);
                fz_drop_buffer(ctx, buf);
                buf = nullptr;
                pdf_array_push_drop(ctx, arr, stream);
            }
        }
        fz_catch(ctx) {
            fz_drop_buffer(ctx, buf);
            ok = false;
        }
    }
    std::string out = ok ? save_incremental(doc) : "";
    FPDF_CloseDocument(doc);
    return out;
}

std::string add_copied_signature(const std::string& pdf, int index, bool drop_original, bool direct_value) {
    FPDF_DOCUMENT doc = FPDF_LoadMemDocument64(pdf.data(), pdf.size(), "");
    if (!doc) return "";
    volatile bool ok = true;
    {
        PDF_LAYER_GUARD;
        fz_context* ctx = pdf_layer_context();
        pdf_document* d = pdf_layer_document(doc);
        pdf_obj* original = pdf_layer_field(FPDF_GetSignatureObject(doc, index));
        pdf_obj* volatile value = nullptr;
        pdf_obj* volatile field = nullptr;
        fz_try(ctx) {
            if (!original) fz_throw(ctx, FZ_ERROR_GENERIC, "no such field");
            value = pdf_copy_dict(ctx, pdf_dict_get(ctx, original, PDF_NAME(V)));
            pdf_dict_put_text_string(ctx, value, PDF_NAME(Reason), "Forged reason");
            pdf_dict_put_text_string(ctx, value, PDF_NAME(Location), "Elsewhere");
            pdf_dict_put_text_string(ctx, value, PDF_NAME(ContactInfo), "forger@example.com");
            pdf_dict_put_string(ctx, value, PDF_NAME(M), "D:20990101000000Z", 17);
            field = pdf_copy_dict(ctx, original);
            pdf_dict_put_text_string(ctx, field, PDF_NAME(T), "Copied");
            if (direct_value) {
                pdf_dict_put(ctx, field, PDF_NAME(V), value);
            } else {
                pdf_obj* ref = pdf_add_object(ctx, d, value);
                pdf_dict_put_drop(ctx, field, PDF_NAME(V), ref);
            }
            pdf_obj* field_ref = pdf_add_object(ctx, d, field);
            pdf_obj* root = pdf_dict_get(ctx, pdf_trailer(ctx, d), PDF_NAME(Root));
            pdf_obj* fields = pdf_dict_get(ctx, pdf_dict_get(ctx, root, PDF_NAME(AcroForm)), PDF_NAME(Fields));
            if (drop_original) {
                for (int i = pdf_array_len(ctx, fields) - 1; i >= 0; --i)
                    if (pdf_to_num(ctx, pdf_array_get(ctx, fields, i)) == pdf_to_num(ctx, original))
                        pdf_array_delete(ctx, fields, i);
            }
            pdf_array_push_drop(ctx, fields, field_ref);
        }
        fz_always(ctx) {
            pdf_drop_obj(ctx, value);
            pdf_drop_obj(ctx, field);
        }
        fz_catch(ctx) { ok = false; }
    }
    std::string out = ok ? save_incremental(doc) : "";
    FPDF_CloseDocument(doc);
    return out;
}

std::string vri_key_of(const std::string& pdf, int index) {
    FPDF_DOCUMENT doc = FPDF_LoadMemDocument64(pdf.data(), pdf.size(), "");
    if (!doc) return "";
    FPDF_SIGNATURE sig = FPDF_GetSignatureObject(doc, index);
    std::vector<unsigned char> bytes(FPDFSignatureObj_GetContents(sig, nullptr, 0));
    if (!bytes.empty()) FPDFSignatureObj_GetContents(sig, bytes.data(), bytes.size());
    FPDF_CloseDocument(doc);
    return sha1_hex(bytes.data(), bytes.size());
}

}  // namespace sigfix
