#include "imaging/core/Warnings.h"

#include <cstdio>

namespace orvane::imaging {

namespace {
TWarningHandler& Handler()
{
    static TWarningHandler handler;
    return handler;
}
} // namespace

void SetWarningHandler(TWarningHandler handler)
{
    Handler() = std::move(handler);
}

void ShowWarning(const std::string& caption, const std::string& text)
{
    if (Handler())
        Handler()(caption, text);
    else
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

} // namespace orvane::imaging
