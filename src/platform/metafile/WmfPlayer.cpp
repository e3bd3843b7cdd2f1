#include "platform/metafile/WmfPlayer.h"

#include "platform/metafile/WmfRecords.h"

#include <cmath>
#include <optional>

namespace orvane::imaging::metafile {

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableSize = 22;
constexpr size_t kHeaderSize = 18;

// The 18-byte header: memory (1) or disk (2) metafile, nine words long.
bool HeaderAt(const RecordBytes& r, size_t at)
{
    const uint16_t type = r.U16(at);
    return r.Has(at, kHeaderSize) && (type == 1 || type == 2) && r.U16(at + 2) == 9;
}

// A record: its length in 16-bit words, then its function.
const RecordFraming kFraming{
    6, 2, META_EOF, [](const RecordBytes& head) -> uint32_t { return head.U16(4); },
    [](const RecordBytes& head) { return uint64_t(head.U32(0)) * 2; }};

size_t HeaderStart(const uint8_t* data, size_t size)
{
    if (!WmfPlayer::Recognise(data, size))
        InvalidMetafile();
    return RecordBytes(data, size).U32(0) == kPlaceableKey ? kPlaceableSize : 0;
}

} // namespace

bool WmfPlayer::Recognise(const uint8_t* data, size_t size)
{
    const RecordBytes r(data, size);
    if (r.U32(0) == kPlaceableKey)
        return HeaderAt(r, kPlaceableSize);
    return HeaderAt(r, 0);
}

WmfPlayer::WmfPlayer(const uint8_t* data, size_t size)
    : header_(HeaderStart(data, size)), records_(data, size, header_ + kHeaderSize, kFraming)
{
    const RecordBytes file(data, size);
    const uint16_t objects = file.U16(header_ + 10);
    objectLimit_ = objects != 0 ? objects : 65535;
    // Without META_EOF the file must hold all the words its header claims.
    if (!records_.EndsWithEof() && uint64_t(file.U32(header_ + 6)) * 2 > size - header_)
        InvalidMetafile();
    SetSizeAndWindow(file, header_ != 0);
}

// The size: the placeable header's box in its units per inch, shown at
// 96 dpi; else the window the first records set, its extent taken as pixels.
void WmfPlayer::SetSizeAndWindow(const RecordBytes& file, bool placeable)
{
    std::optional<QPointF> windowExt, windowOrg;
    records_.ForEach([&](uint32_t function, const RecordBytes& r) {
        if (function == META_SETWINDOWEXT && !windowExt && r.Has(6, 4))
            windowExt = ReversedPoint(r, 0);
        if (function == META_SETWINDOWORG && !windowOrg && r.Has(6, 4))
            windowOrg = ReversedPoint(r, 0);
        return true;
    });
    const QRectF box(QPointF(file.I16(6), file.I16(8)), QPointF(file.I16(10), file.I16(12)));
    const uint16_t inch = file.U16(14);
    if (placeable && inch != 0 && box.width() != 0 && box.height() != 0) {
        natural_ = QSizeF(std::fabs(box.width()) * 96.0 / inch, std::fabs(box.height()) * 96.0 / inch);
        windowOrg_ = box.topLeft();
        windowExt_ = QPointF(box.width(), box.height());
    } else if (windowExt && windowExt->x() != 0 && windowExt->y() != 0) {
        natural_ = QSizeF(std::fabs(windowExt->x()), std::fabs(windowExt->y()));
        windowOrg_ = windowOrg.value_or(QPointF(0, 0));
        windowExt_ = *windowExt;
    } else {
        InvalidMetafile();
    }
    if (natural_.width() < 0.5 || natural_.height() < 0.5)
        InvalidMetafile();
}

void WmfPlayer::Play(QImage& target)
{
    GdiCanvas canvas(target, QTransform(), DeviceResolution{}, true);
    canvas.SetWindowOrg(windowOrg_);
    canvas.SetWindowExt(windowExt_);
    WmfObjectTable objects(objectLimit_);
    WmfPlayback playback{canvas, objects};
    records_.ForEach([&](uint32_t function, const RecordBytes& r) {
        if (canvas.Exhausted())
            return false;
        PlayWmfRecord(playback, uint16_t(function), r);
        return true;
    });
}

} // namespace orvane::imaging::metafile
