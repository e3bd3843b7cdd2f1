#include "app/RemovalAtLogon.h"

#include "app/InstallLocation.h"
#include "platform/DesktopEntry.h"
#include "platform/Registry.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace orvane::app {

namespace {

// Reads the machine hive on its standard input (registry export text, byte
// by byte: names need not be UTF-8) and prints the pending deletions to
// run, one after another. Everything else the hive holds it writes to the
// file $REST, when there is anything else. A hive it cannot read ends it
// with status 1 before anything is printed or written. The program goes
// into the entry's Exec line as one argument, so it holds no '%'.
const char* const kPendingDeletionsReader = R"awk(
function fail() { exit 1 }
function blanks() { while (substr(text, pos, 1) == " " || substr(text, pos, 1) == "\t") pos++ }
# The string starting at pos, escapes resolved; pos goes past its end.
function quoted(   out, c) {
    out = ""
    for (pos++; pos <= n; ) {
        c = substr(text, pos++, 1)
        if (c == "\"")
            return out
        if (c == "\\") {
            c = substr(text, pos++, 1)
            if (c != "\\" && c != "\"")
                fail()
        }
        out = out c
    }
    fail()
}
function lineAt(p,   e) {
    e = index(substr(text, p), "\n")
    return e ? substr(text, p, e - 1) : substr(text, p)
}
function nextLine(   e) {
    e = index(substr(text, pos), "\n")
    pos = e ? pos + e : n + 1
}
{ text = NR == 1 ? $0 : text "\n" $0 }
END {
    n = length(text)
    pos = 1
    runOnce = "hkey_local_machine\\software\\microsoft\\windows\\currentversion\\runonce"
    while (pos <= n) {
        start = pos
        c = substr(text, pos, 1)
        if (c == "\"" || c == "@") {
            name = ""
            if (c == "@")
                pos++
            else
                name = quoted()
            blanks()
            if (substr(text, pos++, 1) != "=")
                fail()
            blanks()
            isString = substr(text, pos, 1) == "\""
            if (isString) {
                data = quoted()
                blanks()
                if (substr(text, pos, 1) == "\r")
                    pos++
                if (pos <= n && substr(text, pos, 1) != "\n")
                    fail()
                pos++
            } else {
                # Data of another type, with the lines a trailing backslash
                # continues.
                do {
                    line = lineAt(pos)
                    sub(/[ \t\r]+$/, "", line)
                    nextLine()
                } while (line ~ /\\$/ && pos <= n && lineAt(pos) !~ /^[ \t\r]*$/)
            }
            if (isString && section == runOnce && tolower(name) ~ /^delete orvane( file (0|[1-9][0-9]*))?$/ &&
                data ~ /^rm -d -f -- '\/([^']|'\\'')*'$/) {
                commands = commands data "\n"
            } else {
                rest = rest substr(text, start, pos - start)
                others++
            }
            continue
        }
        line = lineAt(pos)
        nextLine()
        rest = rest substr(text, start, pos - start)
        sub(/\r$/, "", line)
        if (line ~ /^\[.*\]$/)
            section = tolower(substr(line, 2, length(line) - 2))
        else if (start > 1 && line !~ /^[ \t]*$/)
            others++
    }
    ORS = ""
    if (others)
        print rest "\n" > ENVIRON["REST"]
    print commands
}
)awk";

// Runs with the reader as $1, the hive as $2 and the entry itself as $3.
// Each command the reader prints has been checked to be "rm -d -f --" and
// one single-quoted absolute path, so the shell reads it as exactly that.
const char* const kFinishRemoval = R"sh(
LC_ALL=C
export LC_ALL
rest="$2.rest"
if commands=$(REST="$rest" awk "$1" < "$2"); then
    eval "$commands"
    if [ -e "$rest" ]; then mv -f -- "$rest" "$2"; else rm -f -- "$2"; fi
fi
rm -f -- "$rest" "$2.lock" "$3"
)sh";

QString ShellQuote(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

QString RemoveCommand(const QString& path)
{
    return QStringLiteral("rm -d -f -- ") + ShellQuote(path);
}

void WritePendingDeletionsEntry()
{
    const QString hive = platform::TRegistry::MachineHiveFolder() + QStringLiteral("/machine.reg");
    const QString entry = PendingDeletionsEntryPath();
    const QStringList command{QStringLiteral("sh"),
                              QStringLiteral("-c"),
                              QString::fromUtf8(kFinishRemoval),
                              QStringLiteral("orvane-finish-removal"),
                              QString::fromUtf8(kPendingDeletionsReader),
                              hive,
                              entry};
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

} // namespace orvane::app
