// The table that turns known English error texts of signing and of the
// trust-list rebuild into the text shown to the user.
#include "app/exceptionex.h"

#include <cerrno>

#include <wx/intl.h>
#include <wx/string.h>

namespace {

// A display text in the user-interface language: looked up in the
// translation catalogue, unchanged when it has no translation.
wxString display_text(const char* english) {
    return wxGetTranslation(wxString::FromUTF8(english));
}

bool contains(const std::string& text, const char* pattern) { return text.find(pattern) != std::string::npos; }

enum class match { equals, contains };

struct error_row {
    match how;
    const char* english;
    const char* display;
};

// Tried in order; the first row that matches gives the display text.
// Row "unable to open file" is handled apart: its display text is three pieces.
const error_row kRowsBeforeOpen[] = {
    {match::equals, "File not exist", "File not exist"},
    {match::contains, "Failed to add timestamp", "Failed to add timestamp, try again, or check URL"},
    {match::contains, "Failed to create a pkcs7 signature", "Failed to create a pkcs7 signature"},
    {match::contains, "Failed to access system certificate", "Failed to access system certificate"},
    {match::contains, "Failed to access pfx certificate", "Failed to access pfx certificate"},
    {match::equals, "signature field name exist", "signature field name exist"},
    // A file that cannot be written says why (write_failure_cause): before
    // the other rows, which a file name in the text could match.
    {match::contains, "no space left on the disk", "No space left on the disk, free some space or choose another folder"},
    {match::contains, "the folder is not writable", "The folder cannot be written, choose another folder"},
};

const error_row kRowsAfterOpen[] = {
    {match::contains, "ltv", "Failed to add LTV for signature"},
    {match::contains, "dstpath is inaccessible", "Save path is opened, close it first"},
    {match::contains, "Failed to load image", "The image of the stamp is invalid, please change it"},
    {match::equals, "get sign cert failed", "get sign cert failed"},
};

const char* find_row(const std::string& english, const error_row* begin, const error_row* end) {
    for (const error_row* row = begin; row != end; ++row) {
        bool hit = row->how == match::equals ? english == row->english : contains(english, row->english);
        if (hit) return row->display;
    }
    return nullptr;
}

}  // namespace

std::wstring translate_error_message(const std::string& english) {
    if (const char* d = find_row(english, std::begin(kRowsBeforeOpen), std::end(kRowsBeforeOpen)))
        return display_text(d).ToStdWstring();
    if (english == "unable to open file" || contains(english, "cannot tell in file")) {
        wxString joined = display_text("unable to open file");
        joined += display_text(". ");
        joined += display_text("File type is unsupported, or file is damaged");
        return joined.ToStdWstring();
    }
    if (const char* d = find_row(english, std::begin(kRowsAfterOpen), std::end(kRowsAfterOpen)))
        return display_text(d).ToStdWstring();
    return display_text("Unknown error occured").ToStdWstring();
}

const char* write_failure_cause(int error_number) {
    switch (error_number) {
        case ENOSPC:
        case EDQUOT:
            return "no space left on the disk";
        case EACCES:
        case EPERM:
        case EROFS:
            return "the folder is not writable";
        default:
            return nullptr;
    }
}
