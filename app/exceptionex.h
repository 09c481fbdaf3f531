#pragma once
// The result convention: every larger operation ends by throwing `exceptionex`.
// The text "Succeed" means success; any other text is an English error message.
#include <exception>
#include <string>

class exceptionex : public std::exception {
public:
    explicit exceptionex(const char* text);
    explicit exceptionex(const std::string& text);
    explicit exceptionex(const wchar_t* text);
    explicit exceptionex(const std::wstring& text);
    exceptionex(const exceptionex& other);
    exceptionex& operator=(const exceptionex& other);
    ~exceptionex() override;
    const char* what() const noexcept override;

private:
    std::string message_;
};

// Fixed texts.
extern const char* const kSucceedText;    // "Succeed"
extern const char* const kFailedText;     // "Failed"
extern const char* const kUndefinedText;  // "Undefined"

// Throwing. Messages are cut at 1023 characters.
[[noreturn]] void throw_ex_fmt(const char* format, ...) __attribute__((format(printf, 1, 2)));
[[noreturn]] void throw_ex_wfmt(const wchar_t* format, ...);
[[noreturn]] void throw_succeed();
[[noreturn]] void throw_failed();
void throw_if_null(const void* pointer);
void throw_if_false(bool value);

// Tests used in catch blocks.
bool is_failure_exception(const std::exception& ex);
bool is_success_exception(const std::exception& ex);
// Returns on "Succeed"; otherwise rethrows the text as a plain standard exception.
void check_result(const std::exception& ex);

// Prints the failure form "\n\n[ERROR] %s(), ex.what(): %s [ERROR]\n".
void log_exception(const std::exception& ex);

// Known English error texts of signing and the trust-list rebuild, turned into
// the display text of the user-interface language.
std::wstring translate_error_message(const std::string& english);

// Why a file could not be written, for an errno value, as the fragment an
// error text carries so that translate_error_message can name the cause:
// "no space left on the disk", "the folder is not writable", or null for any
// other cause.
const char* write_failure_cause(int error_number);
