#include "platform/metafile/GdiObjects.h"

namespace orvane::imaging::metafile {

bool StockObject(uint32_t index, GdiObject& object)
{
    enum : uint32_t {
        WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3, BLACK_BRUSH = 4, NULL_BRUSH = 5,
        WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8, OEM_FIXED_FONT = 10, ANSI_FIXED_FONT = 11, ANSI_VAR_FONT = 12,
        SYSTEM_FONT = 13, DEVICE_DEFAULT_FONT = 14, DEFAULT_PALETTE = 15, SYSTEM_FIXED_FONT = 16,
        DEFAULT_GUI_FONT = 17, DC_BRUSH = 18, DC_PEN = 19,
    };
    auto brush = [&](QColor color, uint32_t style = BS_SOLID) {
        GdiBrush b;
        b.style = style;
        b.color = color;
        object = b;
    };
    auto pen = [&](QColor color, uint32_t style = PS_SOLID) {
        GdiPen p;
        p.style = style;
        p.color = color;
        object = p;
    };
    auto font = [&](const char* face, int height) {
        GdiFont f;
        f.faceName = QString::fromLatin1(face);
        f.height = height;
        object = f;
    };
    switch (index) {
    case WHITE_BRUSH: brush(QColor(255, 255, 255)); return true;
    case LTGRAY_BRUSH: brush(QColor(192, 192, 192)); return true;
    case GRAY_BRUSH: brush(QColor(128, 128, 128)); return true;
    case DKGRAY_BRUSH: brush(QColor(64, 64, 64)); return true;
    case BLACK_BRUSH: brush(QColor(0, 0, 0)); return true;
    case NULL_BRUSH: brush(QColor(0, 0, 0), BS_NULL); return true;
    case WHITE_PEN: pen(QColor(255, 255, 255)); return true;
    case BLACK_PEN: pen(QColor(0, 0, 0)); return true;
    case NULL_PEN: pen(QColor(0, 0, 0), PS_NULL); return true;
    case DC_BRUSH: brush(QColor(255, 255, 255)); return true;
    case DC_PEN: pen(QColor(0, 0, 0)); return true;
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case SYSTEM_FIXED_FONT: font("Courier New", 12); return true;
    case ANSI_VAR_FONT:
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
    case DEFAULT_GUI_FONT: font("Arial", 16); return true;
    default: return false; // the default palette and unknown numbers
    }
}

} // namespace orvane::imaging::metafile
