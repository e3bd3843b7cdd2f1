// The path bracket of the metafile canvas: figures recorded in device
// coordinates, then filled, stroked, widened or made the clip.
#include "platform/metafile/GdiCanvas.h"

#include "platform/metafile/GdiGeometry.h"

#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>

namespace orvane::imaging::metafile {

void GdiCanvas::BeginPath()
{
    inPath_ = true;
    havePath_ = false;
    path_ = QPainterPath();
}

void GdiCanvas::EndPath()
{
    if (inPath_) {
        inPath_ = false;
        havePath_ = true;
    }
}

void GdiCanvas::AbortPath()
{
    inPath_ = false;
    havePath_ = false;
    path_ = QPainterPath();
}

void GdiCanvas::CloseFigure()
{
    if (inPath_ && path_.elementCount() > 0)
        path_.closeSubpath();
}

void GdiCanvas::FillPath()
{
    EndPath();
    if (!havePath_)
        return;
    QPainterPath closed = path_;
    closed.closeSubpath();
    Paint(&closed, nullptr);
    AbortPath();
}

void GdiCanvas::StrokePath()
{
    EndPath();
    if (havePath_)
        Paint(nullptr, &path_);
    AbortPath();
}

void GdiCanvas::StrokeAndFillPath()
{
    EndPath();
    if (havePath_) {
        QPainterPath closed = path_;
        closed.closeSubpath();
        Paint(&closed, &path_);
    }
    AbortPath();
}

void GdiCanvas::WidenPath()
{
    EndPath();
    if (!havePath_ || path_.elementCount() > 100000)
        return;
    const double scale = std::sqrt(std::fabs(LogicalToDevice().determinant()));
    QPainterPathStroker stroker;
    stroker.setWidth(std::clamp(state_.pen.width * scale, 1.0, 65536.0));
    path_ = stroker.createStroke(path_);
}

void GdiCanvas::SelectClipPath(int mode)
{
    EndPath();
    if (havePath_ && path_.elementCount() <= 20000) {
        QPainterPath path = path_;
        path.setFillRule(state_.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
        // Only the part on the picture: regions of very tall polygons fail.
        QPainterPath onPicture;
        onPicture.addRect(QRectF(target_.rect()).adjusted(-1, -1, 1, 1));
        const QPainterPath picturePath = MapPath(path, deviceToPicture_).intersected(onPicture);
        CombineClip(QRegion(picturePath.toFillPolygon().toPolygon(), path.fillRule()), mode);
    }
    AbortPath();
}

} // namespace orvane::imaging::metafile
