#include "platform/metafile/RecordFields.h"

#include "platform/metafile/AnsiText.h"

#include <cmath>

namespace orvane::imaging::metafile {

namespace {

int32_t Signed(const RecordBytes& r, size_t offset, Word word)
{
    return word == Word::Short ? r.I16(offset) : r.I32(offset);
}

uint32_t Unsigned(const RecordBytes& r, size_t offset, Word word)
{
    return word == Word::Short ? r.U16(offset) : r.U32(offset);
}

QString FaceName(const RecordBytes& r, size_t offset, Word word)
{
    constexpr size_t kMaxFaceName = 32;
    if (word == Word::Short) {
        size_t length = 0;
        while (length < kMaxFaceName && r.Has(offset + length, 1) && r.U8(offset + length) != 0)
            ++length;
        return AnsiToString(r.Data() + offset, length);
    }
    QString name;
    for (size_t i = 0; i < kMaxFaceName && r.Has(offset + 2 * i, 2); ++i) {
        const char16_t c = r.U16(offset + 2 * i);
        if (c == 0)
            break;
        name.append(QChar(c));
    }
    return name;
}

} // namespace

QPolygonF PointsAt(const RecordBytes& r, size_t offset, uint64_t count, Word word)
{
    const size_t w = size_t(word);
    const size_t each = 2 * w;
    if (count > r.Size() / each || !r.Has(offset, size_t(count) * each))
        return {};
    QPolygonF points;
    points.reserve(qsizetype(count));
    for (size_t i = 0; i < count; ++i) {
        const size_t at = offset + i * each;
        points.append(QPointF(Signed(r, at, word), Signed(r, at + w, word)));
    }
    return points;
}

GdiPen LogPenAt(const RecordBytes& r, size_t offset, Word word)
{
    const size_t w = size_t(word);
    GdiPen pen;
    pen.style = Unsigned(r, offset, word);
    pen.width = std::fabs(double(Signed(r, offset + w, word)));
    pen.color = ColorFromRef(r.U32(offset + 3 * w));
    return pen;
}

GdiBrush LogBrushAt(const RecordBytes& r, size_t offset, Word word)
{
    const size_t w = size_t(word);
    GdiBrush brush;
    brush.style = Unsigned(r, offset, word);
    brush.color = ColorFromRef(r.U32(offset + w));
    brush.hatch = Unsigned(r, offset + w + 4, word);
    if (brush.style != BS_NULL && brush.style != BS_HATCHED)
        brush.style = BS_SOLID;
    return brush;
}

GdiFont LogFontAt(const RecordBytes& r, size_t offset, Word word)
{
    const size_t w = size_t(word);
    GdiFont font;
    font.height = Signed(r, offset, word);
    font.width = Signed(r, offset + w, word);
    font.escapement = Signed(r, offset + 2 * w, word);
    font.weight = Signed(r, offset + 4 * w, word);
    const size_t flags = offset + 5 * w;
    font.italic = r.U8(flags);
    font.underline = r.U8(flags + 1);
    font.strikeOut = r.U8(flags + 2);
    font.charSet = r.U8(flags + 3);
    font.faceName = FaceName(r, flags + 8, word);
    return font;
}

} // namespace orvane::imaging::metafile
