#include "app/sigstampui.h"

#include "app/data_dirs.h"
#include "app/encoding.h"
#include "app/settings.h"
#include "app/text_utils.h"

#include <wx/xml/xml.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

std::vector<std::unique_ptr<sigstampui>> stamp_list;

namespace {

// Narrow fields are UTF-8 in the file as everywhere else.
std::string narrow(const wxString& text) { return text.utf8_string(); }
wxString from_narrow(const std::string& text) { return wxString::FromUTF8(text); }
wxString bool_text(bool value) { return value ? "true" : "false"; }

bool is_element(const wxXmlNode* node) { return node && node->GetType() == wxXML_ELEMENT_NODE; }

// The element's text (its first text child).
wxString text_of(const wxXmlNode* element) { return element->GetNodeContent(); }

std::wstring wide_text(const wxXmlNode* element) { return text_of(element).ToStdWstring(); }

// A stored file name joined to its folder. Only the name part counts, so an
// edited file cannot point elsewhere; an empty name stays empty.
std::wstring path_in(const std::wstring& folder, const wxXmlNode* element) {
    const std::wstring name = file_name_of(wide_text(element));
    return name.empty() ? std::wstring() : folder + name;
}

std::wstring certstore_folder() {
    std::string folder = certstore_dir;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return wxString::FromUTF8(folder).ToStdWstring();
}

// The leading integer with its base taken from the text ("0x" hex, leading
// "0" octal, else decimal); 0 when the text does not begin with a number.
int parse_cert_type(const wxString& text) {
    const std::string s = narrow(text);
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(s.c_str(), &end, 0);
    if (end == s.c_str()) return 0;
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

void add(wxXmlNode* parent, const char* name, const wxString& text) {
    xml_new_element(name, text, parent, nullptr);
}

void write_stamp(wxXmlNode* element, const sigstampui& s) {
    add(element, "name", wxString(s.name));
    add(element, "is-localsign", bool_text(s.is_localsign));
    add(element, "is-visible", bool_text(s.is_visible));
    if (s.is_localsign) {
        if (s.is_visible) add(element, "imgfname", wxString(file_name_of(s.imgfname)));
        wxXmlNode* access = xml_new_element("cert-access", wxString(), element, nullptr);
        add(access, "cert-type", wxString::Format("%d", s.access.cert_type));
        if (s.access.cert_type == cert_type_sysstore) {
            wxXmlNode* store = xml_new_element("certstore", wxString(), access, nullptr);
            add(store, "store", from_narrow(s.access.sysstore.store));
            add(store, "location", from_narrow(s.access.sysstore.location));
            add(store, "subject", wxString(s.access.sysstore.subject));
            add(store, "issuer", wxString(s.access.sysstore.issuer));
            add(store, "sn", from_narrow(s.access.sysstore.sn));
        } else if (s.access.cert_type == cert_type_pfx) {
            wxXmlNode* pfx = xml_new_element("cert-pfx", wxString(), access, nullptr);
            add(pfx, "certfname", wxString(file_name_of(s.access.pfx.certfname)));
            add(pfx, "pfxfname", wxString(file_name_of(s.access.pfx.pfxfname)));
            if (!s.access.pfx.pswd.empty()) add(pfx, "pswd", from_narrow(seal_password(s.access.pfx.pswd)));
        }
        wxXmlNode* info = xml_new_element("cert-info", wxString(), element, nullptr);
        add(info, "subject", wxString(s.info.subject));
        add(info, "issuer", wxString(s.info.issuer));
        add(info, "sn", from_narrow(s.info.sn));
        add(info, "expired", from_narrow(s.info.expired));
    } else {
        add(element, "is-tsmode", bool_text(s.is_tsmode));
        if (s.is_tsmode) {
            add(element, "tsurl", from_narrow(s.tsurl));
        } else {
            add(element, "addr", from_narrow(s.addr));
            add(element, "user", from_narrow(s.user));
            if (!s.pswd.empty()) add(element, "pswd", from_narrow(seal_password(s.pswd)));
        }
    }
    if (!s.is_tsmode) {
        add(element, "reason", wxString(s.reason));
        add(element, "location", wxString(s.location));
        add(element, "contact", wxString(s.contact));
    }
}

}  // namespace

void read_cert_access_xml(wxXmlNode* element, sigstampui& stamp) {
    if (!element) return;
    cert_access& access = stamp.access;
    for (wxXmlNode* child = element->GetChildren(); child; child = child->GetNext()) {
        if (!is_element(child)) continue;
        const wxString name = child->GetName();
        if (name == "cert-type") {
            access.cert_type = parse_cert_type(text_of(child));
        } else if (name == "certstore") {
            for (wxXmlNode* f = child->GetChildren(); f; f = f->GetNext()) {
                if (!is_element(f)) continue;
                const wxString field = f->GetName();
                if (field == "store") access.sysstore.store = narrow(text_of(f));
                else if (field == "location") access.sysstore.location = narrow(text_of(f));
                else if (field == "subject") access.sysstore.subject = wide_text(f);
                else if (field == "issuer") access.sysstore.issuer = wide_text(f);
                else if (field == "sn") access.sysstore.sn = narrow(text_of(f));
            }
        } else if (name == "cert-pfx") {
            for (wxXmlNode* f = child->GetChildren(); f; f = f->GetNext()) {
                if (!is_element(f)) continue;
                const wxString field = f->GetName();
                if (field == "certfname") access.pfx.certfname = path_in(certstore_folder(), f);
                else if (field == "pfxfname") access.pfx.pfxfname = path_in(certstore_folder(), f);
                else if (field == "pswd") access.pfx.pswd = unseal_password(narrow(text_of(f)));
            }
        }
    }
}

void read_cert_info_xml(wxXmlNode* element, sigstampui& stamp) {
    if (!element) return;
    for (wxXmlNode* f = element->GetChildren(); f; f = f->GetNext()) {
        if (!is_element(f)) continue;
        const wxString field = f->GetName();
        if (field == "subject") stamp.info.subject = wide_text(f);
        else if (field == "issuer") stamp.info.issuer = wide_text(f);
        else if (field == "sn") stamp.info.sn = narrow(text_of(f));
        else if (field == "expired") stamp.info.expired = narrow(text_of(f));
    }
}

void read_sigstampuis_section(wxXmlNode* section) {
    if (!section) return;
    for (wxXmlNode* element = section->GetChildren(); element; element = element->GetNext()) {
        if (!is_element(element) || element->GetName() != "sigstampui") continue;
        auto stamp = std::make_unique<sigstampui>();
        for (wxXmlNode* child = element->GetChildren(); child; child = child->GetNext()) {
            if (!is_element(child)) continue;
            const wxString name = child->GetName();
            if (name == "name") stamp->name = wide_text(child);
            else if (name == "reason") stamp->reason = wide_text(child);
            else if (name == "location") stamp->location = wide_text(child);
            else if (name == "contact") stamp->contact = wide_text(child);
            else if (name == "is-localsign") stamp->is_localsign = text_of(child) == "true";
            else if (name == "is-visible") stamp->is_visible = text_of(child) == "true";
            else if (name == "is-tsmode") stamp->is_tsmode = text_of(child) == "true";
            else if (name == "imgfname") stamp->imgfname = path_in(configs_dir, child);
            else if (name == "cert-access") read_cert_access_xml(child, *stamp);
            else if (name == "cert-info") read_cert_info_xml(child, *stamp);
            else if (name == "tsurl") stamp->tsurl = narrow(text_of(child));
            else if (name == "addr") stamp->addr = narrow(text_of(child));
            else if (name == "user") stamp->user = narrow(text_of(child));
            else if (name == "pswd") stamp->pswd = unseal_password(narrow(text_of(child)));
        }
        stamp_list.push_back(std::move(stamp));
    }
}

void save_sigstampuis() {
    wxMutexLocker lock(settings_lock);
    wxXmlNode* root = settings_document.GetRoot();
    if (!root || root->GetName() != "root") return;
    wxXmlNode* old = xml_child(root, "sigstampuis");
    root->RemoveChild(old);
    delete old;
    wxXmlNode* section = xml_new_element("sigstampuis", wxString(), root, xml_child(root, "recent-files"));
    for (const auto& stamp : stamp_list) {
        if (!stamp) continue;
        write_stamp(xml_new_element("sigstampui", wxString(), section, nullptr), *stamp);
    }
    save_settings_file();
}
