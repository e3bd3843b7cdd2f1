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

// ---- The font ------------------------------------------------------------------

QString FaceName(const GdiFont& logical)
{
    return logical.faceName.isEmpty() ? QStringLiteral("Sans Serif") : logical.faceName;
}

// The height asked for in picture pixels; none when the text would be too
// small to see. Height 0 asks for the default size: 16 pixels of the device.
std::optional<double> RequestedPixels(const GdiFont& logical, double scale, double deviceScale)
{
    const double pixels = logical.height == 0 ? 16.0 * deviceScale : std::fabs(double(logical.height)) * scale;
    if (!std::isfinite(pixels) || pixels < 0.5)
        return std::nullopt;
    return pixels;
}

// A negative height is the characters' height, a positive one their cell
// (ascent + descent), for which the font is scaled by what it measures.
void SetPixelSize(QFont& font, const GdiFont& logical, double pixels, double largest)
{
    pixels = std::min(pixels, largest);
    font.setPixelSize(std::max(1, int(std::lround(pixels))));
    if (logical.height > 0) {
        const double cell = QFontMetricsF(font).height();
        if (cell > 0)
            font.setPixelSize(std::max(1, int(std::lround(std::min(pixels * pixels / cell, largest)))));
    }
}

QFont::Weight Weight(const GdiFont& logical)
{
    return QFont::Weight(std::clamp(logical.weight == 0 ? 400 : logical.weight, 1, 1000));
}

// The logical font at the given size in picture pixels per logical unit
// (per device pixel for the default height), at most largest pixels high.
std::optional<QFont> PictureFont(const GdiFont& logical, double scale, double deviceScale, double largest)
{
    QFont font(FaceName(logical));
    const std::optional<double> pixels = RequestedPixels(logical, scale, deviceScale);
    if (!pixels)
        return std::nullopt;
    SetPixelSize(font, logical, *pixels, largest);
    font.setWeight(Weight(logical));
    font.setItalic(logical.italic);
    font.setUnderline(logical.underline);
    font.setStrikeOut(logical.strikeOut);
    return font;
}

// ---- The characters' places -------------------------------------------------------

// Where each character starts along the baseline, in picture pixels, and
// last where the text ends: dx gives logical advances, else the font's.
std::vector<double> CharacterStarts(const QString& text, const std::vector<double>& dx, const QFontMetricsF& metrics,
                                    double sx, double extra)
{
    const qsizetype n = text.size();
    std::vector<double> starts(size_t(n) + 1, 0.0);
    for (qsizetype i = 0; i < n; ++i) {
        const double advance = size_t(i) < dx.size() ? dx[size_t(i)] * sx
                                                     : metrics.horizontalAdvance(text.at(i)) + extra;
        starts[size_t(i) + 1] = starts[size_t(i)] + (std::isfinite(advance) ? std::clamp(advance, -1e6, 1e6) : 0.0);
    }
    return starts;
}

// The start of the baseline from the reference point, for the alignment.
QPointF AlignedOrigin(uint32_t textAlign, double width, const QFontMetricsF& metrics)
{
    double x = 0, y = 0;
    switch (textAlign & TA_HORIZONTAL_MASK) {
    case TA_RIGHT: x = -width; break;
    case TA_CENTER: x = -width / 2; break;
    default: break;
    }
    switch (textAlign & TA_VERTICAL_MASK) {
    case TA_BASELINE: break;
    case TA_BOTTOM: y = -metrics.descent(); break;
    default: y = metrics.ascent(); break; // TA_TOP
    }
    return QPointF(x, y);
}

// At the anchor, turned by the escapement (tenths of a degree,
// counterclockwise).
QTransform Orientation(QPointF anchor, int32_t escapement)
{
    QTransform place;
    place.translate(anchor.x(), anchor.y());
    place.rotate(-double(escapement) / 10.0);
    return place;
}

QPainterPath RectPath(const QRectF& rect, const QTransform& toPicture)
{
    QPainterPath box;
    box.addRect(rect.normalized());
    return MapPath(box, toPicture);
}

} // namespace

struct GdiCanvas::TextLayout {
    QFont font;
    double sx; // picture pixels per logical unit along the text
    double extra; // the spacing added to each character
    bool eachCharacter; // drawn one by one at their starts, else as one run
    std::vector<double> starts;
    double width;
    QPointF origin; // where the baseline starts, in placed coordinates
    QRectF cell; // the text's cell, in placed coordinates
    QTransform place; // placed coordinates -> picture
};

std::optional<GdiCanvas::TextLayout> GdiCanvas::LayOutText(const QString& text, const std::vector<double>& dx,
                                                           const QTransform& toPicture, QPointF anchorLogical) const
{
    const QPointF anchor = ClampPoint(toPicture.map(anchorLogical));
    const double sx = std::hypot(toPicture.m11(), toPicture.m12());
    const double sy = std::hypot(toPicture.m21(), toPicture.m22());
    const double largest = std::min(2.0 * std::max(target_.width(), target_.height()) + 16, 8192.0);
    const double deviceScale = std::sqrt(std::fabs(deviceToPicture_.determinant()));
    const std::optional<QFont> font = PictureFont(state_.font, sy, deviceScale, largest);
    if (!font || !std::isfinite(sx))
        return std::nullopt;
    const QFontMetricsF metrics(*font);
    TextLayout layout{*font, sx, state_.textCharExtra * sx, false, {}, 0, {}, {}, {}};
    layout.eachCharacter = !dx.empty() || layout.extra != 0;
    layout.starts = CharacterStarts(text, dx, metrics, sx, layout.extra);
    layout.width = dx.empty() ? metrics.horizontalAdvance(text) + layout.extra * double(text.size())
                              : layout.starts.back();
    layout.origin = AlignedOrigin(state_.textAlign, layout.width, metrics);
    layout.cell = QRectF(layout.origin.x(), layout.origin.y() - metrics.ascent(), layout.width,
                         metrics.ascent() + metrics.descent());
    layout.place = Orientation(anchor, state_.font.escapement);
    return layout;
}

void GdiCanvas::FillTextBox(const QRectF& rect, const QTransform& toPicture)
{
    const QPainterPath box = RectPath(rect, toPicture);
    if (Charge(box.controlPointRect(), 0))
        painter_.fillPath(box, state_.bkColor);
}

void GdiCanvas::DrawLaidOutText(const TextLayout& layout, const QString& text, uint32_t options, const QRectF* rect,
                                const QTransform& toPicture)
{
    painter_.save();
    if (rect && (options & ETO_CLIPPED))
        painter_.setClipPath(RectPath(*rect, toPicture), state_.clip ? Qt::IntersectClip : Qt::ReplaceClip);
    painter_.setTransform(layout.place);
    if (state_.bkMode == OPAQUE && !(rect && (options & ETO_OPAQUE)))
        painter_.fillRect(layout.cell, state_.bkColor);
    painter_.setFont(layout.font);
    painter_.setPen(state_.textColor);
    const double x = layout.origin.x(), y = layout.origin.y();
    if (!layout.eachCharacter) {
        painter_.drawText(QPointF(x, y), text);
    } else {
        const qsizetype n = text.size();
        for (qsizetype i = 0; i < n; ++i) {
            // A surrogate pair is one character drawn at the first position.
            const bool pair = text.at(i).isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate();
            painter_.drawText(QPointF(x + layout.starts[size_t(i)], y), text.mid(i, pair ? 2 : 1));
            if (pair)
                ++i;
        }
    }
    painter_.restore();
}

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
    if (rect && (options & ETO_OPAQUE))
        FillTextBox(*rect, toPicture);
    // Fonts need the application's font database.
    if (text.isEmpty() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    if (!ChargeWork(double(text.size()) * 16))
        return;

    const bool updateCp = state_.textAlign & TA_UPDATECP;
    const QPointF anchorLogical = updateCp ? state_.current : reference;
    const std::optional<TextLayout> layout = LayOutText(text, dx, toPicture, anchorLogical);
    if (!layout || !Charge(layout->place.mapRect(layout->cell), 0))
        return;
    DrawLaidOutText(*layout, text, options, rect, toPicture);
    clipDirty_ = true;

    // The current position moves on by the text's advance, in logical units.
    if (updateCp && layout->sx > 0) {
        const QTransform inverse = toPicture.inverted();
        const QPointF end = layout->place.map(QPointF(layout->origin.x() + layout->width, 0));
        const QPointF start = layout->place.map(QPointF(layout->origin.x(), 0));
        state_.current = anchorLogical + (inverse.map(end) - inverse.map(start));
    }
}

} // namespace orvane::imaging::metafile
