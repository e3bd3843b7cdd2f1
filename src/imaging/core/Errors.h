#pragma once
// Error types of the picture loader and its readers. Every failure is an
// exception carrying the text the user sees.
#include <cstdarg>
#include <stdexcept>
#include <string>

namespace orvane::imaging {

// The picture loader's invalid-picture error; every reader raises it.
class EInvalidGraphic : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A stream could not deliver the bytes asked for.
class EReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file could not be opened.
class EFOpenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// printf-style formatting into a std::string.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatTextV(const char* format, va_list args);

[[noreturn]] void GraphicError(const std::string& message);
[[noreturn]] void GraphicErrorFmt(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace orvane::imaging
