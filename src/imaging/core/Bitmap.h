#pragma once
// Our device-independent bitmap: 1, 4, 8, 15, 24 and 32 bits per pixel,
// palettes for 1, 4 and 8, top-down scan lines padded to 4 bytes. Every
// picture class is a bitmap: loading a file fills its pixels, and the viewer
// draws it like any bitmap.
//
// Pixel layouts: 1 and 4 bits are packed most significant bits first; 15 bits
// is a little-endian 16-bit word 0RRRRRGGGGGBBBBB; 24 bits is blue, green,
// red; 32 bits is blue, green, red, alpha.
#include "imaging/core/Errors.h"
#include "imaging/core/Stream.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orvane::imaging {

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

int BitsPerPixel(TPixelFormat format); // 0 for pfDevice and pfCustom

struct TRGBQuad {
    uint8_t rgbBlue = 0;
    uint8_t rgbGreen = 0;
    uint8_t rgbRed = 0;
    uint8_t rgbReserved = 0;
    bool operator==(const TRGBQuad&) const = default;
};

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    bool operator==(const TRect&) const = default;
};

enum class TProgressStage : uint8_t { psStarting = 0, psRunning = 1, psEnding = 2 };

class TBitmap;
class TAnimation;
using TProgressEvent = std::function<void(TBitmap* sender, TProgressStage stage, uint8_t percentDone,
                                          bool redrawNow, const TRect& rect, const std::string& message)>;

// A picture class: what the picture loader creates for an extension.
struct TGraphicClass {
    const char* ClassName;
    std::unique_ptr<TBitmap> (*Create)();
    // Class-level format check (readers only); nullptr answers false.
    bool (*AcceptsStream)(TStream& stream) = nullptr;
};

class TBitmap {
public:
    TBitmap() = default;
    virtual ~TBitmap();
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    static const TGraphicClass& ClassInfo();
    virtual const TGraphicClass& GraphicClass() const { return ClassInfo(); }

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    TPixelFormat PixelFormat() const { return pixelFormat_; }
    int BytesPerLine() const { return static_cast<int>(stride_); }

    // Changing the format or the size reallocates the pixels (their content
    // is then zero). A size whose pixels cannot be held raises EInvalidGraphic
    // before anything is allocated.
    void SetPixelFormat(TPixelFormat format);
    void SetWidth(int width) { SetSize(width, height_); }
    void SetHeight(int height) { SetSize(width_, height); }
    void SetSize(int width, int height);

    // Release the current image: size 0 x 0, no palette; the format stays.
    void FreeImage();

    // A row handed out for writing counts as written (see WrittenRowsBegin).
    uint8_t* ScanLine(int row);
    const uint8_t* ScanLine(int row) const;
    // All of the pixel memory, every row counted as written.
    uint8_t* Bits()
    {
        MarkRowsWritten(0, height_);
        return pixels_.get();
    }
    const uint8_t* Bits() const { return pixels_.get(); }
    // The pixel memory without counting anything as written: for a reader
    // that marks what it writes (MarkRowsWritten) or leaves it zero again.
    uint8_t* RawBits() { return pixels_.get(); }

    // Rows outside [WrittenRowsBegin, WrittenRowsEnd) have not been handed
    // out for writing since the pixels were allocated, so they hold zero
    // bytes: a file claiming far more rows than its data reaches costs the
    // viewer only the rows its data wrote. Empty (begin == end) when nothing
    // was written.
    int WrittenRowsBegin() const { return writtenBegin_; }
    int WrittenRowsEnd() const { return writtenEnd_; }
    void MarkRowsWritten(int begin, int end);
    size_t ImageSize() const { return stride_ * static_cast<size_t>(height_); }

    std::vector<TRGBQuad>& Palette() { return palette_; }
    const std::vector<TRGBQuad>& Palette() const { return palette_; }
    void SetPalette(std::vector<TRGBQuad> palette) { palette_ = std::move(palette); }

    // 32-bit bitmaps whose fourth byte is alpha rather than padding.
    bool HasAlpha() const { return hasAlpha_; }
    void SetHasAlpha(bool value) { hasAlpha_ = value; }

    // Copies size, format, palette and pixels of another bitmap.
    virtual void Assign(const TBitmap& source);

    // Loading: each picture class reads its own format. The bare bitmap
    // reads none and raises EInvalidGraphic.
    virtual void LoadFromStream(TStream& stream);
    virtual void LoadFromFile(const std::string& fileName);

    TProgressEvent OnProgress;
    // Called whenever the pixel memory is given up or replaced (a new size
    // or format, FreeImage): whoever shows the picture while it loads learns
    // that its rows moved.
    std::function<void()> OnPixelsMoved;
    void Progress(TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& rect,
                  const std::string& message);
    // Called by readers between rows, more often than Progress: a picture
    // decoded in slices (ahead of being shown) may pause there.
    std::function<void()> OnSlicePoint;
    void SlicePoint()
    {
        if (OnSlicePoint)
            OnSlicePoint();
    }

    // The size the picture will be seen at (the viewing area). Pictures
    // that can decode at a reduced scale (JPEG) then decode at the smallest
    // scale whose result still covers the picture fitted into this size;
    // 0 x 0 (the default) asks for the full size.
    void SetDecodeCover(int width, int height)
    {
        coverWidth_ = width;
        coverHeight_ = height;
    }
    int DecodeCoverWidth() const { return coverWidth_; }
    int DecodeCoverHeight() const { return coverHeight_; }
    // The picture's size in its file: what everything that reports the
    // picture's size reports. It differs from Width and Height only for a
    // picture decoded at a reduced scale.
    int SourceWidth() const { return sourceWidth_ > 0 ? sourceWidth_ : width_; }
    int SourceHeight() const { return sourceHeight_ > 0 ? sourceHeight_ : height_; }
    bool Reduced() const { return SourceWidth() != width_ || SourceHeight() != height_; }

    // How the stored rows are to be turned to stand upright, as the EXIF
    // orientation tag says it: 1 as stored (the default), 2 mirrored, 3 turned
    // half round, 4 flipped, 5 to 8 with width and height exchanged (6 turned
    // a quarter clockwise, 8 a quarter anticlockwise). The pixels stay as
    // stored; whoever shows or writes the picture turns it.
    int Orientation() const { return orientation_; }
    void SetOrientation(int orientation) { orientation_ = orientation >= 1 && orientation <= 8 ? orientation : 1; }

    // The ICC colour profile the file gave its pixels (empty: sRGB, or none
    // given). The pixels stay as decoded; whoever shows the picture converts.
    const std::vector<uint8_t>& IccProfile() const { return iccProfile_; }
    void SetIccProfile(std::vector<uint8_t> profile) { iccProfile_ = std::move(profile); }

    // Pictures of several frames shown in turn (animated GIF and WebP) hand
    // out their animation; the bitmap holds the frame now shown. nullptr
    // for a picture of one frame.
    virtual TAnimation* Animation() { return nullptr; }

    // Largest pixel buffer any bitmap may allocate. Tests lower it.
    static size_t MaxImageBytes();
    static void SetMaxImageBytes(size_t bytes);

protected:
    // Readers that decoded at a reduced scale record the file's size.
    void SetSourceSize(int width, int height)
    {
        sourceWidth_ = width;
        sourceHeight_ = height;
    }

private:
    void Allocate();

    int coverWidth_ = 0;
    int coverHeight_ = 0;
    int sourceWidth_ = 0;
    int sourceHeight_ = 0;
    int orientation_ = 1;
    std::vector<uint8_t> iccProfile_;

    int width_ = 0;
    int height_ = 0;
    TPixelFormat pixelFormat_ = TPixelFormat::pf24bit;
    size_t stride_ = 0;
    struct FreeDeleter {
        FreeDeleter() noexcept : bytes(0) {}
        explicit FreeDeleter(size_t size) noexcept : bytes(size) {}
        size_t bytes;
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t, FreeDeleter> pixels_;
    int writtenBegin_ = 0;
    int writtenEnd_ = 0;
    std::vector<TRGBQuad> palette_;
    bool hasAlpha_ = false;
};

// The picture class record of a bitmap class without a format check of its
// own (readers use ReaderClassInfo).
template <class Picture>
const TGraphicClass& PictureClassInfo(const char* className)
{
    static const TGraphicClass info{className, [] { return std::unique_ptr<TBitmap>(new Picture); }, nullptr};
    return info;
}

// Checked size arithmetic for readers: throws EInvalidGraphic with the
// message when the product overflows size_t.
size_t CheckedMul(size_t a, size_t b, const char* what);

} // namespace orvane::imaging
