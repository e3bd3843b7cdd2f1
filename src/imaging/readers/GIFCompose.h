#pragma once
// Drawing a GIF frame's colour indexes onto a 32-bit canvas: opaque pixels
// replace the canvas's, the transparent index leaves it as it was, and the
// parts of a frame outside the logical screen are clipped.
#include "imaging/readers/GIFFile.h"

#include <functional>
#include <vector>

namespace orvane::imaging::gif {

// The part of the frame on a canvas of width x height (empty when none).
TRect ClipOf(const TFrame& frame, int width, int height);
inline bool IsEmpty(const TRect& rect) { return rect.Right <= rect.Left || rect.Bottom <= rect.Top; }

// Draws count indexes as colours onto target (BGRA words).
void ComposeLine(const uint8_t* indexes, int count, const TColours& colours, int transparent, uint32_t* target);

// Reads the lines of the reader's current frame, drawing each onto the
// canvas as it comes and calling onLine(linesRead, row) after it. False when
// the frame's data ends early (the lines before it stay drawn).
bool DrawFrameLines(TFrameReader& reader, const TFrame& frame, TBitmap& canvas,
                    const std::function<void(int linesRead, int row)>& onLine);

// The indexes of the reader's current frame within clip, row after row;
// raises EInvalidGraphic when its data ends early, before anything is drawn.
void ReadClippedIndexes(TFrameReader& reader, const TFrame& frame, const TRect& clip, std::vector<uint8_t>& indexes);

// Draws indexes that ReadClippedIndexes read onto the canvas.
void ComposeClipped(const std::vector<uint8_t>& indexes, const TRect& clip, const TColours& colours, int transparent,
                    TBitmap& canvas);

// The canvas pixels within rect, row after row, and back.
void SaveArea(TBitmap& canvas, const TRect& rect, std::vector<uint32_t>& saved);
void RestoreArea(TBitmap& canvas, const TRect& rect, const std::vector<uint32_t>& saved);
// Makes the canvas within rect see-through.
void ClearArea(TBitmap& canvas, const TRect& rect);

} // namespace orvane::imaging::gif
