#pragma once
// Opening a document or web address with the program the desktop associates
// with it.
#include <QString>

namespace orvane::platform {

class Shell {
public:
    virtual ~Shell() = default;
    // Failures (no associated program, missing file) are not reported.
    virtual void Open(const QString& pathOrAddress, const QString& parameters) = 0;
};

class DesktopShell : public Shell {
public:
    void Open(const QString& pathOrAddress, const QString& parameters) override;
};

} // namespace orvane::platform
