#pragma once
// What the records of a Windows metafile do: the record functions, how
// their parameters are stored, and the playing of one record.
#include "platform/metafile/GdiCanvas.h"
#include "platform/metafile/ObjectTables.h"
#include "platform/metafile/RecordBytes.h"
#include "platform/metafile/RecordTable.h"

#include <QPointF>
#include <QRectF>

#include <cstddef>
#include <cstdint>

namespace orvane::imaging::metafile {

enum : uint16_t {
    META_EOF = 0x0000, META_SAVEDC = 0x001E, META_REALIZEPALETTE = 0x0035, META_SETPALENTRIES = 0x0037,
    META_CREATEPALETTE = 0x00F7, META_SETBKMODE = 0x0102, META_SETMAPMODE = 0x0103, META_SETROP2 = 0x0104,
    META_SETPOLYFILLMODE = 0x0106, META_SETTEXTCHAREXTRA = 0x0108, META_RESTOREDC = 0x0127,
    META_INVERTREGION = 0x012A, META_PAINTREGION = 0x012B, META_SELECTCLIPREGION = 0x012C,
    META_SELECTOBJECT = 0x012D, META_SETTEXTALIGN = 0x012E, META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_DELETEOBJECT = 0x01F0, META_CREATEPATTERNBRUSH = 0x01F9, META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209, META_SETWINDOWORG = 0x020B, META_SETWINDOWEXT = 0x020C,
    META_SETVIEWPORTORG = 0x020D, META_SETVIEWPORTEXT = 0x020E, META_OFFSETWINDOWORG = 0x020F,
    META_OFFSETVIEWPORTORG = 0x0211, META_LINETO = 0x0213, META_MOVETO = 0x0214, META_OFFSETCLIPRGN = 0x0220,
    META_FILLREGION = 0x0228, META_SELECTPALETTE = 0x0234, META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB, META_CREATEBRUSHINDIRECT = 0x02FC, META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325, META_SCALEWINDOWEXT = 0x0410, META_SCALEVIEWPORTEXT = 0x0412,
    META_EXCLUDECLIPRECT = 0x0415, META_INTERSECTCLIPRECT = 0x0416, META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B, META_SETPIXEL = 0x041F, META_FRAMEREGION = 0x0429, META_TEXTOUT = 0x0521,
    META_POLYPOLYGON = 0x0538, META_ROUNDRECT = 0x061C, META_PATBLT = 0x061D, META_CREATEREGION = 0x06FF,
    META_ARC = 0x0817, META_PIE = 0x081A, META_CHORD = 0x0830, META_DIBBITBLT = 0x0940, META_EXTTEXTOUT = 0x0A32,
    META_DIBSTRETCHBLT = 0x0B41, META_SETDIBTODEV = 0x0D33, META_STRETCHDIB = 0x0F43,
};

// A record's parameters are 16-bit words after its 6-byte size and
// function; this is word i.
inline int16_t P(const RecordBytes& r, size_t i)
{
    return r.I16(6 + 2 * i);
}

// A point stored y, x from parameter i on.
inline QPointF ReversedPoint(const RecordBytes& r, size_t i)
{
    return QPointF(P(r, i + 1), P(r, i));
}

// A rectangle stored bottom, right, top, left from parameter i on.
inline QRectF ReversedRect(const RecordBytes& r, size_t i)
{
    return QRectF(QPointF(P(r, i + 3), P(r, i + 2)), QPointF(P(r, i + 1), P(r, i)));
}

using WmfPlayback = Playback<WmfObjectTable>;

// Plays one record; records of other functions draw nothing.
void PlayWmfRecord(WmfPlayback& playback, uint16_t function, const RecordBytes& record);

// The records of bitmaps and pattern brushes (WmfBitmapRecords.cpp).
void DibCreatePatternBrush(WmfPlayback& p, const RecordBytes& r);
void CreatePatternBrush(WmfPlayback& p, const RecordBytes& r);
void StretchDib(WmfPlayback& p, const RecordBytes& r);
void DibStretchBlt(WmfPlayback& p, const RecordBytes& r);
void DibBitBlt(WmfPlayback& p, const RecordBytes& r);
void SetDibToDev(WmfPlayback& p, const RecordBytes& r);

} // namespace orvane::imaging::metafile
