#include "imaging/readers/ReaderGraphic.h"

#include "imaging/color/ColorManager.h"

#include <cstdarg>

namespace orvane::imaging {

TReaderGraphic::TReaderGraphic() : colorManager_(std::make_unique<TColorManager>()) {}

TReaderGraphic::~TReaderGraphic() = default;

const TGraphicClass& TReaderGraphic::ClassInfo()
{
    return ReaderClassInfo<TReaderGraphic>("TReaderGraphic");
}

void TReaderGraphic::Assign(const TBitmap& source)
{
    if (const auto* reader = dynamic_cast<const TReaderGraphic*>(&source); reader && reader != this)
        imageProperties_ = reader->imageProperties_;
    TBitmap::Assign(source);
}

bool TReaderGraphic::AcceptsStream(TStream&)
{
    return false;
}

bool TReaderGraphic::AcceptsFile(const TGraphicClass& readerClass, const std::string& fileName)
{
    TFileStream stream(fileName);
    return readerClass.AcceptsStream ? readerClass.AcceptsStream(stream) : false;
}

bool TReaderGraphic::ReadHeader(TStream&, int)
{
    imageProperties_.Clear();
    imageProperties_.FileGamma = 1.0f;
    return false;
}

void TReaderGraphic::GraphicError(const std::string& message)
{
    throw EInvalidGraphic(message);
}

void TReaderGraphic::GraphicErrorFmt(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = FormatTextV(format, args);
    va_end(args);
    throw EInvalidGraphic(text);
}

void TReaderGraphic::SwapShorts(uint16_t* values, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        values[i] = static_cast<uint16_t>((values[i] >> 8) | (values[i] << 8));
}

uint32_t TReaderGraphic::SwapLong(uint32_t value)
{
    return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

void TReaderGraphic::SwapLongs(uint32_t* values, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        values[i] = SwapLong(values[i]);
}

void TReaderGraphic::UndoHorizontalDifferencing(uint8_t* row, size_t count, size_t stride)
{
    if (stride == 0)
        return;
    for (size_t i = stride; i < count; ++i)
        row[i] = static_cast<uint8_t>(row[i] + row[i - stride]);
}

void TReaderGraphic::BeginLoading(TStream& stream)
{
    FreeImage();
    stream_ = &stream;
    basePosition_ = stream.Position();
    progressRect_ = TRect{0, 0, 0, 1};
}

void TReaderGraphic::RequireHeader(TStream& stream, int imageIndex, const char* formatName)
{
    if (!ReadHeader(stream, imageIndex))
        GraphicErrorFmt("Cannot load image. Invalid or unexpected %s image format.", formatName);
}

std::vector<uint8_t> TReaderGraphic::ReadBytes(TStream& stream, size_t count)
{
    if (stream.Remaining() < 0 || static_cast<uint64_t>(stream.Remaining()) < count)
        throw EReadError("Stream read error");
    std::vector<uint8_t> bytes(count);
    stream.ReadBuffer(bytes.data(), count);
    return bytes;
}

size_t PackedRowBytes(size_t width, size_t bitsPerPixel)
{
    const size_t bits = CheckedMul(width, bitsPerPixel, "The picture is too large to be shown");
    return bits / 8 + (bits % 8 != 0);
}

TLoadingProgress::TLoadingProgress(TReaderGraphic& reader) : reader_(reader) {}

TLoadingProgress::~TLoadingProgress()
{
    // Stage 2 also when loading failed; a callback that throws here must not
    // replace the error already on its way.
    try {
        Finish();
    } catch (...) {
    }
}

void TLoadingProgress::Start(const std::string& message)
{
    reader_.ProgressRect() = TRect{0, 0, reader_.Width(), 1};
    open_ = true;
    reader_.Progress(TProgressStage::psStarting, 0, false, reader_.ProgressRect(), message);
}

void TLoadingProgress::Step(const std::string& message)
{
    Finish();
    Start(message);
}

void TLoadingProgress::Row(int64_t row, int64_t rows)
{
    const int64_t value = rows > 0 && row > 0 ? row * 100 / rows : 0;
    const auto percent = static_cast<uint8_t>(value > 100 ? 100 : value);
    TRect& rect = reader_.ProgressRect();
    reader_.Progress(TProgressStage::psRunning, percent, true, rect, "");
    ++rect.Top;
    ++rect.Bottom;
    reader_.SlicePoint();
}

void TLoadingProgress::Finish()
{
    if (!open_)
        return;
    open_ = false;
    reader_.Progress(TProgressStage::psEnding, 100, false, reader_.ProgressRect(), "");
}

} // namespace orvane::imaging
