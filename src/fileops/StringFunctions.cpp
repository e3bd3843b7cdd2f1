#include "fileops/StringFunctions.h"

namespace orvane::fileops {

namespace {

QChar AsciiLower(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ? QChar(c.unicode() - 'A' + 'a') : c;
}

bool SameAsciiCase(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

} // namespace

bool StartsWithText(const QString& prefix, const QString& text)
{
    return SameAsciiCase(QStringView(text).left(prefix.size()), prefix);
}

bool EndsWithText(const QString& suffix, const QString& text)
{
    return SameAsciiCase(QStringView(text).right(suffix.size()), suffix);
}

QString StripTrailingSlash(const QString& path)
{
    if (!path.isEmpty() && (path.endsWith(QLatin1Char('\\')) || path.endsWith(QLatin1Char('/'))))
        return path.left(path.size() - 1);
    return path;
}

QString IntToText(int32_t value)
{
    return QString::number(value);
}

int64_t ParseLooseInteger(const QString& text)
{
    QString kept;
    for (QChar c : text)
        if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-'))
            kept.append(c);
    if (kept.isEmpty() || kept == QLatin1String("-"))
        return 0;
    bool ok = false;
    const int value = kept.toInt(&ok, 10);
    return ok ? static_cast<int64_t>(value) : 0;
}

} // namespace orvane::fileops
