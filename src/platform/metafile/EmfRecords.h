#pragma once
// What the records of an enhanced metafile do: the record types, how their
// fields are stored, and the playing of one record.
#include "platform/metafile/GdiCanvas.h"
#include "platform/metafile/ObjectTables.h"
#include "platform/metafile/RecordBytes.h"
#include "platform/metafile/RecordTable.h"

#include <QPointF>
#include <QRectF>
#include <QTransform>

#include <cstddef>
#include <cstdint>

namespace orvane::imaging::metafile {

enum : uint32_t {
    EMR_HEADER = 1, EMR_POLYBEZIER = 2, EMR_POLYGON = 3, EMR_POLYLINE = 4, EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6, EMR_POLYPOLYLINE = 7, EMR_POLYPOLYGON = 8, EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10, EMR_SETVIEWPORTEXTEX = 11, EMR_SETVIEWPORTORGEX = 12, EMR_EOF = 14,
    EMR_SETPIXELV = 15, EMR_SETMAPMODE = 17, EMR_SETBKMODE = 18, EMR_SETPOLYFILLMODE = 19, EMR_SETROP2 = 20,
    EMR_SETTEXTALIGN = 22, EMR_SETTEXTCOLOR = 24, EMR_SETBKCOLOR = 25, EMR_OFFSETCLIPRGN = 26,
    EMR_MOVETOEX = 27, EMR_EXCLUDECLIPRECT = 29, EMR_INTERSECTCLIPRECT = 30, EMR_SCALEVIEWPORTEXTEX = 31,
    EMR_SCALEWINDOWEXTEX = 32, EMR_SAVEDC = 33, EMR_RESTOREDC = 34, EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36, EMR_SELECTOBJECT = 37, EMR_CREATEPEN = 38, EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40, EMR_ANGLEARC = 41, EMR_ELLIPSE = 42, EMR_RECTANGLE = 43, EMR_ROUNDRECT = 44,
    EMR_ARC = 45, EMR_CHORD = 46, EMR_PIE = 47, EMR_CREATEPALETTE = 49, EMR_LINETO = 54, EMR_ARCTO = 55,
    EMR_POLYDRAW = 56, EMR_SETARCDIRECTION = 57, EMR_BEGINPATH = 59, EMR_ENDPATH = 60, EMR_CLOSEFIGURE = 61,
    EMR_FILLPATH = 62, EMR_STROKEANDFILLPATH = 63, EMR_STROKEPATH = 64, EMR_WIDENPATH = 66,
    EMR_SELECTCLIPPATH = 67, EMR_ABORTPATH = 68, EMR_FILLRGN = 71, EMR_FRAMERGN = 72, EMR_INVERTRGN = 73,
    EMR_PAINTRGN = 74, EMR_EXTSELECTCLIPRGN = 75, EMR_BITBLT = 76, EMR_STRETCHBLT = 77,
    EMR_SETDIBITSTODEVICE = 80, EMR_STRETCHDIBITS = 81, EMR_EXTCREATEFONTINDIRECTW = 82, EMR_EXTTEXTOUTA = 83,
    EMR_EXTTEXTOUTW = 84, EMR_POLYBEZIER16 = 85, EMR_POLYGON16 = 86, EMR_POLYLINE16 = 87,
    EMR_POLYBEZIERTO16 = 88, EMR_POLYLINETO16 = 89, EMR_POLYPOLYLINE16 = 90, EMR_POLYPOLYGON16 = 91,
    EMR_POLYDRAW16 = 92, EMR_CREATEMONOBRUSH = 93, EMR_CREATEDIBPATTERNBRUSHPT = 94, EMR_EXTCREATEPEN = 95,
    EMR_ALPHABLEND = 114, EMR_TRANSPARENTBLT = 116, EMR_GRADIENTFILL = 118,
};

inline QPointF PointAt(const RecordBytes& r, size_t offset)
{
    return QPointF(r.I32(offset), r.I32(offset + 4));
}

// A rectangle stored left, top, right, bottom.
inline QRectF RectAt(const RecordBytes& r, size_t offset)
{
    return QRectF(PointAt(r, offset), PointAt(r, offset + 8));
}

inline QTransform TransformAt(const RecordBytes& r, size_t offset)
{
    return QTransform(r.F32(offset), r.F32(offset + 4), r.F32(offset + 8), r.F32(offset + 12), r.F32(offset + 16),
                      r.F32(offset + 20));
}

using EmfPlayback = Playback<EmfObjectTable>;

// Plays one record; records of other types draw nothing.
void PlayEmfRecord(EmfPlayback& playback, uint32_t type, const RecordBytes& record);

// The records of bitmaps, regions and gradients (EmfBitmapRecords.cpp).
void CreateMonoBrush(EmfPlayback& p, const RecordBytes& r);
void CreateDibPatternBrushPt(EmfPlayback& p, const RecordBytes& r);
void BitBlt(EmfPlayback& p, const RecordBytes& r);
void StretchBlt(EmfPlayback& p, const RecordBytes& r);
void AlphaBlend(EmfPlayback& p, const RecordBytes& r);
void TransparentBlt(EmfPlayback& p, const RecordBytes& r);
void StretchDibits(EmfPlayback& p, const RecordBytes& r);
void SetDibitsToDevice(EmfPlayback& p, const RecordBytes& r);
void ExtSelectClipRgn(EmfPlayback& p, const RecordBytes& r);
void FillRgn(EmfPlayback& p, const RecordBytes& r);
void FrameRgn(EmfPlayback& p, const RecordBytes& r);
void InvertRgn(EmfPlayback& p, const RecordBytes& r);
void PaintRgn(EmfPlayback& p, const RecordBytes& r);
void GradientFill(EmfPlayback& p, const RecordBytes& r);

} // namespace orvane::imaging::metafile
