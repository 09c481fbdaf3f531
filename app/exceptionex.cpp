#include "app/exceptionex.h"

#include "app/diagnostics.h"
#include "app/text_utils.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <stdexcept>

const char* const kSucceedText = "Succeed";
const char* const kFailedText = "Failed";
const char* const kUndefinedText = "Undefined";

exceptionex::exceptionex(const char* text) : message_(text ? text : "") {}
exceptionex::exceptionex(const std::string& text) : message_(text) {}
// UTF-8 whatever the C locale is, so a message naming a file in any script is kept whole.
exceptionex::exceptionex(const wchar_t* text) : message_(wide_to_utf8(text ? text : L"")) {}
exceptionex::exceptionex(const std::wstring& text) : message_(wide_to_utf8(text)) {}
exceptionex::exceptionex(const exceptionex& other) : std::exception(other), message_(other.message_) {}
exceptionex& exceptionex::operator=(const exceptionex& other) {
    message_ = other.message_;
    return *this;
}
exceptionex::~exceptionex() = default;
const char* exceptionex::what() const noexcept { return message_.c_str(); }

void throw_ex_fmt(const char* format, ...) {
    char buffer[1024] = {0};
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    throw exceptionex(buffer);
}

void throw_ex_wfmt(const wchar_t* format, ...) {
    wchar_t buffer[1024] = {0};
    va_list args;
    va_start(args, format);
    std::vswprintf(buffer, 1024, format, args);
    va_end(args);
    buffer[1023] = L'\0';
    throw exceptionex(buffer);
}

void throw_succeed() { throw_ex_fmt("%s", kSucceedText); }
void throw_failed() { throw_ex_fmt("%s", kFailedText); }
void throw_if_null(const void* pointer) {
    if (!pointer) throw_ex_fmt("%s", kUndefinedText);
}
void throw_if_false(bool value) {
    if (!value) throw_ex_fmt("%s", kUndefinedText);
}

bool is_success_exception(const std::exception& ex) { return std::string(ex.what()) == kSucceedText; }
bool is_failure_exception(const std::exception& ex) { return !is_success_exception(ex); }

void check_result(const std::exception& ex) {
    if (is_success_exception(ex)) return;
    throw std::runtime_error(ex.what());
}

void log_exception(const std::exception& ex) {
    diag_error("", ex.what());
}
