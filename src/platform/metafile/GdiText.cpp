// Text output of the metafile canvas.
#include "platform/metafile/GdiCanvas.h"

#include "platform/metafile/GdiGeometry.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>

namespace orvane::imaging::metafile {

namespace {

// Longer texts are cut: no line of a drawing holds more.
constexpr qsizetype kMaxTextLength = 8192;

// A font of the logical font at the given size in picture pixels per
// logical unit (per device pixel for the default height); no font when the
// text would be too small to see.
std::optional<QFont> PictureFont(const GdiFont& logical, double scale, double deviceScale, double largest)
{
    QFont font(logical.faceName.isEmpty() ? QStringLiteral("Sans Serif") : logical.faceName);
    // Height 0 asks for the default size: 16 pixels of the device.
    double pixels = logical.height == 0 ? 16.0 * deviceScale : std::fabs(double(logical.height)) * scale;
    if (!std::isfinite(pixels) || pixels < 0.5)
        return std::nullopt;
    pixels = std::min(pixels, largest);
    font.setPixelSize(std::max(1, int(std::lround(pixels))));
    if (logical.height > 0) {
        // A positive height is the character cell (ascent + descent).
        const double cell = QFontMetricsF(font).height();
        if (cell > 0)
            font.setPixelSize(std::max(1, int(std::lround(std::min(pixels * pixels / cell, largest)))));
    }
    font.setWeight(QFont::Weight(std::clamp(logical.weight == 0 ? 400 : logical.weight, 1, 1000)));
    font.setItalic(logical.italic);
    font.setUnderline(logical.underline);
    font.setStrikeOut(logical.strikeOut);
    return font;
}

} // namespace

void GdiCanvas::TextOut(QPointF reference, const QString& text, const std::vector<double>& dx, uint32_t options,
                        const QRectF* rect)
{
    if (text.size() > kMaxTextLength) {
        TextOut(reference, text.left(kMaxTextLength),
                std::vector<double>(dx.begin(), dx.begin() + std::min<size_t>(dx.size(), kMaxTextLength)), options,
                rect);
        return;
    }
    if (Exhausted())
        return;
    UpdateClip();
    painter_.resetTransform();
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QTransform toPicture = LogicalToPicture();
    if (rect && (options & ETO_OPAQUE)) {
        QPainterPath box;
        box.addRect(rect->normalized());
        const QPainterPath mapped = MapPath(box, toPicture);
        if (Charge(mapped.controlPointRect(), 0))
            painter_.fillPath(mapped, state_.bkColor);
    }
    // Fonts need the application's font database.
    if (text.isEmpty() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    if (!ChargeWork(double(text.size()) * 16))
        return;

    const bool updateCp = state_.textAlign & TA_UPDATECP;
    const QPointF anchorLogical = updateCp ? state_.current : reference;
    const QPointF anchor = ClampPoint(toPicture.map(anchorLogical));
    const double sx = std::hypot(toPicture.m11(), toPicture.m12());
    const double sy = std::hypot(toPicture.m21(), toPicture.m22());
    const double largest = std::min(2.0 * std::max(target_.width(), target_.height()) + 16, 8192.0);
    const double deviceScale = std::sqrt(std::fabs(deviceToPicture_.determinant()));
    const std::optional<QFont> font = PictureFont(state_.font, sy, deviceScale, largest);
    if (!font || !std::isfinite(sx))
        return;
    const QFontMetricsF metrics(*font);

    // Where each character starts along the baseline, in picture pixels.
    const qsizetype n = text.size();
    std::vector<double> starts(size_t(n) + 1, 0.0);
    const double extra = state_.textCharExtra * sx;
    for (qsizetype i = 0; i < n; ++i) {
        const double advance = size_t(i) < dx.size() ? dx[size_t(i)] * sx
                                                     : metrics.horizontalAdvance(text.at(i)) + extra;
        starts[size_t(i) + 1] = starts[size_t(i)] + (std::isfinite(advance) ? std::clamp(advance, -1e6, 1e6) : 0.0);
    }
    const double width = dx.empty() ? metrics.horizontalAdvance(text) + extra * double(n) : starts.back();

    double x = 0, y = 0;
    switch (state_.textAlign & TA_HORIZONTAL_MASK) {
    case TA_RIGHT: x = -width; break;
    case TA_CENTER: x = -width / 2; break;
    default: break;
    }
    switch (state_.textAlign & TA_VERTICAL_MASK) {
    case TA_BASELINE: break;
    case TA_BOTTOM: y = -metrics.descent(); break;
    default: y = metrics.ascent(); break; // TA_TOP
    }
    const QRectF cell(x, y - metrics.ascent(), width, metrics.ascent() + metrics.descent());
    const double angle = -double(state_.font.escapement) / 10.0;
    QTransform place;
    place.translate(anchor.x(), anchor.y());
    place.rotate(angle);
    if (!Charge(place.mapRect(cell), 0))
        return;

    painter_.save();
    if (rect && (options & ETO_CLIPPED)) {
        QPainterPath box;
        box.addRect(rect->normalized());
        painter_.setClipPath(MapPath(box, toPicture), state_.clip ? Qt::IntersectClip : Qt::ReplaceClip);
    }
    painter_.setTransform(place);
    if (state_.bkMode == OPAQUE && !(rect && (options & ETO_OPAQUE)))
        painter_.fillRect(cell, state_.bkColor);
    painter_.setFont(*font);
    painter_.setPen(state_.textColor);
    if (dx.empty() && extra == 0) {
        painter_.drawText(QPointF(x, y), text);
    } else {
        for (qsizetype i = 0; i < n; ++i) {
            // A surrogate pair is one character drawn at the first position.
            const bool pair = text.at(i).isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate();
            painter_.drawText(QPointF(x + starts[size_t(i)], y), text.mid(i, pair ? 2 : 1));
            if (pair)
                ++i;
        }
    }
    painter_.restore();
    clipDirty_ = true;

    if (updateCp && sx > 0) {
        const QTransform inverse = toPicture.inverted();
        const QPointF end = place.map(QPointF(x + width, 0));
        const QPointF start = place.map(QPointF(x, 0));
        state_.current = anchorLogical + (inverse.map(end) - inverse.map(start));
    }
}

} // namespace orvane::imaging::metafile
