#include "platform/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace orvane::platform {

void DesktopShell::Open(const QString& pathOrAddress, const QString& parameters)
{
    (void)parameters; // the desktop's opener takes the document alone
    const QUrl url = QUrl(pathOrAddress, QUrl::StrictMode);
    if (url.isValid() && !url.scheme().isEmpty() && url.scheme().size() > 1)
        QDesktopServices::openUrl(url);
    else
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(pathOrAddress).absoluteFilePath()));
}

} // namespace orvane::platform
