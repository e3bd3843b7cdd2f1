#pragma once
// The picture surface im2: paints the item display's picture scaled to fit,
// centred, with its aspect kept, and reports the mouse.
#include <QWidget>

namespace orvane::viewer {
class ItemDisplay;
}

namespace orvane::ui {

class PictureSurface : public QWidget {
    Q_OBJECT
public:
    PictureSurface(viewer::ItemDisplay& display, QWidget* parent = nullptr);

signals:
    void Clicked();
    void DoubleClicked();
    void MouseReleased(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    viewer::ItemDisplay& display_;
    qreal areaRatio_ = 1.0; // the screen pixels per surface pixel the display decodes for
};

} // namespace orvane::ui
