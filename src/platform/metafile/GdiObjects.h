#pragma once
// The drawing objects a metafile creates and selects: pens, brushes, fonts,
// and the objects we only keep a place for (palettes, regions of unknown
// use), so that object numbers stay in step with the file.
#include <QColor>
#include <QImage>
#include <QRegion>
#include <QString>

#include <cstdint>
#include <variant>
#include <vector>

namespace orvane::imaging::metafile {

// Pen styles, end caps and joins as metafiles store them.
enum : uint32_t {
    PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5, PS_INSIDEFRAME = 6,
    PS_USERSTYLE = 7, PS_ALTERNATE = 8, PS_STYLE_MASK = 0x0F,
    PS_ENDCAP_ROUND = 0x000, PS_ENDCAP_SQUARE = 0x100, PS_ENDCAP_FLAT = 0x200, PS_ENDCAP_MASK = 0xF00,
    PS_JOIN_ROUND = 0x0000, PS_JOIN_BEVEL = 0x1000, PS_JOIN_MITER = 0x2000, PS_JOIN_MASK = 0xF000,
    PS_GEOMETRIC = 0x10000,
};

enum : uint32_t { BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2, BS_PATTERN = 3, BS_DIBPATTERN = 5, BS_DIBPATTERNPT = 6 };

struct GdiPen {
    uint32_t style = PS_SOLID;
    double width = 0; // logical units; 0 is one device pixel
    QColor color = Qt::black;
    std::vector<double> userDashes; // PS_USERSTYLE, logical units
    bool IsNull() const { return (style & PS_STYLE_MASK) == PS_NULL; }
};

struct GdiBrush {
    uint32_t style = BS_SOLID;
    QColor color = Qt::white;
    uint32_t hatch = 0;
    QImage pattern; // BS_PATTERN / BS_DIBPATTERN
    bool IsNull() const { return style == BS_NULL; }
};

struct GdiFont {
    int32_t height = 0; // < 0: character height, > 0: cell height, 0: default
    int32_t width = 0;
    int32_t escapement = 0; // tenths of a degree, counterclockwise
    int32_t weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    uint8_t charSet = 0;
    QString faceName;
};

// A region kept in logical units (the old metafile format's regions).
struct GdiRegion {
    QRegion region;
};

struct GdiPlaceholder {};

using GdiObject = std::variant<GdiPlaceholder, GdiPen, GdiBrush, GdiFont, GdiRegion>;

// COLORREF: 0x00bbggrr. Palette-relative forms keep their RGB bytes.
inline QColor ColorFromRef(uint32_t ref)
{
    return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF);
}

// The stock objects (index | 0x80000000 in enhanced metafiles).
bool StockObject(uint32_t index, GdiObject& object);

} // namespace orvane::imaging::metafile
