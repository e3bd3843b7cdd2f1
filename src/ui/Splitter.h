#pragma once
// The 3-pixel bar right of the left column; dragging it changes the left
// column's width.
#include <QWidget>

namespace orvane::ui {

class Splitter : public QWidget {
    Q_OBJECT
public:
    explicit Splitter(QWidget* parent = nullptr);

signals:
    // The bar was dragged to this x position in its parent.
    void Moved(int x);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int grabOffset_ = -1;
};

} // namespace orvane::ui
