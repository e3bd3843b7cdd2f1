#include "imaging/readers/GIFCompose.h"

#include <algorithm>
#include <cstring>

namespace orvane::imaging::gif {

namespace {

uint32_t* CanvasRow(TBitmap& canvas, int row)
{
    return reinterpret_cast<uint32_t*>(canvas.ScanLine(row));
}

size_t AreaPixels(const TRect& rect)
{
    return IsEmpty(rect) ? 0 : size_t(rect.Right - rect.Left) * size_t(rect.Bottom - rect.Top);
}

} // namespace

TRect ClipOf(const TFrame& frame, int width, int height)
{
    const int64_t right = int64_t(frame.Left) + frame.Width, bottom = int64_t(frame.Top) + frame.Height;
    TRect clip{std::clamp(frame.Left, 0, width), std::clamp(frame.Top, 0, height),
               int(std::clamp<int64_t>(right, 0, width)), int(std::clamp<int64_t>(bottom, 0, height))};
    return IsEmpty(clip) ? TRect{} : clip;
}

void ComposeLine(const uint8_t* indexes, int count, const TColours& colours, int transparent, uint32_t* target)
{
    if (transparent < 0) {
        for (int x = 0; x < count; ++x)
            target[x] = colours[indexes[x]];
        return;
    }
    for (int x = 0; x < count; ++x)
        if (indexes[x] != transparent)
            target[x] = colours[indexes[x]];
}

bool DrawFrameLines(TFrameReader& reader, const TFrame& frame, TBitmap& canvas,
                    const std::function<void(int linesRead, int row)>& onLine)
{
    const TRect clip = ClipOf(frame, canvas.Width(), canvas.Height());
    std::vector<uint8_t> line(size_t(std::max(frame.Width, 0)));
    for (int index = 0; index < frame.Height && frame.Width > 0; ++index) {
        if (!reader.ReadLine(line.data(), frame.Width))
            return false;
        const int row = frame.Top + StoredRow(index, frame.Height, frame.Interlaced);
        if (row >= clip.Top && row < clip.Bottom)
            ComposeLine(line.data() + (clip.Left - frame.Left), clip.Right - clip.Left, reader.Colours(),
                        frame.Transparent, CanvasRow(canvas, row) + clip.Left);
        onLine(index + 1, row);
    }
    return true;
}

void ReadClippedIndexes(TFrameReader& reader, const TFrame& frame, const TRect& clip, std::vector<uint8_t>& indexes)
{
    const int clipWidth = clip.Right - clip.Left;
    indexes.resize(AreaPixels(clip));
    std::vector<uint8_t> line(size_t(std::max(frame.Width, 0)));
    for (int index = 0; index < frame.Height && frame.Width > 0; ++index) {
        if (!reader.ReadLine(line.data(), frame.Width))
            throw EInvalidGraphic(reader.ErrorText());
        const int row = frame.Top + StoredRow(index, frame.Height, frame.Interlaced);
        if (row >= clip.Top && row < clip.Bottom)
            std::memcpy(&indexes[size_t(row - clip.Top) * size_t(clipWidth)], line.data() + (clip.Left - frame.Left),
                        size_t(clipWidth));
    }
}

void ComposeClipped(const std::vector<uint8_t>& indexes, const TRect& clip, const TColours& colours, int transparent,
                    TBitmap& canvas)
{
    const int clipWidth = clip.Right - clip.Left;
    for (int row = clip.Top; row < clip.Bottom; ++row)
        ComposeLine(&indexes[size_t(row - clip.Top) * size_t(clipWidth)], clipWidth, colours, transparent,
                    CanvasRow(canvas, row) + clip.Left);
}

void SaveArea(TBitmap& canvas, const TRect& rect, std::vector<uint32_t>& saved)
{
    const int width = rect.Right - rect.Left;
    saved.resize(AreaPixels(rect));
    for (int row = rect.Top; row < rect.Bottom; ++row)
        std::memcpy(&saved[size_t(row - rect.Top) * size_t(width)], CanvasRow(canvas, row) + rect.Left,
                    size_t(width) * 4);
}

void RestoreArea(TBitmap& canvas, const TRect& rect, const std::vector<uint32_t>& saved)
{
    const int width = rect.Right - rect.Left;
    if (saved.size() != AreaPixels(rect))
        return;
    for (int row = rect.Top; row < rect.Bottom; ++row)
        std::memcpy(CanvasRow(canvas, row) + rect.Left, &saved[size_t(row - rect.Top) * size_t(width)],
                    size_t(width) * 4);
}

void ClearArea(TBitmap& canvas, const TRect& rect)
{
    for (int row = rect.Top; row < rect.Bottom; ++row)
        std::fill(CanvasRow(canvas, row) + rect.Left, CanvasRow(canvas, row) + rect.Right, 0u);
}

} // namespace orvane::imaging::gif
