#pragma once
// Small string routines used across the program.
#include <QString>

#include <cstdint>

namespace orvane::fileops {

// Case is ignored for the ASCII letters A-Z only.
bool StartsWithText(const QString& prefix, const QString& text);
bool EndsWithText(const QString& suffix, const QString& text);
// The path without at most one trailing "\" or "/".
QString StripTrailingSlash(const QString& path);
QString IntToText(int32_t value);
// Keeps only the digits and "-" of the text and reads them as a signed 32-bit
// number; 0 when that is not possible.
int64_t ParseLooseInteger(const QString& text);

} // namespace orvane::fileops
