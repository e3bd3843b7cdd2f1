#include "app/Removal.h"

#include "app/InstallList.h"
#include "app/InstallLocation.h"
#include "app/RemovalAtLogon.h"
#include "app/Settings.h"
#include "fileops/FileFunctions.h"
#include "fileops/MainFunctions.h"
#include "fileops/StringFunctions.h"
#include "platform/Registry.h"
#include "platform/Services.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <unistd.h>

namespace orvane::app {

namespace {

const QString kUninstallKey = QStringLiteral("\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvane");
const QString kRunOnceKey = QStringLiteral("\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce");
const QString kProgramValue = QStringLiteral("Delete Orvane");

QString LeftoverValue(int n)
{
    return QStringLiteral("Delete Orvane file ") + fileops::IntToText(n);
}

void Say(const QString& text)
{
    if (auto& dialogs = platform::Services::Current().dialogs)
        dialogs->ShowInformation(text);
}

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

} // namespace

void RegisterUninstall()
{
    const QString programFile = ProgramFilePath();
    if (fileops::StartsWithText(DevelopmentFolderPrefix(), programFile))
        return;
    platform::TRegistry registry(platform::RootKey::HKEY_LOCAL_MACHINE);
    if (registry.OpenKey(kUninstallKey, false))
        return;
    if (registry.OpenKey(kUninstallKey, true)) {
        registry.WriteString(QStringLiteral("DisplayName"), QStringLiteral("Orvane"));
        registry.WriteString(QStringLiteral("UninstallString"), programFile + QStringLiteral(" /uninstall"));
        registry.CloseKey();
    }
    if (registry.OpenKey(kRunOnceKey, false) && registry.ValueExists(kProgramValue)) {
        registry.DeleteValue(kProgramValue);
        for (int n = 0; registry.ValueExists(LeftoverValue(n)); ++n)
            registry.DeleteValue(LeftoverValue(n));
        registry.CloseKey();
        QFile::remove(PendingDeletionsEntryPath());
    }
}

void Uninstall()
{
    // Shortcuts; a shell folder that cannot be found skips its steps.
    const QString desktop = fileops::GetShellFolder(QStringLiteral("Desktop"));
    if (!desktop.isEmpty())
        QFile::remove(desktop + QStringLiteral("/Orvane.desktop"));
    const QString programs = fileops::GetShellFolder(QStringLiteral("Programs"));
    if (!programs.isEmpty()) {
        const QString group = programs + QStringLiteral("/Orvane");
        try {
            fileops::DeleteTree(group);
        } catch (const std::exception&) {
        }
        ::rmdir(QFile::encodeName(group).constData());
        QFile::remove(programs + QStringLiteral("/Orvane.desktop"));
    }

    const QString programFile = ProgramFilePath();
    const QString folder = QFileInfo(programFile).absolutePath() + QLatin1Char('/');
    QFile list(folder + QStringLiteral("install.txt"));
    if (!list.open(QIODevice::ReadOnly)) {
        Say(QStringLiteral("Can't find install.txt\r\n\r\nYou need to delete the files manually"));
        fileops::ShellOpen(nullptr, folder);
        return;
    }
    const QByteArray text = list.readAll();
    list.close();
    const std::vector<std::string> entries = ParseInstallList(std::string_view(text.constData(), text.size()));
    const std::string base = QFile::encodeName(folder).toStdString();
    const std::string programName = QFile::encodeName(QFileInfo(programFile).fileName()).toStdString();

    QStringList leftovers;
    for (const std::string& entry : entries) {
        if (IsFolderEntry(entry) || EqualsIgnoringAsciiCase(entry, programName) || fileops::IsHostile(base, entry))
            continue;
        const std::string path = base + entry;
        if (fileops::Exists(path) && !fileops::DeleteFile(path))
            leftovers << QFile::decodeName(QByteArray::fromStdString(entry));
    }
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (!IsFolderEntry(*it) || fileops::IsHostile(base, *it))
            continue;
        const QString path = fileops::StripTrailingSlash(QFile::decodeName(QByteArray::fromStdString(base + *it)));
        if (fileops::IsFolderEmpty(path) && ::rmdir(QFile::encodeName(path).constData()) != 0)
            leftovers << QFile::decodeName(QByteArray::fromStdString(*it));
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(leftovers.begin(), leftovers.end(),
                     [&collator](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });

    // The machine hive has no key until something is written to it, so the
    // key is created here; a hive that cannot be written fails on the first
    // value.
    platform::TRegistry registry(platform::RootKey::HKEY_LOCAL_MACHINE);
    registry.OpenKey(kRunOnceKey, true);
    registry.WriteString(kProgramValue, RemoveCommand(programFile));
    for (int n = 0; n < leftovers.size(); ++n)
        registry.WriteString(LeftoverValue(n), RemoveCommand(folder + leftovers.at(n)));
    registry.CloseKey();
    WritePendingDeletionsEntry();
    registry.DeleteKey(kUninstallKey);
    Say(QStringLiteral("Uninstall complete."));
}

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
    Say(QStringLiteral("Registry entries has been removed"));
}

} // namespace orvane::app
