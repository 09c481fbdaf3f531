// The steps of FPDFPage_CreateSignatureField, each usable on its own.
// Every step returns true on success and never throws.
#pragma once

#include "document/pdf_layer_mupdf.h"

// n0: the blank layer.
bool GenerateBlankLayer(pdf_document* doc, pdf_obj* stream);
// n2: the picture layer, with a new image XObject made from the BGRA pixels.
bool GenerateImageLayer(pdf_document* doc, pdf_obj* stream, const FS_RECTF* rect,
                        const unsigned char* pixels, int width, int height);
// FRM: the layered form over n0 and n2.
bool GenerateLayeredForm(pdf_document* doc, pdf_obj* stream, const FS_RECTF* rect, pdf_obj* n0,
                         pdf_obj* n2);
// The widget's normal appearance over FRM.
bool GenerateAppearanceStream(pdf_document* doc, pdf_obj* stream, const FS_RECTF* rect, pdf_obj* frm);
// The signature dictionary (and the catalog's /Perms when certifying).
bool FillSignatureDictionary(pdf_document* doc, pdf_obj* sig, const char* reason, const char* location,
                             const char* contact, const char* signing_time, int permission,
                             int timestamp_only, int contents_size);
// The field dictionary, which is also the widget annotation.
bool FillSignatureFieldDictionary(pdf_document* doc, pdf_obj* page, pdf_obj* field, const char* field_name,
                                  bool visible, const FS_RECTF* rect, int lock, pdf_obj* sig,
                                  pdf_obj* appearance, pdf_obj* frm);
// /AcroForm /Fields and /SigFlags.
bool AddFieldToAcroForm(pdf_document* doc, pdf_obj* field);

// The smallest /Contents size MuPDF writes as a hex string (it writes short,
// mostly printable strings as literals, where the marker could not be found).
constexpr int kMinSignatureContentsSize = 29;
