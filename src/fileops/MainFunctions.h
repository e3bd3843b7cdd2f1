#pragma once
#include <QString>

class QWidget;

namespace orvane::fileops {

// Opens a document or web address with its associated program; nothing is
// reported when that fails.
void ShellOpen(QWidget* owner, const QString& pathOrAddress, const QString& parameters = {});

} // namespace orvane::fileops
