// The listing in the form the certificate-store page and the select-certificate
// dialog keep: one signing-certificate store entry per usable certificate.
#include "crypto/system_store.h"

#include "crypto/certstore.h"

void enum_store_certificates(const char* store, const char* eku, bool chain_check,
                             std::vector<certstore_sumfile_entry>& out) {
    out.clear();
    for (usable_store_cert& usable : list_usable_store_certificates(store, eku, chain_check)) {
        certstore_sumfile_entry entry;
        entry.access.cert_type = cert_type_sysstore;
        entry.access.sysstore.store = store;
        entry.access.sysstore.location = "user";
        entry.access.sysstore.subject = usable.info.subject;
        entry.access.sysstore.issuer = usable.info.issuer;
        entry.access.sysstore.sn = usable.info.sn;
        entry.info = std::move(usable.info);
        out.push_back(std::move(entry));
    }
}
