#pragma once
// The common base of our own format readers. A reader is a bitmap: loading a
// file fills its pixels, format and palette. Besides the bitmap it holds the
// colour manager that turns stored samples into scan lines, the properties
// its header gave, and the state of the progress notification.
//
// Shape of a reader's LoadFromStream:
//
//     void TFooGraphic::LoadFromStream(TStream& stream)
//     {
//         BeginLoading(stream);                 // free image, base position
//         TLoadingProgress progress(*this);     // stage 2 however we leave
//         RequireHeader(stream, 0, "Foo");      // ReadHeader or the error
//         progress.Start("Preparing...");
//         ColorManager().Configure({...});   // source and target
//         ... SetPixelFormat, palette, SetSize ...
//         progress.Step("Transfering...");
//         for (int row = 0; row < Height(); ++row) {
//             ... convert into ScanLine(row) ...
//             progress.Row(row, Height());
//         }
//     }
//
// Class-level operations are static: each reader declares
// `static bool AcceptsStream(TStream&)` and returns ReaderClassInfo<T>(...)
// from its ClassInfo().
#include "imaging/core/Bitmap.h"
#include "imaging/core/ImageProperties.h"
#include "imaging/core/Stream.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvane::imaging {

class TColorManager;

class TReaderGraphic : public TBitmap {
public:
    TReaderGraphic();
    ~TReaderGraphic() override;

    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    // Copies the image properties first when the source is a reader too.
    void Assign(const TBitmap& source) override;

    // Class level. The frame itself recognises nothing.
    static bool AcceptsStream(TStream& stream);
    // Opens the file, asks the class's AcceptsStream and closes it again. A
    // class without a check answers false.
    static bool AcceptsFile(const TGraphicClass& readerClass, const std::string& fileName);

    // Fills the image properties from the header of image `imageIndex`
    // without decoding pixels. Readers call this frame step first: it clears
    // the properties and sets the file gamma to 1.0. True only when the
    // reader recognised its format; the frame's own answer is false.
    virtual bool ReadHeader(TStream& stream, int imageIndex);

    TColorManager& ColorManager() { return *colorManager_; }
    TImageProperties& ImageProperties() { return imageProperties_; }
    const TImageProperties& ImageProperties() const { return imageProperties_; }
    int64_t BasePosition() const { return basePosition_; }
    TRect& ProgressRect() { return progressRect_; }

    // Shared routines.
    [[noreturn]] static void GraphicError(const std::string& message);
    [[noreturn]] static void GraphicErrorFmt(const char* format, ...) __attribute__((format(printf, 1, 2)));
    static void SwapShorts(uint16_t* values, size_t count);
    static void SwapLongs(uint32_t* values, size_t count);
    static uint32_t SwapLong(uint32_t value);
    // Undoes horizontal differencing in place: each byte becomes itself plus
    // the byte `stride` places to its left (stride 1, 3 or 4 in practice).
    static void UndoHorizontalDifferencing(uint8_t* row, size_t count, size_t stride);

protected:
    // Loading steps 1 and 2: release the image, remember the stream and its
    // position as the base position.
    void BeginLoading(TStream& stream);
    // Loading step 3: ReadHeader, or "Cannot load image. Invalid or
    // unexpected %s image format." with the format name.
    void RequireHeader(TStream& stream, int imageIndex, const char* formatName);
    // The stream being loaded; valid only during LoadFromStream.
    TStream& Stream() { return *stream_; }

    // Reads exactly count bytes from the stream into a new buffer. A count
    // beyond what the stream still holds raises "Stream read error" before
    // anything is allocated.
    static std::vector<uint8_t> ReadBytes(TStream& stream, size_t count);

private:
    std::unique_ptr<TColorManager> colorManager_;
    TImageProperties imageProperties_;
    int64_t basePosition_ = 0;
    TStream* stream_ = nullptr;
    TRect progressRect_;
};

// The progress notification sequence of one load. Stage 2 is sent when the
// object goes, whether loading ended normally or by an error.
class TLoadingProgress {
public:
    explicit TLoadingProgress(TReaderGraphic& reader);
    ~TLoadingProgress();
    TLoadingProgress(const TLoadingProgress&) = delete;
    TLoadingProgress& operator=(const TLoadingProgress&) = delete;

    // Stage 0, 0 %, no redraw. The progress rectangle becomes (0, 0, width, 1)
    // for the bitmap's current width.
    void Start(const std::string& message);
    // Ends the step before (stage 2) and starts the next (stage 0).
    void Step(const std::string& message);
    // Stage 1 with row * 100 / rows, redraw, empty message; then the
    // rectangle moves down one row.
    void Row(int64_t row, int64_t rows);
    // Sends stage 2 now instead of at destruction.
    void Finish();

private:
    TReaderGraphic& reader_;
    bool open_ = false;
};

// Restores a stream's position when it goes (for AcceptsStream checks).
class TStreamPositionGuard {
public:
    explicit TStreamPositionGuard(TStream& stream) : stream_(stream), position_(stream.Position()) {}
    ~TStreamPositionGuard() { stream_.SetPosition(position_); }
    TStreamPositionGuard(const TStreamPositionGuard&) = delete;
    TStreamPositionGuard& operator=(const TStreamPositionGuard&) = delete;

private:
    TStream& stream_;
    int64_t position_;
};

// The class-level check of a reader whose signature lies in its first bytes:
// more than moreThan bytes must be left, and test looks at the first Count
// of them. The position is kept.
template <size_t Count, class Test>
bool AcceptsLeadingBytes(TStream& stream, int64_t moreThan, Test test)
{
    TStreamPositionGuard guard(stream);
    if (stream.Remaining() <= moreThan)
        return false;
    uint8_t bytes[Count];
    stream.ReadBuffer(bytes, Count);
    return test(static_cast<const uint8_t*>(bytes));
}

// The picture class record of a reader.
template <class Reader>
const TGraphicClass& ReaderClassInfo(const char* className)
{
    static const TGraphicClass info{className, [] { return std::unique_ptr<TBitmap>(new Reader); },
                                    &Reader::AcceptsStream};
    return info;
}

// Little- and big-endian values from bytes in memory.
inline uint16_t GetLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint16_t GetBE16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline uint32_t GetLE32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline uint32_t GetBE32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// Bytes of a row of `width` pixels at `bitsPerPixel`, rounded up to whole
// bytes; raises EInvalidGraphic when it does not fit.
size_t PackedRowBytes(size_t width, size_t bitsPerPixel);

} // namespace orvane::imaging
