#pragma once
// The device context a metafile plays into: mapping modes, window and
// viewport, world transform, selected objects, colours and modes, clipping,
// paths and the saved-state stack, drawing with QPainter onto our picture.
//
// Coordinates go logical -> (world transform) -> page -> (window/viewport)
// -> device -> picture. The device is the metafile's reference device (an
// enhanced metafile) or the picture itself (a Windows metafile); the last
// step scales the device onto the picture. Drawing follows the device's
// pixel rules: fills cover [left, right) x [top, bottom), one-pixel lines
// leave out their last pixel, a rectangle's outline lies on its inside.
#include "platform/metafile/GdiObjects.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRegion>
#include <QTransform>

#include <cstdint>
#include <optional>
#include <vector>

namespace orvane::imaging::metafile {

enum : int {
    MM_TEXT = 1, MM_LOMETRIC = 2, MM_HIMETRIC = 3, MM_LOENGLISH = 4, MM_HIENGLISH = 5, MM_TWIPS = 6,
    MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8,
};
enum : int { TRANSPARENT = 1, OPAQUE = 2 };
enum : int { ALTERNATE = 1, WINDING = 2 };
enum : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
enum : uint32_t {
    TA_UPDATECP = 1, TA_RIGHT = 2, TA_CENTER = 6, TA_HORIZONTAL_MASK = 6,
    TA_BOTTOM = 8, TA_BASELINE = 24, TA_VERTICAL_MASK = 24,
};
enum : uint32_t { ETO_OPAQUE = 0x2, ETO_CLIPPED = 0x4 };
enum : int { AD_COUNTERCLOCKWISE = 1, AD_CLOCKWISE = 2 };

// The reference device of an enhanced metafile: pixels per millimetre.
struct DeviceResolution {
    double pixelsPerMmX = 96.0 / 25.4;
    double pixelsPerMmY = 96.0 / 25.4;
};

struct DcState {
    int mapMode = MM_TEXT;
    QPointF windowOrg{0, 0};
    QPointF windowExt{1, 1};
    QPointF viewportOrg{0, 0};
    QPointF viewportExt{1, 1};
    QTransform world;
    GdiPen pen;
    GdiBrush brush;
    GdiFont font;
    QColor textColor = Qt::black;
    QColor bkColor = Qt::white;
    int bkMode = OPAQUE;
    uint32_t textAlign = 0;
    int polyFillMode = ALTERNATE;
    int rop2 = 13; // R2_COPYPEN
    int arcDirection = AD_COUNTERCLOCKWISE;
    QPointF current{0, 0}; // logical
    std::optional<QRegion> clip; // picture pixels; none = everything
    int textCharExtra = 0;
};

class GdiCanvas {
public:
    // target: the picture, already cleared. deviceToPicture: the last step
    // of the mapping. fixedViewport: the viewport is the picture and the
    // mapping mode is always anisotropic (Windows metafiles).
    GdiCanvas(QImage& target, const QTransform& deviceToPicture, DeviceResolution resolution, bool fixedViewport);
    ~GdiCanvas();

    DcState& State() { return state_; }
    // True once the drawing work allowed for one picture is used up; the
    // players stop then and keep what was drawn.
    bool Exhausted() const { return spent_ > budget_; }
    // Counts work done outside drawing (decoding embedded bitmaps); false
    // once the budget is used up.
    bool ChargeWork(double amount);

    // Mapping.
    void SetMapMode(int mode);
    void SetWindowOrg(QPointF origin);
    void SetWindowExt(QPointF extent);
    void SetViewportOrg(QPointF origin);
    void SetViewportExt(QPointF extent);
    void OffsetWindowOrg(QPointF delta);
    void OffsetViewportOrg(QPointF delta);
    void ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    void ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);
    void SetWorldTransform(const QTransform& transform);
    void ModifyWorldTransform(const QTransform& transform, uint32_t mode);

    // Makes a pen, brush or font the current one; a region becomes the
    // clip (Windows metafiles keep regions as objects).
    void SelectObject(const GdiObject& object);

    // State stack: RestoreDC(n) with n < 0 counts back from the last save,
    // n > 0 names the save level.
    void SaveDC();
    void RestoreDC(int level);

    // Clipping; rectangles are logical, regions device units (enhanced) or
    // logical (Windows metafiles).
    void IntersectClipRect(const QRectF& rect);
    void ExcludeClipRect(const QRectF& rect);
    void OffsetClip(QPointF logicalDelta);
    void SelectClipRegion(const std::optional<QRegion>& deviceRegion, int mode);
    void SelectLogicalClipRegion(const std::optional<QRegion>& logicalRegion);

    // Lines and shapes.
    void MoveTo(QPointF point);
    void LineTo(QPointF point);
    void Polyline(const QPolygonF& points);
    void PolylineTo(const QPolygonF& points);
    void PolyPolyline(const std::vector<QPolygonF>& polylines);
    void Polygon(const QPolygonF& points);
    void PolyPolygon(const std::vector<QPolygonF>& polygons);
    void PolyBezier(const QPolygonF& points);
    void PolyBezierTo(const QPolygonF& points);
    void PolyDraw(const QPolygonF& points, const uint8_t* types);
    void Rectangle(const QRectF& box);
    void RoundRect(const QRectF& box, QPointF corner);
    void Ellipse(const QRectF& box);
    enum class ArcKind { Arc, ArcTo, Chord, Pie };
    void Arc(ArcKind kind, const QRectF& box, QPointF start, QPointF end);
    void AngleArc(QPointF center, double radius, double startDegrees, double sweepDegrees);
    void SetPixel(QPointF point, const QColor& color);

    // Paths.
    void BeginPath();
    void EndPath();
    void AbortPath();
    void CloseFigure();
    void FillPath();
    void StrokePath();
    void StrokeAndFillPath();
    void WidenPath();
    void SelectClipPath(int mode);

    // Regions (device units for enhanced metafiles, logical for Windows ones).
    void FillRegion(const QRegion& region, const GdiBrush& brush, bool logical);
    void FrameRegion(const QRegion& region, const GdiBrush& brush, QPointF stroke, bool logical);
    void InvertRegion(const QRegion& region, bool logical);

    // Text at a logical reference point (ignored with TA_UPDATECP);
    // dx: logical advance of each character, or empty.
    void TextOut(QPointF reference, const QString& text, const std::vector<double>& dx, uint32_t options,
                 const QRectF* rect);

    // Pictures and raster operations. dest and the pattern-only rectangle
    // are logical; source is in the image's own pixels (top-down).
    void DrawImage(const QRectF& dest, const QImage& image, const QRectF& source, uint32_t rop,
                   double opacity = 1.0);
    void PatBlt(const QRectF& dest, uint32_t rop);
    void GradientRect(const QRectF& rect, const QColor& from, const QColor& to, bool vertical);
    void FillTriangle(const QPolygonF& triangle, const QColor& color);

private:
    QTransform LogicalToDevice() const;
    QTransform LogicalToPicture() const { return LogicalToDevice() * deviceToPicture_; }
    QPointF ToDevice(QPointF point) const { return LogicalToDevice().map(point); }
    void UpdateClip();
    void CombineClip(const QRegion& pictureRegion, int mode);

    // Paints device-space geometry: fill with the brush, stroke with the pen.
    void Paint(const QPainterPath* fill, const QPainterPath* stroke);
    void PaintLogical(const QPainterPath& path, bool fill, bool stroke);
    QPen PicturePen(const GdiPen& pen, bool& cosmetic) const;
    QBrush PictureBrush(const GdiBrush& brush) const;
    void ApplyRop();
    bool Charge(const QRectF& pictureBounds, double margin);
    bool ChargeStroke(const QPainterPath& picturePath, double width);
    void AddToPath(const QPainterPath& logicalPath, bool connect);
    // Inside the path bracket a figure joins the path (connected to its
    // last figure or not); outside it is stroked, and filled with fill.
    void Figure(const QPainterPath& logicalPath, bool connect, bool fill);
    QRegion PictureRegion(const QRegion& region, bool logical) const;
    void FillPictureRegion(const QRegion& pictureRegion, const GdiBrush& brush);
    // Text, in picture pixels: its font, characters and place.
    struct TextLayout;
    std::optional<TextLayout> LayOutText(const QString& text, const std::vector<double>& dx,
                                         const QTransform& toPicture, QPointF anchorLogical) const;
    void FillTextBox(const QRectF& rect, const QTransform& toPicture);
    void DrawLaidOutText(const TextLayout& layout, const QString& text, uint32_t options, const QRectF* rect,
                         const QTransform& toPicture);
    double PictureScale() const; // logical length -> picture pixels
    bool AxisAligned() const;

    QImage& target_;
    QPainter painter_;
    QTransform deviceToPicture_;
    DeviceResolution resolution_;
    bool fixedViewport_;
    DcState state_;
    std::vector<DcState> saved_;
    // The path bracket: device coordinates.
    bool inPath_ = false;
    QPainterPath path_;
    bool havePath_ = false;
    double spent_ = 0;
    double budget_ = 0;
    bool clipDirty_ = true;
};

} // namespace orvane::imaging::metafile
