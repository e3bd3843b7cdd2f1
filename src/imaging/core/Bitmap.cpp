#include "imaging/core/Bitmap.h"

#include "imaging/core/LargeBuffer.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <unistd.h>

namespace orvane::imaging {

namespace {

std::atomic<size_t> maxImageBytes{0};

size_t DefaultMaxImageBytes()
{
    // At most half of the machine's memory, and never above 16 GiB: a file
    // claiming more cannot be a picture this machine can show.
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    size_t limit = size_t{16} << 30;
    if (pages > 0 && pageSize > 0) {
        const size_t half = static_cast<size_t>(pages) / 2 * static_cast<size_t>(pageSize);
        if (half < limit)
            limit = half;
    }
    return limit;
}

} // namespace

int BitsPerPixel(TPixelFormat format)
{
    switch (format) {
    case TPixelFormat::pf1bit: return 1;
    case TPixelFormat::pf4bit: return 4;
    case TPixelFormat::pf8bit: return 8;
    case TPixelFormat::pf15bit: return 16;
    case TPixelFormat::pf16bit: return 16;
    case TPixelFormat::pf24bit: return 24;
    case TPixelFormat::pf32bit: return 32;
    default: return 0;
    }
}

size_t CheckedMul(size_t a, size_t b, const char* what)
{
    if (a != 0 && b > std::numeric_limits<size_t>::max() / a)
        throw EInvalidGraphic(what);
    return a * b;
}

void TBitmap::FreeDeleter::operator()(uint8_t* p) const
{
    FreeZeroed(p, bytes);
}

TBitmap::~TBitmap() = default;

const TGraphicClass& TBitmap::ClassInfo()
{
    return PictureClassInfo<TBitmap>("TBitmap");
}

size_t TBitmap::MaxImageBytes()
{
    size_t value = maxImageBytes.load();
    if (value == 0) {
        value = DefaultMaxImageBytes();
        maxImageBytes.store(value);
    }
    return value;
}

void TBitmap::SetMaxImageBytes(size_t bytes)
{
    maxImageBytes.store(bytes);
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == pixelFormat_)
        return;
    pixelFormat_ = format;
    Allocate();
}

void TBitmap::SetSize(int width, int height)
{
    if (width < 0 || height < 0)
        throw EInvalidGraphic(FormatText("Invalid picture size %d x %d", width, height));
    sourceWidth_ = sourceHeight_ = 0; // a new size is the picture's own until a reader says otherwise
    if (width == width_ && height == height_)
        return;
    width_ = width;
    height_ = height;
    Allocate();
}

void TBitmap::Allocate()
{
    // However this ends, the old memory is gone.
    struct Notify {
        TBitmap& bitmap;
        ~Notify()
        {
            if (bitmap.OnPixelsMoved)
                bitmap.OnPixelsMoved();
        }
    } notify{*this};
    pixels_.reset();
    stride_ = 0;
    writtenBegin_ = writtenEnd_ = 0;
    int bits = BitsPerPixel(pixelFormat_);
    if (bits == 0)
        bits = 24; // device and custom formats are held as 24-bit
    if (width_ == 0 || height_ == 0) {
        stride_ = ((static_cast<size_t>(width_) * static_cast<size_t>(bits) + 31) / 32) * 4;
        return;
    }
    const char* tooLarge = "The picture is too large to be shown";
    const size_t rowBits = CheckedMul(static_cast<size_t>(width_), static_cast<size_t>(bits), tooLarge);
    const size_t stride = ((rowBits + 31) / 32) * 4;
    const size_t total = CheckedMul(stride, static_cast<size_t>(height_), tooLarge);
    if (total > MaxImageBytes()) {
        const int w = width_, h = height_;
        width_ = height_ = 0;
        throw EInvalidGraphic(FormatText("The picture is too large to be shown (%d x %d pixels)", w, h));
    }
    uint8_t* memory = AllocateZeroed(total);
    if (!memory) {
        const int w = width_, h = height_;
        width_ = height_ = 0;
        throw EInvalidGraphic(FormatText("Not enough memory for a picture of %d x %d pixels", w, h));
    }
    pixels_ = std::unique_ptr<uint8_t, FreeDeleter>(memory, FreeDeleter{total});
    stride_ = stride;
}

void TBitmap::FreeImage()
{
    pixels_.reset();
    width_ = height_ = 0;
    stride_ = 0;
    writtenBegin_ = writtenEnd_ = 0;
    palette_.clear();
    hasAlpha_ = false;
    sourceWidth_ = sourceHeight_ = 0;
    orientation_ = 1;
    iccProfile_.clear();
    if (OnPixelsMoved)
        OnPixelsMoved();
}

uint8_t* TBitmap::ScanLine(int row)
{
    if (row < 0 || row >= height_ || !pixels_)
        throw EInvalidGraphic("Scan line index out of range");
    MarkRowsWritten(row, row + 1);
    return pixels_.get() + stride_ * static_cast<size_t>(row);
}

const uint8_t* TBitmap::ScanLine(int row) const
{
    if (row < 0 || row >= height_ || !pixels_)
        throw EInvalidGraphic("Scan line index out of range");
    return pixels_.get() + stride_ * static_cast<size_t>(row);
}

void TBitmap::MarkRowsWritten(int begin, int end)
{
    begin = std::max(begin, 0);
    end = std::min(end, height_);
    if (begin >= end)
        return;
    if (writtenBegin_ >= writtenEnd_) {
        writtenBegin_ = begin;
        writtenEnd_ = end;
        return;
    }
    writtenBegin_ = std::min(writtenBegin_, begin);
    writtenEnd_ = std::max(writtenEnd_, end);
}

void TBitmap::Assign(const TBitmap& source)
{
    if (&source == this)
        return;
    FreeImage();
    pixelFormat_ = source.pixelFormat_;
    SetSize(source.width_, source.height_);
    if (pixels_ && source.pixels_) {
        std::memcpy(pixels_.get(), source.pixels_.get(), ImageSize());
        MarkRowsWritten(source.writtenBegin_, source.writtenEnd_);
    }
    palette_ = source.palette_;
    hasAlpha_ = source.hasAlpha_;
    sourceWidth_ = source.sourceWidth_;
    sourceHeight_ = source.sourceHeight_;
    orientation_ = source.orientation_;
    iccProfile_ = source.iccProfile_;
}

void TBitmap::LoadFromStream(TStream&)
{
    throw EInvalidGraphic("Cannot load image. A bare bitmap reads no file format.");
}

void TBitmap::LoadFromFile(const std::string& fileName)
{
    TFileStream stream(fileName);
    LoadFromStream(stream);
}

void TBitmap::Progress(TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& rect,
                       const std::string& message)
{
    if (OnProgress)
        OnProgress(this, stage, percentDone, redrawNow, rect, message);
}

} // namespace orvane::imaging
