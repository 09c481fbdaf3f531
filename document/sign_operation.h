#pragma once
// The sign operation: turns the signing panel's task and the stamp into
// signing parameters and has the open document sign with them.
#include <string>

#include "document/sign_params.h"

struct x509ui;

// Where the user placed the stamp, in PDF page space (y0 bottom, y1 top), on
// the task's page. The page view fills it once it exists; until then the
// caller gives the rectangle in page space.
struct stamp_placement {
    bool placed = false;
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// Builds the parameters from the task, the stamp and the placement, and signs
// through the current document. Ends with "Succeed" or the failure text
// (result convention).
void build_sign_params(sign_task& task, const stamp_placement& placement);

// Chooses the current document's sign operation by the stamp's kind, reports
// the outcome and passes it on (result convention).
void sign_through_document(const sign_task& task, const sign_params& params);

// The stamp picture turned for a page rotated by `rotation` degrees: the path
// itself for multiples of 360, else a new temporary PNG.
// Throws "%s(), save rotated tmp file faild" when it cannot be made.
std::wstring rotate_stamp_picture(const std::wstring& picture, int rotation);

// The report of every signing outcome to the maker's server. The service
// client installs it; by default nothing is reported. It must not throw.
using signing_outcome_reporter = void (*)(const sign_task& task, const x509ui* signer, bool success,
                                          const std::string& failure);
extern signing_outcome_reporter report_signing_outcome;
