#include "app/Removal.h"

#include "app/InstallList.h"
#include "app/InstallLocation.h"
#include "app/Settings.h"
#include "fileops/FileFunctions.h"
#include "fileops/MainFunctions.h"
#include "fileops/StringFunctions.h"
#include "platform/DesktopEntry.h"
#include "platform/Registry.h"
#include "platform/Services.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <sys/stat.h>
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

bool IsLink(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool Exists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// An entry the removal must not act on: absolute, climbing out with "..",
// or reaching its target through a link (any folder on the way, and a
// folder entry itself), so it would name something outside the program
// folder.
bool IsHostile(const std::string& folder, const std::string& entry)
{
    if (!StaysInsideProgramFolder(entry))
        return true;
    std::string path = entry;
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    for (size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1))
        if (IsLink(folder + path.substr(0, slash)))
            return true;
    return IsFolderEntry(entry) && IsLink(folder + path);
}

// Deletes one installed file. As everywhere in the program, a file its
// owner made read-only is not deleted; a link goes, never what it points to.
bool DeleteInstalledFile(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return false;
    if (!S_ISLNK(info.st_mode) && !(info.st_mode & S_IWUSR))
        return false;
    return ::unlink(path.c_str()) == 0;
}

QString ShellQuote(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

// The autostart entry that, at the next log-on, removes the scheduled
// files, the machine hive that holds their values, and itself. Names go in
// as quoted arguments, never through a shell.
void WritePendingDeletionsEntry(const QString& programFile, const QString& folder, const QStringList& leftovers)
{
    QStringList files{programFile};
    QStringList folders;
    for (const QString& leftover : leftovers)
        (leftover.endsWith(QLatin1Char('/')) ? folders : files) << folder + leftover;
    // Emptied folders go after the files, the deepest first.
    std::sort(folders.begin(), folders.end(), std::greater<>());
    const QString hive = platform::TRegistry::MachineHiveFolder() + QStringLiteral("/machine.reg");
    const QString entry = PendingDeletionsEntryPath();
    QStringList command{QStringLiteral("rm"), QStringLiteral("-d"), QStringLiteral("-f"), QStringLiteral("--")};
    command << files << folders << hive << hive + QStringLiteral(".lock") << entry;

    QDir().mkpath(QFileInfo(entry).absolutePath());
    QSaveFile file(entry);
    if (!file.open(QIODevice::WriteOnly))
        return;
    const QString text = QStringLiteral("[Desktop Entry]\nType=Application\nName=Orvane: finish removal\n"
                                        "NoDisplay=true\nX-GNOME-Autostart-enabled=true\nExec=") +
                         platform::EscapeDesktopString(platform::JoinExec(command)) + QLatin1Char('\n');
    file.write(text.toUtf8());
    file.commit();
}

} // namespace

QString RemoveCommand(const QString& path)
{
    return QStringLiteral("rm -d -f -- ") + ShellQuote(path);
}

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
        if (IsFolderEntry(entry) || EqualsIgnoringAsciiCase(entry, programName) || IsHostile(base, entry))
            continue;
        const std::string path = base + entry;
        if (Exists(path) && !DeleteInstalledFile(path))
            leftovers << QFile::decodeName(QByteArray::fromStdString(entry));
    }
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (!IsFolderEntry(*it) || IsHostile(base, *it))
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
    WritePendingDeletionsEntry(programFile, folder, leftovers);
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
