#include "fileops/MainFunctions.h"

#include "platform/Services.h"

namespace orvane::fileops {

void ShellOpen(QWidget* owner, const QString& pathOrAddress, const QString& parameters)
{
    (void)owner;
    auto& shell = platform::Services::Current().shell;
    if (shell)
        shell->Open(pathOrAddress, parameters);
}

} // namespace orvane::fileops
