#include "imaging/core/Errors.h"

#include <cstdio>
#include <vector>

namespace orvane::imaging {

std::string FormatTextV(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed <= 0)
        return {};
    std::string text(static_cast<size_t>(needed), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, args);
    return text;
}

std::string FormatText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = FormatTextV(format, args);
    va_end(args);
    return text;
}

void GraphicError(const std::string& message)
{
    throw EInvalidGraphic(message);
}

void GraphicErrorFmt(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = FormatTextV(format, args);
    va_end(args);
    throw EInvalidGraphic(text);
}

} // namespace orvane::imaging
