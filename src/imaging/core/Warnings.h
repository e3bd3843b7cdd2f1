#pragma once
// Warnings a reader or decoder shows the user without stopping (for example a
// JPEG strip that ends early). The program installs a handler that shows a
// message box; without one the text goes to standard error.
#include <functional>
#include <string>

namespace orvane::imaging {

using TWarningHandler = std::function<void(const std::string& caption, const std::string& text)>;

void SetWarningHandler(TWarningHandler handler);
void ShowWarning(const std::string& caption, const std::string& text);

} // namespace orvane::imaging
