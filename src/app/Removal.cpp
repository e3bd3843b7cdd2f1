#include "app/Removal.h"

#include "app/Settings.h"
#include "platform/Registry.h"
#include "platform/Services.h"

namespace orvane::app {

void ResetSettings()
{
    {
        platform::TRegistry registry;
        registry.OpenKey(QString::fromLatin1(kMainKey), true);
        for (const char* name : {"Top", "Left", "Width", "Maximized"})
            registry.DeleteValue(QString::fromLatin1(name));
        registry.CloseKey();
        registry.OpenKey(QStringLiteral("\\Software\\Kestrin\\Orvane\\"), true);
        registry.DeleteKey(QStringLiteral("Options"));
        registry.CloseKey();
    }
    auto& dialogs = platform::Services::Current().dialogs;
    if (dialogs)
        dialogs->ShowInformation(QStringLiteral("Registry entries has been removed"));
}

} // namespace orvane::app
