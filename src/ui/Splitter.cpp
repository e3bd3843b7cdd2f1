#include "ui/Splitter.h"

#include <QMouseEvent>

namespace orvane::ui {

Splitter::Splitter(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::SplitHCursor);
    setFixedWidth(3);
}

void Splitter::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        grabOffset_ = static_cast<int>(event->position().x());
}

void Splitter::mouseMoveEvent(QMouseEvent* event)
{
    if (grabOffset_ < 0)
        return;
    const int x = mapToParent(event->position().toPoint()).x() - grabOffset_;
    emit Moved(x);
}

void Splitter::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        grabOffset_ = -1;
}

} // namespace orvane::ui
