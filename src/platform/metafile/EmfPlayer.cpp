#include "platform/metafile/EmfPlayer.h"

#include "platform/metafile/EmfRecords.h"

#include <cmath>

namespace orvane::imaging::metafile {

namespace {

constexpr uint32_t kEmfSignature = 0x464D4520; // " EMF"
constexpr size_t kHeaderSize = 88;

// A record: its type, then its length in bytes.
const RecordFraming kFraming{
    8, 4, EMR_EOF, [](const RecordBytes& head) { return head.U32(0); },
    [](const RecordBytes& head) { return uint64_t(head.U32(4)); }};

// The header record's own length, which is where the records start.
size_t HeaderSize(const uint8_t* data, size_t size)
{
    if (!EmfPlayer::Recognise(data, size))
        InvalidMetafile();
    const size_t headerSize = RecordBytes(data, size).U32(4);
    if (headerSize < kHeaderSize || headerSize % 4 || headerSize > size)
        InvalidMetafile();
    return headerSize;
}

// The reference device in pixels per millimetre, exact in micrometres when
// the header has them.
DeviceResolution ReferenceResolution(const RecordBytes& header, size_t headerSize)
{
    DeviceResolution resolution;
    const double devX = header.I32(72), devY = header.I32(76);
    double mmX = header.I32(80), mmY = header.I32(84);
    if (headerSize >= 108 && header.I32(100) > 0 && header.I32(104) > 0) {
        mmX = header.I32(100) / 1000.0;
        mmY = header.I32(104) / 1000.0;
    }
    if (devX > 0 && devY > 0 && mmX > 0 && mmY > 0) {
        resolution.pixelsPerMmX = devX / mmX;
        resolution.pixelsPerMmY = devY / mmY;
    }
    return resolution;
}

} // namespace

bool EmfPlayer::Recognise(const uint8_t* data, size_t size)
{
    const RecordBytes r(data, size);
    return size >= kHeaderSize && r.U32(0) == EMR_HEADER && r.U32(40) == kEmfSignature;
}

EmfPlayer::EmfPlayer(const uint8_t* data, size_t size)
    : headerSize_(HeaderSize(data, size)), records_(data, size, headerSize_, kFraming)
{
    const RecordBytes header(data, size);
    // Without EMR_EOF the file must hold all the bytes its header claims.
    if (!records_.EndsWithEof() && header.U32(48) > size)
        InvalidMetafile();
    resolution_ = ReferenceResolution(header, headerSize_);
    SetSizeAndDevice(header);
}

// The frame (hundredths of a millimetre) gives the size at 96 dpi and the
// part of the device shown; without a usable frame, the bounds.
void EmfPlayer::SetSizeAndDevice(const RecordBytes& header)
{
    const QRectF frame = RectAt(header, 24);
    const QRectF bounds = RectAt(header, 8);
    if (frame.width() > 0 && frame.height() > 0) {
        natural_ = QSizeF(frame.width() * 96.0 / 2540.0, frame.height() * 96.0 / 2540.0);
        deviceRect_ = QRectF(frame.left() * resolution_.pixelsPerMmX / 100.0,
                             frame.top() * resolution_.pixelsPerMmY / 100.0,
                             frame.width() * resolution_.pixelsPerMmX / 100.0,
                             frame.height() * resolution_.pixelsPerMmY / 100.0);
    } else if (bounds.width() >= 0 && bounds.height() >= 0) {
        natural_ = QSizeF(bounds.width() + 1, bounds.height() + 1);
        deviceRect_ = QRectF(bounds.left(), bounds.top(), bounds.width() + 1, bounds.height() + 1);
    }
    if (!(natural_.width() >= 0.5 && natural_.height() >= 0.5 && deviceRect_.width() > 0 &&
          deviceRect_.height() > 0 && std::isfinite(deviceRect_.width()) && std::isfinite(deviceRect_.height())))
        InvalidMetafile();
}

void EmfPlayer::Play(QImage& target)
{
    const QTransform deviceToPicture = QTransform::fromTranslate(-deviceRect_.left(), -deviceRect_.top()) *
                                       QTransform::fromScale(target.width() / deviceRect_.width(),
                                                             target.height() / deviceRect_.height());
    GdiCanvas canvas(target, deviceToPicture, resolution_, false);
    EmfObjectTable objects;
    EmfPlayback playback{canvas, objects};
    records_.ForEach([&](uint32_t type, const RecordBytes& r) {
        if (canvas.Exhausted())
            return false;
        PlayEmfRecord(playback, type, r);
        return true;
    });
}

} // namespace orvane::imaging::metafile
