#include "platform/DesktopEntry.h"

#include <QFile>

namespace orvane::platform {

QString UnescapeDesktopString(const QString& value)
{
    QString text;
    text.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            text += c;
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's': text += QLatin1Char(' '); break;
        case 'n': text += QLatin1Char('\n'); break;
        case 't': text += QLatin1Char('\t'); break;
        case 'r': text += QLatin1Char('\r'); break;
        case '\\': text += QLatin1Char('\\'); break;
        default:
            // Not a general escape: kept for the Exec quoting to read.
            text += c;
            text += next;
        }
    }
    return text;
}

QString EscapeDesktopString(const QString& text)
{
    QString value;
    value.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\': value += QLatin1String("\\\\"); break;
        case '\n': value += QLatin1String("\\n"); break;
        case '\t': value += QLatin1String("\\t"); break;
        case '\r': value += QLatin1String("\\r"); break;
        default: value += c;
        }
    }
    return value;
}

QHash<QString, QString> ReadDesktopEntry(const QString& path)
{
    QHash<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return keys;
    bool inMain = false;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& raw : lines) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inMain = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inMain || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        if (!keys.contains(key))
            keys.insert(key, UnescapeDesktopString(line.mid(equals + 1).trimmed()));
    }
    return keys;
}

QStringList SplitExec(const QString& exec, bool* ok)
{
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    bool fine = true;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                quoted = false;
            } else if (c == QLatin1Char('\\')) {
                if (i + 1 < exec.size() && QStringLiteral("\"`$\\").contains(exec.at(i + 1)))
                    current += exec.at(++i);
                else
                    fine = false, current += c;
            } else {
                current += c;
            }
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            if (inArgument)
                arguments << current;
            current.clear();
            inArgument = false;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            inArgument = true;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (quoted)
        fine = false;
    if (inArgument)
        arguments << current;
    if (ok)
        *ok = fine;
    return arguments;
}

QStringList DropFieldCodes(const QStringList& arguments)
{
    QStringList kept;
    for (const QString& argument : arguments) {
        if (argument.size() == 2 && argument.at(0) == QLatin1Char('%') && argument.at(1) != QLatin1Char('%'))
            continue;
        QString text;
        for (qsizetype i = 0; i < argument.size(); ++i) {
            if (argument.at(i) == QLatin1Char('%') && i + 1 < argument.size()) {
                if (argument.at(i + 1) == QLatin1Char('%'))
                    text += QLatin1Char('%');
                ++i; // any other field code inside an argument goes
                continue;
            }
            text += argument.at(i);
        }
        kept << text;
    }
    return kept;
}

QString JoinExec(const QStringList& arguments)
{
    QStringList quoted;
    for (const QString& argument : arguments) {
        QString text = QStringLiteral("\"");
        for (const QChar c : argument) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                text += QLatin1Char('\\');
            if (c == QLatin1Char('%'))
                text += QLatin1Char('%');
            text += c;
        }
        text += QLatin1Char('"');
        quoted << text;
    }
    return quoted.join(QLatin1Char(' '));
}

} // namespace orvane::platform
