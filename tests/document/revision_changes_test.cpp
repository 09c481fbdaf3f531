// What was written after a signature: PDFs signed at test time, then changed
// by incremental updates written here by hand (page text replaced, overlays,
// pages added and removed, objects redefined through a later xref, form
// filling and annotations under each certification level, more signatures,
// document time stamps and validation data, empty fields), verified as the
// verify worker does, and compared with what pdfsig and mutool say.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <regex>

#include "app/data_dirs.h"
#include "app/text_utils.h"
#include "crypto/cert_loading.h"
#include "crypto/crypto_init.h"
#include "crypto/trust_list.h"
#include "document/doc_pdfium.h"
#include "document/pdf_layer_mupdf.h"
#include "document/sig_result.h"
#include "support/verification_scratch.h"
#include "tests/document/signed_pdf_fixture.h"

using namespace testsupport;

namespace {

class RevisionChanges : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        data = new verification_scratch;
        p = new sigfix::pki;
        if (p->ok) {
            X509* cert = load_certificate_file(p->f("ca.pem").c_str());
            trust_list_import_cert(cert);
            X509_free(cert);
        }
        install_verification_services();
    }
    static void TearDownTestSuite() {
        delete p;
        p = nullptr;
        delete data;
        data = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(p->ok) << p->log; }

    static std::unique_ptr<doc_pdfium> verify(const std::string& pdf, const std::string& name) {
        return data->verify_bytes(pdf, name);
    }

    static std::string sign(const std::string& pdf, sigfix::field_options o = {}) {
        return sigfix::sign_pdf(pdf, o, [](const std::string& d) { return sigfix::cms_sign(*p, "rsa", d, "-certfile ca.pem"); });
    }
    static std::string timestamp(const std::string& pdf) {
        sigfix::field_options o;
        o.name = "TimeStamp";
        o.timestamp_only = 1;
        o.rect = {0, 0, 0, 0};
        return sigfix::sign_pdf(pdf, o, [](const std::string& d) { return sigfix::ts_token(*p, d); });
    }

    static verification_scratch* data;
    static sigfix::pki* p;
};
verification_scratch* RevisionChanges::data = nullptr;
sigfix::pki* RevisionChanges::p = nullptr;

// ---- incremental updates written by hand --------------------------------------

int64_t last_startxref(const std::string& pdf) {
    std::size_t at = pdf.rfind("startxref");
    return at == std::string::npos ? -1 : std::stoll(pdf.substr(at + 9));
}

// The object as MuPDF reads it, printed tight ("<</Type/Page...>>"); streams
// as their dictionary only.
std::string object_text(const std::string& pdf, int num) {
    FPDF_DOCUMENT doc = FPDF_LoadMemDocument64(pdf.data(), pdf.size(), "");
    if (!doc) return "";
    fz_context* ctx = pdf_layer_context();
    std::string out;
    char* text = nullptr;
    fz_try(ctx) {
        pdf_obj* o = pdf_load_object(ctx, pdf_layer_document(doc), num);
        size_t n = 0;
        text = pdf_sprint_obj(ctx, nullptr, 0, &n, o, 1, 1);
        pdf_drop_obj(ctx, o);
    }
    fz_catch(ctx) { text = nullptr; }
    if (text) out = text;
    fz_free(ctx, text);
    FPDF_CloseDocument(doc);
    return out;
}

int object_count(const std::string& pdf) {
    FPDF_DOCUMENT doc = FPDF_LoadMemDocument64(pdf.data(), pdf.size(), "");
    if (!doc) return 0;
    int n = pdf_xref_len(pdf_layer_context(), pdf_layer_document(doc));
    FPDF_CloseDocument(doc);
    return n;
}

std::string stream_object(const std::string& content, const std::string& extra = "") {
    return "<< " + extra + "/Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream";
}

// Appends the objects (number → body; an empty body frees the number) with
// a classic xref table and a trailer that points back at the last one.
// `redirect` sends object numbers to offsets of the caller's choosing.
std::string append_update(const std::string& pdf, const std::map<int, std::string>& objects,
                          const std::map<int, int64_t>& redirect = {}) {
    std::string tail = pdf.substr(pdf.size() > 4096 ? pdf.size() - 4096 : 0);
    std::regex root_re("/Root ?([0-9]+) 0 R");
    std::string root_ref;
    for (auto it = std::sregex_iterator(tail.begin(), tail.end(), root_re); it != std::sregex_iterator(); ++it)
        root_ref = (*it)[1];
    int size = object_count(pdf);
    for (const auto& o : objects) size = std::max(size, o.first + 1);
    std::string out = pdf;
    if (out.back() != '\n') out += "\n";
    std::map<int, int64_t> offsets = redirect;
    for (const auto& o : objects) {
        if (o.second.empty()) {
            offsets[o.first] = -1;
            continue;
        }
        offsets[o.first] = static_cast<int64_t>(out.size());
        out += std::to_string(o.first) + " 0 obj\n" + o.second + "\nendobj\n";
    }
    const std::size_t xref = out.size();
    out += "xref\n0 1\n0000000000 65535 f \n";
    for (const auto& e : offsets) {
        char line[64];
        if (e.second < 0)
            std::snprintf(line, sizeof line, "%d 1\n0000000000 00001 f \n", e.first);
        else
            std::snprintf(line, sizeof line, "%d 1\n%010lld 00000 n \n", e.first, static_cast<long long>(e.second));
        out += line;
    }
    out += "trailer\n<< /Size " + std::to_string(size) + " /Root " + root_ref + " 0 R /Prev " +
           std::to_string(last_startxref(pdf)) + " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return out;
}

// Inserts `text` just after `after` in the object's printed form.
std::string edited(const std::string& pdf, int num, const std::string& after, const std::string& text) {
    std::string t = object_text(pdf, num);
    std::size_t at = t.find(after);
    if (at == std::string::npos) return "";
    return t.insert(at + after.size(), text);
}

// ---- the cases ----------------------------------------------------------------

std::string field_appearance(const std::string& value) {
    return stream_object("BT /F1 14 Tf 2 5 Td (" + value + ") Tj ET",
                         "/Type /XObject /Subtype /Form /BBox [0 0 100 20] /Resources << /Font << /F1 3 0 R >> >> ");
}

// The minimal PDF (1 catalog, 2 pages, 3 font, 4 page, 5 its content) with a
// filled text field "Name" (object 8, its appearance 9) on its page.
std::string with_text_field(const std::string& minimal) {
    return append_update(minimal, {
        {1, "<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [8 0 R] /DA (/Helv 12 Tf 0 g) >> >>"},
        {4, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 300] /Resources << /Font << /F1 3 0 R >> >> "
            "/Contents 5 0 R /Annots [8 0 R] >>"},
        {8, "<< /Type /Annot /Subtype /Widget /FT /Tx /T (Name) /V (Alice) /Rect [20 20 120 40] /P 4 0 R /F 4 "
            "/AP << /N 9 0 R >> >>"},
        {9, field_appearance("Alice")},
    });
}

std::string page_with_annot(const std::string& pdf, int annot) {
    return edited(pdf, 4, "/Annots[", std::to_string(annot) + " 0 R ");
}

struct change_case {
    const char* name;
    int certify;                  // DocMDP /P of the first signature, 0: approval signature
    int base;                     // the unsigned document: 1 the one-page form, 2 two pages, 3 a page
                                  // drawing a form XObject (number 99) the document does not define
    std::function<std::string(const std::string& signed_pdf, const std::string& unsigned_pdf)> change;
    int32_t first_status;         // the first signature's verdict after the change
    int later_revisions;
    const char* shows;            // what the record says: s(ignatures) t(ime stamps) e(mpty fields) v(alidation)
                                  // f(orm) a(nnotations) o(ther)
};

// The first part of `text` that starts with `head` and holds `holding` (empty
// when none does): one signature's lines in a tool's report.
std::string section(const std::string& text, const std::string& head, const std::string& holding) {
    for (std::size_t at = text.find(head); at != std::string::npos;) {
        const std::size_t next = text.find(head, at + head.size());
        const std::string part = text.substr(at, next == std::string::npos ? std::string::npos : next - at);
        if (part.find(holding) != std::string::npos) return part;
        at = next;
    }
    return "";
}

// A sound signature without a time stamp reads 13 (time from the signer's
// clock): as good as 0 here.
int32_t verdict(int32_t status) { return status == sigerr_sigtime_local ? sigerr_okay : status; }

std::string flags_of(const revision_changes& c) {
    std::string s;
    if (c.signatures_added) s += "s";
    if (c.timestamps_added) s += "t";
    if (c.empty_fields_added) s += "e";
    if (c.validation_data) s += "v";
    if (c.form_filled) s += "f";
    if (c.annotations_changed) s += "a";
    if (c.other_changes) s += "o";
    return s;
}

TEST_F(RevisionChanges, EachLaterChangeIsClassifiedAndJudged) {
    const std::string attacker = "BT /F1 24 Tf 20 150 Td (Attacker) Tj ET";
    const auto add_note = [](const std::string& s, const std::string&) {
        const int n = object_count(s);
        return append_update(s, {{n, "<< /Type /Annot /Subtype /Text /Rect [200 200 220 220] /Contents (note) >>"},
                                 {4, page_with_annot(s, n)}});
    };
    const auto second_signature = [](const std::string& s, const std::string&) {
        sigfix::field_options o;
        o.name = "Second";
        o.rect = {150, 250, 250, 200};
        return sign(s, o);
    };
    const auto fill_field = [](const std::string& s, const std::string&) {
        const int n = object_count(s);
        return append_update(s, {{8, "<< /Type /Annot /Subtype /Widget /FT /Tx /T (Name) /V (Bob) "
                                     "/Rect [20 20 120 40] /P 4 0 R /F 4 /AP << /N " + std::to_string(n) +
                                     " 0 R >> >>"},
                                 {n, field_appearance("Bob")}});
    };
    const std::vector<change_case> cases = {
        {"whole file signed", 0, 1, [](const std::string& s, const std::string&) { return s; }, sigerr_okay, 0, ""},
        {"page text replaced", 0, 1,
         [&](const std::string& s, const std::string&) { return append_update(s, {{5, stream_object(attacker)}}); },
         sigerr_modified, 1, "o"},
        {"overlay XObject added", 0, 1,
         [&](const std::string& s, const std::string&) {
             const int n = object_count(s);
             std::string page = std::regex_replace(object_text(s, 4), std::regex("/Contents ?5 0 R"),
                                                   "/Contents[5 0 R " + std::to_string(n + 1) + " 0 R]");
             page.insert(page.find("/Resources<<") + 12, "/XObject<</X1 " + std::to_string(n) + " 0 R>>");
             return append_update(s, {{n, stream_object("1 1 1 rg 0 0 300 300 re f 0 g " + attacker,
                                                        "/Type /XObject /Subtype /Form /BBox [0 0 300 300] "
                                                        "/Resources << /Font << /F1 3 0 R >> >> ")},
                                      {n + 1, stream_object("/X1 Do")},
                                      {4, page}});
         },
         sigerr_modified, 1, "o"},
        {"page added", 0, 1,
         [&](const std::string& s, const std::string&) {
             const int n = object_count(s);
             return append_update(
                 s, {{n, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 300] /Contents " + std::to_string(n + 1) +
                             " 0 R /Resources << /Font << /F1 3 0 R >> >> >>"},
                     {n + 1, stream_object(attacker)},
                     {2, "<< /Type /Pages /Kids [4 0 R " + std::to_string(n) + " 0 R] /Count 2 >>"}});
         },
         sigerr_modified, 1, "o"},
        {"page removed", 0, 2,
         [](const std::string& s, const std::string&) {
             return append_update(s, {{2, "<< /Type /Pages /Kids [4 0 R] /Count 1 >>"}});
         },
         sigerr_modified, 1, "o"},
        {"page content hidden: its object freed by a later xref", 0, 1,
         [](const std::string& s, const std::string&) { return append_update(s, {{5, ""}}); },
         sigerr_modified, 1, "o"},
        {"page font replaced", 0, 1,
         [](const std::string& s, const std::string&) {
             return append_update(s, {{3, "<< /Type /Font /Subtype /Type1 /BaseFont /Courier >>"}});
         },
         sigerr_modified, 1, "o"},
        {"an object the signed revision names but does not define, defined later", 0, 3,
         [&](const std::string& s, const std::string&) {
             return append_update(s, {{99, stream_object("0 g 0 0 300 300 re f",
                                                         "/Type /XObject /Subtype /Form /BBox [0 0 300 300] ")}});
         },
         sigerr_modified, 1, "o"},
        {"object sent back to an older definition by a later xref (hide and replace)", 0, 1,
         [](const std::string& s, const std::string& u) {
             // The unsigned document's first revision wrote object 5 as
             // "Attacker"; its second revision hid that behind "Page 1".
             const std::size_t at = u.find("5 0 obj");
             return append_update(s, {}, {{5, static_cast<int64_t>(at)}});
         },
         sigerr_modified, 1, "o"},
        {"form field filled under P=2", 2, 1,
         fill_field,
         sigerr_okay, 1, "f"},
        {"a field's appearance redrawn without its value under P=2", 2, 1,
         [](const std::string& s, const std::string&) { return append_update(s, {{9, field_appearance("Mallory")}}); },
         sigerr_modified, 1, "fo"},
        {"form field filled under P=1", 1, 1,
         fill_field,
         sigerr_modified, 1, "f"},
        {"annotation added under P=2", 2, 1,
         add_note,
         sigerr_modified, 1, "a"},
        {"annotation added under P=3", 3, 1,
         add_note,
         sigerr_okay, 1, "a"},
        {"annotation added after an approval signature", 0, 1,
         add_note,
         sigerr_okay, 1, "a"},
        {"a second signature", 0, 1,
         second_signature,
         sigerr_okay, 1, "s"},
        {"a second signature under P=1", 1, 1,
         second_signature,
         sigerr_modified, 1, "s"},
        {"validation data and a document time stamp under P=1", 1, 1,
         [](const std::string& s, const std::string&) {
             return timestamp(sigfix::add_vri_ocsps(s, sigfix::vri_key_of(s, 0), {sigfix::ocsp_response(*p, "rsa")}));
         },
         sigerr_okay, 2, "stv"},
        {"an empty signature field added", 0, 1,
         [](const std::string& s, const std::string&) {
             const int n = object_count(s);
             std::string form = edited(s, 1, "/Fields[", std::to_string(n) + " 0 R ");
             return append_update(s, {{n, "<< /Type /Annot /Subtype /Widget /FT /Sig /T (Empty) "
                                          "/Rect [150 250 250 280] /P 4 0 R /F 4 >>"},
                                      {4, page_with_annot(s, n)},
                                      {1, form}});
         },
         sigerr_okay, 1, "e"},
    };

    std::string minimal = read_file(write_minimal_pdf(data->file("one.pdf")));
    // The first revision holds "Attacker" as object 5, the second hides it.
    std::string shadowed = append_update(
        append_update(minimal, {{5, stream_object(attacker)}}),
        {{5, stream_object("BT /F1 24 Tf 20 150 Td (Page 1) Tj ET")}});
    std::string two_pages = read_file(write_minimal_pdf(data->file("two.pdf"), 2));
    std::string undefined = append_update(minimal, {
        {4, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 300] /Resources << /Font << /F1 3 0 R >> "
            "/XObject << /X1 99 0 R >> >> /Contents 5 0 R >>"},
        {5, stream_object("/X1 Do BT /F1 24 Tf 20 150 Td (Page 1) Tj ET")},
    });
    for (const change_case& k : cases) {
        SCOPED_TRACE(k.name);
        std::string base = k.base == 2 ? two_pages : k.base == 3 ? undefined : with_text_field(shadowed);
        sigfix::field_options o;
        o.name = "First";
        if (k.certify) {
            o.certify = 1;
            o.permission = k.certify;
        }
        const std::string signed_pdf = sign(base, o);
        ASSERT_FALSE(signed_pdf.empty()) << p->log;
        const std::string changed = k.change(signed_pdf, base);
        ASSERT_FALSE(changed.empty());
        auto doc = verify(changed, "changed.pdf");
        ASSERT_FALSE(doc->topsigs.empty());
        sig_result& first = *doc->topsigs.front();
        EXPECT_EQ(verdict(first.record->status), sigerr_okay) << "the signature over its own revision is sound";
        EXPECT_EQ(verdict(first.sig->status), k.first_status) << first.later.first_refused;
        EXPECT_EQ(first.later.later_revisions, k.later_revisions);
        EXPECT_EQ(flags_of(first.later), k.shows) << first.later.first_refused;
        EXPECT_EQ(first.later.signatures_added, std::string(k.shows).find('s') != std::string::npos ? 1 : 0);
        EXPECT_EQ(first.check_valid(), k.first_status == sigerr_okay);
        for (std::size_t i = 1; i < doc->topsigs.size(); ++i) {
            EXPECT_EQ(verdict(doc->topsigs[i]->sig->status), sigerr_okay) << "later signature " << i;
            EXPECT_EQ(doc->topsigs[i]->later.later_revisions, 0);
        }

        // pdfsig and mutool tell whether the first signature covers the file
        // (each in its own words, in the section of that signature).
        const std::string path = data->file("changed.pdf");
        const std::string poppler =
            section(run_command("pdfsig -nocert -no-ocsp " + shell_quote(path)).output, "Signature #",
                    "Field Name: First");
        ASSERT_NE(poppler, "") << "pdfsig lists the signature";
        EXPECT_EQ(k.later_revisions == 0, poppler.find("Total document signed") != std::string::npos) << poppler;
        const std::string mutool =
            section(run_command("mutool sign -v " + shell_quote(path) + " 2>&1").output, "Verifying signature",
                    "since signing");
        ASSERT_NE(mutool, "") << "mutool verifies the signature";
        EXPECT_EQ(k.later_revisions == 0, mutool.find("unchanged since signing") != std::string::npos) << mutool;
    }
}

TEST_F(RevisionChanges, EmptySignatureFieldsAreNotSignatures) {
    std::string minimal = read_file(write_minimal_pdf(data->file("empty.pdf")));
    std::string empty = append_update(minimal, {
        {1, "<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [6 0 R] /SigFlags 1 >> >>"},
        {4, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 300] /Resources << /Font << /F1 3 0 R >> >> "
            "/Contents 5 0 R /Annots [6 0 R] >>"},
        {6, "<< /Type /Annot /Subtype /Widget /FT /Sig /T (Unsigned) /Rect [20 20 120 60] /P 4 0 R /F 4 >>"},
    });
    auto doc = verify(empty, "only-empty.pdf");
    EXPECT_EQ(doc->swis_num, 1);
    EXPECT_EQ(doc->swis[0].empty_field, 1);
    EXPECT_TRUE(doc->topsigs.empty()) << "no result, so no 'unsupported' or formatting error";
    EXPECT_EQ(doc->signed_num, 0);

    // Signed beside it: the signature is the only one and stays valid.
    sigfix::field_options o;
    o.name = "Signed";
    o.rect = {150, 250, 250, 200};
    auto signed_doc = verify(sign(empty, o), "empty-and-signed.pdf");
    ASSERT_EQ(signed_doc->topsigs.size(), 1u);
    EXPECT_EQ(signed_doc->signed_num, 1);
    EXPECT_EQ(verdict(signed_doc->topsigs[0]->sig->status), sigerr_okay);
}

TEST_F(RevisionChanges, SignedBytesAreReadFromTheOpenDocument) {
    std::string minimal = read_file(write_minimal_pdf(data->file("open.pdf")));
    const std::string signed_pdf = sign(minimal);
    const std::string path = data->file("replaced.pdf");
    write_file(path, signed_pdf);
    auto doc = std::make_unique<doc_pdfium>();
    doc->load(utf8_to_wide(path));
    // Another file takes the path after the document was opened.
    std::string other = signed_pdf;
    other.replace(other.find("(Page 1)"), 8, "(Page 2)");
    write_file(path + ".new", other);
    std::rename((path + ".new").c_str(), path.c_str());
    current_document = doc.get();
    {
        trust_list_lock hold(trust_list_mutex);
        verify_open_document();
    }
    current_document = nullptr;
    ASSERT_EQ(doc->topsigs.size(), 1u);
    EXPECT_EQ(verdict(doc->topsigs[0]->sig->status), sigerr_okay) << "judged on the bytes that were opened";
}

}  // namespace
