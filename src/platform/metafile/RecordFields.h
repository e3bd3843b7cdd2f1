#pragma once
// Fields that records of both kinds of metafile store: lists of points and
// the logical pens, brushes and fonts. Their layouts differ only in the
// width of a word: 16 bits in Windows metafiles, 32 in enhanced ones.
#include "platform/metafile/GdiObjects.h"
#include "platform/metafile/RecordBytes.h"

#include <QPolygonF>

#include <cstddef>
#include <cstdint>

namespace orvane::imaging::metafile {

enum class Word : size_t { Short = 2, Long = 4 };

// count points (x, y) at offset; empty when they do not all fit.
QPolygonF PointsAt(const RecordBytes& r, size_t offset, uint64_t count, Word word);

// A logical pen: style, width (a point, of which x counts), colour.
GdiPen LogPenAt(const RecordBytes& r, size_t offset, Word word);

// A logical brush: style, colour, hatch. Styles other than hollow and
// hatched paint the colour.
GdiBrush LogBrushAt(const RecordBytes& r, size_t offset, Word word);

// A logical font: height, width, escapement, orientation and weight, then
// bytes for italic, underline, strike-out, character set and four of
// precision and quality, then a face name of at most 32 characters, 8-bit
// in short-word fonts and UTF-16 in long-word ones.
GdiFont LogFontAt(const RecordBytes& r, size_t offset, Word word);

} // namespace orvane::imaging::metafile
