// Signing stamps in the settings file: what each kind of stamp writes, in
// which order, and that it all reads back (sealed passwords, pictures and
// certificate copies by file name).
#include "app/data_dirs.h"
#include "app/encoding.h"
#include "app/settings.h"
#include "app/sigstampui.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <wx/mstream.h>
#include <wx/xml/xml.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

using names = std::vector<std::string>;

names element_names(const wxXmlNode* parent) {
    names out;
    for (const wxXmlNode* n = parent ? parent->GetChildren() : nullptr; n; n = n->GetNext())
        if (n->GetType() == wxXML_ELEMENT_NODE) out.push_back(n->GetName().utf8_string());
    return out;
}

const wxXmlNode* child(const wxXmlNode* parent, const char* name) {
    for (const wxXmlNode* n = parent ? parent->GetChildren() : nullptr; n; n = n->GetNext())
        if (n->GetType() == wxXML_ELEMENT_NODE && n->GetName() == name) return n;
    return nullptr;
}

std::string text(const wxXmlNode* parent, const char* name) {
    const wxXmlNode* n = child(parent, name);
    return n ? n->GetNodeContent().utf8_string() : std::string("<missing>");
}

class SigStamps : public ::testing::Test {
protected:
    void SetUp() override {
        set_data_root(scratch_.file("home"));
        app_data_dir();
        settings_document = wxXmlDocument();
        stamp_list.clear();
        load_settings();
    }
    void TearDown() override {
        stamp_list.clear();
        settings_document = wxXmlDocument();
        set_data_root(scratch_.file("gone"));  // never the real home folder
    }
    std::wstring configs(const std::wstring& name) const { return configs_dir + name; }
    std::wstring store(const std::wstring& name) const {
        return wxString::FromUTF8(certstore_dir).ToStdWstring() + name;
    }
    // The settings file parsed on its own.
    wxXmlNode* parse_file(wxXmlDocument& doc) {
        const std::string bytes = testsupport::read_file(wxString(settings_path).utf8_string());
        wxMemoryInputStream in(bytes.data(), bytes.size());
        EXPECT_TRUE(doc.Load(in, "UTF-8"));
        return doc.GetRoot();
    }

    testsupport::scratch_dir scratch_;
};

sigstampui* add_stamp() {
    stamp_list.push_back(std::make_unique<sigstampui>());
    return stamp_list.back().get();
}

void expect_same(const sigstampui& a, const sigstampui& b) {
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.is_localsign, b.is_localsign);
    EXPECT_EQ(a.is_visible, b.is_visible);
    EXPECT_EQ(a.imgfname, b.imgfname);
    EXPECT_EQ(a.access.cert_type, b.access.cert_type);
    EXPECT_EQ(a.access.pfx.certfname, b.access.pfx.certfname);
    EXPECT_EQ(a.access.pfx.pfxfname, b.access.pfx.pfxfname);
    EXPECT_EQ(a.access.pfx.pswd, b.access.pfx.pswd);
    EXPECT_EQ(a.access.sysstore.store, b.access.sysstore.store);
    EXPECT_EQ(a.access.sysstore.location, b.access.sysstore.location);
    EXPECT_EQ(a.access.sysstore.subject, b.access.sysstore.subject);
    EXPECT_EQ(a.access.sysstore.issuer, b.access.sysstore.issuer);
    EXPECT_EQ(a.access.sysstore.sn, b.access.sysstore.sn);
    EXPECT_EQ(a.info, b.info);
    EXPECT_EQ(a.is_tsmode, b.is_tsmode);
    EXPECT_EQ(a.tsurl, b.tsurl);
    EXPECT_EQ(a.addr, b.addr);
    EXPECT_EQ(a.user, b.user);
    EXPECT_EQ(a.pswd, b.pswd);
    EXPECT_EQ(a.reason, b.reason);
    EXPECT_EQ(a.location, b.location);
    EXPECT_EQ(a.contact, b.contact);
}

}  // namespace

TEST_F(SigStamps, EveryKindOfStampSurvivesSaveAndReloadInItsElementOrder) {
    cert_info signer;
    signer.subject = L"\u5f20\u4e09";
    signer.issuer = L"Example CA";
    signer.sn = "0A1B2C";
    signer.expired = "2030-01-02 03:04:05";

    sigstampui* pfx = add_stamp();
    pfx->name = L"PFX \u7b7e\u7ae0";
    pfx->imgfname = L"/somewhere/else/seal.png";  // kept by name: read back from the configs folder
    pfx->access.cert_type = cert_type_pfx;
    pfx->access.pfx = {store(L"Example CA-0A1B2C.cer"), store(L"Example CA-0A1B2C.pfx"), "pfx p\u00e4ss"};
    pfx->info = signer;
    pfx->reason = L"Approved";
    pfx->location = L"\u5317\u4eac";
    pfx->contact = L"a@example.org";

    sigstampui* sys = add_stamp();
    sys->name = L"Store";
    sys->imgfname = configs(L"store.png");
    sys->access.cert_type = cert_type_sysstore;
    sys->access.sysstore = {"My", "user", signer.subject, signer.issuer, signer.sn};
    sys->info = signer;
    sys->reason = L"Reviewed";

    sigstampui* invisible = add_stamp();
    invisible->name = L"Invisible";
    invisible->is_visible = false;
    invisible->imgfname = configs(L"ignored.png");
    invisible->access.cert_type = cert_type_pfx;
    invisible->access.pfx = {store(L"x.cer"), store(L"x.pfx"), ""};
    invisible->info = signer;

    sigstampui* ts = add_stamp();
    ts->name = L"Time stamp";
    ts->is_localsign = false;
    ts->is_tsmode = true;
    ts->tsurl = "http://tsa.example.org/tsr";
    ts->reason = L"not kept";

    sigstampui* cloud = add_stamp();
    cloud->name = L"Cloud";
    cloud->is_localsign = false;
    cloud->addr = "https://sign.example.org";
    cloud->user = "carol";
    cloud->pswd = "cloud secret";
    cloud->contact = L"carol@example.org";

    sigstampui* cloud_open = add_stamp();
    cloud_open->name = L"Cloud without password";
    cloud_open->is_localsign = false;
    cloud_open->is_visible = false;
    cloud_open->addr = "https://sign.example.org";
    cloud_open->user = "dave";

    save_all_settings();

    // The file, parsed on its own.
    wxXmlDocument doc;
    wxXmlNode* root = parse_file(doc);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(element_names(root),
              (names{"ui-status", "recent-files", "sigstampuis", "signature", "user-info", "product-info"}));
    const wxXmlNode* section = child(root, "sigstampuis");
    ASSERT_EQ(element_names(section), names(6, "sigstampui"));
    std::vector<const wxXmlNode*> el;
    for (const wxXmlNode* n = section->GetChildren(); n; n = n->GetNext())
        if (n->GetType() == wxXML_ELEMENT_NODE) el.push_back(n);

    EXPECT_EQ(element_names(el[0]), (names{"name", "is-localsign", "is-visible", "imgfname", "cert-access",
                                           "cert-info", "reason", "location", "contact"}));
    EXPECT_EQ(text(el[0], "imgfname"), "seal.png");
    const wxXmlNode* access = child(el[0], "cert-access");
    EXPECT_EQ(element_names(access), (names{"cert-type", "cert-pfx"}));
    EXPECT_EQ(text(access, "cert-type"), "1");
    const wxXmlNode* pfx_el = child(access, "cert-pfx");
    EXPECT_EQ(element_names(pfx_el), (names{"certfname", "pfxfname", "pswd"}));
    EXPECT_EQ(text(pfx_el, "pfxfname"), "Example CA-0A1B2C.pfx");
    EXPECT_NE(text(pfx_el, "pswd"), "pfx p\u00e4ss");
    EXPECT_EQ(unseal_password(text(pfx_el, "pswd")), "pfx p\u00e4ss");
    EXPECT_EQ(element_names(child(el[0], "cert-info")), (names{"subject", "issuer", "sn", "expired"}));

    EXPECT_EQ(element_names(el[1]), (names{"name", "is-localsign", "is-visible", "imgfname", "cert-access",
                                           "cert-info", "reason", "location", "contact"}));
    EXPECT_EQ(element_names(child(el[1], "cert-access")), (names{"cert-type", "certstore"}));
    EXPECT_EQ(element_names(child(child(el[1], "cert-access"), "certstore")),
              (names{"store", "location", "subject", "issuer", "sn"}));
    EXPECT_EQ(text(child(el[1], "cert-access"), "cert-type"), "3");

    EXPECT_EQ(element_names(el[2]), (names{"name", "is-localsign", "is-visible", "cert-access", "cert-info",
                                           "reason", "location", "contact"}));
    EXPECT_EQ(element_names(child(child(el[2], "cert-access"), "cert-pfx")), (names{"certfname", "pfxfname"}));

    EXPECT_EQ(element_names(el[3]), (names{"name", "is-localsign", "is-visible", "is-tsmode", "tsurl"}));

    EXPECT_EQ(element_names(el[4]), (names{"name", "is-localsign", "is-visible", "is-tsmode", "addr", "user",
                                           "pswd", "reason", "location", "contact"}));
    EXPECT_EQ(unseal_password(text(el[4], "pswd")), "cloud secret");
    EXPECT_EQ(element_names(el[5]), (names{"name", "is-localsign", "is-visible", "is-tsmode", "addr", "user",
                                           "reason", "location", "contact"}));
    const std::string file_text = testsupport::read_file(wxString(settings_path).utf8_string());
    EXPECT_EQ(file_text.find("cloud secret"), std::string::npos);
    EXPECT_EQ(file_text.find("pfx p"), std::string::npos);

    // What the reader gives back.
    std::vector<sigstampui> expected;
    for (const auto& s : stamp_list) expected.push_back(*s);
    expected[0].imgfname = configs(L"seal.png");
    expected[2].imgfname.clear();  // an invisible stamp keeps no picture
    expected[3].reason.clear();    // a time-stamp stamp keeps no texts
    stamp_list.clear();
    load_settings();
    ASSERT_EQ(stamp_list.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        expect_same(*stamp_list[i], expected[i]);
    }

    // Saving again gives the same section.
    auto section_text = [](const std::string& t) {
        const auto begin = t.find("<sigstampuis>"), end = t.find("</sigstampuis>");
        return begin == std::string::npos || end == std::string::npos ? t : t.substr(begin, end - begin);
    };
    save_sigstampuis();
    EXPECT_EQ(section_text(testsupport::read_file(wxString(settings_path).utf8_string())), section_text(file_text));
}

TEST_F(SigStamps, ReaderPutsNamesBackInTheirFoldersAndReadsLooseTexts) {
    const std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<root>
  <ui-status/>
  <sigstampuis>
    <other/>
    <sigstampui>
      <contact>c</contact>
      <imgfname>../../outside.png</imgfname>
      <cert-access>
        <cert-type>0x3</cert-type>
        <cert-pfx><pfxfname>../../../etc/k.pfx</pfxfname><pswd>not sealed</pswd></cert-pfx>
        <certstore><store>My</store><sn>01</sn></certstore>
      </cert-access>
      <is-visible>TRUE</is-visible>
      <name>first</name>
      <name>second</name>
    </sigstampui>
    <sigstampui><cert-access><cert-type>none</cert-type></cert-access></sigstampui>
  </sigstampuis>
</root>
)";
    testsupport::write_file(wxString(settings_path).utf8_string(), xml);
    stamp_list.clear();
    load_settings();
    ASSERT_EQ(stamp_list.size(), 2u);
    const sigstampui& s = *stamp_list[0];
    EXPECT_EQ(s.name, L"second");
    EXPECT_FALSE(s.is_visible);  // only "true" exactly is true
    EXPECT_TRUE(s.is_localsign);
    EXPECT_EQ(s.imgfname, configs(L"outside.png"));
    EXPECT_EQ(s.access.cert_type, 3);
    EXPECT_EQ(s.access.pfx.pfxfname, store(L"k.pfx"));
    EXPECT_TRUE(s.access.pfx.certfname.empty());
    EXPECT_EQ(s.access.sysstore.store, "My");
    EXPECT_EQ(s.access.sysstore.sn, "01");
    EXPECT_EQ(s.contact, L"c");
    EXPECT_EQ(stamp_list[1]->access.cert_type, 0);

    // The "sigstampuis" section is rebuilt right after "recent-files", and a
    // stamp of type 0 gets neither "certstore" nor "cert-pfx".
    save_sigstampuis();
    wxXmlDocument doc;
    wxXmlNode* root = parse_file(doc);
    EXPECT_EQ(element_names(root), (names{"ui-status", "recent-files", "sigstampuis"}));
    const wxXmlNode* second = child(child(root, "sigstampuis"), "sigstampui")->GetNext();
    while (second && second->GetType() != wxXML_ELEMENT_NODE) second = second->GetNext();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(element_names(child(second, "cert-access")), (names{"cert-type"}));
}
