// The PDF layer: the small PDFium-style interface the document code uses,
// written on MuPDF. Handles in, plain integers out; nothing here throws.
//
// Threads: every thread gets its own MuPDF context (cloned from one base
// context with real locks), so the functions may be called from any thread.
// Every function holds `pdf_library_lock` while it runs: MuPDF 1.21 shares
// one resource store between contexts, and its key comparisons read other
// documents' objects, which crashed when two threads worked at once (a page
// paint and a verification, or two loads). One document (and its pages,
// signatures and annotations) must still never be used by two threads at the
// same time; callers that make several calls in a row may hold the lock too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

// The process-wide lock around all work inside the PDF library.
std::recursive_mutex& pdf_library_lock();

struct fpdf_document_t__;
struct fpdf_page_t__;
struct fpdf_signature_t__;
struct fpdf_annotation_t__;
struct fpdf_bitmap_t__;
struct fpdf_form_handle_t__;

typedef fpdf_document_t__* FPDF_DOCUMENT;
typedef fpdf_page_t__* FPDF_PAGE;
typedef fpdf_signature_t__* FPDF_SIGNATURE;      // a signature field (field dictionary = widget)
typedef fpdf_annotation_t__* FPDF_ANNOTATION;
typedef fpdf_bitmap_t__* FPDF_BITMAP;
typedef fpdf_form_handle_t__* FPDF_FORMHANDLE;

typedef int FPDF_BOOL;
typedef unsigned long FPDF_DWORD;

// Rectangle in PDF user units: left, top, right, bottom.
struct FS_RECTF {
    float left;
    float top;
    float right;
    float bottom;
};

// ---- library ----------------------------------------------------------------

struct FPDF_LIBRARY_CONFIG {
    int version;
    const char** m_pUserFontPaths;  // kept for callers; MuPDF uses its own fonts
    void* m_pIsolate;
    unsigned int m_v8EmbedderSlot;
};

void FPDF_InitLibrary();
void FPDF_InitLibraryWithConfig(const FPDF_LIBRARY_CONFIG* config);
void FPDF_DestroyLibrary();

// Last error of the calling thread.
enum : unsigned long {
    FPDF_ERR_SUCCESS = 0,
    FPDF_ERR_UNKNOWN = 1,
    FPDF_ERR_FILE = 2,
    FPDF_ERR_FORMAT = 3,
    FPDF_ERR_PASSWORD = 4,
    FPDF_ERR_SECURITY = 5,
    FPDF_ERR_PAGE = 6,
};
unsigned long FPDF_GetLastError();
// A readable explanation of the calling thread's last failure ("" when none).
const char* FPDF_GetLastErrorText();

// ---- documents --------------------------------------------------------------

// path: UTF-8. password: may be null (empty).
FPDF_DOCUMENT FPDF_LoadDocument(const char* path, const char* password);
// The bytes are copied; the caller may free them after the call.
FPDF_DOCUMENT FPDF_LoadMemDocument64(const void* data, size_t size, const char* password);
// Like FPDF_LoadMemDocument64, but the document reads the caller's bytes
// without copying them: they must stay unchanged and in place until the
// document is closed.
FPDF_DOCUMENT FPDF_LoadSharedMemDocument(const void* data, size_t size, const char* password);
FPDF_DOCUMENT FPDF_LoadMemDocument(const void* data, int size, const char* password);
void FPDF_CloseDocument(FPDF_DOCUMENT doc);
int FPDF_GetPageCount(FPDF_DOCUMENT doc);

// Saving. WriteBlock receives the whole output (for an incremental save: the
// source bytes followed by the update) in one or more blocks; it returns
// non-zero on success.
struct FPDF_FILEWRITE {
    int version;
    int (*WriteBlock)(FPDF_FILEWRITE* self, const void* data, unsigned long size);
};
enum : FPDF_DWORD {
    FPDF_INCREMENTAL = 1,
    FPDF_NO_INCREMENTAL = 2,
    FPDF_REMOVE_SECURITY = 3,
};
FPDF_BOOL FPDF_SaveAsCopy(FPDF_DOCUMENT doc, FPDF_FILEWRITE* file_write, FPDF_DWORD flags);

// ---- pages ------------------------------------------------------------------

FPDF_PAGE FPDF_LoadPage(FPDF_DOCUMENT doc, int page_index);
void FPDF_ClosePage(FPDF_PAGE page);
// Size in points of the page as displayed (crop box, page rotation applied).
float FPDF_GetPageWidthF(FPDF_PAGE page);
float FPDF_GetPageHeightF(FPDF_PAGE page);
double FPDF_GetPageWidth(FPDF_PAGE page);
double FPDF_GetPageHeight(FPDF_PAGE page);
// The page's (inherited) /Rotate as 0..3 quarter turns clockwise; -1 on error.
int FPDFPage_GetRotation(FPDF_PAGE page);
FPDF_BOOL FPDFPage_HasTransparency(FPDF_PAGE page);

// ---- bitmaps and rendering --------------------------------------------------

// Bitmaps are 4 bytes per pixel in B, G, R, A order, top row first. A bitmap
// made without alpha is opaque: its alpha bytes are always 255.
FPDF_BITMAP FPDFBitmap_Create(int width, int height, int alpha);
void FPDFBitmap_Destroy(FPDF_BITMAP bitmap);
void* FPDFBitmap_GetBuffer(FPDF_BITMAP bitmap);
int FPDFBitmap_GetWidth(FPDF_BITMAP bitmap);
int FPDFBitmap_GetHeight(FPDF_BITMAP bitmap);
int FPDFBitmap_GetStride(FPDF_BITMAP bitmap);
// color is 0xAARRGGBB. Returns false for a null bitmap.
FPDF_BOOL FPDFBitmap_FillRect(FPDF_BITMAP bitmap, int left, int top, int width, int height,
                              FPDF_DWORD color);

enum : int {
    FPDF_ANNOT = 0x01,  // draw annotations and form fields
};
// Draws the page scaled into (start_x, start_y, size_x, size_y) of the
// bitmap, turned by rotate quarter turns clockwise, over what the bitmap
// already holds.
void FPDF_RenderPageBitmap(FPDF_BITMAP bitmap, FPDF_PAGE page, int start_x, int start_y,
                           int size_x, int size_y, int rotate, int flags);

// Form-fill environment. Form fields are drawn by FPDF_RenderPageBitmap with
// FPDF_ANNOT, so FPDF_FFLDraw has nothing left to draw.
struct FPDF_FORMFILLINFO {
    int version;
};
FPDF_FORMHANDLE FPDFDOC_InitFormFillEnvironment(FPDF_DOCUMENT doc, FPDF_FORMFILLINFO* info);
void FPDFDOC_ExitFormFillEnvironment(FPDF_FORMHANDLE form);
void FPDF_FFLDraw(FPDF_FORMHANDLE form, FPDF_BITMAP bitmap, FPDF_PAGE page, int start_x,
                  int start_y, int size_x, int size_y, int rotate, int flags);

// ---- signatures (reading) ---------------------------------------------------

// Number of signature fields, -1 on error.
int FPDF_GetSignatureCount(FPDF_DOCUMENT doc);
// The index-th signature field, in the order of the form's field list.
// The handle belongs to the document.
FPDF_SIGNATURE FPDF_GetSignatureObject(FPDF_DOCUMENT doc, int index);

// 1 when the field carries a signature dictionary (/V), 0 for an empty
// field that nobody has signed.
int FPDFSignatureObj_HasValue(FPDF_SIGNATURE signature);
// Raw bytes of /V /Contents; returns their count.
unsigned long FPDFSignatureObj_GetContents(FPDF_SIGNATURE signature, void* buffer,
                                           unsigned long length);
// /V /ByteRange as integers; returns their count. An array holding anything
// but integers from 0 to INT32_MAX reads as absent (0).
int FPDFSignatureObj_GetByteRange(FPDF_SIGNATURE signature, int* buffer, unsigned long length);
// /V /ByteRange exactly as stored, as 64-bit integers (negative and huge
// values included, for the caller to judge); returns the count, 0 when
// absent, -1 when it is not an array of integers.
int FPDFSignatureObj_GetByteRange64(FPDF_SIGNATURE signature, int64_t* buffer, unsigned long length);
// Where the /Contents value of the field's own signature dictionary is
// written in the file the document was read from: *start at its first byte,
// *end just after its last, inside the object that holds the dictionary (the
// dictionary's own object when /V is a reference, else the field's object).
// Returns 1 when found; 0 when the dictionary has no such place (no /V, a
// /Contents that is not one string, an object inside an object stream, or an
// object whose text cannot be followed).
int FPDFSignatureObj_GetContentsPlace(FPDF_SIGNATURE signature, int64_t* start, int64_t* end);
// Byte texts with a NUL; the needed length is returned, the buffer filled
// only when it is large enough.
unsigned long FPDFSignatureObj_GetSubFilter(FPDF_SIGNATURE signature, char* buffer,
                                            unsigned long length);
unsigned long FPDFSignatureObj_GetFilter(FPDF_SIGNATURE signature, char* buffer,
                                         unsigned long length);
unsigned long FPDFSignatureObj_GetTime(FPDF_SIGNATURE signature, char* buffer,
                                       unsigned long length);
// UTF-16LE texts with a two-byte terminator; the needed length in bytes.
unsigned long FPDFSignatureObj_GetReason(FPDF_SIGNATURE signature, void* buffer,
                                         unsigned long length);
unsigned long FPDFSignatureObj_GetFieldName(FPDF_SIGNATURE signature, void* buffer,
                                            unsigned long length);
unsigned long FPDFSignatureObj_GetLocation(FPDF_SIGNATURE signature, void* buffer,
                                           unsigned long length);
unsigned long FPDFSignatureObj_GetContactInfo(FPDF_SIGNATURE signature, void* buffer,
                                              unsigned long length);
// DocMDP permission 1..3 of the signature's /Reference, 0 when none.
unsigned int FPDFSignatureObj_GetDocMDPPermission(FPDF_SIGNATURE signature);

// Zero-based page that holds the widget, -1 when none.
int FPDFSignatureObj_GetPageIndex(FPDF_DOCUMENT doc, FPDF_SIGNATURE signature);
// /Rotate (inherited) of the page that holds the widget, in degrees; 0 when none.
int FPDFSignatureObj_GetPageRotation(FPDF_SIGNATURE signature);
// The widget's /Rect in the page's crop-box space.
void FPDFSignatureObj_GetRect(FPDF_SIGNATURE signature, FS_RECTF* rect);
int FPDFSignatureObj_IsLocked(FPDF_SIGNATURE signature);
int FPDFSignatureObj_GetCertCount(FPDF_SIGNATURE signature);
// A malloc-allocated copy (free with free()) of the index-th certificate of /V /Cert.
unsigned long FPDFSignatureObj_GetCert(FPDF_SIGNATURE signature, int index,
                                       unsigned char** out);

// /DSS /VRI /<key> /OCSP of the catalog.
int FPDF_GetVRIOCSPCount(FPDF_DOCUMENT doc, const char* vri_key);
// Copies the decoded index-th OCSP response; 0 when absent, empty, or longer
// than the buffer.
unsigned long FPDF_GetVRIOCSP(FPDF_DOCUMENT doc, const char* vri_key, int index, void* buffer,
                              unsigned long length);
// The decoded length of the index-th OCSP response (0 when absent or not a
// stream), so the caller can size its buffer from the data.
unsigned long FPDF_GetVRIOCSPLength(FPDF_DOCUMENT doc, const char* vri_key, int index);

// ---- signatures (creating) --------------------------------------------------

// Adds an unsigned signature field to the page; see pdf_signature_create.cpp.
// pixels: BGRA, rows of width*4 bytes, top row first; null for an invisible
// field. Returns a handle to close with FPDFPage_CloseAnnot, or null.
FPDF_ANNOTATION FPDFPage_CreateSignatureField(FPDF_PAGE page, const char* field_name,
                                              const char* reason, const char* location,
                                              const char* contact, const char* signing_time,
                                              const FS_RECTF* rect, const unsigned char* pixels,
                                              int width, int height, int certify, int lock,
                                              int permission, int timestamp_only,
                                              int contents_size);
void FPDFPage_CloseAnnot(FPDF_ANNOTATION annot);

// The 19 bytes that open the placeholder /Contents of a new field.
extern const char kSignatureContentsMarker[];  // "VelkorantContentPos"
