#pragma once
// What was written into a signed PDF after a signature: the incremental
// updates that follow the revision its byte ranges cover, sorted into what
// is permitted always (more signatures, document time stamps, validation
// data), form filling, annotations, and anything else (page content, page
// tree, resources, catalog, objects redefined or reached through a changed
// reference, cross-reference tables that do not fit the file), judged
// against the document's certification (DocMDP /P) and the signature
// field's /Lock (FieldMDP). The annotations and widgets of every page of the
// signed revision and of the whole document are also rendered at a low
// resolution and compared, so a change that keeps their objects but alters
// what they draw is seen too.
//
// The verification asks for this record and sets the verdict from it; the
// views only read it.
#include <cstdint>
#include <string>

#include "document/pdf_layer.h"

struct revision_changes {
    int later_revisions = 0;          // updates written after the signed revision (0: it is the whole file)
    int signatures_added = 0;         // fields signed after it (document time stamps included)
    int timestamps_added = 0;         // of which document time stamps
    int empty_fields_added = 0;       // signature fields without a value, awaiting a signature
    bool validation_data = false;     // /DSS (and /VRI) added or changed
    bool form_filled = false;         // values of existing form fields (and their appearances)
    bool annotations_changed = false; // annotations other than signature widgets added, changed or removed
    bool other_changes = false;       // anything else, xref trickery and visible differences included
    bool locked_field_changed = false;  // a field the signature's /Lock names was changed
    bool pages_compared = false;      // the render comparison ran
    bool pages_differ = false;        // a page (its count, annotations or widgets) draws differently
    bool permitted = true;            // every later change is allowed after this signature
    std::string first_refused;        // what made it not permitted first (diagnostics)
};

// The changes after the signature in field `field_index` (the order of the
// form's field list) whose signed ranges end at `signed_end`. `certification`
// is the document's DocMDP /P (1..3, 0 when not certified); `locked_all` is
// 1 when the signature's /Lock permits no change at all. Nothing after the
// signed revision: a record with later_revisions 0 and nothing else, at no
// cost. Never throws; what cannot be read counts as "anything else".
revision_changes changes_after_signing(FPDF_DOCUMENT doc, int field_index, int64_t signed_end, int certification,
                                       int locked_all);
