#pragma once
// What the certificate and signature dialogs share: placing a dialog beside
// the window that opened it, the window icon, the usage-report hooks, the
// event receivers, and the list of modeless dialogs that read the open
// document's results.
#include <functional>
#include <string>

#include <wx/bmpbndl.h>
#include <wx/colour.h>
#include <wx/gdicmn.h>
#include <wx/string.h>

class wxDialog;
class wxWindow;
struct x509ui;

// Places `dialog` beside the opener's screen rectangle: vertically centred on
// it, overlapping its right edge by 15 px per whole hundred of the screen
// scale, else its left edge when the right side does not fit on the display,
// else left where it is. Returns false when it stayed.
bool place_beside_opener(wxDialog* dialog, const wxRect& opener, int display_width);
// The same on the work area of the dialog's display and screen_scale_percent;
// the dialog is then moved inside that area.
void place_beside_opener(wxDialog* dialog, const wxRect* opener);

// GTK's fonts are larger than the forms were drawn for: a dialog whose
// contents need more room than its size grows to what they need (never
// beyond the display's work area, where what does not fit scrolls), so no
// control is squeezed or clipped.
void grow_to_fit(wxDialog* dialog);

// A picture in its normal and doubled forms: the toolkit draws the doubled
// one where a logical pixel is two device pixels.
wxBitmapBundle picture_pair(const wxBitmap& normal, const wxBitmap& doubled);

// The program icon as every dialog's window icon.
void set_program_icon(wxDialog* dialog);

// The file a file dialog was answered with. GTK gives no full path for a
// save dialog that was answered without being shown (a test hook); its
// folder and file name are there all the same.
class wxFileDialog;
wxString chosen_path(const wxFileDialog& dialog);

// "Velkorant - <title>" (translated parts).
wxString dialog_title(const wxString& own_title);

// Fixed colours the dialogs use.
inline const wxColour dialog_success_colour(13, 147, 45);
inline const wxColour dialog_warning_colour(255, 128, 61);

// Usage reports of the dialogs. They start as no-ops; the program installs
// the service client's builders at start-up.
struct dialog_report_hooks {
    // made: the certificate and its PFX file were created; stored: it was then
    // put into a store. subject is "/CN=<name>"; algorithm "sha256WithRSA" or
    // "sm3WithSM2".
    void (*create_cert)(bool made, bool stored, const std::wstring& subject, const std::string& algorithm,
                        const std::string& error) = nullptr;
    // An imported PFX certificate (the record gives subject, issuer, algorithm).
    void (*import_pfx)(bool stored, const x509ui& cert, const std::string& error) = nullptr;
    // A certificate the user added to the trust list.
    void (*add_trust)(const x509ui& cert) = nullptr;
};
dialog_report_hooks& dialog_reports();

// Modeless dialogs that read the open document's results register here and
// unregister in their destructor. close_document_dialogs (the document is
// about to be deleted) first lets each drop its pointers into the document
// (`forget`), then hides and destroys it. A dialog whose modal child is
// running is not destroyed under it: the child is ended, and the dialog
// destroyed once the child's show_modal_from call has returned.
void register_document_dialog(wxDialog* dialog, std::function<void()> forget);
void unregister_document_dialog(wxDialog* dialog);
void close_document_dialogs();
size_t document_dialog_count();

// Runs `dialog` modally for `opener` (a window inside a dialog that may be
// closed with the document while `dialog` runs); returns its return code.
int show_modal_from(wxWindow* opener, wxDialog& dialog);

// Receivers of the dialogs' thread events (null while the window does not exist).
wxWindow* main_window_receiver();
wxWindow* trust_page_receiver();
wxWindow* certstore_page_receiver();
